#include "app/desktop_window_manager.h"
#include "room/asset_loader.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class AssetLoaderTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString bundle() const { return m_dir.path() + QStringLiteral("/bundle"); }
    QString folder() const { return m_dir.path() + QStringLiteral("/data"); }
    AssetLoader::Locations locations() const
    {
        return {{m_dir.path() + QStringLiteral("/missing"), bundle()}, {folder()}};
    }
    // Writes a one-colour image of `size` to `path`.
    static void writeImage(const QString& path, QColor color, QSize size = QSize(4, 4))
    {
        QDir().mkpath(QFileInfo(path).path());
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        QVERIFY(image.save(path, "PNG"));
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(bundle());
        QDir().mkpath(folder());
    }

    void hitsAreCachedAsAskedAndMissesNever()
    {
        const QString file = folder() + QStringLiteral("/background.png");
        writeImage(file, Qt::red);
        AssetLoader loader(locations());
        QVERIFY(loader.image(QStringLiteral("background")));
        QVERIFY(loader.image(QStringLiteral("background.png")));
        QCOMPARE(loader.cachedCount(), 2);
        QCOMPARE(loader.searchCount(), 2);
        QFile::remove(file);
        QVERIFY(loader.image(QStringLiteral("background"))); // not read again: the file is gone
        QCOMPARE(loader.searchCount(), 2);
        loader.clearCache();
        QVERIFY(!loader.image(QStringLiteral("background")));
        QVERIFY(!loader.image(QStringLiteral("background")));
        QCOMPARE(loader.searchCount(), 4);
        QCOMPARE(loader.cachedCount(), 0);
        // Once it exists it is found.
        writeImage(folder() + QStringLiteral("/background.jpg"), Qt::green);
        QVERIFY(loader.image(QStringLiteral("background")));
    }

    void searchOrder_data()
    {
        QTest::addColumn<QString>("first"); // relative to the temporary folder
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("firstReadable");
        QTest::newRow("bundle before the data folder") << "bundle/background.png"
                                                       << "data/background.png"
                                                       << "background" << true;
        QTest::newRow("png before jpg") << "data/background.png"
                                        << "data/background.jpg"
                                        << "background.jpeg" << true;
        QTest::newRow("bundle file by its own name first") << "bundle/plaque_quennet"
                                                           << "bundle/plaque_quennet.png"
                                                           << "plaque_quennet" << true;
        QTest::newRow("an unreadable file is skipped") << "bundle/background.png"
                                                       << "data/background.png"
                                                       << "background" << false;
    }
    void searchOrder()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, firstReadable);
        const QString firstPath = m_dir.path() + QLatin1Char('/') + first;
        if (firstReadable) {
            writeImage(firstPath, Qt::red);
        } else {
            QFile bad(firstPath);
            QVERIFY(bad.open(QIODevice::WriteOnly));
            bad.write("not an image");
        }
        writeImage(m_dir.path() + QLatin1Char('/') + second, Qt::blue);
        QFETCH(QString, name);
        const auto image = AssetLoader(locations()).image(name);
        QVERIFY(image);
        QCOMPARE(image->pixelColor(0, 0), QColor(firstReadable ? Qt::red : Qt::blue));
    }

    void namesNeverLeaveTheirFolders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("parent folder") << "../secret";
        QTest::newRow("parent folder with suffix") << "../secret.png";
        QTest::newRow("absolute path") << "ABSOLUTE/secret";
    }
    void namesNeverLeaveTheirFolders()
    {
        QFETCH(QString, name);
        writeImage(m_dir.path() + QStringLiteral("/secret.png"), Qt::red);
        name.replace(QStringLiteral("ABSOLUTE"), m_dir.path());
        QVERIFY(!AssetLoader(locations()).image(name));
    }

    void cacheKeepsToItsLimits_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("kept");
        QTest::newRow("the 33rd image evicts the first") << 33 << QSize(4, 4) << 32;
        // 1400 x 1000 x 4 is 5.6 MB: three of them pass 16 MiB.
        QTest::newRow("the cost limit") << 3 << QSize(1400, 1000) << 2;
    }
    void cacheKeepsToItsLimits()
    {
        QFETCH(int, count);
        QFETCH(QSize, size);
        QFETCH(int, kept);
        for (int i = 0; i < count; ++i)
            writeImage(folder() + QStringLiteral("/img%1.png").arg(i), Qt::red, size);
        AssetLoader loader(locations());
        for (int i = 0; i < count; ++i)
            QVERIFY(loader.image(QStringLiteral("img%1").arg(i)));
        QCOMPARE(loader.cachedCount(), kept);
        QVERIFY(loader.cachedCost() <= AssetLoader::costLimit);
        QVERIFY(!loader.isCached(QStringLiteral("img0")));
        QVERIFY(loader.isCached(QStringLiteral("img%1").arg(count - 1)));
    }

    void windowManagerEmptiesTheSharedCache()
    {
        AssetLoader& shared = AssetLoader::shared();
        shared.storeInCache(QImage(2, 2, QImage::Format_RGB32), QStringLiteral("background"));
        QVERIFY(shared.isCached(QStringLiteral("background")));
        DesktopWindowManager::emptyImageCaches();
        QCOMPARE(shared.cachedCount(), 0);
    }
};

PONDSILL_TEST(AssetLoaderTest)
#include "asset_loader_test.moc"
