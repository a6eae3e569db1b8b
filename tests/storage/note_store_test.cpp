// notes.json and photo_transforms.json as they are read and written, and the notes as the
// board changes them.
#include "state/animation.h"
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QTest>

namespace {
const QByteArray kId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
const QStringList kStartingTitles = {u"Rencana Hari Ini 📝"_s, u"TOLVANE Design ✳"_s};

StickyNotes notesOnDisk(const StorageHome& f)
{
    return decodeStickyNotes(f.read(u"notes.json"_s)).value_or(StickyNotes());
}

QStringList titles(const StickyNotes& notes)
{
    QStringList list;
    for (const StickyNote& note : notes)
        list.append(note.title);
    return list;
}
} // namespace

class NoteStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsRoundTripExactly()
    {
        const PhotoTransforms transforms = {{0, {1.25, -170, 8, -16}},
                                            {5, {0.1 + 0.2, 359.999, 1e-300, 3}}};
        QCOMPARE(decodePhotoTransforms(*encodePhotoTransforms(transforms)),
                 std::optional(transforms));

        const auto lower = decodeStickyNotes("[{\"id\":\"" + kId.toLower() + "\"}]");
        QVERIFY(lower);
        QCOMPARE(uuidText(lower->first().id), QString::fromLatin1(kId));
        StickyNote note;
        note.title = u"a/b \"quoted\" ☕"_s;
        note.tasks = {TaskItem{QUuid::createUuid(), u"one"_s, true},
                      TaskItem{QUuid::createUuid(), u"two"_s, false}};
        note.freeformText = u"line 1\nline 2"_s;
        note.mode = NoteMode::checklist;
        note.color = NoteColor::lavender;
        note.pinStyle = PinStyle::heart;
        note.pattern = PaperPattern::dots;
        note.x = 12.345678901234567;
        note.y = -3;
        note.rotation = 1e-9;
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
        QCOMPARE(u"%1 %2 %3 %4 %5 %6 %7"_s
                     .arg(rawValue(note.color), rawValue(note.pinStyle), rawValue(note.mode))
                     .arg(note.x)
                     .arg(note.y)
                     .arg(note.rotation)
                     .arg(note.title),
                 read);
        QVERIFY(!note.id.isNull() && note.id != notes->last().id);
    }

    void startingNotes_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("empty list") << QByteArray("[]");
    }
    void startingNotes()
    {
        QFETCH(QByteArray, file);
        StorageHome f;
        if (!file.isNull())
            f.file(u"notes.json"_s, file);
        const StickyNotes notes = f.start().stickyNotes();
        QCOMPARE(titles(notes), kStartingTitles);
        QVERIFY(notes[0].id != notes[1].id);
        QVERIFY(notesOnDisk(f) == notes);
    }

    // Older files let a note sit under the header band; it is moved down when read, and the
    // file is not written back.
    void headerBandRepair_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expectedY");
        QTest::newRow("inside the band") << 100.0 << 10.0 << 50.0;
        QTest::newRow("right of the band") << 300.0 << 10.0 << 10.0;
        QTest::newRow("right edge just inside") << -52.9 << 0.0 << 50.0;
        QTest::newRow("below the band") << 100.0 << 48.0 << 48.0;
    }
    void headerBandRepair()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        StorageHome f;
        const QByteArray file =
            "[{\"x\":" + QByteArray::number(x) + ",\"y\":" + QByteArray::number(y) + "}]";
        f.file(u"notes.json"_s, file);
        QTEST(f.start().stickyNotes().first().y, "expectedY");
        QCOMPARE(f.read(u"notes.json"_s), file);
    }

    void emptyTextShowsTheTasks()
    {
        StorageHome f;
        QByteArray tasks;
        for (const char* text : {"a", "b", "c"})
            tasks += (tasks.isEmpty() ? "{\"id\":\"" : ",{\"id\":\"") +
                     QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8() +
                     "\",\"text\":\"" + text + "\",\"isCompleted\":false}";
        f.file(u"notes.json"_s, "[{\"mode\":\"checklist\",\"tasks\":[" + tasks + "]}]");
        const StickyNote note = f.start().stickyNotes().first();
        QCOMPARE(note.freeformText, u"a\nb\nc"_s);
        QCOMPARE(note.tasks.size(), 3);
        QCOMPARE(notesOnDisk(f).first().freeformText, QString());
    }

    // New notes go to the end, on the board, and into notes.json.
    void addedNotes()
    {
        StorageHome f;
        f.file(u"notes.json"_s, "[{\"title\":\"T\"}]");
        StorageManager& storage = f.start();
        for (int i = 0; i < 100; ++i)
            storage.addNote();
        QCOMPARE(storage.stickyNotes().size(), 1); // appended later
        QTRY_COMPARE(storage.stickyNotes().size(), 101);
        const StickyNotes notes = storage.stickyNotes();
        QCOMPARE(titles(notes.first(2)), (QStringList{u"T"_s, u"Catatan Baru"_s}));
        QCOMPARE(notes.last().freeformText, u"Tulis isi catatan di sini..."_s);
        QVERIFY(notesOnDisk(f) == notes);
        for (const StickyNote& note : notes.mid(1))
            QVERIFY(note.x >= 20 && note.x <= 180 && note.y >= 54 && note.y <= 150);
    }

    // A note added or deleted inside an animated change animates on the board, though the
    // change itself happens a moment later.
    void deferredChangesKeepTheirAnimation()
    {
        StorageHome f;
        StorageManager& storage = f.start();
        QList<std::optional<Animation>> animations;
        QObject::connect(&storage, &StorageManager::stickyNotesChanged,
                         [&animations] { animations.append(currentAnimation()); });
        const Animation spring = Animation::spring(0.4, 0.8);
        withAnimation(spring, [&] { storage.addNote(); });
        QTRY_COMPARE(animations.size(), 1);
        withAnimation(spring, [&] { storage.deleteNote(storage.stickyNotes().constLast().id); });
        QTRY_COMPARE(animations.size(), 2);
        storage.addNote(); // and one asked for without animation stays without
        QTRY_COMPARE(animations.size(), 3);
        QCOMPARE(animations, (QList<std::optional<Animation>>{spring, spring, std::nullopt}));
    }

    void deleting()
    {
        StorageHome f;
        StickyNote a;
        StickyNote b;
        b.title = u"keep"_s;
        StickyNote twin = a;
        twin.title = u"twin"_s;
        f.file(u"notes.json"_s, *encodeStickyNotes({a, b, twin}));
        StorageManager& storage = f.start();

        // An unknown id changes nothing but still writes the file.
        f.file(u"notes.json"_s, "[\n" + f.read(u"notes.json"_s).mid(1));
        storage.deleteNote(QUuid::createUuid());
        QTRY_VERIFY(!f.read(u"notes.json"_s).contains('\n'));
        QCOMPARE(storage.stickyNotes().size(), 3);

        storage.deleteNote(a.id); // both notes with that id go
        QTRY_COMPARE(titles(storage.stickyNotes()), QStringList{u"keep"_s});
        QCOMPARE(titles(notesOnDisk(f)), QStringList{u"keep"_s});

        // Deleting the last note leaves an empty list; the next load shows the starting notes.
        storage.removeNote(b.id);
        QCOMPARE(f.read(u"notes.json"_s), QByteArray("[]"));
        storage.loadNotes();
        QCOMPARE(titles(storage.stickyNotes()), kStartingTitles);
    }
};

PONDSILL_TEST(NoteStoreTest)
#include "note_store_test.moc"
