// How an entry of the shelf is measured, named, dated and ordered.
#include "bookshelf/shelf_listing.h"
#include "bookshelf/shelf_metrics.h"
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

class ShelfEntriesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A shelf entry is nearly always a link: its size, height and subtitle are those of the file it
    // stands for; a folder is a box counting every name, hidden and dangling too.
    void entriesReadThroughLinks_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("subtitle"); // empty: not checked
        QTest::addColumn<qint64>("sizeAs");    // a book as tall as a file of this size
        QTest::addColumn<int>("entries");      // a box of this many names; -1: a book
        QTest::newRow("a link to a 10 MB file")
            << u"10000000"_s << u"Buku • PDF • 10 MB"_s << qint64(10'000'000) << -1;
        QTest::newRow("a link to a 5 GB file is as tall as the tallest")
            << u"5000000000"_s << QString() << qint64(100'000'000) << -1;
        QTest::newRow("a link whose file is gone: its own bytes")
            << u"dangling"_s << u"Buku • PDF • %1 byte"_s << qint64(-1) << -1;
        QTest::newRow("a link to a folder")
            << u"folder"_s << u"Kardus Arsip • 5 file"_s << qint64(0) << 5;
        QTest::newRow("an application folder is a book of its program")
            << u"app"_s << QString() << qint64(1'000'000) << -1;
    }
    void entriesReadThroughLinks()
    {
        QFETCH(QString, make);
        QFETCH(QString, subtitle);
        QFETCH(qint64, sizeAs);
        QFETCH(int, entries);
        TempHome home;
        const QString target = home.path() + u"/Desktop/laporan.pdf"_s;
        QString entry = home.path() + u"/Rak/laporan.pdf"_s;
        QDir().mkpath(home.path() + u"/Rak"_s);
        if (make == u"folder") {
            const QString folder = home.makeDir(u"Desktop/Proyek"_s);
            for (const QString& name : {u"a"_s, u"b"_s, u"c"_s, u".tersembunyi"_s})
                writeFile(folder + u"/"_s + name);
            QFile::link(folder + u"/gone"_s, folder + u"/dangling"_s);
            QFile::link(folder, entry = home.path() + u"/Rak/Proyek"_s);
        } else if (make == u"app") {
            entry = home.makeDir(u"Rak/Rekam.APP"_s);
            sparseFile(entry + u"/Contents/MacOS/Rekam"_s, 1'000'000);
        } else {
            QFile::link(sparseFile(target, make.toLongLong()), entry);
        }
        if (make == u"dangling") {
            QFile::remove(target);
            sizeAs = QFile::encodeName(target).size();
            subtitle = subtitle.arg(sizeAs);
        }
        if (!subtitle.isEmpty())
            QCOMPARE(ShelfListing::drawerSubtitle(entry), subtitle);
        const ShelfMetrics::Entry e = ShelfMetrics::measure(QUrl::fromLocalFile(entry));
        QCOMPARE(ShelfMetrics::isFolderItem(entry), entries >= 0);
        QCOMPARE(e.isFolder, entries >= 0);
        QCOMPARE(e.entryCount, std::max(entries, 0));
        if (entries >= 0)
            QVERIFY(e.height() > ShelfMetrics::boxHeight(0)); // the box grows with its names
        else
            QCOMPARE(e.bookHeight, ShelfMetrics::bookHeightForSize(sizeAs));
        QVERIFY(ShelfMetrics::bookHeightForSize(0) < ShelfMetrics::bookHeightForSize(1'000'000));
        QVERIFY(ShelfMetrics::bookHeightForSize(1'000'000) <
                ShelfMetrics::bookHeightForSize(100'000'000));
    }

    // A spine's title drops only the last extension; the drawer's kind names it. A book keeps its
    // look after a restart (FNV-1a, its published value), whatever its name.
    void titlesKindsAndLooks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("kind");
        QTest::newRow("two extensions") << u"a.tar.gz"_s << u"a.tar"_s << u"GZ"_s;
        QTest::newRow("a dot-file") << u".profile"_s << u".profile"_s << u"Dokumen"_s;
        QTest::newRow("an application") << u"Notes.App"_s << u"Notes"_s << u"Aplikasi"_s;
        QTest::newRow("emoji") << u"📚🗃️"_s << u"📚🗃️"_s << u"Dokumen"_s;
    }
    void titlesKindsAndLooks()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, kind);
        QCOMPARE(ShelfMetrics::bookTitle(name), title);
        QCOMPARE(ShelfListing::kind(name), kind);
        QCOMPARE(ShelfMetrics::lookHash(u"foobar"_s), 0x85944171f73967e8ULL);
        const auto& palette = ShelfMetrics::bookSpinePalette();
        const QColor spine = ShelfMetrics::spineColor(ShelfMetrics::lookHash(name), 1, 100000);
        QVERIFY(std::count(palette.begin(), palette.end(), spine));
    }

    // Rows 100 wide, 1.5 between items: the first item that does not fit goes down, and once the
    // lower row is full nothing more stands (the drawer still lists it).
    void distributionOverTwoShelves()
    {
        const ShelfMetrics::Distribution d = ShelfMetrics::distribute({60, 41, 60, 10}, 100);
        QCOMPARE(d.shelves[0], QList<int>{0});
        QCOMPARE(d.shelves[1], QList<int>{1});
    }

    // Newest first; equal times keep their order, what vanished goes last in its order.
    void newestFirst()
    {
        TempHome home;
        QList<QUrl> urls;
        const QStringList times{u"11:00"_s, u"gone"_s, u"12:00"_s,
                                u"11:00"_s, u"gone"_s, u"11:00"_s};
        for (int i = 0; i < times.size(); ++i) {
            const QString path = home.path() + u"/e%1"_s.arg(i);
            if (times[i] != u"gone")
                setTime(writeFile(path),
                        QDateTime(QDate(2026, 1, 5), QTime::fromString(times[i], u"HH:mm"_s)));
            urls << QUrl::fromLocalFile(path);
        }
        QCOMPARE(names(ShelfListing::newestFirst(urls)),
                 (QStringList{u"e2"_s, u"e0"_s, u"e3"_s, u"e5"_s, u"e1"_s, u"e4"_s}));
    }

    // A folder's contents, newest first and read through the shelf's link, without dot-files; a
    // folder that is gone lists nothing.
    void folderContents()
    {
        TempHome home;
        const QString folder = home.path() + u"/Map"_s;
        QVERIFY(ShelfListing::folderContents(folder).isEmpty());
        const QDate day(2026, 1, 5);
        setTime(writeFile(folder + u"/pagi.txt"_s), QDateTime(day, QTime(10, 0)));
        setTime(writeFile(folder + u"/siang.txt"_s), QDateTime(day, QTime(12, 0)));
        setTime(writeFile(folder + u"/malam.txt"_s), QDateTime(day, QTime(9, 0)));
        writeFile(folder + u"/.rahasia"_s);
        QDir().mkpath(folder + u"/Sub"_s);
        setTime(folder + u"/Sub"_s, QDateTime(day, QTime(11, 0)));
        const QString link = home.path() + u"/link"_s;
        QFile::link(folder, link);
        const QList<QUrl> urls = ShelfListing::folderContents(link);
        QCOMPARE(names(urls),
                 (QStringList{u"siang.txt"_s, u"Sub"_s, u"pagi.txt"_s, u"malam.txt"_s}));
        for (const QUrl& url : urls)
            QVERIFY(url.toLocalFile().startsWith(link + u"/"_s));
        // Ages are the entry's own (the link's), not its file's.
        const QDateTime now = QDateTime::currentDateTime();
        setTime(folder, now.addDays(-3));
        setTime(link, now.addSecs(-5 * 60));
        QCOMPARE(ShelfListing::drawerRelativeDate(link, now), u"5 mnt lalu"_s);
        QCOMPARE(ShelfListing::drawerRelativeDate(folder, now), u"3 hr lalu"_s);
        QCOMPARE(ShelfListing::drawerRelativeDate(home.path() + u"/gone"_s, now), u"Baru saja"_s);
    }
};

PONDSILL_TEST(ShelfEntriesTest)
#include "shelf_entries_test.moc"
