#include "room/floor/floor_drop_delegate.h"

#include "room/floor/floor_rules.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>
#include <QPointer>

namespace {
constexpr Animation dropSpring = Animation::spring(0.35, 0.75);
} // namespace

FloorDropDelegate::FloorDropDelegate(QSizeF screenSize, StorageManager& storage,
                                     FloorInteractionState& floorState, AppState& appState)
    : m_screenSize(screenSize), m_storage(storage), m_floorState(floorState), m_appState(appState)
{
}

bool FloorDropDelegate::validateDrop(const QMimeData& data)
{
    return data.hasUrls() || data.hasText();
}

void FloorDropDelegate::dropEntered()
{
    m_floorState.setFloorTargeted(true);
}

void FloorDropDelegate::dropUpdated(QPointF location)
{
    // Flags change only when their value does: the pointer moves many times a second.
    const RoomGeometry room(m_screenSize);
    const bool onTrash = room.isOnTrashTarget(location);
    if (onTrash != m_appState.isTrashTargeted())
        m_appState.setTrashTargeted(onTrash);
    const bool onShelf = room.isOnShelfTarget(location);
    if (onShelf != m_appState.isBookshelfTargeted())
        m_appState.setBookshelfTargeted(onShelf);
    if (room.isOnPhotoWallTarget(location)) {
        const int slot = RoomGeometry::photoSlotIndex(location, room.photoWallTarget());
        if (m_appState.targetedPhotoSlot() != slot)
            m_appState.setTargetedPhotoSlot(slot);
    } else if (m_appState.targetedPhotoSlot()) {
        m_appState.setTargetedPhotoSlot(std::nullopt);
    }
}

void FloorDropDelegate::clearFlags()
{
    m_floorState.setFloorTargeted(false);
    m_appState.setTrashTargeted(false);
    m_appState.setBookshelfTargeted(false);
    m_appState.setTargetedPhotoSlot(std::nullopt);
}

void FloorDropDelegate::dropExited()
{
    clearFlags();
}

bool FloorDropDelegate::performDrop(QPointF location, const QMimeData& data)
{
    clearFlags();
    if (!validateDrop(data))
        return false;

    // One target for the whole drop, chosen where it landed.
    const FloorRules::FloorDrop drop =
        FloorRules::dropTargetAt(RoomGeometry(m_screenSize), location);
    // The files are read after this returns; the storage may be gone by then.
    QPointer<StorageManager> guarded(&m_storage);
    StorageManager::loadDroppedURL(data, [guarded, drop](const QUrl& url) {
        if (!guarded)
            return;
        StorageManager& storage = *guarded;
        using Target = FloorRules::FloorDrop::Target;
        switch (drop.target) {
        case Target::Trash:
            storage.moveToTrash(url);
            break;
        case Target::Bookshelf:
            withAnimation(dropSpring, [&] { storage.addToBookshelf(url); });
            break;
        case Target::PhotoWall:
            if (StorageManager::isImageFile(url)) {
                withAnimation(dropSpring, [&] { storage.setPhoto(url, drop.slot); });
            } else {
                // Not a photo: it lies on the floor where it was dropped.
                storage.hideUnderCarpet(url, drop.floorPoint.x(), drop.floorPoint.y());
            }
            break;
        case Target::Floor:
            withAnimation(dropSpring, [&] {
                storage.hideUnderCarpet(url, drop.floorPoint.x(), drop.floorPoint.y());
            });
            break;
        }
    });
    return true;
}

bool FloorDropDelegate::proposeCopy(QGraphicsSceneDragDropEvent* event)
{
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false; // a move only: the source would delete what it gave us
    return true;
}

void FloorDropDelegate::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!event->mimeData() || !validateDrop(*event->mimeData()) || !proposeCopy(event)) {
        event->ignore();
        return;
    }
    event->accept();
    dropEntered();
    dropUpdated(event->scenePos());
}

void FloorDropDelegate::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!proposeCopy(event)) {
        event->ignore();
        return;
    }
    event->accept();
    dropUpdated(event->scenePos());
}

void FloorDropDelegate::dragLeaveEvent(QGraphicsSceneDragDropEvent* event)
{
    event->accept();
    dropExited();
}

void FloorDropDelegate::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    if (!event->mimeData() || !proposeCopy(event)) {
        clearFlags();
        event->ignore();
        return;
    }
    if (performDrop(event->scenePos(), *event->mimeData()))
        event->accept();
    else
        event->ignore();
}
