#include "app/desktop_window_manager.h"
#include "room/floor/file_icon_cache.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class FileIconCacheTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyFileGetsAnIcon()
    {
        TempHome home;
        const QString folder = home.makeDir(u"Karpet/Album"_s);
        const QString pdf = home.writeFile(u"Karpet/report.pdf"_s, "%PDF-1.4\n");
        const QString odd = home.writeFile(u"Karpet/no-extension"_s, "\x01\x02\x03");
        const QString dangling = home.path() + u"/Karpet/gone.txt"_s;
        QVERIFY(QFile::link(home.path() + u"/nowhere.txt"_s, dangling));

        FileIconCache cache;
        for (const QString& path : {folder, pdf, odd, dangling})
            QVERIFY2(!cache.icon(QUrl::fromLocalFile(path)).isNull(), qPrintable(path));
        // The theme is found also without a desktop session.
        QVERIFY(QIcon::hasThemeIcon(u"folder"_s));
        // A path that names nothing at all still has an icon.
        QVERIFY(!cache.icon(QUrl::fromLocalFile(home.path() + u"/missing.md"_s)).isNull());
    }

    void theSharedCacheStaysSmallAndIsEmptiedWithTheImageCaches()
    {
        TempHome home;
        FileIconCache& cache = FileIconCache::shared();
        for (int i = 0; i < 33; ++i)
            cache.icon(QUrl::fromLocalFile(home.writeFile(u"Karpet/f%1.txt"_s.arg(i))));
        QCOMPARE(cache.count(), 32);
        DesktopWindowManager::emptyImageCaches();
        QCOMPARE(cache.count(), 0);
    }
};

PONDSILL_TEST(FileIconCacheTest)
#include "file_icon_cache_test.moc"
