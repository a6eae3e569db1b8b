#include "room/effects/fire_part.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>

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

FireDots::FireDots(QGraphicsItem* parent, const QRectF& dot, FirePart::PaintFunction paint)
    : QGraphicsItem(parent), m_paint(std::move(paint)), m_dot(dot)
{
    setAcceptedMouseButtons(Qt::NoButton);
    // The exposed area, so that a repaint elsewhere in the room draws none of the dots.
    setFlag(ItemUsesExtendedStyleOption);
}

void FireDots::setArea(const QRectF& area)
{
    if (area == m_area)
        return;
    prepareGeometryChange();
    m_area = area;
}

void FireDots::setPlaces(const QList<QPointF>& places)
{
    if (places == m_places)
        return;
    QGraphicsScene* room = scene();
    if (room && isVisible()) {
        // The scene takes each area as it is: an update of this item would repaint one
        // rectangle round every dot at once.
        const QTransform toScene = sceneTransform();
        for (qsizetype k = 0; k < std::max(places.size(), m_places.size()); ++k) {
            const QRectF was = k < m_places.size() ? m_dot.translated(m_places[k]) : QRectF();
            const QRectF is = k < places.size() ? m_dot.translated(places[k]) : QRectF();
            const QRectF both = was.united(is);
            if (std::any_of(m_repaintedWithThem.begin(), m_repaintedWithThem.end(),
                            [&](const QRectF& area) { return area.contains(both); }))
                continue;
            // A dot that moved a little repaints one rectangle; one that started again far
            // away repaints two small ones.
            if (both.width() * both.height() <=
                2 * (was.width() * was.height() + is.width() * is.height())) {
                room->update(toScene.mapRect(both));
            } else {
                room->update(toScene.mapRect(was));
                room->update(toScene.mapRect(is));
            }
        }
    }
    m_places = places;
}

void FireDots::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QRectF exposed = option->exposedRect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const QTransform at = painter->transform();
    for (const QPointF& place : m_places) {
        if (!exposed.intersects(m_dot.translated(place)))
            continue;
        painter->setTransform(QTransform::fromTranslate(place.x(), place.y()) * at);
        m_paint(*painter);
    }
    painter->restore();
}
