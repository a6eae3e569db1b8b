#pragma once

#include "kit/room_item.h"

#include <functional>

class QPainter;

// A plain button: whatever `paint` draws, dimmed while it is held down, running `action`
// on a click. The room's buttons have no chrome of their own.
class ButtonItem : public RoomItem {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter& painter, const QRectF& rect)>;

    ButtonItem(Painter paint, std::function<void()> action, QGraphicsItem* parent = nullptr);

    void click(); // as a click would

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;

private:
    void setHeld(bool held);

    Painter m_paint;
    std::function<void()> m_action;
    bool m_held = false;
};
