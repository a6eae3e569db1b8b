#pragma once

#include <QGraphicsItem>

// The item that holds the floor's files: it reaches over every one of them and no further,
// so a repaint or a hit test elsewhere in the room (the clock's tick, the pointer over the
// wall) passes all of its files by at once instead of measuring each. Draws nothing and
// takes no pointer input itself.
class FloorFileArea : public QGraphicsItem {
public:
    explicit FloorFileArea(QGraphicsItem* parent = nullptr);

    // Makes the area reach over `rect` (this item's coordinates). Growing repaints the whole
    // area, so `room`, when given, is taken at once instead: a file that follows the pointer
    // out of the area then needs no further growth.
    void include(const QRectF& rect, const QRectF& room = {});
    // Makes the area reach over exactly `rect`, which holds every file.
    void setReach(const QRectF& rect);
    QRectF reach() const { return m_reach; }

    QRectF boundingRect() const override { return m_reach; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QRectF m_reach;
};
