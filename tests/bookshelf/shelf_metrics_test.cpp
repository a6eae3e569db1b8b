#include "bookshelf/shelf_metrics.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
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
    // A box grows with what its folder holds, counted through the shelf's link, hidden names
    // and dangling links included.
    void foldersAreBoxesSizedByTheirEntries()
    {
        TempHome home;
        ShelfMetrics::Entry previous;
        for (int entries : {0, 10, 11, 36}) {
            const QString folder = folderOf(home.path() + u"/Proyek %1"_s.arg(entries), entries);
            const QString link = home.path() + u"/link %1"_s.arg(entries);
            QFile::link(folder, link);
            const ShelfMetrics::Entry e = ShelfMetrics::measure(QUrl::fromLocalFile(link));
            QVERIFY(e.isFolder);
            QCOMPARE(e.entryCount, entries);
            if (entries > 0)
                QVERIFY(e.width >= previous.width && e.height() > previous.height());
            previous = e;
        }
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

    // Nearly every shelf entry is a link: a book is as tall as the file it stands for, and an
    // application as its program.
    void bookHeightsFollowTheFileThroughItsLink()
    {
        TempHome home;
        int made = 0;
        auto height = [&](qint64 size, const QString& how) { // file, link, dangling
            const QString file = sparseFile(home.path() + u"/Desktop/%1.pdf"_s.arg(++made), size);
            if (how == u"file")
                return ShelfMetrics::bookHeightForFile(file);
            const QString link = home.path() + u"/link %1.pdf"_s.arg(made);
            QFile::link(file, link);
            if (how == u"dangling")
                QFile::remove(file);
            return ShelfMetrics::bookHeightForFile(link);
        };
        const qreal smallest = height(0, u"file"_s);
        const qreal megabyte = height(1'000'000, u"file"_s);
        const qreal tallest = height(100'000'000, u"file"_s);
        QCOMPARE(height(1024, u"file"_s), smallest);
        QVERIFY(smallest < megabyte && megabyte < tallest);
        QCOMPARE(height(5'000'000'000, u"file"_s), tallest);
        QCOMPARE(height(1'000'000, u"link"_s), megabyte);
        QCOMPARE(height(100'000'000, u"link"_s), tallest);
        // The link's own few bytes once its target has gone.
        QCOMPARE(height(100'000'000, u"dangling"_s), smallest);

        const QString bare = home.makeDir(u"Kosong.app"_s);
        const QString empty = home.makeDir(u"Nol.app"_s);
        sparseFile(empty + u"/Contents/MacOS/Nol"_s, 0);
        const QString app = home.makeDir(u"Rekam.app"_s);
        sparseFile(app + u"/Contents/MacOS/Rekam"_s, 1'000'000);
        QCOMPARE(ShelfMetrics::bookHeightForFile(app), megabyte);
        QCOMPARE(ShelfMetrics::bookHeightForFile(empty), ShelfMetrics::bookHeightForFile(bare));
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
        QVERIFY(ShelfMetrics::shelfItemWidth(false, 0, h) > 0);
        for (const auto& [shelf, item] : {std::pair{0, 0}, {1, 7}, {1, 100000}}) {
            const int style = ShelfMetrics::spineStyle(h, shelf, item);
            QVERIFY(style >= 0 && style <= 4);
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
