#include "room/room_view.h"

#include "storage/storage_manager.h"

#include <QGraphicsScene>
#include <QResizeEvent>

RoomView::RoomView(AppState& appState, QWidget* parent)
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
    setMouseTracking(true);

    auto* scene = new QGraphicsScene(this);
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    setScene(scene);

    // The room's pieces draw from the storage service: start it with the room, so its
    // folders and files are in place before the first piece reads them.
    StorageManager::shared();
}

void RoomView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(event->size())));
}
