#include "corkboard/draggable_sticky_note.h"

#include "corkboard/corkboard_notes.h"
#include "corkboard/sticky_note_card_view.h"
#include "state/app_state.h"

#include <algorithm>

qreal NotePlacement::shownX(qreal x) const
{
    return std::max(std::min(x, std::max(board.width() - noteWidth - kMargin, kMargin)), kMargin);
}

qreal NotePlacement::shownY(qreal y, qreal x) const
{
    const qreal y0 = std::max(std::min(y, std::max(board.height() - 90, kMargin)), kMargin);
    const qreal centre = board.width() / 2;
    const bool inBand = x + noteWidth > centre - kBandHalfWidth && x < centre + kBandHalfWidth;
    return inBand ? std::max(y0, zoneBottom) : y0;
}

QPointF NotePlacement::shown(QPointF stored, QSizeF drag) const
{
    const qreal x = shownX(stored.x() + drag.width());
    return {x, shownY(stored.y() + drag.height(), x)};
}

DraggableStickyNote::DraggableStickyNote(const QUuid& id, CorkboardNotes& notes, AppState& appState,
                                         std::function<void()> onDelete, QGraphicsItem* parent)
    : RoomItem(parent), m_id(id), m_notes(notes), m_appState(appState), m_appStateAlive(&appState),
      m_rotation(0, [this] { applyTransform(); })
{
    m_card = new StickyNoteCardView(id, notes, appState, std::move(onDelete), this);
    connect(m_card, &RoomItem::sizeChanged, this, [this] {
        setSize(m_card->size());
        applyTransform();
    });
    setSize(m_card->size());
    gestures().onDrag(
        4, [this](const DragValue& drag) { dragChanged(drag); },
        [this](const DragValue& drag) { dragEnded(drag); });
    connect(&m_appState, &AppState::draggingNoteIdChanged, this, &DraggableStickyNote::place);
    connect(&m_appState, &AppState::noteDragTranslationChanged, this, &DraggableStickyNote::place);
    if (const std::optional<StickyNote> note = m_notes.note(m_id))
        m_rotation.jump(note->rotation);
    place();
}

DraggableStickyNote::~DraggableStickyNote()
{
    endDrag();
}

void DraggableStickyNote::noteRemoved()
{
    hide(); // also gives up the pointer grab and the focus
    endDrag();
}

void DraggableStickyNote::endDrag()
{
    // A note that goes while it is dragged ends the drag with it.
    if (m_appStateAlive && m_appState.draggingNoteId() == m_id) {
        m_appState.setDraggingNoteId(std::nullopt);
        m_appState.setNoteDragTranslation(QSizeF(0, 0));
    }
}

void DraggableStickyNote::setPlacement(const NotePlacement& placement)
{
    m_placement = placement;
    place();
}

void DraggableStickyNote::refresh()
{
    m_card->refresh();
    if (const std::optional<StickyNote> note = m_notes.note(m_id))
        m_rotation.set(note->rotation);
    place();
}

void DraggableStickyNote::place()
{
    const std::optional<StickyNote> note = m_notes.note(m_id);
    if (!note)
        return;
    const QSizeF drag =
        m_appState.draggingNoteId() == m_id ? m_appState.noteDragTranslation() : QSizeF(0, 0);
    const QPointF shown = m_placement.shown(QPointF(note->x, note->y), drag);
    if (shown == m_shown && !transform().isIdentity())
        return;
    m_shown = shown;
    applyTransform();
}

void DraggableStickyNote::applyTransform()
{
    // Placed, then turned about the middle of the card as it lies at the board's corner:
    // a tilted note far from that corner also moves a little along the arc.
    const QPointF c(size().width() / 2, size().height() / 2);
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(m_rotation.value());
    t.translate(m_shown.x() - c.x(), m_shown.y() - c.y());
    setTransform(t);
}

void DraggableStickyNote::dragChanged(const DragValue& drag)
{
    const QPointF t = drag.translation();
    m_appState.setDraggingNoteId(m_id);
    m_appState.setNoteDragTranslation(QSizeF(t.x(), t.y()));
}

void DraggableStickyNote::dragEnded(const DragValue& drag)
{
    dragChanged(drag);
    const QPointF shown = m_shown;
    m_appState.setDraggingNoteId(std::nullopt);
    m_appState.setNoteDragTranslation(QSizeF(0, 0));
    // A note deleted meanwhile takes the drop with it; no other note changes.
    m_notes.update(m_id, [shown](StickyNote& note) {
        note.x = shown.x();
        note.y = shown.y();
        note.yInFile.reset(); // the place the user chose is the one stored
    });
}
