#pragma once

#include <QGraphicsView>

#include <memory>

class AppState;
class AssetLoader;
class DesktopRootView;
class FireLayers;
class FloorDropDelegate;
class FloorInteractionState;
class StorageManager;
struct RoomPieces;

// The room window's content: one graphics view over one scene whose rectangle is the
// window's size. The room's root item lays every piece out from that size.
class RoomView : public QGraphicsView {
    Q_OBJECT
public:
    // The room of the shared objects, furnished with the program's pieces.
    explicit RoomView(AppState& appState, QWidget* parent = nullptr);
    // With a storage service, files dragged in from other programs land in the room.
    RoomView(AppState& appState, FloorInteractionState& floorState, StorageManager* storage,
             AssetLoader& assets, RoomPieces pieces, QWidget* parent = nullptr);
    ~RoomView() override;

    AppState& appState() const { return m_appState; }
    DesktopRootView* root() const { return m_root; }
    // The pictures the burning room is laid down from; off, the view paints every frame of
    // the fire itself (as it does on a screen of more than one pixel to a point).
    FireLayers& fireLayers() const { return *m_fireLayers; }
    void setFireLayersUsed(bool used);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    AppState& m_appState;
    DesktopRootView* m_root = nullptr;
    std::unique_ptr<FloorDropDelegate> m_dropDelegate;
    std::unique_ptr<FireLayers> m_fireLayers;
    bool m_fireLayersUsed = true;

    void followFire();
};
