#pragma once

#include <QGraphicsItem>

#include <QColor>
#include <QImage>
#include <QList>

#include <array>
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
// room walks one item instead of one per dot. The dot is drawn once per scale, at each
// quarter of a device pixel, and copied onto whole device pixels after that. Takes no
// pointer input.
class FireDots : public QGraphicsItem {
public:
    // Each dot is the ellipse `dot` (relative to its place) filled with `color`, drawn
    // while `drawsNow` says so.
    FireDots(QGraphicsItem* parent, const QRectF& dot, const QColor& color,
             std::function<bool()> drawsNow);

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
    // The dot as many device pixels to a point as `scale` gives, once for each quarter of a
    // pixel it may lie right of and below a whole one.
    void drawSprites(const QSizeF& scale);
    QRectF reach(const QPointF& place) const
    {
        return m_dot.adjusted(-1, -1, 1, 1).translated(place);
    }

    QRectF m_dot;
    QColor m_color;
    std::function<bool()> m_drawsNow;
    QRectF m_area;
    QList<QRectF> m_repaintedWithThem;
    QList<QPointF> m_places;
    QSizeF m_spriteScale;
    std::array<QImage, 16> m_sprites; // by quarters right, plus four times quarters down
};
