#pragma once

#include "kit/painting.h"

#include <QGraphicsItem>

#include <QColor>
#include <QImage>
#include <QList>

#include <array>
#include <functional>

class QGraphicsScene;

// Whoever keeps pictures of the room under the fire's moving parts (FirePart, FireDots, and
// the atmosphere's wash, which is one picture already): while it makes one, each part hands
// it the painter instead of drawing itself; it hears of every repaint the parts ask for, to
// tell them from changes to the still room, and of every part that goes.
class MovingPartWatcher {
public:
    virtual ~MovingPartWatcher() = default;

    // True when `part` must not draw on `painter` now.
    virtual bool takesPaint(QGraphicsItem* part, QPainter& painter) = 0;
    // The same for a part that never changes but is laid down like a moving one so that its
    // picture is kept once (the fire's smoky wash): the watcher may keep it with the room.
    virtual bool takesStillPaint(QGraphicsItem* part, QPainter& painter)
    {
        return takesPaint(part, painter);
    }
    // `part` asked `scene` to repaint `area` (scene coordinates).
    virtual void partRepaints(const QGraphicsScene* scene, const QRectF& area) = 0;
    virtual void partGone(QGraphicsItem* part) = 0;
    // `part` starts or stops moving on every frame by itself, outside a fire (the radio's
    // notes while music plays).
    virtual void partMoves(QGraphicsItem* part, bool moving)
    {
        Q_UNUSED(part);
        Q_UNUSED(moving);
    }

    static void watch(MovingPartWatcher* watcher);
    static void unwatch(MovingPartWatcher* watcher);

    // What the parts call.
    static bool takePaint(QGraphicsItem* part, QPainter& painter);
    static bool takeStillPaint(QGraphicsItem* part, QPainter& painter);
    static void repaints(const QGraphicsScene* scene, const QRectF& area);
    static void gone(QGraphicsItem* part);
    static void moves(QGraphicsItem* part, bool moving);
};

// A part of a fire drawing that changes on every frame (a row of flames, a spark, an
// ember). As an item of its own it repaints only its own area, or where it was and where
// it is when it moves; the still parts under it are not drawn again. Takes no pointer
// input.
class FirePart : public QGraphicsItem {
public:
    // Draws the part's current frame. It is handed the painter with antialiasing on and no
    // pen, and leaves every other setting as it found it.
    using PaintFunction = std::function<void(QPainter&)>;

    FirePart(QGraphicsItem* parent, PaintFunction paint);
    ~FirePart() override;

    // Repaints the whole part (its next frame).
    void repaint();

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
    ~FireDots() override;

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
    std::array<QImage, 16> m_sprites;          // by quarters right, plus four times quarters down
    QList<Painting::DevicePixelsImage> m_laid; // the dots a paint lays down, kept for its room
};
