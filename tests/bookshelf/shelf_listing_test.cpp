#include "bookshelf/shelf_listing.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
// Sets the entry's own modification time (a link's, not its target's).
void setTime(const QString& path, const QDateTime& when)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(when.toSecsSinceEpoch()), 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

QStringList names(const QList<QUrl>& urls)
{
    QStringList list;
    for (const QUrl& url : urls)
        list << url.fileName();
    return list;
}
} // namespace

// What the drawer and the popover say about entries, and in which order.
class ShelfListingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A shelf entry is nearly always a link: what it says is about the file it stands for.
    void subtitlesReadThroughLinks_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("subtitle");
        QTest::newRow("a link to a 10 MB file") << u"link"_s << u"Buku • PDF • 10 MB"_s;
        QTest::newRow("a link to a folder of three and a hidden one")
            << u"folder-link"_s << u"Kardus Arsip • 4 file"_s;
        QTest::newRow("a link whose file is gone") << u"dangling"_s << u"Buku • PDF • %1 byte"_s;
    }
    void subtitlesReadThroughLinks()
    {
        QFETCH(QString, make);
        QFETCH(QString, subtitle);
        TempHome home;
        const QString file = sparseFile(home.path() + u"/Desktop/laporan.pdf"_s, 10'000'000);
        const QString folder = home.makeDir(u"Desktop/Proyek"_s);
        for (const QString& name : {u"a"_s, u"b"_s, u"c"_s, u".tersembunyi"_s})
            writeFile(folder + u"/"_s + name);
        QString entry = home.path() + u"/Rak/laporan.pdf"_s;
        QDir().mkpath(home.path() + u"/Rak"_s);
        if (make == u"folder-link")
            QFile::link(folder, entry = home.path() + u"/Rak/Proyek"_s);
        else
            QFile::link(file, entry);
        if (make == u"dangling") {
            QFile::remove(file);
            subtitle = subtitle.arg(QFile::encodeName(file).size());
        }
        QCOMPARE(ShelfListing::drawerSubtitle(entry), subtitle);
    }

    void agesAreTheEntrysOwn()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        const QString file = writeFile(home.path() + u"/Desktop/a.txt"_s);
        setTime(file, now.addDays(-3));
        const QString link = home.path() + u"/link.txt"_s;
        QFile::link(file, link);
        setTime(link, now.addSecs(-5 * 60));
        QCOMPARE(ShelfListing::drawerRelativeDate(link, now), u"5 mnt lalu"_s);
        QCOMPARE(ShelfListing::drawerRelativeDate(file, now), u"3 hr lalu"_s);
        QCOMPARE(ShelfListing::drawerRelativeDate(home.path() + u"/gone"_s, now), u"Baru saja"_s);
    }

    void newestFirst_data()
    {
        QTest::addColumn<QStringList>("times"); // per entry: HH:MM, or "gone"
        QTest::addColumn<QStringList>("order");
        QTest::newRow("equal times keep their order")
            << QStringList{u"11:00"_s, u"12:00"_s, u"11:00"_s, u"11:00"_s}
            << QStringList{u"e1"_s, u"e0"_s, u"e2"_s, u"e3"_s};
        QTest::newRow("what vanished goes last, in its order")
            << QStringList{u"gone"_s, u"10:00"_s, u"gone"_s, u"12:00"_s}
            << QStringList{u"e3"_s, u"e1"_s, u"e0"_s, u"e2"_s};
    }
    void newestFirst()
    {
        QFETCH(QStringList, times);
        QFETCH(QStringList, order);
        TempHome home;
        QList<QUrl> urls;
        for (int i = 0; i < times.size(); ++i) {
            const QString path = home.path() + u"/e%1"_s.arg(i);
            if (times[i] != u"gone") {
                writeFile(path);
                setTime(path,
                        QDateTime(QDate(2026, 1, 5), QTime::fromString(times[i], u"HH:mm"_s)));
            }
            urls << QUrl::fromLocalFile(path);
        }
        QCOMPARE(names(ShelfListing::newestFirst(urls)), order);
    }

    void folderContents_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("only dot-files") << u"hidden"_s << QStringList{};
        QTest::newRow("a folder that is gone") << u"gone"_s << QStringList{};
        QTest::newRow("three files and a sub-folder, through a link")
            << u"full"_s << QStringList{u"siang.txt"_s, u"Sub"_s, u"pagi.txt"_s, u"malam.txt"_s};
    }
    void folderContents()
    {
        QFETCH(QString, make);
        QFETCH(QStringList, listed);
        TempHome home;
        const QString folder = home.path() + u"/Map"_s;
        QString listedPath = folder;
        if (make != u"gone")
            QDir().mkpath(folder);
        if (make == u"hidden") {
            writeFile(folder + u"/.a"_s);
            writeFile(folder + u"/.b"_s);
        }
        if (make == u"full") {
            const QDate day(2026, 1, 5);
            setTime(writeFile(folder + u"/pagi.txt"_s), QDateTime(day, QTime(10, 0)));
            setTime(writeFile(folder + u"/siang.txt"_s), QDateTime(day, QTime(12, 0)));
            setTime(writeFile(folder + u"/malam.txt"_s), QDateTime(day, QTime(9, 0)));
            QDir().mkpath(folder + u"/Sub"_s);
            setTime(folder + u"/Sub"_s, QDateTime(day, QTime(11, 0)));
            listedPath = home.path() + u"/link"_s;
            QFile::link(folder, listedPath);
        }
        const QList<QUrl> urls = ShelfListing::folderContents(listedPath);
        QCOMPARE(names(urls), listed);
        for (const QUrl& url : urls)
            QVERIFY(url.toLocalFile().startsWith(listedPath + u"/"_s));
    }
};

PONDSILL_TEST(ShelfListingTest)
#include "shelf_listing_test.moc"
