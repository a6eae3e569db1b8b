#pragma once

#include <QGraphicsItem>

#include <QList>

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

// Small dots that move on every frame (sparks, embers), drawn by one item: each frame
// repaints only where each dot was and where it is, not the whole area they roam, and the
// room walks one item instead of one per dot. Takes no pointer input.
class FireDots : public QGraphicsItem {
public:
    // `paint` draws one dot with its top-left corner at the origin, within `dot`.
    FireDots(QGraphicsItem* parent, const QRectF& dot, FirePart::PaintFunction paint);

    // Everything the dots can reach, in the item's coordinates.
    void setArea(const QRectF& area);
    // Areas (the item's coordinates) that repaint whole whenever the dots move, such as the
    // rows of flames they rise from: a dot that was and is within one asks for nothing more.
    void setRepaintedWithThem(const QList<QRectF>& areas) { m_repaintedWithThem = areas; }
    // Where the dots' top-left corners are now.
    void setPlaces(const QList<QPointF>& places);
    const QList<QPointF>& places() const { return m_places; }

    QRectF boundingRect() const override { return m_area; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    FirePart::PaintFunction m_paint;
    QRectF m_dot;
    QRectF m_area;
    QList<QRectF> m_repaintedWithThem;
    QList<QPointF> m_places;
};
