#include "platform/file_operations.h"
#include "storage/storage_manager.h"
#include "storage_test_support.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <unistd.h>

namespace {
// A floor file holding the carpet at (0.3, 0.7) and one position for each name.
QByteArray floorFile(const QStringList& names)
{
    QByteArray items;
    for (const QString& name : names) {
        if (!items.isEmpty())
            items += ',';
        items += '"' + name.toUtf8() + "\":{\"x\":0.5,\"y\":0.5}";
    }
    return "{\"carpetPosition\":{\"x\":0.3,\"y\":0.7},\"itemPositions\":{" + items + "}}";
}

std::optional<QString> linkOf(const QString& path)
{
    return FileOperations::readLink(path);
}
} // namespace

class MigrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void olderSubFoldersMoveInWithFreeNames()
    {
        StorageHome home;
        home.file(QStringLiteral("Rak/a.pdf"), "shelf");
        home.file(QStringLiteral("books/a.pdf"), "legacy");
        home.file(QStringLiteral("books/.hidden"), "h");
        home.file(QStringLiteral("photos/p.jpg"), "p");
        home.file(QStringLiteral("rug/r.txt"), "r");
        auto storage = home.start();
        QCOMPARE(home.read(QStringLiteral("Rak/a.pdf")), QByteArray("shelf"));
        QCOMPARE(home.read(QStringLiteral("Rak/a (1).pdf")), QByteArray("legacy"));
        QCOMPARE(home.read(QStringLiteral("Rak/.hidden")), QByteArray("h"));
        QCOMPARE(home.read(QStringLiteral("Album/p.jpg")), QByteArray("p"));
        QCOMPARE(home.read(QStringLiteral("Karpet/r.txt")), QByteArray("r"));
        QVERIFY(FileOperations::isDirectory(home.root() + QStringLiteral("/books")));
        QCOMPARE(FileOperations::listEntries(home.root() + QStringLiteral("/books"), true),
                 std::optional<QStringList>(QStringList()));
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("r.txt")});
    }

    void legacyHomeFolder()
    {
        StorageHome home;
        const QString legacy = home.home() + QStringLiteral("/Marrowick");
        QDir().mkpath(legacy + QStringLiteral("/Bookshelf"));
        QDir().mkpath(legacy + QStringLiteral("/MagicCarpet"));
        QDir().mkpath(legacy + QStringLiteral("/Photos"));
        home.file(QStringLiteral("../../Marrowick/Bookshelf/b.txt"), "b");
        home.file(QStringLiteral("../../Marrowick/MagicCarpet/c.txt"), "c");
        home.file(QStringLiteral("../../Marrowick/Photos/p.png"), "p");
        home.file(QStringLiteral("../../Marrowick/notes.json"), "[{\"title\":\"old\"}]");
        auto storage = home.start();
        QCOMPARE(home.read(QStringLiteral("Rak/b.txt")), QByteArray("b"));
        QCOMPARE(home.read(QStringLiteral("Karpet/c.txt")), QByteArray("c"));
        QCOMPARE(home.read(QStringLiteral("Album/p.png")), QByteArray("p"));
        QCOMPARE(storage->stickyNotes().first().title, QStringLiteral("old"));
        QVERIFY(QFile::exists(legacy + QStringLiteral("/notes.json"))); // copied, not moved
    }

    void legacyNotesNeverReplaceCurrentOnes()
    {
        StorageHome home;
        home.file(QStringLiteral("../../Marrowick/notes.json"), "[{\"title\":\"old\"}]");
        home.file(QStringLiteral("notes.json"), "[{\"title\":\"current\"}]");
        auto storage = home.start();
        QCOMPARE(home.read(QStringLiteral("notes.json")), QByteArray("[{\"title\":\"current\"}]"));
        QCOMPARE(storage->stickyNotes().first().title, QStringLiteral("current"));
    }

    // A link named like an older folder points at someone's files elsewhere.
    void linkedLegacyFoldersAreLeftAlone_data()
    {
        QTest::addColumn<QString>("linkName"); // relative to the storage folder
        QTest::newRow("books") << "books";
        QTest::newRow("photos") << "photos";
        QTest::newRow("rug") << "rug";
        QTest::newRow("Marrowick") << "../../Marrowick";
        QTest::newRow("Marrowick/Bookshelf") << "../../Marrowick/Bookshelf";
    }
    void linkedLegacyFoldersAreLeftAlone()
    {
        QFETCH(QString, linkName);
        StorageHome home;
        const QString elsewhere = home.dir(QStringLiteral("../../Projects"));
        home.file(QStringLiteral("../../Projects/Bookshelf/keep.txt"), "k");
        home.file(QStringLiteral("../../Projects/keep.txt"), "k");
        home.dir(QString());
        if (linkName.endsWith(u"/Bookshelf"))
            home.dir(QStringLiteral("../../Marrowick"));
        home.link(linkName, elsewhere);
        auto storage = home.start();
        QVERIFY(QFile::exists(elsewhere + QStringLiteral("/keep.txt")));
        QVERIFY(QFile::exists(elsewhere + QStringLiteral("/Bookshelf/keep.txt")));
        QVERIFY(storage->bookshelfItems().isEmpty());
        QVERIFY(storage->carpetItems().isEmpty());
        QCOMPARE(FileOperations::listEntries(home.album(), true)->size(), 0);
    }
};

class RepairTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameNameDifferentFileSurvives()
    {
        StorageHome home;
        home.file(QStringLiteral("Rak/x.txt"), "shelf copy");
        home.file(QStringLiteral("Karpet/x.txt"), "a different file");
        home.file(QStringLiteral("floor_positions.json"), floorFile({QStringLiteral("x.txt")}));
        auto storage = home.start();
        QCOMPARE(home.read(QStringLiteral("Rak/x.txt")), QByteArray("shelf copy"));
        QCOMPARE(home.read(QStringLiteral("Karpet/x (1).txt")), QByteArray("a different file"));
        QVERIFY(!home.exists(QStringLiteral("Karpet/x.txt")));
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("x (1).txt")});
        // It keeps its place on the floor under its new name.
        QVERIFY(storage->floorItemPositions().contains(QStringLiteral("x (1).txt")));
        QVERIFY(!storage->floorItemPositions().contains(QStringLiteral("x.txt")));
    }

    void freeNameIsFreeOnTheShelfToo()
    {
        StorageHome home;
        home.file(QStringLiteral("Rak/x.txt"), "shelf");
        home.file(QStringLiteral("Rak/x (1).txt"), "shelf 1");
        home.file(QStringLiteral("Karpet/x.txt"), "carpet");
        auto storage = home.start();
        QCOMPARE(home.read(QStringLiteral("Karpet/x (2).txt")), QByteArray("carpet"));
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("x (2).txt")});
    }

    void secondEntryForTheSameFileGoes_data()
    {
        QTest::addColumn<bool>("hardLink");
        QTest::newRow("the same inode") << true;
        QTest::newRow("a symbolic link") << false;
    }
    void secondEntryForTheSameFileGoes()
    {
        QFETCH(bool, hardLink);
        StorageHome home;
        const QString shelfFile = home.file(QStringLiteral("Rak/x.txt"), "one file");
        home.dir(QStringLiteral("Karpet"));
        const QString carpetEntry = home.carpet() + QStringLiteral("/x.txt");
        if (hardLink)
            QCOMPARE(::link(qPrintable(shelfFile), qPrintable(carpetEntry)), 0);
        else
            home.link(QStringLiteral("Karpet/x.txt"), shelfFile);
        home.file(QStringLiteral("floor_positions.json"),
                  floorFile({QStringLiteral("x.txt"), QStringLiteral("other")}));
        auto storage = home.start();
        QCOMPARE(home.read(QStringLiteral("Rak/x.txt")), QByteArray("one file"));
        QVERIFY(!home.exists(QStringLiteral("Karpet/x.txt")));
        QCOMPARE(FileOperations::listEntries(home.carpet(), true)->size(), 0);
        QCOMPARE(storage->floorItemPositions().keys(), QStringList{QStringLiteral("other")});
    }

    void shelfLinkIntoTheCarpetBecomesTheItem()
    {
        StorageHome home;
        home.file(QStringLiteral("Karpet/y.doc"), "the item");
        home.link(QStringLiteral("Rak/y.doc"), home.carpet() + QStringLiteral("/y.doc"));
        home.file(QStringLiteral("Karpet/stays.txt"), "s");
        home.file(QStringLiteral("floor_positions.json"),
                  floorFile({QStringLiteral("y.doc"), QStringLiteral("stays.txt")}));
        auto storage = home.start();
        QVERIFY(!home.isLink(QStringLiteral("Rak/y.doc")));
        QCOMPARE(home.read(QStringLiteral("Rak/y.doc")), QByteArray("the item"));
        QVERIFY(!home.exists(QStringLiteral("Karpet/y.doc")));
        QCOMPARE(namesOf(storage->bookshelfItems()), QStringList{QStringLiteral("y.doc")});
        // The stored layout of what is still on the floor survives.
        QCOMPARE(storage->carpetPositionNorm(), (StoredPosition{0.3, 0.7}));
        QCOMPARE(storage->floorItemPositions().keys(), QStringList{QStringLiteral("stays.txt")});
        QCOMPARE(
            decodeFloorLayout(home.read(QStringLiteral("floor_positions.json")))->itemPositions,
            storage->floorItemPositions());
    }

    void relativeShelfLinkIntoTheCarpet()
    {
        StorageHome home;
        home.file(QStringLiteral("Karpet/r.txt"), "r");
        home.link(QStringLiteral("Rak/r.txt"), QStringLiteral("../Karpet/r.txt"));
        auto storage = home.start();
        QVERIFY(!home.isLink(QStringLiteral("Rak/r.txt")));
        QCOMPARE(home.read(QStringLiteral("Rak/r.txt")), QByteArray("r"));
        QVERIFY(!home.exists(QStringLiteral("Karpet/r.txt")));
    }

    void shelfLinkThroughACarpetLinkPointsStraightAtTheItem_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute") << false;
        QTest::newRow("relative") << true;
    }
    void shelfLinkThroughACarpetLinkPointsStraightAtTheItem()
    {
        QFETCH(bool, relative);
        StorageHome home;
        const QString desktopFile = home.file(QStringLiteral("../../Desktop/z.txt"), "z");
        home.link(QStringLiteral("Karpet/z"),
                  relative ? QStringLiteral("../../../Desktop/z.txt") : desktopFile);
        home.link(QStringLiteral("Rak/z"), home.carpet() + QStringLiteral("/z"));
        auto storage = home.start();
        const QString shelfLink = home.shelf() + QStringLiteral("/z");
        QVERIFY(FileOperations::isSymbolicLink(shelfLink));
        QVERIFY(FileOperations::isSameFile(shelfLink, desktopFile));
        QCOMPARE(FileOperations::resolvedLinkTarget(shelfLink), std::optional(desktopFile));
        QVERIFY(!home.exists(QStringLiteral("Karpet/z")));
        QCOMPARE(home.read(QStringLiteral("../../Desktop/z.txt")), QByteArray("z"));
        QCOMPARE(FileOperations::listEntries(home.shelf(), true),
                 std::optional(QStringList{QStringLiteral("z")}));
    }

    void linksWhoseItemIsGoneAreRemoved()
    {
        StorageHome home;
        home.link(QStringLiteral("Rak/gone.pdf"), QStringLiteral("/nowhere/gone.pdf"));
        home.link(QStringLiteral("Rak/gone in carpet"), home.carpet() + QStringLiteral("/none"));
        home.link(QStringLiteral("Karpet/self"), home.carpet() + QStringLiteral("/self"));
        home.link(QStringLiteral("Karpet/dangling"), QStringLiteral("/nowhere/x"));
        home.file(QStringLiteral("Karpet/kept.txt"));
        home.file(QStringLiteral("floor_positions.json"),
                  floorFile({QStringLiteral("self"), QStringLiteral("dangling"),
                             QStringLiteral("kept.txt")}));
        auto storage = home.start();
        QCOMPARE(FileOperations::listEntries(home.shelf(), true)->size(), 0);
        QCOMPARE(FileOperations::listEntries(home.carpet(), true),
                 std::optional(QStringList{QStringLiteral("kept.txt")}));
        QCOMPARE(storage->floorItemPositions().keys(), QStringList{QStringLiteral("kept.txt")});
    }

    // Only what lies inside the carpet folder is a carpet item: not a sibling whose name
    // merely begins the same, and not the folder itself.
    void linksBesideTheCarpetAreOrdinary_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("sibling Karpet2") << "Karpet2/f.txt";
        QTest::newRow("the carpet folder itself") << "Karpet";
    }
    void linksBesideTheCarpetAreOrdinary()
    {
        QFETCH(QString, destination);
        StorageHome home;
        home.file(QStringLiteral("Karpet2/f.txt"), "sibling");
        home.file(QStringLiteral("Karpet/under.txt"), "u");
        const QString target = home.root() + u'/' + destination;
        home.link(QStringLiteral("Rak/link"), target);
        auto storage = home.start();
        QCOMPARE(linkOf(home.shelf() + QStringLiteral("/link")), std::optional(target));
        QCOMPARE(home.read(QStringLiteral("Karpet2/f.txt")), QByteArray("sibling"));
        QCOMPARE(home.read(QStringLiteral("Karpet/under.txt")), QByteArray("u"));
        QCOMPARE(namesOf(storage->carpetItems()), QStringList{QStringLiteral("under.txt")});
    }

    void hiddenEntriesAreNotTouched()
    {
        StorageHome home;
        home.link(QStringLiteral("Rak/.dangling"), QStringLiteral("/nowhere"));
        home.link(QStringLiteral("Karpet/.dangling"), QStringLiteral("/nowhere"));
        home.file(QStringLiteral("Rak/.same"), "a");
        home.file(QStringLiteral("Karpet/.same"), "b");
        auto storage = home.start();
        QVERIFY(home.isLink(QStringLiteral("Rak/.dangling")));
        QVERIFY(home.isLink(QStringLiteral("Karpet/.dangling")));
        QCOMPARE(home.read(QStringLiteral("Karpet/.same")), QByteArray("b"));
    }
};

PONDSILL_TEST(MigrationTest)
PONDSILL_TEST(RepairTest)
#include "repair_test.moc"
