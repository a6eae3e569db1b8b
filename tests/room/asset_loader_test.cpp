#include "app/desktop_window_manager.h"
#include "room/asset_loader.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Writes a one-colour image of `size` to `path`.
void writeImage(const QString& path, QColor color, QSize size = QSize(4, 4))
{
    QDir().mkpath(QFileInfo(path).path());
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY(image.save(path, "PNG"));
}
} // namespace

class AssetLoaderTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString bundle() const { return m_dir.path() + QStringLiteral("/bundle"); }
    QString folder() const { return m_dir.path() + QStringLiteral("/data"); }
    AssetLoader::Locations locations() const
    {
        return {{m_dir.path() + QStringLiteral("/missing"), bundle()}, {folder()}};
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(bundle());
        QDir().mkpath(folder());
    }

    void baseNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("base");
        QTest::newRow("plain") << "background"
                               << "background";
        QTest::newRow("png") << "background.png"
                             << "background";
        QTest::newRow("jpeg") << "background.jpeg"
                              << "background";
        QTest::newRow("only the last suffix") << "photo.jpg.png"
                                              << "photo.jpg";
        QTest::newRow("upper case is kept") << "x.PNG"
                                            << "x.PNG";
        QTest::newRow("exactly .png") << ".png"
                                      << "";
        QTest::newRow("svg is a name") << "tolvane logo.svg"
                                       << "tolvane logo.svg";
    }
    void baseNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, base);
        QCOMPARE(AssetLoader::baseName(name), base);
    }

    void dropSuffixCountsCharacters()
    {
        QCOMPARE(AssetLoader::dropSuffix(4, QStringLiteral("foto.png")), QStringLiteral("foto"));
        QCOMPARE(AssetLoader::dropSuffix(1, QStringLiteral("ab\U0001F525")), QStringLiteral("ab"));
        QCOMPARE(AssetLoader::dropSuffix(9, QStringLiteral("ab")), QString());
    }

    void secondRequestComesFromTheCache()
    {
        writeImage(folder() + QStringLiteral("/background.png"), Qt::red);
        AssetLoader loader(locations());
        QVERIFY(loader.image(QStringLiteral("background")));
        QCOMPARE(loader.searchCount(), 1);
        QFile::remove(folder() + QStringLiteral("/background.png"));
        const auto again = loader.image(QStringLiteral("background"));
        QVERIFY(again); // not read again: the file is gone
        QCOMPARE(loader.searchCount(), 1);
        loader.clearCache();
        QVERIFY(!loader.image(QStringLiteral("background")));
        QCOMPARE(loader.searchCount(), 2);
    }

    void namesAreCachedAsAsked()
    {
        writeImage(folder() + QStringLiteral("/background.png"), Qt::red);
        AssetLoader loader(locations());
        QVERIFY(loader.image(QStringLiteral("background")));
        QVERIFY(loader.image(QStringLiteral("background.png")));
        QCOMPARE(loader.cachedCount(), 2);
        QVERIFY(loader.isCached(QStringLiteral("background.png")));
    }

    void missesAreNeverCached()
    {
        AssetLoader loader(locations());
        QVERIFY(!loader.image(QStringLiteral("walpaper")));
        QVERIFY(!loader.image(QStringLiteral("walpaper")));
        QCOMPARE(loader.searchCount(), 2);
        QCOMPARE(loader.cachedCount(), 0);
        // Once it exists it is found.
        writeImage(folder() + QStringLiteral("/walpaper.jpg"), Qt::green);
        QVERIFY(loader.image(QStringLiteral("walpaper")));
    }

    void searchOrder_data()
    {
        QTest::addColumn<QStringList>("files"); // relative to the temporary folder
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("found");
        const QColor first(Qt::red);
        QTest::newRow("bundle before the data folder")
            << QStringList{QStringLiteral("bundle/background.png"),
                           QStringLiteral("data/background.png")}
            << "background" << first;
        QTest::newRow("png before jpg") << QStringList{QStringLiteral("data/background.png"),
                                                       QStringLiteral("data/background.jpg")}
                                        << "background.jpeg" << first;
        QTest::newRow("bundle file by its own name first")
            << QStringList{QStringLiteral("bundle/plaque_quennet"),
                           QStringLiteral("bundle/plaque_quennet.png")}
            << "plaque_quennet" << first;
    }
    void searchOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, name);
        QFETCH(QColor, found);
        const QList<QColor> colours = {Qt::red, Qt::blue, Qt::green};
        for (int i = 0; i < files.size(); ++i)
            writeImage(m_dir.path() + QLatin1Char('/') + files.at(i), colours.at(i));
        AssetLoader loader(locations());
        const auto image = loader.image(name);
        QVERIFY(image);
        QCOMPARE(image->pixelColor(0, 0), found);
    }

    void unreadableFileIsSkipped()
    {
        QFile bad(bundle() + QStringLiteral("/background.png"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not an image");
        bad.close();
        writeImage(folder() + QStringLiteral("/background.png"), Qt::blue);
        AssetLoader loader(locations());
        const auto image = loader.image(QStringLiteral("background"));
        QVERIFY(image);
        QCOMPARE(image->pixelColor(0, 0), QColor(Qt::blue));
    }

    void namesNeverLeaveTheirFolders()
    {
        writeImage(m_dir.path() + QStringLiteral("/secret.png"), Qt::red);
        AssetLoader loader(locations());
        QVERIFY(!loader.image(QStringLiteral("../secret")));
    }

    void theThirtyThirdImageEvicts()
    {
        for (int i = 0; i < 33; ++i)
            writeImage(folder() + QStringLiteral("/img%1.png").arg(i), Qt::red);
        AssetLoader loader(locations());
        for (int i = 0; i < 33; ++i)
            QVERIFY(loader.image(QStringLiteral("img%1").arg(i)));
        QCOMPARE(loader.cachedCount(), 32);
        QVERIFY(!loader.isCached(QStringLiteral("img0")));
        QVERIFY(loader.isCached(QStringLiteral("img32")));
    }

    void costLimitsTheCache()
    {
        // 1400 x 1000 x 4 is 5.6 MB: three of them pass 16 MiB.
        for (int i = 0; i < 3; ++i)
            writeImage(folder() + QStringLiteral("/big%1.png").arg(i), Qt::red, QSize(1400, 1000));
        AssetLoader loader(locations());
        for (int i = 0; i < 3; ++i)
            QVERIFY(loader.image(QStringLiteral("big%1").arg(i)));
        QCOMPARE(loader.cachedCount(), 2);
        QVERIFY(loader.cachedCost() <= AssetLoader::costLimit);
        QVERIFY(!loader.isCached(QStringLiteral("big0")));
    }

    void windowManagerEmptiesTheSharedCache()
    {
        AssetLoader& shared = AssetLoader::shared();
        QImage image(2, 2, QImage::Format_RGB32);
        shared.storeInCache(image, QStringLiteral("background"));
        QVERIFY(shared.isCached(QStringLiteral("background")));
        DesktopWindowManager::emptyImageCaches();
        QCOMPARE(shared.cachedCount(), 0);
    }
};

PONDSILL_TEST(AssetLoaderTest)
#include "asset_loader_test.moc"
