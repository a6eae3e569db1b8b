// Editing a note whose text is one paragraph too long to lay out on every key: what the field
// reports (and so what is saved) is the whole text with exactly the user's edits, wherever in
// the text they land.
#include "corkboard/note_text_field.h"
#include "kit/units.h"
#include "support/scene_input.h"
#include "support/test_registry.h"

#include <QApplication>
#include <QClipboard>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {
// Numbered words, so that any stretch of the text is found in one place only.
QString longParagraph()
{
    QString text;
    for (int i = 0; text.size() < 300'000; ++i)
        text += u"kata%1 "_s.arg(i);
    return text;
}

// A text field on a clipping box in a shown scene, as on a note, with what it reported.
struct Field {
    Field()
    {
        auto* box = new QGraphicsRectItem(0, 0, 200, 200);
        box->setFlag(QGraphicsItem::ItemClipsChildrenToShape);
        scene.addItem(box);
        field = new NoteTextField(false, QString(), DesignFont::system(11), box);
        field->setFieldWidth(200);
        view.show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&scene, &activate);
        QObject::connect(field, &NoteTextField::edited, [this](const QString& text) {
            reported = text;
            ++reports;
        });
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        sendKey(scene, key, modifiers, text);
    }
    void type(const QString& text) { typeText(scene, text); }
    // One named step of an edit: "type" (abc), "bs" and "del" (three times each), "paste",
    // "all", "undo", "redo", "home" and "end" (of the text), "selhome" and "selend".
    void press(const QString& step)
    {
        if (step == u"type")
            type(u"abc"_s);
        else if (step == u"bs" || step == u"del")
            for (int i = 0; i < 3; ++i)
                key(step == u"bs" ? Qt::Key_Backspace : Qt::Key_Delete);
        else if (step == u"paste")
            key(Qt::Key_V, Qt::ControlModifier);
        else if (step == u"all")
            key(Qt::Key_A, Qt::ControlModifier);
        else if (step == u"undo")
            key(Qt::Key_Z, Qt::ControlModifier);
        else if (step == u"redo")
            key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        else if (step == u"home" || step == u"end")
            key(step == u"home" ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
        else if (step == u"selhome" || step == u"selend")
            key(step == u"selhome" ? Qt::Key_Home : Qt::Key_End,
                Qt::ControlModifier | Qt::ShiftModifier);
        else
            QFAIL(qPrintable(u"no such step: "_s + step));
    }
    // Where the editor's text starts in the whole text.
    qsizetype shownFrom() const { return field->text().indexOf(field->document()->toPlainText()); }
    // Puts the caret at `position` of the whole text with the keyboard, letting the editor's
    // stretch follow it.
    void caretTo(qsizetype position)
    {
        for (int step = 0; step < 1000; ++step) {
            const qsizetype from = shownFrom();
            const qsizetype length = field->document()->characterCount() - 1;
            QTextCursor cursor = field->textCursor();
            if (position >= from && position <= from + length) {
                cursor.setPosition(int(position - from));
                field->setTextCursor(cursor);
                return;
            }
            const bool ahead = position > from;
            cursor.setPosition(ahead ? int(length) : 0);
            field->setTextCursor(cursor);
            key(ahead ? Qt::Key_Right : Qt::Key_Left);
        }
        QFAIL("the caret does not reach the position");
    }

    QGraphicsScene scene{0, 0, 220, 220};
    QGraphicsView view{&scene};
    NoteTextField* field = nullptr;
    QString reported;
    int reports = 0;
};
} // namespace

class NoteTextFieldTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editsInALongParagraphKeepTheWholeText_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        const QString text = longParagraph();
        const int size = int(text.size());
        const int middle = size / 2;
        const QString pasted = u"tempel\nbaris"_s;
        const auto insert = [&](int at, const QString& what) {
            return text.left(at) + what + text.mid(at);
        };
        const auto remove = [&](int at, int count) { return text.left(at) + text.mid(at + count); };
        const struct {
            const char* where;
            int at;
        } places[] = {{"start", 0}, {"middle", middle}, {"end", size}};
        for (const auto& place : places) {
            const int at = place.at;
            QTest::addRow("type at the %s", place.where) << at << u"type"_s << insert(at, u"abc"_s);
            QTest::addRow("Backspace at the %s", place.where)
                << at << u"bs"_s << remove(std::max(at - 3, 0), std::min(at, 3));
            QTest::addRow("Delete at the %s", place.where)
                << at << u"del"_s << remove(at, std::min(size - at, 3));
            QTest::addRow("paste at the %s", place.where) << at << u"paste"_s << insert(at, pasted);
            QTest::addRow("Select All and type at the %s", place.where)
                << at << u"all type"_s << u"abc"_s;
            QTest::addRow("Select All and Delete at the %s", place.where)
                << at << u"all del"_s << QString();
            QTest::addRow("type and undo at the %s", place.where) << at << u"type undo"_s << text;
            QTest::addRow("type, undo and redo at the %s", place.where)
                << at << u"type undo redo"_s << insert(at, u"abc"_s);
            QTest::addRow("Select All, type and undo at the %s", place.where)
                << at << u"all type undo"_s << text;
            QTest::addRow("to the end and type, from the %s", place.where)
                << at << u"end type"_s << text + u"abc"_s;
            QTest::addRow("to the start and type, from the %s", place.where)
                << at << u"home type"_s << u"abc"_s + text;
        }
        // The first Delete takes the selection, the next two what follows it.
        QTest::newRow("select to the start and delete, from the middle")
            << middle << u"selhome del"_s << text.mid(middle + 2);
        QTest::newRow("select to the end and type, from the middle")
            << middle << u"selend type"_s << text.left(middle) + u"abc"_s;
        QTest::newRow("Backspace, undo, type again in the middle")
            << middle << u"bs undo type"_s << insert(middle, u"abc"_s);
    }
    void editsInALongParagraphKeepTheWholeText()
    {
        QFETCH(int, caret);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        const QString text = longParagraph();
        Field f;
        f.field->showText(text);
        f.field->setFocus();
        f.caretTo(caret);
        // Moving the caret through the text is no change to it.
        QCOMPARE(f.reports, 0);
        QGuiApplication::clipboard()->setText(u"tempel\nbaris"_s);
        for (const QString& step : keys.split(u' ')) {
            f.press(step);
            f.field->keepCaretVisible({200, 200});
        }
        QCOMPARE(f.field->text(), expected);
        QCOMPARE(f.reports > 0 ? f.reported : text, expected);
        // Left and taken up again, the field still holds every character.
        f.field->clearFocus();
        QCOMPARE(f.field->text(), expected);
        f.field->setFocus();
        QCOMPARE(f.field->text(), expected);
    }

    // A field scrolled down to a caret on its last line comes back up once the text is short
    // again (an undo, a delete): it never shows an empty stretch past the text's end, as if
    // the lines above were gone.
    void aShortenedTextIsNotScrolledPastItsEnd()
    {
        Field f;
        f.field->showText(u"satu\ndua"_s);
        f.field->setFocus();
        f.key(Qt::Key_End, Qt::ControlModifier);
        const QSizeF visible(200, 3 * f.field->lineHeight());
        for (int i = 0; i < 8; ++i) {
            f.key(Qt::Key_Return, Qt::NoModifier, u"\n"_s);
            f.type(u"baris"_s);
            f.field->keepCaretVisible(visible);
        }
        QVERIFY(f.field->pos().y() < 0);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        f.field->keepCaretVisible(visible);
        while (f.field->text() != u"satu\ndua"_s && f.field->document()->isUndoAvailable()) {
            f.key(Qt::Key_Z, Qt::ControlModifier);
            f.field->keepCaretVisible(visible);
        }
        QCOMPARE(f.field->text(), u"satu\ndua"_s);
        QCOMPARE(f.field->pos().y(), 0.0);
    }

    // Each paste is one step back: never joined to the paste or the typing before it, in a
    // short text and in one long enough to be edited through a window.
    void eachPasteIsUndoneOnItsOwn_data()
    {
        QTest::addColumn<bool>("longText");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected"); // what was added at the end of the text
        for (const bool longText : {false, true}) {
            const char* text = longText ? "long" : "short";
            QTest::addRow("%s: paste twice, undo", text)
                << longText << u"paste paste undo"_s << u"tempel"_s;
            QTest::addRow("%s: type, paste, undo", text)
                << longText << u"type paste undo"_s << u"abc"_s;
            QTest::addRow("%s: paste twice, undo twice, redo", text)
                << longText << u"paste paste undo undo redo"_s << u"tempel"_s;
        }
    }
    void eachPasteIsUndoneOnItsOwn()
    {
        QFETCH(bool, longText);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        const QString text = longText ? longParagraph() : u"catatan"_s;
        Field f;
        f.field->showText(text);
        f.field->setFocus();
        f.caretTo(text.size());
        QGuiApplication::clipboard()->setText(u"tempel"_s);
        for (const QString& step : keys.split(u' '))
            f.press(step);
        QCOMPARE(f.field->text(), text + expected);
        QCOMPARE(f.reported, text + expected);
    }

    // Backspace and Delete where the editor's stretch of the text ends take the character
    // beyond it, and the caret goes on from there.
    void keysAtTheEditorsEdgesReachTheTextBeyond()
    {
        QString text = longParagraph();
        Field f;
        f.field->showText(text);
        f.field->setFocus();
        f.caretTo(text.size() / 2);
        // Each key lays out what the editor holds: a stretch of the text, never all of it.
        QVERIFY(f.field->document()->characterCount() < 50'000);
        const qsizetype from = f.shownFrom();
        QVERIFY(from > 0);
        QTextCursor cursor = f.field->textCursor();
        cursor.setPosition(0);
        f.field->setTextCursor(cursor);
        f.key(Qt::Key_Backspace);
        f.type(u"<"_s);
        text.replace(from - 1, 1, u"<"_s);
        QCOMPARE(f.reported, text);

        const qsizetype to = f.shownFrom() + f.field->document()->characterCount() - 1;
        QVERIFY(to < text.size());
        cursor = f.field->textCursor();
        cursor.setPosition(f.field->document()->characterCount() - 1);
        f.field->setTextCursor(cursor);
        f.key(Qt::Key_Delete);
        f.type(u">"_s);
        text.replace(to, 1, u">"_s);
        QCOMPARE(f.reported, text);
        QCOMPARE(f.field->text(), text);
    }
};

PONDSILL_TEST(NoteTextFieldTest)
#include "note_text_field_test.moc"
