// What the storage folder shows, the helpers its items go through, the three JSON files
// beside it as they are read and written, and what the room finds at start and mends: older
// folders moving in, a second entry for one file, links whose item is gone and links that go
// the long way round. What it mends never costs a user's file.
#include "platform/desktop_icons.h"
#include "platform/extended_attributes.h"
#include "state/animation.h"
#include "storage_fixture.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QMetaProperty>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

#include <unistd.h>

namespace {
// A desktop whose icons and switch live in memory.
struct FakeDesktopIcons : DesktopIcons {
    QList<DesktopIcon> listed;
    QStringList moves;
    QList<bool> switchedTo;

    std::optional<QList<DesktopIcon>> icons(QString*) override { return listed; }
    bool moveIcon(const QString& name, const QPoint& to) override
    {
        moves.append(u"%1 %2,%3"_s.arg(name).arg(to.x()).arg(to.y()));
        return true;
    }
    std::optional<bool> iconsShown() override { return std::nullopt; }
    bool setIconsShown(bool value) override // a desktop without the switch
    {
        switchedTo.append(value);
        return false;
    }
};

const QByteArray kId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
const QStringList kStartingTitles = {u"Rencana Hari Ini 📝"_s, u"TOLVANE Design ✳"_s};

StickyNotes notesOnDisk(const StorageHome& f)
{
    return decodeStickyNotes(f.read(u"notes.json"_s)).value_or(StickyNotes());
}

// The notes as notes.json holds them: where the load moved one down, at its own y.
StickyNotes asStored(StickyNotes notes)
{
    for (StickyNote& note : notes) {
        note.y = note.yInFile.value_or(note.y);
        note.yInFile.reset();
    }
    return notes;
}

QStringList titles(const StickyNotes& notes)
{
    QStringList list;
    for (const StickyNote& note : notes)
        list.append(note.title);
    return list;
}
} // namespace

class StorageManagerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What the carpet folder shows: neither hidden names, nor what the shelf holds too, nor
    // links that lead nowhere.
    void carpetListing_data()
    {
        QTest::addColumn<QString>("entries"); // separated by "; "
        QTest::addColumn<QString>("listed");
        const QString item = u"Karpet/item.txt"_s;
        QTest::newRow("plain file") << item + u": x"_s << u"item.txt"_s;
        QTest::newRow("hidden file") << u"Karpet/.item: x"_s << QString();
        QTest::newRow("plain file also on the shelf")
            << item + u": x; Rak/item.txt: x"_s << QString();
        QTest::newRow("link to a file outside")
            << u"~/outside.txt: x; "_s + item + u" -> ~/outside.txt"_s << u"item.txt"_s;
        QTest::newRow("relative link that resolves")
            << u"outside.txt: x; "_s + item + u" -> ../outside.txt"_s << u"item.txt"_s;
        QTest::newRow("link to itself") << item + u" -> @/Karpet/item.txt"_s << QString();
        QTest::newRow("dangling link") << item + u" -> /nowhere/gone.txt"_s << QString();
    }
    void carpetListing()
    {
        QFETCH(QString, entries);
        StorageHome f;
        StorageManager& storage = f.start(); // before the entries, which repair would mend
        QVERIFY(f.lay(entries.split(u"; "_s)));
        // A name that is no UTF-8, put there by a file manager, is no item that every action
        // would miss; the room never touches it.
        const QByteArray raw = QFile::encodeName(f.carpet()) + "/caf\xe9.txt";
        QVERIFY(writeRaw(raw, "latin-1"));
        storage.refreshCarpetItems();
        QTEST(namesOf(storage.carpetItems()).join(u", "_s), "listed");
        storage.restoreAllCarpetItemsToDesktop();
        f.start();
        QCOMPARE(::unlink(raw.constData()), 0);
    }

    // Oldest first, by the date other programs write too; equal dates by code point.
    void shelfOrder_data()
    {
        QTest::addColumn<QString>("added"); // name=date, separated by "; "
        QTest::addColumn<QString>("expected");
        QTest::newRow("dates as other programs write them")
            << u"a=3000.5; b=1.5e3; c=0x800"_s << u"b c a"_s;
        // "é" composed and as e + combining acute sort alike, as U+00E9: after "f".
        QTest::newRow("accents composed or not")
            << u"\u00e9b=5; f=5; e\u0301a=5; ez=5"_s << u"ez f e\u0301a \u00e9b"_s;
        QTest::newRow("equal dates: capitals first") << u"a.txt=7; B.txt=7"_s << u"B.txt a.txt"_s;
        // UTF-16 would put the emoji's surrogates before U+FF21.
        QTest::newRow("equal dates: above U+FFFF after U+FF21")
            << u"\U0001F600=7; \uFF21=7"_s << u"\uFF21 \U0001F600"_s;
        QTest::newRow("unparsable date: the entry's own time")
            << u"new= 1; old=1"_s << u"old new"_s;
    }
    void shelfOrder()
    {
        QFETCH(QString, added);
        QFETCH(QString, expected);
        StorageHome f;
        for (const QString& entry : added.split(u"; "_s))
            ExtendedAttributes::write(f.file(u"Rak/"_s + entry.section(u'=', 0, 0)),
                                      ExtendedAttributes::addedName,
                                      entry.section(u'=', 1).toUtf8());
        QCOMPARE(
            namesOf(f.start().bookshelfItems()).join(u' ').normalized(QString::NormalizationForm_C),
            expected.normalized(QString::NormalizationForm_C));
    }

    // Entries are written as layout() writes them, separated by "; "; floor names by ", ".
    void repairAtStart_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");  // empty: as before
        QTest::addColumn<QString>("placed"); // floor names with a stored place, before
        QTest::addColumn<QString>("kept");   // and after
        QTest::addColumn<QString>("shown");  // shelf items | carpet items
        QTest::newRow("older sub-folders move in with free names")
            << u"Rak/a.pdf: shelf; books/a.pdf: legacy; books/.hidden: h; photos/p.jpg: p; "
               u"rug/r.txt: r"_s
            << u"Album/p.jpg: p; Karpet/r.txt: r; Rak/.hidden: h; Rak/a (1).pdf: legacy; "
               u"Rak/a.pdf: shelf; books/; photos/; rug/"_s
            << QString() << QString() << u"a (1).pdf, a.pdf | r.txt"_s;
        // The older home folder is copied in; its notes never replace the current ones.
        QTest::newRow("the older home folder moves in")
            << u"~/Marrowick/Bookshelf/b.txt: b; ~/Marrowick/MagicCarpet/c.txt: c; "
               u"~/Marrowick/Photos/p.png: p; ~/Marrowick/notes.json: [{\"title\":\"old\"}]"_s
            << u"Album/p.png: p; Karpet/c.txt: c; Rak/b.txt: b; ~/Marrowick/Bookshelf/; "
               u"~/Marrowick/MagicCarpet/; ~/Marrowick/Photos/; "
               u"~/Marrowick/notes.json: [{\"title\":\"old\"}]"_s
            << QString() << QString() << u"b.txt | c.txt"_s;
        for (const QString& name :
             {u"books"_s, u"rug"_s, u"~/Marrowick"_s, u"~/Marrowick/Bookshelf"_s})
            QTest::addRow("a link named %s is left alone", qPrintable(name))
                << u"~/Projects/Bookshelf/keep.txt: k; ~/Projects/keep.txt: k; "_s + name +
                       u" -> ~/Projects"_s
                << QString() << QString() << QString() << u" | "_s;
        QTest::newRow("a plain file in place of the shelf folder")
            << u"Rak: not a folder; Karpet/a.txt: a"_s << QString() << QString() << QString()
            << u" | a.txt"_s;
        // A carpet file named like a shelf item is someone's other file: it gets a name free
        // in both folders and keeps its place on the floor.
        QTest::newRow("same name, another file")
            << u"Rak/x.txt: shelf; Karpet/x.txt: other"_s
            << u"Karpet/x (1).txt: other; Rak/x.txt: shelf"_s << u"x.txt"_s << u"x (1).txt"_s
            << u"x.txt | x (1).txt"_s;
        QTest::newRow("same name, the next one taken on the shelf too")
            << u"Rak/x.txt: shelf; Rak/x (1).txt: shelf; Karpet/x.txt: other"_s
            << u"Karpet/x (2).txt: other; Rak/x (1).txt: shelf; Rak/x.txt: shelf"_s << u"x.txt"_s
            << u"x (2).txt"_s << u"x (1).txt, x.txt | x (2).txt"_s;
        // A shelf link's namesake is the link's item only when it leads there too.
        QTest::newRow("same name as a shelf link to elsewhere")
            << u"~/x.txt: mine; Rak/x.txt -> ~/x.txt; Karpet/x.txt: other"_s
            << u"Karpet/x (1).txt: other; Rak/x.txt -> ~/x.txt; ~/x.txt: mine"_s << u"x.txt"_s
            << u"x (1).txt"_s << u"x.txt | x (1).txt"_s;
        QTest::newRow("same name as a shelf link to a drive not mounted")
            << u"Rak/m.mkv -> /media/pondsill-absent/m.mkv; Karpet/m.mkv: other"_s
            << u"Karpet/m (1).mkv: other; Rak/m.mkv -> /media/pondsill-absent/m.mkv"_s << QString()
            << QString() << u"m.mkv | m (1).mkv"_s;
        for (const QString& entry : {u"Karpet/x.txt == ~/x.txt"_s, u"Karpet/x.txt -> ~/x.txt"_s})
            QTest::addRow("the shelf link's item itself stays (%s)", qPrintable(entry))
                << u"~/x.txt: mine; Rak/x.txt -> ~/x.txt; "_s + entry << QString() << u"x.txt"_s
                << u"x.txt"_s << u"x.txt | "_s;
        QTest::newRow("the same file's second name under the carpet goes")
            << u"Rak/x.txt: one; Karpet/x.txt == Rak/x.txt"_s << u"Rak/x.txt: one"_s
            << u"x.txt, other"_s << u"other"_s << u"x.txt | "_s;
        QTest::newRow("a carpet link to a shelf file goes")
            << u"Rak/x.txt: one; Karpet/x.txt -> @/Rak/x.txt"_s << u"Rak/x.txt: one"_s
            << u"x.txt, other"_s << u"other"_s << u"x.txt | "_s;
        for (const QString& to : {u"@/Karpet/y.doc"_s, u"../Karpet/y.doc"_s})
            QTest::addRow("a shelf link into the carpet becomes the item (%s)", qPrintable(to))
                << u"Karpet/y.doc: item; Karpet/stays.txt: s; Rak/y.doc -> "_s + to
                << u"Karpet/stays.txt: s; Rak/y.doc: item"_s << u"y.doc, stays.txt"_s
                << u"stays.txt"_s << u"y.doc | stays.txt"_s;
        for (const QString& to : {u"~/Desktop/z.txt"_s, u"../../../Desktop/z.txt"_s})
            QTest::addRow("a shelf link through a carpet link (%s)", qPrintable(to))
                << u"~/Desktop/z.txt: z; Rak/z -> @/Karpet/z; Karpet/z -> "_s + to
                << u"Rak/z -> ~/Desktop/z.txt; ~/Desktop/z.txt: z"_s << QString() << QString()
                << u"z | "_s;
        QTest::newRow("links whose item is gone")
            << u"Rak/gone.pdf -> ~/Documents/gone.pdf; Rak/gone in carpet -> @/Karpet/none; "
               u"Karpet/self -> @/Karpet/self; Karpet/dangling -> ~/Documents/x; "
               u"Karpet/kept.txt: k"_s
            << u"Karpet/kept.txt: k"_s << u"self, dangling, kept.txt"_s << u"kept.txt"_s
            << u" | kept.txt"_s;
        QTest::newRow("a link to itself by its own name goes")
            << u"Karpet/loop -> loop; Karpet/kept.txt: k"_s << u"Karpet/kept.txt: k"_s
            << u"loop, kept.txt"_s << u"kept.txt"_s << u" | kept.txt"_s;
        // Only what lies inside the carpet folder is a carpet item.
        for (const QString& to : {u"@/Karpet2/f.txt"_s, u"@/Karpet"_s})
            QTest::addRow("a shelf link to %s is ordinary", qPrintable(to))
                << u"Karpet2/f.txt: sibling; Karpet/under.txt: u; Rak/link -> "_s + to << QString()
                << QString() << QString() << u"link | under.txt"_s;
        // A file inside a carpet folder is no carpet item of its own: it stays in its
        // folder, and the links to it stay too.
        for (const QString& to : {u"@/Karpet/Folder/file.txt"_s, u"../Karpet/Folder/file.txt"_s})
            QTest::addRow("a shelf link into a carpet folder's folder is ordinary (%s)",
                          qPrintable(to))
                << u"Karpet/Folder/file.txt: f; Karpet/shortcut -> @/Karpet/Folder/file.txt; "
                   u"Rak/file.txt -> "_s +
                       to
                << QString() << u"Folder, shortcut"_s << u"Folder, shortcut"_s
                << u"file.txt | Folder, shortcut"_s;
        QTest::newRow("leftovers of saves a kill cut short go")
            << u"notes.json.bak: mine; mine.json.a1B2c3: mine; Album/.frame_x-1: mine; "
               u"Karpet/.pondsill-copy-K: mine; notes.json.a1B2c3: half; "
               u"floor_positions.json.Zz9yX8: half; photo_transforms.json.000000: half; "
               u"Album/.frame_2-k3j4: half; Karpet/.pondsill-copy-k3j4: half"_s
            << u"Album/.frame_x-1: mine; Karpet/.pondsill-copy-K: mine; mine.json.a1B2c3: mine; "
               u"notes.json.bak: mine"_s
            << QString() << QString() << u" | "_s;
        QTest::newRow("hidden entries are not touched")
            << u"Rak/.dangling -> /nowhere; Rak/.same: a; Karpet/.same: b"_s << QString()
            << QString() << QString() << u" | "_s;
    }
    void repairAtStart()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, placed);
        StorageHome f;
        QVERIFY(f.lay(before.split(u"; "_s)));
        FloorLayoutData floor{{0.3, 0.7}, {}};
        for (const QString& name : placed.split(u", "_s, Qt::SkipEmptyParts))
            floor.itemPositions.insert(name, {0.5, 0.5});
        if (!placed.isEmpty())
            f.file(u"floor_positions.json"_s, *encodeFloorLayout(floor));
        if (after.isEmpty())
            after = f.layout().join(u"; "_s);
        StorageManager& storage = f.start();
        QCOMPARE(f.layout().join(u"; "_s), after);
        QTEST(sorted(namesOf(storage.bookshelfItems())).join(u", "_s) + u" | "_s +
                  sorted(namesOf(storage.carpetItems())).join(u", "_s),
              "shown");
        QTEST(storage.floorItemPositions().keys().join(u", "_s), "kept");
        QCOMPARE(f.storedPositions(), storage.floorItemPositions());
        if (!placed.isEmpty()) // the stored layout of what is still on the floor survives
            QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.3, 0.7}));
        if (before.contains(u"\"old\"")) {
            QCOMPARE(storage.stickyNotes().first().title, u"old"_s);
            f.file(u"notes.json"_s, "[{\"title\":\"current\"}]");
            QCOMPARE(f.start().stickyNotes().first().title, u"current"_s);
        }
    }

    // A file that only shares its name with a shelf link, found at start or arriving while
    // the room runs (moved in by another program), shows on the floor under a name of its
    // own where it lay, and the moves of everything reach it. What is the shelved item
    // itself stays hidden and untouched, and the room's own links never take a floor file's
    // name.
    void namesakesOfShelfLinks_data()
    {
        QTest::addColumn<QString>("before");   // laid before start
        QTest::addColumn<QString>("arriving"); // moved in from ~/in while running
        QTest::addColumn<QString>("after");    // the layout once it has been dealt with
        QTest::addColumn<QString>("shown");    // shelf items | floor items
        QTest::addColumn<QString>("then");     // a move of everything that must reach it
        const QString renamed = u"Karpet/x (1).txt: other; Rak/x.txt -> ~/x.txt; ~/x.txt: mine"_s;
        QTest::newRow("at start") << u"~/x.txt: mine; Rak/x.txt -> ~/x.txt; Karpet/x.txt: other"_s
                                  << QString() << renamed << u"x.txt | x (1).txt"_s
                                  << u"everything back"_s;
        QTest::newRow("a file arrives")
            << u"~/x.txt: mine; Rak/x.txt -> ~/x.txt"_s << u"Karpet/x.txt: other"_s << renamed
            << u"x.txt | x (1).txt"_s << u"trash all"_s;
        QTest::newRow("a link arrives by a floor file's name")
            << u"~/x.txt: mine; Karpet/x.txt: other"_s << u"Rak/x.txt -> ~/x.txt"_s << renamed
            << u"x.txt | x (1).txt"_s << u"everything back"_s;
        QTest::newRow("the link's item arrives under a second name")
            << u"~/x.txt: mine; Rak/x.txt -> ~/x.txt"_s << u"Karpet/x.txt == ~/x.txt"_s
            << u"Karpet/x.txt: mine; Rak/x.txt -> ~/x.txt; ~/x.txt: mine"_s << u"x.txt | "_s
            << QString();
        QTest::newRow("a link to the link's item arrives")
            << u"~/x.txt: mine; Rak/x.txt -> ~/x.txt"_s << u"Karpet/x.txt -> ~/x.txt"_s
            << u"Karpet/x.txt -> ~/x.txt; Rak/x.txt -> ~/x.txt; ~/x.txt: mine"_s << u"x.txt | "_s
            << QString();
        QTest::newRow("a link to the floor file arrives")
            << u"Karpet/x.txt: mine"_s << u"Rak/x.txt -> @/Karpet/x.txt"_s
            << u"Karpet/x.txt: mine; Rak/x.txt -> @/Karpet/x.txt"_s << u"x.txt | "_s << QString();
        QTest::newRow("the room shelves an item by a floor file's name")
            << u"~/x.txt: mine; Karpet/x.txt: other"_s << u"Rak/x (1).txt => ~/x.txt"_s
            << u"Karpet/x.txt: other; Rak/x (1).txt -> ~/x.txt; ~/x.txt: mine"_s
            << u"x (1).txt | x.txt"_s << QString();
    }
    void namesakesOfShelfLinks()
    {
        QFETCH(QString, before);
        QFETCH(QString, arriving);
        QFETCH(QString, shown);
        QFETCH(QString, then);
        StorageHome f;
        QVERIFY(f.lay(before.split(u"; "_s)));
        const StoredPosition placed{0.3, 0.6};
        // A file the floor shows at its default place before a link takes its name; one it
        // never showed keeps the place stored for its name.
        const bool onFloor = before.contains(u"Karpet/x.txt"_s) && !before.contains(u"Rak/x.txt"_s);
        if (!onFloor)
            f.file(u"floor_positions.json"_s,
                   *encodeFloorLayout(FloorLayoutData{{0.5, 0.8}, {{u"x.txt"_s, placed}}}));
        StorageManager& storage = f.start();
        const StoredPosition lay = onFloor ? storage.carpetItemPosition(u"x.txt"_s) : placed;
        const int listings = storage.workCounts().carpetListings;
        if (arriving.contains(u" => "_s)) { // the room's own, listed by the room at once
            QVERIFY(f.lay({arriving}));
            storage.refreshCarpetItems();
        } else if (!arriving.isEmpty()) {
            const QString written =
                arriving.left(arriving.indexOf(QRegularExpression(u": | -> | == "_s)));
            const QString staged = u"~/in/"_s + written.section(u'/', -1);
            QVERIFY(f.lay({staged + arriving.mid(written.size())}));
            QCOMPARE(std::rename(qPrintable(f.path(staged)), qPrintable(f.path(written))), 0);
            QVERIFY(QDir().rmdir(f.path(u"~/in"_s)));
            // The watcher has had the floor listed.
            QTRY_VERIFY(storage.workCounts().carpetListings > listings);
        }
        const auto showing = [&storage] {
            return sorted(namesOf(storage.bookshelfItems())).join(u", "_s) + u" | "_s +
                   sorted(namesOf(storage.carpetItems())).join(u", "_s);
        };
        QTRY_COMPARE(showing(), shown);
        f.settle();
        QTEST(f.layout().join(u"; "_s), "after");
        if (then.isEmpty())
            return;
        // Where it lay, as the floor file shows it and as the stored layout keeps it.
        QCOMPARE(storage.carpetItemPosition(u"x (1).txt"_s), lay);
        QCOMPARE(f.storedPositions().value(u"x (1).txt"_s), lay);
        const QString item = f.path(u"Karpet/x (1).txt"_s);
        if (then == u"trash all") {
            storage.trashCarpetFiles(namesOf(storage.carpetItems()));
            f.settle();
            QCOMPARE(trashed(f.trashRoot()).values(), QStringList{item});
        } else {
            storage.returnEverythingToOrigin();
            f.settle();
            QCOMPARE(f.read(u"~/Desktop/x (1).txt"_s), QByteArray("other"));
        }
        QCOMPARE(f.entries(u"Karpet"_s), QStringList());
        QCOMPARE(f.read(u"~/x.txt"_s), QByteArray("mine"));
    }

    // One arriving while a move of many runs is renamed once that move has ended, and the
    // move itself takes only the files it set out with.
    void namesakeArrivingDuringAMoveOfMany()
    {
        StorageHome f;
        QStringList before{u"~/x.txt: mine"_s, u"Rak/x.txt -> ~/x.txt"_s};
        for (int i = 0; i < 20; ++i)
            before << u"Karpet/a%1.txt: a"_s.arg(i);
        QVERIFY(f.lay(before));
        StorageManager& storage = f.start();
        storage.setBulkSliceItems(1);
        storage.restoreAllCarpetItemsToDesktop();
        QVERIFY(storage.hasMovesInFlight());
        f.file(u"~/in/x.txt"_s, "other");
        QCOMPARE(
            std::rename(qPrintable(f.path(u"~/in/x.txt"_s)), qPrintable(f.path(u"Karpet/x.txt"_s))),
            0);
        storage.reload({f.carpet()}); // as the watcher would, while the move runs
        QVERIFY(f.entries(u"Karpet"_s).contains(u"x.txt"_s));
        f.settle();
        QTRY_COMPARE(namesOf(storage.carpetItems()), QStringList{u"x (1).txt"_s});
        QCOMPARE(f.entries(u"Karpet"_s), QStringList{u"x (1).txt"_s});
        QCOMPARE(f.entries(u"~/Desktop"_s).size(), 20);
        QCOMPARE(f.read(u"Karpet/x (1).txt"_s), QByteArray("other"));
    }

    // A shelf link arrives by the name of a floor file that is being moved to a Desktop on
    // another file system, the copy still waiting for a worker: the file reaches the Desktop
    // whole under its name, and nothing of it is left under the carpet.
    void namesakeWaitsForAMoveOnAWorker()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        QVERIFY(QDir().mkpath(f.desktop()));
        ScratchMount mount("tmpfs", f.desktop());
        if (!mount.isMounted())
            QSKIP(qPrintable(u"cannot mount a file system: "_s + mount.error()));
        QVERIFY(f.lay({u"~/x.txt: mine"_s, u"Karpet/x.txt: other"_s}));
        storage.reloadAll();
        {
            HeldPool held;
            storage.restoreCarpetItemToDesktop(url(f.path(u"Karpet/x.txt"_s)));
            QVERIFY(storage.hasMovesInFlight());
            QVERIFY(
                FileOperations::createSymbolicLink(f.path(u"~/x.txt"_s), f.path(u"Rak/x.txt"_s)));
            storage.reload({f.shelf(), f.carpet()}); // as the watcher would
        }
        f.settle();
        QCOMPARE(f.read(u"~/Desktop/x.txt"_s), QByteArray("other"));
        QCOMPARE(f.entries(u"Karpet"_s), QStringList());
        QCOMPARE(f.read(u"~/x.txt"_s), QByteArray("mine"));
    }

    // The user's links in the carpet folder keep reaching their files through the names the
    // room gives: a floor file renamed for a shelf link's name, or a link of the user's that
    // shares a shelf file's name. The next start keeps them, written as they were.
    void userLinksThroughTheRoomsRenames_data()
    {
        QTest::addColumn<QString>("before");   // laid before start
        QTest::addColumn<QString>("arriving"); // moved in while the room runs
        QTest::addColumn<QString>("link");     // where the user's link stands afterwards
        QTest::addColumn<QByteArray>("reaches");
        QTest::addColumn<bool>("relative");
        for (const bool relative : {true, false}) {
            const char* kind = relative ? "relative" : "absolute";
            const QString toX = relative ? u"x.txt"_s : u"@/Karpet/x.txt"_s;
            const QString namesake = u"~/x.txt: mine; Karpet/x.txt: other; "_s;
            QTest::addRow("a namesake at start, its link %s", kind)
                << namesake + u"Rak/x.txt -> ~/x.txt; Karpet/shortcut.txt -> "_s + toX << QString()
                << u"Karpet/shortcut.txt"_s << QByteArray("other") << relative;
            QTest::addRow("a shelf link arrives by a linked file's name, %s", kind)
                << namesake + u"Karpet/shortcut.txt -> "_s + toX << u"Rak/x.txt -> ~/x.txt"_s
                << u"Karpet/shortcut.txt"_s << QByteArray("other") << relative;
            const QString toZ =
                relative ? u"../../../Other/ztarget.txt"_s : u"~/Other/ztarget.txt"_s;
            QTest::addRow("a link named like a shelf file arrives, %s", kind)
                << u"Rak/z.txt: shelf; ~/Other/ztarget.txt: target"_s << u"Karpet/z.txt -> "_s + toZ
                << u"Karpet/z (1).txt"_s << QByteArray("target") << relative;
            QTest::addRow("a link named like a shelf file at start, %s", kind)
                << u"Rak/z.txt: shelf; ~/Other/ztarget.txt: target; Karpet/z.txt -> "_s + toZ
                << QString() << u"Karpet/z (1).txt"_s << QByteArray("target") << relative;
        }
    }
    void userLinksThroughTheRoomsRenames()
    {
        QFETCH(QString, before);
        QFETCH(QString, arriving);
        QFETCH(QString, link);
        QFETCH(QByteArray, reaches);
        QFETCH(bool, relative);
        StorageHome f;
        QVERIFY(f.lay(before.split(u"; "_s)));
        StorageManager* storage = &f.start();
        if (!arriving.isEmpty()) {
            const int listings = storage->workCounts().carpetListings;
            const QString written = arriving.section(u" -> "_s, 0, 0);
            const QString staged = u"~/in/"_s + written.section(u'/', -1);
            QVERIFY(f.lay({staged + arriving.mid(written.size())}));
            QCOMPARE(std::rename(qPrintable(f.path(staged)), qPrintable(f.path(written))), 0);
            QTRY_VERIFY(storage->workCounts().carpetListings > listings);
            f.settle();
            storage = &f.start(); // the next start, and its repair
        }
        const auto check = [&](const StorageManager& room) {
            QCOMPARE(f.read(link), reaches);
            const std::optional<QString> text = FileOperations::readLink(f.path(link));
            QVERIFY(text && QDir::isAbsolutePath(*text) != relative);
            QVERIFY(namesOf(room.carpetItems()).contains(link.section(u'/', -1)));
        };
        check(*storage);
        check(f.start());
    }

    // What the room does itself is not read back as news: no published field changes
    // once the folder events of its own writes and moves have come and gone. What another
    // program does in the same folders still shows, and unsaved typing survives it.
    void ownChangesCauseNoReload_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"floor position", "carpet position", "note saved",
                                   "photo transform", "hide", "shelve"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void ownChangesCauseNoReload()
    {
        QFETCH(QString, change);
        StorageHome f;
        QVERIFY(f.lay({u"Karpet/a.txt: a"_s, u"~/Unduhan/b.txt: b"_s}));
        StorageManager& storage = f.start();
        QTest::qWait(300); // the start-up's own folder events
        StickyNotes notes = storage.stickyNotes();
        notes[0].title = u"typed"_s;
        if (change == u"floor position") {
            storage.setFloorItemPosition(u"a.txt"_s, 0.3, 0.7);
        } else if (change == u"carpet position") {
            storage.setCarpetPosition(0.4, 0.8);
        } else if (change == u"note saved") {
            storage.setStickyNotes(notes);
            storage.saveNotes();
        } else if (change == u"photo transform") {
            storage.setPhotoTransform(0, 1.5, 90, 4, 4);
        } else {
            f.act(change, u"~/Unduhan/b.txt"_s);
        }
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (int i = 0; i < storage.metaObject()->propertyCount(); ++i)
            spies.push_back(std::make_unique<QSignalSpy>(
                &storage, storage.metaObject()->property(i).notifySignal()));
        QTest::qWait(500);
        for (const auto& spy : spies)
            QVERIFY2(spy->isValid() && spy->isEmpty(), spy->signal().constData());

        notes[0].freeformText = u"half-typed"_s;
        storage.setStickyNotes(notes); // edited in memory, not saved yet
        f.file(u"Karpet/c.txt"_s);
        QTRY_VERIFY(namesOf(storage.carpetItems()).contains(u"c.txt"_s));
        QCOMPARE(storage.stickyNotes().first().freeformText, u"half-typed"_s);
        // Files another program puts in place are taken over.
        f.file(u"floor_positions.json.tmp"_s,
               "{\"carpetPosition\":{\"x\":0.3,\"y\":0.6},\"itemPositions\":{}}");
        f.file(u"notes.json.tmp"_s, "[{\"title\":\"from elsewhere\"}]");
        for (const QString& name : {u"floor_positions.json"_s, u"notes.json"_s})
            QCOMPARE(std::rename(qPrintable(f.path(name + u".tmp"_s)), qPrintable(f.path(name))),
                     0);
        // The other program's note joins the room's; the note being typed in stays.
        QTRY_COMPARE(titles(storage.stickyNotes()), (QStringList{u"typed"_s, u"from elsewhere"_s}));
        QCOMPARE(storage.stickyNotes().first().freeformText, u"half-typed"_s);
        QTRY_COMPARE(storage.carpetPositionNorm(), (StoredPosition{0.3, 0.6}));
    }

    void freeNames_data()
    {
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second number") << QStringList{u"Report.pdf: x"_s, u"Report (1).pdf: x"_s}
                                       << u"Report.pdf"_s << u"Report (2).pdf"_s;
        QTest::newRow("two extensions") << QStringList{u"archive.tar.gz: x"_s}
                                        << u"archive.tar.gz"_s << u"archive.tar (1).gz"_s;
        QTest::newRow("leading dot only")
            << QStringList{u".profile: x"_s} << u".profile"_s << u".profile (1)"_s;
        QTest::newRow("dangling link holds its name")
            << QStringList{u"a.txt -> /nowhere"_s} << u"a.txt"_s << u"a (1).txt"_s;
    }
    void freeNames()
    {
        QFETCH(QStringList, taken);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        StorageHome f;
        const QString folder = f.path(u"f"_s);
        QVERIFY(f.lay({u"f/"_s}));
        for (const QString& entry : taken)
            QVERIFY(f.lay({u"f/"_s + entry}));
        QCOMPARE(StorageManager::uniqueDestinationPath(folder, name), folder + u'/' + expected);
    }

    void origins_data()
    {
        QTest::addColumn<QByteArray>("stored"); // as the attribute holds it
        QTest::addColumn<QString>("origin");    // null: read as absent
        const QString accented = u"/home/x/My 😀 files/Café.txt"_s;
        const QString longer = u"/home/x/"_s + QString(200, u'd') + u'/' + QString(200, u'é') +
                               u'/' + QString(900, u'n');
        QTest::newRow("accented") << accented.toUtf8() << accented;
        QTest::newRow("longer than 1024 bytes") << longer.toUtf8() << longer;
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("not UTF-8") << QByteArray("/home/\xff\xfe") << QString();
    }
    void origins()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, origin);
        StorageHome f;
        const QUrl item = url(f.file(u"Rak/item.txt"_s));
        if (origin.isNull())
            QVERIFY(ExtendedAttributes::write(item.toLocalFile(), ExtendedAttributes::originName,
                                              stored));
        else
            StorageManager::writeOriginAttributes(item, origin);
        QCOMPARE(StorageManager::readOriginAttribute(item),
                 origin.isNull() ? std::nullopt : std::optional(origin));
        QCOMPARE(ExtendedAttributes::read(item.toLocalFile(), ExtendedAttributes::originName),
                 std::optional(stored));
    }

    // Dropped text is taken only as one absolute path or one local file URL.
    void drops_data()
    {
        QTest::addColumn<QString>("urls"); // separated by spaces
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // local paths, separated by "; "
        QTest::newRow("file URLs") << u"file:///home/x/a.txt file:///home/x/b%20c.txt"_s
                                   << QString() << u"/home/x/a.txt; /home/x/b c.txt"_s;
        QTest::newRow("web URL refused")
            << u"https://example.org/a.txt"_s << QString() << QString();
        QTest::newRow("other host refused")
            << u"file://server/share/a.txt"_s << QString() << QString();
        QTest::newRow("localhost")
            << u"file://localhost/home/x/a.txt"_s << QString() << u"/home/x/a.txt"_s;
        QTest::newRow("text file URL")
            << QString() << u"  file:///home/x/a%20b.txt\n"_s << u"/home/x/a b.txt"_s;
        QTest::newRow("text absolute path")
            << QString() << u"/home/x/../y/./a.txt"_s << u"/home/y/a.txt"_s;
        QTest::newRow("text relative path") << QString() << u"~/a.txt"_s << QString();
        QTest::newRow("text several lines") << QString() << u"/a\n/b"_s << QString();
    }
    void drops()
    {
        QFETCH(QString, urls);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(QUrl::fromStringList(urls.split(u' ')));
        if (!text.isNull())
            data.setText(text);
        QString got;
        const auto collect = [&got](const QUrl& url) {
            got += (got.isEmpty() ? u""_s : u"; "_s) + url.toLocalFile();
        };
        StorageManager::loadDroppedURL(data, collect);
        QVERIFY(got.isEmpty()); // delivered later, on the GUI thread
        QCoreApplication::processEvents();
        QCOMPARE(got, expected);

        got.clear();
        StorageManager::completeDroppedURLLoad(std::nullopt, data, collect);
        QCoreApplication::processEvents();
        QCOMPARE(got, expected);
    }
    // Only the icons the room covers move, to the free column on the right, names as given;
    // the room's record of the switch follows only what the desktop really switched.
    void desktopIcons()
    {
        StorageHome f;
        auto icons = std::make_shared<FakeDesktopIcons>();
        const QString quoted = u"He said \"hi\" \\ $(rm -rf ~).txt"_s;
        icons->listed = {{u"under the shelf"_s, QPoint(100, 700)},
                         {u"free"_s, QPoint(900, 600)},
                         {quoted, QPoint(600, 500)},
                         {u"high up"_s, QPoint(600, 300)}};
        StorageManager& storage = f.start();
        storage.setDesktopIcons(icons);
        StdoutCapture out;
        storage.moveCoveredIcons();
        QCOMPARE(out.finish(), QString());
        QCOMPARE(icons->moves,
                 (QStringList{u"under the shelf 1250,100"_s, quoted + u" 1250,195"_s}));

        for (int times = 0; times < 2; ++times)
            storage.toggleDesktopIcons();
        QVERIFY(!storage.areDesktopIconsHidden());
        QCOMPARE(icons->switchedTo, (QList<bool>{false, false}));
    }

    // The floor's layout is saved off the GUI thread: a reload before the save has landed
    // keeps the room's layout, saves land in the order they were made, and the last one is
    // on disk even when the service goes away at once.
    void floorSavesLandInOrderAndAreNotUndoneByAReload()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        storage.setCarpetPosition(0.2, 0.3);
        storage.reloadAll();
        QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.2, 0.3}));
        for (int i = 1; i <= 5; ++i)
            storage.setCarpetPosition(0.1 * i, 0.7);
        f.start(); // the first service goes; a new one reads what is on disk
        QCOMPARE(f->carpetPositionNorm(), (StoredPosition{0.5, 0.7}));
    }

    void recordsRoundTripExactly()
    {
        const PhotoTransforms transforms = {{0, {1.25, -170, 8, -16}},
                                            {5, {0.1 + 0.2, 359.999, 1e-300, 3}}};
        QCOMPARE(decodePhotoTransforms(*encodePhotoTransforms(transforms)),
                 std::optional(transforms));
        const FloorLayoutData floor{{0.25, 0.5},
                                    {{u"say \"hi\".txt"_s, {0.1, 0.3}},
                                     {u"😀 party.png"_s, {0.2, 0.3}},
                                     {u"Тетрадь.doc"_s, {1e-300, 0.3}},
                                     {u"a/b? no: back\\slash"_s, {0.4, 0.3}}}};
        QCOMPARE(decodeFloorLayout(*encodeFloorLayout(floor)), std::optional(floor));

        const auto lower = decodeStickyNotes("[{\"id\":\"" + kId.toLower() + "\"}]");
        QVERIFY(lower);
        QCOMPARE(uuidText(lower->first().id), QString::fromLatin1(kId));
        const StickyNote note{.title = u"a/b \"quoted\" ☕"_s,
                              .tasks = {{QUuid::createUuid(), u"one"_s, true},
                                        {QUuid::createUuid(), u"two"_s, false}},
                              .freeformText = u"line 1\nline 2"_s,
                              .mode = NoteMode::checklist,
                              .color = NoteColor::lavender,
                              .pinStyle = PinStyle::heart,
                              .pattern = PaperPattern::dots,
                              .x = 12.345678901234567,
                              .y = -3,
                              .rotation = 1e-9};
        const auto bytes = encodeStickyNotes({note});
        QVERIFY(bytes);
        // Written compactly, ids in capitals, colours in lower case, a slash escaped.
        QVERIFY(!bytes->contains('\n'));
        QVERIFY(bytes->contains(uuidText(note.id).toUtf8()));
        QVERIFY(bytes->contains("\"color\":\"lavender\""));
        QVERIFY(bytes->contains("a\\/b"));
        QCOMPARE(decodeStickyNotes(*bytes), std::optional(StickyNotes{note}));
    }

    // Missing or null members take their defaults, older colour names are read in any case
    // (unknown ones as lime), and one bad member fails the whole list, so that a file is
    // never half read.
    void storedNoteMembers_data()
    {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<QString>("read"); // empty: the list is refused
        const QString plain = u"yellow washiTape freeform 40 40 0 Catatan"_s;
        QTest::newRow("none") << QByteArray() << plain;
        QTest::newRow("null members") << QByteArray("\"title\":null,\"pinStyle\":null,\"x\":null,"
                                                    "\"color\":null,\"id\":null")
                                      << plain;
        const std::pair<const char*, const char*> colours[] = {
            {"purple", "pink"}, {"Lavender", "lavender"}, {"teal", "lime"}};
        for (const auto& [stored, read] : colours)
            QTest::addRow("colour %s", stored)
                << "\"color\":\"" + QByteArray(stored) + '"'
                << QString(plain).replace(u"yellow"_s, QLatin1StringView(read));
        QTest::newRow("pin style in other case")
            << QByteArray("\"pinStyle\":\"WashiTape\"") << QString();
        QTest::newRow("unknown mode") << QByteArray("\"mode\":\"Freeform\"") << QString();
        QTest::newRow("string for x") << QByteArray("\"x\":\"10\"") << QString();
        QTest::newRow("id with braces") << "\"id\":\"{" + kId + "}\"" << QString();
        QTest::newRow("task without isCompleted")
            << "\"tasks\":[{\"id\":\"" + kId + "\",\"text\":\"a\"}]" << QString();
    }
    void storedNoteMembers()
    {
        QFETCH(QByteArray, members);
        QFETCH(QString, read);
        const auto notes = decodeStickyNotes("[{" + members + "},{}]");
        QCOMPARE(bool(notes), !read.isEmpty());
        if (!notes) { // the same value under a name the room does not know is ignored
            QVERIFY(
                decodeStickyNotes("[{\"other\":" + members.mid(members.indexOf(':') + 1) + "}]"));
            return;
        }
        const StickyNote& note = notes->first();
        QCOMPARE((QStringList{rawValue(note.color), rawValue(note.pinStyle), rawValue(note.mode),
                              QString::number(note.x), QString::number(note.y),
                              QString::number(note.rotation), note.title}
                      .join(u' ')),
                 read);
        QVERIFY(!note.id.isNull() && note.id != notes->last().id);
    }

    // Older files let a note sit under the header band, or keep a checklist's text in its
    // tasks only: both are mended when read, and the file is not written back.
    void olderNotesAreMendedWhenRead_data()
    {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("text");
        QTest::newRow("inside the band") << QByteArray("\"x\":100,\"y\":10") << 50.0 << QString();
        QTest::newRow("below the band") << QByteArray("\"x\":100,\"y\":48") << 48.0 << QString();
        QByteArray tasks = "\"mode\":\"checklist\",\"tasks\":[";
        for (const char* text : {"a", "b", "c"})
            tasks += "{\"id\":\"" + kId.chopped(1) + text + "\",\"text\":\"" + text +
                     "\",\"isCompleted\":false}" + (*text == 'c' ? "]" : ",");
        QTest::newRow("checklist text in the tasks only") << tasks << 50.0 << u"a\nb\nc"_s;
    }
    void olderNotesAreMendedWhenRead()
    {
        StorageHome f;
        QFETCH(QByteArray, members);
        const QByteArray file = "[{" + members + "}]";
        f.file(u"notes.json"_s, file);
        const StickyNote note = f.start().stickyNotes().first();
        QTEST(note.y, "y");
        QTEST(note.freeformText, "text");
        QCOMPARE(f.read(u"notes.json"_s), file);
    }

    // New notes go to the end, on the board and into notes.json. A note added or deleted
    // inside an animated change animates on the board, though the change itself happens a
    // moment later.
    void addingAndDeletingNotes()
    {
        StorageHome f;
        StorageManager& storage = f.start(); // no file: the starting notes, written
        QCOMPARE(titles(storage.stickyNotes()), kStartingTitles);
        QVERIFY(storage.stickyNotes()[0].id != storage.stickyNotes()[1].id);
        QVERIFY(notesOnDisk(f) == storage.stickyNotes());
        f.file(u"notes.json"_s, "[{\"title\":\"T\"}]");
        storage.loadNotes();
        QList<std::optional<Animation>> animations;
        QObject::connect(&storage, &StorageManager::stickyNotesChanged,
                         [&animations] { animations.append(currentAnimation()); });
        const Animation spring = Animation::spring(0.4, 0.8);
        withAnimation(spring, [&] { storage.addNote(); });
        for (int i = 0; i < 99; ++i)
            storage.addNote();
        QCOMPARE(storage.stickyNotes().size(), 1); // appended later
        QTRY_COMPARE(storage.stickyNotes().size(), 101);
        const StickyNotes notes = storage.stickyNotes();
        QCOMPARE(titles(notes.first(2)), (QStringList{u"T"_s, u"Catatan Baru"_s}));
        QCOMPARE(notes.last().freeformText, u"Tulis isi catatan di sini..."_s);
        QVERIFY(notesOnDisk(f) == asStored(notes));
        QCOMPARE(notesOnDisk(f).first().y, 40.0); // shown at 50, out of the header's band
        for (const StickyNote& note : notes.mid(1))
            QVERIFY(note.x >= 20 && note.x <= 180 && note.y >= 54 && note.y <= 150);
        withAnimation(spring, [&] { storage.deleteNote(notes.constLast().id); });
        QTRY_COMPARE(storage.stickyNotes().size(), 100);
        QCOMPARE((QList{animations.first(), animations.at(1), animations.last()}),
                 (QList<std::optional<Animation>>{spring, std::nullopt, spring}));

        const StickyNote a;
        const StickyNote b{.title = u"keep"_s};
        StickyNote twin = a;
        twin.title = u"twin"_s;
        // Unwritten by the room: an unknown id changes nothing but still writes the file.
        f.file(u"notes.json"_s, "[\n" + encodeStickyNotes({a, b})->mid(1));
        storage.loadNotes();
        storage.deleteNote(QUuid::createUuid());
        QTRY_VERIFY(!f.read(u"notes.json"_s).contains('\n'));
        QCOMPARE(storage.stickyNotes().size(), 2);

        // A file's repeated ids are made unique as it loads; one that reaches the list
        // otherwise goes with its twin.
        storage.appendNote(twin);
        storage.deleteNote(a.id); // both notes with that id go
        QTRY_COMPARE(titles(storage.stickyNotes()), QStringList{u"keep"_s});
        QCOMPARE(titles(notesOnDisk(f)), QStringList{u"keep"_s});

        // Deleting the last note leaves an empty list; the next load shows the starting notes.
        storage.removeNote(b.id);
        QCOMPARE(f.read(u"notes.json"_s), QByteArray("[]"));
        storage.loadNotes();
        QCOMPARE(titles(storage.stickyNotes()), kStartingTitles);
    }

    // What cannot be read is kept beside the file before anything is written over it.
    void damagedFilesAreSetAside_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated floor")
            << u"floor_positions.json"_s
            << QByteArray("{\"carpetPosition\":{\"x\":0.3,\"y\":0.7},\"itemPosi");
        QTest::newRow("truncated notes")
            << u"notes.json"_s << QByteArray("[{\"title\":\"My plans\",\"freeformT");
        QTest::newRow("notes not in a list")
            << u"notes.json"_s << QByteArray("{\"title\":\"My plans\"}");
        QTest::newRow("truncated transforms")
            << u"photo_transforms.json"_s << QByteArray("{\"0\": {\"scale\": ");
    }
    void damagedFilesAreSetAside()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        StorageHome f;
        f.file(file, content);
        { // written a while ago: no program is still writing it
            QFile old(f.path(file));
            QVERIFY(old.open(QIODevice::ReadWrite));
            QVERIFY(old.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                    QFileDevice::FileModificationTime));
        }
        for (int start = 0; start < 2; ++start) { // the second start finds a good file
            f.start().setPhotoTransform(1, 2, 30, 4, 5);
            const QStringList aside =
                QDir(f.root()).entryList({file.chopped(5) + u".damaged-*.json"_s});
            QCOMPARE(aside.size(), 1);
            QCOMPARE(f.read(aside.first()), content);
            QVERIFY(!QJsonDocument::fromJson(f.read(file)).isNull());
        }
        QCOMPARE(f->carpetPositionNorm(), (StoredPosition{0.498, 0.82}));
        QCOMPARE(f->stickyNotes().size(), 2);
        // A reload takes a good file over; one that cannot be decoded leaves what is shown.
        f.file(u"photo_transforms.json"_s,
               "{\"0\":{\"scale\":2,\"rotation\":90,\"offsetX\":8,\"offsetY\":-8}}");
        f->reloadAll();
        QCOMPARE(f->photoTransforms(), (PhotoTransforms{{0, {2, 90, 8, -8}}}));
        f.file(u"photo_transforms.json"_s, "{\"a\":{\"scale\":2}}");
        f->reloadAll();
        QCOMPARE(f->photoTransforms().keys(), QList<int>{0});
    }
};

PONDSILL_TEST(StorageManagerTest)
#include "storage_manager_test.moc"
