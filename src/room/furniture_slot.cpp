#include "room/furniture_slot.h"

#include "room/effects/burning_fire_modifier.h"

#include <QPainterPath>

FurnitureSlot::FurnitureSlot(Furniture piece, qreal fireHeight, AppState& appState,
                             QGraphicsItem* parent)
    : RoomItem(parent), m_piece(piece), m_fireHeight(fireHeight)
{
    // A repaint of a few flames or sparks walks the room's items once for each of its
    // rectangles: a slot whose reach it does not touch is passed by with everything in it.
    // (The slot itself draws nothing; it takes no pointer, so its reach takes none either.)
    setFlag(ItemContainsChildrenInShape);
    m_fire = new BurningFireModifier(appState, fireHeight, true, true, this);
}

FurnitureSlot::~FurnitureSlot()
{
    // The fire lets go of the piece's glow before the piece goes.
    m_fire->setContent(nullptr);
}

QRectF FurnitureSlot::boundingRect() const
{
    return RoomItem::boundingRect() | childrenBoundingRect();
}

QPainterPath FurnitureSlot::shape() const
{
    QPainterPath reach;
    reach.addRect(boundingRect());
    return reach;
}

void FurnitureSlot::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) {}

void FurnitureSlot::setView(RoomItem* view)
{
    if (view == m_view)
        return;
    m_fire->setContent(nullptr);
    delete m_view;
    m_view = view;
    if (!m_view) {
        followOutline();
        return;
    }
    m_view->setParentItem(this);
    m_view->setZValue(0);
    if (!m_takesPointer)
        stopTakingPointer(m_view);
    connect(m_view, &RoomItem::drawnOutlineChanged, this, &FurnitureSlot::followOutline);
    frameView();
    m_fire->setContent(m_view);
}

void FurnitureSlot::setLayoutSize(const QSizeF& size)
{
    m_layoutSize = size;
    frameView();
}

void FurnitureSlot::setTakesPointer(bool takes)
{
    m_takesPointer = takes;
    if (!takes && m_view)
        stopTakingPointer(m_view);
}

void FurnitureSlot::onSizeChanged()
{
    m_fire->setFrame(rect());
    frameView();
}

void FurnitureSlot::followOutline()
{
    if (m_view && m_view->drawnOutline())
        m_fire->setOutline(m_view->transform().map(*m_view->drawnOutline()));
    else
        m_fire->setOutline(std::nullopt);
}

void FurnitureSlot::frameView()
{
    if (!m_view)
        return;
    m_view->setPos(0, 0);
    if (m_layoutSize && m_layoutSize->width() > 0 && m_layoutSize->height() > 0) {
        m_view->setSize(*m_layoutSize);
        m_view->setTransform(QTransform::fromScale(size().width() / m_layoutSize->width(),
                                                   size().height() / m_layoutSize->height()));
    } else {
        m_view->setTransform(QTransform());
        m_view->setSize(size());
    }
    followOutline();
}
