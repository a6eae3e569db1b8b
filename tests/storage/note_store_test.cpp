#include "state/animation.h"
#include "storage_fixture.h"
#include "support/test_registry.h"

#include <QSet>
#include <QTest>

namespace {
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

const QStringList kStartingTitles = {u"Rencana Hari Ini 📝"_s, u"TOLVANE Design ✳"_s};
} // namespace

class NoteStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
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

    // Older files let a note sit under the header band; it is moved down when read.
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
        QFETCH(double, expectedY);
        StorageHome f;
        const QByteArray file =
            "[{\"x\":" + QByteArray::number(x) + ",\"y\":" + QByteArray::number(y) + "}]";
        f.file(u"notes.json"_s, file);
        QCOMPARE(f.start().stickyNotes().first().y, expectedY);
        QCOMPARE(f.read(u"notes.json"_s), file); // not written back
    }

    void emptyTextShowsTheTasks()
    {
        StorageHome f;
        QByteArray tasks;
        for (const char* text : {"a", "b", "c"}) {
            tasks += tasks.isEmpty() ? "" : ",";
            tasks += "{\"id\":\"" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8() +
                     "\",\"text\":\"" + text + "\",\"isCompleted\":false}";
        }
        f.file(u"notes.json"_s, "[{\"mode\":\"checklist\",\"tasks\":[" + tasks + "]}]");
        const StickyNote note = f.start().stickyNotes().first();
        QCOMPARE(note.freeformText, u"a\nb\nc"_s);
        QCOMPARE(note.tasks.size(), 3);
        QCOMPARE(notesOnDisk(f).first().freeformText, QString());
    }

    void addedNotesGoToTheEnd()
    {
        StorageHome f;
        f.file(u"notes.json"_s, "[{\"title\":\"T\"}]");
        StorageManager& storage = f.start();
        storage.addNote();
        storage.addNote();
        QCOMPARE(storage.stickyNotes().size(), 1); // appended later
        QTRY_COMPARE(storage.stickyNotes().size(), 3);
        const StickyNotes notes = storage.stickyNotes();
        QCOMPARE(titles(notes), (QStringList{u"T"_s, u"Catatan Baru"_s, u"Catatan Baru"_s}));
        QCOMPARE(notes[2].freeformText, u"Tulis isi catatan di sini..."_s);
        QVERIFY(notesOnDisk(f) == notes);
    }

    // A new note lies on the board and takes one of the seven paper colours.
    void newNotesLookAndPlace()
    {
        StorageHome f;
        f.file(u"notes.json"_s, "[{\"title\":\"T\"}]");
        StorageManager& storage = f.start();
        for (int i = 0; i < 100; ++i)
            storage.addNote();
        QTRY_COMPARE(storage.stickyNotes().size(), 101);
        const QList<NoteColor> paper = {NoteColor::yellow, NoteColor::lime,     NoteColor::pink,
                                        NoteColor::mint,   NoteColor::lavender, NoteColor::peach,
                                        NoteColor::blue};
        QSet<NoteColor> seen;
        for (const StickyNote& note : storage.stickyNotes().mid(1)) {
            QVERIFY2(paper.contains(note.color), qPrintable(rawValue(note.color)));
            QVERIFY(note.x >= 20 && note.x <= 180);
            QVERIFY(note.y >= 54 && note.y <= 150);
            seen.insert(note.color);
        }
        QCOMPARE(seen.size(), paper.size());
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
