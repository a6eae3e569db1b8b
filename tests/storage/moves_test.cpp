// Items moving between the user's folders, the shelf, the carpet, the photo frames, their
// origins and the Trash.
#include "platform/file_operations.h"
#include "storage/item_moves.h"
#include "storage_fixture.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>
#include <optional>

namespace {
// A small real picture, so thumbnails can be made of it.
void picture(const QString& path, const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path, "PNG");
}
} // namespace

class MovesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A name taken in either folder is never written over: the newcomer takes a free one.
    // The user's files are shelved as links and hidden as themselves, recording where they
    // came from, and go back there (to the Desktop when that is unknown or gone). Entries
    // are written as layout() writes them, separated by "; ".
    void moves_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("operation"); // and the path or name it is handed
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("origin"); // "entry @ where it came from"
        QTest::addColumn<QString>("placed"); // floor names with a stored place after
        QTest::addColumn<QString>("printed");
        const auto row = [](const QByteArray& tag, const QString& before, const QString& operation,
                            const QString& after, const QString& origin = {},
                            const QString& placed = {}, const QString& printed = {}) {
            QTest::newRow(tag.constData())
                << before << operation << after << origin << placed << printed;
        };
        const QString report = u"~/Desktop/report.pdf: user's"_s;
        const QString shelve = u"shelve ~/Desktop/report.pdf"_s;
        const QString recorded = u"~/Desktop/report.pdf @ ~/Desktop/report.pdf"_s;
        const QString shelved = u"Rak/report.pdf -> ~/Desktop/report.pdf; "_s + report;
        row("shelved as a link", report, shelve, shelved, recorded);
        row("shelved, the name taken on the shelf", report + u"; Rak/report.pdf: shelf's"_s, shelve,
            u"Rak/report (1).pdf -> ~/Desktop/report.pdf; Rak/report.pdf: shelf's; "_s + report,
            recorded);
        row("shelved, an unrelated file of the name under the carpet",
            report + u"; Karpet/report.pdf: carpet's"_s, shelve,
            u"Karpet/report.pdf: carpet's; Rak/report (1).pdf -> ~/Desktop/report.pdf; "_s + report,
            recorded, u"report.pdf"_s);
        // The room's shelf link goes alone, never to the Trash, and leaves no copy behind.
        for (const QString& operation : {u"return"_s, u"remove"_s})
            row("a shelf link, " + operation.toUtf8(),
                report + u"; Rak/report.pdf => ~/Desktop/report.pdf"_s,
                operation + u" Rak/report.pdf"_s, report);
        row("shelved, the carpet's link to it moves up", // a link of the user's
            report + u"; Karpet/report.pdf -> ~/Desktop/report.pdf"_s, shelve, shelved);
        // A floor link to another floor file stands for that file: the file itself goes onto
        // the shelf, so it shows in one place only.
        for (const QString& to : {u"photo.jpg"_s, u"@/Karpet/photo.jpg"_s})
            row("a floor link to a floor file, " + to.toUtf8(),
                u"Karpet/photo.jpg: photo; Karpet/shortcut -> "_s + to, u"to shelf shortcut"_s,
                u"Rak/shortcut: photo"_s);
        row("to the shelf, where a real item has the name",
            u"Rak/a.txt: shelf's; Karpet/a.txt: carpet's"_s, u"to shelf a.txt"_s,
            u"Rak/a (1).txt: carpet's; Rak/a.txt: shelf's"_s);
        // A file that only shares a shelf link's name took a name of its own when listed:
        // nothing is shelved by the name it had, and the link stays.
        row("to the shelf, where a shelf link has the name",
            u"~/Desktop/a.txt: linked; Rak/a.txt => ~/Desktop/a.txt; Karpet/a.txt: carpet's"_s,
            u"to shelf a.txt"_s,
            u"Karpet/a (1).txt: carpet's; Rak/a.txt -> ~/Desktop/a.txt; ~/Desktop/a.txt: linked"_s,
            QString(), u"a (1).txt"_s);
        const QString hide = u"hide ~/Desktop/a.txt"_s;
        row("hidden", u"~/Desktop/a.txt: hidden"_s, hide, u"Karpet/a.txt: hidden; ~/Desktop/"_s,
            u"Karpet/a.txt @ ~/Desktop/a.txt"_s, u"a.txt"_s);
        row("hidden, the name taken under the carpet",
            u"~/Desktop/a.txt: hidden; Karpet/a.txt: there"_s, hide,
            u"Karpet/a (1).txt: hidden; Karpet/a.txt: there; ~/Desktop/"_s,
            u"Karpet/a (1).txt @ ~/Desktop/a.txt"_s, u"a (1).txt, a.txt"_s);
        row("hidden, the name taken on the shelf", u"~/Desktop/a.txt: hidden; Rak/a.txt: there"_s,
            hide, u"Karpet/a (1).txt: hidden; Rak/a.txt: there; ~/Desktop/"_s,
            u"Karpet/a (1).txt @ ~/Desktop/a.txt"_s, u"a (1).txt"_s);
        // An item stored already keeps where it came from wherever it goes in the room.
        const QString onFloor = u"Karpet/a.txt: a"_s;
        const QString onShelf = u"Rak/a.txt: a"_s;
        const QString fromFloor = u"Karpet/a.txt @ ~/Desktop/a.txt"_s;
        const QString fromShelf = u"Rak/a.txt @ ~/Desktop/a.txt"_s;
        row("a floor file dropped on the floor only moves", onFloor + u"; "_s + fromFloor,
            u"hide Karpet/a.txt"_s, onFloor, fromFloor, u"a.txt"_s);
        row("a shelf item dropped on the shelf stays", onShelf + u"; "_s + fromShelf,
            u"shelve Rak/a.txt"_s, onShelf, fromShelf);
        row("a shelf item dropped on the floor", onShelf + u"; "_s + fromShelf, u"hide Rak/a.txt"_s,
            onFloor, fromFloor, u"a.txt"_s);
        row("a floor file moved onto the shelf by name", onFloor + u"; "_s + fromFloor,
            u"to shelf a.txt"_s, onShelf, fromShelf);
        // A shortcut to a stored file records nothing over where the file came from.
        const QString stored = u"~/Reports/; Karpet/r.txt: r; Karpet/r.txt @ ~/Reports/r.txt; "
                               u"~/Desktop/s.txt -> @/Karpet/r.txt"_s;
        const QString reports = u"Karpet/r.txt @ ~/Reports/r.txt"_s;
        row("a link to a stored file, shelved", stored, u"shelve ~/Desktop/s.txt"_s,
            u"Karpet/r.txt: r; Rak/s.txt -> ~/Desktop/s.txt; ~/Desktop/s.txt -> @/Karpet/r.txt; "
            u"~/Reports/"_s,
            reports, u"r.txt"_s);
        row("a link to a stored file, hidden", stored, u"hide ~/Desktop/s.txt"_s,
            u"Karpet/r.txt: r; Karpet/s.txt -> @/Karpet/r.txt; ~/Desktop/; ~/Reports/"_s, reports,
            u"r.txt, s.txt"_s);
        row("everything on the shelf under the carpet",
            u"~/Desktop/l.txt: user's; Rak/l.txt -> ~/Desktop/l.txt; Rak/real.txt: real; "
            u"Karpet/real.txt: another"_s,
            u"all to carpet *"_s,
            u"Karpet/l.txt -> ~/Desktop/l.txt; Karpet/real (1).txt: real; "
            u"Karpet/real.txt: another; ~/Desktop/l.txt: user's"_s,
            QString(), u"l.txt, real (1).txt"_s);
        // What has an origin goes back; a photo that cannot leave stays framed, with its
        // transform. With a plain file where the Desktop should be, what has no origin stays.
        row("everything back from an empty room", QString(), u"everything back *"_s, QString());
        row("everything back",
            u"~/Pictures/; ~/Downloads/; ~/Desktop: not a folder; Rak/book.pdf: book; "
            u"Rak/book.pdf @ ~/Downloads/book.pdf; ~/Music/linked.txt: linked; "
            u"Rak/linked.txt => ~/Music/linked.txt; "
            u"Karpet/note.txt: note; Karpet/note.txt @ ~/Downloads/note.txt; "
            u"Album/frame_0.jpg: photo 0; Album/frame_0.jpg @ ~/Pictures/beach.jpg; "
            u"Album/frame_1.jpg: photo 1"_s,
            u"everything back *"_s,
            u"Album/frame_1.jpg: photo 1; ~/Desktop: not a folder; ~/Downloads/book.pdf: book; "
            u"~/Downloads/note.txt: note; ~/Music/linked.txt: linked; "
            u"~/Pictures/frame_0.jpg: photo 0"_s,
            QString(), QString(),
            u"Gagal mengembalikan buku ke desktop: "_s + FileOperations::Result{ENOTDIR}.message() +
                u'\n');
        for (const QString& from : {u"Rak"_s, u"Karpet"_s}) {
            const QString item = from + u"/a.pdf: pdf; "_s + from + u"/a.pdf @ "_s;
            const QString back =
                (from == u"Rak" ? u"return "_s : u"restore "_s) + from + u"/a.pdf"_s;
            const QString desktop = u"~/Desktop/a.pdf: pdf"_s;
            const QByteArray tag = from.toUtf8() + ": back ";
            row(tag + "into the origin folder",
                u"~/Desktop/; ~/Downloads/; "_s + item + u"~/Downloads/a.pdf"_s, back,
                u"~/Desktop/; ~/Downloads/a.pdf: pdf"_s);
            row(tag + "beside a file of the name",
                u"~/Desktop/; ~/Downloads/a.pdf: there; "_s + item + u"~/Downloads/a.pdf"_s, back,
                u"~/Desktop/; ~/Downloads/a (1).pdf: pdf; ~/Downloads/a.pdf: there"_s);
            row(tag + "to the Desktop, its folder gone",
                u"~/Desktop/; "_s + item + u"~/Gone/a.pdf"_s, back, desktop);
            row(tag + "to the Desktop, its folder a file",
                u"~/Desktop/; ~/Downloads: file; "_s + item + u"~/Downloads/a.pdf"_s, back,
                desktop + u"; ~/Downloads: file"_s);
            row(tag + "to the Desktop, made for it", item.section(u';', 0, 0), back, desktop);
            row(tag + "to the Desktop, from the storage folder",
                u"~/Desktop/; "_s + item + u"@/Karpet/a.pdf"_s, back, desktop);
        }
    }
    void moves()
    {
        QFETCH(QString, before);
        QFETCH(QString, operation);
        QFETCH(QString, origin);
        StorageHome f;
        StorageManager& storage = f.start(); // before the entries, which repair would mend
        QVERIFY(f.lay(before.split(u"; "_s)));
        storage.reloadAll();
        const QStringList onFloor = namesOf(storage.carpetItems());
        for (const QString& name : onFloor)
            storage.setFloorItemPosition(name, 0.3, 0.8);
        const qsizetype cut = operation.lastIndexOf(u' ');
        const QString handed = operation.mid(cut + 1);
        const bool everything = operation.startsWith(u"everything");
        if (everything) {
            storage.setPhotoTransform(0, 2, 10, 5, 5);
            storage.setPhotoTransform(1, 3, 20, 6, 6);
        }
        StdoutCapture out;
        f.act(operation.left(cut), handed);
        f.settle();
        QTEST(out.finish(), "printed");

        QTEST(f.layout().join(u"; "_s), "after");
        QVERIFY(trashed(f.trashRoot()).isEmpty() && f.sounds.played.isEmpty());
        if (!origin.isEmpty()) {
            const QString entry = f.path(origin.section(u" @ "_s, 0, 0));
            QCOMPARE(originOf(entry), f.path(origin.section(u" @ "_s, 1)));
            QVERIFY(StorageManager::addedDate(url(entry)).secsTo(QDateTime::currentDateTimeUtc()) <
                    60);
        }
        // What arrives on the floor lies where it was dropped, or at its default place.
        const FloorPositions stored = f.storedPositions();
        QTEST(stored.keys().join(u", "_s), "placed");
        QCOMPARE(storage.floorItemPositions(), stored);
        for (const QString& name : stored.keys()) {
            const bool arrived = !onFloor.contains(name) || handed == u"Karpet/"_s + name;
            const StoredPosition expected = !arrived ? StoredPosition{0.3, 0.8}
                                            : operation.startsWith(u"hide")
                                                ? StoredPosition{0.25, 0.75}
                                                : StorageManager::defaultCarpetPosition(name);
            QCOMPARE(stored.value(name), expected);
        }
        QStringList listed =
            f.layout().filter(QRegularExpression(u"^(Rak|Karpet)/[^/]*(: | -> )"_s));
        listed.replaceInStrings(QRegularExpression(u"^\\w+/(.*?)(: | -> ).*"_s), u"\\1"_s);
        QCOMPARE(sorted(namesOf(storage.bookshelfItems() + storage.carpetItems())), sorted(listed));
        if (everything && !before.isEmpty()) {
            QCOMPARE(storage.photoSlots(), (PhotoSlots{{1, url(f.album() + u"/frame_1.jpg"_s)}}));
            QCOMPARE(decodePhotoTransforms(f.read(u"photo_transforms.json"_s)),
                     std::optional(PhotoTransforms{{0, {}}, {1, {3, 20, 6, 6}}}));
        }
    }

    // A user's link reaches the item it reached before, wherever the moves put either of
    // them, in whichever order they went; one that still reaches it keeps its text. Links
    // are written as layout() writes them.
    void linksKeepReachingTheirItems_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("operation"); // and, after " | ", what it is handed
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("desktopElsewhere"); // on a file system of its own
        const auto row = [](const char* tag, const QString& before, const QString& operation,
                            const QString& after, bool desktopElsewhere = false) {
            QTest::newRow(tag) << before << operation << after << desktopElsewhere;
        };
        const QString toCarpet = u"../Documents/RidezozEvar/Karpet/"_s;
        const QString toDesktop = u"../../../Desktop/"_s;
        // Restored together; the floor goes in order of name, so the link travels first or
        // last.
        row("restore all, the link after its item",
            u"Karpet/daftar.txt: list; Karpet/tautan.txt -> daftar.txt"_s, u"restore all"_s,
            u"~/Desktop/daftar.txt: list; ~/Desktop/tautan.txt -> daftar.txt"_s);
        row("restore all, the link before its item", u"Karpet/a link -> z.txt; Karpet/z.txt: z"_s,
            u"restore all"_s, u"~/Desktop/a link -> z.txt; ~/Desktop/z.txt: z"_s);
        row("restore all, the text kept as written", u"Karpet/a link -> ./z.txt; Karpet/z.txt: z"_s,
            u"restore all"_s, u"~/Desktop/a link -> ./z.txt; ~/Desktop/z.txt: z"_s);
        row("restore all, an absolute link", u"Karpet/a link -> @/Karpet/z.txt; Karpet/z.txt: z"_s,
            u"restore all"_s, u"~/Desktop/a link -> ~/Desktop/z.txt; ~/Desktop/z.txt: z"_s);
        row("restore all, a link into a folder",
            u"Karpet/a link -> Trip/day.txt; Karpet/Trip/day.txt: d"_s, u"restore all"_s,
            u"~/Desktop/Trip/day.txt: d; ~/Desktop/a link -> Trip/day.txt"_s);
        row("restore all, a link out of the room keeps its text",
            u"~/Music/song.ogg: s; Karpet/song -> ~/Music/song.ogg"_s, u"restore all"_s,
            u"~/Desktop/song -> ~/Music/song.ogg; ~/Music/song.ogg: s"_s);
        // A link's origin is read through it, from its item: a link into a folder that came
        // from elsewhere goes to the Desktop while the folder goes home.
        const QString trip =
            u"~/Downloads/; Karpet/Trip/day.txt: d; Karpet/Trip @ ~/Downloads/Trip; "
            u"Karpet/a link -> Trip/day.txt"_s;
        row("restore all, the two to different folders", trip, u"restore all"_s,
            u"~/Desktop/a link -> ../Downloads/Trip/day.txt; ~/Downloads/Trip/day.txt: d"_s);
        // A link whose own move fails stays, and still reaches its item.
        row("restore all, the link cannot leave", u"~/Desktop: not a folder; "_s + trip,
            u"restore all"_s,
            u"Karpet/a link -> ../../../Downloads/Trip/day.txt; ~/Desktop: not a folder; "
            u"~/Downloads/Trip/day.txt: d"_s);
        // One moved alone.
        row("restore the link alone", u"Karpet/a link -> z.txt; Karpet/z.txt: z"_s,
            u"restore | Karpet/a link"_s,
            u"Karpet/z.txt: z; ~/Desktop/a link -> "_s + toCarpet + u"z.txt"_s);
        row("restore the item alone, its link left on the floor",
            u"Karpet/a link -> z.txt; Karpet/z.txt: z"_s, u"restore | Karpet/z.txt"_s,
            u"Karpet/a link -> "_s + toDesktop + u"z.txt; ~/Desktop/z.txt: z"_s);
        row("hide a link from the Desktop", u"~/Desktop/a link -> z.txt; ~/Desktop/z.txt: z"_s,
            u"hide | ~/Desktop/a link"_s,
            u"Karpet/a link -> "_s + toDesktop + u"z.txt; ~/Desktop/z.txt: z"_s);
        // The shelf and the floor.
        row("to the shelf together", u"Karpet/a link -> Trip/day.txt; Karpet/Trip/day.txt: d"_s,
            u"to shelf | a link, Trip"_s, u"Rak/Trip/day.txt: d; Rak/a link -> Trip/day.txt"_s);
        row("to the shelf, the link left on the floor",
            u"Karpet/a link -> Trip/day.txt; Karpet/Trip/day.txt: d"_s, u"to shelf | Trip"_s,
            u"Karpet/a link -> ../Rak/Trip/day.txt; Rak/Trip/day.txt: d"_s);
        row("everything on the shelf under the carpet",
            u"Rak/a link -> z.txt; Rak/z.txt: z; Rak/m link -> @/Rak/z.txt"_s, u"all to carpet"_s,
            u"Karpet/a link -> z.txt; Karpet/m link -> @/Karpet/z.txt; Karpet/z.txt: z"_s);
        // A shelf link into the floor would read as the item shelved: never made.
        row("off the shelf, its link left on the shelf", u"Rak/a link -> z.txt; Rak/z.txt: z"_s,
            u"to carpet | Rak/z.txt"_s, u"Karpet/z.txt: z; Rak/a link -> z.txt"_s);
        row("return all", QString(trip).replace(u"Karpet/"_s, u"Rak/"_s), u"return all"_s,
            u"~/Desktop/a link -> ../Downloads/Trip/day.txt; ~/Downloads/Trip/day.txt: d"_s);
        row("everything back, from the shelf and the floor",
            u"~/Downloads/; Rak/z.txt: z; Rak/z.txt @ ~/Downloads/z.txt; "
            u"Karpet/a link -> ../Rak/z.txt; Karpet/b link -> @/Rak/z.txt"_s,
            u"everything back"_s,
            u"~/Desktop/a link -> ../Downloads/z.txt; ~/Desktop/b link -> ~/Downloads/z.txt; "
            u"~/Downloads/z.txt: z"_s);
    }
    void linksKeepReachingTheirItems()
    {
        QFETCH(QString, before);
        QFETCH(QString, operation);
        QFETCH(bool, desktopElsewhere);
        StorageHome f;
        StorageManager& storage = f.start(); // before the entries, which repair would mend
        std::optional<ScratchMount> mount;
        if (desktopElsewhere && QDir().mkpath(f.desktop()) &&
            !mount.emplace("tmpfs", f.desktop()).isMounted())
            QSKIP(qPrintable(u"cannot mount a file system: "_s + mount->error()));
        QVERIFY(f.lay(before.split(u"; "_s)));
        storage.reloadAll();
        StdoutCapture out; // a move refused says so
        f.act(operation.section(u" | "_s, 0, 0), operation.section(u" | "_s, 1));
        out.finish();
        f.settle();
        QTEST(f.layout().join(u"; "_s), "after");
    }

    void linksMendedAmongManyMoves_data()
    {
        QTest::addColumn<bool>("linksFirst");
        QTest::addColumn<bool>("throughFolder"); // each item moved in a folder of its own
        QTest::newRow("items first") << false << false;
        QTest::newRow("links first") << true << false;
        QTest::newRow("items in folders, the folders moved") << false << true;
        QTest::newRow("links first, then the folders") << true << true;
    }

    // A batch of a thousand moves, links and their items: each link is mended by the few
    // moves that concern it, not by a look at every move of the batch, and reaches its item
    // again, relative as it was written.
    void linksMendedAmongManyMoves()
    {
        QFETCH(bool, linksFirst);
        QFETCH(bool, throughFolder);
        constexpr int kLinks = 500;
        StorageHome f;
        const auto item = [&](const QString& top, int i) {
            const QString name = u"file %1.txt"_s.arg(i);
            return throughFolder ? f.path(top + u"/folder %1/"_s.arg(i) + name)
                                 : f.path(top + u'/' + name);
        };
        const auto moved = [&](const QString& top, int i) {
            return throughFolder ? f.path(top + u"/folder %1"_s.arg(i)) : item(top, i);
        };
        const auto link = [&](const QString& top, int i) {
            return f.path(top + u"/link %1"_s.arg(i));
        };
        for (int i = 0; i < kLinks; ++i) {
            f.file(item(u"~/From"_s, i));
            QVERIFY(FileOperations::createSymbolicLink(
                QDir(f.path(u"~/From"_s)).relativeFilePath(item(u"~/From"_s, i)),
                link(u"~/From"_s, i)));
        }
        QDir().mkpath(f.path(u"~/To"_s));
        ItemMoves::LinkKeeper keeper;
        for (int i = 0; i < kLinks; ++i)
            keeper.watch(link(u"~/From"_s, i));
        const auto moveAll = [&](const auto& path) {
            for (int i = 0; i < kLinks; ++i) {
                const bool ok = ItemMoves::move(path(u"~/From"_s, i), path(u"~/To"_s, i)).ok();
                keeper.finished(path(u"~/From"_s, i), ok ? path(u"~/To"_s, i) : QString());
            }
        };
        if (linksFirst)
            moveAll(link);
        moveAll(moved);
        if (!linksFirst)
            moveAll(link);

        QStringList astray;
        for (int i = 0; i < kLinks; ++i) {
            const std::optional<QString> text = FileOperations::readLink(link(u"~/To"_s, i));
            if (!text || QDir::isAbsolutePath(*text) ||
                FileOperations::resolvedLinkTarget(link(u"~/To"_s, i)) != item(u"~/To"_s, i))
                astray << link(u"~/To"_s, i) + u" -> "_s + text.value_or(QString());
        }
        QCOMPARE(astray, QStringList());
        QVERIFY2(keeper.movesLookedAt() <= 4 * kLinks,
                 qPrintable(QString::number(keeper.movesLookedAt())));
    }

    void arrangingOnTheCarpetAndSpreading()
    {
        StorageHome f;
        QVERIFY(f.lay({u"Karpet/a.txt: a"_s, u"Karpet/b.txt: b"_s, u"Karpet/c.txt: c"_s}));
        StorageManager& storage = f.start();
        storage.setCarpetPosition(0.5, 0.8);
        storage.arrangeCarpetItemsOnCarpet();
        // In a row on the carpet, in order of name, around its middle.
        const FloorPositions stored = f.storedPositions();
        QCOMPARE(stored.keys(), (QStringList{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}));
        QVERIFY(stored[u"a.txt"_s].x < 0.5 && qAbs(stored[u"b.txt"_s].x - 0.5) < 1e-9 &&
                stored[u"c.txt"_s].x > 0.5);
        for (const StoredPosition& position : stored)
            QCOMPARE(position.y, 0.8);

        storage.resetFloorItemPositions(); // spread: every file falls back to its default
        QVERIFY(f.storedPositions().isEmpty() && storage.floorItemPositions().isEmpty());
        QCOMPARE(storage.carpetItems().size(), 3);
    }

    // Every kind of entry goes to the Trash as itself, links too, recording where it came
    // from; what a link points at stays.
    void everyKindGoesToTheTrash()
    {
        StorageHome f;
        StorageManager& storage = f.start(); // before the dangling link, which repair removes
        QVERIFY(f.lay({u"~/Documents/target.txt: target"_s, u"Karpet/Café 50% file.txt: file"_s,
                       u"Karpet/Folder/inner.txt: inner"_s,
                       u"Karpet/link.txt -> ~/Documents/target.txt"_s,
                       u"Karpet/folder link -> ~/Documents"_s, u"Karpet/dangling -> /gone/away"_s,
                       u"Rak/book.pdf: book"_s}));
        storage.reloadAll();
        QStringList originals = {f.shelf() + u"/book.pdf"_s};
        StdoutCapture out;
        for (const QString& name : f.entries(u"Karpet"_s)) {
            storage.setFloorItemPosition(name, 0.3, 0.8);
            f.act(u"trash item"_s, u"Karpet/"_s + name);
            originals.append(f.carpet() + u'/' + name);
        }
        f.act(u"remove"_s, u"Rak/book.pdf"_s);
        QCOMPARE(out.finish(), QString());
        QCOMPARE(sorted(trashed(f.trashRoot()).values()), sorted(originals));
        QCOMPARE(f.layout(), QStringList{u"~/Documents/target.txt: target"_s});
        QCOMPARE(FileOperations::readLink(f.trashRoot() + u"/files/link.txt"_s),
                 std::optional(f.home() + u"/Documents/target.txt"_s));
        QVERIFY(FileOperations::readLink(f.trashRoot() + u"/files/dangling"_s));
        QVERIFY(f.storedPositions().isEmpty());
        QVERIFY(storage.carpetItems().isEmpty() && storage.bookshelfItems().isEmpty());
        QCOMPARE(f.sounds.played, QStringList(6, u"trash-empty"_s));
    }

    // Only a photo the frames can show is taken, as a copy; anything else stays where it is,
    // and the frame keeps its photo: the old one goes only once the new one is copied. What
    // is no photo in the album (a project file, a folder) stays there, framed or not.
    void framing_data()
    {
        QTest::addColumn<QStringList>("album"); // its entries before
        QTest::addColumn<QString>("source");    // "/" at the end: a folder; "!": not a picture;
                                                // ">": a link to a device
        QTest::addColumn<int>("slot");          // -1: the first free frame
        QTest::addColumn<QStringList>("after"); // the album's entries after
        QTest::addColumn<int>("error");         // when refused
        QTest::addColumn<QString>("cause");     // what the refusal says, when not the error's text
        const auto row = [](const char* tag, const QString& album, const QString& source, int slot,
                            const QString& after, int error = 0, const QString& cause = {}) {
            QTest::newRow(tag) << album.split(u' ') << source << slot << after.split(u' ') << error
                               << cause;
        };
        const QString noPicture = u"bukan gambar yang dapat dibaca"_s;
        const QString album = u"frame_1.gif frame_12.jpg"_s;
        row("a png, its extension kept as written", album, u"a.PNG"_s, 1,
            u"frame_1.PNG frame_12.jpg"_s);
        row("no extension, a picture inside", album, u"scan"_s, 1, u"frame_1.jpg frame_12.jpg"_s);
        row("a bmp", album, u"a.bmp"_s, 1, u"frame_1.bmp frame_12.jpg"_s);
        row("an svg of nothing", album, u"a.svg!"_s, 1, album, ENOTSUP,
            u"file rusak atau terpotong"_s);
        row("a png that is no picture", album, u"a.png!"_s, 1, album, ENOTSUP, noPicture);
        row("no extension, text inside", album, u"notes!"_s, 1, album, ENOTSUP, noPicture);
        row("a missing picture", album, u"gone.jpg"_s, 1, album, ENOENT);
        row("a folder", album, u"trip.jpg/"_s, 1, album, EISDIR);
        row("a device named like a picture", album, u"null.jpg>"_s, 1, album, ENOTSUP, noPicture);
        row("the frame's project file stays", u"frame_2.gif frame_2.xcf"_s, u"trip.jpg"_s, 2,
            u"frame_2.jpg frame_2.xcf"_s);
        row("a folder named like a frame photo stays", u"frame_2.gif frame_2.png/"_s, u"trip.jpg"_s,
            2, u"frame_2.jpg frame_2.png"_s);
        row("a folder at the frame's own name", u"frame_2.gif frame_2.jpg/"_s, u"trip.jpg"_s, 2,
            u"frame_2.gif frame_2.jpg"_s, EISDIR);
        row("the frame's own photo dropped on it", u"frame_2.jpg"_s, u"@/Album/frame_2.jpg"_s, 2,
            u"frame_2.jpg"_s);
        row("first free frame", u"frame_0.png frame_1.png"_s, u"new.jpg"_s, -1,
            u"frame_0.png frame_1.png frame_2.jpg"_s);
        const QString full = u"frame_0.png frame_1.png frame_2.png frame_3.png frame_4.png "
                             u"frame_5.png"_s;
        row("all six full: frame 0 is replaced", full, u"new.jpg"_s, -1,
            QString(full).replace(u"0.png"_s, u"0.jpg"_s));
    }
    void framing()
    {
        QFETCH(QStringList, album);
        QFETCH(QString, source);
        QFETCH(int, slot);
        QFETCH(QStringList, after);
        QFETCH(int, error);
        QFETCH(QString, cause);
        StorageHome f;
        QStringList names;
        for (const QString& entry : album) {
            const bool kept = entry.endsWith(u'/') || entry.endsWith(u".xcf");
            f.file(u"Album/"_s + entry + (entry.endsWith(u'/') ? u"inside.txt"_s : QString()),
                   kept ? "kept" : pictureBytes("old"));
            names.append(entry.chopped(entry.endsWith(u'/')));
        }
        const bool own = source.startsWith(u'@');
        const QString path =
            f.path(own ? source : u"~/Pictures/"_s + source).remove(u'!').remove(u'>');
        QByteArray content = pictureBytes(own ? "old" : "new");
        if (source.endsWith(u'>'))
            content.clear();
        if (source.endsWith(u'!'))
            content =
                source.contains(u".svg") ? "<svg xmlns='http://www.w3.org/2000/svg'/>" : "text";
        if (source.endsWith(u'/'))
            writeFile(path + u"/inside.png"_s, content);
        else if (source.endsWith(u'>'))
            QVERIFY(QDir().mkpath(QFileInfo(path).path()) && QFile::link(u"/dev/null"_s, path));
        else if (!own && !source.startsWith(u"gone"))
            writeFile(path, content);
        StorageManager& storage = f.start();
        const auto before = FileOperations::entryStatus(path);
        const QStringList kept = f.layout().filter(u": kept"_s);
        const QStringList albumBefore = f.layout().filter(u"Album/"_s);

        StdoutCapture out;
        QCOMPARE(f.frame(path, slot), error == 0);
        if (cause.isEmpty() && error)
            cause = FileOperations::Result{error}.message();
        QCOMPARE(out.finish(), error ? u"Gagal menyimpan foto: "_s + cause + u'\n' : QString());
        QCOMPARE(f.entries(u"Album"_s), after);
        if (before) { // the source stays where it is, as it was
            QCOMPARE(FileOperations::entryStatus(path)->inode, before->inode);
            QCOMPARE(contentOf(path), source.endsWith(u'/') ? QByteArray() : content);
        }
        for (const QString& name : after)
            if (!names.contains(name))
                QCOMPARE(f.read(u"Album/"_s + name), content);
        if (error)
            QCOMPARE(f.layout().filter(u"Album/"_s), albumBefore);
        // One list of photo types for drops, the chooser and the frames; only what is inside
        // (no picture, or no file at all) can refuse a name on that list.
        if (error == ENOTSUP)
            QVERIFY(!StorageManager::isImageFile(url(path)) || source.endsWith(u'!') ||
                    source.endsWith(u'>'));
        // Taking the photos out of the frames leaves what is no photo alone.
        for (const int framed : storage.photoSlots().keys())
            storage.removePhoto(framed);
        QCOMPARE(f.layout().filter(u": kept"_s), kept);
    }

    // The photo that leaves a frame goes to the Trash, never away for good (framed from the
    // floor, it may be the last copy outside the Trash), or onto the floor under a free name.
    // Its frame's transform is reset, and no other photo moves to another frame.
    void photosLeavingAFrame_data()
    {
        QTest::addColumn<QString>("shown"); // the album file frame 0 shows
        QTest::addColumn<QString>("action");
        for (const QString& shown : {u"loose.png"_s, u"frame_0.jpg"_s})
            for (const QString& action : {u"replaced"_s, u"removed"_s, u"to floor"_s})
                QTest::addRow("%s %s", qPrintable(shown), qPrintable(action)) << shown << action;
    }
    void photosLeavingAFrame()
    {
        QFETCH(QString, shown);
        QFETCH(QString, action);
        StorageHome f;
        QVERIFY(f.lay({u"Album/"_s + shown + u": shown"_s, u"Karpet/"_s + shown + u": floor's"_s}));
        for (int slot = 1; slot < 6; ++slot)
            f.file(u"Album/frame_%1.png"_s.arg(slot), pictureBytes("full"));
        StorageManager& storage = f.start();
        storage.setPhotoTransform(0, 2, 45, 1, 1);
        storage.setPhotoTransform(1, 3, 90, 2, 2);
        QCOMPARE(storage.photoSlots().value(0), url(f.album() + u'/' + shown));

        if (action == u"replaced")
            QVERIFY(f.frame(f.file(u"~/new.png"_s, pictureBytes("new")), 0));
        else if (action == u"removed")
            storage.removePhoto(0);
        else
            storage.movePhotoToCarpet(0);

        const QString moved = QString(shown).replace(u"."_s, u" (1)."_s);
        QCOMPARE(contentOf(action == u"to floor" ? f.carpet() + u'/' + moved
                                                 : f.trashRoot() + u"/files/"_s + shown),
                 QByteArray("shown"));
        QVERIFY(!f.entries(u"Album"_s).contains(shown));
        QCOMPARE(storage.photoSlots().size(), action == u"replaced" ? 6 : 5);
        QCOMPARE(storage.photoSlots().value(1), url(f.album() + u"/frame_1.png"_s));
        if (action == u"replaced")
            QCOMPARE(f.read(u"Album/frame_0.png"_s), pictureBytes("new"));
        else
            QCOMPARE(decodePhotoTransforms(f.read(u"photo_transforms.json"_s)),
                     std::optional(PhotoTransforms{{0, {}}, {1, {3, 90, 2, 2}}}));
        if (action == u"to floor") {
            QCOMPARE(f.read(u"Karpet/"_s + shown), QByteArray("floor's"));
            QCOMPARE(f.storedPositions().value(moved),
                     StorageManager::defaultCarpetPosition(moved));
            QVERIFY(storage.carpetItems().contains(url(f.carpet() + u'/' + moved)));
        }
    }

    // The picture is copied and checked on a worker: the room answers meanwhile and the frame
    // keeps its photo until the new one is in place. A second framing of the same frame wins
    // over the first; two pictures for the first free frame take a frame each. The pictures
    // handed over stay where they are.
    void framingRunsBesideTheRoom_data()
    {
        QTest::addColumn<QList<int>>("slots");   // one framing each; -1: the first free frame
        QTest::addColumn<QStringList>("frames"); // the frame file each framed picture becomes,
                                                 // "-" when it is not framed
        QTest::addColumn<QStringList>("album");  // the album's entries after
        QTest::newRow("one picture")
            << QList<int>{0} << QStringList{u"frame_0.png"_s} << QStringList{u"frame_0.png"_s};
        QTest::newRow("two into the same frame: the later wins")
            << QList<int>{0, 0} << QStringList{u"-"_s, u"frame_0.png"_s}
            << QStringList{u"frame_0.png"_s};
        // The loose old.png holds frame 0.
        QTest::newRow("two into the first free frame")
            << QList<int>{-1, -1} << QStringList{u"frame_1.png"_s, u"frame_2.png"_s}
            << QStringList{u"frame_1.png"_s, u"frame_2.png"_s, u"old.png"_s};
    }
    void framingRunsBesideTheRoom()
    {
        QFETCH(QList<int>, slots);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, album);
        StorageHome f;
        QVERIFY(QDir().mkpath(f.album()));
        picture(f.album() + u"/old.png"_s, QSize(10, 10));
        StorageManager& storage = f.start();
        QList<QString> sources;
        QList<std::optional<bool>> results(slots.size());
        for (qsizetype i = 0; i < slots.size(); ++i) {
            sources.append(f.path(u"~/Pictures/p%1.png"_s.arg(i)));
            QDir().mkpath(QFileInfo(sources[i]).path());
            picture(sources[i], QSize(1500 + int(i), 1000));
            const auto done = [&results, i](bool ok) { results[i] = ok; };
            if (slots[i] < 0)
                QVERIFY(storage.addPhotoToFreeFrame(url(sources[i]), done));
            else
                storage.setPhoto(url(sources[i]), slots[i], done);
        }
        // Nothing framed yet, and the old photo still shown.
        QCOMPARE(results, QList<std::optional<bool>>(slots.size()));
        QCOMPARE(storage.photoSlots().value(0), url(f.album() + u"/old.png"_s));
        f.settle();
        for (qsizetype i = 0; i < slots.size(); ++i) {
            QCOMPARE(results[i], std::optional(frames[i] != u"-"));
            if (frames[i] != u"-")
                QCOMPARE(contentOf(f.album() + u'/' + frames[i]), contentOf(sources[i]));
            QVERIFY(QFile::exists(sources[i]));
        }
        QCOMPARE(f.entries(u"Album"_s), album);
        QCOMPARE(QFile::exists(f.trashRoot() + u"/files/old.png"_s), !album.contains(u"old.png"));
    }

    // An album removed while the room runs is made again by the next framing; a file in its
    // place stays, and the framing is refused.
    void framingAfterTheAlbumWentAway_data()
    {
        QTest::addColumn<bool>("fileInItsPlace");
        QTest::newRow("album removed") << false;
        QTest::newRow("a file in the album's place") << true;
    }
    void framingAfterTheAlbumWentAway()
    {
        QFETCH(bool, fileInItsPlace);
        StorageHome f;
        StorageManager& storage = f.start();
        QVERIFY(QDir(f.album()).removeRecursively());
        if (fileInItsPlace)
            f.file(u"Album"_s, "someone's");
        const QString source = f.path(u"~/Pictures/trip.png"_s);
        QDir().mkpath(QFileInfo(source).path());
        picture(source, QSize(20, 10));
        StdoutCapture out;
        QCOMPARE(f.frame(source, 2), !fileInItsPlace);
        QCOMPARE(out.finish().startsWith(u"Gagal menyimpan foto: "_s), fileInItsPlace);
        if (fileInItsPlace) {
            QCOMPARE(f.read(u"Album"_s), QByteArray("someone's"));
        } else {
            QCOMPARE(f.entries(u"Album"_s), QStringList{u"frame_2.png"_s});
            QCOMPARE(storage.photoSlots().value(2), url(f.album() + u"/frame_2.png"_s));
        }
        QVERIFY(QFile::exists(source));
    }

    // Loose pictures fill the free frames in order of name; a file that is no picture holds
    // its frame without a thumbnail; a thumbnail is kept while its file is unchanged.
    void albumFillsTheFrames()
    {
        StorageHome f;
        const QString album = f.album() + u'/';
        QVERIFY(f.lay({u"Album/readme.txt: text"_s, u"Album/frame_x.png: not a picture"_s,
                       u"Album/.frame_0.jpg: hidden"_s}));
        picture(album + u"frame_1.jpg"_s, QSize(40, 10));
        picture(album + u"b.png"_s, QSize(4000, 1000));
        picture(album + u"a.png"_s, QSize(10, 10));
        f.file(u"Album/frame_4.pdf"_s, pictureBytes("a type the frames do not take"));
        StorageManager& storage = f.start();
        QCOMPARE(storage.photoSlots(), (PhotoSlots{{0, url(album + u"a.png"_s)},
                                                   {1, url(album + u"frame_1.jpg"_s)},
                                                   {2, url(album + u"b.png"_s)},
                                                   {3, url(album + u"frame_x.png"_s)}}));
        QTRY_COMPARE(storage.cachedPhotos().keys(), (QList<int>{0, 1, 2}));
        QCOMPARE(storage.cachedPhotos().value(1).size(), QSize(40, 10));
        QCOMPARE(storage.cachedPhotos().value(2).size(), QSize(500, 125)); // scaled down
        const qint64 kept = storage.cachedPhotos().value(0).cacheKey();

        // Another program puts a picture of a new size in frame 1's place.
        picture(album + u".new.png"_s, QSize(60, 10));
        QCOMPARE(
            std::rename(qPrintable(album + u".new.png"_s), qPrintable(album + u"frame_1.jpg"_s)),
            0);
        QTRY_COMPARE(storage.cachedPhotos().value(1).size(), QSize(60, 10));
        QCOMPARE(storage.cachedPhotos().value(0).cacheKey(), kept);
        QVERIFY(QFile::remove(album + u"b.png"_s));
        QTRY_COMPARE(storage.cachedPhotos().keys(), (QList<int>{0, 1}));
        QCOMPARE(storage.cachedPhotos().value(0).cacheKey(), kept);
    }
};

PONDSILL_TEST(MovesTest)
#include "moves_test.moc"
