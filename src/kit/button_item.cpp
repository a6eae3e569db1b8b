#include "kit/button_item.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>

ButtonItem::ButtonItem(Painter paint, std::function<void()> action, QGraphicsItem* parent)
    : RoomItem(parent), m_paint(std::move(paint)), m_action(std::move(action))
{
    gestures().onTap([this] { click(); });
}

void ButtonItem::click()
{
    if (m_action)
        m_action();
}

void ButtonItem::setHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    update();
}

void ButtonItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    RoomItem::mousePressEvent(event);
    setHeld(event->isAccepted());
}

void ButtonItem::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    RoomItem::mouseMoveEvent(event);
    setHeld(contains(event->pos()));
}

void ButtonItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    setHeld(false);
    RoomItem::mouseReleaseEvent(event);
}

void ButtonItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_paint)
        return;
    painter->save();
    if (m_held)
        painter->setOpacity(painter->opacity() * 0.7);
    m_paint(*painter, rect());
    painter->restore();
}
