// notes.json and the other JSON files beside the folders under what the world does to them:
// entries that are no files, a disk that fills up, a folder that cannot be written, other
// programs writing while the room runs. Whatever happens, no note the user or another
// program wrote is lost without a copy, and the room starts.
#include "platform/folder_watcher.h"
#include "storage/json_file.h"
#include "storage_fixture.h"
#include "support/plain_user.h"
#include "support/scratch_mount.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

StickyNote note(const QString& title, const QString& text = {})
{
    StickyNote made;
    made.title = title;
    made.freeformText = text;
    made.x = 200;
    made.y = 100;
    return made;
}

QStringList titles(const StickyNotes& notes)
{
    QStringList list;
    for (const StickyNote& n : notes)
        list.append(n.title + (n.freeformText.isEmpty() ? QString() : u": "_s + n.freeformText));
    return list;
}

StickyNotes notesIn(const QByteArray& bytes)
{
    return decodeStickyNotes(bytes).value_or(StickyNotes());
}

// The copies set aside beside `file`: damaged ones, or with `why` others.
QStringList setAside(const StorageHome& f, const QString& file, const QString& why = u"damaged"_s)
{
    return QDir(f.root()).entryList({file.chopped(5) + u'.' + why + u"-*.json"_s},
                                    QDir::System | QDir::Files);
}
// What typing in a note does: the note changes and the list is saved.
void type(StorageManager& storage, const QUuid& id, const QString& text)
{
    StickyNotes notes = storage.stickyNotes();
    for (StickyNote& n : notes) {
        if (n.id == id)
            n.freeformText = text;
    }
    storage.setStickyNotes(notes);
    storage.saveNotes();
}

// The files the room kept its unsaved notes in at its end.
QStringList keptAtTheEnd(const StorageManager& storage)
{
    const QDir folder(storage.unsavedNotesFolder());
    QStringList paths;
    for (const QString& name : folder.entryList({u"notes.unsaved-*.json"_s}, QDir::Files))
        paths.append(folder.filePath(name));
    return paths;
}

bool setMode(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// Makes saves behave as on a file system that cannot exchange two files, while it lives.
struct NoExchange {
    explicit NoExchange(bool on) { JsonFile::testHooks().noExchange = on; }
    ~NoExchange() { JsonFile::testHooks().noExchange = false; }
    NoExchange(const NoExchange&) = delete;
    NoExchange& operator=(const NoExchange&) = delete;
};

// Fills the file system holding `folder` up to its last byte; the filler's path.
QString fillUp(const QString& folder)
{
    const QString filler = folder + u"/filler"_s;
    QFile file(filler);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {};
    const QByteArray block(4096, 'f');
    while (file.write(block) == block.size()) {
    }
    while (file.write("f", 1) == 1) {
    }
    return filler;
}

} // namespace

class NotesFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Only a regular file, or a link to one, no larger than the limit, is read. Anything
    // else is moved aside whole (never read, never copied) before the room writes its own,
    // and the room starts with its starting notes.
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        for (const QString& file : {u"notes.json"_s, u"floor_positions.json"_s})
            for (const QString& kind : {u"pipe"_s, u"zero"_s, u"folder"_s, u"huge"_s})
                QTest::addRow("%s %s", qPrintable(file), qPrintable(kind)) << file << kind;
    }
    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        StorageHome f;
        QVERIFY(QDir().mkpath(f.root()));
        const QString path = f.path(file);
        if (kind == u"pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (kind == u"zero")
            QVERIFY(QFile::link(u"/dev/zero"_s, path));
        else if (kind == u"folder")
            QVERIFY(QDir().mkpath(path + u"/inside"_s));
        else
            sparseFile(path, JsonFile::kMaxBytes + 1);
        QCOMPARE(JsonFile::read(path).status, JsonFile::ReadStatus::Refused);

        StorageManager& storage = f.start();
        QCOMPARE(storage.stickyNotes().size(), 2);
        storage.setCarpetPosition(0.3, 0.6);
        QVERIFY(decodeStickyNotes(f.read(u"notes.json"_s)));
        QCOMPARE(decodeFloorLayout(f.read(u"floor_positions.json"_s))->carpetPosition,
                 (StoredPosition{0.3, 0.6}));
        // The entry itself is beside, as it was.
        const QStringList aside =
            QDir(f.root()).entryList({file.chopped(5) + u".damaged-*"_s},
                                     QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QCOMPARE(aside.size(), 1);
        const QFileInfo moved(f.path(aside.first()));
        QCOMPARE(moved.isSymLink(), kind == u"zero");
        QCOMPARE(moved.isDir(), kind == u"folder");
        if (kind == u"huge")
            QCOMPARE(moved.size(), JsonFile::kMaxBytes + 1);
    }

    // A full disk fails the save: the old file stays whole, nothing empty is set aside, a
    // reload keeps what the room shows, and once there is room again the notes are written.
    void aFullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("notes") << u"notes.json"_s;
        QTest::newRow("floor") << u"floor_positions.json"_s;
        QTest::newRow("transforms") << u"photo_transforms.json"_s;
    }
    void aFullDiskKeepsTheOldFile()
    {
        QFETCH(QString, file);
        StorageHome f;
        QVERIFY(QDir().mkpath(f.root()));
        ScratchMount mount("tmpfs", f.root());
        if (!mount.isMounted())
            QSKIP(qPrintable(u"cannot mount a tmpfs here: "_s + mount.error()));
        const StickyNote mine = note(u"Belanja"_s, u"susu"_s);
        f.file(u"notes.json"_s, *encodeStickyNotes({mine}));
        StorageManager& storage = f.start();
        storage.setCarpetPosition(0.3, 0.6);
        storage.setPhotoTransform(1, 2, 30, 4, 5);
        const QByteArray before = f.read(file);
        QVERIFY(!before.isEmpty());

        const QString filler = fillUp(f.root());
        QVERIFY(!filler.isEmpty());
        type(storage, mine.id, u"susu, roti, telur"_s);
        storage.setCarpetPosition(0.4, 0.7);
        storage.setPhotoTransform(1, 3, 40, 4, 5);
        QCOMPARE(f.read(file), before);
        QVERIFY(setAside(f, file).isEmpty());
        storage.reloadAll();
        QCOMPARE(titles(storage.stickyNotes()), QStringList{u"Belanja: susu, roti, telur"_s});
        QCOMPARE(f.read(file), before);
        if (file == u"notes.json") {
            QVERIFY(storage.areNotesUnsaved());
            QVERIFY(QFile::remove(filler));
            QTRY_VERIFY_WITH_TIMEOUT(!storage.areNotesUnsaved(), 5000);
            QCOMPARE(titles(notesIn(f.read(file))), QStringList{u"Belanja: susu, roti, telur"_s});
        }
        QVERIFY(setAside(f, file).isEmpty());
    }

    // A file met damaged, emptied or no file at all at a reload never replaces the notes
    // the room shows: they are written back, the damaged bytes set aside first.
    void aDamagedFileAtAReloadKeepsTheNotes_data()
    {
        QTest::addColumn<QByteArray>("content"); // "-": the file is removed
        QTest::addColumn<bool>("keptAside");
        QTest::newRow("truncated") << QByteArray("[{\"title\":\"Bel") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("not a list") << QByteArray("{\"title\":\"x\"}") << true;
        QTest::newRow("removed") << QByteArray("-") << false;
    }
    void aDamagedFileAtAReloadKeepsTheNotes()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, keptAside);
        StorageHome f;
        const StickyNotes notes = {note(u"Belanja"_s, u"susu"_s), note(u"Kerja"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        type(storage, notes[0].id, u"susu, roti"_s);
        const StickyNotes shown = storage.stickyNotes();
        if (content == "-")
            QVERIFY(QFile::remove(f.path(u"notes.json"_s)));
        else
            f.file(u"notes.json"_s, content);
        storage.reload({f.root()});
        QCOMPARE(storage.stickyNotes(), shown);
        // Another program may still be writing it: it is left alone a moment.
        if (content != "-")
            QCOMPARE(f.read(u"notes.json"_s), content);
        QTRY_COMPARE_WITH_TIMEOUT(notesIn(f.read(u"notes.json"_s)), shown, 5000);
        QCOMPARE(storage.stickyNotes(), shown);
        const QStringList aside = setAside(f, u"notes.json"_s);
        QCOMPARE(aside.size(), keptAside ? 1 : 0);
        if (keptAside)
            QCOMPARE(f.read(aside.first()), content);
    }

    // Another program writing notes.json in place is not taken for a damaged file halfway:
    // the room waits for the rest, and a note typed meanwhile is saved with its notes.
    void aFileWrittenInPlaceIsWaitedFor()
    {
        StorageHome f;
        const StickyNote mine = note(u"A"_s);
        f.file(u"notes.json"_s, *encodeStickyNotes({mine}));
        StorageManager& storage = f.start();
        const QByteArray theirs = *encodeStickyNotes({mine, note(u"B"_s, u"from outside"_s)});
        QFile outside(f.path(u"notes.json"_s));
        QVERIFY(outside.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered));
        QVERIFY(outside.write(theirs.left(theirs.size() / 2)) > 0);
        storage.reload({f.root()});
        type(storage, mine.id, u"typed"_s);
        QVERIFY(outside.write(theirs.mid(theirs.size() / 2)) > 0);
        outside.close();
        QTRY_COMPARE_WITH_TIMEOUT(titles(notesIn(f.read(u"notes.json"_s))),
                                  (QStringList{u"A: typed"_s, u"B: from outside"_s}), 5000);
        QVERIFY(setAside(f, u"notes.json"_s).isEmpty());
    }

    // Another program writing a data file in place (truncated and written again, no rename)
    // is seen as a rename is, also after the room's own save replaced the file: the room
    // shows what it wrote. Met half written, the file never replaces what the room shows,
    // and the rest of the write is still taken in.
    void anInPlaceWriteIsTakenIn_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("halfFirst");
        QTest::newRow("notes") << u"notes.json"_s << false;
        QTest::newRow("notes, half written first") << u"notes.json"_s << true;
        QTest::newRow("floor layout") << u"floor_positions.json"_s << false;
        QTest::newRow("floor layout, half written first") << u"floor_positions.json"_s << true;
        QTest::newRow("photo transforms") << u"photo_transforms.json"_s << false;
    }
    void anInPlaceWriteIsTakenIn()
    {
        QFETCH(QString, file);
        QFETCH(bool, halfFirst);
        StorageHome f;
        const StickyNote mine = note(u"A"_s);
        f.file(u"notes.json"_s, *encodeStickyNotes({mine}));
        f.file(u"floor_positions.json"_s, *encodeFloorLayout({{0.5, 0.5}, {}}));
        f.file(u"photo_transforms.json"_s, *encodePhotoTransforms({}));
        StorageManager& storage = f.start();
        auto* watcher = storage.findChild<FolderWatcher*>();
        QVERIFY(watcher);
        QSignalSpy looked(watcher, &FolderWatcher::changed);
        // The room's own saves put a new file in place of the one watched, which another
        // program still holds open; their events are over before it writes.
        QFile held(f.path(file));
        QVERIFY(held.open(QIODevice::ReadOnly));
        type(storage, mine.id, u"typed"_s);
        storage.setCarpetPosition(0.3, 0.6);
        storage.setPhotoTransform(1, 2, 30, 4, 5);
        const QByteArray own = f.read(file);
        QVERIFY(looked.wait(5000));

        QByteArray theirs;
        std::function<bool()> shown;
        if (file == u"notes.json") {
            theirs = *encodeStickyNotes({notesIn(own).value(0), note(u"C"_s, u"luar"_s)});
            shown = [&] {
                return titles(storage.stickyNotes()) == QStringList{u"A: typed"_s, u"C: luar"_s};
            };
        } else if (file == u"floor_positions.json") {
            theirs = *encodeFloorLayout({{0.7, 0.2}, {{u"a.txt"_s, {0.1, 0.9}}}});
            shown = [&] {
                return storage.carpetPositionNorm() == StoredPosition{0.7, 0.2} &&
                       storage.floorItemPositions().value(u"a.txt"_s) == StoredPosition{0.1, 0.9};
            };
        } else {
            theirs = *encodePhotoTransforms({{2, {1.5, 10, 0, 0}}});
            shown = [&] { return storage.transform(2) == PhotoTransform{1.5, 10, 0, 0}; };
        }
        const QString path = f.path(file);
        const QStringList before = titles(storage.stickyNotes());
        const StoredPosition carpet = storage.carpetPositionNorm();
        if (halfFirst) {
            looked.clear();
            writeFile(path, theirs.left(theirs.size() / 2));
            QVERIFY(looked.wait(5000));
            QCOMPARE(titles(storage.stickyNotes()), before);
            QCOMPARE(storage.carpetPositionNorm(), carpet);
        }
        writeFile(path, theirs);
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 5000);
        QCOMPARE(f.read(file), theirs);
        QVERIFY(setAside(f, file).isEmpty());
        QVERIFY(setAside(f, u"notes.json"_s, u"conflict"_s).isEmpty());
    }

    // Another program's in-place write of the same size, its modification time put back to
    // what it was (a clock too coarse to tell two writes apart), is still taken in.
    void aRewriteOfTheSameSizeAndTimeIsTakenIn_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("notes") << u"notes.json"_s;
        QTest::newRow("floor layout") << u"floor_positions.json"_s;
        QTest::newRow("photo transforms") << u"photo_transforms.json"_s;
    }
    void aRewriteOfTheSameSizeAndTimeIsTakenIn()
    {
        QFETCH(QString, file);
        StorageHome f;
        StickyNote mine = note(u"A"_s, u"luar 1"_s);
        f.file(u"notes.json"_s, *encodeStickyNotes({mine}));
        f.file(u"floor_positions.json"_s, *encodeFloorLayout({{0.25, 0.5}, {}}));
        f.file(u"photo_transforms.json"_s, *encodePhotoTransforms({{2, {1.5, 10, 0, 0}}}));
        StorageManager& storage = f.start();
        QByteArray theirs;
        std::function<bool()> shown;
        if (file == u"notes.json") {
            mine.freeformText = u"luar 2"_s;
            theirs = *encodeStickyNotes({mine});
            shown = [&] { return titles(storage.stickyNotes()) == QStringList{u"A: luar 2"_s}; };
        } else if (file == u"floor_positions.json") {
            theirs = *encodeFloorLayout({{0.75, 0.5}, {}});
            shown = [&] { return storage.carpetPositionNorm() == StoredPosition{0.75, 0.5}; };
        } else {
            theirs = *encodePhotoTransforms({{2, {2.5, 10, 0, 0}}});
            shown = [&] { return storage.transform(2) == PhotoTransform{2.5, 10, 0, 0}; };
        }
        const QByteArray path = QFile::encodeName(f.path(file));
        QCOMPARE(theirs.size(), f.read(file).size());
        struct stat before {};
        QCOMPARE(::stat(path.constData(), &before), 0);
        writeFile(f.path(file), theirs);
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
        QTRY_VERIFY_WITH_TIMEOUT(shown(), 5000);
        QCOMPARE(f.read(file), theirs);
    }

    // Another program rewrites notes.json in place again and again, each time from the
    // version it read at its start, while a note is typed in, and writes last: every word
    // typed ends in notes.json. Its change of the other note is taken in with no copy; its
    // change of the note typed in is kept beside, its last version in one copy.
    void inPlaceWritesWhileTyping_data()
    {
        QTest::addColumn<int>("changed"); // the note it changes: 0 is the one typed in
        QTest::newRow("the other note") << 1;
        QTest::newRow("the note typed in") << 0;
    }
    void inPlaceWritesWhileTyping()
    {
        QFETCH(int, changed);
        StorageHome f;
        const StickyNotes notes = {note(u"A"_s, u"isi"_s), note(u"B"_s, u"isi"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        auto* watcher = storage.findChild<FolderWatcher*>();
        QVERIFY(watcher);
        QSignalSpy looked(watcher, &FolderWatcher::changed);
        const QString path = f.path(u"notes.json"_s);
        const StickyNotes start = notesIn(f.read(u"notes.json"_s));
        StickyNotes theirs;
        int writes = 0;
        const auto writeTheirs = [&] {
            theirs = start;
            theirs[changed].freeformText = u"luar %1"_s.arg(++writes);
            writeFile(path, *encodeStickyNotes(theirs));
        };
        storage.setNoteBeingEdited(notes[0].id);
        QString typed = u"isi"_s;
        const QStringList words = {u"beli"_s, u"susu"_s,  u"roti"_s,  u"telur"_s,
                                   u"kopi"_s, u"gula"_s,  u"teh"_s,   u"garam"_s,
                                   u"mie"_s,  u"beras"_s, u"sabun"_s, u"minyak"_s};
        for (const QString& word : words) {
            for (const QChar key : u' ' + word) {
                typed += key;
                type(storage, notes[0].id, typed);
                if (typed.size() % 5 == 0)
                    writeTheirs();
                QCoreApplication::processEvents();
            }
        }
        // It writes last, once the room has looked at its own last save.
        typed += u'.';
        type(storage, notes[0].id, typed);
        looked.clear();
        QVERIFY(looked.wait(5000));
        writeTheirs();
        const QStringList expected = {
            u"A: "_s + typed, changed == 1 ? u"B: "_s + theirs[1].freeformText : u"B: isi"_s};
        QTRY_COMPARE_WITH_TIMEOUT(titles(notesIn(f.read(u"notes.json"_s))), expected, 5000);
        QCOMPARE(titles(storage.stickyNotes()), expected);
        const QStringList copies = setAside(f, u"notes.json"_s, u"conflict"_s);
        QCOMPARE(copies.size(), changed == 0 ? 1 : 0);
        if (changed == 0)
            QCOMPARE(notesIn(f.read(copies.first())), theirs);
    }

    // Another program saves a change of another note, and the first key is typed in a note
    // before the room has looked at its file, or after. It then writes twice more from the
    // same copy it read, once typing has ended: the words typed stay on the board and in
    // notes.json, its changes are taken in, and as it never changed the note typed in, no
    // conflict copy is made.
    void theFirstKeyAfterAnotherProgramsSaveIsKept_data()
    {
        QTest::addColumn<bool>("roomLooksFirst");
        QTest::addColumn<bool>("readsAfresh"); // it reads the file again before each write
        QTest::newRow("the key first") << false << false;
        QTest::newRow("the room looks first") << true << false;
        QTest::newRow("the key first, it reads afresh") << false << true;
    }
    void theFirstKeyAfterAnotherProgramsSaveIsKept()
    {
        QFETCH(bool, roomLooksFirst);
        QFETCH(bool, readsAfresh);
        StorageHome f;
        const StickyNotes notes = {note(u"ALFA"_s, u"isi a"_s), note(u"BRAVO"_s, u"isi b"_s),
                                   note(u"CHARLIE"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        const auto writeTheirs = [&](const QString& bravo) {
            StickyNotes theirs = readsAfresh ? notesIn(f.read(u"notes.json"_s)) : notes;
            theirs[1].freeformText = bravo;
            writeFile(f.path(u"notes.json"_s), *encodeStickyNotes(theirs));
        };
        const auto bravoShows = [&](const QString& text) {
            return storage.stickyNotes().value(1).freeformText == text;
        };
        storage.setNoteBeingEdited(notes[0].id);
        writeTheirs(u"luar 1"_s);
        if (roomLooksFirst)
            QTRY_VERIFY_WITH_TIMEOUT(bravoShows(u"luar 1"_s), 5000);
        QString typed = notes[0].freeformText;
        for (const QChar key : u" beli susu roti"_s) {
            typed += key;
            type(storage, notes[0].id, typed);
            QCoreApplication::processEvents();
        }
        QTRY_VERIFY_WITH_TIMEOUT(bravoShows(u"luar 1"_s), 5000);
        writeTheirs(u"luar 2"_s);
        QTRY_VERIFY_WITH_TIMEOUT(bravoShows(u"luar 2"_s), 5000);
        storage.setNoteBeingEdited(std::nullopt);
        writeTheirs(u"luar 3"_s);
        const QStringList expected = {u"ALFA: isi a beli susu roti"_s, u"BRAVO: luar 3"_s,
                                      u"CHARLIE"_s};
        QTRY_COMPARE_WITH_TIMEOUT(titles(storage.stickyNotes()), expected, 5000);
        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))), expected);
        QCOMPARE(setAside(f, u"notes.json"_s, u"conflict"_s), QStringList());
    }

    // At the end, notes.json is read back: what another program wrote in place after the
    // room's last save, with no event seen yet, is merged with the board and saved, so the
    // next start shows every word typed. Met emptied or half written, also when the room
    // has read it so already, it is written over with the board's notes, a half set aside.
    void anInPlaceWriteJustBeforeTheEndIsMerged_data()
    {
        QTest::addColumn<QString>("outside");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<QString>("aside"); // what is kept beside notes.json
        QTest::newRow("changes the other note")
            << u"change B"_s << QStringList{u"A: typed"_s, u"B: luar"_s} << QString();
        QTest::newRow("changes the note typed in")
            << u"change A"_s << QStringList{u"A: typed"_s, u"B"_s} << u"conflict"_s;
        QTest::newRow("half written")
            << u"half"_s << QStringList{u"A: typed"_s, u"B"_s} << u"damaged"_s;
        // A writer killed after its truncate, or halfway, seen by the room before the end:
        // what the room read is no version of the board's notes.
        QTest::newRow("emptied, read before the end")
            << u"empty, read"_s << QStringList{u"A: typed"_s, u"B"_s} << QString();
        QTest::newRow("half written, read before the end")
            << u"half, read"_s << QStringList{u"A: typed"_s, u"B"_s} << u"damaged"_s;
    }
    void anInPlaceWriteJustBeforeTheEndIsMerged()
    {
        QFETCH(QString, outside);
        QFETCH(QStringList, saved);
        QFETCH(QString, aside);
        StorageHome f;
        const StickyNotes notes = {note(u"A"_s), note(u"B"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        storage.setNoteBeingEdited(notes[0].id);
        type(storage, notes[0].id, u"typed"_s);
        StickyNotes theirs = notes;
        theirs[outside == u"change A" ? 0 : 1].freeformText = u"luar"_s;
        QByteArray bytes = *encodeStickyNotes(theirs);
        if (outside.startsWith(u"half"))
            bytes.truncate(bytes.size() / 2);
        else if (outside.startsWith(u"empty"))
            bytes.clear();
        writeFile(f.path(u"notes.json"_s), bytes);
        if (outside.endsWith(u"read")) {
            storage.reload({f.root()});
            QCOMPARE(titles(storage.stickyNotes()), saved);
        }
        storage.saveBeforeQuit();
        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))), saved);
        QCOMPARE(setAside(f, u"notes.json"_s, u"conflict"_s).size(), aside == u"conflict" ? 1 : 0);
        QCOMPARE(setAside(f, u"notes.json"_s).size(), aside == u"damaged" ? 1 : 0);
        if (!aside.isEmpty()) {
            const QStringList kept = setAside(f, u"notes.json"_s, aside);
            QCOMPARE(kept.size(), 1);
            QCOMPARE(f.read(kept.first()), bytes);
        }
        QVERIFY(keptAtTheEnd(storage).isEmpty());
        StorageManager& again = f.start();
        QCOMPARE(titles(again.stickyNotes()), saved);
    }

    // A save reuses the text of every note that did not change; after any run of edits the
    // file is still byte for byte what the whole list encodes to.
    void savesMatchAWholeEncoding_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::newRow("a note in the middle grows, then shrinks")
            << QStringList{u"type 2 a longer text than before"_s, u"type 2 x"_s};
        QTest::newRow("the first note goes, the last grows")
            << QStringList{u"delete 0"_s, u"type 3 ..."_s};
        QTest::newRow("notes added and one changed back")
            << QStringList{u"add"_s, u"type 1 changed"_s, u"type 1 isi 1"_s, u"add"_s};
        QTest::newRow("the order reversed") << QStringList{u"reverse"_s, u"type 0 then typed"_s};
    }
    void savesMatchAWholeEncoding()
    {
        QFETCH(QStringList, edits);
        StorageHome f;
        StickyNotes notes;
        for (int i = 0; i < 5; ++i)
            notes.append(note(u"N%1"_s.arg(i), u"isi %1"_s.arg(i)));
        notes[4].y = 10; // moved out of the header's band as it loads
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        for (const QString& edit : edits) {
            const QStringList words = edit.split(u' ');
            StickyNotes now = storage.stickyNotes();
            if (words[0] == u"type") {
                type(storage, now[words[1].toInt()].id, words.mid(2).join(u' '));
                continue;
            }
            if (words[0] == u"delete")
                now.removeAt(words[1].toInt());
            else if (words[0] == u"add")
                now.append(note(u"new"_s, u"baru"_s));
            else
                std::reverse(now.begin(), now.end());
            storage.setStickyNotes(now);
            storage.saveNotes();
            QCOMPARE(f.read(u"notes.json"_s), *encodeStickyNotes(storage.stickyNotes()));
        }
        QCOMPARE(f.read(u"notes.json"_s), *encodeStickyNotes(storage.stickyNotes()));
        QCOMPARE(notesIn(f.read(u"notes.json"_s)).size(), storage.stickyNotes().size());
    }

    // Another program writes notes.json while the room runs and before the room has read
    // it again: the room's next save keeps what it wrote, merged note by note, and keeps a
    // copy of its version when both changed the same note.
    void outsideWritesAreKept_data()
    {
        QTest::addColumn<QString>("outside"); // what the other program does
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("copy");
        QTest::newRow("adds a note")
            << u"add"_s << QStringList{u"A: typed"_s, u"B"_s, u"C: from outside"_s} << false;
        QTest::newRow("changes the other note")
            << u"change B"_s << QStringList{u"A: typed"_s, u"B: from outside"_s} << false;
        QTest::newRow("changes the same note")
            << u"change A"_s << QStringList{u"A: typed"_s, u"B"_s} << true;
        QTest::newRow("deletes the other note")
            << u"delete B"_s << QStringList{u"A: typed"_s} << false;
        QTest::newRow("repeats an id")
            << u"repeat"_s << QStringList{u"A: typed"_s, u"B"_s, u"B: twin"_s} << false;
        // It read the file before the room's last save and writes back what it read, with a
        // note of its own: the room's older text is no change of the other program's.
        QTest::newRow("writes back an older copy, the room still")
            << u"stale"_s << QStringList{u"A: typ"_s, u"B"_s, u"C: from outside"_s} << false;
        QTest::newRow("writes back an older copy, the room typing")
            << u"stale, typing"_s << QStringList{u"A: typed"_s, u"B"_s, u"C: from outside"_s}
            << false;
    }
    void outsideWritesAreKept()
    {
        QFETCH(QString, outside);
        QFETCH(QStringList, saved);
        QFETCH(bool, copy);
        StorageHome f;
        const StickyNotes notes = {note(u"A"_s), note(u"B"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        type(storage, notes[0].id, u"ty"_s);
        const QByteArray older = f.read(u"notes.json"_s);
        type(storage, notes[0].id, u"typ"_s);

        StickyNotes theirs = notesIn(f.read(u"notes.json"_s));
        if (outside.startsWith(u"stale")) {
            theirs = notesIn(older);
            theirs.append(note(u"C"_s, u"from outside"_s));
        } else if (outside == u"add")
            theirs.append(note(u"C"_s, u"from outside"_s));
        else if (outside == u"change B")
            theirs[1].freeformText = u"from outside"_s;
        else if (outside == u"change A")
            theirs[0].freeformText = u"written elsewhere"_s;
        else if (outside == u"delete B")
            theirs.removeLast();
        else {
            theirs.append(theirs[1]);
            theirs.last().freeformText = u"twin"_s;
        }
        f.file(u"notes.json"_s, *encodeStickyNotes(theirs)); // written in place
        if (outside == u"stale")
            storage.reload({f.root()});
        else
            type(storage, notes[0].id, u"typed"_s); // before any folder event

        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))), saved);
        QCOMPARE(titles(storage.stickyNotes()), saved);
        // Byte for byte what the list encodes to, though most notes were encoded before.
        QCOMPARE(f.read(u"notes.json"_s), *encodeStickyNotes(storage.stickyNotes()));
        const QStringList aside = setAside(f, u"notes.json"_s, u"conflict"_s);
        QCOMPARE(aside.size(), copy ? 1 : 0);
        QVERIFY(setAside(f, u"notes.json"_s).isEmpty());
        if (copy)
            QCOMPARE(notesIn(f.read(aside.first())), theirs);
        // The folder event that comes later changes nothing.
        storage.reload({f.root()});
        QCOMPARE(titles(storage.stickyNotes()), saved);
    }

    // Another program that puts its file in place after the room's last look, just before
    // the room's file takes the name, loses nothing: its file is kept beside the room's and
    // handed back to be taken in. A write with nothing in between leaves no copy.
    void aFileWrittenAtTheLastMomentIsKept_data()
    {
        QTest::addColumn<bool>("exchange"); // whether the file system exchanges two files
        QTest::addColumn<bool>("before");   // a file there before
        QTest::addColumn<QString>("how");   // how the other program writes
        for (const bool exchange : {true, false}) {
            const char* fs = exchange ? "" : ", no exchange";
            QTest::addRow("written in place%s", fs) << exchange << true << u"in place"_s;
            QTest::addRow("renamed over%s", fs) << exchange << true << u"renamed"_s;
            QTest::addRow("made where there was none%s", fs) << exchange << false << u"renamed"_s;
        }
    }
    void aFileWrittenAtTheLastMomentIsKept()
    {
        QFETCH(bool, exchange);
        QFETCH(bool, before);
        QFETCH(QString, how);
        StorageHome f;
        QVERIFY(QDir().mkpath(f.root()));
        const QString path = f.root() + u"/notes.json"_s;
        if (before)
            writeFile(path, "[1]");
        const QByteArray theirs = R"([{"theirs":true}])";
        JsonFile::Displaced displaced;
        displaced.expected = JsonFile::version(path);
        const auto late = [&] {
            if (how == u"in place")
                return !writeFile(path, theirs).isEmpty();
            return !writeFile(path + u".new"_s, theirs).isEmpty() &&
                   ::rename(QFile::encodeName(path + u".new"_s).constData(),
                            QFile::encodeName(path).constData()) == 0;
        };
        const NoExchange noExchange(!exchange);
        QVERIFY(JsonFile::write(path, "[2]", {}, nullptr, late, &displaced));
        QCOMPARE(contentOf(path), QByteArray("[2]"));
        QCOMPARE(displaced.files.size(), 1);
        QCOMPARE(displaced.files[0].bytes, theirs);
        QCOMPARE(setAside(f, u"notes.json"_s, u"conflict"_s),
                 QStringList{QFileInfo(displaced.files[0].keptAt).fileName()});
        QCOMPARE(contentOf(displaced.files[0].keptAt), theirs);

        JsonFile::Displaced quiet;
        quiet.expected = JsonFile::version(path);
        QVERIFY(JsonFile::write(path, "[3]", {}, nullptr, {}, &quiet));
        QVERIFY(!quiet.happened());
        QCOMPARE(contentOf(path), QByteArray("[3]"));
        QCOMPARE(QDir(f.root()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }

    // Another program renames its notes.json in place between the room's last look and the
    // room's file taking the name, also where the file system cannot exchange two files: the
    // room's typing and the other program's note both end up in notes.json, and a copy of
    // its version is kept only when it changed the note being typed.
    void aNoteRenamedInDuringASaveIsKept_data()
    {
        QTest::addColumn<bool>("exchange");
        QTest::addColumn<bool>("sameNote"); // it changes the typed note instead of adding one
        QTest::addColumn<QStringList>("saved");
        for (const bool exchange : {true, false}) {
            const char* fs = exchange ? "" : ", no exchange";
            QTest::addRow("adds a note%s", fs)
                << exchange << false << QStringList{u"A: typed"_s, u"C: from outside"_s};
            QTest::addRow("changes the typed note%s", fs)
                << exchange << true << QStringList{u"A: typed"_s};
        }
    }
    void aNoteRenamedInDuringASaveIsKept()
    {
        QFETCH(bool, exchange);
        QFETCH(bool, sameNote);
        QFETCH(QStringList, saved);
        StorageHome f;
        const StickyNote mine = note(u"A"_s);
        f.file(u"notes.json"_s, *encodeStickyNotes({mine}));
        StorageManager& storage = f.start();
        const NoExchange noExchange(!exchange);
        StickyNotes theirs = {mine};
        if (sameNote)
            theirs[0].freeformText = u"from outside"_s;
        else
            theirs.append(note(u"C"_s, u"from outside"_s));
        int writes = 0;
        JsonFile::testHooks().beforeReplace = [&](const QString& path) {
            if (writes++ > 0)
                return;
            writeFile(path + u".tmp"_s, *encodeStickyNotes(theirs));
            QCOMPARE(::rename(QFile::encodeName(path + u".tmp"_s).constData(),
                              QFile::encodeName(path).constData()),
                     0);
        };
        storage.setNoteBeingEdited(mine.id);
        type(storage, mine.id, u"typed"_s);
        JsonFile::testHooks().beforeReplace = {};
        storage.setNoteBeingEdited(std::nullopt);
        QVERIFY(writes >= 2); // written again with their note taken in
        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))), saved);
        QCOMPARE(titles(storage.stickyNotes()), saved);
        const QStringList aside = setAside(f, u"notes.json"_s, u"conflict"_s);
        QCOMPARE(aside.size(), sameNote ? 1 : 0);
        if (sameNote)
            QCOMPARE(notesIn(f.read(aside.first())), theirs);
        QCOMPARE(QDir(f.root()).entryList({u".notes.json*"_s}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // A save cut short while the old notes.json stood aside under a hidden name: the next
    // start puts it back when there is no notes.json, and else keeps it as a conflict copy.
    void aFileLeftAsideIsRecovered_data()
    {
        QTest::addColumn<bool>("fileThere");
        QTest::newRow("no notes.json") << false;
        QTest::newRow("notes.json there") << true;
    }
    void aFileLeftAsideIsRecovered()
    {
        QFETCH(bool, fileThere);
        StorageHome f;
        const QByteArray held = *encodeStickyNotes({note(u"Held"_s, u"kept"_s)});
        f.file(u".notes.json.held-a1B2c3"_s, held);
        f.file(u".notes.json.held-d4E5f6"_s, ""); // a name taken for a move that never came
        if (fileThere)
            f.file(u"notes.json"_s, *encodeStickyNotes({note(u"Now"_s)}));
        StorageManager& storage = f.start();
        QCOMPARE(titles(storage.stickyNotes()),
                 QStringList{fileThere ? u"Now"_s : u"Held: kept"_s});
        const QStringList aside = setAside(f, u"notes.json"_s, u"conflict"_s);
        QCOMPARE(aside.size(), fileThere ? 1 : 0);
        if (fileThere)
            QCOMPARE(f.read(aside.first()), held);
        QCOMPARE(QDir(f.root()).entryList({u".notes.json*"_s}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // Conflict copies lying beside notes.json when the room starts: one that holds only
    // texts notes.json or a newer copy holds goes, one that cannot be read stays, and of the
    // rest the newest five stay while the older ones go to the Trash.
    void conflictCopiesArePruned_data()
    {
        QTest::addColumn<QStringList>("copies"); // oldest first: "file" holds what notes.json
        QTest::addColumn<QStringList>("kept");   // holds, "bad" does not decode, others a text
        QTest::addColumn<QStringList>("inTrash");
        QTest::newRow("what the file holds")
            << QStringList{u"file"_s} << QStringList() << QStringList();
        QTest::newRow("two alike")
            << QStringList{u"u1"_s, u"u1"_s} << QStringList{u"u1"_s} << QStringList();
        QTest::newRow("one that cannot be read")
            << QStringList{u"bad"_s} << QStringList{u"bad"_s} << QStringList();
        QTest::newRow("eight of their own")
            << QStringList{u"u1"_s, u"u2"_s, u"u3"_s, u"u4"_s, u"u5"_s, u"u6"_s, u"u7"_s, u"u8"_s}
            << QStringList{u"u4"_s, u"u5"_s, u"u6"_s, u"u7"_s, u"u8"_s}
            << QStringList{u"u1"_s, u"u2"_s, u"u3"_s};
        QTest::newRow("mixed") << QStringList{u"file"_s, u"u1"_s, u"u1"_s, u"bad"_s,
                                              u"u2"_s,   u"u3"_s, u"u4"_s, u"u5"_s}
                               << QStringList{u"bad"_s, u"u2"_s, u"u3"_s, u"u4"_s, u"u5"_s}
                               << QStringList{u"u1"_s};
    }
    void conflictCopiesArePruned()
    {
        QFETCH(QStringList, copies);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, inTrash);
        StorageHome f;
        const StickyNotes notes = {note(u"A"_s, u"isi"_s), note(u"B"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        const auto content = [&](const QString& label) -> QByteArray {
            if (label == u"file")
                return *encodeStickyNotes(notes);
            if (label == u"bad")
                return "[{\"title\":";
            StickyNotes theirs = notes;
            theirs[0].freeformText = label;
            return *encodeStickyNotes(theirs);
        };
        for (qsizetype i = 0; i < copies.size(); ++i)
            f.file(u"notes.conflict-20240501-0930%1.json"_s.arg(i, 2, 10, QLatin1Char('0')),
                   content(copies[i]));
        f.start();
        QStringList keptNow;
        for (const QString& name : setAside(f, u"notes.json"_s, u"conflict"_s))
            keptNow.append(copies[name.mid(28, 2).toInt()]);
        QCOMPARE(keptNow, kept);
        QStringList trashedNow;
        for (const QString& name : trashed(f.trashRoot()).keys())
            trashedNow.append(copies[name.mid(28, 2).toInt()]);
        QCOMPARE(trashedNow, inTrash);
        QCOMPARE(notesIn(f.read(u"notes.json"_s)), notes);
    }

    // Another program keeps changing a note while it is typed in: one copy per note, each
    // newer version of it taking the place of the last, so a burst never fills the Trash.
    // Where no note is marked as typed in, every version of its own is kept: at most five,
    // the older in the Trash, every text it wrote still somewhere.
    void conflictCopiesWhileTyping_data()
    {
        QTest::addColumn<QString>("typedIn"); // per outside version: the note typed in, upper
                                              // case when marked as being typed in
        QTest::addColumn<bool>("sameText");   // it writes the same text every time
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("inTrash");
        QTest::addColumn<bool>("newestOnly"); // only its newest version of each note is kept
        QTest::newRow("the same text") << u"AAAA"_s << true << 1 << 0 << false;
        QTest::newRow("a new text each time") << u"AAAAAAAA"_s << false << 1 << 0 << true;
        QTest::newRow("a burst of sixty") << QString(60, u'A') << false << 1 << 0 << true;
        QTest::newRow("two notes typed in turn") << u"AAAABBBB"_s << false << 2 << 0 << true;
        QTest::newRow("back to the first note") << u"AABBAA"_s << false << 3 << 0 << true;
        QTest::newRow("not marked as typed in") << u"aaaaaaaa"_s << false << 5 << 3 << false;
    }
    void conflictCopiesWhileTyping()
    {
        QFETCH(QString, typedIn);
        QFETCH(bool, sameText);
        QFETCH(int, copies);
        QFETCH(int, inTrash);
        QFETCH(bool, newestOnly);
        StorageHome f;
        const StickyNotes notes = {note(u"A"_s), note(u"B"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        StorageManager& storage = f.start();
        QString typed[2];
        QStringList written;
        // The texts of its each burst's last version.
        QStringList newest;
        for (qsizetype i = 0; i < typedIn.size(); ++i) {
            const int at = typedIn[i].toUpper() == u'A' ? 0 : 1;
            storage.setNoteBeingEdited(typedIn[i].isUpper() ? std::optional(notes[at].id)
                                                            : std::nullopt);
            // Its version comes while a key is typed, before the folder's event.
            StickyNotes theirs = notesIn(f.read(u"notes.json"_s));
            written.append(sameText ? u"luar"_s : u"luar %1"_s.arg(i));
            theirs[at].freeformText = written.last();
            f.file(u"notes.json"_s, *encodeStickyNotes(theirs));
            typed[at] += u'k';
            type(storage, notes[at].id, typed[at]);
            storage.reload({f.root()});
            if (i + 1 == typedIn.size() || typedIn[i + 1] != typedIn[i])
                newest.append(written.last());
        }
        typed[0] += u'k';
        type(storage, notes[0].id, typed[0]);
        const auto shown = [](const QString& title, const QString& text) {
            return text.isEmpty() ? title : title + u": "_s + text;
        };
        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))),
                 (QStringList{shown(u"A"_s, typed[0]), shown(u"B"_s, typed[1])}));
        const QStringList aside = setAside(f, u"notes.json"_s, u"conflict"_s);
        QCOMPARE(aside.size(), copies);
        QCOMPARE(trashed(f.trashRoot()).size(), inTrash);
        // Every text the other program wrote, or with a burst its last, is in a kept copy or
        // in the Trash.
        QStringList found;
        const auto foundIn = [&found](const StickyNotes& held) {
            for (const StickyNote& n : held) {
                if (n.freeformText.startsWith(u"luar"_s))
                    found.append(n.freeformText);
            }
        };
        for (const QString& name : aside)
            foundIn(notesIn(f.read(name)));
        for (const QString& name : trashed(f.trashRoot()).keys())
            foundIn(notesIn(contentOf(f.trashRoot() + u"/files/"_s + name)));
        found.removeDuplicates();
        QStringList expected = newestOnly ? newest : written;
        expected.removeDuplicates();
        QCOMPARE(sorted(found), sorted(expected));
    }

    // Notes sharing an id each get one of their own when loaded, and keep it: editing one
    // never writes over the other.
    void repeatedIdsAreMadeUnique()
    {
        StorageHome f;
        const StickyNote a = note(u"A"_s);
        StickyNote twin = a;
        twin.title = u"twin"_s;
        f.file(u"notes.json"_s, *encodeStickyNotes({a, twin, note(u"B"_s)}));
        StorageManager& storage = f.start();
        const StickyNotes loaded = storage.stickyNotes();
        QCOMPARE(titles(loaded), (QStringList{u"A"_s, u"twin"_s, u"B"_s}));
        QCOMPARE(loaded[0].id, a.id);
        QVERIFY(loaded[1].id != a.id && loaded[1].id != loaded[2].id);
        QCOMPARE(notesIn(f.read(u"notes.json"_s)), loaded); // written back once
        type(storage, loaded[1].id, u"edited"_s);
        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))),
                 (QStringList{u"A"_s, u"twin: edited"_s, u"B"_s}));
        // The same file gives the same ids again.
        StickyNotes again = {a, twin};
        QVERIFY(giveRepeatedIdsFreshOnes(again));
        QCOMPARE(again[1].id, loaded[1].id);
    }

    // A folder that cannot be written keeps the typed text in the room, says so, and the
    // text is written once the folder takes it again.
    void aReadOnlyFolderSavesLater()
    {
        StorageHome f;
        QVERIFY(QDir().mkpath(f.root()));
        ScratchMount mount("tmpfs", f.root());
        if (!mount.isMounted())
            QSKIP(qPrintable(u"cannot mount a tmpfs here: "_s + mount.error()));
        const StickyNote mine = note(u"Belanja"_s);
        f.file(u"notes.json"_s, *encodeStickyNotes({mine}));
        StorageManager& storage = f.start();
        QVERIFY(!storage.areNotesUnsaved());
        QVERIFY(mount.makeReadOnly());
        type(storage, mine.id, u"susu"_s);
        QVERIFY(storage.areNotesUnsaved());
        type(storage, mine.id, u"susu, roti"_s);
        QVERIFY(mount.makeWritable());
        QTRY_VERIFY_WITH_TIMEOUT(!storage.areNotesUnsaved(), 5000);
        QCOMPARE(titles(notesIn(f.read(u"notes.json"_s))), QStringList{u"Belanja: susu, roti"_s});
    }

    // Keys typed while the folder refuses the notes are never lost. Once it takes them again
    // they are saved at once when its change of permissions is seen, else at the next try,
    // which those keys neither put off nor pushed further away. Still refused at the
    // end, they are kept in the user's state folder, named in one line; the next start takes
    // them back onto the board, merged with what notes.json holds by then as another
    // program's version would be, and removes the file once notes.json holds them.
    void keysTypedInARefusingFolderAreKept_data()
    {
        QTest::addColumn<QString>("then");      // after the keys: the folder made writable
        QTest::addColumn<QStringList>("shown"); // ("event"), or the end and before the next
        QTest::addColumn<int>("conflicts");     // start what another program does
        const QStringList typed = {u"A: typed"_s, u"B"_s};
        QTest::newRow("writable, its event") << u"event"_s << typed << 0;
        QTest::newRow("the end") << u"-"_s << typed << 0;
        QTest::newRow("the end, still refused at the start") << u"refused"_s << typed << 0;
        QTest::newRow("the end, a note added")
            << u"add"_s << (typed + QStringList{u"C: luar"_s}) << 0;
        QTest::newRow("the end, the other note changed")
            << u"change B"_s << QStringList{u"A: typed"_s, u"B: luar"_s} << 0;
        QTest::newRow("the end, the typed note changed") << u"change A"_s << typed << 1;
        QTest::newRow("the end, the typed note deleted") << u"delete"_s << QStringList{u"B"_s} << 0;
    }
    void keysTypedInARefusingFolderAreKept()
    {
        QFETCH(QString, then);
        QFETCH(QStringList, shown);
        QFETCH(int, conflicts);
        StorageHome f;
        const StickyNotes notes = {note(u"A"_s), note(u"B"_s)};
        f.file(u"notes.json"_s, *encodeStickyNotes(notes));
        const QString home = f.home();
        const QString root = f.root();
        const QString file = root + u"/notes.json"_s;
        const auto holds = [&file](const QStringList& expected) {
            return titles(notesIn(contentOf(file))) == expected;
        };
        const PlainUserOutcome outcome = asPlainUser(QFileInfo(home).absolutePath(), [&]() -> int {
            QString typed;
            for (int i = 0; i < 33; ++i)
                typed += QChar(u'a' + i % 26);
            shown.replaceInStrings(u"typed"_s, typed);
            auto storage = std::make_unique<StorageManager>(home);
            if (!setMode(root, 0555))
                return plainUserFailure(1, u"could not make the storage folder refuse"_s);
            for (qsizetype i = 1; i <= typed.size(); ++i)
                type(*storage, notes[0].id, typed.left(i));
            if (!storage->areNotesUnsaved() || storage->notesRetryDelay() != 1000)
                return plainUserFailure(
                    2, u"refused: unsaved %1, next try in %2 ms"_s.arg(storage->areNotesUnsaved())
                           .arg(storage->notesRetryDelay()));
            if (then == u"event") {
                if (!setMode(root, 0755))
                    return plainUserFailure(3, u"could not open the storage folder again"_s);
                storage->reload({root});
                return !storage->areNotesUnsaved() && holds(shown)
                           ? 0
                           : plainUserFailure(4, u"not saved on the folder's event"_s);
            }
            if (then == u"delete")
                storage->removeNote(notes[0].id);
            StdoutCapture out;
            storage->saveBeforeQuit();
            QStringList kept = keptAtTheEnd(*storage);
            const QString printed = out.finish();
            if (kept.size() != 1 || notesIn(contentOf(file)) != notes ||
                printed != u"Catatan tidak bisa disimpan di "_s + file + u"; salinannya ada di "_s +
                               kept.first() + u'\n')
                return plainUserFailure(
                    5, u"at the end: %1 kept, notes.json %2, printed \"%3\""_s.arg(kept.size())
                           .arg(notesIn(contentOf(file)) == notes ? u"as it was"_s : u"changed"_s)
                           .arg(printed.trimmed()));
            StickyNotes theirs = notes;
            if (then == u"add")
                theirs.append(note(u"C"_s, u"luar"_s));
            else if (then.startsWith(u"change"))
                theirs[then.endsWith(u'A') ? 0 : 1].freeformText = u"luar"_s;
            if (then != u"refused" && !setMode(root, 0755))
                return plainUserFailure(6, u"could not open the storage folder again"_s);
            if (theirs != notes)
                writeFile(file, *encodeStickyNotes(theirs));

            storage = std::make_unique<StorageManager>(home);
            const bool saved = then != u"refused";
            const QStringList copies = QDir(root).entryList({u"notes.conflict-*"_s});
            if (titles(storage->stickyNotes()) != shown || holds(shown) != saved ||
                keptAtTheEnd(*storage).size() != (saved ? 0 : 1) || copies.size() != conflicts ||
                (conflicts && notesIn(contentOf(root + u'/' + copies.first())) != theirs))
                return plainUserFailure(
                    7, u"the next start shows [%1], notes.json [%2], %3 kept, %4 conflict copies"_s
                           .arg(titles(storage->stickyNotes()).join(u" | "_s),
                                titles(notesIn(contentOf(file))).join(u" | "_s))
                           .arg(keptAtTheEnd(*storage).size())
                           .arg(copies.size()));
            // Ended again while refused: one file still, holding the board's notes.
            storage->saveBeforeQuit();
            kept = keptAtTheEnd(*storage);
            const QJsonValue held = QJsonDocument::fromJson(contentOf(kept.value(0)))[u"notes"_s];
            return saved || (kept.size() == 1 &&
                             titles(notesIn(QJsonDocument(held.toArray()).toJson())) == shown)
                       ? 0
                       : plainUserFailure(8,
                                          u"ended again while refused: %1 kept"_s.arg(kept.size()));
        });
        QVERIFY2(outcome.succeeded(), outcome.report());
    }
};

PONDSILL_TEST(NotesFileTest)
#include "notes_file_test.moc"
