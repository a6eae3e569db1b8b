#include "bookshelf/shelf_listing.h"
#include "bookshelf/shelf_metrics.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

// How an entry of the shelf is measured, named and where it stands.
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
            const QString folder = home.makeDir(u"Proyek %1"_s.arg(entries));
            for (int i = 0; i < entries; ++i) {
                if (i % 3 == 1)
                    writeFile(folder + u"/.hidden %1"_s.arg(i));
                else if (i % 3 == 2)
                    QFile::link(folder + u"/gone"_s, folder + u"/dangling %1"_s.arg(i));
                else
                    writeFile(folder + u"/file %1"_s.arg(i));
            }
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
        QTest::addColumn<QString>("make");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("a directory") << u"dir"_s << true;
        QTest::newRow("a directory named .APP") << u"APP"_s << false;
        QTest::newRow("a dangling link") << u"dangling"_s << false;
        QTest::newRow("a link to a file") << u"link-to-file"_s << false;
    }
    void whatStandsAsABox()
    {
        QFETCH(QString, make);
        QFETCH(bool, isFolder);
        TempHome home;
        QString path = home.path() + u"/entry"_s;
        if (make == u"dir")
            QDir().mkpath(path);
        else if (make == u"APP")
            QDir().mkpath(path += u".APP"_s);
        else if (make == u"dangling")
            QFile::link(home.path() + u"/nothing"_s, path);
        else
            QFile::link(writeFile(home.path() + u"/real.txt"_s), path);
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
        QVERIFY(smallest < megabyte && megabyte < tallest);
        QCOMPARE(height(5'000'000'000, u"file"_s), tallest);
        QCOMPARE(height(1'000'000, u"link"_s), megabyte);
        // The link's own few bytes once its target has gone.
        QCOMPARE(height(100'000'000, u"dangling"_s), smallest);

        const QString app = home.makeDir(u"Rekam.app"_s);
        sparseFile(app + u"/Contents/MacOS/Rekam"_s, 1'000'000);
        QCOMPARE(ShelfMetrics::bookHeightForFile(app), megabyte);
    }

    // A spine's title drops only the last extension; the drawer's kind names it.
    void titlesAndKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("kind");
        QTest::newRow("two dots") << u"report.final.pdf"_s << u"report.final"_s << u"PDF"_s;
        QTest::newRow("no extension") << u"README"_s << u"README"_s << u"Dokumen"_s;
        QTest::newRow("two extensions") << u"a.tar.gz"_s << u"a.tar"_s << u"GZ"_s;
        QTest::newRow("a dot-file") << u".profile"_s << u".profile"_s << u"Dokumen"_s;
        QTest::newRow("capitals") << u"photo.JPG"_s << u"photo"_s << u"JPG"_s;
        QTest::newRow("an application") << u"Notes.App"_s << u"Notes"_s << u"Aplikasi"_s;
    }
    void titlesAndKinds()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, kind);
        QCOMPARE(ShelfMetrics::bookTitle(name), title);
        QCOMPARE(ShelfListing::kind(name), kind);
    }

    // A book keeps its look after a restart (the hash is FNV-1a, its published values), and
    // the look never goes wrong whatever the name and however far along the shelf it stands.
    void theLookIsStableAndSound()
    {
        QCOMPARE(ShelfMetrics::lookHash(u"a"_s), 0xaf63dc4c8601ec8cULL);
        QCOMPARE(ShelfMetrics::lookHash(u"foobar"_s), 0x85944171f73967e8ULL);
        const auto& palette = ShelfMetrics::bookSpinePalette();
        for (const QString& name : {QString(), u"📚🗃️.txt"_s, QString(4000, u'z')}) {
            const std::uint64_t h = ShelfMetrics::lookHash(name);
            QVERIFY(ShelfMetrics::shelfItemWidth(false, 0, h) > 0);
            for (const auto& [shelf, item] : {std::pair{0, 0}, {1, 100000}}) {
                const int style = ShelfMetrics::spineStyle(h, shelf, item);
                QVERIFY(style >= 0 && style <= 4);
                const QColor c = ShelfMetrics::spineColor(h, shelf, item);
                QVERIFY(std::find(palette.begin(), palette.end(), c) != palette.end());
            }
        }
    }

    void distributionOverTwoShelves_data()
    {
        QTest::addColumn<QList<qreal>>("widths");
        QTest::addColumn<QList<int>>("upper");
        QTest::addColumn<QList<int>>("lower");
        // Rows 100 wide, 1.5 between items.
        QTest::newRow("an exact fit stays")
            << QList<qreal>{49, 49.5} << QList<int>{0, 1} << QList<int>{};
        QTest::newRow("the first that does not fit goes down")
            << QList<qreal>{60, 41, 10} << QList<int>{0} << QList<int>{1, 2};
        QTest::newRow("once the lower row is full nothing more stands")
            << QList<qreal>{60, 60, 60, 10} << QList<int>{0} << QList<int>{1};
        QTest::newRow("wider than a row, alone on it")
            << QList<qreal>{150, 20} << QList<int>{0} << QList<int>{1};
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
