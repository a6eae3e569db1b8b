#include "bookshelf/shelf_metrics.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// A file of `size` bytes that takes no room on disk.
QString sparseFile(const QString& path, qint64 size)
{
    writeFile(path, {});
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.resize(size);
    return path;
}

QString folderOf(const QString& path, int entries)
{
    QDir().mkpath(path);
    for (int i = 0; i < entries; ++i) {
        // Hidden names and dangling links count as entries too.
        if (i % 3 == 1)
            writeFile(path + u"/.hidden %1"_s.arg(i));
        else if (i % 3 == 2)
            QFile::link(path + u"/gone"_s, path + u"/dangling %1"_s.arg(i));
        else
            writeFile(path + u"/file %1"_s.arg(i));
    }
    return path;
}
} // namespace

// How an entry of the shelf is measured and where it stands.
class ShelfMetricsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foldersAreBoxesSizedByTheirEntries_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("height");
        QTest::newRow("empty") << 0 << 64.0 << 66.0;
        QTest::newRow("10") << 10 << 64.0 << 84.97;
        QTest::newRow("11") << 11 << 72.0 << 85.90;
        QTest::newRow("35") << 35 << 72.0 << 101.50;
        QTest::newRow("36") << 36 << 80.0 << 102.0;
    }
    void foldersAreBoxesSizedByTheirEntries()
    {
        QFETCH(int, entries);
        QFETCH(qreal, width);
        QFETCH(qreal, height);
        TempHome home;
        const QString folder = folderOf(home.path() + u"/Proyek"_s, entries);
        // Through a shelf link, as the shelf holds it.
        QFile::link(folder, home.path() + u"/link"_s);
        const ShelfMetrics::Entry e =
            ShelfMetrics::measure(QUrl::fromLocalFile(home.path() + u"/link"_s));
        QVERIFY(e.isFolder);
        QCOMPARE(e.entryCount, entries);
        QCOMPARE(e.width, width);
        QCOMPARE(qRound(e.height() * 100), qRound(height * 100));
    }

    void whatStandsAsABox_data()
    {
        QTest::addColumn<QString>("make"); // dir, link-to-dir, app, APP, dangling, file
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("a directory") << u"dir"_s << true;
        QTest::newRow("a link to a directory") << u"link-to-dir"_s << true;
        QTest::newRow("a directory named .app") << u"app"_s << false;
        QTest::newRow("a directory named .APP") << u"APP"_s << false;
        QTest::newRow("a dangling link") << u"dangling"_s << false;
        QTest::newRow("a file") << u"file"_s << false;
        QTest::newRow("a link to a file") << u"link-to-file"_s << false;
    }
    void whatStandsAsABox()
    {
        QFETCH(QString, make);
        QFETCH(bool, isFolder);
        TempHome home;
        const QString entry = home.path() + u"/entry"_s;
        QString path = entry;
        if (make == u"dir") {
            QDir().mkpath(entry);
        } else if (make == u"link-to-dir") {
            QFile::link(home.makeDir(u"real"_s), entry);
        } else if (make == u"app" || make == u"APP") {
            path = entry + u"."_s + make;
            QDir().mkpath(path);
        } else if (make == u"dangling") {
            QFile::link(home.path() + u"/nothing"_s, entry);
        } else if (make == u"link-to-file") {
            QFile::link(writeFile(home.path() + u"/real.txt"_s), entry);
        } else {
            writeFile(entry);
        }
        QCOMPARE(ShelfMetrics::isFolderItem(path), isFolder);
        const ShelfMetrics::Entry e = ShelfMetrics::measure(QUrl::fromLocalFile(path));
        QCOMPARE(e.isFolder, isFolder);
        if (!isFolder)
            QCOMPARE(e.entryCount, 0);
    }

    // Nearly every shelf entry is a link: a book is as tall as the file it stands for.
    void bookHeightsFollowTheFileThroughItsLink_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("how"); // file, link, dangling
        QTest::addColumn<qreal>("height");
        QTest::newRow("empty file") << qint64(0) << u"file"_s << 65.07;
        QTest::newRow("1024 bytes") << qint64(1024) << u"file"_s << 65.07;
        QTest::newRow("a megabyte") << qint64(1'000'000) << u"file"_s << 86.6;
        QTest::newRow("10^8 bytes") << qint64(100'000'000) << u"file"_s << 101.0;
        QTest::newRow("5 GB") << qint64(5'000'000'000) << u"file"_s << 101.0;
        QTest::newRow("a megabyte through a link") << qint64(1'000'000) << u"link"_s << 86.6;
        QTest::newRow("10^8 bytes through a link") << qint64(100'000'000) << u"link"_s << 101.0;
        // The link's own few bytes once its target has gone.
        QTest::newRow("a dangling link") << qint64(100'000'000) << u"dangling"_s << 65.07;
    }
    void bookHeightsFollowTheFileThroughItsLink()
    {
        QFETCH(qint64, size);
        QFETCH(QString, how);
        QFETCH(qreal, height);
        TempHome home;
        const QString file = sparseFile(home.path() + u"/Desktop/report.pdf"_s, size);
        QString entry = file;
        if (how != u"file") {
            entry = home.path() + u"/link.pdf"_s;
            QFile::link(file, entry);
            if (how == u"dangling")
                QFile::remove(file);
        }
        QCOMPARE(qRound(ShelfMetrics::bookHeightForFile(entry) * 100), qRound(height * 100));
    }

    void applicationsAreMeasuredByTheirProgram_data()
    {
        QTest::addColumn<qint64>("program"); // -1: none
        QTest::addColumn<qreal>("height");
        QTest::newRow("a megabyte program") << qint64(1'000'000) << 86.6;
        QTest::newRow("no program") << qint64(-1) << 98.28;
        QTest::newRow("an empty program") << qint64(0) << 98.28;
    }
    void applicationsAreMeasuredByTheirProgram()
    {
        QFETCH(qint64, program);
        QFETCH(qreal, height);
        TempHome home;
        const QString app = home.makeDir(u"Rekam.app"_s);
        if (program >= 0)
            sparseFile(app + u"/Contents/MacOS/Rekam"_s, program);
        QCOMPARE(qRound(ShelfMetrics::bookHeightForFile(app) * 100), qRound(height * 100));
    }

    void titlesDropOnlyTheLastExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("two dots") << u"report.final.pdf"_s << u"report.final"_s;
        QTest::newRow("no extension") << u"README"_s << u"README"_s;
        QTest::newRow("double extension") << u"archive.tar.gz"_s << u"archive.tar"_s;
        QTest::newRow("dot-file") << u".profile"_s << u".profile"_s;
    }
    void titlesDropOnlyTheLastExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(ShelfMetrics::bookTitle(name), title);
    }

    // The look comes from a hash that is the same in every run (so a book keeps its colour
    // after a restart) and never goes wrong, whatever the name and however far along the
    // shelf the book stands.
    void theLookIsStableAndSoundForAnyName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("plain") << u"report.final.pdf"_s;
        QTest::newRow("accents") << u"Résumé été.odt"_s;
        QTest::newRow("emoji") << u"📚🗃️.txt"_s;
        QTest::newRow("long") << QString(4000, u'z');
        QTest::newRow("control bytes") << u"a\tb\nc"_s;
    }
    void theLookIsStableAndSoundForAnyName()
    {
        QFETCH(QString, name);
        const std::uint64_t h = ShelfMetrics::lookHash(name);
        QCOMPARE(ShelfMetrics::lookHash(QString(name)), h);
        const QList<qreal> widths{23, 24, 26, 29, 33};
        QVERIFY(widths.contains(ShelfMetrics::shelfItemWidth(false, 0, h)));
        for (const auto& [shelf, item] : {std::pair{0, 0}, {1, 7}, {1, 100000}}) {
            const int style = ShelfMetrics::spineStyle(h, shelf, item);
            QVERIFY(style >= 0 && style <= 4);
            const qreal tilt = ShelfMetrics::bookTilt(style, h);
            QCOMPARE(tilt, style != 4 ? 0.0 : h % 2 ? 3.0 : -3.0);
            const QColor c = ShelfMetrics::spineColor(h, shelf, item);
            QVERIFY(std::find(ShelfMetrics::bookSpinePalette().begin(),
                              ShelfMetrics::bookSpinePalette().end(),
                              c) != ShelfMetrics::bookSpinePalette().end());
        }
    }

    void theHashIsFixedAcrossRuns()
    {
        // FNV-1a, 64 bits: its published values.
        QCOMPARE(ShelfMetrics::lookHash(u"a"_s), 0xaf63dc4c8601ec8cULL);
        QCOMPARE(ShelfMetrics::lookHash(u"foobar"_s), 0x85944171f73967e8ULL);
    }

    void distributionOverTwoShelves_data()
    {
        QTest::addColumn<QList<qreal>>("widths");
        QTest::addColumn<QList<int>>("upper");
        QTest::addColumn<QList<int>>("lower");
        // Rows 100 wide, 1.5 between items.
        QTest::newRow("empty") << QList<qreal>{} << QList<int>{} << QList<int>{};
        QTest::newRow("an exact fit stays")
            << QList<qreal>{49, 49.5} << QList<int>{0, 1} << QList<int>{};
        QTest::newRow("the first that does not fit goes down")
            << QList<qreal>{60, 41, 10} << QList<int>{0} << QList<int>{1, 2};
        QTest::newRow("once the lower row is full nothing more stands")
            << QList<qreal>{60, 60, 60, 10} << QList<int>{0} << QList<int>{1};
        QTest::newRow("wider than a row, alone on it")
            << QList<qreal>{150, 20} << QList<int>{0} << QList<int>{1};
        QTest::newRow("wider than a row on the empty lower one")
            << QList<qreal>{90, 150, 5} << QList<int>{0} << QList<int>{1};
    }
    void distributionOverTwoShelves()
    {
        QFETCH(QList<qreal>, widths);
        QFETCH(QList<int>, upper);
        QFETCH(QList<int>, lower);
        const ShelfMetrics::Distribution d = ShelfMetrics::distribute(widths, 100);
        QCOMPARE(d.shelves[0], upper);
        QCOMPARE(d.shelves[1], lower);
    }
};

PONDSILL_TEST(ShelfMetricsTest)
#include "shelf_metrics_test.moc"
