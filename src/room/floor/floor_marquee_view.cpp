#include "room/floor/floor_marquee_view.h"

#include "kit/colors.h"

#include <QPainter>

FloorMarqueeView::FloorMarqueeView(QGraphicsItem* parent) : QGraphicsObject(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
}

void FloorMarqueeView::setMarquee(const QRectF& rect)
{
    if (rect == m_rect)
        return;
    prepareGeometryChange();
    m_rect = rect;
}

QRectF FloorMarqueeView::boundingRect() const
{
    return m_rect.adjusted(-1, -1, 1, 1);
}

void FloorMarqueeView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->fillRect(m_rect, Colors::withOpacity(Colors::selectedControl(), 0.24));
    painter->setPen(QPen(Colors::withOpacity(Colors::controlAccent(), 0.85), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(m_rect.adjusted(0.5, 0.5, -0.5, -0.5));
}
