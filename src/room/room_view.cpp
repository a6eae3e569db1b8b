#include "room/room_view.h"

#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/floor/floor_drop_delegate.h"
#include "room/room_pieces.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QGraphicsScene>
#include <QPixmapCache>
#include <QResizeEvent>

// The room's pieces draw from the storage service: it starts with the room, so its folders
// and files are in place before the first piece reads them.
RoomView::RoomView(AppState& appState, QWidget* parent)
    : RoomView(appState, FloorInteractionState::shared(), &StorageManager::shared(),
               AssetLoader::shared(), RoomPieces::standard(appState), parent)
{
}

RoomView::RoomView(AppState& appState, FloorInteractionState& floorState, StorageManager* storage,
                   AssetLoader& assets, RoomPieces pieces, QWidget* parent)
    : QGraphicsView(parent), m_appState(appState)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                   QPainter::TextAntialiasing);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setBackgroundBrush(Qt::black);
    // The background brush covers every pixel a repaint exposes: the viewport's own
    // background fill would only be painted over.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // The pieces' caches (the background alone is a window of pixels) live in the pixmap
    // cache; Qt's default would evict them on every repaint of a large room.
    QPixmapCache::setCacheLimit(std::max(QPixmapCache::cacheLimit(), 96 * 1024));

    auto* scene = new QGraphicsScene(this);
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    setScene(scene);

    m_root = new DesktopRootView(appState, floorState, storage, assets, std::move(pieces));
    scene->addItem(m_root);
    if (storage) {
        m_dropDelegate = std::make_unique<FloorDropDelegate>(*storage, floorState, appState);
        m_root->setRoomDropTarget(m_dropDelegate.get());
    }
}

RoomView::~RoomView()
{
    // The root goes with the scene; it must not keep asking a delegate that is gone.
    m_root->setRoomDropTarget(nullptr);
}

void RoomView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    const QSizeF size(event->size());
    scene()->setSceneRect(QRectF(QPointF(0, 0), size));
    m_root->setSize(size);
}
