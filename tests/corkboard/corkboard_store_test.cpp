// What the board writes to notes.json and what it keeps when the file changes under it.
#include "board_fixture.h"
#include "support/test_registry.h"

#include <QClipboard>
#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTextDocument>

#include <sys/mount.h>
#include <unistd.h>

namespace {
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

// Makes the folder at `path` refuse writes and take them again: by its mode, or for root
// (whom modes do not stop) by mounting the folder over itself read-only. False when
// neither works here.
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
} // namespace

class CorkboardStoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each edit on the board changes its own field on disk and keeps every other field,
    // the tasks and the mode the board never shows included.
    void editsKeepEveryOtherField_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("title") << u"title"_s;
        QTest::newRow("text") << u"text"_s;
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
        QCOMPARE(onDisk.first().title, expected.title);
        QCOMPARE(onDisk.first().freeformText, expected.freeformText);
        QVERIFY(onDisk.first() == expected);
        QCOMPARE(QDir(b.storage->paths().root).entryList({u"notes.json*"_s}, QDir::Files),
                 QStringList{u"notes.json"_s}); // no temporary file left behind
    }

    // A save that fails keeps the notes in memory; the next change, once the folder takes
    // writes again, saves everything typed meanwhile.
    void failedSaveIsRetriedOnTheNextChange()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60})}));
        const QString root = b.storage->paths().root;
        const QByteArray before = b.notesOnDisk();
        if (!setWritable(root, false))
            QSKIP("cannot make the storage folder read-only here");
        b.focus(b.card(0)->titleField(), 1);
        b.type(u"bc"_s);
        QCOMPARE(b.note(0).title, u"Abc"_s);
        QCOMPARE(b.notesOnDisk(), before);
        b.storage->reloadAll(); // a folder event meanwhile must not bring the old text back
        QCOMPARE(b.note(0).title, u"Abc"_s);
        QCOMPARE(b.card(0)->titleField()->text(), u"Abc"_s);

        QVERIFY(setWritable(root, true));
        b.type(u"d"_s);
        QCOMPARE(b.decodedOnDisk().first().title, u"Abcd"_s);
    }

    // One write per keystroke; none when the program sets a text (a reload, a note shown
    // again).
    void writesOnlyForTheUsersEdits()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 60})}));
        QSignalSpy changes(b.storage.get(), &StorageManager::stickyNotesChanged);
        b.focus(b.card(0)->textField(), 0);
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
    }

    // A reload that finds the file as it was last written changes nothing on the board:
    // the editor being typed in keeps its text and caret. A real change from outside is
    // shown in place: the note's views stay, only the text changes.
    void reloadKeepsTheEditorsAndShowsOutsideEdits()
    {
        Board b(notesFile({makeNote(u"A"_s, {20, 60}), makeNote(u"B"_s, {220, 60})}));
        NoteTextField* typing = b.card(0)->textField();
        b.focus(typing, 2);
        b.type(u"--"_s);
        const QString typed = typing->text();
        DraggableStickyNote* other = b.noteView(1);

        b.storage->reloadAll();
        QCOMPARE(b.card(0)->textField(), typing);
        QCOMPARE(typing->text(), typed);
        QCOMPARE(typing->textCursor().position(), 4);
        QVERIFY(typing->hasFocus());

        StickyNotes outside = b.storage->stickyNotes();
        outside[1].title = u"diubah di luar"_s;
        writeFile(b.notesPath(), notesFile(outside));
        const ino_t written = b.inode();
        b.storage->reloadAll();
        QCOMPARE(b.noteView(1), other);
        QCOMPARE(other->card()->titleField()->text(), u"diubah di luar"_s);
        QCOMPARE(b.card(0)->textField(), typing);
        QCOMPARE(typing->textCursor().position(), 4);
        QCOMPARE(b.inode(), written); // showing the reload wrote nothing
    }

    // Pasted rich text arrives as plain text; the title takes no line breaks.
    void pastedTextIsPlain()
    {
        Board b(notesFile({makeNote(QString(), {20, 60})}));
        NoteTextField* title = b.card(0)->titleField();
        b.focus(title, 0);
        auto* data = new QMimeData;
        data->setHtml(u"<b>tebal</b><br>baris<img src=\"x.png\">"_s);
        data->setText(u"tebal\nbaris"_s);
        QGuiApplication::clipboard()->setMimeData(data);
        b.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(title->text(), u"tebalbaris"_s);
        QCOMPARE(b.decodedOnDisk().first().title, u"tebalbaris"_s);
        QVERIFY(!title->document()->toHtml().contains(u"<img"_s));
    }
};

PONDSILL_TEST(CorkboardStoreTest)
#include "corkboard_store_test.moc"
