#include "room/floor/floor_file_area.h"

FloorFileArea::FloorFileArea(QGraphicsItem* parent, Reach reach)
    : QGraphicsItem(parent), m_kind(reach)
{
    // Qt passes the children by wherever this item's bounds do not meet a repaint or a hit
    // test; for that the item must count as drawing (its paint does nothing). An open area
    // counts as drawing nothing, so Qt never repaints it for its own sake.
    setFlag(reach == Reach::Bounded ? ItemContainsChildrenInShape : ItemHasNoContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    setAcceptDrops(false);
}

void FloorFileArea::include(const QRectF& rect)
{
    if (rect.isEmpty() || m_reach.contains(rect))
        return;
    setReach(m_reach.united(rect));
}

void FloorFileArea::setReach(const QRectF& rect)
{
    if (m_kind == Reach::Open || rect == m_reach)
        return;
    prepareGeometryChange();
    m_reach = rect;
}

void FloorFileArea::paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) {}
