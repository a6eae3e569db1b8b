#pragma once

#include <QGraphicsObject>

// The rubber band drawn while the user drags a selection box over the floor. It takes no
// pointer: the room's background gesture feeds it through the floor state.
class FloorMarqueeView : public QGraphicsObject {
    Q_OBJECT
public:
    explicit FloorMarqueeView(QGraphicsItem* parent = nullptr);

    void setMarquee(const QRectF& rect);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QRectF m_rect;
};
