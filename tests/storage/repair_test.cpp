#include "platform/file_operations.h"
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QFile>
#include <QTest>

#include <unistd.h>

namespace {
// A floor file holding the carpet at (0.3, 0.7) and one position for each name.
QByteArray floorFile(const QStringList& names)
{
    QByteArray items;
    for (const QString& name : names)
        items += (items.isEmpty() ? "\"" : ",\"") + name.toUtf8() + "\":{\"x\":0.5,\"y\":0.5}";
    return "{\"carpetPosition\":{\"x\":0.3,\"y\":0.7},\"itemPositions\":{" + items + "}}";
}
} // namespace

class MigrationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void olderSubFoldersMoveInWithFreeNames()
    {
        StorageHome f;
        f.file(u"Rak/a.pdf"_s, "shelf");
        f.file(u"books/a.pdf"_s, "legacy");
        f.file(u"books/.hidden"_s, "h");
        f.file(u"photos/p.jpg"_s, "p");
        f.file(u"rug/r.txt"_s, "r");
        StorageManager& storage = f.start();
        QCOMPARE(f.read(u"Rak/a.pdf"_s), QByteArray("shelf"));
        QCOMPARE(f.read(u"Rak/a (1).pdf"_s), QByteArray("legacy"));
        QCOMPARE(f.read(u"Rak/.hidden"_s), QByteArray("h"));
        QCOMPARE(f.read(u"Album/p.jpg"_s), QByteArray("p"));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"r.txt"_s});
        QVERIFY(FileOperations::isDirectory(f.root() + u"/books"_s));
        QVERIFY(f.entries(u"books"_s).isEmpty());
    }

    void legacyHomeFolder()
    {
        StorageHome f;
        f.file(u"../../Marrowick/Bookshelf/b.txt"_s, "b");
        f.file(u"../../Marrowick/MagicCarpet/c.txt"_s, "c");
        f.file(u"../../Marrowick/Photos/p.png"_s, "p");
        f.file(u"../../Marrowick/notes.json"_s, "[{\"title\":\"old\"}]");
        StorageManager& storage = f.start();
        QCOMPARE(f.read(u"Rak/b.txt"_s), QByteArray("b"));
        QCOMPARE(f.read(u"Karpet/c.txt"_s), QByteArray("c"));
        QCOMPARE(f.read(u"Album/p.png"_s), QByteArray("p"));
        QCOMPARE(storage.stickyNotes().first().title, u"old"_s);
        QVERIFY(QFile::exists(f.home() + u"/Marrowick/notes.json"_s)); // copied, not moved

        // Older notes never replace the current ones.
        f.file(u"notes.json"_s, "[{\"title\":\"current\"}]");
        QCOMPARE(f.start().stickyNotes().first().title, u"current"_s);
    }

    // A link named like an older folder points at someone's files elsewhere.
    void linkedLegacyFoldersAreLeftAlone_data()
    {
        QTest::addColumn<QString>("linkName"); // relative to the storage folder
        QTest::newRow("books") << "books";
        QTest::newRow("rug") << "rug";
        QTest::newRow("Marrowick") << "../../Marrowick";
        QTest::newRow("Marrowick/Bookshelf") << "../../Marrowick/Bookshelf";
    }
    void linkedLegacyFoldersAreLeftAlone()
    {
        QFETCH(QString, linkName);
        StorageHome f;
        const QString elsewhere = f.dir(u"../../Projects"_s);
        f.file(u"../../Projects/Bookshelf/keep.txt"_s, "k");
        f.file(u"../../Projects/keep.txt"_s, "k");
        f.link(linkName, elsewhere);
        StorageManager& storage = f.start();
        QVERIFY(QFile::exists(elsewhere + u"/keep.txt"_s));
        QVERIFY(QFile::exists(elsewhere + u"/Bookshelf/keep.txt"_s));
        QVERIFY(storage.bookshelfItems().isEmpty() && storage.carpetItems().isEmpty());
        QVERIFY(f.entries(u"Album"_s).isEmpty());
    }
};

class RepairTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A carpet file named like a shelf item is someone's other file: it gets a name free in
    // both folders and keeps its place on the floor.
    void sameNameDifferentFileSurvives_data()
    {
        QTest::addColumn<QStringList>("shelf");
        QTest::addColumn<QString>("renamed");
        QTest::newRow("name taken once") << QStringList{u"x.txt"_s} << u"x (1).txt"_s;
        QTest::newRow("next name taken on the shelf too")
            << QStringList{u"x.txt"_s, u"x (1).txt"_s} << u"x (2).txt"_s;
    }
    void sameNameDifferentFileSurvives()
    {
        QFETCH(QStringList, shelf);
        QFETCH(QString, renamed);
        StorageHome f;
        for (const QString& name : shelf)
            f.file(u"Rak/"_s + name, "shelf copy");
        f.file(u"Karpet/x.txt"_s, "a different file");
        f.file(u"floor_positions.json"_s, floorFile({u"x.txt"_s}));
        StorageManager& storage = f.start();
        QCOMPARE(f.read(u"Rak/x.txt"_s), QByteArray("shelf copy"));
        QCOMPARE(f.read(u"Karpet/"_s + renamed), QByteArray("a different file"));
        QCOMPARE(f.entries(u"Karpet"_s), QStringList{renamed});
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{renamed});
        QCOMPARE(storage.floorItemPositions().keys(), QStringList{renamed});
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
        StorageHome f;
        const QString shelfFile = f.file(u"Rak/x.txt"_s, "one file");
        f.dir(u"Karpet"_s);
        if (hardLink)
            QCOMPARE(::link(qPrintable(shelfFile), qPrintable(f.carpet() + u"/x.txt"_s)), 0);
        else
            f.link(u"Karpet/x.txt"_s, shelfFile);
        f.file(u"floor_positions.json"_s, floorFile({u"x.txt"_s, u"other"_s}));
        StorageManager& storage = f.start();
        QCOMPARE(f.read(u"Rak/x.txt"_s), QByteArray("one file"));
        QVERIFY(f.entries(u"Karpet"_s).isEmpty());
        QCOMPARE(storage.floorItemPositions().keys(), QStringList{u"other"_s});
    }

    void shelfLinkIntoTheCarpetBecomesTheItem_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("absolute") << u"@carpet/y.doc"_s;
        QTest::newRow("relative") << u"../Karpet/y.doc"_s;
    }
    void shelfLinkIntoTheCarpetBecomesTheItem()
    {
        QFETCH(QString, destination);
        StorageHome f;
        f.file(u"Karpet/y.doc"_s, "the item");
        f.link(u"Rak/y.doc"_s, destination.replace(u"@carpet"_s, f.carpet()));
        f.file(u"Karpet/stays.txt"_s, "s");
        f.file(u"floor_positions.json"_s, floorFile({u"y.doc"_s, u"stays.txt"_s}));
        StorageManager& storage = f.start();
        QVERIFY(!f.isLink(u"Rak/y.doc"_s));
        QCOMPARE(f.read(u"Rak/y.doc"_s), QByteArray("the item"));
        QVERIFY(!f.exists(u"Karpet/y.doc"_s));
        QCOMPARE(namesOf(storage.bookshelfItems()), QStringList{u"y.doc"_s});
        // The stored layout of what is still on the floor survives.
        QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.3, 0.7}));
        QCOMPARE(storage.floorItemPositions().keys(), QStringList{u"stays.txt"_s});
        QCOMPARE(f.storedPositions(), storage.floorItemPositions());
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
        StorageHome f;
        const QString desktopFile = f.userFile(u"Desktop/z.txt"_s, "z");
        f.link(u"Karpet/z"_s, relative ? u"../../../Desktop/z.txt"_s : desktopFile);
        f.link(u"Rak/z"_s, f.carpet() + u"/z"_s);
        f.start();
        const QString shelfLink = f.shelf() + u"/z"_s;
        QVERIFY(FileOperations::isSymbolicLink(shelfLink));
        QCOMPARE(FileOperations::resolvedLinkTarget(shelfLink), std::optional(desktopFile));
        QVERIFY(!f.exists(u"Karpet/z"_s));
        QCOMPARE(contentOf(desktopFile), QByteArray("z"));
        QCOMPARE(f.entries(u"Rak"_s), QStringList{u"z"_s});
    }

    void linksWhoseItemIsGoneAreRemoved()
    {
        StorageHome f;
        const QString documents = f.home() + u"/Documents"_s;
        f.link(u"Rak/gone.pdf"_s, documents + u"/gone.pdf"_s);
        f.link(u"Rak/gone in carpet"_s, f.carpet() + u"/none"_s);
        f.link(u"Karpet/self"_s, f.carpet() + u"/self"_s);
        f.link(u"Karpet/dangling"_s, documents + u"/x"_s);
        f.file(u"Karpet/kept.txt"_s);
        f.file(u"floor_positions.json"_s, floorFile({u"self"_s, u"dangling"_s, u"kept.txt"_s}));
        StorageManager& storage = f.start();
        QVERIFY(f.entries(u"Rak"_s).isEmpty());
        QCOMPARE(f.entries(u"Karpet"_s), QStringList{u"kept.txt"_s});
        QCOMPARE(storage.floorItemPositions().keys(), QStringList{u"kept.txt"_s});
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
        StorageHome f;
        f.file(u"Karpet2/f.txt"_s, "sibling");
        f.file(u"Karpet/under.txt"_s, "u");
        const QString target = f.root() + u'/' + destination;
        f.link(u"Rak/link"_s, target);
        StorageManager& storage = f.start();
        QCOMPARE(FileOperations::readLink(f.shelf() + u"/link"_s), std::optional(target));
        QCOMPARE(f.read(u"Karpet2/f.txt"_s), QByteArray("sibling"));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"under.txt"_s});
    }

    void hiddenEntriesAreNotTouched()
    {
        StorageHome f;
        f.link(u"Rak/.dangling"_s, u"/nowhere"_s);
        f.file(u"Rak/.same"_s, "a");
        f.file(u"Karpet/.same"_s, "b");
        f.start();
        QVERIFY(f.isLink(u"Rak/.dangling"_s));
        QCOMPARE(f.read(u"Karpet/.same"_s), QByteArray("b"));
    }
};

PONDSILL_TEST(MigrationTest)
PONDSILL_TEST(RepairTest)
#include "repair_test.moc"
