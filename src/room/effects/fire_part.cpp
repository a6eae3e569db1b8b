#include "room/effects/fire_part.h"

#include <QPainter>

FirePart::FirePart(QGraphicsItem* parent, PaintFunction paint)
    : QGraphicsItem(parent), m_paint(std::move(paint))
{
    setAcceptedMouseButtons(Qt::NoButton);
}

void FirePart::setArea(const QRectF& area)
{
    if (area == m_area)
        return;
    prepareGeometryChange();
    m_area = area;
}

void FirePart::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    m_paint(*painter);
    painter->restore();
}
