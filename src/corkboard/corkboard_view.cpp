#include "corkboard/corkboard_view.h"

#include "corkboard/corkboard_header_view.h"
#include "corkboard/draggable_sticky_note.h"
#include "corkboard/note_text_field.h"
#include "corkboard/sticky_note_card_view.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "state/app_state.h"
#include "state/tolvane_colors.h"
#include "storage/storage_manager.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPainter>
#include <QRegion>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {
constexpr qreal kStickerZ = 1;
constexpr qreal kHeaderZ = 2;
constexpr qreal kNotesZ = 10;
constexpr qreal kButtonZ = 100000;

const QString& memoText()
{
    static const QString text = QStringLiteral("Memo");
    return text;
}

QFont memoFont()
{
    return Units::systemFont(9, QFont::Bold);
}

// The "Memo" button: a lime capsule with a plus and the word.
const QString& unsavedText()
{
    static const QString text = QStringLiteral("Catatan tidak bisa disimpan");
    return text;
}

// The line the board shows while the notes cannot be saved: a red mark with "!" and the
// words on a white capsule. Takes no pointer.
class UnsavedMark : public RoomItem {
public:
    explicit UnsavedMark(QGraphicsItem* parent) : RoomItem(parent)
    {
        const QFontMetricsF metrics(memoFont());
        setSize({6 + 12 + 4 + metrics.horizontalAdvance(unsavedText()) + 8,
                 std::max(qreal(12), metrics.height()) + 6});
        stopTakingPointer(this);
    }

    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const QRectF r(QPointF(), size());
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(Colors::withOpacity(Qt::white, 0.92));
        p->drawPath(Painting::capsule(r));
        const QRectF mark(r.left() + 6, r.center().y() - 6, 12, 12);
        p->setBrush(QColor(0xD9, 0x2D, 0x20));
        p->drawEllipse(mark);
        QFont bang = memoFont();
        p->setFont(bang);
        p->setPen(Qt::white);
        p->drawText(mark, Qt::AlignCenter, QStringLiteral("!"));
        p->setPen(TOLVANEColors::ink());
        p->drawText(QRectF(mark.right() + 4, r.top(), r.right() - mark.right() - 4, r.height()),
                    Qt::AlignLeft | Qt::AlignVCenter, unsavedText());
        p->restore();
    }
};

ButtonItem* makeAddButton(std::function<void()> action, QGraphicsItem* parent)
{
    auto shadow = std::make_shared<ShapeShadow>();
    auto* button = new ButtonItem(
        [shadow](QPainter& p, const QRectF& r) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            const QPainterPath capsule = Painting::capsule(r);
            shadow->paint(p, capsule, {Colors::black(0.2), 2, QPointF(0, 1)});
            p.setPen(Qt::NoPen);
            p.setBrush(TOLVANEColors::highlighterGreen());
            p.drawPath(capsule);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Colors::withOpacity(TOLVANEColors::ink(), 0.18), 1, Qt::SolidLine,
                          Qt::FlatCap, Qt::MiterJoin));
            p.drawPath(Painting::capsule(r.adjusted(0.5, 0.5, -0.5, -0.5)));
            const qreal textWidth = QFontMetricsF(memoFont()).horizontalAdvance(memoText());
            const QRectF glyph(r.left() + 9, r.center().y() - 6, 12, 12);
            Symbols::paint(p, QStringLiteral("plus.circle.fill"), glyph, TOLVANEColors::ink());
            p.setFont(memoFont());
            p.setPen(TOLVANEColors::ink());
            p.drawText(QRectF(glyph.right() + 4, r.top(), textWidth + 1, r.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, memoText());
            p.restore();
        },
        std::move(action), parent);
    const QFontMetricsF metrics(memoFont());
    const qreal labelHeight = std::max(qreal(12), metrics.height());
    button->setSize({9 + 12 + 4 + metrics.horizontalAdvance(memoText()) + 9, labelHeight + 8});
    button->setPaintMargins(QMarginsF(3, 2, 3, 4));
    button->gestures().setToolTip(QStringLiteral("Tambah Catatan / To-Do List Baru"));
    return button;
}
} // namespace

CorkboardView::CorkboardView(StorageManager& storage, AppState& appState,
                             std::function<RoomItem*()> sticker, QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_appState(appState), m_model(storage)
{
    // The bare board: a click here closes an open customiser.
    gestures().onTap([this] { backgroundClicked(); });

    if (sticker) {
        m_sticker = sticker();
        m_sticker->setParentItem(this);
        m_sticker->setZValue(kStickerZ);
    }
    m_header = new BismillahCalligraphyHeaderView(this);
    m_header->setZValue(kHeaderZ);
    m_addButton = makeAddButton([this] { addNote(); }, this);
    m_addButton->setZValue(kButtonZ);
    m_unsavedMark = new UnsavedMark(this);
    m_unsavedMark->setZValue(kButtonZ);
    m_unsavedMark->setVisible(m_storage.areNotesUnsaved());
    connect(&m_storage, &StorageManager::areNotesUnsavedChanged, this,
            [this] { m_unsavedMark->setVisible(m_storage.areNotesUnsaved()); });

    connect(&m_storage, &StorageManager::stickyNotesChanged, this, &CorkboardView::syncNotes);
    // What the dragged note covered shows while it moves.
    connect(&m_appState, &AppState::draggingNoteIdChanged, this, &CorkboardView::syncNotes);
    syncNotes();
}

QList<DraggableStickyNote*> CorkboardView::noteViews() const
{
    QList<DraggableStickyNote*> views;
    for (const StickyNote& note : m_storage.stickyNotes()) {
        if (DraggableStickyNote* view = m_notes.value(note.id); view && !views.contains(view))
            views.append(view);
    }
    return views;
}

void CorkboardView::addNote()
{
    withAnimation(Animation::spring(0.35, 0.75), [this] { m_model.add(); });
}

void CorkboardView::deleteNote(const QUuid& id)
{
    if (m_appState.activeNoteCustomizerId() == id) {
        withoutAnimation([this] { m_appState.setActiveNoteCustomizerId(std::nullopt); });
    }
    m_model.remove(id);
}

void CorkboardView::saveNotes()
{
    m_model.save();
}

void CorkboardView::backgroundClicked()
{
    if (!m_appState.activeNoteCustomizerId())
        return;
    withAnimation(Animation::spring(0.25, 0.8),
                  [this] { m_appState.setActiveNoteCustomizerId(std::nullopt); });
}

namespace {
// A card's text grows from this many lines to the next.
constexpr int kFewestTextLines = 3;
constexpr int kMostTextLines = 14;

// The card of `size` shown at `shown` and turned by `degrees` as the note view turns it:
// about `centre`, by default the middle of the card as it lies at the board's corner.
QPolygonF turnedCard(QPointF shown, QSizeF size, qreal degrees,
                     std::optional<QPointF> centre = std::nullopt)
{
    const QPointF c = centre.value_or(QPointF(size.width() / 2, size.height() / 2));
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(degrees);
    t.translate(shown.x() - c.x(), shown.y() - c.y());
    return t.map(QRectF(QPointF(), size));
}

// Everything a card `height` high covers. The point a card turns about depends on its
// height; a turned card is taken at both ends.
QRectF reachOf(QPointF shown, qreal width, qreal height, qreal degrees)
{
    if (degrees == 0)
        return {shown, QSizeF(width, height)};
    return turnedCard(shown, {width, height}, degrees).boundingRect() |
           turnedCard(shown, {width, height}, degrees, QPointF(width / 2, 0)).boundingRect();
}

// The whole pixels inside a card's sheet.
QRegion insideOf(const QPolygonF& card, qreal degrees)
{
    const QRectF box = card.boundingRect();
    if (degrees == 0) {
        const QRect inner(
            QPoint(int(std::ceil(box.left())), int(std::ceil(box.top()))),
            QPoint(int(std::floor(box.right())) - 1, int(std::floor(box.bottom())) - 1));
        return inner.isValid() ? QRegion(inner) : QRegion();
    }
    // A turned card: its outline pulled in towards its middle by two points.
    const QPointF middle = box.center();
    QPolygon inner;
    for (const QPointF& corner : card) {
        const QPointF towards = middle - corner;
        const qreal length = std::hypot(towards.x(), towards.y());
        inner.append((length > 3 ? corner + towards * (3 / length) : middle).toPoint());
    }
    return QRegion(inner);
}

// What lies under the cards drawn so far.
struct Cover {
    QRegion pixels;
    QList<QRectF> straight; // the cards not turned, exactly

    void add(const QPolygonF& card, qreal degrees)
    {
        if (degrees == 0)
            straight.append(card.boundingRect());
        pixels |= insideOf(card, degrees);
    }
    bool hides(const QRectF& reach) const
    {
        for (const QRectF& card : straight) {
            if (card.contains(reach))
                return true;
        }
        const QRect whole = reach.toAlignedRect();
        return pixels.boundingRect().contains(whole) && QRegion(whole).subtracted(pixels).isEmpty();
    }
};
} // namespace

int CorkboardView::textLines(const StickyNote& note, const NoteTextField& field)
{
    // As the card's own field lays its text out while nobody edits it; a card grows no
    // further than its most lines, so no more are counted (or laid out).
    LineCount& known = m_lineCounts[note.id];
    if (known.lines > 0 && known.text == note.freeformText && known.width == field.textWidth())
        return known.lines;
    qsizetype laid = 0;
    known = {note.freeformText, field.textWidth(),
             field.idleLineCount(note.freeformText, kMostTextLines + 1, &laid)};
    m_textLaidOut += laid;
    return known.lines;
}

void CorkboardView::syncNotes()
{
    QHash<QUuid, DraggableStickyNote*> previous = m_notes;
    m_notes.clear();
    const NotePlacement placement{size(), kZoneBottom, kNoteWidth};
    const StickyNotes& notes = m_storage.stickyNotes();

    // A note is drawn by the first of the notes with its id.
    QHash<QUuid, qsizetype> first;
    first.reserve(notes.size());
    for (qsizetype i = notes.size() - 1; i >= 0; --i)
        first.insert(notes[i].id, i);

    // From the top down, a note whose card lies wholly under the cards drawn above it gets
    // no view: a board of thousands of notes builds views only for those one can see. The
    // note being dragged covers nothing; the one being edited or customised always keeps
    // its view.
    const std::optional<QUuid> dragged = m_appState.draggingNoteId();
    const std::optional<QUuid> customised = m_appState.activeNoteCustomizerId();
    const QGraphicsItem* focus = scene() ? scene()->focusItem() : nullptr;
    Cover cover;
    // A card's height by its lines, learnt from the first card built.
    const NoteTextField* field = nullptr;
    qreal baseHeight = 0;
    int baseLines = 0;
    const auto heightFor = [&](int lines) {
        return baseHeight + (std::clamp(lines, kFewestTextLines, kMostTextLines) - baseLines) *
                                field->lineHeight();
    };
    std::vector<DraggableStickyNote*> shown;
    QHash<QUuid, StickyNote> shownNotes;
    QSet<QUuid> listed;
    for (qsizetype i = notes.size() - 1; i >= 0; --i) {
        const StickyNote& note = notes[i];
        if (first.value(note.id) != i)
            continue;
        listed.insert(note.id);
        DraggableStickyNote* view = previous.take(note.id);
        const bool kept = note.id == dragged || note.id == customised ||
                          (view && focus && view->isAncestorOf(focus));
        if (!kept && field) {
            const QPointF at = placement.shown(QPointF(note.x, note.y), QSizeF(0, 0));
            const auto hidden = [&](int lines) {
                return cover.hides(reachOf(at, kNoteWidth, heightFor(lines), note.rotation));
            };
            if (hidden(kMostTextLines) ||
                (hidden(kFewestTextLines) && hidden(textLines(note, *field)))) {
                if (view)
                    previous.insert(note.id, view); // goes with the notes that left
                continue;
            }
        }
        if (view) {
            // A view whose note is as it showed it is left alone: on a board of many notes a
            // key typed into one must not redraw them all.
            const auto before = m_shownNotes.constFind(note.id);
            if (before == m_shownNotes.cend() || !(*before == note))
                view->refresh();
        } else {
            const QUuid id = note.id;
            view = new DraggableStickyNote(
                id, m_model, m_appState, [this, id] { deleteNote(id); }, this);
            view->setPlacement(placement);
        }
        m_notes.insert(note.id, view);
        shownNotes.insert(note.id, note);
        shown.push_back(view);
        StickyNoteCardView* card = view->card();
        // A field wholly under the cards above is left out; one of a note being handled
        // always shows.
        const QPointF at = view->shownPosition();
        const bool flat = !kept && note.rotation == 0;
        card->setFieldsCovered(flat && cover.hides(card->titleArea().translated(at)),
                               flat && cover.hides(card->textArea().translated(at)));
        if (!field && !card->isCustomizerOpen()) {
            field = card->textField();
            baseHeight = view->size().height();
            baseLines = std::clamp(field->lineCount(), kFewestTextLines, kMostTextLines);
        }
        if (note.id != dragged)
            cover.add(turnedCard(view->shownPosition(), view->size(), note.rotation),
                      note.rotation);
    }
    // Later notes lie above earlier ones.
    int order = 0;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        (*it)->setZValue(kNotesZ + order++);
    for (DraggableStickyNote* gone : std::as_const(previous)) {
        // Gone from the scene at once; deleted once the event that removed it has returned.
        gone->noteRemoved();
        gone->setParentItem(nullptr);
        if (gone->scene())
            gone->scene()->removeItem(gone);
        gone->deleteLater();
    }
    m_shownNotes = std::move(shownNotes);
    m_lineCounts.removeIf([&listed](const auto& entry) { return !listed.contains(entry.key()); });
}

void CorkboardView::onSizeChanged()
{
    layout();
}

void CorkboardView::layout()
{
    const qreal w = size().width();
    const qreal h = size().height();
    if (m_sticker)
        m_sticker->setCentre(QPointF(w - 38, 28));
    m_header->setCentre(QPointF(w / 2, 22));
    const QSizeF button = m_addButton->size();
    m_addButton->setPos(w - 8 - button.width(), h - 6 - button.height());
    // Under the header: the board's lower part lies behind the lamp, the monitor and the
    // plaques on the desk, its top is clear at every window shape.
    const QSizeF mark = m_unsavedMark->size();
    const QRectF below(w / 2 - mark.width() / 2,
                       m_header->pos().y() + m_header->size().height() + 2, mark.width(),
                       mark.height());
    qreal x = below.left();
    // On a narrow board it gives way to the band sticker in the top right corner.
    if (m_sticker && below.intersects(QRectF(m_sticker->pos(), m_sticker->size())))
        x = std::max(qreal(6), m_sticker->pos().x() - 4 - mark.width());
    m_unsavedMark->setPos(x, below.top());
    const NotePlacement placement{size(), kZoneBottom, kNoteWidth};
    for (DraggableStickyNote* view : std::as_const(m_notes))
        view->setPlacement(placement);
    // Which notes lie under others changes with the board.
    syncNotes();
}
