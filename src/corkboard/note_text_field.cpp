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
// A paragraph longer than this costs too much to lay out again on every key: the text is
// edited through a window of about kWindow characters round the caret, which moves on once
// the caret comes within kWindowEdge of its end.
constexpr int kWindowedParagraph = 32768;
constexpr int kWindow = 16384;
constexpr int kWindowEdge = 2048;
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

// `cut` moved back where it splits no character and no line break in two.
int safeCut(const QString& text, int cut)
{
    cut = std::clamp(cut, 0, int(text.size()));
    while (cut > 0 && cut < text.size() &&
           (text.at(cut - 1).isHighSurrogate() || text.at(cut - 1) == QLatin1Char('\r')))
        --cut;
    return cut;
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
    return m_holdsPart || m_windowed ? m_shownText : toPlainText();
}

void NoteTextField::showText(const QString& text)
{
    if (text == this->text()) {
        m_shownText = text;
        return;
    }
    const QTextCursor before = textCursor();
    const int position = before.position() + (m_windowed ? m_windowStart : 0);
    m_shownText = text;
    if (hasFocus() && needsWindow(text)) {
        // What the history holds no longer fits this text.
        m_undo.clear();
        m_redo.clear();
        const int caret = std::min(position, int(text.size()));
        placeWindow(caret, caret, caret, caret);
        update();
        return;
    }
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
    m_windowed = false;
    m_windowStart = m_afterWindow = 0;
    m_windowText.clear();
    m_undo.clear();
    m_redo.clear();
    // Chosen before the text goes in, so that it is laid out once.
    m_wrapsAnywhere = longestParagraph(shown) > kLongParagraph;
    updateWrapMode();
    setPlainText(shown);
    if (!document()->isUndoRedoEnabled())
        document()->setUndoRedoEnabled(true);
    m_settingText = false;
    updateCacheMode();
}

void NoteTextField::holdWholeText()
{
    if (!m_holdsPart)
        return;
    const QTextCursor before = textCursor();
    if (needsWindow(m_shownText)) {
        // The part held is the text's beginning: its positions are the whole text's.
        placeWindow(std::min(before.anchor(), before.position()),
                    std::max(before.anchor(), before.position()), before.anchor(),
                    before.position());
        updateCacheMode();
        return;
    }
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

bool NoteTextField::needsWindow(const QString& text) const
{
    return !m_singleLine && text.size() > kWindowedParagraph &&
           longestParagraph(text) > kWindowedParagraph;
}

qreal NoteTextField::caretTop() const
{
    const QTextCursor cursor = textCursor();
    const QTextLayout* layout = cursor.block().layout();
    if (!layout || layout->lineCount() == 0)
        return 0;
    const QTextLine line = layout->lineForTextPosition(cursor.positionInBlock());
    return layout->position().y() + (line.isValid() ? line.y() : 0);
}

void NoteTextField::showWindow(int start, int end, int anchor, int position)
{
    const bool keepsPlace = m_windowed && hasFocus();
    const qreal topBefore = keepsPlace ? caretTop() : 0;
    const QString window = m_shownText.mid(start, end - start);
    m_settingText = true;
    m_holdsPart = false;
    m_windowed = true;
    m_windowStart = start;
    m_afterWindow = int(m_shownText.size()) - end;
    m_wrapsAnywhere = longestParagraph(window) > kLongParagraph;
    updateWrapMode();
    // The editor's own history would not survive the window's moves; the field keeps one.
    if (document()->isUndoRedoEnabled())
        document()->setUndoRedoEnabled(false);
    setPlainText(window);
    m_windowText = toPlainText();
    m_settingText = false;
    m_joinsLast = false;
    const int last = int(document()->characterCount()) - 1;
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(anchor - start, 0, last));
    cursor.setPosition(std::clamp(position - start, 0, last), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    // The caret's line stays where it showed, though the lines above it changed.
    if (keepsPlace && !m_singleLine)
        setPos(pos().x(), pos().y() - (caretTop() - topBefore) * scale());
    updateCacheMode();
    update();
}

void NoteTextField::placeWindow(int from, int to, int anchor, int position)
{
    const int start = safeCut(m_shownText, from - kWindow / 2);
    int end = std::min(int(m_shownText.size()), to + kWindow / 2);
    end = std::max(safeCut(m_shownText, end), std::min(to, int(m_shownText.size())));
    showWindow(start, end, anchor, position);
}

void NoteTextField::windowAround(int from, int to, int anchor, int position)
{
    if (!m_windowed)
        return;
    const int size = int(m_shownText.size());
    const int end = size - m_afterWindow;
    const bool nearStart = m_windowStart > 0 && from < m_windowStart + kWindowEdge;
    const bool nearEnd = end < size && to > end - kWindowEdge;
    // A window left wide by a selection that is gone again.
    const bool tooWide = end - m_windowStart > 4 * kWindow && to - from < kWindow;
    if (nearStart || nearEnd || tooWide)
        placeWindow(from, to, anchor, position);
}

void NoteTextField::followCaret()
{
    if (!m_windowed)
        return;
    const QTextCursor cursor = textCursor();
    const int anchor = m_windowStart + cursor.anchor();
    const int position = m_windowStart + cursor.position();
    windowAround(std::min(anchor, position), std::max(anchor, position), anchor, position);
}

void NoteTextField::windowForKey(QKeyEvent* event)
{
    const QTextCursor cursor = textCursor();
    const int anchor = m_windowStart + cursor.anchor();
    const int position = m_windowStart + cursor.position();
    const int size = int(m_shownText.size());
    if (event->matches(QKeySequence::SelectAll)) {
        if (m_windowStart > 0 || m_afterWindow > 0)
            showWindow(0, size, anchor, position);
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        windowAround(0, 0, 0, 0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        windowAround(size, size, size, size);
    } else if (event->matches(QKeySequence::SelectStartOfDocument)) {
        windowAround(0, std::max(anchor, position), anchor, position);
    } else if (event->matches(QKeySequence::SelectEndOfDocument)) {
        windowAround(std::min(anchor, position), size, anchor, position);
    } else {
        // A selection made with the pointer may reach the window's edge.
        followCaret();
    }
}

void NoteTextField::undoRedoWhole(bool undo)
{
    std::vector<Change>& from = undo ? m_undo : m_redo;
    std::vector<Change>& to = undo ? m_redo : m_undo;
    if (from.empty())
        return;
    const Change change = from.back();
    from.pop_back();
    // The change was made to the text as it is: anything else means the history is stale,
    // and it is dropped rather than applied to a text it does not fit.
    if (change.position + change.inserted.size() > m_shownText.size() ||
        QStringView(m_shownText).mid(change.position, change.inserted.size()) != change.inserted) {
        m_undo.clear();
        m_redo.clear();
        return;
    }
    m_shownText.replace(change.position, change.inserted.size(), change.removed);
    to.push_back({change.position, change.inserted, change.removed});
    const int caret = change.position + int(change.removed.size());
    placeWindow(change.position, caret, caret, caret);
    Q_EMIT edited(m_shownText);
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

int NoteTextField::idleLineCount(const QString& whole, int most, qsizetype* laidOut) const
{
    most = std::max(most, 1);
    // What a field nobody edits holds: the text's beginning (setShownText).
    const QString text = whole.left(safeCut(whole, kHeldWhileIdle));
    QTextOption option = document()->defaultTextOption();
    if (!m_singleLine) {
        option.setWrapMode(longestParagraph(text) > kLongParagraph
                               ? QTextOption::WrapAnywhere
                               : QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
    const qreal width = textWidth() > 0 ? textWidth() : 1e6;
    int lines = 0;
    qsizetype laid = 0;
    for (int start = 0; start <= text.size() && lines <= most;) {
        int end = start;
        while (end < text.size() && !isLineBreak(text.at(end)))
            ++end;
        const QString paragraph = text.mid(start, end - start);
        // The lines still wanted need only the characters that can fill them: a longer stretch
        // of the paragraph is laid out only when a shorter one did not make them.
        const int wanted = most - lines + 1;
        int take = std::min(int(paragraph.size()), 256);
        int count = 0;
        for (;;) {
            const QString part = paragraph.left(safeCut(paragraph, take));
            QTextLayout layout(part, font());
            layout.setTextOption(option);
            layout.beginLayout();
            count = 0;
            for (QTextLine line = layout.createLine(); line.isValid() && count < wanted;
                 line = layout.createLine()) {
                line.setLineWidth(width);
                ++count;
            }
            layout.endLayout();
            laid += part.size();
            if (count >= wanted || take >= paragraph.size())
                break;
            take = std::min(int(paragraph.size()), take * 4);
        }
        lines += std::max(count, 1);
        start = end + 1;
    }
    if (laidOut)
        *laidOut = laid;
    return std::clamp(lines, 1, most);
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
        // Never scrolled past the text's end: after an undo or a delete that shortened it, the
        // lines above come back into view instead of the field showing only its last one.
        dy = std::min(dy, document()->size().height() * scale() - visibleSize.height());
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
    // On a tilted note the caret is drawn in the ink, as Qt cannot invert the paper under it.
    Painting::drawUpright(
        *painter, area, [&](QPainter& p) { paintUpright(&p, &plain, widget); }, m_ink);
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
    if (m_windowed) {
        const bool undo = event->matches(QKeySequence::Undo);
        if (undo || event->matches(QKeySequence::Redo)) {
            undoRedoWhole(undo);
            event->accept();
            Q_EMIT caretMoved();
            return;
        }
        windowForKey(event);
    }
    if (event->matches(QKeySequence::Paste)) {
        pastePlainText();
        event->accept();
    } else {
        QGraphicsTextItem::keyPressEvent(event);
    }
    followCaret();
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
    // A step of the history of its own, never joined to the typing or the paste before it
    // (typing straight on joins it, as it joins any insertion in Qt's editors).
    m_joinsLast = false;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(pasted);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void NoteTextField::inputMethodEvent(QInputMethodEvent* event)
{
    holdWholeText();
    QGraphicsTextItem::inputMethodEvent(event);
    if (event->preeditString().isEmpty())
        followCaret();
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
    Q_EMIT editingChanged(true);
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
    if (!hasFocus() && (m_windowed || m_shownText.size() > kHeldWhileIdle))
        setShownText(m_shownText);
    updateCacheMode();
    Q_EMIT caretMoved();
    Q_EMIT editingChanged(false);
}

void NoteTextField::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    // A drop edits the text without giving the field focus.
    holdWholeText();
    QGraphicsTextItem::dragEnterEvent(event);
}

void NoteTextField::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    // The menu's Select All and Delete act on what the editor holds: all of the text.
    if (m_windowed && (m_windowStart > 0 || m_afterWindow > 0)) {
        const QTextCursor cursor = textCursor();
        showWindow(0, int(m_shownText.size()), m_windowStart + cursor.anchor(),
                   m_windowStart + cursor.position());
    }
    QGraphicsTextItem::contextMenuEvent(event);
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
    if (m_windowed) {
        onWindowChanged();
        return;
    }
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

void NoteTextField::onWindowChanged()
{
    const bool anywhere = longestParagraph(*document()) > kLongParagraph;
    if (anywhere != m_wrapsAnywhere) {
        m_wrapsAnywhere = anywhere;
        updateWrapMode();
    }
    const QString now = toPlainText();
    if (now == m_windowText)
        return;
    // What changed, as the stretch that differs between the window before and now.
    const qsizetype shorter = std::min(now.size(), m_windowText.size());
    qsizetype head = 0;
    while (head < shorter && now.at(head) == m_windowText.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           now.at(now.size() - 1 - tail) == m_windowText.at(m_windowText.size() - 1 - tail))
        ++tail;
    Change change{m_windowStart + int(head),
                  m_windowText.mid(head, m_windowText.size() - head - tail),
                  now.mid(head, now.size() - head - tail)};
    Change* last = m_joinsLast && !m_undo.empty() ? &m_undo.back() : nullptr;
    if (last && change.removed.isEmpty() &&
        change.position == last->position + last->inserted.size()) {
        last->inserted += change.inserted; // typing on, also over what was selected
    } else if (last && change.inserted.isEmpty() && last->inserted.isEmpty() &&
               change.position + change.removed.size() == last->position) {
        last->position = change.position; // Backspace on
        last->removed.prepend(change.removed);
    } else if (last && change.inserted.isEmpty() && last->inserted.isEmpty() &&
               change.position == last->position) {
        last->removed += change.removed; // Delete on
    } else {
        m_undo.push_back(std::move(change));
    }
    m_joinsLast = true;
    m_redo.clear();
    m_shownText = m_shownText.left(m_windowStart) + now + m_shownText.right(m_afterWindow);
    m_windowText = now;
    Q_EMIT edited(m_shownText);
}
