#include "kit/room_item.h"

#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include <algorithm>

void stopTakingPointer(QGraphicsItem* item)
{
    item->setAcceptedMouseButtons(Qt::NoButton);
    item->setAcceptHoverEvents(false);
    item->setAcceptDrops(false);
    for (QGraphicsItem* child : item->childItems())
        stopTakingPointer(child);
}

RoomItem::RoomItem(QGraphicsItem* parent) : QGraphicsObject(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
}

RoomItem::~RoomItem() = default;

void RoomItem::setSize(const QSizeF& size)
{
    const QSizeF s(std::max(size.width(), qreal(0)), std::max(size.height(), qreal(0)));
    if (s == m_size)
        return;
    prepareGeometryChange();
    m_size = s;
    onSizeChanged();
    Q_EMIT sizeChanged();
    update();
}

void RoomItem::setCentre(QPointF centre)
{
    setPos(centre - QPointF(m_size.width() / 2, m_size.height() / 2));
}

QPointF RoomItem::centre() const
{
    return pos() + QPointF(m_size.width() / 2, m_size.height() / 2);
}

void RoomItem::setFrame(const RoomFrame& frame)
{
    setSize(frame.size);
    setCentre(frame.centre);
}

void RoomItem::setPaintMargins(const QMarginsF& margins)
{
    prepareGeometryChange();
    m_paintMargins = margins;
}

void RoomItem::setHitShape(const QPainterPath& shape)
{
    prepareGeometryChange();
    m_hitShape = shape;
}

void RoomItem::setDrawnOutline(const QPainterPath& outline)
{
    if (m_drawnOutline == outline)
        return;
    setHitShape(outline);
    m_drawnOutline = outline;
    Q_EMIT drawnOutlineChanged();
}

Gestures& RoomItem::gestures()
{
    if (!m_gestures)
        m_gestures = std::make_unique<Gestures>(*this);
    return *m_gestures;
}

QRectF RoomItem::boundingRect() const
{
    return rect().marginsAdded(m_paintMargins);
}

QPainterPath RoomItem::shape() const
{
    if (m_hitShape)
        return *m_hitShape;
    QPainterPath path;
    path.addRect(rect());
    return path;
}

void RoomItem::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) {}

void RoomItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (!m_gestures || !m_gestures->mousePress(event))
        event->ignore();
}

void RoomItem::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if (!m_gestures || !m_gestures->mouseMove(event))
        event->ignore();
}

void RoomItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (!m_gestures || !m_gestures->mouseRelease(event))
        event->ignore();
}

void RoomItem::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    if (!m_gestures || !m_gestures->mouseDoubleClick(event))
        event->ignore();
}

void RoomItem::hoverEnterEvent(QGraphicsSceneHoverEvent* event)
{
    if (m_gestures)
        m_gestures->hoverEnter(event);
}

void RoomItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event)
{
    if (m_gestures)
        m_gestures->hoverLeave(event);
}

void RoomItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (!m_gestures || !m_gestures->contextMenu(event))
        event->ignore();
}

TapLayer::TapLayer(std::function<void()> onTap, QGraphicsItem* parent) : RoomItem(parent)
{
    gestures().onTap(std::move(onTap));
    setAcceptHoverEvents(true);
}

void TapLayer::setFillColor(const QColor& color)
{
    m_fill = color;
    update();
}

void TapLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_fill.alpha() > 0)
        painter->fillRect(rect(), m_fill);
}

bool TapLayer::isOnPanel(QPointF scenePos) const
{
    if (!scene())
        return false;
    const QList<QGraphicsItem*> under = scene()->items(scenePos);
    return std::any_of(under.begin(), under.end(), [this](QGraphicsItem* item) {
        return item != this && isAncestorOf(item) && item->isVisible();
    });
}

void TapLayer::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    // The panel keeps its clicks even where it takes none itself.
    if (isOnPanel(event->scenePos())) {
        event->accept();
        return;
    }
    RoomItem::mousePressEvent(event);
}

void TapLayer::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    if (isOnPanel(event->scenePos())) {
        event->accept();
        return;
    }
    RoomItem::mouseDoubleClickEvent(event);
}
