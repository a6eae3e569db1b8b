#include "app/desktop_window_manager.h"
#include "room/asset_loader.h"
#include "room/floor/file_icon_cache.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class FileIconCacheTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyFileGetsAnIcon()
    {
        TempHome home;
        const QString dangling = home.path() + u"/Karpet/gone.txt"_s;
        home.makeDir(u"Karpet"_s);
        QVERIFY(QFile::link(home.path() + u"/nowhere.txt"_s, dangling));
        FileIconCache cache;
        // A folder, a PDF, a file of no known kind, a dangling link, a path naming nothing.
        for (const QString& path :
             {home.makeDir(u"Karpet/Album"_s), home.writeFile(u"Karpet/report.pdf"_s, "%PDF-1.4\n"),
              home.writeFile(u"Karpet/no-extension"_s, "\x01\x02\x03"), dangling,
              home.path() + u"/missing.md"_s})
            QVERIFY2(!cache.icon(QUrl::fromLocalFile(path)).isNull(), qPrintable(path));
        // The theme is found also without a desktop session.
        QVERIFY(QIcon::hasThemeIcon(u"folder"_s));
    }

    // The shared caches of icons and images stay small, and the window manager empties both.
    void theSharedCachesStaySmallAndAreEmptiedTogether()
    {
        TempHome home;
        FileIconCache& icons = FileIconCache::shared();
        for (int i = 0; i < 33; ++i)
            icons.icon(QUrl::fromLocalFile(home.writeFile(u"Karpet/f%1.txt"_s.arg(i))));
        QCOMPARE(icons.count(), 32);
        AssetLoader::shared().storeInCache(QImage(2, 2, QImage::Format_RGB32), u"background"_s);
        DesktopWindowManager::emptyImageCaches();
        QCOMPARE(icons.count(), 0);
        QCOMPARE(AssetLoader::shared().cachedCount(), 0);
    }
};

PONDSILL_TEST(FileIconCacheTest)
#include "file_icon_cache_test.moc"
