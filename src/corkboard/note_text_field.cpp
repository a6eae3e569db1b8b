#include "corkboard/note_text_field.h"

#include "kit/upright_drawing.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {
// A field nobody edits holds this many characters of a longer text: more than a note shows.
constexpr int kHeldWhileIdle = 4096;
// A paragraph longer than this is wrapped anywhere: breaking it at word boundaries costs
// time that grows with the square of its longest word.
constexpr int kLongParagraph = 8192;
// A field whose text reaches past this (points, either way) is not kept as a picture.
constexpr qreal kCachedSide = 400;

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

int longestParagraph(const QString& text)
{
    int longest = 0;
    int start = 0;
    for (int i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isLineBreak(text.at(i))) {
            longest = std::max(longest, i - start);
            start = i + 1;
        }
    }
    return longest;
}

int longestParagraph(const QTextDocument& document)
{
    int longest = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        longest = std::max(longest, block.length());
    return longest;
}
} // namespace

NoteTextField::NoteTextField(bool singleLine, QString placeholder, const DesignFont& font,
                             QGraphicsItem* parent)
    : QGraphicsTextItem(parent), m_singleLine(singleLine), m_placeholder(std::move(placeholder))
{
    setFont(font.loadedFont());
    setScale(font.scale());
    document()->setDocumentMargin(0);
    QTextOption option = document()->defaultTextOption();
    option.setWrapMode(singleLine ? QTextOption::NoWrap
                                  : QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDefaultTextOption(option);
    document()->setUndoRedoEnabled(true);
    setTextInteractionFlags(Qt::TextEditorInteraction);
    // The editing control is a child object; it must take pasted and dropped rich text as
    // plain text, as a note holds nothing else.
    for (QObject* child : children()) {
        if (child->metaObject()->indexOfProperty("acceptRichText") >= 0)
            child->setProperty("acceptRichText", false);
    }
    connect(document(), &QTextDocument::contentsChanged, this, &NoteTextField::onContentsChanged);
    m_showsPlaceholder = !m_placeholder.isEmpty();
    updateCacheMode();
}

QRectF NoteTextField::boundingRect() const
{
    const QRectF text = QGraphicsTextItem::boundingRect();
    if (!m_showsPlaceholder)
        return text;
    // As the placeholder is drawn below, with room for the glyphs' overhang.
    const QFontMetricsF metrics(font());
    return text | QRectF(0, 0, metrics.horizontalAdvance(m_placeholder) + metrics.height(),
                         std::max(laidLineHeight(), metrics.height()));
}

QPainterPath NoteTextField::shape() const
{
    QPainterPath path;
    path.addRect(QGraphicsTextItem::boundingRect());
    return path;
}

bool NoteTextField::contains(const QPointF& point) const
{
    return QGraphicsTextItem::boundingRect().contains(point);
}

QString NoteTextField::text() const
{
    return m_holdsPart ? m_shownText : toPlainText();
}

void NoteTextField::showText(const QString& text)
{
    if (text == this->text()) {
        m_shownText = text;
        return;
    }
    const QTextCursor before = textCursor();
    const int position = before.position();
    m_shownText = text;
    setShownText(text);
    if (hasFocus()) {
        QTextCursor cursor(document());
        cursor.setPosition(std::min(position, int(text.size())));
        setTextCursor(cursor);
    }
    update();
}

void NoteTextField::setShownText(const QString& text)
{
    const bool part = !hasFocus() && text.size() > kHeldWhileIdle;
    int cut = int(text.size());
    if (part) {
        cut = kHeldWhileIdle;
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
    }
    const QString shown = part ? text.left(cut) : text;
    m_settingText = true;
    m_holdsPart = part;
    // Chosen before the text goes in, so that it is laid out once.
    m_wrapsAnywhere = longestParagraph(shown) > kLongParagraph;
    updateWrapMode();
    setPlainText(shown);
    m_settingText = false;
    updateCacheMode();
}

void NoteTextField::holdWholeText()
{
    if (!m_holdsPart)
        return;
    const QTextCursor before = textCursor();
    m_settingText = true;
    m_holdsPart = false;
    m_wrapsAnywhere = longestParagraph(m_shownText) > kLongParagraph;
    updateWrapMode();
    setPlainText(m_shownText);
    m_settingText = false;
    // The part held is the text's beginning, so every position in it is still the same.
    QTextCursor cursor(document());
    cursor.setPosition(before.anchor());
    cursor.setPosition(before.position(), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    updateCacheMode();
}

void NoteTextField::updateWrapMode()
{
    if (m_singleLine)
        return;
    const QTextOption::WrapMode mode =
        m_wrapsAnywhere ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    QTextOption option = document()->defaultTextOption();
    if (option.wrapMode() == mode)
        return;
    option.setWrapMode(mode);
    document()->setDefaultTextOption(option);
}

void NoteTextField::updateCacheMode()
{
    // A still field is kept as a picture: a repaint of the room over a still note copies
    // its text instead of drawing it again.
    bool cached = !hasFocus() && !m_holdsPart;
    if (cached) {
        const QRectF text = QGraphicsTextItem::boundingRect();
        cached = text.width() * scale() <= kCachedSide && text.height() * scale() <= kCachedSide;
    }
    const CacheMode mode = cached ? DeviceCoordinateCache : NoCache;
    if (mode != cacheMode())
        setCacheMode(mode);
}

QRectF NoteTextField::visibleRect() const
{
    QRectF r = boundingRect();
    const QGraphicsItem* parent = parentItem();
    if (parent && (parent->flags() & ItemClipsChildrenToShape))
        r &= mapRectFromParent(parent->boundingRect());
    return r;
}

void NoteTextField::setInk(const QColor& ink, qreal textOpacity)
{
    QColor c = ink;
    c.setAlphaF(float(c.alphaF() * textOpacity));
    if (c == m_ink)
        return;
    m_ink = c;
    setDefaultTextColor(c);
}

void NoteTextField::setFieldWidth(qreal width)
{
    if (m_singleLine)
        return;
    if (!qFuzzyCompare(textWidth(), width / scale())) {
        setTextWidth(width / scale());
        updateCacheMode();
    }
}

qreal NoteTextField::lineHeight() const
{
    return laidLineHeight() * scale();
}

qreal NoteTextField::laidLineHeight() const
{
    // The height the layout gives a line, which can exceed the font's line spacing.
    const QTextLayout* layout = document()->firstBlock().layout();
    if (layout && layout->lineCount() > 0)
        return layout->lineAt(0).height();
    return QFontMetricsF(font()).height();
}

int NoteTextField::lineCount() const
{
    int lines = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        lines += layout && layout->lineCount() > 0 ? layout->lineCount() : 1;
    }
    return std::max(lines, 1);
}

void NoteTextField::keepCaretVisible(QSizeF visibleSize)
{
    const QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    const QTextLayout* layout = block.layout();
    QPointF shift = pos();
    if (!layout || layout->lineCount() == 0 || !hasFocus()) {
        if (!hasFocus())
            setPos(0, 0);
        return;
    }
    const int inBlock = cursor.positionInBlock();
    const QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid())
        return;
    const qreal x = (layout->position().x() + line.cursorToX(inBlock)) * scale();
    const qreal top = (layout->position().y() + line.y()) * scale();
    const qreal bottom = top + line.height() * scale();
    if (m_singleLine) {
        qreal dx = -shift.x();
        if (x - dx > visibleSize.width() - 2)
            dx = x - visibleSize.width() + 2;
        if (x - dx < 0)
            dx = x;
        shift.setX(-std::max(dx, qreal(0)));
    } else {
        qreal dy = -shift.y();
        if (bottom - dy > visibleSize.height())
            dy = bottom - visibleSize.height();
        if (top - dy < 0)
            dy = top;
        shift.setY(-std::max(dy, qreal(0)));
    }
    if (shift != pos())
        setPos(shift);
}

void NoteTextField::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                          QWidget* widget)
{
    // The field draws no frame of its own round the text while it has focus.
    QStyleOptionGraphicsItem plain(*option);
    plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    // Drawn straight onto the view: only what its clipping parent shows. (A picture of the
    // field is made of all of it, as the field moves inside its parent.)
    if (cacheMode() == NoCache)
        plain.exposedRect &= visibleRect();
    const QRectF area = plain.exposedRect;
    if (area.isEmpty())
        return;
    Painting::drawUpright(*painter, area, [&](QPainter& p) { paintUpright(&p, &plain, widget); });
}

void NoteTextField::paintUpright(QPainter* painter, const QStyleOptionGraphicsItem* option,
                                 QWidget* widget)
{
    if (document()->isEmpty() && !m_placeholder.isEmpty()) {
        painter->save();
        painter->setFont(font());
        QColor c = m_ink;
        c.setAlphaF(c.alphaF() * 0.4f);
        painter->setPen(c);
        painter->drawText(QRectF(0, 0, 400, laidLineHeight()), Qt::AlignLeft | Qt::AlignTop,
                          m_placeholder);
        painter->restore();
    }
    QGraphicsTextItem::paint(painter, option, widget);
}

void NoteTextField::keyPressEvent(QKeyEvent* event)
{
    holdWholeText();
    if (m_singleLine && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        clearFocus();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        clearFocus();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pastePlainText();
        event->accept();
        Q_EMIT caretMoved();
        return;
    }
    QGraphicsTextItem::keyPressEvent(event);
    Q_EMIT caretMoved();
}

void NoteTextField::pastePlainText()
{
    // Read here rather than by the editing control, which takes the clipboard's data for
    // granted: a session that has copied nothing yet has none.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QString pasted = clipboard ? clipboard->text() : QString();
    if (pasted.isEmpty())
        return;
    QTextCursor cursor = textCursor();
    cursor.insertText(pasted);
    setTextCursor(cursor);
}

void NoteTextField::inputMethodEvent(QInputMethodEvent* event)
{
    holdWholeText();
    QGraphicsTextItem::inputMethodEvent(event);
    Q_EMIT caretMoved();
}

void NoteTextField::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    holdWholeText();
    QGraphicsTextItem::mousePressEvent(event);
    Q_EMIT caretMoved();
}

void NoteTextField::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsTextItem::mouseMoveEvent(event);
    Q_EMIT caretMoved();
}

void NoteTextField::focusInEvent(QFocusEvent* event)
{
    holdWholeText();
    updateCacheMode();
    QGraphicsTextItem::focusInEvent(event);
}

void NoteTextField::focusOutEvent(QFocusEvent* event)
{
    QGraphicsTextItem::focusOutEvent(event);
    // Leave no selection behind on a field nobody is editing.
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.clearSelection();
        setTextCursor(cursor);
    }
    if (!hasFocus() && m_shownText.size() > kHeldWhileIdle)
        setShownText(m_shownText);
    updateCacheMode();
    Q_EMIT caretMoved();
}

void NoteTextField::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    // A drop edits the text without giving the field focus.
    holdWholeText();
    QGraphicsTextItem::dragEnterEvent(event);
}

void NoteTextField::stripLineBreaks()
{
    QTextCursor cursor(document());
    // From the end, so earlier positions stay valid.
    for (int i = int(document()->characterCount()) - 1; i >= 0; --i) {
        const QChar c = document()->characterAt(i);
        if (!isLineBreak(c) || i == document()->characterCount() - 1)
            continue;
        cursor.setPosition(i);
        cursor.deleteChar();
    }
}

void NoteTextField::onContentsChanged()
{
    // The placeholder reaches past the text's own bounds; the bounds follow it however the
    // text changed.
    const bool showsPlaceholder = document()->isEmpty() && !m_placeholder.isEmpty();
    if (showsPlaceholder != m_showsPlaceholder) {
        prepareGeometryChange();
        m_showsPlaceholder = showsPlaceholder;
    }
    if (m_settingText)
        return;
    // Only the beginning is held: reporting it would cut the rest of the note off. The
    // whole text is put in before anything the user does can edit it.
    if (m_holdsPart)
        return;
    if (m_singleLine) {
        bool hasBreak = document()->blockCount() > 1;
        const QString raw = document()->toRawText();
        for (const QChar c : raw)
            hasBreak = hasBreak || isLineBreak(c);
        if (hasBreak) {
            m_settingText = true;
            stripLineBreaks();
            m_settingText = false;
        }
    }
    const bool anywhere = !m_singleLine && longestParagraph(*document()) > kLongParagraph;
    if (anywhere != m_wrapsAnywhere) {
        m_wrapsAnywhere = anywhere;
        updateWrapMode();
    }
    const QString now = toPlainText();
    if (now == m_shownText)
        return;
    m_shownText = now;
    Q_EMIT edited(now);
}
