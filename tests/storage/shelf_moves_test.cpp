#include "move_test_support.h"
#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {
QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

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
        QTest::addColumn<QString>("carpetHolds"); // an unrelated carpet file's name
        QTest::addColumn<QString>("entry");
        QTest::newRow("free name") << QString() << QString() << QStringLiteral("report.pdf");
        QTest::newRow("name taken on the shelf")
            << QStringLiteral("report.pdf") << QString() << QStringLiteral("report (1).pdf");
        QTest::newRow("name taken under the carpet")
            << QString() << QStringLiteral("report.pdf") << QStringLiteral("report (1).pdf");
    }
    void desktopFileBecomesAShelfLink()
    {
        QFETCH(QString, shelfHolds);
        QFETCH(QString, carpetHolds);
        QFETCH(QString, entry);
        MoveFixture f;
        if (!shelfHolds.isEmpty())
            f.home.file(QStringLiteral("Rak/") + shelfHolds, "shelf's own");
        if (!carpetHolds.isEmpty())
            f.home.file(QStringLiteral("Karpet/") + carpetHolds, "carpet's own");
        f.storage->reloadAll();
        const QString user = f.userFile(QStringLiteral("Desktop/report.pdf"), "user's");

        f.storage->addToBookshelf(url(user));

        const QString shelfEntry = f.home.shelf() + QLatin1Char('/') + entry;
        QCOMPARE(linkTarget(shelfEntry), user);
        QCOMPARE(contentOf(user), QByteArray("user's"));
        QCOMPARE(originOf(user), user);
        QVERIFY(f.storage->bookshelfItems().contains(url(shelfEntry)));
        if (!shelfHolds.isEmpty())
            QCOMPARE(f.home.read(QStringLiteral("Rak/") + shelfHolds), QByteArray("shelf's own"));
        if (!carpetHolds.isEmpty()) {
            QCOMPARE(f.home.read(QStringLiteral("Karpet/") + carpetHolds),
                     QByteArray("carpet's own"));
            QCOMPARE(namesOf(f.storage->carpetItems()), QStringList{carpetHolds});
        }
    }

    void carpetFileMovesOntoTheShelf_data()
    {
        QTest::addColumn<bool>("byDrop"); // dropped on the shelf, or moved by name
        QTest::newRow("dropped") << true;
        QTest::newRow("by name") << false;
    }
    void carpetFileMovesOntoTheShelf()
    {
        QFETCH(bool, byDrop);
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Downloads/notes.txt"), "notes");
        f.storage->hideUnderCarpet(url(user), 0.3, 0.7);
        const QString carpetEntry = f.home.carpet() + QStringLiteral("/notes.txt");
        QVERIFY(f.storedPositions().contains(QStringLiteral("notes.txt")));

        if (byDrop)
            f.storage->addToBookshelf(url(carpetEntry));
        else
            f.storage->moveCarpetItemsToBookshelf({QStringLiteral("notes.txt")});

        const QString shelfEntry = f.home.shelf() + QStringLiteral("/notes.txt");
        QVERIFY(!f.home.exists(QStringLiteral("Karpet/notes.txt")));
        QVERIFY(!FileOperations::isSymbolicLink(shelfEntry));
        QCOMPARE(contentOf(shelfEntry), QByteArray("notes"));
        // It keeps the place it came from, not its carpet path.
        QCOMPARE(originOf(shelfEntry), user);
        QVERIFY(!f.storage->floorItemPositions().contains(QStringLiteral("notes.txt")));
        QVERIFY(!f.storedPositions().contains(QStringLiteral("notes.txt")));
        QVERIFY(f.storage->carpetItems().isEmpty());
        QCOMPARE(f.storage->bookshelfItems(), QList<QUrl>{url(shelfEntry)});
    }

    void carpetLinkBecomesAShelfLink()
    {
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Music/song.mp3"), "song");
        f.home.link(QStringLiteral("Karpet/song.mp3"), user);
        f.storage->reloadAll();
        f.storage->setFloorItemPosition(QStringLiteral("song.mp3"), 0.2, 0.8);

        f.storage->moveCarpetItemsToBookshelf({QStringLiteral("song.mp3")});

        QVERIFY(!f.home.exists(QStringLiteral("Karpet/song.mp3")));
        QCOMPARE(linkTarget(f.home.shelf() + QStringLiteral("/song.mp3")), user);
        QCOMPARE(contentOf(user), QByteArray("song"));
        QCOMPARE(originOf(user), user);
        QVERIFY(f.storedPositions().isEmpty());
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
        MoveFixture f;
        const QString elsewhere = f.userFile(QStringLiteral("Desktop/a.txt"), "linked");
        if (shelfEntryIsLink)
            f.home.link(QStringLiteral("Rak/a.txt"), elsewhere);
        else
            f.home.file(QStringLiteral("Rak/a.txt"), "on the shelf");
        f.home.file(QStringLiteral("Karpet/a.txt"), "from the carpet");
        f.storage->reloadAll();

        f.storage->moveCarpetItemsToBookshelf({QStringLiteral("a.txt")});

        QVERIFY(!f.home.exists(QStringLiteral("Karpet/a.txt")));
        QCOMPARE(contentOf(elsewhere), QByteArray("linked"));
        if (shelfEntryIsLink) {
            QVERIFY(!f.home.isLink(QStringLiteral("Rak/a.txt")));
            QCOMPARE(f.home.read(QStringLiteral("Rak/a.txt")), QByteArray("from the carpet"));
        } else {
            QCOMPARE(f.home.read(QStringLiteral("Rak/a.txt")), QByteArray("on the shelf"));
            QCOMPARE(f.home.read(QStringLiteral("Rak/a (1).txt")), QByteArray("from the carpet"));
        }
    }

    void droppedFileSharingACarpetName_data()
    {
        QTest::addColumn<bool>("sameFile");
        QTest::newRow("an unrelated file is linked") << false;
        QTest::newRow("the carpet link's own file takes the carpet route") << true;
    }
    void droppedFileSharingACarpetName()
    {
        QFETCH(bool, sameFile);
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Desktop/x.txt"), "dropped");
        if (sameFile)
            f.home.link(QStringLiteral("Karpet/x.txt"), user);
        else
            f.home.file(QStringLiteral("Karpet/x.txt"), "carpet");
        f.storage->reloadAll();

        f.storage->addToBookshelf(url(user));

        QCOMPARE(contentOf(user), QByteArray("dropped"));
        if (sameFile) {
            QVERIFY(!f.home.exists(QStringLiteral("Karpet/x.txt")));
            QCOMPARE(linkTarget(f.home.shelf() + QStringLiteral("/x.txt")), user);
            QVERIFY(!f.home.exists(QStringLiteral("Rak/x (1).txt")));
        } else {
            QCOMPARE(f.home.read(QStringLiteral("Karpet/x.txt")), QByteArray("carpet"));
            QCOMPARE(namesOf(f.storage->carpetItems()), QStringList{QStringLiteral("x.txt")});
            QCOMPARE(linkTarget(f.home.shelf() + QStringLiteral("/x (1).txt")), user);
        }
    }

    void hidingTakesANameFreeInBothFolders_data()
    {
        QTest::addColumn<QString>("taken"); // where "a.txt" already stands
        QTest::addColumn<QString>("name");
        QTest::newRow("free") << QString() << QStringLiteral("a.txt");
        QTest::newRow("under the carpet")
            << QStringLiteral("Karpet") << QStringLiteral("a (1).txt");
        QTest::newRow("on the shelf") << QStringLiteral("Rak") << QStringLiteral("a (1).txt");
    }
    void hidingTakesANameFreeInBothFolders()
    {
        QFETCH(QString, taken);
        QFETCH(QString, name);
        MoveFixture f;
        if (!taken.isEmpty())
            f.home.file(taken + QStringLiteral("/a.txt"), "already there");
        f.storage->reloadAll();
        const QString user = f.userFile(QStringLiteral("Desktop/a.txt"), "hidden");

        f.storage->hideUnderCarpet(url(user), 0.25, 0.75);

        const QString entry = f.home.carpet() + QLatin1Char('/') + name;
        QVERIFY(!FileOperations::entryExists(user));
        QCOMPARE(contentOf(entry), QByteArray("hidden"));
        QCOMPARE(originOf(entry), user);
        QVERIFY(StorageManager::addedDate(url(entry)).secsTo(QDateTime::currentDateTimeUtc()) < 60);
        QCOMPARE(f.storage->floorItemPositions().value(name), (StoredPosition{0.25, 0.75}));
        QCOMPARE(f.storedPositions().value(name), (StoredPosition{0.25, 0.75}));
        QVERIFY(f.storage->carpetItems().contains(url(entry)));
        if (!taken.isEmpty())
            QCOMPARE(f.home.read(taken + QStringLiteral("/a.txt")), QByteArray("already there"));
    }

    void panelsHandEveryChoiceOn()
    {
        MoveFixture f;
        const QString a = f.userFile(QStringLiteral("Desktop/a.txt"));
        const QString folder = f.userFile(QStringLiteral("Desktop/Folder/inner.txt"));
        f.storage->setCarpetPosition(0.4, 0.85);
        f.prompts.answer = {a, QFileInfo(folder).absolutePath()};
        f.storage->chooseItemsToHideUnderCarpet();
        QCOMPARE(f.prompts.panels.value(0).title,
                 QStringLiteral("Pilih File untuk Disembunyikan di Bawah Karpet"));
        QVERIFY(f.prompts.panels[0].folders && f.prompts.panels[0].multiple);
        // Hidden from the panel, they lie at the carpet.
        for (const QString& name : {QStringLiteral("a.txt"), QStringLiteral("Folder")})
            QCOMPARE(f.storedPositions().value(name), (StoredPosition{0.4, 0.85}));
        QVERIFY(f.home.exists(QStringLiteral("Karpet/Folder/inner.txt")));

        const QString b = f.userFile(QStringLiteral("Desktop/b.txt"));
        f.prompts.answer = {b};
        f.storage->chooseItemsForBookshelf();
        QCOMPARE(f.prompts.panels.value(1).title,
                 QStringLiteral("Pilih File atau Folder untuk Rak Buku"));
        QVERIFY(f.prompts.panels[1].folders && f.prompts.panels[1].multiple);
        QCOMPARE(linkTarget(f.home.shelf() + QStringLiteral("/b.txt")), b);
    }

    void shelfEntryMovesUnderTheCarpet()
    {
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Desktop/linked.txt"), "user's");
        f.home.link(QStringLiteral("Rak/linked.txt"), user);
        f.home.file(QStringLiteral("Rak/real.txt"), "real");
        f.home.file(QStringLiteral("Karpet/real.txt"), "another real");
        f.storage->reloadAll();
        QCOMPARE(f.storage->bookshelfItems().size(), 2);

        f.storage->moveAllBookshelfItemsToCarpet();

        QVERIFY(f.storage->bookshelfItems().isEmpty());
        QCOMPARE(linkTarget(f.home.carpet() + QStringLiteral("/linked.txt")), user);
        QCOMPARE(f.home.read(QStringLiteral("Karpet/real (1).txt")), QByteArray("real"));
        QCOMPARE(f.home.read(QStringLiteral("Karpet/real.txt")), QByteArray("another real"));
        const FloorPositions stored = f.storedPositions();
        for (const QString& name : {QStringLiteral("linked.txt"), QStringLiteral("real (1).txt")})
            QCOMPARE(stored.value(name), StorageManager::defaultCarpetPosition(name));
        QCOMPARE(f.storage->carpetItems().size(), 3);
    }

    void arrangeLinesFilesUpAndSpreadForgets()
    {
        MoveFixture f;
        for (const QString& name :
             {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")})
            f.home.file(QStringLiteral("Karpet/") + name);
        f.storage->reloadAll();
        f.storage->setCarpetPosition(0.5, 0.82);

        f.storage->arrangeCarpetItemsOnCarpet();
        const FloorPositions stored = f.storedPositions();
        const double xs[] = {0.44, 0.50, 0.56};
        int i = 0;
        for (const QString& name :
             {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}) {
            QVERIFY(qAbs(stored.value(name).x - xs[i++]) < 1e-12);
            QCOMPARE(stored.value(name).y, 0.82);
        }

        f.storage->resetFloorItemPositions();
        QVERIFY(f.storage->floorItemPositions().isEmpty());
        QVERIFY(f.storedPositions().isEmpty());

        // A single file lies at the carpet's centre.
        FileOperations::removeItem(f.home.carpet() + QStringLiteral("/b.txt"));
        FileOperations::removeItem(f.home.carpet() + QStringLiteral("/c.txt"));
        f.storage->refreshCarpetItems();
        f.storage->arrangeCarpetItemsOnCarpet();
        QCOMPARE(f.storedPositions().value(QStringLiteral("a.txt")), (StoredPosition{0.5, 0.82}));
    }

    void storageFoldersAreRefused_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("ontoShelf");
        for (const bool shelf : {true, false}) {
            const char* to = shelf ? "onto the shelf" : "under the carpet";
            for (const char* which :
                 {"storage folder", "Rak", "Karpet", "Album", "Documents", "home folder"})
                QTest::addRow("%s %s", which, to) << QString::fromLatin1(which) << shelf;
        }
    }
    void storageFoldersAreRefused()
    {
        QFETCH(QString, which);
        QFETCH(bool, ontoShelf);
        MoveFixture f;
        f.home.file(QStringLiteral("Karpet/kept.txt"), "kept");
        f.home.file(QStringLiteral("Album/frame_0.jpg"), "photo");
        f.storage->reloadAll();
        const QString path =
            which == QLatin1String("storage folder") ? f.home.root()
            : which == QLatin1String("Documents")    ? f.home.home() + QStringLiteral("/Documents")
            : which == QLatin1String("home folder")  ? f.home.home()
                                                     : f.home.root() + QLatin1Char('/') + which;
        const QStringList shelfBefore =
            FileOperations::listEntries(f.home.shelf(), true).value_or(QStringList());

        StdoutCapture out;
        if (ontoShelf)
            f.storage->addToBookshelf(url(path));
        else
            f.storage->hideUnderCarpet(url(path), 0.5, 0.5);
        QCOMPARE(out.finish(), QStringLiteral("Pondsill: gagal menyimpan ") + path + u'\n');

        QVERIFY(FileOperations::isDirectory(path));
        QCOMPARE(f.home.read(QStringLiteral("Karpet/kept.txt")), QByteArray("kept"));
        QCOMPARE(f.home.read(QStringLiteral("Album/frame_0.jpg")), QByteArray("photo"));
        QCOMPARE(FileOperations::listEntries(f.home.shelf(), true).value_or(QStringList()),
                 shelfBefore);
        QCOMPARE(FileOperations::listEntries(f.home.carpet(), true).value_or(QStringList()),
                 QStringList{QStringLiteral("kept.txt")});
    }

    void storedItemsDroppedAgain()
    {
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Desktop/a.txt"), "a");
        f.storage->hideUnderCarpet(url(user), 0.3, 0.7);
        const QString carpetEntry = f.home.carpet() + QStringLiteral("/a.txt");

        // A floor file dropped on the floor only moves.
        f.storage->hideUnderCarpet(url(carpetEntry), 0.6, 0.8);
        QCOMPARE(FileOperations::listEntries(f.home.carpet(), true).value_or(QStringList()),
                 QStringList{QStringLiteral("a.txt")});
        QCOMPARE(f.storedPositions().value(QStringLiteral("a.txt")), (StoredPosition{0.6, 0.8}));
        QCOMPARE(originOf(carpetEntry), user);

        // A shelf item dropped on the shelf changes nothing.
        f.storage->addToBookshelf(url(carpetEntry));
        const QString shelfEntry = f.home.shelf() + QStringLiteral("/a.txt");
        f.storage->addToBookshelf(url(shelfEntry));
        QCOMPARE(FileOperations::listEntries(f.home.shelf(), true).value_or(QStringList()),
                 QStringList{QStringLiteral("a.txt")});
        QCOMPARE(originOf(shelfEntry), user);

        // A shelf item dropped on the floor keeps the place it came from.
        f.storage->hideUnderCarpet(url(shelfEntry), 0.2, 0.9);
        QCOMPARE(originOf(carpetEntry), user);
        QCOMPARE(f.storedPositions().value(QStringLiteral("a.txt")), (StoredPosition{0.2, 0.9}));
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
        MoveFixture f;
        const QString user = f.userFile(QStringLiteral("Reports/a.txt"), "report");
        f.storage->hideUnderCarpet(url(user), 0.5, 0.8);
        const QString stored = f.home.carpet() + QStringLiteral("/a.txt");
        QCOMPARE(originOf(stored), user);

        // A shortcut on the Desktop to the hidden file is stored as a link; whatever it
        // records must not overwrite where the file itself came from.
        const QString shortcut = f.desktop() + QStringLiteral("/shortcut.txt");
        QVERIFY(QDir().mkpath(f.desktop()));
        QVERIFY(FileOperations::createSymbolicLink(stored, shortcut));
        if (ontoTheShelf)
            f.storage->addToBookshelf(url(shortcut));
        else
            f.storage->hideUnderCarpet(url(shortcut), 0.3, 0.8);
        QCOMPARE(originOf(stored), user);

        f.storage->restoreCarpetItemToDesktop(url(stored));
        QCOMPARE(contentOf(user), QByteArray("report"));
    }

    void acrossFileSystemsArrivesWhole()
    {
        ScratchMount mount;
        if (!mount.isMounted())
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + mount.error()));
        MoveFixture f;
        const QString folder = mount.path() + QStringLiteral("/Project");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/docs")));
        QFile file(folder + QStringLiteral("/docs/plan.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("plan");
        file.close();
        QVERIFY(FileOperations::createSymbolicLink(QStringLiteral("docs/plan.txt"),
                                                   folder + QStringLiteral("/latest")));
        const bool attributes = ExtendedAttributes::write(folder + QStringLiteral("/docs/plan.txt"),
                                                          "user.tag", "blue");

        f.storage->hideUnderCarpet(url(folder), 0.5, 0.8);

        const QString entry = f.home.carpet() + QStringLiteral("/Project");
        QVERIFY(!FileOperations::entryExists(folder));
        QCOMPARE(contentOf(entry + QStringLiteral("/docs/plan.txt")), QByteArray("plan"));
        QCOMPARE(linkTarget(entry + QStringLiteral("/latest")), QStringLiteral("docs/plan.txt"));
        QCOMPARE(originOf(entry), folder);
        if (attributes)
            QCOMPARE(ExtendedAttributes::read(entry + QStringLiteral("/docs/plan.txt"), "user.tag"),
                     std::optional<QByteArray>("blue"));

        // And back again, to the other file system.
        f.storage->restoreCarpetItemToDesktop(url(entry));
        QVERIFY(!FileOperations::entryExists(entry));
        QCOMPARE(contentOf(folder + QStringLiteral("/docs/plan.txt")), QByteArray("plan"));
        QCOMPARE(linkTarget(folder + QStringLiteral("/latest")), QStringLiteral("docs/plan.txt"));
        if (!attributes)
            QSKIP("this tmpfs keeps no user attributes; the rest arrived whole");
    }
};

PONDSILL_TEST(ShelfMovesTest)
#include "shelf_moves_test.moc"
