#pragma once

#include <QGraphicsItem>

#include <functional>

// A part of a fire drawing that changes on every frame (a row of flames, a spark, an
// ember). As an item of its own it repaints only its own area, or where it was and where
// it is when it moves; the still parts under it are not drawn again. Takes no pointer
// input.
class FirePart : public QGraphicsItem {
public:
    using PaintFunction = std::function<void(QPainter&)>;

    FirePart(QGraphicsItem* parent, PaintFunction paint);

    // Everything the part can paint, in its own coordinates.
    void setArea(const QRectF& area);

    QRectF boundingRect() const override { return m_area; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    PaintFunction m_paint;
    QRectF m_area;
};
