#pragma once

#include "kit/units.h"

#include <QGraphicsTextItem>

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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    void onContentsChanged();
    void stripLineBreaks();
    void pastePlainText();
    // Puts `text` into the editor, or only its beginning when the field is not edited and
    // the text is long; never reported through edited().
    void setShownText(const QString& text);
    // Before the user edits: the whole text into the editor, caret and selection kept.
    void holdWholeText();
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
};
