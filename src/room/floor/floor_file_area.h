#pragma once

#include <QGraphicsItem>

// An item that holds floor files' views. Draws nothing and takes no pointer input itself.
// A bounded area reaches over every one of its files and no further, so a repaint or a hit
// test elsewhere in the room (the clock's tick, the pointer over the wall) passes all of its
// files by at once instead of measuring each. An open area reaches nowhere of its own: Qt
// looks at each of its files, which suits a handful of them.
class FloorFileArea : public QGraphicsItem {
public:
    enum class Reach { Bounded, Open };

    explicit FloorFileArea(QGraphicsItem* parent = nullptr, Reach reach = Reach::Bounded);

    // Makes a bounded area reach over `rect` (this item's coordinates) as well. Growing
    // repaints the whole area.
    void include(const QRectF& rect);
    // Makes a bounded area reach over exactly `rect`, which holds every file.
    void setReach(const QRectF& rect);
    QRectF reach() const { return m_reach; }

    QRectF boundingRect() const override { return m_reach; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    Reach m_kind;
    QRectF m_reach;
};
