#include "room/asset_loader.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class AssetLoaderTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString folder() const { return m_dir.path() + QStringLiteral("/data"); }
    AssetLoader::Locations locations() const
    {
        return {
            {m_dir.path() + QStringLiteral("/missing"), m_dir.path() + QStringLiteral("/bundle")},
            {folder()}};
    }
    // Writes a one-colour image of `size` to `path` (relative to the temporary folder).
    void writeImage(const QString& path, QColor color, QSize size = QSize(4, 4))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        QVERIFY(image.save(m_dir.filePath(path), "PNG"));
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        for (const char* sub : {"/bundle", "/data"})
            QDir().mkpath(m_dir.path() + QLatin1StringView(sub));
    }

    void hitsAreCachedAsAskedAndMissesNever()
    {
        writeImage(QStringLiteral("data/background.png"), Qt::red);
        AssetLoader loader(locations());
        QVERIFY(loader.image(QStringLiteral("background")));
        QVERIFY(loader.image(QStringLiteral("background.png")));
        QCOMPARE(loader.cachedCount(), 2);
        QCOMPARE(loader.searchCount(), 2);
        QFile::remove(m_dir.filePath(QStringLiteral("data/background.png")));
        QVERIFY(loader.image(QStringLiteral("background"))); // not read again: the file is gone
        QCOMPARE(loader.searchCount(), 2);
        loader.clearCache();
        QVERIFY(!loader.image(QStringLiteral("background")));
        QVERIFY(!loader.image(QStringLiteral("background")));
        QCOMPARE(loader.searchCount(), 4);
        QCOMPARE(loader.cachedCount(), 0);
        // Once it exists it is found.
        writeImage(QStringLiteral("data/background.jpg"), Qt::green);
        QVERIFY(loader.image(QStringLiteral("background")));
    }

    // Which of two files a name finds (red the first, blue the second), if any: a name never
    // reaches out of the image folders.
    void searchOrder_data()
    {
        QTest::addColumn<QString>("first"); // relative to the temporary folder
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("found");
        const QColor red(Qt::red), blue(Qt::blue), none;
        QTest::newRow("bundle before the data folder") << "bundle/background.png"
                                                       << "data/background.png"
                                                       << "background" << red;
        QTest::newRow("png before jpg") << "data/background.png"
                                        << "data/background.jpg"
                                        << "background.jpeg" << red;
        QTest::newRow("bundle file by its own name first") << "bundle/plaque_quennet"
                                                           << "bundle/plaque_quennet.png"
                                                           << "plaque_quennet" << red;
        QTest::newRow("an unreadable file is skipped") << "bundle/background.png!"
                                                       << "data/background.png"
                                                       << "background" << blue;
        QTest::newRow("parent folder") << "secret.png"
                                       << "x.png"
                                       << "../secret" << none;
        QTest::newRow("parent folder with suffix") << "secret.png"
                                                   << "x.png"
                                                   << "../secret.png" << none;
        QTest::newRow("absolute path") << "secret.png"
                                       << "x.png"
                                       << "ABSOLUTE/secret" << none;
    }
    void searchOrder()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, name);
        QFETCH(QColor, found);
        if (first.endsWith(u'!')) {
            QFile bad(m_dir.filePath(first.chopped(1)));
            QVERIFY(bad.open(QIODevice::WriteOnly));
            bad.write("not an image");
        } else {
            writeImage(first, Qt::red);
        }
        writeImage(second, Qt::blue);
        const auto image =
            AssetLoader(locations()).image(name.replace(QStringLiteral("ABSOLUTE"), m_dir.path()));
        QCOMPARE(image ? image->pixelColor(0, 0) : QColor(), found);
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
        AssetLoader loader(locations());
        for (int i = 0; i < count; ++i) {
            writeImage(QStringLiteral("data/img%1.png").arg(i), Qt::red, size);
            QVERIFY(loader.image(QStringLiteral("img%1").arg(i)));
        }
        QCOMPARE(loader.cachedCount(), kept);
        QVERIFY(loader.cachedCost() <= AssetLoader::costLimit);
        QVERIFY(!loader.isCached(QStringLiteral("img0")));
        QVERIFY(loader.isCached(QStringLiteral("img%1").arg(count - 1)));
    }
};

PONDSILL_TEST(AssetLoaderTest)
#include "asset_loader_test.moc"
