#pragma once

#include <QGraphicsObject>

// The rubber band drawn while the user drags a selection box over the floor. It takes no
// pointer: the room's background gesture feeds it through the floor state. A step of the
// marquee repaints only what it changed (the band its edges swept and the two outlines):
// what lies under the whole rectangle, on a full floor thousands of selected files, is not
// drawn again at pointer rate.
class FloorMarqueeView : public QGraphicsObject {
    Q_OBJECT
public:
    explicit FloorMarqueeView(QGraphicsItem* parent = nullptr);

    // The rectangle drawn, empty for none.
    void setMarquee(const QRectF& rect);
    QRectF marquee() const { return m_rect; }
    // Where a marquee may lie (the room), so that the item's bounds stay put while it moves.
    void setArea(const QRectF& area);
    // The area the latest change of the rectangle repainted.
    qreal lastRepaintedArea() const { return m_lastRepainted; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QRectF m_rect;
    QRectF m_area;
    qreal m_lastRepainted = 0;
};
