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
    void iconNamesGoFromSpecificToGeneric_data()
    {
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("alsoTried");

        QTest::newRow("pdf") << u"application/pdf"_s << u"application-pdf"_s << u"text-x-generic"_s;
        QTest::newRow("png") << u"image/png"_s << u"image-png"_s << u"image-x-generic"_s;
        QTest::newRow("folder") << u"inode/directory"_s << u"inode-directory"_s << u"folder"_s;
        QTest::newRow("plain text") << u"text/plain"_s << u"text-plain"_s << u"text-x-generic"_s;
    }

    void iconNamesGoFromSpecificToGeneric()
    {
        QFETCH(QString, mime);
        QFETCH(QString, first);
        QFETCH(QString, alsoTried);
        const QStringList names = FileIconCache::iconNames(QMimeDatabase().mimeTypeForName(mime));
        QCOMPARE(names.value(0), first);
        QVERIFY2(names.contains(alsoTried), qPrintable(names.join(u", ")));
    }

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

    void keepsTheLast32()
    {
        TempHome home;
        FileIconCache cache;
        QList<QUrl> urls;
        for (int i = 0; i < 33; ++i)
            urls << QUrl::fromLocalFile(home.writeFile(u"Karpet/f%1.txt"_s.arg(i)));
        for (int i = 0; i < 32; ++i)
            cache.icon(urls[i]);
        QCOMPARE(cache.count(), 32);
        const qint64 key = cache.icon(urls[0]).cacheKey(); // served again; now the newest
        QCOMPARE(cache.icon(urls[0]).cacheKey(), key);
        cache.icon(urls[32]);
        QCOMPARE(cache.count(), 32);
        QVERIFY(cache.contains(urls[0]));
        QVERIFY(!cache.contains(urls[1])); // the least recently asked for went
        QVERIFY(cache.contains(urls[32]));
    }

    void theWindowManagerEmptiesTheSharedCache()
    {
        TempHome home;
        FileIconCache::shared().icon(QUrl::fromLocalFile(home.writeFile(u"Karpet/a.txt"_s)));
        QVERIFY(FileIconCache::shared().count() > 0);
        DesktopWindowManager::emptyImageCaches();
        QCOMPARE(FileIconCache::shared().count(), 0);
    }
};

PONDSILL_TEST(FileIconCacheTest)
#include "file_icon_cache_test.moc"
