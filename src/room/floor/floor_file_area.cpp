#include "room/floor/floor_file_area.h"

FloorFileArea::FloorFileArea(QGraphicsItem* parent) : QGraphicsItem(parent)
{
    // Qt passes the children by wherever this item's bounds do not meet a repaint or a hit
    // test; for that the item must count as drawing (its paint does nothing).
    setFlag(ItemContainsChildrenInShape);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptDrops(false);
}

void FloorFileArea::include(const QRectF& rect, const QRectF& room)
{
    if (rect.isEmpty() || m_reach.contains(rect))
        return;
    setReach(room.isEmpty() ? m_reach.united(rect) : m_reach.united(rect).united(room));
}

void FloorFileArea::setReach(const QRectF& rect)
{
    if (rect == m_reach)
        return;
    prepareGeometryChange();
    m_reach = rect;
}

void FloorFileArea::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) {}
