// What keeps people's files whole whatever they ask of the room: links that stay links,
// moves that never leave two copies, items the room refuses at the door, and operations
// that check what they are handed.
#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "platform/trash.h"
#include "state/animation.h"
#include "storage_fixture.h"
#include "support/plain_user.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

#include <cmath>
#include <limits>

namespace {
// A Trash that takes nothing and remembers what it was asked to take.
class RecordingTrash : public Trash {
public:
    QStringList asked;
    bool moveToTrash(const QString& path, QString*) override
    {
        asked.append(path);
        return false;
    }
};

QString linkText(const QString& path)
{
    return FileOperations::readLink(path).value_or(QString());
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}
} // namespace

class FileSafetyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A shortcut of the user's goes through the room as itself and comes back as it was.
    void usersLinksTravelAndComeBack_data()
    {
        QTest::addColumn<QString>("destination"); // of ~/Desktop/shortcut
        QTest::addColumn<QString>("route");
        for (const QString& destination : {u"../docs/t.txt"_s, u"@abs"_s}) {
            const QString kind = destination == u"@abs" ? u"absolute"_s : u"relative"_s;
            for (const QString& route : {u"floor"_s, u"floor, shelf"_s, u"shelf, removed"_s})
                QTest::addRow("%s, %s", qPrintable(kind), qPrintable(route))
                    << destination << route;
        }
    }
    void usersLinksTravelAndComeBack()
    {
        QFETCH(QString, destination);
        QFETCH(QString, route);
        StorageHome f;
        const QString target = f.userFile(u"docs/t.txt"_s, "target");
        if (destination == u"@abs")
            destination = target;
        QDir().mkpath(f.desktop());
        const QString shortcut = f.desktop() + u"/shortcut"_s;
        QVERIFY(FileOperations::createSymbolicLink(destination, shortcut));
        f.start().hideUnderCarpet(url(shortcut), 0.3, 0.8);

        // The next start finds it pointing where it did, and shows it.
        StorageManager& storage = f.start();
        const QString onFloor = f.carpet() + u"/shortcut"_s;
        QCOMPARE(contentOf(onFloor), QByteArray("target"));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"shortcut"_s});

        if (route == u"floor") {
            storage.restoreCarpetItemToDesktop(url(onFloor));
        } else {
            storage.moveCarpetItemsToBookshelf({u"shortcut"_s});
            const QString onShelf = f.shelf() + u"/shortcut"_s;
            QCOMPARE(contentOf(onShelf), QByteArray("target"));
            if (route == u"shelf, removed") {
                // Removing the user's own link from the shelf throws it away, never deletes it.
                const QString shelfText = linkText(onShelf);
                storage.removeBookshelfItem(url(onShelf));
                QCOMPARE(linkText(f.trashRoot() + u"/files/shortcut"_s), shelfText);
                QVERIFY(FileOperations::isSymbolicLink(f.trashRoot() + u"/files/shortcut"_s));
                QCOMPARE(contentOf(target), QByteArray("target"));
                return;
            }
            f.start().returnBookToDesktop(url(onShelf));
        }
        QCOMPARE(linkText(shortcut), destination);
        QCOMPARE(contentOf(target), QByteArray("target"));
        QVERIFY(f.entries(u"Karpet"_s).isEmpty() && f.entries(u"Rak"_s).isEmpty());
    }

    // A link whose item cannot be reached now waits, unlisted, for it; only a link whose
    // item is known to be gone is removed.
    void unreachableLinksWait_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("target"); // relative to home
        QTest::addColumn<bool>("kept");
        for (const QString& folder : {u"Rak"_s, u"Karpet"_s}) {
            QTest::addRow("%s: a drive that is not mounted", qPrintable(folder))
                << folder << u"media/stick/a.txt"_s << true;
            QTest::addRow("%s: the item is gone", qPrintable(folder))
                << folder << u"Documents/a.txt"_s << false;
        }
    }
    void unreachableLinksWait()
    {
        QFETCH(QString, folder);
        QFETCH(QString, target);
        QFETCH(bool, kept);
        StorageHome f;
        QDir().mkpath(f.home() + u"/Documents"_s);
        const QString entry = f.link(folder + u"/a.txt"_s, f.home() + u'/' + target);
        StorageManager& storage = f.start();
        QCOMPARE(FileOperations::isSymbolicLink(entry), kept);
        QVERIFY(storage.carpetItems().isEmpty());
        if (!kept)
            return;
        // The drive comes back: so does the item.
        f.userFile(target, "back");
        storage.reloadAll();
        QCOMPARE(contentOf(entry), QByteArray("back"));
        if (folder == u"Karpet")
            QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"a.txt"_s});
        else
            QCOMPARE(namesOf(storage.bookshelfItems()), QStringList{u"a.txt"_s});
    }

    // A link whose item lies behind a folder the user may not enter is kept too: its item
    // may well be there.
    void linksBehindALockedFolderWait()
    {
        StorageHome f;
        const QString target = f.userFile(u"locked/a.txt"_s, "a");
        const QString shelfLink = f.link(u"Rak/a.txt"_s, target);
        const QString carpetLink = f.link(u"Karpet/b.txt"_s, target);
        ::chmod(QFile::encodeName(f.home() + u"/locked"_s).constData(), 0);
        const QString home = f.home();
        const int outcome = asPlainUser(QFileInfo(home).absolutePath(), [&]() -> int {
            StorageManager storage(home);
            if (!FileOperations::isSymbolicLink(shelfLink))
                return 1;
            if (!FileOperations::isSymbolicLink(carpetLink))
                return 2;
            return storage.carpetItems().isEmpty() ? 0 : 3;
        });
        QCOMPARE(outcome, 0);
    }

    // Across file systems an item is copied; when its original cannot be removed, the copy
    // goes again and the item stays where it was, however often it is asked.
    void originalsThatCannotGoStayPut_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("a file hidden from a read-only stick") << u"hide file"_s;
        QTest::newRow("a folder hidden from a read-only stick") << u"hide folder"_s;
        QTest::newRow("a file returned from a read-only carpet") << u"return"_s;
    }
    void originalsThatCannotGoStayPut()
    {
        QFETCH(QString, situation);
        StorageHome f;
        const bool hiding = situation.startsWith(u"hide");
        const QString carpet = f.dir(u"Karpet"_s);
        ScratchMount mount("tmpfs", hiding ? QString() : carpet);
        if (!mount.isMounted())
            QSKIP(qPrintable(u"cannot mount a tmpfs here: "_s + mount.error()));
        const QString item =
            mount.path() + (situation == u"hide folder" ? u"/Trip"_s : u"/a.txt"_s);
        const QString file = situation == u"hide folder" ? item + u"/a.txt"_s : item;
        writeFile(file, "only copy");
        if (!hiding)
            setOrigin(item, f.desktop() + u"/a.txt"_s);
        QVERIFY(mount.makeReadOnly());
        QDir().mkpath(f.desktop());
        StorageManager& storage = f.start();

        StdoutCapture out;
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (hiding)
                storage.hideUnderCarpet(url(item), 0.3, 0.8);
            else
                storage.restoreCarpetItemToDesktop(url(item));
            f.settle();
        }
        const QString printed = out.finish();

        QCOMPARE(contentOf(file), QByteArray("only copy"));
        QCOMPARE(f.entries(u"../../Desktop"_s), QStringList());
        if (hiding) {
            QCOMPARE(f.entries(u"Karpet"_s), QStringList());
            QVERIFY(storage.carpetItems().isEmpty());
        } else {
            QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"a.txt"_s});
            QCOMPARE(printed, QString(u"Pondsill: gagal mengembalikan a.txt: "_s +
                                      FileOperations::Result{EROFS}.message() + u'\n')
                                  .repeated(3));
        }
    }

    // A copy from another file system runs beside the room: the call returns at once, the
    // item shows when it has arrived whole (its links and user attributes too), in the
    // animation it was dropped in, and nothing else may take it meanwhile.
    void copiesAcrossFileSystemsRunBesideTheRoom()
    {
        ScratchMount mount;
        if (!mount.isMounted())
            QSKIP(qPrintable(u"cannot mount a tmpfs here: "_s + mount.error()));
        StorageHome f;
        StorageManager& storage = f.start();
        const QString folder = mount.path() + u"/Project"_s;
        const QByteArray video(12 << 20, 'v');
        writeFile(folder + u"/video.mp4"_s, video);
        const QString plan = writeFile(folder + u"/docs/plan.txt"_s, "plan");
        QVERIFY(FileOperations::createSymbolicLink(u"docs/plan.txt"_s, folder + u"/latest"_s));
        const bool attributes = ExtendedAttributes::write(plan, "user.tag", "blue");
        QList<std::optional<Animation>> shown;
        QObject::connect(&storage, &StorageManager::carpetItemsChanged,
                         [&shown] { shown.append(currentAnimation()); });
        const Animation drop = Animation::spring(0.35, 0.75);
        QList<bool> done;
        withAnimation(drop, [&] {
            storage.hideUnderCarpet(url(folder), 0.3, 0.8, [&done](bool moved) { done << moved; });
        });

        QVERIFY(done.isEmpty());
        QVERIFY(storage.hasMovesInFlight());
        QVERIFY(storage.carpetItems().isEmpty());
        QVERIFY(!f.exists(u"Karpet/Project"_s));
        // Meanwhile the item is no one else's to take.
        storage.hideUnderCarpet(url(folder), 0.6, 0.8, [&done](bool moved) { done << moved; });
        StdoutCapture out;
        QVERIFY(!storage.moveToTrash(url(folder)));
        out.finish();
        QCOMPARE(done, QList<bool>{false});

        f.settle();
        const QString entry = f.carpet() + u"/Project"_s;
        QCOMPARE(done, (QList<bool>{false, true}));
        QCOMPARE(f.entries(u"Karpet"_s), QStringList{u"Project"_s});
        QCOMPARE(contentOf(entry + u"/video.mp4"_s), video);
        QCOMPARE(contentOf(entry + u"/docs/plan.txt"_s), QByteArray("plan"));
        QCOMPARE(linkText(entry + u"/latest"_s), u"docs/plan.txt"_s);
        if (attributes)
            QCOMPARE(ExtendedAttributes::read(entry + u"/docs/plan.txt"_s, "user.tag"),
                     std::optional<QByteArray>("blue"));
        QVERIFY(!FileOperations::entryExists(folder));
        QCOMPARE(originOf(entry), folder);
        QCOMPARE(f.storedPositions().value(u"Project"_s), (StoredPosition{0.3, 0.8}));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"Project"_s});
        QCOMPARE(shown.constLast(), std::optional(drop));

        // And back again, to the other file system.
        storage.restoreCarpetItemToDesktop(url(entry));
        f.settle();
        QVERIFY(!FileOperations::entryExists(entry));
        QCOMPARE(contentOf(plan), QByteArray("plan"));
        QCOMPARE(contentOf(folder + u"/video.mp4"_s), video);
        QCOMPARE(linkText(folder + u"/latest"_s), u"docs/plan.txt"_s);
        if (!attributes)
            QSKIP("this tmpfs keeps no user attributes; the rest arrived whole");
    }

    // What the room would hold without showing it, or could not act on, stays outside.
    void theDoorRefusesWhatTheRoomCannotShow()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        const QString dotFile = f.userFile(u".bashrc"_s, "settings");
        const QString dotFolder = f.userFile(u".config/app.ini"_s, "ini");
        StdoutCapture out;
        storage.hideUnderCarpet(url(dotFile), 0.3, 0.8);
        storage.addToBookshelf(url(QFileInfo(dotFolder).absolutePath()));
        QCOMPARE(out.finish(),
                 u"Pondsill: gagal menyimpan %1\nPondsill: gagal menyimpan %2\n"_s.arg(
                     dotFile, f.home() + u"/.config"_s));
        QCOMPARE(contentOf(dotFile), QByteArray("settings"));
        QCOMPARE(contentOf(dotFolder), QByteArray("ini"));
        QVERIFY(f.entries(u"Karpet"_s).isEmpty() && f.entries(u"Rak"_s).isEmpty());

        // A name that is no UTF-8, put under the carpet by a file manager, is not shown as
        // an item that every action would miss; the room never touches it.
        const QByteArray raw = QFile::encodeName(f.carpet()) + "/caf\xe9.txt";
        QVERIFY(writeRaw(raw, "latin-1"));
        f.file(u"Karpet/plain.txt"_s);
        storage.reloadAll();
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"plain.txt"_s});
        for (const QUrl& item : storage.carpetItems())
            QVERIFY(FileOperations::entryExists(item.toLocalFile()));
        storage.restoreAllCarpetItemsToDesktop();
        f.start(); // nothing acts on it at start-up either
        QVERIFY(FileOperations::listEntries(f.carpet(), true)->isEmpty());
        QCOMPARE(::unlink(raw.constData()), 0); // beyond the temporary folder's own clean-up
    }

    // A read-only file takes its origin too, and goes back to its own folder.
    void readOnlyFileGoesBackToItsFolder()
    {
        StorageHome f;
        const QString file = f.userFile(u"Downloads/report.txt"_s, "report");
        QDir().mkpath(f.desktop());
        ::chmod(QFile::encodeName(file).constData(), 0444);
        const QString home = f.home();
        const int outcome = asPlainUser(QFileInfo(home).absolutePath(), [&]() -> int {
            StorageManager storage(home);
            storage.hideUnderCarpet(url(file), 0.3, 0.8);
            const QString hidden = f.carpet() + u"/report.txt"_s;
            if (originOf(hidden) != file)
                return 1;
            storage.restoreCarpetItemToDesktop(url(hidden));
            if (contentOf(file) != "report" || modeOf(file) != 0444)
                return 2;
            return FileOperations::entryExists(f.desktop() + u"/report.txt"_s) ? 3 : 0;
        });
        QCOMPARE(outcome, 0);
    }

    // Each operation checks what it is handed, whoever calls it.
    void everyEntryChecksWhatItIsHanded_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("target");
        const QStringList own = {u"home"_s,
                                 u"/"_s,
                                 u"storage"_s,
                                 u"Documents"_s,
                                 u"Album"_s,
                                 u"Rak"_s,
                                 u"Karpet"_s,
                                 u"notes.json"_s,
                                 u"floor_positions.json"_s,
                                 u"photo_transforms.json"_s};
        for (const QString& target : own) {
            for (const QString& operation : {u"trash"_s, u"hide"_s, u"shelve"_s})
                QTest::addRow("%s %s", qPrintable(operation), qPrintable(target))
                    << operation << target;
        }
        // Shelf operations take shelf entries only, carpet operations carpet items only.
        for (const QString& operation : {u"return book"_s, u"remove book"_s, u"book to carpet"_s,
                                         u"restore carpet item"_s, u"trash carpet item"_s}) {
            for (const QString& target : {u"desktop file"_s, u"desktop link"_s, u"Documents"_s})
                QTest::addRow("%s %s", qPrintable(operation), qPrintable(target))
                    << operation << target;
        }
        QTest::newRow("carpet names ..") << u"carpet names"_s << u".."_s;
        QTest::newRow("carpet names .") << u"carpet names"_s << u"."_s;
    }
    void everyEntryChecksWhatItIsHanded()
    {
        QFETCH(QString, operation);
        QFETCH(QString, target);
        StorageHome f;
        f.file(u"notes.json"_s, "[]");
        f.file(u"Karpet/kept.txt"_s, "kept");
        f.file(u"Album/frame_0.png"_s, "photo");
        const QString desktopFile = f.userFile(u"Desktop/d.txt"_s, "desktop");
        QVERIFY(FileOperations::createSymbolicLink(desktopFile, f.desktop() + u"/link"_s));
        RecordingTrash trash;
        StorageManager& storage = f.start();
        storage.setTrash(&trash);
        storage.saveFloorPositions();
        storage.savePhotoTransforms();
        const QString path = target == u"home"           ? f.home()
                             : target == u"/"            ? u"/"_s
                             : target == u"storage"      ? f.root()
                             : target == u"Documents"    ? f.home() + u"/Documents"_s
                             : target == u"desktop file" ? desktopFile
                             : target == u"desktop link" ? f.desktop() + u"/link"_s
                                                         : f.root() + u'/' + target;
        const QStringList before = f.layout(true);
        const StickyNotes notes = storage.stickyNotes();

        StdoutCapture out;
        if (operation == u"trash")
            QVERIFY(!storage.moveToTrash(url(path)));
        else if (operation == u"hide")
            storage.hideUnderCarpet(url(path), 0.5, 0.5);
        else if (operation == u"shelve")
            storage.addToBookshelf(url(path));
        else if (operation == u"return book")
            storage.returnBookToDesktop(url(path));
        else if (operation == u"remove book")
            storage.removeBookshelfItem(url(path));
        else if (operation == u"book to carpet")
            storage.moveBookshelfItemToCarpet(url(path));
        else if (operation == u"restore carpet item")
            storage.restoreCarpetItemToDesktop(url(path));
        else if (operation == u"trash carpet item")
            storage.trashCarpetItem(url(path));
        else
            storage.moveCarpetItemsToBookshelf({target});
        const QString printed = out.finish();
        if (operation == u"hide" || operation == u"shelve")
            QCOMPARE(printed, u"Pondsill: gagal menyimpan "_s + path + u'\n');

        QVERIFY(trash.asked.isEmpty());
        QCOMPARE(f.layout(true), before);
        storage.reloadAll();
        QCOMPARE(storage.stickyNotes(), notes);
    }

    // A position that cannot be stored is refused where it comes in, and never keeps the
    // floor file from being written again.
    void badPositionsNeverStopTheSaves()
    {
        StorageHome f;
        f.file(u"Karpet/a.txt"_s);
        StorageManager& storage = f.start();
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        constexpr double inf = std::numeric_limits<double>::infinity();
        storage.setCarpetPosition(0.4, 0.8);
        storage.setCarpetPosition(nan, 0.5);
        storage.setFloorItemPosition(u"a.txt"_s, inf, 0.5);
        storage.hideUnderCarpet(url(f.userFile(u"Desktop/b.txt"_s)), nan, nan);
        QVERIFY(f.exists(u"../../Desktop/b.txt"_s));
        // A view that writes the map itself.
        FloorPositions positions = storage.floorItemPositions();
        positions.insert(u"ghost"_s, {nan, 0.3});
        storage.setFloorItemPositions(positions);

        storage.setFloorItemPosition(u"a.txt"_s, 0.2, 0.7);
        const auto layout = decodeFloorLayout(f.read(u"floor_positions.json"_s));
        QVERIFY(layout);
        QCOMPARE(layout->carpetPosition, (StoredPosition{0.4, 0.8}));
        QCOMPARE(layout->itemPositions, (FloorPositions{{u"a.txt"_s, {0.2, 0.7}}}));
        QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.4, 0.8}));
    }

    // What a kill cut short is cleared away at the next start; anything else stays.
    void leftoversOfCutSavesGoAtStart()
    {
        StorageHome f;
        const QStringList users = {u"notes.json.bak: mine"_s, u"mine.json.a1B2c3: mine"_s,
                                   u"Album/.frame_x-1: mine"_s, u"Karpet/.pondsill-copy-K: mine"_s};
        QVERIFY(f.lay(users));
        QVERIFY(f.lay({u"notes.json.a1B2c3: half"_s, u"floor_positions.json.Zz9yX8: half"_s,
                       u"photo_transforms.json.000000: half"_s, u"Album/.frame_2-k3j4: half"_s,
                       u"Karpet/.pondsill-copy-k3j4: half"_s}));
        f.start();
        QStringList expected = users;
        expected.sort();
        QCOMPARE(f.layout(), expected);
    }
};

PONDSILL_TEST(FileSafetyTest)
#include "file_safety_test.moc"
