#pragma once

#include <QGraphicsObject>
#include <QPointF>

#include <optional>

#include "kit/animated_value.h"

// A point of a rectangle in fractions of its size: (0, 0) top-left, (1, 1) bottom-right.
struct UnitPoint {
    qreal x = 0.5;
    qreal y = 0.5;

    static constexpr UnitPoint center() { return {0.5, 0.5}; }
    static constexpr UnitPoint leading() { return {0, 0.5}; }
    static constexpr UnitPoint bottom() { return {0.5, 1}; }

    QPointF in(const QRectF& r) const
    {
        return QPointF(r.left() + x * r.width(), r.top() + y * r.height());
    }
};

// How an item looks while it comes in or goes out: scaled about an anchor, offset, faded,
// or any of these combined. The item moves between this look and its own.
struct Transition {
    std::optional<qreal> scale;
    UnitPoint anchor;
    QPointF offset;
    bool fades = false;

    static Transition scaled(qreal from, UnitPoint anchor = UnitPoint::center())
    {
        Transition t;
        t.scale = from;
        t.anchor = anchor;
        return t;
    }
    static Transition offsetBy(QPointF offset)
    {
        Transition t;
        t.offset = offset;
        return t;
    }
    static Transition opacity()
    {
        Transition t;
        t.fades = true;
        return t;
    }
    Transition combined(const Transition& other) const
    {
        Transition t = *this;
        if (other.scale) {
            t.scale = other.scale;
            t.anchor = other.anchor;
        }
        t.offset += other.offset;
        t.fades = fades || other.fades;
        return t;
    }

    // At `progress` 1 the item looks as it is; at 0 it has this transition's look.
    qreal scaleAt(qreal progress) const { return scale ? *scale + (1 - *scale) * progress : 1; }
    QPointF offsetAt(qreal progress) const { return offset * (1 - progress); }
    qreal opacityAt(qreal progress) const { return fades ? std::clamp(progress, 0.0, 1.0) : 1; }
};

// A container that brings its children in with one transition and takes them out with
// another, then deletes itself. The animation is the one of the change that made it
// appear or go (withAnimation); outside a transaction it appears and goes at once. While
// it goes, nothing inside takes the pointer.
class TransitionItem : public QGraphicsObject {
    Q_OBJECT
public:
    TransitionItem(const Transition& in, const Transition& out, QGraphicsItem* parent = nullptr);
    // One transition both ways.
    explicit TransitionItem(const Transition& both, QGraphicsItem* parent = nullptr);

    // The rectangle the anchors refer to, in this item's coordinates.
    void setAnchorRect(const QRectF& rect);

    virtual void appear();
    virtual void disappear();
    bool isDisappearing() const { return m_disappearing; }
    qreal progress() const { return m_progress.value(); }

    QRectF boundingRect() const override { return {}; }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

Q_SIGNALS:
    // The out transition has ended; the item deletes itself right after.
    void removed();

private:
    void applyLook();

    Transition m_in;
    Transition m_out;
    QRectF m_anchorRect;
    bool m_disappearing = false;
    bool m_removed = false;
    Animated<double> m_progress;
};
