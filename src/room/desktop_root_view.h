#pragma once

#include "kit/room_geometry.h"
#include "kit/room_item.h"
#include "room/room_pieces.h"

#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class AppState;
class AssetLoader;
class FloorInteractionState;
class FurnitureSlot;
class QMimeData;
class StorageManager;
class ThemeBackgroundView;
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
// stacks the furniture, the floor and the panels above them (RoomPieces::panels) by their
// fixed priorities, and follows the shared state: a panel exists exactly while its entry
// says it is shown, coming and going with the animation of the change that opened or
// closed it. The room's
// empty areas take clicks (clear the floor's selection, lower the carpet) and drags (the
// marquee over the floor files).
class DesktopRootView : public RoomItem {
    Q_OBJECT
public:
    // `storage` may be absent (the marquee then selects nothing).
    DesktopRootView(AppState& appState, FloorInteractionState& floorState, StorageManager* storage,
                    AssetLoader& assets, RoomPieces pieces, QGraphicsItem* parent = nullptr);
    ~DesktopRootView() override;

    RoomGeometry geometry() const { return RoomGeometry(size()); }

    ThemeBackgroundView* background() const { return m_background; }
    FurnitureSlot* slot(Furniture piece) const { return m_slots[size_t(piece)]; }
    RoomItem* floorLayer() const { return m_floorLayer; }
    // The live layer of the panel named `name` (RoomPanels), or null while it is closed (a
    // layer on its way out is gone).
    QGraphicsObject* overlay(const QString& name) const;
    // The view of a live layer (popover, drawer, player, picker content, card).
    RoomItem* overlayPanel(const QString& name) const;
    const std::vector<RoomPanel>& panels() const { return m_pieces.panels; }

    // Stacking priorities.
    static qreal furnitureZ(Furniture piece);
    static qreal fireHeight(Furniture piece);

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
    RoomPanelContext context() const;
    const LiveOverlay* live(const QString& name) const;
    void refreshOverlay(size_t index);
    LiveOverlay buildOverlay(const RoomPanel& panel);

    void backgroundReleased(qreal distance);
    void marqueeChanged(const DragValue& drag);
    void takeMarqueeFiles();

    AppState& m_appState;
    FloorInteractionState& m_floorState;
    StorageManager* m_storage;
    AssetLoader& m_assets;
    RoomPieces m_pieces;

    ThemeBackgroundView* m_background = nullptr;
    std::array<FurnitureSlot*, kFurnitureCount> m_slots{};
    RoomItem* m_floorLayer = nullptr;
    std::vector<LiveOverlay> m_overlays;
    RoomDropTarget* m_dropTarget = nullptr;
    // The files a marquee selects among, with their places, taken as it starts (they lie
    // still while it is drawn), and whether it touches each now: a step of the marquee then
    // compares points and publishes only the files it took in or let go.
    struct MarqueeFile {
        QString name;
        QPointF point;
        bool hit = false;
    };
    std::vector<MarqueeFile> m_marqueeFiles;
    bool m_marqueeTaken = false;
};
