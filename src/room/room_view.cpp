#include "room/room_view.h"

#include "kit/painting.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/fire_layers.h"
#include "room/floor/floor_drop_delegate.h"
#include "room/room_pieces.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QGraphicsScene>
#include <QMetaMethod>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QResizeEvent>

#include <algorithm>

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
    // The room's items set the pen, brush and font they draw with and restore clips and
    // composition modes they change: saving and restoring the whole painter round each item
    // of each repainted area of a fire frame costs more than the blits most of them are.
    setOptimizationFlag(QGraphicsView::DontSavePainterState);
    // The room's background item covers every pixel a repaint exposes (black where its
    // picture leaves any): neither the view's background brush nor the viewport's own
    // fill is painted, as each would only be painted over on every frame.
    setBackgroundBrush(Qt::NoBrush);
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
    m_fireLayers = std::make_unique<FireLayers>(*this);
    connect(&appState, &AppState::isFireModeActiveChanged, this, &RoomView::followFire);
    connect(m_fireLayers.get(), &FireLayers::movingPartsChanged, this, &RoomView::followFire);
    followFire();
}

void RoomView::setFireLayersUsed(bool used)
{
    m_fireLayersUsed = used;
    followFire();
}

void RoomView::followFire()
{
    // Kept while the fire burns, and round anything else that moves on every frame.
    const bool fire = m_appState.isFireModeActive();
    m_fireLayers->setKeptOnlyRoundParts(!fire);
    m_fireLayers->setActive(m_fireLayersUsed && (fire || m_fireLayers->hasMovingParts()));
}

RoomView::~RoomView()
{
    m_fireLayers.reset();
    // The root goes with the scene; it must not keep asking a delegate that is gone.
    m_root->setRoomDropTarget(nullptr);
}

namespace {
// Works out now which of the scene's items moved. The scene queues this work on an item's
// first change after a repaint, but not while a repaint of the whole scene is pending (as
// it is from the moment the scene is set up until the room's first paint): it then only
// clears the items' marks when the work comes, and the first paint drops the pending state
// without it. A layout made in that time (the room's own, when the window is first shown)
// would leave every piece marked as moved until any item next changes (the clock's tick),
// and that change would repaint the whole window once more. Done now, the marks are
// cleared, or with no whole repaint pending the moved areas join the repaint this layout
// asks for. The scene offers the work only as a slot it calls itself; without it the room
// paints as before.
void settleMovedItems(QGraphicsScene& scene)
{
    static const int work =
        QGraphicsScene::staticMetaObject.indexOfMethod("_q_processDirtyItems()");
    if (work >= 0)
        QGraphicsScene::staticMetaObject.method(work).invoke(&scene, Qt::DirectConnection);
}
} // namespace

void RoomView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    const QSizeF size(event->size());
    scene()->setSceneRect(QRectF(QPointF(0, 0), size));
    m_root->setSize(size);
    settleMovedItems(*scene());
}

namespace {
// Merging two rectangles of a repaint into one costs painting their gaps; keeping them apart
// costs one more walk over the room's items. Below this many pixels of gap, one is cheaper.
constexpr qint64 kMergeGap = 1000;
} // namespace

void RoomView::paintEvent(QPaintEvent* event)
{
    // A picture of a tile for the fire's layers is drawn as the view always draws.
    if (m_fireLayers->isMaking()) {
        QGraphicsView::paintEvent(event);
        return;
    }
    // A repaint of many scattered areas (the flames and sparks of fire mode) would clip
    // every drawing to a region of hundreds of rectangles, and the raster engine blends
    // each image drawn under such a clip span by span, handing the spans to other threads.
    // Painted one covering rectangle at a time, every cached layer is a plain blit.
    const QRegion region = event->region();
    if (region.rectCount() <= 1 && !m_fireLayers->isActive()) {
        QGraphicsView::paintEvent(event);
        return;
    }
    QPaintEngine* engine = nullptr;
    {
        QPainter probe(viewport());
        engine = probe.paintEngine();
    }
    const QRegion systemClip = engine ? engine->systemClip() : QRegion();
    const qreal ratio = viewport()->devicePixelRatioF();
    const QPoint offset = viewport()->mapTo(window(), QPoint(0, 0));
    const auto onDevice = [&](const QRect& r) {
        return QTransform::fromScale(ratio, ratio)
            .mapRect(QRectF(r.translated(offset)))
            .toAlignedRect();
    };
    // At one pixel to a point the repaint only moves by the offset; united rectangle by
    // rectangle (a burning room's repaint holds hundreds) it costs as much as a tile's paint.
    QRegion expected;
    if (ratio == 1) {
        expected = region.translated(offset);
    } else {
        for (const QRect& r : region)
            expected += onDevice(r);
    }
    // Only where the clip is exactly the repaint (whole pixels, no widget over the view): a
    // covering rectangle also repaints the gaps between the areas asked for, which shows
    // the room as it is there now.
    if (expected != systemClip || !viewport()->findChildren<QWidget*>().isEmpty()) {
        QGraphicsView::paintEvent(event);
        return;
    }
    // What the fire's kept pictures hold is laid down from them; the view paints the rest.
    const QRegion left = m_fireLayers->paint(
        region, [&](const QRect& r) { engine->setSystemClip(QRegion(onDevice(r))); });
    for (const QRect& part :
         Painting::coveringRects(QList<QRect>(left.begin(), left.end()), kMergeGap)) {
        engine->setSystemClip(QRegion(onDevice(part)));
        QPaintEvent partEvent(part);
        QGraphicsView::paintEvent(&partEvent);
    }
    engine->setSystemClip(systemClip);
}
