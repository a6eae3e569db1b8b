#pragma once

#include "kit/room_geometry.h"
#include "kit/room_item.h"
#include "room/room_pieces.h"

#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class AppState;
class AssetLoader;
class FloorInteractionState;
class FurnitureSlot;
class QMimeData;
class StorageManager;
class ThemeBackgroundView;
struct Transition;
class TransitionItem;

// What the room does with a drag from another program that no piece under the pointer
// takes itself: locations are room points.
class RoomDropTarget {
public:
    virtual ~RoomDropTarget() = default;
    virtual bool validateDrop(const QMimeData& data) = 0;
    virtual void dropEntered(const QMimeData& data) = 0;
    virtual void dropUpdated(QPointF location, const RoomGeometry& room, const QMimeData& data) = 0;
    virtual void dropExited() = 0;
    virtual bool performDrop(QPointF location, const RoomGeometry& room, const QMimeData& data) = 0;
};

// The root of the room: lays every piece out from the window's size W x H (RoomGeometry),
// stacks the furniture, the floor and the optional layers above them by their fixed
// priorities, and follows the shared state: a layer exists exactly while its gate holds,
// coming and going with the animation of the change that opened or closed it. The room's
// empty areas take clicks (clear the floor's selection, lower the carpet) and drags (the
// marquee over the floor files).
class DesktopRootView : public RoomItem {
    Q_OBJECT
public:
    enum class Overlay {
        Dimming,
        FireAtmosphere,
        ShelfPopover,
        BookshelfDrawer,
        MiniPlayer,
        ThemePicker,
        QuickView,
        FloorDropHighlight,
    };
    static constexpr int kOverlayCount = int(Overlay::FloorDropHighlight) + 1;

    // `storage` may be absent (the marquee then selects nothing).
    DesktopRootView(AppState& appState, FloorInteractionState& floorState, StorageManager* storage,
                    AssetLoader& assets, RoomPieces pieces, QGraphicsItem* parent = nullptr);
    ~DesktopRootView() override;

    RoomGeometry geometry() const { return RoomGeometry(size()); }

    ThemeBackgroundView* background() const { return m_background; }
    FurnitureSlot* slot(Furniture piece) const { return m_slots[size_t(piece)]; }
    RoomItem* floorLayer() const { return m_floorLayer; }
    // The live layer, or null while its gate is closed (a layer on its way out is gone).
    QGraphicsObject* overlay(Overlay which) const;
    // The panel of a live layer (popover, drawer, player, picker content, card).
    RoomItem* overlayPanel(Overlay which) const;

    // Stacking priorities.
    static qreal furnitureZ(Furniture piece);
    static qreal fireHeight(Furniture piece);
    static qreal overlayZ(Overlay which);

    // Closes the open card inside the close spring; every card's close action.
    void closeQuickViewAnimated();
    // The lamp's action: lampOn toggled inside an ease-in-out of 0.35 s.
    static void toggleLampAnimated(AppState& appState);

    void setRoomDropTarget(RoomDropTarget* target);

protected:
    void onSizeChanged() override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    struct LiveOverlay {
        QPointer<TransitionItem> item;
        QString identity;
        RoomItem* panel = nullptr;
        std::function<void()> relayout;
    };

    void layoutFurniture();
    void updateFloorZ();
    void refreshOverlays();
    void refreshOverlay(Overlay which);
    std::optional<QString> overlayIdentity(Overlay which) const;
    LiveOverlay buildOverlay(Overlay which);
    LiveOverlay panelOverlay(RoomItem* panel, std::function<void()> close, const Transition& in,
                             const Transition& out, std::function<QPointF()> centre);

    void backgroundReleased(qreal distance);
    void marqueeChanged(const DragValue& drag);

    AppState& m_appState;
    FloorInteractionState& m_floorState;
    StorageManager* m_storage;
    AssetLoader& m_assets;
    RoomPieces m_pieces;

    ThemeBackgroundView* m_background = nullptr;
    std::array<FurnitureSlot*, kFurnitureCount> m_slots{};
    RoomItem* m_floorLayer = nullptr;
    std::array<LiveOverlay, kOverlayCount> m_overlays;
    RoomDropTarget* m_dropTarget = nullptr;
};
