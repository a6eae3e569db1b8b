#pragma once

#include "kit/room_item.h"
#include "room/floor/floor_drop_delegate.h"

#include <QPointer>

#include <optional>

class MagicCarpetView;

// The empty room as a target: it lies over the room's background and under the furniture,
// so it gets what no piece takes. A click or a drag there works the floor (a drag draws the
// marquee; a release within 4 points clears the selection and lowers a lifted carpet),
// and files dragged in from other programs are handed to the floor's drop delegate.
class FloorBackgroundTarget : public RoomItem {
    Q_OBJECT
public:
    FloorBackgroundTarget(MagicCarpetView& floor, StorageManager& storage,
                          FloorInteractionState& floorState, AppState& appState,
                          QGraphicsItem* parent = nullptr);

    // The room's size: the delegate works in it.
    void setScreenSize(const QSizeF& size);
    const FloorDropDelegate& dropDelegate() const { return *m_delegate; }

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    QPointer<MagicCarpetView> m_floor;
    StorageManager& m_storage;
    FloorInteractionState& m_floorState;
    AppState& m_appState;
    // Made afresh for each size of the room.
    std::optional<FloorDropDelegate> m_delegate;
};
