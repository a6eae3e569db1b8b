#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "storage_fixture.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QTest>

namespace {
QString linkTarget(const QString& path)
{
    return FileOperations::readLink(path).value_or(QString());
}
} // namespace

class ShelfMovesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void desktopFileBecomesAShelfLink_data()
    {
        QTest::addColumn<QString>("shelfHolds");  // a real shelf item's name
        QTest::addColumn<QString>("carpetHolds"); // a carpet file's name; "@link": a link to
                                                  // the dropped file itself
        QTest::addColumn<QString>("entry");
        QTest::newRow("free name") << QString() << QString() << u"report.pdf"_s;
        QTest::newRow("name taken on the shelf")
            << u"report.pdf"_s << QString() << u"report (1).pdf"_s;
        QTest::newRow("an unrelated file of that name under the carpet")
            << QString() << u"report.pdf"_s << u"report (1).pdf"_s;
        QTest::newRow("the carpet's link to it moves up")
            << QString() << u"@link"_s << u"report.pdf"_s;
    }
    void desktopFileBecomesAShelfLink()
    {
        QFETCH(QString, shelfHolds);
        QFETCH(QString, carpetHolds);
        QFETCH(QString, entry);
        StorageHome f;
        const QString user = f.userFile(u"Desktop/report.pdf"_s, "user's");
        if (!shelfHolds.isEmpty())
            f.file(u"Rak/"_s + shelfHolds, "shelf's own");
        if (carpetHolds == u"@link")
            f.link(u"Karpet/report.pdf"_s, user);
        else if (!carpetHolds.isEmpty())
            f.file(u"Karpet/"_s + carpetHolds, "carpet's own");
        StorageManager& storage = f.start();

        storage.addToBookshelf(url(user));

        const QString shelfEntry = f.shelf() + u'/' + entry;
        QCOMPARE(linkTarget(shelfEntry), user);
        QCOMPARE(contentOf(user), QByteArray("user's"));
        if (carpetHolds != u"@link") // a link of the user's travels with what it carries
            QCOMPARE(originOf(user), user);
        QVERIFY(storage.bookshelfItems().contains(url(shelfEntry)));
        if (!shelfHolds.isEmpty())
            QCOMPARE(f.read(u"Rak/"_s + shelfHolds), QByteArray("shelf's own"));
        if (carpetHolds == u"@link") {
            QVERIFY(f.entries(u"Karpet"_s).isEmpty());
            QCOMPARE(f.entries(u"Rak"_s), QStringList{entry});
        } else if (!carpetHolds.isEmpty()) {
            QCOMPARE(f.read(u"Karpet/"_s + carpetHolds), QByteArray("carpet's own"));
            QCOMPARE(namesOf(storage.carpetItems()), QStringList{carpetHolds});
        }
    }

    void carpetItemMovesOntoTheShelf_data()
    {
        QTest::addColumn<bool>("linked"); // the carpet holds a link to the user's file
        QTest::addColumn<bool>("byDrop"); // dropped on the shelf, or moved by name
        QTest::newRow("a file, dropped") << false << true;
        QTest::newRow("a file, by name") << false << false;
        QTest::newRow("a link, by name") << true << false;
    }
    void carpetItemMovesOntoTheShelf()
    {
        QFETCH(bool, linked);
        QFETCH(bool, byDrop);
        StorageHome f;
        const QString user = f.userFile(u"Downloads/notes.txt"_s, "notes");
        // A shortcut of the user's on the Desktop is hidden as itself.
        const QString hidden = linked ? f.desktop() + u"/notes.txt"_s : user;
        if (linked) {
            QDir().mkpath(f.desktop());
            FileOperations::createSymbolicLink(u"../Downloads/notes.txt"_s, hidden);
        }
        StorageManager& storage = f.start();
        storage.hideUnderCarpet(url(hidden), 0.3, 0.7);
        QVERIFY(f.storedPositions().contains(u"notes.txt"_s));

        if (byDrop)
            storage.addToBookshelf(url(f.carpet() + u"/notes.txt"_s));
        else
            storage.moveCarpetItemsToBookshelf({u"notes.txt"_s});

        const QString shelfEntry = f.shelf() + u"/notes.txt"_s;
        QVERIFY(!f.exists(u"Karpet/notes.txt"_s));
        QCOMPARE(f.isLink(u"Rak/notes.txt"_s), linked);
        QCOMPARE(contentOf(shelfEntry), QByteArray("notes"));
        // It keeps the place it came from, not its carpet path.
        QCOMPARE(originOf(shelfEntry), hidden);
        QVERIFY(!storage.floorItemPositions().contains(u"notes.txt"_s));
        QVERIFY(f.storedPositions().isEmpty());
        QVERIFY(storage.carpetItems().isEmpty());
        QCOMPARE(storage.bookshelfItems(), QList<QUrl>{url(shelfEntry)});
    }

    // A floor link to another floor file stands for that file: the file itself goes onto
    // the shelf, so it shows in one place only.
    void floorLinkToAFloorFileMovesTheFile_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("relative") << u"photo.jpg"_s;
        QTest::newRow("absolute") << u"@carpet/photo.jpg"_s;
    }
    void floorLinkToAFloorFileMovesTheFile()
    {
        QFETCH(QString, destination);
        StorageHome f;
        f.file(u"Karpet/photo.jpg"_s, "the photo");
        f.link(u"Karpet/shortcut"_s, destination.replace(u"@carpet"_s, f.carpet()));
        StorageManager& storage = f.start();
        storage.setFloorItemPosition(u"photo.jpg"_s, 0.3, 0.8);
        storage.setFloorItemPosition(u"shortcut"_s, 0.4, 0.8);

        storage.moveCarpetItemsToBookshelf({u"shortcut"_s});

        QVERIFY(!f.isLink(u"Rak/shortcut"_s));
        QCOMPARE(f.read(u"Rak/shortcut"_s), QByteArray("the photo"));
        QVERIFY(f.entries(u"Karpet"_s).isEmpty());
        QVERIFY(storage.carpetItems().isEmpty());
        QVERIFY(f.storedPositions().isEmpty());
    }

    // A file that cannot reach the shelf keeps its place on the floor.
    void failedMoveToTheShelfKeepsThePlace()
    {
        StorageHome f;
        ScratchMount mount("tmpfs", f.dir(u"Rak"_s));
        if (!mount.isMounted() || !mount.makeReadOnly())
            QSKIP(qPrintable(u"cannot mount a read-only tmpfs here: "_s + mount.error()));
        f.file(u"Karpet/a.txt"_s, "a");
        StorageManager& storage = f.start();
        storage.setFloorItemPosition(u"a.txt"_s, 0.3, 0.8);

        storage.moveCarpetItemsToBookshelf({u"a.txt"_s});

        QCOMPARE(f.read(u"Karpet/a.txt"_s), QByteArray("a"));
        QCOMPARE(storage.floorItemPositions().value(u"a.txt"_s), (StoredPosition{0.3, 0.8}));
        QCOMPARE(f.storedPositions().value(u"a.txt"_s), (StoredPosition{0.3, 0.8}));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"a.txt"_s});
    }

    void shelfEntryOfTheSameName_data()
    {
        QTest::addColumn<bool>("shelfEntryIsLink");
        QTest::newRow("a real shelf item survives") << false;
        QTest::newRow("a shelf link gives way") << true;
    }
    void shelfEntryOfTheSameName()
    {
        QFETCH(bool, shelfEntryIsLink);
        StorageHome f;
        StorageManager& storage = f.start(); // before the files, which repair would mend
        const QString elsewhere = f.userFile(u"Desktop/a.txt"_s, "linked");
        if (shelfEntryIsLink) {
            f.link(u"Rak/a.txt"_s, elsewhere);
            setOrigin(elsewhere, elsewhere); // as the shelf records it for a link of its own
        } else
            f.file(u"Rak/a.txt"_s, "on the shelf");
        f.file(u"Karpet/a.txt"_s, "from the carpet");
        storage.reloadAll();
        storage.moveCarpetItemsToBookshelf({u"a.txt"_s});

        QVERIFY(!f.exists(u"Karpet/a.txt"_s));
        QCOMPARE(contentOf(elsewhere), QByteArray("linked"));
        if (shelfEntryIsLink) {
            QVERIFY(!f.isLink(u"Rak/a.txt"_s));
            QCOMPARE(f.read(u"Rak/a.txt"_s), QByteArray("from the carpet"));
        } else {
            QCOMPARE(f.read(u"Rak/a.txt"_s), QByteArray("on the shelf"));
            QCOMPARE(f.read(u"Rak/a (1).txt"_s), QByteArray("from the carpet"));
        }
    }

    void hidingTakesANameFreeInBothFolders_data()
    {
        QTest::addColumn<QString>("taken"); // where "a.txt" already stands
        QTest::addColumn<QString>("name");
        QTest::newRow("free") << QString() << u"a.txt"_s;
        QTest::newRow("under the carpet") << u"Karpet"_s << u"a (1).txt"_s;
        QTest::newRow("on the shelf") << u"Rak"_s << u"a (1).txt"_s;
    }
    void hidingTakesANameFreeInBothFolders()
    {
        QFETCH(QString, taken);
        QFETCH(QString, name);
        StorageHome f;
        if (!taken.isEmpty())
            f.file(taken + u"/a.txt"_s, "already there");
        StorageManager& storage = f.start();
        const QString user = f.userFile(u"Desktop/a.txt"_s, "hidden");

        storage.hideUnderCarpet(url(user), 0.25, 0.75);

        const QString entry = f.carpet() + u'/' + name;
        QVERIFY(!FileOperations::entryExists(user));
        QCOMPARE(contentOf(entry), QByteArray("hidden"));
        QCOMPARE(originOf(entry), user);
        QVERIFY(StorageManager::addedDate(url(entry)).secsTo(QDateTime::currentDateTimeUtc()) < 60);
        QCOMPARE(f.storedPositions().value(name), (StoredPosition{0.25, 0.75}));
        QVERIFY(storage.carpetItems().contains(url(entry)));
        if (!taken.isEmpty())
            QCOMPARE(f.read(taken + u"/a.txt"_s), QByteArray("already there"));
    }

    void shelfEntriesMoveUnderTheCarpet()
    {
        StorageHome f;
        StorageManager& storage = f.start(); // before the files, which repair would mend
        const QString user = f.userFile(u"Desktop/linked.txt"_s, "user's");
        f.link(u"Rak/linked.txt"_s, user);
        f.file(u"Rak/real.txt"_s, "real");
        f.file(u"Karpet/real.txt"_s, "another real");
        storage.reloadAll();

        storage.moveAllBookshelfItemsToCarpet();

        QVERIFY(storage.bookshelfItems().isEmpty());
        QCOMPARE(linkTarget(f.carpet() + u"/linked.txt"_s), user);
        QCOMPARE(f.read(u"Karpet/real (1).txt"_s), QByteArray("real"));
        QCOMPARE(f.read(u"Karpet/real.txt"_s), QByteArray("another real"));
        for (const QString& name : {u"linked.txt"_s, u"real (1).txt"_s})
            QCOMPARE(f.storedPositions().value(name), StorageManager::defaultCarpetPosition(name));
        QCOMPARE(storage.carpetItems().size(), 3);
    }

    void arrangingOnTheCarpetAndSpreading()
    {
        StorageHome f;
        for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s})
            f.file(u"Karpet/"_s + name);
        StorageManager& storage = f.start();
        storage.setCarpetPosition(0.5, 0.8);

        storage.arrangeCarpetItemsOnCarpet();
        const FloorPositions stored = f.storedPositions();
        const QList<double> xs{0.44, 0.50, 0.56};
        const QStringList names{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(qAbs(stored.value(names[i]).x - xs[i]) < 1e-9);
            QCOMPARE(stored.value(names[i]).y, 0.8);
        }

        storage.resetFloorItemPositions(); // spread: every file falls back to its default
        QVERIFY(f.storedPositions().isEmpty());
        QVERIFY(storage.floorItemPositions().isEmpty());
        QCOMPARE(storage.carpetItems().size(), 3);
    }

    void storedItemsDroppedAgain()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        const QString user = f.userFile(u"Desktop/a.txt"_s, "a");
        storage.hideUnderCarpet(url(user), 0.3, 0.7);
        const QString carpetEntry = f.carpet() + u"/a.txt"_s;

        // A floor file dropped on the floor only moves.
        storage.hideUnderCarpet(url(carpetEntry), 0.6, 0.8);
        QCOMPARE(f.entries(u"Karpet"_s), QStringList{u"a.txt"_s});
        QCOMPARE(f.storedPositions().value(u"a.txt"_s), (StoredPosition{0.6, 0.8}));
        QCOMPARE(originOf(carpetEntry), user);

        // A shelf item dropped on the shelf changes nothing.
        storage.addToBookshelf(url(carpetEntry));
        const QString shelfEntry = f.shelf() + u"/a.txt"_s;
        storage.addToBookshelf(url(shelfEntry));
        QCOMPARE(f.entries(u"Rak"_s), QStringList{u"a.txt"_s});
        QCOMPARE(originOf(shelfEntry), user);

        // A shelf item dropped on the floor keeps the place it came from.
        storage.hideUnderCarpet(url(shelfEntry), 0.2, 0.9);
        QCOMPARE(originOf(carpetEntry), user);
        QCOMPARE(f.storedPositions().value(u"a.txt"_s), (StoredPosition{0.2, 0.9}));
    }

    void linkIntoTheStorageFolderKeepsTheStoredOrigin_data()
    {
        QTest::addColumn<bool>("ontoTheShelf");
        QTest::newRow("onto the shelf") << true;
        QTest::newRow("under the carpet") << false;
    }
    void linkIntoTheStorageFolderKeepsTheStoredOrigin()
    {
        QFETCH(bool, ontoTheShelf);
        StorageHome f;
        StorageManager& storage = f.start();
        const QString user = f.userFile(u"Reports/a.txt"_s, "report");
        storage.hideUnderCarpet(url(user), 0.5, 0.8);
        const QString stored = f.carpet() + u"/a.txt"_s;

        // A shortcut on the Desktop to the hidden file is stored as a link; whatever it
        // records must not overwrite where the file itself came from.
        const QString shortcut = f.desktop() + u"/shortcut.txt"_s;
        QVERIFY(QDir().mkpath(f.desktop()));
        QVERIFY(FileOperations::createSymbolicLink(stored, shortcut));
        if (ontoTheShelf)
            storage.addToBookshelf(url(shortcut));
        else
            storage.hideUnderCarpet(url(shortcut), 0.3, 0.8);
        QCOMPARE(originOf(stored), user);

        storage.restoreCarpetItemToDesktop(url(stored));
        QCOMPARE(contentOf(user), QByteArray("report"));
    }
};

PONDSILL_TEST(ShelfMovesTest)
#include "shelf_moves_test.moc"
