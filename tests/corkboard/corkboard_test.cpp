// What the board writes to notes.json and keeps when the file changes under it; dragging notes, the
// customiser and the board's own clicks.
#include "corkboard/corkboard_header_view.h"
#include "corkboard/corkboard_view.h"
#include "corkboard/draggable_sticky_note.h"
#include "corkboard/karsumo_sticker_view.h"
#include "corkboard/note_customizer_panel.h"
#include "corkboard/note_fasteners.h"
#include "corkboard/note_text_field.h"
#include "corkboard/sticky_note_card_view.h"
#include "kit/button_item.h"
#include "kit/room_geometry.h"
#include "kit/symbols.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/fake_app_registry.h"
#include "support/manual_clock.h"
#include "support/scene_input.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QClipboard>
#include <QDir>
#include <QFontMetricsF>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
// A corkboard at the top-left corner of a scene, on a temporary home's notes.json, shown in a view
// for mouse input.
struct Board {
    explicit Board(const QByteArray& notesFile)
    {
        writeFile(home.path() + u"/Documents/RidezozEvar/notes.json"_s, notesFile);
        storage = std::make_unique<StorageManager>(home.path());
        board = new CorkboardView(*storage, state);
        board->setSize({400, 300});
        scene.addItem(board);
        scene.setSceneRect(0, 0, 400, 300);
        view.setFixedSize(404, 304);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.show();
        QEvent activate(QEvent::WindowActivate); // keys reach the focus in an active scene
        QApplication::sendEvent(&scene, &activate);
    }

    QString notesPath() const { return storage->notesFilePath(); }
    StickyNotes decodedOnDisk() const
    {
        return decodeStickyNotes(contentOf(notesPath())).value_or(StickyNotes());
    }
    // An atomic save replaces the file: every save gives a new inode.
    ino_t inode() const
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(notesPath()).constData(), &st) == 0 ? st.st_ino : 0;
    }

    const StickyNote& note(int index) const { return storage->stickyNotes().at(index); }
    DraggableStickyNote* noteView(int index) const { return board->noteView(note(index).id); }
    StickyNoteCardView* card(int index) const { return noteView(index)->card(); }
    QPointF at(int index, QPointF cardPoint) const { return card(index)->mapToScene(cardPoint); }
    // Clicks the item and lets whatever it set moving come to rest.
    void click(QGraphicsItem* item)
    {
        input.click(item->mapToScene(item->boundingRect().center()));
        ManualClock::settle();
    }
    void focus(NoteTextField* field, int caret)
    {
        field->setFocus();
        QTextCursor cursor = field->textCursor();
        cursor.setPosition(caret);
        field->setTextCursor(cursor);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        sendKey(scene, key, modifiers, text);
    }
    void type(const QString& text) { typeText(scene, text); }

    // The note as the view shows it now, with what lies round it.
    QImage shown(int index) const
    {
        const QRect area = view.mapFromScene(noteView(index)->sceneBoundingRect())
                               .boundingRect()
                               .adjusted(-4, -4, 4, 4);
        return view.viewport()->grab(area).toImage();
    }
    // The board drawn outside any view, as the room's cached pictures and effects draw it.
    QImage rendered()
    {
        QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        scene.render(&painter);
        return image;
    }

    ManualClock clock;
    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
    std::unique_ptr<StorageManager> storage;
    QGraphicsScene scene;
    QGraphicsView view{&scene};
    SceneInput input{view};
    CorkboardView* board = nullptr;
};

QByteArray notesFile(const StickyNotes& notes)
{
    return encodeStickyNotes(notes).value_or(QByteArray());
}

StickyNote makeNote(const QString& title, QPointF at)
{
    StickyNote note;
    note.title = title;
    note.freeformText = u"isi "_s + title;
    note.x = at.x();
    note.y = at.y();
    return note;
}

// Every field of a note away from its default.
StickyNote unusualNote()
{
    StickyNote note;
    note.title = u"Belanja & <b>pasar</b>"_s;
    note.tasks = {TaskItem{QUuid::createUuid(), u"telur"_s, true}};
    note.freeformText = u"baris satu\nbaris dua"_s;
    note.mode = NoteMode::checklist;
    note.color = NoteColor::surface;
    note.pinStyle = PinStyle::heart;
    note.pattern = PaperPattern::dots;
    note.x = 210.5;
    note.y = 120.25;
    note.rotation = 2;
    return note;
}

// Makes the folder at `path` refuse writes and take them again: by its mode, or for root (whom
// modes do not stop) by mounting the folder over itself read-only. False when neither works here.
bool setWritable(const QString& path, bool writable)
{
    const QByteArray p = QFile::encodeName(path);
    if (::geteuid() != 0)
        return ::chmod(p.constData(), writable ? 0755 : 0555) == 0;
    if (writable)
        return ::umount2(p.constData(), MNT_DETACH) == 0;
    if (::mount(p.constData(), p.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    if (::mount(nullptr, p.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0)
        return true;
    ::umount2(p.constData(), MNT_DETACH);
    return false;
}
const QString kHandler = u"music-handler.desktop"_s;
const QString kBrowser = u"browser.desktop"_s;

} // namespace

class CorkboardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each edit on the board changes its own field on disk and keeps every other field, the tasks
    // and the mode the board never shows included.
    void editsKeepEveryOtherField_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("title") << u"title"_s;
        QTest::newRow("text") << u"text"_s;
        QTest::newRow("rich text pasted into the title") << u"paste"_s;
        QTest::newRow("colour") << u"colour"_s;
        QTest::newRow("fastener") << u"fastener"_s;
        QTest::newRow("pattern") << u"pattern"_s;
        QTest::newRow("tilt") << u"tilt"_s;
        QTest::newRow("drag") << u"drag"_s;
    }
    void editsKeepEveryOtherField()
    {
        QFETCH(QString, edit);
        const StickyNote original = unusualNote();
        Board b(notesFile({original}));
        StickyNote expected = original;
        StickyNoteCardView* card = b.card(0);
        if (edit == u"title"_s) {
            b.focus(card->titleField(), 0);
            b.type(u"X"_s);
            expected.title = u"X"_s + original.title;
        } else if (edit == u"text"_s) {
            b.focus(card->textField(), int(original.freeformText.size()));
            b.type(u"!"_s);
            expected.freeformText += u"!"_s;
        } else if (edit == u"paste"_s) { // arrives as plain text, without line breaks
            b.focus(card->titleField(), 0);
            auto* data = new QMimeData;
            data->setHtml(u"<b>tebal</b><br>baris<img src=\"x.png\">"_s);
            data->setText(u"tebal\nbaris"_s);
            QGuiApplication::clipboard()->setMimeData(data);
            b.key(Qt::Key_V, Qt::ControlModifier);
            QVERIFY(!card->titleField()->document()->toHtml().contains(u"<img"_s));
            expected.title = u"tebalbaris"_s + original.title;
        } else if (edit == u"drag"_s) {
            const QPointF from = b.at(0, QPointF(100, card->size().height() - 4));
            b.input.drag(from, from + QPointF(-30, 12));
            expected.x = original.x - 30;
            expected.y = original.y + 12;
        } else {
            b.click(card->paletteButton());
            NoteCustomizerPanel* panel = card->customizer();
            QVERIFY(panel);
            if (edit == u"colour"_s) {
                b.click(panel->swatch(NoteColor::blue));
                expected.color = NoteColor::blue;
            } else if (edit == u"fastener"_s) {
                b.click(panel->pinChip(PinStyle::clip));
                expected.pinStyle = PinStyle::clip;
            } else if (edit == u"pattern"_s) {
                b.click(panel->patternChip());
                expected.pattern = PaperPattern::plain;
            } else {
                b.click(panel->tiltChip(0));
                expected.rotation = -4;
            }
        }
        const StickyNotes onDisk = b.decodedOnDisk();
        QCOMPARE(onDisk.size(), 1);
        QVERIFY(onDisk.first() == expected);
        QCOMPARE(QDir(b.storage->paths().root).entryList({u"notes.json*"_s}, QDir::Files),
                 QStringList{u"notes.json"_s}); // no temporary file left behind
    }

    // A save that fails keeps the notes in memory; the next change, once the folder takes writes
    // again, saves everything typed meanwhile.
    void failedSaveIsRetriedOnTheNextChange()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60})}));
        const QString root = b.storage->paths().root;
        const QByteArray before = contentOf(b.notesPath());
        if (!setWritable(root, false))
            QSKIP("cannot make the storage folder read-only here");
        b.focus(b.card(0)->titleField(), 1);
        b.type(u"bc"_s);
        QCOMPARE(b.note(0).title, u"Abc"_s);
        QCOMPARE(contentOf(b.notesPath()), before);
        b.storage->reloadAll(); // a folder event meanwhile must not bring the old text back
        QCOMPARE(b.note(0).title, u"Abc"_s);
        QCOMPARE(b.card(0)->titleField()->text(), u"Abc"_s);

        QVERIFY(setWritable(root, true));
        b.type(u"d"_s);
        QCOMPARE(b.decodedOnDisk().first().title, u"Abcd"_s);
    }

    // One write per keystroke; none when the program sets a text (a reload, a note shown again). A
    // reload that finds the file as it was last written changes nothing: the editor being typed in
    // keeps its text and caret. A change from outside is shown in place.
    void writesOnlyForTheUsersEditsAndReloadsInPlace()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 60})}));
        QSignalSpy changes(b.storage.get(), &StorageManager::stickyNotesChanged);
        NoteTextField* typing = b.card(0)->textField();
        b.focus(typing, 0);
        ino_t last = b.inode();
        for (const QChar c : u"xyz"_s) {
            b.type(QString(c));
            QVERIFY(b.inode() != last);
            last = b.inode();
        }
        QCOMPARE(changes.size(), 3);
        QCOMPARE(b.decodedOnDisk().first().freeformText, u"xyzisi A"_s);
        b.card(1)->textField()->showText(u"dari program"_s);
        b.card(0)->refresh();
        b.board->noteViews().last()->refresh();
        QCOMPARE(b.inode(), last);
        QCOMPARE(changes.size(), 3);

        DraggableStickyNote* other = b.noteView(1);
        b.storage->reloadAll();
        QCOMPARE(b.card(0)->textField(), typing);
        QCOMPARE(typing->text(), u"xyzisi A"_s);
        QCOMPARE(typing->textCursor().position(), 3);
        QVERIFY(typing->hasFocus());
        StickyNotes outside = b.storage->stickyNotes();
        outside[1].title = u"diubah di luar"_s;
        writeFile(b.notesPath(), notesFile(outside));
        const ino_t written = b.inode();
        b.storage->reloadAll();
        QCOMPARE(b.noteView(1), other);
        QCOMPARE(other->card()->titleField()->text(), u"diubah di luar"_s);
        QCOMPARE(typing->textCursor().position(), 3);
        QCOMPARE(b.inode(), written); // showing the reload wrote nothing
    }

    // Another program deletes or changes a note while the user types in it: the note stays
    // with every key typed before and after, and notes.json gets it back (their changed
    // version kept beside it). A note nobody types in goes or changes as the program says,
    // also the one the user has just left.
    void typingWinsOverOutsideChanges_data()
    {
        QTest::addColumn<int>("outsideNote"); // the note the other program touches
        QTest::addColumn<bool>("deletes");    // or changes its title
        QTest::addColumn<bool>("leftFirst");  // the user leaves the field before
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("copies");
        QTest::newRow("deletes the typed note")
            << 0 << true << false << QStringList{u"xyA"_s, u"B"_s} << 0;
        QTest::newRow("changes the typed note")
            << 0 << false << false << QStringList{u"xyA"_s, u"B"_s} << 1;
        QTest::newRow("deletes the other note") << 1 << true << false << QStringList{u"xyA"_s} << 0;
        QTest::newRow("changes the other note")
            << 1 << false << false << QStringList{u"xyA"_s, u"luar"_s} << 0;
        QTest::newRow("deletes the note just left")
            << 0 << true << true << QStringList{u"B"_s} << 0;
    }
    void typingWinsOverOutsideChanges()
    {
        QFETCH(int, outsideNote);
        QFETCH(bool, deletes);
        QFETCH(bool, leftFirst);
        QFETCH(QStringList, titles);
        QFETCH(int, copies);
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 60})}));
        const QUuid typed = b.note(0).id;
        b.focus(b.card(0)->titleField(), 0);
        b.type(u"x"_s);
        if (leftFirst)
            b.card(0)->titleField()->clearFocus();
        StickyNotes outside = b.decodedOnDisk();
        if (deletes)
            outside.removeAt(outsideNote);
        else
            outside[outsideNote].title = u"luar"_s;
        writeFile(b.notesPath(), notesFile(outside));
        b.storage->reloadAll(); // the folder event
        if (!leftFirst) {
            b.type(u"y"_s);
            QCOMPARE(b.card(0)->titleField()->text(), u"xyA"_s);
            QVERIFY(b.card(0)->titleField()->hasFocus());
        }
        const auto titlesOf = [](const StickyNotes& notes) {
            QStringList list;
            for (const StickyNote& n : notes)
                list.append(n.title);
            return list;
        };
        QCOMPARE(titlesOf(b.storage->stickyNotes()), titles);
        QCOMPARE(titlesOf(b.decodedOnDisk()), titles);
        QCOMPARE(b.noteView(0)->card()->noteId(), b.note(0).id);
        QCOMPARE(b.board->noteView(typed) != nullptr, titles.first() != u"B");
        const QStringList aside =
            QDir(b.storage->paths().root).entryList({u"notes.conflict-*.json"_s}, QDir::Files);
        QCOMPARE(aside.size(), copies);
        if (copies)
            QCOMPARE(decodeStickyNotes(contentOf(b.storage->paths().root + u'/' + aside.first())),
                     std::optional<StickyNotes>(outside));
    }

    // Where a note is drawn: inside the board, out of the header band (the drag below checks the
    // clamping at the board's edges).
    void placement()
    {
        const auto shown = [](QSizeF board, QPointF stored, QSizeF drag = QSizeF(0, 0)) {
            return NotePlacement{board, 48, 148}.shown(stored, drag);
        };
        QCOMPARE(shown({800, 300}, {200, 10}), QPointF(200, 48));
        QCOMPARE(shown({800, 300}, {20, 60}, {2000, 2000}), QPointF(646, 210));
        QCOMPARE(shown({150, 300}, {90, 70}), QPointF(6, 70));
    }

    // Cards that look alike share one picture of their paper: each card still shows its own
    // colour, pattern and height, in the view and drawn outside it.
    void eachCardShowsItsOwnPaper_data()
    {
        QTest::addColumn<NoteColor>("color");
        QTest::addColumn<PaperPattern>("pattern");
        QTest::addColumn<int>("lines");
        QTest::newRow("alike") << NoteColor::yellow << PaperPattern::plain << 1;
        QTest::newRow("another colour") << NoteColor::mint << PaperPattern::plain << 1;
        QTest::newRow("ruled") << NoteColor::yellow << PaperPattern::lined << 1;
        QTest::newRow("taller") << NoteColor::yellow << PaperPattern::plain << 9;
    }
    void eachCardShowsItsOwnPaper()
    {
        QFETCH(NoteColor, color);
        QFETCH(PaperPattern, pattern);
        QFETCH(int, lines);
        StickyNote first = makeNote(u"A"_s, {20, 60});
        first.freeformText = u"a"_s;
        StickyNote second = makeNote(u"B"_s, {220, 60});
        second.color = color;
        second.pattern = pattern;
        second.freeformText = QStringList(lines, u"b"_s).join(u'\n');
        Board b(notesFile({first, second}));
        QCOMPARE(b.card(0)->cacheMode(), QGraphicsItem::NoCache);
        const QImage inView = b.view.viewport()->grab().toImage();
        const QImage drawn = b.rendered();
        for (const QImage& image : {inView, drawn}) {
            for (int i = 0; i < 2; ++i) {
                const StickyNote& note = b.note(i);
                const QSizeF size = b.card(i)->size();
                const auto at = [&](QPointF point) {
                    const QPoint p = b.at(i, point).toPoint();
                    return QColor(image.pixel(&image == &inView ? b.view.mapFromScene(p) : p));
                };
                // Below the text; down the paper right of the text, where rules cross it.
                QCOMPARE(at({60, size.height() - 3}), ::color(note.color));
                bool ruled = false;
                for (qreal y = 28; y < size.height() - 4; ++y)
                    ruled = ruled || at({120, y}) != ::color(note.color);
                QCOMPARE(ruled, note.pattern == PaperPattern::lined);
            }
        }
    }

    // A drag moves the note with the pointer, clamped, and writes its place once, at the end, where
    // it was shown at release. A click without movement writes nothing; a drag that starts in a
    // text field selects text and leaves the note where it is.
    void dragWritesOnceAtTheEnd()
    {
        Board b(notesFile({makeNote(u"Judul panjang"_s, {20, 60}), makeNote(u"B"_s, {220, 150})}));
        StickyNoteCardView* card = b.card(0);
        const QPointF from = b.at(0, QPointF(60, card->size().height() - 4));
        const ino_t before = b.inode();
        b.input.click(from);
        NoteTextField* title = card->titleField();
        const QPointF inTitle = title->mapToScene(QPointF(2, title->boundingRect().center().y()));
        b.input.drag(inTitle, inTitle + QPointF(40, 0));
        QVERIFY(title->textCursor().hasSelection());
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(20, 60));
        QCOMPARE(b.inode(), before);

        b.input.press(from);
        b.input.move(from + QPointF(2, 2)); // under 4 points: no drag yet
        QVERIFY(!b.state.draggingNoteId());
        b.input.move(from + QPointF(30, 10));
        QCOMPARE(b.state.draggingNoteId(), b.note(0).id);
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(50, 70));
        b.input.move(from + QPointF(-400, 40));
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(6, 100));
        QCOMPARE(b.inode(), before);
        QCOMPARE(b.noteView(1)->shownPosition(), QPointF(220, 150));
        b.input.release(from + QPointF(-400, 40));

        QVERIFY(!b.state.draggingNoteId());
        QCOMPARE(b.noteView(0)->shownPosition(), QPointF(6, 100));
        const StickyNotes onDisk = b.decodedOnDisk();
        QCOMPARE(QPointF(onDisk[0].x, onDisk[0].y), QPointF(6, 100));
        QCOMPARE(QPointF(onDisk[1].x, onDisk[1].y), QPointF(220, 150));
    }

    // A note the load moves down out of the header band keeps its own y in notes.json through
    // every save made for other edits; only a drag of that note stores where it now is.
    void storedPlaceKeptUntilDragged_data()
    {
        QTest::addColumn<QPointF>("inFile");
        QTest::addColumn<double>("shownY");
        QTest::newRow("first starting note") << QPointF(20, 20) << 50.0;
        QTest::newRow("second starting note") << QPointF(180, 40) << 50.0;
        QTest::newRow("just above the band's foot") << QPointF(100, 47.5) << 50.0;
        QTest::newRow("above the board") << QPointF(150, -30) << 50.0;
        QTest::newRow("on the band's foot") << QPointF(100, 48) << 48.0;
        QTest::newRow("right of the band") << QPointF(290, 10) << 10.0;
        QTest::newRow("left of the band") << QPointF(-53, 10) << 10.0;
    }
    void storedPlaceKeptUntilDragged()
    {
        QFETCH(QPointF, inFile);
        QFETCH(double, shownY);
        // B, typed in, lies under A, dragged.
        Board b(notesFile({makeNote(u"B"_s, {220, 150}), makeNote(u"A"_s, inFile)}));
        QCOMPARE(b.note(1).y, shownY);
        b.focus(b.card(0)->titleField(), 0);
        b.type(u"X"_s);
        StickyNotes onDisk = b.decodedOnDisk();
        QCOMPARE(onDisk[0].title, u"XB"_s);
        QCOMPARE(QPointF(onDisk[1].x, onDisk[1].y), inFile);
        QCOMPARE(b.note(1).y, shownY);

        b.storage->loadNotes(); // the file read again: the same place shown, nothing written
        QCOMPARE(b.note(1).y, shownY);
        QCOMPARE(b.decodedOnDisk()[1].y, inFile.y());

        const QPointF from = b.at(1, QPointF(60, b.card(1)->size().height() - 4));
        b.input.drag(from, from + QPointF(0, 30));
        const QPointF dropped = b.noteView(1)->shownPosition();
        b.focus(b.card(0)->titleField(), 0);
        b.type(u"Y"_s);
        onDisk = b.decodedOnDisk();
        QCOMPARE(onDisk[0].title, u"YXB"_s);
        QCOMPARE(QPointF(onDisk[1].x, onDisk[1].y), dropped);
        QCOMPARE(b.note(1).y, dropped.y());
    }

    // A note deleted while it is dragged, or while its editor has focus, takes the late drop or
    // keystroke with it: no other note changes.
    void lateWritesForADeletedNoteAreDropped_data()
    {
        QTest::addColumn<bool>("dragging");
        QTest::newRow("during a drag") << true;
        QTest::newRow("while typing") << false;
    }
    void lateWritesForADeletedNoteAreDropped()
    {
        QFETCH(bool, dragging);
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 150})}));
        const StickyNote kept = b.note(1);
        const QUuid gone = b.note(0).id;
        const QPointF from = b.at(0, QPointF(60, b.card(0)->size().height() - 4));
        if (dragging) {
            b.input.press(from);
            b.input.move(from + QPointF(40, 40));
        } else {
            b.focus(b.card(0)->titleField(), 0);
        }
        b.storage->removeNote(gone);
        if (dragging) {
            b.input.move(from + QPointF(80, 40));
            b.input.release(from + QPointF(80, 40));
        } else {
            b.type(u"q"_s);
        }
        QCoreApplication::processEvents();
        QVERIFY(!b.state.draggingNoteId());
        QCOMPARE(b.storage->stickyNotes().size(), 1);
        QVERIFY(b.decodedOnDisk() == StickyNotes{kept});
        QVERIFY(b.storage->stickyNotes().first() == kept);
    }

    // One customiser is open at a time; the bare board (the header takes no clicks) closes it;
    // deleting the open note clears it, deleting another leaves it.
    void customiserOpensOneAtATime()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 150}),
                           makeNote(u"C"_s, {20, 200})}));
        b.click(b.card(0)->paletteButton());
        b.click(b.card(1)->fastener());
        QVERIFY(!b.card(0)->isCustomizerOpen() && b.card(1)->isCustomizerOpen());
        b.click(b.board->header());
        QVERIFY(!b.state.activeNoteCustomizerId());
        b.click(b.card(1)->paletteButton());
        b.click(b.card(2)->deleteButton());
        const QUuid open = b.note(1).id;
        QCOMPARE(b.state.activeNoteCustomizerId(), open);
        b.click(b.card(1)->deleteButton());
        QVERIFY(!b.state.activeNoteCustomizerId());
        QTRY_COMPARE(b.storage->stickyNotes().size(), 1);
        QVERIFY(!b.board->noteView(open));
    }

    // A note lying wholly under the notes above it gets no view, so a board of thousands of
    // notes stays light; one that a drag or a move uncovers shows again.
    void coveredNotesGetNoView()
    {
        StickyNotes notes;
        for (int i = 0; i < 30; ++i)
            notes.append(makeNote(u"N%1"_s.arg(i), {20, 60}));
        notes.append(makeNote(u"apart"_s, {220, 150}));
        Board b(notesFile(notes));
        QCOMPARE(b.board->noteViews().size(), 2);
        QVERIFY(b.noteView(29) && b.noteView(30) && !b.noteView(28));

        const QPointF from = b.at(29, QPointF(100, b.card(29)->size().height() - 4));
        b.input.press(from);
        b.input.move(from + QPointF(20, 20));
        b.input.move(from + QPointF(160, 40));
        QVERIFY(b.noteView(28)); // uncovered while the top note moves
        b.input.release(from + QPointF(160, 40));
        ManualClock::settle();
        QVERIFY(b.noteView(28) && b.noteView(29) && !b.noteView(27));
        QCOMPARE(b.decodedOnDisk().size(), 31);

        b.storage->removeNote(b.note(28).id);
        QVERIFY(b.noteView(27) && !b.noteView(26));
    }

    // A note whose text lies wholly under the card above it leaves its text field out, and
    // shows it again the moment that card moves, goes or stops hiding it; the title that
    // still shows is drawn throughout.
    void coveredTextShowsAgainWhenUncovered_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("the card above dragged off") << u"drag"_s;
        QTest::newRow("the card above deleted") << u"delete"_s;
        QTest::newRow("the card above moved by another program") << u"reload"_s;
    }
    void coveredTextShowsAgainWhenUncovered()
    {
        QFETCH(QString, change);
        const StickyNote below = makeNote(u"A"_s, {20, 60});
        const StickyNote above = makeNote(u"B"_s, {20, 84});
        Board b(notesFile({below, above}));
        StickyNoteCardView* card = b.card(0);
        QVERIFY(card->titleField()->isVisible());
        QVERIFY(!card->textField()->isVisible());
        QVERIFY(b.card(1)->textField()->isVisible());

        if (change == u"drag"_s) {
            const QPointF from = b.at(1, QPointF(100, b.card(1)->size().height() - 4));
            b.input.press(from);
            b.input.move(from + QPointF(20, 20));
            b.input.move(from + QPointF(180, 40));
            QVERIFY(card->textField()->isVisible()); // uncovered while the card above moves
            b.input.release(from + QPointF(180, 40));
        } else if (change == u"delete"_s) {
            b.click(b.card(1)->deleteButton());
            QTRY_COMPARE(b.storage->stickyNotes().size(), 1);
        } else {
            StickyNote moved = above;
            moved.x = 220;
            writeFile(b.notesPath(), notesFile({below, moved}));
            b.storage->loadNotes();
            QCOMPARE(b.note(1).x, 220.0);
        }
        ManualClock::settle();
        QVERIFY(card->titleField()->isVisible());
        QVERIFY(card->textField()->isVisible());
        QCOMPARE(card->textField()->text(), below.freeformText);
    }

    // While the notes cannot be saved the board says so in one line; once the folder takes
    // writes again the text is saved without another keystroke and the line goes.
    void saysWhenNotesCannotBeSaved()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60})}));
        const QString root = b.storage->paths().root;
        QVERIFY(!b.board->unsavedMark()->isVisible());
        if (!setWritable(root, false))
            QSKIP("cannot make the storage folder read-only here");
        b.focus(b.card(0)->titleField(), 1);
        b.type(u"bc"_s);
        QVERIFY(b.board->unsavedMark()->isVisible());
        QVERIFY(setWritable(root, true));
        QTRY_VERIFY_WITH_TIMEOUT(!b.board->unsavedMark()->isVisible(), 8000);
        QCOMPARE(b.decodedOnDisk().first().title, u"Abc"_s);
    }

    // The line that the notes cannot be saved stands where nothing on the desk hides it, on the
    // board and clear of its header, at the screen sizes people use.
    void unsavedMarkStandsClearOfTheDesk_data()
    {
        QTest::addColumn<QSize>("window");
        for (const QSize size : {QSize(1366, 768), QSize(1440, 900), QSize(1920, 1080),
                                 QSize(1280, 1024), QSize(2560, 1080), QSize(1024, 768)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    void unsavedMarkStandsClearOfTheDesk()
    {
        QFETCH(QSize, window);
        TempHome home;
        QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
        AppState state{&settings};
        StorageManager storage(home.path());
        CorkboardView board(storage, state, [&state] {
            return new KarsumoStickerView(state, 52, 35); // as the room makes it
        });
        const RoomGeometry geometry{QSizeF(window)};
        const QRectF frame = geometry.frame(Furniture::Corkboard).rect();
        board.setPos(frame.topLeft());
        board.setSize(frame.size());
        const RoomItem* mark = board.unsavedMark();
        const QRectF shown = mark->mapRectToScene(mark->rect());
        QVERIFY(frame.contains(shown));
        for (const Furniture front : {Furniture::DeskLamp, Furniture::Monitor,
                                      Furniture::QuennetPlaque, Furniture::TolvanePlaque}) {
            QVERIFY2(!shown.intersects(geometry.frame(front).rect()),
                     qPrintable(u"behind piece %1"_s.arg(int(front))));
        }
        for (const RoomItem* above : {static_cast<RoomItem*>(board.header()), board.sticker()})
            QVERIFY(!shown.intersects(above->mapRectToScene(above->rect())));
    }

    // How many lines a note's text takes is worked out from what its card shows, no more: a
    // note of one word a megabyte long (a pasted base64 text) is laid out a few lines deep, and
    // the count agrees with the card's own field.
    void textLinesLayOutOnlyWhatANoteShows_data()
    {
        QTest::addColumn<QString>("text");
        // Letters and digits only, where no line may break: the costliest word to wrap.
        const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_s;
        QString base64;
        for (int i = 0; base64.size() < 1'000'000; ++i)
            base64 += letters.at((i * 7 + i / 62) % 62);
        QTest::newRow("one word of 1 MB") << base64;
        QTest::newRow("one word of 300 kB") << base64.left(300'000);
        QString lines;
        for (int i = 0; lines.size() < 1'000'000; ++i)
            lines += u"baris ke-%1\n"_s.arg(i);
        QTest::newRow("a megabyte of short lines") << lines;
        QTest::newRow("long words then lines")
            << u"x"_s.repeated(20) + u" "_s + u"y"_s.repeated(60) + u"\nakhir\n\n"_s;
        QTest::newRow("three lines") << u"satu\ndua\ntiga"_s;
        QTest::newRow("empty") << QString();
    }
    void textLinesLayOutOnlyWhatANoteShows()
    {
        QFETCH(QString, text);
        constexpr int kMost = 15; // a card shows up to 14 lines; one more tells it is full
        NoteTextField field(false, u"Tulis isi memo di sini..."_s, DesignFont::system(8.5));
        field.setFieldWidth(StickyNoteCardView::kWidth - 14);
        qsizetype laidOut = 0;
        const int lines = field.idleLineCount(text, kMost, &laidOut);
        QVERIFY2(laidOut <= 6'000, qPrintable(QString::number(laidOut)));
        field.showText(text);
        QCOMPARE(lines, std::min(field.lineCount(), kMost));
    }

    // A note lying under another is measured by the board, which lays out only as much of its
    // text as a card can show: a note of one megabyte-long word costs what a short one does.
    void theBoardMeasuresACoveredNoteByWhatItsCardShows_data()
    {
        QTest::addColumn<QString>("text");
        const QString letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"_s;
        QString word;
        for (int i = 0; word.size() < 1'000'000; ++i)
            word += letters.at((i * 7 + i / 62) % 62);
        QTest::newRow("one word of 1 MB") << word;
        QString lines;
        for (int i = 0; lines.size() < 1'000'000; ++i)
            lines += u"baris ke-%1\n"_s.arg(i);
        QTest::newRow("a megabyte of short lines") << lines;
        QTest::newRow("two lines") << u"satu\ndua"_s;
    }
    void theBoardMeasuresACoveredNoteByWhatItsCardShows()
    {
        QFETCH(QString, text);
        // The long note lies under a short one at the same place: whether its card shows
        // below the other's depends on how many lines its text takes.
        StickyNote under = makeNote(u"Bawah"_s, {20, 60});
        under.freeformText = text;
        const StickyNote over = makeNote(u"Atas"_s, {20, 60});
        Board b(notesFile({under, over}));
        QVERIFY(b.noteView(1));
        QVERIFY2(b.board->textLaidOut() > 0 && b.board->textLaidOut() <= 6'000,
                 qPrintable(QString::number(b.board->textLaidOut())));
    }

    // The header draws the ligature where a font has it, never a missing-glyph box.
    void headerLine()
    {
        const QString line =
            BismillahCalligraphyHeaderView::line(BismillahCalligraphyHeaderView::calligraphyFont());
        QVERIFY(line == QString::fromUcs4(U"\U0000FDFD", 1) || line.contains(u"الله"_s));
        QFont none(u"No Such Font At All"_s);
        none.setStyleStrategy(QFont::NoFontMerging);
        QVERIFY(!BismillahCalligraphyHeaderView::line(none).isEmpty());
    }
    // The music application's search when a program handles its scheme, else the web search; terms
    // encoded so that blanks, "&", "/" and "?" stay part of the term. The sticker's menu items
    // (numbered without separators) search theirs, and building the menu starts nothing.
    void searches_data()
    {
        QTest::addColumn<bool>("musicHandler");
        QTest::addColumn<QString>("term"); // or "menu:N"
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("url");
        QTest::newRow("the band in the music application")
            << true << u"Karsumo"_s << kHandler << u"spotify:search:Karsumo"_s;
        QTest::newRow("a term with blanks and delimiters")
            << true << u"Karsumo Kopi & Hujan/Senja?"_s << kHandler
            << u"spotify:search:Karsumo%20Kopi%20%26%20Hujan%2FSenja%3F"_s;
        QTest::newRow("no handler: the web search")
            << false << u"Karsumo Kopi & Hujan"_s << kBrowser
            << u"https://open.spotify.com/search/Karsumo%20Kopi%20%26%20Hujan"_s;
        QTest::newRow("an empty term searches the band")
            << false << QString() << kBrowser << u"https://open.spotify.com/search/Karsumo"_s;
        QTest::newRow("the menu's song")
            << true << u"menu:4"_s << kHandler << u"spotify:search:Karsumo%20Kopi%20%26%20Hujan"_s;
        QTest::newRow("the menu's video search")
            << true << u"menu:6"_s << kBrowser
            << u"https://www.youtube.com/results?search_query=Karsumo"_s;
    }
    void searches()
    {
        QFETCH(bool, musicHandler);
        QFETCH(QString, term);
        QFETCH(QString, started);
        QFETCH(QString, url);
        FakeAppRegistry apps;
        apps.setDefault(u"x-scheme-handler/https"_s,
                        apps.addApp(kBrowser, {u"x-scheme-handler/https"_s}));
        if (musicHandler)
            apps.setDefault(u"x-scheme-handler/spotify"_s,
                            apps.addApp(kHandler, {u"x-scheme-handler/spotify"_s}));
        QVERIFY(apps.waitUntilSeen());
        if (term.startsWith(u"menu:")) {
            AppState state(nullptr);
            KarsumoStickerView sticker(state, 52, 35);
            const std::unique_ptr<QMenu> menu = sticker.gestures().makeContextMenu();
            QVERIFY(apps.nothingLaunched());
            QList<QAction*> items = menu->actions();
            items.removeIf([](QAction* action) { return action->isSeparator(); });
            items.at(term.mid(5).toInt())->trigger();
            QVERIFY(!state.showSpotifyPopup());
        } else {
            QVERIFY(KarsumoSearch::searchSpotify(term).launched());
        }
        QVERIFY2(apps.launchedOnly(started), qPrintable(apps.launchedNames().join(u' ')));
        QCOMPARE(apps.launches(started), QStringList{url});
    }

    // What is typed shows at once, caret included, exactly as a note that already held that
    // text shows it with its caret at the same place: in the title and the text, on a tilted
    // note and on an empty one, and after everything is selected and deleted. The view's
    // painter never fails along the way, and each key is saved.
    void typingShowsAtOnce_data()
    {
        QTest::addColumn<bool>("title");
        QTest::addColumn<double>("rotation");
        QTest::addColumn<QString>("start");
        QTest::newRow("title") << true << 0.0 << u"Rencana"_s;
        QTest::newRow("text") << false << 0.0 << u"baris satu\nbaris dua"_s;
        QTest::newRow("text of a tilted note") << false << 4.0 << u"miring"_s;
        QTest::newRow("title of a tilted note") << true << -4.0 << u"miring"_s;
        QTest::newRow("title of an empty note") << true << 0.0 << QString();
        QTest::newRow("text of an empty note") << false << 0.0 << QString();
    }
    void typingShowsAtOnce()
    {
        QFETCH(bool, title);
        QFETCH(double, rotation);
        QFETCH(QString, start);
        QTest::failOnWarning(QRegularExpression(u"[Pp]ainter"_s));
        const auto noteWith = [&](const QString& text) {
            StickyNote note = makeNote(u"A"_s, {20, 60});
            note.rotation = rotation;
            (title ? note.title : note.freeformText) = text;
            return note;
        };
        const auto fieldOf = [title](const Board& b) {
            return title ? b.card(0)->titleField() : b.card(0)->textField();
        };
        const auto sameAsBuilt = [&](const Board& typed, const QString& text) {
            Board built(notesFile({noteWith(text)}));
            built.focus(fieldOf(built), int(fieldOf(typed)->textCursor().position()));
            return typed.shown(0) == built.shown(0);
        };
        Board b(notesFile({noteWith(start)}));
        b.view.grab(); // the room is on screen before the first key
        b.focus(fieldOf(b), int(start.size()));
        QString expected = start;
        for (const QChar c : u" Zq7 Zq7"_s) {
            b.type(QString(c));
            expected += c;
            QCOMPARE(fieldOf(b)->text(), expected);
            QVERIFY2(sameAsBuilt(b, expected), qPrintable(expected));
        }
        const StickyNote saved = b.decodedOnDisk().first();
        QCOMPARE(title ? saved.title : saved.freeformText, expected);
        b.key(Qt::Key_A, Qt::ControlModifier);
        b.key(Qt::Key_Backspace);
        QVERIFY(fieldOf(b)->text().isEmpty());
        QVERIFY(sameAsBuilt(b, QString()));
    }

    // Qt draws a caret by inverting the paper under it, which a tilted note's upright picture
    // of its text does not hold: the caret must show in the ink, not as stray colour. Every
    // pixel the caret changes lies between the paper as it was and the ink.
    void aTiltedNotesCaretShowsInItsInk_data()
    {
        QTest::addColumn<bool>("title");
        QTest::addColumn<double>("rotation");
        QTest::newRow("text, turned left") << false << 4.0;
        QTest::newRow("title, turned right") << true << -4.0;
    }
    void aTiltedNotesCaretShowsInItsInk()
    {
        QFETCH(bool, title);
        QFETCH(double, rotation);
        StickyNote note = makeNote(u"A"_s, {20, 60});
        note.rotation = rotation;
        (title ? note.title : note.freeformText) = u"miring"_s;
        Board b(notesFile({note}));
        b.view.grab();
        NoteTextField* field = title ? b.card(0)->titleField() : b.card(0)->textField();
        b.focus(field, 6);
        const QImage atEnd = b.shown(0);
        b.key(Qt::Key_Home);
        const QImage atStart = b.shown(0);
        QCOMPARE(atEnd.size(), atStart.size());
        const QColor ink = field->defaultTextColor();
        const auto between = [](int value, int from, int to) {
            return value >= std::min(from, to) - 2 && value <= std::max(from, to) + 2;
        };
        int changed = 0;
        for (int y = 0; y < atEnd.height(); ++y) {
            for (int x = 0; x < atEnd.width(); ++x) {
                const QRgb a = atEnd.pixel(x, y);
                const QRgb s = atStart.pixel(x, y);
                if (a == s)
                    continue;
                ++changed;
                // One of the two shows the caret there, over what the other shows.
                const auto caretOver = [&](QRgb caret, QRgb paper) {
                    return between(qRed(caret), qRed(paper), ink.red()) &&
                           between(qGreen(caret), qGreen(paper), ink.green()) &&
                           between(qBlue(caret), qBlue(paper), ink.blue());
                };
                QVERIFY2(caretOver(a, s) || caretOver(s, a),
                         qPrintable(QStringLiteral("%1,%2: %3 against %4")
                                        .arg(x)
                                        .arg(y)
                                        .arg(a, 8, 16)
                                        .arg(s, 8, 16)));
            }
        }
        QVERIFY2(changed >= 8, qPrintable(QString::number(changed)));
    }

    // A tilted note's text runs along a straight baseline: a line of underscores in a field on
    // a tilted parent has its ink centred on one straight line, column by column, to a fifth
    // of a pixel (glyphs placed on whole pixels one by one step by up to half a pixel).
    void tiltedTextRunsStraight_data()
    {
        QTest::addColumn<double>("rotation");
        QTest::newRow("+4°") << 4.0;
        QTest::newRow("-4°") << -4.0;
    }
    void tiltedTextRunsStraight()
    {
        QFETCH(double, rotation);
        QGraphicsScene scene(0, 0, 200, 60);
        scene.setBackgroundBrush(Qt::white);
        auto* note = new QGraphicsRectItem(0, 0, 160, 30);
        note->setPen(Qt::NoPen);
        note->setTransformOriginPoint(80, 15);
        note->setRotation(rotation);
        scene.addItem(note);
        note->setPos(20, 15);
        auto* field = new NoteTextField(true, QString(), DesignFont::system(10, QFont::Bold), note);
        field->setInk(Qt::black, 1);
        field->showText(u"_"_s.repeated(16));
        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(200, 60);
        const QImage image = view.grab().toImage();
        const int paper = 255;
        QList<QPointF> centres; // per column: x, the ink's weighted mean y
        for (int x = 0; x < image.width(); ++x) {
            qreal ink = 0;
            qreal moment = 0;
            for (int y = 0; y < image.height(); ++y) {
                const qreal dark = std::max(0, paper - qGray(image.pixel(x, y)));
                ink += dark;
                moment += dark * y;
            }
            if (ink > 60)
                centres.append({qreal(x), moment / ink});
        }
        QVERIFY(centres.size() > 30);
        centres = centres.mid(3, centres.size() - 6); // the line's ends are drawn lighter
        // Least-squares line through the centres, and how far any centre strays from it.
        qreal sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const QPointF& c : centres) {
            sx += c.x();
            sy += c.y();
            sxx += c.x() * c.x();
            sxy += c.x() * c.y();
        }
        const qreal n = centres.size();
        const qreal slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
        const qreal intercept = (sy - slope * sx) / n;
        qreal worst = 0;
        for (const QPointF& c : centres)
            worst = std::max(worst, std::abs(c.y() - (slope * c.x() + intercept)));
        QVERIFY2(worst < 0.2, qPrintable(QString::number(worst)));
    }

    // Pasting with nothing on the clipboard (a session that has copied nothing yet) inserts
    // nothing and writes nothing; plain text pasted by either key goes in at the caret.
    void pasteTakesThePlainTextOnTheClipboard_data()
    {
        QTest::addColumn<bool>("title");
        QTest::addColumn<bool>("shiftInsert");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty clipboard, Ctrl+V in the title")
            << true << false << QString() << u"isi"_s;
        QTest::newRow("empty clipboard, Shift+Insert in the text")
            << false << true << QString() << u"isi"_s;
        QTest::newRow("lines into the text keep their breaks")
            << false << true << u"a\nb"_s << u"isa\nbi"_s;
        QTest::newRow("lines into the title lose them") << true << false << u"a\nb"_s << u"isabi"_s;
    }
    void pasteTakesThePlainTextOnTheClipboard()
    {
        QFETCH(bool, title);
        QFETCH(bool, shiftInsert);
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        StickyNote note = makeNote(u"A"_s, {20, 60});
        note.title = note.freeformText = u"isi"_s;
        Board b(notesFile({note}));
        NoteTextField* field = title ? b.card(0)->titleField() : b.card(0)->textField();
        if (clipboard.isEmpty()) // as the window system hands it over: data of no format
            QGuiApplication::clipboard()->setMimeData(new QMimeData);
        else
            QGuiApplication::clipboard()->setText(clipboard);
        const ino_t before = b.inode();
        b.focus(field, 2);
        if (shiftInsert)
            b.key(Qt::Key_Insert, Qt::ShiftModifier);
        else
            b.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), expected);
        const StickyNote saved = b.decodedOnDisk().first();
        QCOMPARE(title ? saved.title : saved.freeformText, expected);
        if (clipboard.isEmpty())
            QCOMPARE(b.inode(), before);
    }

    // A note of a megabyte of lines, or one very long line in its text or title, shows at
    // once (only its beginning is laid out until the field is edited) and takes keys; every
    // character of it reaches the file with the key typed, also after the field is left again.
    void longTextsShowAndKeepEveryCharacter_data()
    {
        QTest::addColumn<bool>("title");
        QTest::addColumn<QString>("text");
        QString lines;
        for (int i = 0; lines.size() < 1'000'000; ++i)
            lines += u"baris ke-%1 dari catatan yang sangat panjang\n"_s.arg(i);
        QTest::newRow("a megabyte of lines") << false << lines;
        QTest::newRow("one long line of words")
            << false << u"kata demi kata "_s.repeated(20'000) + u"akhir"_s;
        QTest::newRow("one long word") << false << u"x"_s.repeated(300'000);
        QTest::newRow("one long title") << true << u"judul "_s.repeated(50'000);
    }
    void longTextsShowAndKeepEveryCharacter()
    {
        QFETCH(bool, title);
        QFETCH(QString, text);
        QTest::failOnWarning(QRegularExpression(u"[Pp]ainter|[Pp]ixmap"_s));
        StickyNote note = makeNote(u"A"_s, {20, 60});
        (title ? note.title : note.freeformText) = text;
        Board b(notesFile({note, makeNote(u"B"_s, {220, 150})}));
        NoteTextField* field = title ? b.card(0)->titleField() : b.card(0)->textField();
        QVERIFY(!b.shown(0).isNull());
        b.rendered();
        QCOMPARE(field->text(), text);
        // Nobody edits the field yet: it lays out no more than the beginning a note shows.
        QVERIFY(field->document()->characterCount() < 10'000);

        // To the end as a user goes there: the editor may hold only a stretch of the text.
        b.focus(field, 0);
        b.key(Qt::Key_End, Qt::ControlModifier);
        b.type(u"Z"_s);
        b.shown(0);
        b.rendered();
        const QString typed = text + u"Z"_s;
        const auto saved = [&] {
            const StickyNote n = b.decodedOnDisk().first();
            return title ? n.title : n.freeformText;
        };
        QCOMPARE(saved(), typed);
        b.click(b.card(1)->titleField()); // leaves the long field
        QVERIFY(!field->hasFocus());
        QCOMPARE(field->text(), typed);
        b.type(u"!"_s); // saves the whole list again
        QCOMPARE(saved(), typed);
        QVERIFY(!b.shown(0).isNull());
    }

    // The customiser's palette button shows an open and a closed palette, each with holes
    // that still show at the button's size, never a filled block.
    void paletteGlyphReadsAtItsSize_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::newRow("8.5 points") << 9;
        QTest::newRow("twice that") << 17;
        QTest::newRow("9 points, twice") << 18;
    }
    void paletteGlyphReadsAtItsSize()
    {
        QFETCH(int, pixels);
        const auto inkShare = [](const QImage& image) {
            QRect ink;
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qAlpha(image.pixel(x, y)) > 128) {
                        ink |= QRect(x, y, 1, 1);
                        ++inked;
                    }
                }
            }
            return ink.isEmpty() ? 1.0 : qreal(inked) / (ink.width() * ink.height());
        };
        const QImage closed = Symbols::image(u"paintpalette"_s, pixels, Qt::black);
        const QImage open = Symbols::image(u"paintpalette.fill"_s, pixels, Qt::black);
        QVERIFY(closed != open);
        QVERIFY2(inkShare(closed) < 0.6, qPrintable(QString::number(inkShare(closed))));
        QVERIFY2(inkShare(open) < 0.8, qPrintable(QString::number(inkShare(open))));
        QVERIFY(inkShare(open) > inkShare(closed));
    }

    // The note's palette button draws its glyph on whole device pixels, at one and at two
    // pixels a point, wherever the note lies: no pixel half covered, so it never blurs.
    void paletteButtonLiesOnThePixelGrid_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<bool>("open");
        QTest::newRow("1x, closed") << 1.0 << false;
        QTest::newRow("1x, open") << 1.0 << true;
        QTest::newRow("2x, closed") << 2.0 << false;
        QTest::newRow("2x, open") << 2.0 << true;
    }
    void paletteButtonLiesOnThePixelGrid()
    {
        QFETCH(qreal, ratio);
        QFETCH(bool, open);
        QImage image(QSize(40, 40) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.translate(10.3, 7.6); // a note's place need not be whole
            Symbols::paintOnPixelGrid(painter, open ? u"paintpalette.fill"_s : u"paintpalette"_s,
                                      QRectF(0.2, 0.45, 9, 9), Qt::black);
        }
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = qAlpha(image.pixel(x, y));
                QVERIFY2(alpha == 0 || alpha == 255,
                         qPrintable(u"%1,%2: %3"_s.arg(x).arg(y).arg(alpha)));
                inked += alpha == 255;
            }
        }
        // An outline, or a board with its wells: ink on a good part of the 9-point box.
        QVERIFY2(inked > 9 * 9 * ratio * ratio / 4, qPrintable(QString::number(inked)));
    }

    // A field is kept as a picture: while empty that picture still holds its whole
    // placeholder (also once typed text is taken away again), and the pointer still finds
    // only the text itself.
    void emptyFieldShowsItsWholePlaceholder()
    {
        QGraphicsScene scene(0, 0, 300, 60);
        auto* field = new NoteTextField(true, u"Judul Memo"_s, DesignFont::system(12, QFont::Bold));
        scene.addItem(field);
        field->setPos(10, 10);
        field->setInk(Qt::black, 1);
        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(300, 60);
        const auto inkEnd = [&view] {
            const QImage image = view.grab().toImage();
            int right = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qGray(image.pixel(x, y)) < 200)
                        right = std::max(right, x);
                }
            }
            return right;
        };
        const qreal drawn =
            10 + QFontMetricsF(field->font()).horizontalAdvance(u"Judul Memo"_s) * field->scale();
        QVERIFY2(inkEnd() > drawn - 8, qPrintable(QString::number(inkEnd())));
        field->setPlainText(u"a"_s);
        inkEnd();
        field->setPlainText({});
        QVERIFY2(inkEnd() > drawn - 8, qPrintable(QString::number(inkEnd())));
        QVERIFY(!field->contains(field->mapFromScene(QPointF(drawn - 10, 20))));
    }
};

PONDSILL_TEST(CorkboardTest)
#include "corkboard_test.moc"
