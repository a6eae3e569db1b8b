#pragma once

#include "kit/units.h"

#include <QGraphicsTextItem>

#include <vector>

// A plain-text field on a note, edited in place (it turns with a tilted note). It shows
// its placeholder while empty and reports only what the user types: a text set by the
// program (showText) is never reported back, so a reload cannot start a save. Rich text
// pasted or dropped in arrives as plain text; a single-line field drops line breaks.
//
// Only the part of the text that shows is painted, and a field nobody is editing holds just
// the beginning of a very long text, so a note of a megabyte costs nothing to show. While
// it is edited, and whenever its text is taller or wider than a note, the field draws
// straight onto the view: a picture of it would be rebuilt on every key or could not be
// allocated at all. On a tilted note the text is drawn upright and laid at the tilt.
//
// A text with a paragraph too long to lay out again on every key is edited through a window:
// the editor holds a stretch of it round the caret (and the selection) while the rest waits
// aside, and the window follows the caret. Every change is spliced into the whole text, which
// is what edited() reports; moving the window is never reported. Undo and redo then work on
// the whole text through the field's own history, as the editor's would be lost with a move.
class NoteTextField : public QGraphicsTextItem {
    Q_OBJECT
public:
    // The field is scaled so that the text comes out at the font's design size; the sizes
    // it takes and gives are in its parent's units.
    NoteTextField(bool singleLine, QString placeholder, const DesignFont& font,
                  QGraphicsItem* parent = nullptr);

    // Shows `text` unless the field already holds it (so the caret, the selection and an
    // input method's composition are kept). Never reported through edited().
    void showText(const QString& text);
    // The whole text, also the part a field nobody edits leaves out of its document.
    QString text() const;

    void setInk(const QColor& ink, qreal textOpacity);
    // The width the text is laid out in; a single-line field scrolls sideways instead.
    void setFieldWidth(qreal width);
    qreal lineHeight() const;
    // How many lines the text takes (at least one).
    int lineCount() const;
    // How many lines `text` would take in this field while nobody edits it, counted no
    // further than `most` (at least one). Only what such a field holds is laid out, and no
    // more of it than those lines need: a note of one megabyte-long word costs no more than a
    // short one. `laidOut`, when given, learns how many characters were laid out.
    int idleLineCount(const QString& text, int most, qsizetype* laidOut = nullptr) const;
    // Moves the text inside its clipping parent so that the caret stays in view of a box
    // `visibleSize` big.
    void keepCaretVisible(QSizeF visibleSize);

    // The drawing covers the placeholder too; the pointer still finds only the text's own box.
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF& point) const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

Q_SIGNALS:
    void edited(const QString& text);
    void caretMoved();
    // The user starts (true) or stops editing the field.
    void editingChanged(bool editing);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    void onContentsChanged();
    // A change made in the window: spliced into the whole text and kept in the history.
    void onWindowChanged();
    void stripLineBreaks();
    void pastePlainText();
    // Puts `text` into the editor, or only its beginning when the field is not edited and
    // the text is long; never reported through edited().
    void setShownText(const QString& text);
    // Before the user edits: the whole text into the editor, caret and selection kept.
    void holdWholeText();
    // A text with a paragraph this long is edited through a window.
    bool needsWindow(const QString& text) const;
    // Puts the stretch [start, end) of the whole text into the editor with the anchor and the
    // caret at `anchor` and `position` (whole-text positions); never reported.
    void showWindow(int start, int end, int anchor, int position);
    // Moves the window so that it reaches `from` .. `to` (whole-text positions) with room to
    // spare, if it does not already.
    void windowAround(int from, int to, int anchor, int position);
    // As windowAround, round the selection and the caret as they are.
    void followCaret();
    // Puts the window round `from` .. `to` with room to spare, where it is or not.
    void placeWindow(int from, int to, int anchor, int position);
    // The caret's line's top in the field, before the field's scale.
    qreal caretTop() const;
    // Before a key that jumps far or selects everything: the window reaches where it goes.
    void windowForKey(QKeyEvent* event);
    void undoRedoWhole(bool undo);
    void updateWrapMode();
    void updateCacheMode();
    // The part of the field its clipping parent shows, in the field's coordinates.
    QRectF visibleRect() const;
    void paintUpright(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget);

    // The height of a line as the text is laid out, before the field's scale.
    qreal laidLineHeight() const;

    bool m_singleLine;
    QString m_placeholder;
    QString m_shownText;
    QColor m_ink;
    bool m_settingText = false;
    bool m_showsPlaceholder = false;
    bool m_holdsPart = false;
    bool m_wrapsAnywhere = false;

    // While edited through a window: where the window starts in the whole text, how much of
    // it follows the window, and the window's text as the editor last gave it.
    bool m_windowed = false;
    int m_windowStart = 0;
    int m_afterWindow = 0;
    QString m_windowText;
    struct Change {
        int position;
        QString removed;
        QString inserted;
    };
    std::vector<Change> m_undo;
    std::vector<Change> m_redo;
    // Whether the next change may join the last one in the history, as typing does.
    bool m_joinsLast = false;
};
