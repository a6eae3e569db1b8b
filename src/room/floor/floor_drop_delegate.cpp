#include "room/floor/floor_drop_delegate.h"

#include "room/floor/floor_rules.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/dropped_url_reader.h"
#include "storage/storage_manager.h"

#include <QMimeData>
#include <QPointer>

namespace {
constexpr Animation dropSpring = Animation::spring(0.35, 0.75);
} // namespace

FloorDropDelegate::FloorDropDelegate(StorageManager& storage, FloorInteractionState& floorState,
                                     AppState& appState)
    : m_storage(storage), m_floorState(floorState), m_appState(appState)
{
}

bool FloorDropDelegate::validateDrop(const QMimeData& data)
{
    // Only drags that name a local file: anything else is refused, not taken for nothing.
    return !DroppedURLReader::read(data).isEmpty();
}

void FloorDropDelegate::dropEntered(const QMimeData&)
{
    m_floorState.setFloorTargeted(true);
}

void FloorDropDelegate::dropUpdated(QPointF location, const RoomGeometry& room, const QMimeData&)
{
    m_appState.setTrashTargeted(room.isOnTrashTarget(location));
    m_appState.setBookshelfTargeted(room.isOnShelfTarget(location));
    if (room.isOnPhotoWallTarget(location))
        m_appState.setTargetedPhotoSlot(
            RoomGeometry::photoSlotIndex(location, room.photoWallTarget()));
    else
        m_appState.setTargetedPhotoSlot(std::nullopt);
}

void FloorDropDelegate::clearFlags()
{
    m_floorState.setFloorTargeted(false);
    m_appState.clearDropTargets();
}

void FloorDropDelegate::dropExited()
{
    clearFlags();
}

bool FloorDropDelegate::performDrop(QPointF location, const RoomGeometry& room,
                                    const QMimeData& data)
{
    clearFlags();
    if (!validateDrop(data))
        return false;

    // One target for the whole drop, chosen where it landed.
    const FloorRules::FloorDrop drop = FloorRules::dropTargetAt(room, location);
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
