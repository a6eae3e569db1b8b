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
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
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
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&scene, &press);
    }
    void type(const QString& text)
    {
        for (const QChar c : text)
            key(0, Qt::NoModifier, QString(c));
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
