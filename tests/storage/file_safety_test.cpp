// What keeps people's files whole whatever they ask of the room: links that stay links,
// moves that never leave two copies or half a copy, items the room refuses at the door,
// operations that check what they are handed, and a few hundred operations drawn at random
// (from a fixed seed) after each of which every file of the user's exists exactly once.
#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "state/animation.h"
#include "storage_fixture.h"
#include "support/plain_user.h"
#include "support/scratch_folder.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace {
const QStringList kNames =
    u"plain.txt|quote \" and ' both.pdf|line\nbreak.txt|-leading dash|"
    u"emoji 🐈‍⬛ cat.png|ملف عربي.doc|Café 50%.jpg|.dotfile|photo.png|"
    u"archive.tar.gz"_s.split(u'|')
    << QString(251, u'n') + u".txt"_s;

// Counts each file content and each place a link leads to under `top`, a Trash's own
// folder left out; a link in the Trash at `trashRoot` leads on from where it came from.
void count(const QString& top, QMap<QString, int>* seen, const QString& trashRoot = {})
{
    const QMap<QString, QString> cameFrom = trashed(trashRoot);
    for (const QString& line : tree(top)) {
        const qsizetype arrow = line.indexOf(u" -> "_s);
        if (line.startsWith(u".Trash-"))
            continue;
        if (arrow < 0) {
            ++(*seen)[line.mid(line.lastIndexOf(u": "_s) + 2)];
            continue;
        }
        const QString link = top + u'/' + line.left(arrow);
        const QString from = trashRoot.isEmpty() ? link : cameFrom.value(line.left(arrow));
        ++(*seen)[QDir::cleanPath(QFileInfo(from).dir().absoluteFilePath(line.mid(arrow + 4)))];
    }
}
} // namespace

class FileSafetyTest : public QObject {
    Q_OBJECT

    QStringList m_contents;    // every user file's content, each made unique
    QStringList m_linkTargets; // where each user link leads
    QSet<QString> m_framed;    // contents that were ever framed

    QString makeFile(const QString& path)
    {
        m_contents.append(u"user file %1"_s.arg(m_contents.size()));
        return writeFile(path, m_contents.constLast().toUtf8());
    }
    void layOut(const QString& base, int from)
    {
        for (int i = 0; i < kNames.size(); ++i) {
            const QString name = kNames[(i + from) % kNames.size()];
            const QString folder = base + (i % 4 == 3 ? u"/folder %1/"_s.arg(i) : u"/"_s);
            makeFile(folder + name);
            if (i % 4 == 3)
                makeFile(folder + u"inner/"_s + name);
        }
    }

    void check(const StorageHome& f, const QString& stickTop, const QByteArray& raw)
    {
        QMap<QString, int> live;
        QMap<QString, int> binned;
        const QString stickTrash = stickTop + u"/.Trash-%1"_s.arg(::getuid());
        count(f.home(), &live);
        count(f.trashRoot() + u"/files"_s, &binned, f.trashRoot());
        if (!stickTop.isEmpty()) {
            count(stickTop, &live);
            count(stickTrash + u"/files"_s, &binned, stickTrash);
        }
        // Framing a floor photo copies it into the album and sends the original to the
        // Trash: such a photo may have one more copy there, never one more outside.
        for (const QString& line : tree(f.album()))
            m_framed.insert(line.mid(line.lastIndexOf(u": "_s) + 2));
        for (const QString& content : m_contents) {
            const int all = live.value(content) + binned.value(content);
            QVERIFY2(live.value(content) <= 1 && all >= 1 &&
                         (all == 1 || m_framed.contains(content)),
                     qPrintable(u"\"%1\" exists %2 times, %3 in the Trash"_s.arg(
                         content, QString::number(live.value(content)),
                         QString::number(binned.value(content)))));
        }
        QVERIFY2(::access(raw.constData(), F_OK) == 0, "the file named in Latin-1 moved");
        for (const QString& target : m_linkTargets)
            QVERIFY2(live.value(target) + binned.value(target) == 1, qPrintable(target));
    }

private Q_SLOTS:
    // A shortcut of the user's goes through the room as itself and comes back as it was.
    void usersLinksTravelAndComeBack_data()
    {
        QTest::addColumn<QString>("destination"); // of ~/Desktop/shortcut
        QTest::addColumn<QString>("route");
        for (const QString& destination : {u"../docs/t.txt"_s, u"~/docs/t.txt"_s})
            for (const QString& route : {u"floor"_s, u"floor, shelf"_s, u"shelf, removed"_s})
                QTest::addRow("%s, %s", qPrintable(destination), qPrintable(route))
                    << destination << route;
    }
    void usersLinksTravelAndComeBack()
    {
        QFETCH(QString, destination);
        QFETCH(QString, route);
        StorageHome f;
        QVERIFY(f.lay({u"~/docs/t.txt: target"_s, u"~/Desktop/shortcut -> "_s + destination}));
        const QStringList before = f.layout();
        f.start();
        f.act(u"hide"_s, u"~/Desktop/shortcut"_s);
        StorageManager& storage = f.start();
        QCOMPARE(f.read(u"Karpet/shortcut"_s), QByteArray("target"));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"shortcut"_s});
        if (route == u"floor") {
            f.act(u"restore"_s, u"Karpet/shortcut"_s);
        } else {
            f.act(u"to shelf"_s, u"shortcut"_s);
            QCOMPARE(f.read(u"Rak/shortcut"_s), QByteArray("target"));
            if (route == u"shelf, removed") {
                // Removing the user's own link from the shelf throws it away, never deletes it.
                const auto text = FileOperations::readLink(f.shelf() + u"/shortcut"_s);
                f.act(u"remove"_s, u"Rak/shortcut"_s);
                QCOMPARE(FileOperations::readLink(f.trashRoot() + u"/files/shortcut"_s), text);
                QCOMPARE(contentOf(f.path(u"~/docs/t.txt"_s)), QByteArray("target"));
                return;
            }
            f.start();
            f.act(u"return"_s, u"Rak/shortcut"_s);
        }
        QCOMPARE(f.layout(), before);
    }

    // A shortcut of the user's to a file the room has shelved as well is still the user's:
    // sent back or removed from the shelf, it is returned or put in the Trash, never deleted,
    // and the room's own link to the file still goes alone.
    void usersLinksToAShelvedItemAreKept_data()
    {
        QTest::addColumn<QString>("destination"); // of ~/Desktop/shortcut
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("keptAt"); // where the shortcut ends; "Trash"
        for (const QString& operation : {u"return"_s, u"remove"_s}) {
            QTest::addRow("absolute, %s", qPrintable(operation))
                << u"~/docs/t.txt"_s << operation << u"Trash"_s;
            // The origin read through the shortcut is its item's own place: the shortcut's
            // own is unknown, and it goes to the Desktop.
            QTest::addRow("relative, %s", qPrintable(operation))
                << u"../docs/t.txt"_s << operation
                << (operation == u"return" ? u"~/Desktop/shortcut"_s : u"Trash"_s);
        }
    }
    void usersLinksToAShelvedItemAreKept()
    {
        QFETCH(QString, destination);
        QFETCH(QString, operation);
        QFETCH(QString, keptAt);
        StorageHome f;
        QVERIFY(f.lay({u"~/docs/t.txt: target"_s, u"~/Desktop/shortcut -> "_s + destination}));
        f.start();
        f.act(u"hide"_s, u"~/Desktop/shortcut"_s);
        f.act(u"shelve"_s, u"~/docs/t.txt"_s);
        f.start(); // the room knows its own link after a restart too
        f.act(u"to shelf"_s, u"shortcut"_s);
        QCOMPARE(f.read(u"Rak/shortcut"_s), QByteArray("target"));
        f.act(operation, u"Rak/shortcut"_s);
        f.settle();
        const QMap<QString, QString> trash = trashed(f.trashRoot());
        if (keptAt == u"Trash") {
            QCOMPARE(trash.keys(), QStringList{u"shortcut"_s});
            QVERIFY(FileOperations::isSymbolicLink(f.trashRoot() + u"/files/shortcut"_s));
        } else {
            QVERIFY(trash.isEmpty());
            QVERIFY(FileOperations::isSymbolicLink(f.path(keptAt)));
            QCOMPARE(f.read(keptAt), QByteArray("target"));
        }
        QVERIFY(!FileOperations::entryExists(f.path(u"Rak/shortcut"_s)));
        // The room's own shelf link goes alone: nothing more in the Trash, the file stays.
        f.act(operation, u"Rak/t.txt"_s);
        f.settle();
        QVERIFY(!FileOperations::entryExists(f.path(u"Rak/t.txt"_s)));
        QCOMPARE(trashed(f.trashRoot()).size(), trash.size());
        QCOMPARE(f.read(u"~/docs/t.txt"_s), QByteArray("target"));
    }

    // Only a link the room made is deleted by it. A shelf link that merely looks like one
    // (laid before the room kept its record, or made afresh in place of the room's with the
    // same text) goes to the Trash instead.
    void onlyTheRoomsOwnLinksAreDeleted_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<bool>("deleted");
        for (const QString& operation : {u"return"_s, u"remove"_s}) {
            QTest::addRow("shelved, %s", qPrintable(operation)) << u"shelved"_s << true;
            QTest::addRow("shelved before a restart, %s", qPrintable(operation))
                << u"shelved, restart"_s << true;
            QTest::addRow("made afresh in its place, %s", qPrintable(operation))
                << u"shelved, made afresh"_s << false;
            QTest::addRow("laid with its origin, %s", qPrintable(operation)) << u"laid"_s << false;
        }
    }
    void onlyTheRoomsOwnLinksAreDeleted()
    {
        QFETCH(QString, made);
        QFETCH(bool, deleted);
        const QString operation = QString::fromLatin1(QTest::currentDataTag()).section(u", "_s, -1);
        StorageHome f;
        QVERIFY(f.lay({u"~/docs/t.txt: target"_s}));
        f.start();
        if (made == u"laid")
            QVERIFY(f.lay({u"Rak/t.txt -> ~/docs/t.txt"_s, u"~/docs/t.txt @ ~/docs/t.txt"_s}));
        else
            f.act(u"shelve"_s, u"~/docs/t.txt"_s);
        if (made.contains(u"made afresh")) {
            const QString link = f.path(u"Rak/t.txt"_s);
            const QByteArray text = *FileOperations::readLinkBytes(link);
            QTest::qSleep(5); // another moment, whatever the inode
            QVERIFY(FileOperations::removeItem(link));
            QVERIFY(FileOperations::createSymbolicLink(text, link));
        }
        if (made.contains(u"restart"))
            f.start();
        f.start().reloadAll();
        f.act(operation, u"Rak/t.txt"_s);
        f.settle();
        QVERIFY(!FileOperations::entryExists(f.path(u"Rak/t.txt"_s)));
        QCOMPARE(trashed(f.trashRoot()).keys(), deleted ? QStringList() : QStringList{u"t.txt"_s});
        QCOMPARE(f.read(u"~/docs/t.txt"_s), QByteArray("target"));
        // The record keeps no link that is gone.
        QVERIFY(!f.read(u"shelf_links.json"_s).contains("t.txt"));
    }

    // A link's destination is bytes: one that is no valid UTF-8 (a Latin-1 name) is kept by
    // the repairs at start and still reaches its file after hiding and coming back.
    void linkDestinationsAreBytes_data()
    {
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QString>("route");
        for (const bool absolute : {false, true})
            for (const QString& route :
                 {u"start"_s, u"hidden, restored"_s, u"hidden, shelved, returned"_s})
                QTest::addRow("%s, %s", absolute ? "absolute" : "relative", qPrintable(route))
                    << absolute << route;
    }
    void linkDestinationsAreBytes()
    {
        QFETCH(bool, absolute);
        QFETCH(QString, route);
        StorageHome f;
        QVERIFY(QDir().mkpath(f.desktop()));
        const QByteArray file = QFile::encodeName(f.desktop()) + "/caf\xe9.txt";
        const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0 && ::write(fd, "latin", 5) == 5 && ::close(fd) == 0);
        const auto reaches = [&file](const QString& link) {
            struct stat a {
            }, b{};
            return ::stat(QFile::encodeName(link).constData(), &a) == 0 &&
                   ::stat(file.constData(), &b) == 0 && a.st_ino == b.st_ino &&
                   FileOperations::isSymbolicLink(link);
        };
        const QByteArray written = absolute ? file : QByteArray("./caf\xe9.txt");
        if (route == u"start") {
            // On the shelf and on the floor, relative from there or absolute.
            const QByteArray there = absolute ? file : QByteArray("../../../Desktop/caf\xe9.txt");
            f.start();
            for (const QString& at : {f.shelf() + u"/cafe"_s, f.carpet() + u"/cafe"_s})
                QVERIFY(FileOperations::createSymbolicLink(there, at));
            StorageManager& storage = f.start();
            for (const QString& at : {f.shelf() + u"/cafe"_s, f.carpet() + u"/cafe"_s}) {
                QCOMPARE(FileOperations::readLinkBytes(at), std::optional(there));
                QVERIFY(reaches(at));
            }
            QCOMPARE(namesOf(storage.bookshelfItems()), QStringList{u"cafe"_s});
            QCOMPARE(namesOf(storage.carpetItems()), QStringList());
            return;
        }
        const QString desktopLink = f.desktop() + u"/cafe"_s;
        QVERIFY(FileOperations::createSymbolicLink(written, desktopLink));
        f.start();
        f.act(u"hide"_s, u"~/Desktop/cafe"_s);
        f.settle();
        QVERIFY(reaches(f.carpet() + u"/cafe"_s));
        StorageManager& storage = f.start(); // the repairs at start keep it
        QVERIFY(reaches(f.carpet() + u"/cafe"_s));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"cafe"_s});
        if (route == u"hidden, restored") {
            f.act(u"restore"_s, u"Karpet/cafe"_s);
        } else {
            f.act(u"to shelf"_s, u"cafe"_s);
            QVERIFY(reaches(f.shelf() + u"/cafe"_s));
            f.start();
            f.act(u"return"_s, u"Rak/cafe"_s);
        }
        f.settle();
        QVERIFY(reaches(desktopLink));
        QCOMPARE(FileOperations::readLinkBytes(desktopLink),
                 std::optional(absolute ? file : QByteArray("caf\xe9.txt")));
        QVERIFY(trashed(f.trashRoot()).isEmpty());
    }

    // A link whose item cannot be reached now waits, unlisted, for it. (One whose item is
    // known to be gone is removed: see the repairs at start.)
    void unreachableLinksWait_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("target"); // relative to home
        for (const QString& folder : {u"Rak"_s, u"Karpet"_s}) {
            QTest::addRow("%s: a drive that is not mounted", qPrintable(folder))
                << folder << u"media/stick/a.txt"_s;
            QTest::addRow("%s: behind a folder the user may not enter", qPrintable(folder))
                << folder << u"locked/a.txt"_s;
        }
    }
    void unreachableLinksWait()
    {
        QFETCH(QString, folder);
        QFETCH(QString, target);
        StorageHome f;
        QVERIFY(f.lay({folder + u"/a.txt -> ~/"_s + target}));
        const bool locked = target.startsWith(u"locked");
        if (locked) {
            f.file(u"~/"_s + target);
            ::chmod(QFile::encodeName(f.home() + u"/locked"_s).constData(), 0);
        }
        const QString entry = f.path(folder + u"/a.txt"_s);
        const QString home = f.home();
        const PlainUserOutcome outcome = asPlainUser(QFileInfo(home).absolutePath(), [&]() -> int {
            StorageManager storage(home);
            if (!FileOperations::isSymbolicLink(entry) || !storage.carpetItems().isEmpty())
                return plainUserFailure(1, u"the start changed "_s + entry);
            if (locked)
                return 0;
            writeFile(home + u'/' + target, "back"); // the drive comes back
            storage.reloadAll();
            const ItemURLs shown = storage.carpetItems() + storage.bookshelfItems();
            return contentOf(entry) == "back" && shown.size() == 1
                       ? 0
                       : plainUserFailure(2, u"the room shows %1 items"_s.arg(shown.size()));
        });
        QVERIFY2(outcome.succeeded(), outcome.report());
    }

    // Each operation checks what it is handed, whoever calls it: nothing of the storage
    // folder's own, nothing the room would hold without showing it, shelf operations shelf
    // entries only, carpet operations carpet items only. A move that fails leaves the item
    // whole where it was, with its place on the floor, however often it is asked, and nothing
    // half-made where it was going. Across file systems an item is copied: when its original
    // cannot be removed, the copy goes again.
    void refusedAndFailedMovesChangeNothing_data()
    {
        QTest::addColumn<QString>("item"); // where the folder lies (Rak, Karpet, stick), or
                                           // what is handed
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("obstacle"); // a mount's kind and place, "no Desktop", "Trash"
        QTest::addColumn<int>("error");        // -1: refused; 0: the item goes to the stick
        const auto row = [](const QByteArray& tag, const QString& item, const QString& operation,
                            const QString& obstacle = {}, int error = -1) {
            QTest::newRow(tag.constData()) << item << operation << obstacle << error;
        };
        const QStringList own =
            u"~ / @ ~/Documents @/Album @/Rak @/Karpet notes.json "
            u"floor_positions.json photo_transforms.json ~/.bashrc ~/.config"_s.split(u' ');
        for (const QString& target : own) {
            for (const QString& operation : {u"trash"_s, u"hide"_s, u"shelve"_s})
                if (!target.contains(u"/.") || operation != u"trash")
                    row((operation + u' ' + target).toUtf8(), target, operation);
        }
        for (const QString& operation :
             {u"return"_s, u"remove"_s, u"to carpet"_s, u"restore"_s, u"trash item"_s}) {
            for (const QString& target :
                 {u"~/Downloads/d.txt"_s, u"~/Downloads/link"_s, u"~/Documents"_s})
                row((operation + u' ' + target).toUtf8(), target, operation);
        }
        row("to shelf ..", u".."_s, u"to shelf"_s);
        row("to shelf .", u"."_s, u"to shelf"_s);
        row("shelf: a file where the Desktop should be", u"Rak"_s, u"return"_s, u"no Desktop"_s,
            ENOTDIR);
        row("carpet: a file where the Desktop should be", u"Karpet"_s, u"restore"_s,
            u"no Desktop"_s, ENOTDIR);
        row("carpet: back to a stick without user attributes", u"Karpet"_s, u"restore"_s,
            u"ramfs stick"_s, 0);
        row("carpet: back to a full stick", u"Karpet"_s, u"restore"_s, u"full stick"_s, ENOSPC);
        row("carpet: back to a read-only stick", u"Karpet"_s, u"restore"_s, u"read-only stick"_s,
            EROFS);
        row("carpet: out of a read-only carpet", u"Karpet"_s, u"restore"_s, u"read-only Karpet"_s,
            EROFS);
        row("carpet: onto a read-only shelf", u"Karpet"_s, u"to shelf"_s, u"read-only Rak"_s,
            EROFS);
        row("stick: a folder hidden from a read-only stick", u"stick"_s, u"hide"_s,
            u"read-only stick"_s, EROFS);
        row("stick: a file hidden from a read-only stick", u"stick file"_s, u"hide"_s,
            u"read-only stick"_s, EROFS);
        row("carpet: trash, refused by the Trash", u"Karpet"_s, u"trash"_s, u"Trash"_s, EPERM);
        row("carpet: trash item, refused by the Trash", u"Karpet"_s, u"trash item"_s, u"Trash"_s,
            EPERM);
    }
    void refusedAndFailedMovesChangeNothing()
    {
        QFETCH(QString, item);
        QFETCH(QString, operation);
        QFETCH(QString, obstacle);
        QFETCH(int, error);
        StorageHome f;
        const QString at = obstacle.section(u' ', -1);
        const bool mounted = QStringList{u"stick"_s, u"Karpet"_s, u"Rak"_s}.contains(at);
        ScratchMount mount(obstacle.startsWith(u"ramfs") ? "ramfs" : "tmpfs",
                           at == u"stick" || !mounted || !f.lay({at + u'/'}) ? QString()
                                                                             : f.path(at));
        if (mounted && !mount.isMounted())
            QSKIP(qPrintable(u"cannot mount here: "_s + mount.error()));
        const QString name = u"Trip \"24\""_s;
        const bool trip = error >= 0;
        const QString path =
            !trip
                ? f.path(item)
                : (item.startsWith(u"stick") ? mount.path() : f.root() + u'/' + item) + u'/' + name;
        QVERIFY(
            f.lay({u"notes.json: []"_s, u"Karpet/kept.txt: kept"_s, u"Album/frame_0.png: photo"_s,
                   u"~/Downloads/d.txt: d"_s, u"~/Downloads/link -> ~/Downloads/d.txt"_s,
                   u"~/.bashrc: settings"_s, u"~/.config/app.ini: ini"_s,
                   obstacle == u"no Desktop" ? u"~/Desktop: not a folder"_s : u"~/Desktop/"_s}));
        if (item == u"stick file")
            QVERIFY(f.lay({path + u": only copy"_s}));
        else if (trip)
            QVERIFY(f.lay({path + u"/beach.jpg: "_s + QString(1 << 16, u'b'),
                           path + u"/latest -> beach.jpg"_s}));
        if (at == u"stick" && !item.startsWith(u"stick"))
            QVERIFY(f.lay({path + u" @ "_s + mount.path() + u'/' + name}));
        QFile filler(mount.path() + u"/filler"_s);
        if (obstacle.startsWith(u"full") &&
            filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (filler.write(QByteArray(1 << 16, 'f')) > 0) {
            }
        if (obstacle.startsWith(u"read-only"))
            QVERIFY(mount.makeReadOnly());
        RecordingTrash trash;
        StorageManager& storage = f.start();
        storage.setTrash(&trash);
        storage.saveFloorPositions();
        storage.savePhotoTransforms();
        if (item == u"Karpet")
            storage.setFloorItemPosition(name, 0.3, 0.8);
        const QStringList before = f.layout(true);
        const QStringList moving = trip ? tree(path) : QStringList();
        const QStringList onStick = tree(mount.path());
        const StickyNotes notes = storage.stickyNotes();

        StdoutCapture out;
        for (int attempt = 0; attempt < (error ? 3 : 1); ++attempt) {
            QCOMPARE(f.act(operation, operation != u"to shelf" ? path
                                      : trip                   ? name
                                                               : item),
                     operation != u"trash");
            f.settle();
        }
        const QString said = out.finish();
        if (!error) {
            QCOMPARE(said, QString());
            QCOMPARE(tree(mount.path() + u'/' + name), moving);
            QVERIFY(!FileOperations::entryExists(path));
            return;
        }
        const QString message = FileOperations::Result{error}.message();
        const QString printed =
            operation == u"trash" || (operation == u"trash item" && error > 0)
                ? u"Pondsill: gagal membuang ke sampah: "_s + path
            : error < 0 ? (operation == u"hide" || operation == u"shelve"
                               ? u"Pondsill: gagal menyimpan "_s + path
                               : QString())
            : operation == u"hide" || operation == u"to shelf"
                ? u"Pondsill: gagal menyimpan "_s + path
            : operation == u"restore" ? u"Pondsill: gagal mengembalikan %1: %2"_s.arg(name, message)
            : operation == u"return"  ? u"Gagal mengembalikan buku ke desktop: "_s + message
                                      : QString();
        QCOMPARE(said, printed.isEmpty() ? printed : (printed + u'\n').repeated(3));
        QCOMPARE(f.layout(true), before);
        QCOMPARE(tree(mount.path()), onStick);
        QCOMPARE(trash.asked.isEmpty(), obstacle != u"Trash");
        QVERIFY(f.sounds.played.isEmpty());
        if (trip && !item.startsWith(u"stick"))
            QVERIFY(namesOf(storage.carpetItems() + storage.bookshelfItems()).contains(name));
        if (item == u"Karpet")
            QCOMPARE(storage.floorItemPositions().value(name), (StoredPosition{0.3, 0.8}));
        storage.reloadAll();
        QCOMPARE(storage.stickyNotes(), notes);
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
        writeFile(folder + u"/video.mp4"_s, QByteArray(12 << 20, 'v'));
        const QString plan = writeFile(folder + u"/docs/plan.txt"_s, "plan");
        QVERIFY(FileOperations::createSymbolicLink(u"docs/plan.txt"_s, folder + u"/latest"_s));
        const bool attributes = ExtendedAttributes::write(plan, "user.tag", "blue");
        const QStringList project = tree(folder);
        QList<std::optional<Animation>> shown;
        QObject::connect(&storage, &StorageManager::carpetItemsChanged,
                         [&shown] { shown.append(currentAnimation()); });
        const Animation drop = Animation::spring(0.35, 0.75);
        QList<bool> done;
        const auto record = [&done](bool moved) { done << moved; };
        withAnimation(drop, [&] { storage.hideUnderCarpet(url(folder), 0.3, 0.8, record); });

        QVERIFY(done.isEmpty() && storage.hasMovesInFlight());
        // Not shown before it has arrived whole (the worker may already have renamed it in).
        QVERIFY(storage.carpetItems().isEmpty());
        // Meanwhile the item is no one else's to take.
        storage.hideUnderCarpet(url(folder), 0.6, 0.8, record);
        StdoutCapture out;
        QVERIFY(!storage.moveToTrash(url(folder)));
        out.finish();
        QCOMPARE(done, QList<bool>{false});

        f.settle();
        const QString entry = f.carpet() + u"/Project"_s;
        QCOMPARE(done, (QList<bool>{false, true}));
        QCOMPARE(tree(entry), project);
        if (attributes)
            QCOMPARE(ExtendedAttributes::read(entry + u"/docs/plan.txt"_s, "user.tag"),
                     std::optional<QByteArray>("blue"));
        QVERIFY(!FileOperations::entryExists(folder));
        QCOMPARE(originOf(entry), folder);
        QCOMPARE(f.storedPositions().value(u"Project"_s), (StoredPosition{0.3, 0.8}));
        QCOMPARE(namesOf(storage.carpetItems()), QStringList{u"Project"_s});
        QCOMPARE(shown.constLast(), std::optional(drop));
    }

    // A read-only file takes its origin too, and goes back to its own folder.
    void readOnlyFileGoesBackToItsFolder()
    {
        StorageHome f;
        const QString file = f.file(u"~/Downloads/report.txt"_s, "report");
        QDir().mkpath(f.desktop());
        ::chmod(QFile::encodeName(file).constData(), 0444);
        const QString home = f.home();
        const PlainUserOutcome outcome = asPlainUser(QFileInfo(home).absolutePath(), [&]() -> int {
            StorageManager storage(home);
            storage.hideUnderCarpet(url(file), 0.3, 0.8);
            const QString hidden = f.carpet() + u"/report.txt"_s;
            if (originOf(hidden) != file)
                return plainUserFailure(1, u"hidden without its origin: "_s + originOf(hidden));
            storage.restoreCarpetItemToDesktop(url(hidden));
            struct stat st {};
            if (contentOf(file) != "report" || ::stat(QFile::encodeName(file).constData(), &st) ||
                (st.st_mode & 07777) != 0444)
                return plainUserFailure(2, u"not back whole and read-only: "_s + file);
            return FileOperations::entryExists(f.desktop() + u"/report.txt"_s)
                       ? plainUserFailure(3, u"a copy was left on the Desktop"_s)
                       : 0;
        });
        QVERIFY2(outcome.succeeded(), outcome.report());
    }

    // A value that cannot be stored is refused where it comes in, leaves its file as it was,
    // and never keeps the file from being written again.
    void unstorableValuesNeverStopTheSaves()
    {
        StorageHome f;
        f.file(u"Karpet/a.txt"_s);
        StorageManager& storage = f.start();
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        constexpr double inf = std::numeric_limits<double>::infinity();
        const QByteArray notesBefore = f.read(u"notes.json"_s);
        StickyNotes notes = storage.stickyNotes();
        notes[1].rotation = inf;
        storage.setStickyNotes(notes);
        storage.saveNotes();
        QCOMPARE(f.read(u"notes.json"_s), notesBefore);

        storage.setCarpetPosition(0.4, 0.8);
        storage.setCarpetPosition(nan, 0.5);
        storage.setFloorItemPosition(u"a.txt"_s, inf, 0.5);
        storage.hideUnderCarpet(url(f.file(u"~/Desktop/b.txt"_s)), nan, nan);
        QCOMPARE(f.layout(), (QStringList{u"Karpet/a.txt: x"_s, u"~/Desktop/b.txt: x"_s}));
        FloorPositions positions = storage.floorItemPositions(); // a view that writes the map
        positions.insert(u"ghost"_s, {nan, 0.3});
        storage.setFloorItemPositions(positions);
        storage.setPhotoTransform(1, 2, 30, 4, 5);
        storage.setPhotoTransform(1, nan, 0, 0, 0);
        storage.setPhotoTransform(2, 1, inf, 0, 0);
        QCOMPARE(storage.transform(1), (PhotoTransform{2, 30, 4, 5}));

        storage.setFloorItemPosition(u"a.txt"_s, 0.2, 0.7);
        storage.setPhotoTransform(3, 1.5, 0, 0, 0);
        QCOMPARE(decodeFloorLayout(f.read(u"floor_positions.json"_s)),
                 std::optional(FloorLayoutData{{0.4, 0.8}, {{u"a.txt"_s, {0.2, 0.7}}}}));
        QCOMPARE(storage.carpetPositionNorm(), (StoredPosition{0.4, 0.8}));
        QCOMPARE(decodePhotoTransforms(f.read(u"photo_transforms.json"_s)),
                 std::optional(PhotoTransforms{{1, {2, 30, 4, 5}}, {3, {1.5, 0, 0, 0}}}));
    }

    // A test's temporary folder goes whole, whatever the test left in it, also for a user
    // who may not ignore permissions, and takes nothing of what its links lead to.
    void scratchFoldersGoWhole_data()
    {
        QTest::addColumn<bool>("plainUser");
        QTest::newRow("as root") << false;
        QTest::newRow("as a plain user") << true;
    }
    void scratchFoldersGoWhole()
    {
        QFETCH(bool, plainUser);
        ScratchFolder outside;
        const QString kept = writeFile(outside.path() + u"/kept/inner.txt"_s, "kept");
        ScratchFolder holder;
        const QString path = holder.path() + u"/scratch"_s;
        const QByteArray raw = QFile::encodeName(path);
        writeFile(path + u"/locked/deep/file.txt"_s);
        writeFile(path + u"/read only/file.txt"_s);
        if (!plainUser) { // names it could not be handed, being no UTF-8
            QVERIFY(writeRaw(raw + "/caf\xe9.txt", "latin-1 name"));
            QCOMPARE(::mkdir(raw + "/\xff folder", 0755), 0);
            QVERIFY(writeRaw(raw + "/\xff folder/inner\xfe", "inner"));
        }
        QVERIFY(FileOperations::createSymbolicLink(outside.path() + u"/kept"_s,
                                                   path + u"/link to kept"_s));
        QCOMPARE(::chmod(raw + "/locked/deep", 0), 0);
        QCOMPARE(::chmod(raw + "/locked", 0), 0);
        QCOMPARE(::chmod(raw + "/read only", 0555), 0);
        const auto remove = [&path] {
            return ScratchFolders::removeTree(path) ? 0
                                                    : plainUserFailure(1, u"not removed whole"_s);
        };
        const PlainUserOutcome outcome =
            plainUser ? asPlainUser(holder.path(), remove) : runHere(remove);
        QVERIFY2(outcome.succeeded(), outcome.report());
        QVERIFY(!FileOperations::entryExists(path));
        QCOMPARE(contentOf(kept), QByteArray("kept"));
    }

    void everyFileExistsExactlyOnce_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("seed 1") << 1u;
        QTest::newRow("seed 20261206") << 20261206u;
    }
    void everyFileExistsExactlyOnce()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        m_contents.clear();
        m_linkTargets.clear();
        m_framed.clear();
        StorageHome f;
        ScratchMount mount;
        const QString stickTop = mount.isMounted() ? mount.path() : QString();
        QStringList outside = {f.desktop(), f.home() + u"/Downloads"_s, stickTop + u"/stick"_s};
        if (stickTop.isEmpty())
            outside.removeLast();
        for (int i = 0; i < outside.size(); ++i)
            layOut(outside[i], 3 * i);
        // Links of the user's, relative and absolute, to files the room is never handed.
        for (int i = 0; i < 4; ++i) {
            const QString target = makeFile(f.home() + u"/linked/t"_s + QString::number(i));
            FileOperations::createSymbolicLink(i % 2 ? target : u"../linked/t%1"_s.arg(i),
                                               f.desktop() + u"/shortcut %1"_s.arg(i));
            m_linkTargets.append(target);
        }
        // A name that is no UTF-8: the room must leave it where it is.
        const QByteArray raw = QFile::encodeName(f.desktop()) + "/caf\xe9.txt";
        QVERIFY(writeRaw(raw, "latin-1 name"));

        // Each operation with where it takes its item from: outside, the shelf, the carpet.
        const std::pair<QString, int> operations[] = {
            {u"hide"_s, 0},       {u"hide"_s, 0},
            {u"hide"_s, 0},       {u"shelve"_s, 0},
            {u"shelve"_s, 0},     {u"to carpet"_s, 1},
            {u"return"_s, 1},     {u"restore"_s, 2},
            {u"trash item"_s, 2}, {u"remove"_s, 1},
            {u"hide"_s, 1},       {u"to shelf"_s, 2},
            {u"frame"_s, 2},      {u"unframe"_s, -1},
            {u"restart"_s, -1},   {u"everything back"_s, -1}};
        StorageManager* storage = &f.start();
        for (int step = 1; step <= 300 && !QTest::currentTestFailed(); ++step) {
            QStringList from[3];
            for (const QString& folder : outside)
                for (const QString& name :
                     FileOperations::listEntries(folder, true).value_or(QStringList()))
                    from[0].append(folder + u'/' + name);
            for (const QUrl& item : storage->bookshelfItems())
                from[1].append(item.toLocalFile());
            for (const QUrl& item : storage->carpetItems())
                from[2].append(item.toLocalFile());
            const auto [operation, source] = operations[random.bounded(16)];
            const int slot = int(random.bounded(6u));
            if (source >= 0 && from[source].isEmpty())
                continue;
            const auto pick = [&] {
                return from[source].at(random.bounded(int(from[source].size())));
            };
            const QString item = source < 0 ? QString() : pick();
            StdoutCapture quiet; // failures print their lines; they are not the point here
            if (operation == u"to shelf") {
                storage->moveCarpetItemsToBookshelf(
                    {QFileInfo(item).fileName(), QFileInfo(pick()).fileName()});
            } else if (operation == u"frame") {
                // As the floor frames a photo: the original goes once the frame has it. (A
                // shortcut's picture is copied, as from anywhere else, and stays.)
                if (!FileOperations::isSymbolicLink(item) && f.frame(item, slot))
                    storage->trashCarpetItem(url(item));
            } else if (operation == u"unframe") {
                if (random.bounded(2u))
                    storage->removePhoto(slot);
                else
                    storage->movePhotoToCarpet(slot);
            } else if (operation == u"restart") {
                storage = &f.start();
            } else if (operation == u"everything back") {
                if (slot == 0)
                    storage->returnEverythingToOrigin();
            } else {
                f.act(operation, item, random.generateDouble(), random.generateDouble());
            }
            f.settle();
            quiet.finish();
            check(f, stickTop, raw);
            if (QTest::currentTestFailed())
                qWarning("at step %d: %s %s", step, qPrintable(operation), qPrintable(item));
        }
        QCOMPARE(::unlink(raw.constData()), 0); // beyond the temporary folder's own clean-up
    }
};

PONDSILL_TEST(FileSafetyTest)
#include "file_safety_test.moc"
