// Moves of many items at once: what they cost the room, counted, and that one cut short
// loses nothing.
#include "platform/file_operations.h"
#include "storage/file_name_order.h"
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>

namespace {
constexpr int kItems = 1000;
// A move cut short is looked at after its first slice of this many items.
constexpr int kSliceItems = 100;

QString nameOf(int i)
{
    return u"berkas %1.txt"_s.arg(i, 4, 10, QLatin1Char('0'));
}

QString counted(const StorageManager::WorkCounts& before, const StorageManager::WorkCounts& after)
{
    return u"floor saves %1, link saves %2, shelf listings %3, carpet listings %4"_s
        .arg(after.floorSaves - before.floorSaves)
        .arg(after.shelfLinkSaves - before.shelfLinkSaves)
        .arg(after.shelfListings - before.shelfListings)
        .arg(after.carpetListings - before.carpetListings);
}

// Items `from` to `to` (excluded) in the storage folder's `folder`, each recording ~/Asal as
// where it came from.
void stored(StorageHome& f, const QString& folder, int from, int to)
{
    for (int i = from; i < to; ++i) {
        const QString path = f.file(folder + u'/' + nameOf(i));
        f.file(u"~/Asal/.keep"_s);
        StorageManager::writeOriginAttributes(url(path), f.path(u"~/Asal/"_s + nameOf(i)));
    }
}

// Items `from` to `to` on the shelf as the room's own links to files of ~/Asal.
void shelvedLinks(StorageHome& f, int from, int to)
{
    QList<QUrl> items;
    for (int i = from; i < to; ++i)
        items << url(f.file(u"~/Asal/"_s + nameOf(i)));
    // As one drop: shelved one by one, each would write the record of the room's links anew,
    // which took minutes for a thousand on a loaded machine.
    f->addDroppedToBookshelf(items);
    f.settle();
}

// The first half of a shelf of `kItems` links are the room's own, to files of ~/Asal; the
// others the user's, relative, to files of ~/Asal too.
void shelfOfLinks(StorageHome& f)
{
    shelvedLinks(f, 0, kItems / 2);
    QStringList entries;
    for (int i = kItems / 2; i < kItems; ++i) {
        f.file(u"~/Asal/"_s + nameOf(i));
        entries << u"Rak/tautan "_s + nameOf(i) + u" -> ../../../Asal/"_s + nameOf(i);
    }
    QVERIFY(f.lay(entries));
    f->reloadAll();
}

// Lays out `kItems` items for `operation` and starts the storage service on them.
void layOut(StorageHome& f, const QString& operation)
{
    if (operation == u"all to carpet") {
        stored(f, u"Rak"_s, 0, kItems);
        f.start();
    } else if (operation == u"return all" || operation == u"everything back") {
        const int onShelf = operation == u"return all" ? kItems : kItems / 2;
        stored(f, u"Karpet"_s, onShelf, kItems);
        f.start();
        shelvedLinks(f, 0, onShelf);
    } else {
        stored(f, u"Karpet"_s, 0, kItems);
        f.start();
    }
}

void act(StorageHome& f, const QString& operation)
{
    if (operation == u"to shelf" || operation == u"trash items") {
        QStringList names;
        for (const QUrl& item : f->carpetItems())
            names << item.fileName();
        if (operation == u"to shelf")
            f->moveCarpetItemsToBookshelf(names);
        else
            f->trashCarpetFiles(names);
        return;
    }
    f.act(operation, {});
}

// The floor takes 20 ms to let the files of a move go, as it does with thousands of them.
void slowToLetGo(StorageHome& f)
{
    QObject::connect(f.operator->(), &StorageManager::carpetItemsLeaving, [] {
        QElapsedTimer letting;
        letting.start();
        while (letting.elapsed() < 20) {
        }
    });
}

// Where item `i` stands, as a start of the room finds it: "before", "after" (moved, and
// still knowing where it came from), or what is wrong.
QString placeOf(StorageHome& f, const QString& operation, int i,
                const QMap<QString, QString>& trash)
{
    const QString name = nameOf(i);
    const QString origin = f.path(u"~/Asal/"_s + name);
    QString before = f.path(u"Karpet/"_s + name);
    QString after;
    if (operation == u"all to carpet") {
        before = f.path(u"Rak/"_s + name);
        after = f.path(u"Karpet/"_s + name);
    } else if (operation == u"to shelf") {
        after = f.path(u"Rak/"_s + name);
    } else if (operation == u"trash items") {
        after = f.trashRoot() + u"/files/"_s + name;
    } else {
        after = origin;
        // The room's link goes; the item never left ~/Asal.
        if ((operation == u"return all" || (operation == u"everything back" && i < kItems / 2)))
            before = f.path(u"Rak/"_s + name);
    }
    const bool atBefore = FileOperations::entryExists(before);
    const bool atAfter = FileOperations::entryExists(after);
    const bool linked =
        operation == u"return all" || (operation == u"everything back" && i < kItems / 2);
    if (linked)
        return atAfter ? (atBefore ? u"before"_s : u"after"_s) : u"lost"_s;
    if (atBefore == atAfter)
        return atBefore ? u"twice"_s : u"lost"_s;
    if (atBefore)
        return u"before"_s;
    if (operation == u"trash items")
        return trash.value(name) == before ? u"after"_s : u"trashed from elsewhere"_s;
    // On the shelf or the floor the item still knows where it came from.
    if (after != origin && originOf(after) != origin)
        return u"moved without its origin"_s;
    return u"after"_s;
}
} // namespace

class BulkMovesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // What an earlier test put in the Trash is not this test's.
        ScratchFolders::removeTree(qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash"_s);
    }

    void operations_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("work");
        QTest::newRow("every floor file back") << u"restore all"_s
                                               << u"floor saves 1, link saves 0, shelf listings "
                                                  u"0, carpet listings 1"_s;
        QTest::newRow("every shelf entry onto the floor")
            << u"all to carpet"_s
            << u"floor saves 1, link saves 0, shelf listings 1, carpet listings 1"_s;
        QTest::newRow("every shelf link back")
            << u"return all"_s
            << u"floor saves 0, link saves 1, shelf listings 1, carpet listings 1"_s;
        QTest::newRow("a floor selection into the Trash")
            << u"trash items"_s
            << u"floor saves 1, link saves 0, shelf listings 1, carpet listings 1"_s;
        QTest::newRow("a floor selection onto the shelf")
            << u"to shelf"_s
            << u"floor saves 1, link saves 0, shelf listings 1, carpet listings 1"_s;
        QTest::newRow("everything back")
            << u"everything back"_s
            << u"floor saves 1, link saves 1, shelf listings 1, carpet listings 1"_s;
    }

    // A thousand items moved at once save the layout files and list the room's folders once,
    // at the end, and every item reaches its place.
    void operations()
    {
        QFETCH(QString, operation);
        QFETCH(QString, work);
        StorageHome f;
        layOut(f, operation);
        const StorageManager::WorkCounts before = f->workCounts();
        act(f, operation);
        f.settle();
        QCOMPARE(counted(before, f->workCounts()), work);
        QStringList misplaced;
        const QMap<QString, QString> trash = trashed(f.trashRoot());
        for (int i = 0; i < kItems; ++i) {
            if (const QString place = placeOf(f, operation, i, trash); place != u"after")
                misplaced << nameOf(i) + u": "_s + place;
        }
        QCOMPARE(misplaced, QStringList());
        const int left = operation == u"all to carpet" ? kItems : 0;
        const int shelved = operation == u"to shelf" ? kItems : 0;
        QCOMPARE(f->carpetItems().size(), left);
        QCOMPARE(f->bookshelfItems().size(), shelved);
        if (operation == u"all to carpet")
            QCOMPARE(f.storedPositions().size(), kItems);
        else
            QCOMPARE(f.storedPositions().size(), 0);
    }

    void linksNotedInTurns_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("userLinksGoTo");
        QTest::newRow("every shelf entry onto the floor") << u"all to carpet"_s << u"Karpet/"_s;
        QTest::newRow("every shelf entry back") << u"return all"_s << u"~/Desktop/"_s;
    }

    // A shelf of a thousand links laid on the floor or sent back: the links are looked at a
    // turn at a time, not all in the turn of the click, and before any item moves; the
    // user's links still reach their items where they went.
    void linksNotedInTurns()
    {
        QFETCH(QString, operation);
        QFETCH(QString, userLinksGoTo);
        StorageHome f;
        f.start();
        // The room's own turns, as it takes them: a slice forced by item count has every link
        // looked at in the first turn.
        f->setBulkSliceItems(std::nullopt);
        shelfOfLinks(f);
        QCOMPARE(f->bookshelfItems().size(), kItems);
        const int before = f->workCounts().linksNoted;
        f.act(operation, {});
        const int noted = f->workCounts().linksNoted - before;
        QVERIFY2(noted <= StorageManager::kLinkNoteSlice, qPrintable(QString::number(noted)));
        // Nothing moved while links were still to be looked at.
        QCOMPARE(FileOperations::listEntries(f.shelf(), false).value_or(QStringList()).size(),
                 kItems);

        f.settle();
        QCOMPARE(f->workCounts().linksNoted - before, kItems);
        QStringList astray;
        for (int i = kItems / 2; i < kItems; ++i) {
            const QString link = f.path(userLinksGoTo + u"tautan "_s + nameOf(i));
            if (!FileOperations::isSymbolicLink(link) ||
                FileOperations::resolvedLinkTarget(link) != f.path(u"~/Asal/"_s + nameOf(i)))
                astray << link;
        }
        QCOMPARE(astray, QStringList());
        QCOMPARE(f->bookshelfItems().size(), 0);
    }

    void floorLinksLookedAtByAWorker_data()
    {
        QTest::addColumn<int>("dead");
        QTest::newRow("every link leads somewhere") << 0;
        QTest::newRow("links on the floor lead nowhere") << 3;
    }

    // A shelf of a thousand links laid on the floor: the floor listed at the end leaves out
    // the links that lead nowhere, yet the GUI thread looks only at those a worker found
    // dead, not at every link (with thousands that alone kept the room from answering).
    void floorLinksLookedAtByAWorker()
    {
        QFETCH(int, dead);
        StorageHome f;
        f.start();
        shelfOfLinks(f);
        QStringList deadEnds;
        for (int i = 0; i < dead; ++i)
            deadEnds << u"Karpet/buntu %1 -> ../tiada %1"_s.arg(i);
        QVERIFY(f.lay(deadEnds));
        f->reloadAll();
        QCOMPARE(f->carpetItems().size(), 0);
        const int before = f->workCounts().carpetLinkLooks;
        f.act(u"all to carpet"_s, {});
        f.settle();
        QCOMPARE(f->workCounts().carpetLinkLooks - before, dead);
        QCOMPARE(f->carpetItems().size(), kItems);
        for (const QUrl& item : f->carpetItems())
            QVERIFY2(!item.fileName().startsWith(u"buntu"_s), qPrintable(item.fileName()));
        // Each at its place in the carpet folder, in the floor's order.
        QStringList names;
        for (const QUrl& item : f->carpetItems()) {
            QCOMPARE(item, QUrl::fromLocalFile(f.carpet() + u'/' + item.fileName()));
            QVERIFY(FileOperations::entryExists(item.toLocalFile()));
            names << item.fileName();
        }
        QStringList ordered = names;
        std::sort(ordered.begin(), ordered.end(), [](const QString& a, const QString& b) {
            return FileNameOrder::key(a) < FileNameOrder::key(b);
        });
        QCOMPARE(names, ordered);
    }

    // A move of many that took turns of its own mends the user's links in one turn and lists
    // the room's folders in a later one: after thousands of moves, either takes a good part
    // of what a turn may. The links are mended before the floor is listed, which leaves out
    // a link that leads nowhere.
    void endsOverTwoTurns()
    {
        StorageHome f;
        stored(f, u"Rak"_s, 0, kItems);
        f.start();
        QStringList links;
        for (int i = 0; i < kItems; i += 100)
            links << u"Karpet/pintasan %1 -> ../Rak/"_s.arg(i) + nameOf(i);
        QVERIFY(f.lay(links));
        f->reloadAll();
        f->setBulkSliceItems(kSliceItems);
        const StorageManager::WorkCounts before = f->workCounts();
        f->moveAllBookshelfItemsToCarpet();
        const auto mended = [&f] {
            return FileOperations::readLink(f.path(u"Karpet/pintasan 0"_s)) == nameOf(0);
        };
        int turns = 0;
        std::optional<int> mendedIn;
        std::optional<int> listedIn;
        // Turns with nothing posted count too: the floor's links may be looked at by a worker.
        const QDeadlineTimer deadline(30000);
        while (f->hasMovesInFlight() && !deadline.hasExpired()) {
            // One turn of the event loop: the slice whose timer is due and what was posted
            // before it, not what either posts.
            QCoreApplication::processEvents();
            ++turns;
            if (!mendedIn && mended())
                mendedIn = turns;
            if (!listedIn && f->workCounts().carpetListings != before.carpetListings)
                listedIn = turns;
        }
        QVERIFY(mendedIn && listedIn);
        QVERIFY2(
            *mendedIn < *listedIn,
            qPrintable(u"mended in turn %1, listed in turn %2"_s.arg(*mendedIn).arg(*listedIn)));
        QCOMPARE(f->carpetItems().size(), kItems + kItems / 100);
    }

    void leavingTakesItsShare_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("every floor file back") << u"restore all"_s;
        QTest::newRow("a floor selection into the Trash") << u"trash items"_s;
        QTest::newRow("a floor selection onto the shelf") << u"to shelf"_s;
    }

    // A floor slow to let its files go has taken the turn the move was asked in: the move
    // waits for the next turn, and moves no item in that one (the rest follow as in
    // operations).
    void leavingTakesItsShare()
    {
        QFETCH(QString, operation);
        StorageHome f;
        layOut(f, operation);
        // The move's own slices, not a slice forced for looking between them.
        f->setBulkSliceItems(std::nullopt);
        slowToLetGo(f);
        act(f, operation);
        QVERIFY(f->hasMovesInFlight());
        int moved = 0;
        const QMap<QString, QString> trashedThen = trashed(f.trashRoot());
        for (int i = 0; i < kItems; ++i)
            moved += placeOf(f, operation, i, trashedThen) == u"after" ? 1 : 0;
        QCOMPARE(moved, 0);
        // Put off, the batch still moves every item.
        f.settle();
        const QMap<QString, QString> trashedAfter = trashed(f.trashRoot());
        for (int i = 0; i < kItems; ++i)
            QCOMPARE(placeOf(f, operation, i, trashedAfter), u"after"_s);
    }

    // A move of one floor file ends inside the call, however long the floor took to let it
    // go: the shelf, the floor and the tests read the result as soon as the call returns.
    void aFewItemsMoveInTheCall_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("a floor file onto the shelf") << u"to shelf"_s;
        QTest::newRow("a floor file into the Trash") << u"trash items"_s;
    }
    void aFewItemsMoveInTheCall()
    {
        QFETCH(QString, operation);
        StorageHome f;
        layOut(f, operation);
        slowToLetGo(f);
        if (operation == u"to shelf")
            f->moveCarpetItemsToBookshelf({nameOf(0)});
        else
            f->trashCarpetFiles({nameOf(0)});
        QCOMPARE(placeOf(f, operation, 0, trashed(f.trashRoot())), u"after"_s);
        QCOMPARE(placeOf(f, operation, 1, trashed(f.trashRoot())), u"before"_s);
    }

    void cutShort_data() { operations_data(); }

    // A move of many items killed halfway: each item stands where it was or where it went,
    // with its origin, and a fresh start of the room shows it there. The move then goes on.
    void cutShort()
    {
        QFETCH(QString, operation);
        StorageHome f;
        layOut(f, operation);
        f->setBulkSliceItems(kSliceItems);
        act(f, operation);
        QVERIFY(f->hasMovesInFlight());

        // The room as a start after a kill at this moment finds it.
        StorageManager restarted(f.home());
        QSet<QString> shown;
        for (const QUrl& item : restarted.carpetItems() + restarted.bookshelfItems())
            shown.insert(item.toLocalFile());
        int moved = 0;
        QStringList wrong;
        const QMap<QString, QString> trashedThen = trashed(f.trashRoot());
        for (int i = 0; i < kItems; ++i) {
            const QString place = placeOf(f, operation, i, trashedThen);
            if (place == u"after")
                ++moved;
            else if (place != u"before")
                wrong << nameOf(i) + u": "_s + place;
            // What is still in the storage folder shows in the room.
            for (const QString& folder : {f.carpet(), f.shelf()}) {
                const QString path = folder + u'/' + nameOf(i);
                if (FileOperations::exists(path) && !shown.contains(path))
                    wrong << path + u": not shown"_s;
            }
        }
        QCOMPARE(wrong, QStringList());
        QVERIFY2(moved > 0 && moved < kItems, qPrintable(QString::number(moved)));

        f.settle();
        const QMap<QString, QString> trash = trashed(f.trashRoot());
        for (int i = 0; i < kItems; ++i) {
            if (const QString place = placeOf(f, operation, i, trash); place != u"after")
                wrong << nameOf(i) + u": "_s + place;
        }
        QCOMPARE(wrong, QStringList());
    }

    void quitOrKillHalfway_data()
    {
        QTest::addColumn<bool>("quit"); // else killed
        QTest::addColumn<QString>("alias");
        for (const bool quit : {true, false}) {
            for (const QString& alias : {u"a.txt"_s, u"@/Karpet/a.txt"_s})
                QTest::addRow("%s, the alias %s", quit ? "quit" : "killed",
                              alias.startsWith(u'@') ? "absolute" : "relative")
                    << quit << alias;
        }
    }

    // Everything sent back, cut short once a floor file has gone to the Desktop and a shelf
    // link of the room's is gone: the user's alias to that file, still under the carpet,
    // reaches it there, and the next start keeps it. A quit writes what the batch held too:
    // the floor positions without the files that left, the record without the link.
    void quitOrKillHalfway()
    {
        QFETCH(bool, quit);
        QFETCH(QString, alias);
        StorageHome f;
        QStringList laid{u"Karpet/a.txt: a"_s, u"Karpet/zz-alias.txt -> "_s + alias,
                         u"~/s.txt: s"_s};
        FloorLayoutData floor{{0.5, 0.8}, {{u"a.txt"_s, {0.2, 0.3}}}};
        for (int i = 0; i < 20; ++i) {
            laid << u"Karpet/f%1.txt: f"_s.arg(i);
            floor.itemPositions.insert(u"f%1.txt"_s.arg(i), {0.4, 0.5});
        }
        QVERIFY(f.lay(laid));
        f.file(u"floor_positions.json"_s, *encodeFloorLayout(floor));
        StorageManager& storage = f.start();
        QVERIFY(f.lay({u"Rak/s.txt => ~/s.txt"_s}));
        QVERIFY(f.read(u"shelf_links.json"_s).contains("s.txt"));
        storage.setBulkSliceItems(2); // the shelf link and a.txt, in this very turn
        storage.returnEverythingToOrigin();
        QVERIFY(storage.hasMovesInFlight());
        QCOMPARE(f.read(u"~/Desktop/a.txt"_s), QByteArray("a"));
        QVERIFY(!FileOperations::entryExists(f.path(u"Rak/s.txt"_s)));

        QString aliasAt = u"Karpet/zz-alias.txt"_s;
        const auto aliasReachesA = [&f, &aliasAt] { QCOMPARE(f.read(aliasAt), QByteArray("a")); };
        aliasReachesA();
        if (quit) {
            storage.saveBeforeQuit();
            const FloorPositions stored = f.storedPositions();
            QVERIFY(!stored.contains(u"a.txt"_s));
            QCOMPARE(stored.value(u"f7.txt"_s), (StoredPosition{0.4, 0.5}));
            QVERIFY(!f.read(u"shelf_links.json"_s).contains("s.txt"));
            QVERIFY(!storage.hasMovesInFlight());
        } else {
            // The room as a start after a kill at this moment finds it.
            StorageManager restarted(f.home());
            aliasReachesA();
            QVERIFY(namesOf(restarted.carpetItems()).contains(u"zz-alias.txt"_s));
        }
        // The move goes on after a kill's restart, the alias with it.
        f.settle();
        if (!quit)
            aliasAt = u"~/Desktop/zz-alias.txt"_s;
        aliasReachesA();
        QCOMPARE(FileOperations::readLink(f.path(aliasAt))->startsWith(u'/'),
                 alias.startsWith(u'@'));
    }

    // The shelf emptied onto the floor, and a link of the floor's replaced by one that leads
    // nowhere after the worker looked at the floor's links and before the floor is listed:
    // the floor does not show the dead link.
    void floorListedAfterASurveyThatAged()
    {
        StorageHome f;
        QStringList laid{u"~/t.txt: t"_s, u"Karpet/zlink -> ~/t.txt"_s};
        for (int i = 0; i < 10; ++i)
            laid << u"Rak/"_s + nameOf(i) + u": s"_s;
        QVERIFY(f.lay(laid));
        StorageManager& storage = f.start();
        storage.setBulkSliceItems(1);
        {
            HeldPool held;
            storage.moveAllBookshelfItemsToCarpet();
            QTRY_COMPARE(FileOperations::listEntries(f.shelf(), false), QStringList());
            held.letGo(); // the survey has run, and reports on the next turn
            QVERIFY(FileOperations::removeItem(f.path(u"Karpet/zlink"_s)));
            QVERIFY(
                FileOperations::createSymbolicLink(f.path(u"~/gone"_s), f.path(u"Karpet/zlink"_s)));
        }
        QTRY_VERIFY(!storage.hasMovesInFlight());
        QCOMPARE(namesOf(storage.carpetItems()).size(), 10);
        QVERIFY(!namesOf(storage.carpetItems()).contains(u"zlink"_s));
    }
};

PONDSILL_TEST(BulkMovesTest)
#include "bulk_moves_test.moc"
