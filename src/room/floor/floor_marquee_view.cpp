#include "room/floor/floor_marquee_view.h"

#include "kit/colors.h"

#include <QPainter>
#include <QRegion>

namespace {
// The pixels a rectangle covers, and those of its outline (drawn one point inside it, with
// a pixel to spare for rounding).
QRegion covered(const QRectF& rect)
{
    return rect.isEmpty() ? QRegion() : QRegion(rect.toAlignedRect());
}

QRegion outline(const QRectF& rect)
{
    if (rect.isEmpty())
        return {};
    const QRect outer = rect.toAlignedRect();
    return QRegion(outer) - QRegion(outer.adjusted(2, 2, -2, -2));
}
} // namespace

FloorMarqueeView::FloorMarqueeView(QGraphicsItem* parent) : QGraphicsObject(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
}

void FloorMarqueeView::setArea(const QRectF& area)
{
    if (area == m_area)
        return;
    prepareGeometryChange();
    m_area = area;
}

void FloorMarqueeView::setMarquee(const QRectF& rect)
{
    if (rect == m_rect)
        return;
    // What the step swept, and both outlines: the fill between them looks as it did.
    const QRegion changed = covered(m_rect).xored(covered(rect)) + outline(m_rect) + outline(rect);
    m_rect = rect;
    m_lastRepainted = 0;
    for (const QRect& r : changed) {
        update(r);
        m_lastRepainted += qreal(r.width()) * r.height();
    }
}

QRectF FloorMarqueeView::boundingRect() const
{
    // The room: a marquee dragged beyond it is out of sight there.
    return m_area;
}

void FloorMarqueeView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_rect.isEmpty())
        return;
    painter->fillRect(m_rect, Colors::withOpacity(Colors::selectedControl(), 0.24));
    painter->setPen(QPen(Colors::withOpacity(Colors::controlAccent(), 0.85), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(m_rect.adjusted(0.5, 0.5, -0.5, -0.5));
}
