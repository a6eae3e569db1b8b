#include "room/floor/floor_background_target.h"

#include "room/floor/magic_carpet_view.h"

FloorBackgroundTarget::FloorBackgroundTarget(MagicCarpetView& floor, StorageManager& storage,
                                             FloorInteractionState& floorState, AppState& appState,
                                             QGraphicsItem* parent)
    : RoomItem(parent), m_floor(&floor), m_storage(storage), m_floorState(floorState),
      m_appState(appState)
{
    setFlag(ItemHasNoContents);
    setAcceptDrops(true);
    m_delegate.emplace(QSizeF(), m_storage, m_floorState, m_appState);
    // A tap and a short drag end alike: one release rule for the empty room.
    gestures().onTap([this] {
        if (m_floor)
            m_floor->backgroundReleased(QPointF());
    });
    gestures().onDrag(
        3,
        [this](const DragValue& v) {
            if (m_floor)
                m_floor->marqueeChanged(v.startLocation, v.location);
        },
        [this](const DragValue& v) {
            if (m_floor)
                m_floor->backgroundReleased(v.translation());
        });
}

void FloorBackgroundTarget::setScreenSize(const QSizeF& size)
{
    setSize(size);
    m_delegate.emplace(size, m_storage, m_floorState, m_appState);
}

void FloorBackgroundTarget::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    m_delegate->dragEnterEvent(event);
}

void FloorBackgroundTarget::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    m_delegate->dragMoveEvent(event);
}

void FloorBackgroundTarget::dragLeaveEvent(QGraphicsSceneDragDropEvent* event)
{
    m_delegate->dragLeaveEvent(event);
}

void FloorBackgroundTarget::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    m_delegate->dropEvent(event);
}
