#include "storage/storage_manager.h"
#include "storage_test_support.h"
#include "support/test_registry.h"

#include <QDir>
#include <QTest>

#include <limits>

namespace {
const QByteArray kNote = "{\"id\":\"6F9619FF-8B86-D011-B42D-00C04FC964FF\",\"title\":\"T\"}";

StickyNotes notesOnDisk(const StorageHome& home)
{
    return decodeStickyNotes(home.read(QStringLiteral("notes.json"))).value_or(StickyNotes());
}

QStringList titles(const StickyNotes& notes)
{
    QStringList list;
    for (const StickyNote& note : notes)
        list.append(note.title);
    return list;
}

const QStringList kStartingTitles = {QStringLiteral("Rencana Hari Ini 📝"),
                                     QStringLiteral("TOLVANE Design ✳")};
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
        StorageHome home;
        if (!file.isNull())
            home.file(QStringLiteral("notes.json"), file);
        auto storage = home.start();
        const StickyNotes notes = storage->stickyNotes();
        QCOMPARE(titles(notes), kStartingTitles);
        QCOMPARE(notes[0].freeformText,
                 QStringLiteral("• Rapikan file desktop\n• Bikin to-do list & target minggu "
                                "ini\n• Putar lagu favorit di radio Spotify"));
        QCOMPARE(notes[1].freeformText, QStringLiteral("Electric Blue & Lime Accent.\nTaruh "
                                                       "foto favorit di dinding boiserie."));
        QCOMPARE(notes[0].color, NoteColor::yellow);
        QCOMPARE(notes[0].pinStyle, PinStyle::washiTape);
        QCOMPARE(notes[1].color, NoteColor::pink);
        QCOMPARE(notes[1].pinStyle, PinStyle::pushpin);
        QCOMPARE((QList<double>{notes[0].x, notes[0].y, notes[1].x, notes[1].y}),
                 (QList<double>{20, 20, 180, 40}));
        QVERIFY(notes[0].id != notes[1].id);
        QVERIFY(notesOnDisk(home) == notes);
    }

    // A file that holds something unreadable is shown as the starting notes, but its
    // content is kept beside it before anything is written.
    void damagedFileIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("truncated") << QByteArray("[{\"title\":\"My plans\",\"freeformT");
        QTest::newRow("strict member refused")
            << QByteArray("[{\"title\":\"My plans\",\"pinStyle\":\"WashiTape\"}]");
        QTest::newRow("not a list") << QByteArray("{\"title\":\"My plans\"}");
    }
    void damagedFileIsSetAside()
    {
        QFETCH(QByteArray, file);
        StorageHome home;
        home.file(QStringLiteral("notes.json"), file);
        auto storage = home.start();
        QCOMPARE(titles(storage->stickyNotes()), kStartingTitles);
        const QStringList aside =
            QDir(home.root()).entryList({QStringLiteral("notes.damaged-*.json")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(home.read(aside.first()), file);
        QVERIFY(notesOnDisk(home) == storage->stickyNotes());
        // The next start finds a good file and sets nothing more aside.
        auto again = home.start();
        QCOMPARE(again->stickyNotes().first().id, storage->stickyNotes().first().id);
        QCOMPARE(QDir(home.root()).entryList({QStringLiteral("notes.damaged-*")}).size(), 1);
    }

    void headerBandRepair_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("expectedY");
        QTest::newRow("inside the band") << 100.0 << 10.0 << 50.0;
        QTest::newRow("right of the band") << 300.0 << 10.0 << 10.0;
        QTest::newRow("left of the band") << -60.0 << 10.0 << 10.0;
        QTest::newRow("right edge just inside") << -52.9 << 0.0 << 50.0;
        QTest::newRow("below the band") << 100.0 << 48.0 << 48.0;
    }
    void headerBandRepair()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, expectedY);
        StorageHome home;
        const QByteArray file =
            "[{\"x\":" + QByteArray::number(x) + ",\"y\":" + QByteArray::number(y) + "}]";
        home.file(QStringLiteral("notes.json"), file);
        auto storage = home.start();
        QCOMPARE(storage->stickyNotes().first().y, expectedY);
        QCOMPARE(home.read(QStringLiteral("notes.json")), file); // not written back
    }

    void emptyTextShowsTheTasks()
    {
        StorageHome home;
        QByteArray tasks;
        for (const char* text : {"a", "b", "c"}) {
            if (!tasks.isEmpty())
                tasks += ',';
            tasks += "{\"id\":\"" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8() +
                     "\",\"text\":\"" + text + "\",\"isCompleted\":false}";
        }
        const QByteArray file = "[{\"mode\":\"checklist\",\"tasks\":[" + tasks + "]}]";
        home.file(QStringLiteral("notes.json"), file);
        auto storage = home.start();
        const StickyNote note = storage->stickyNotes().first();
        QCOMPARE(note.freeformText, QStringLiteral("a\nb\nc"));
        QCOMPARE(note.tasks.size(), 3);
        QCOMPARE(note.mode, NoteMode::checklist);
        QCOMPARE(notesOnDisk(home).first().freeformText, QString());
    }

    void addedNotesGoToTheEnd()
    {
        StorageHome home;
        home.file(QStringLiteral("notes.json"), '[' + kNote + ']');
        auto storage = home.start();
        storage->addNote();
        storage->addNote();
        QCOMPARE(storage->stickyNotes().size(), 1); // appended later
        QTRY_COMPARE(storage->stickyNotes().size(), 3);
        const StickyNotes notes = storage->stickyNotes();
        QCOMPARE(notes[0].title, QStringLiteral("T"));
        for (int i : {1, 2}) {
            QCOMPARE(notes[i].title, QStringLiteral("Catatan Baru"));
            QCOMPARE(notes[i].freeformText, QStringLiteral("Tulis isi catatan di sini..."));
        }
        QVERIFY(notesOnDisk(home) == notes);
    }

    void newNotesLookAndPlace()
    {
        StorageHome home;
        auto storage = home.start();
        for (int i = 0; i < 60; ++i)
            storage->addNote();
        QTRY_COMPARE(storage->stickyNotes().size(), 62);
        for (const StickyNote& note : storage->stickyNotes().mid(2)) {
            QVERIFY(note.x >= 20 && note.x <= 180);
            QVERIFY(note.y >= 54 && note.y <= 150);
            QVERIFY(note.color != NoteColor::white && note.color != NoteColor::dark &&
                    note.color != NoteColor::surface);
            QVERIFY(note.pinStyle == PinStyle::washiTape || note.pinStyle == PinStyle::pushpin);
            QCOMPARE(note.pattern, PaperPattern::plain);
            QCOMPARE(note.rotation, 0.0);
        }
    }

    void deleting()
    {
        StorageHome home;
        const QUuid twin = QUuid::createUuid();
        StickyNote a;
        a.id = twin;
        StickyNote b;
        b.title = QStringLiteral("keep");
        StickyNote c = a;
        c.title = QStringLiteral("twin");
        home.file(QStringLiteral("notes.json"), *encodeStickyNotes({a, b, c}));
        auto storage = home.start();

        // An unknown id changes nothing but still writes the file.
        home.file(QStringLiteral("notes.json"),
                  "[\n" + home.read(QStringLiteral("notes.json")).mid(1));
        storage->deleteNote(QUuid::createUuid());
        QTRY_VERIFY(!home.read(QStringLiteral("notes.json")).contains('\n'));
        QCOMPARE(storage->stickyNotes().size(), 3);

        storage->deleteNote(twin);
        QTRY_COMPARE(titles(storage->stickyNotes()), QStringList{QStringLiteral("keep")});
        QCOMPARE(titles(notesOnDisk(home)), QStringList{QStringLiteral("keep")});

        // Deleting the last note leaves an empty list, which the next load turns into the
        // starting notes again.
        storage->removeNote(b.id);
        QCOMPARE(home.read(QStringLiteral("notes.json")), QByteArray("[]"));
        storage->loadNotes();
        QCOMPARE(titles(storage->stickyNotes()), kStartingTitles);
    }

    void unencodableNoteKeepsTheFile()
    {
        StorageHome home;
        auto storage = home.start();
        const QByteArray before = home.read(QStringLiteral("notes.json"));
        StickyNotes notes = storage->stickyNotes();
        notes[1].rotation = std::numeric_limits<double>::infinity();
        storage->setStickyNotes(notes);
        storage->saveNotes();
        QCOMPARE(home.read(QStringLiteral("notes.json")), before);
    }
};

PONDSILL_TEST(NoteStoreTest)
#include "note_store_test.moc"
