#pragma once

#include "kit/gestures.h"
#include "kit/room_geometry.h"

#include <QColor>
#include <QGraphicsObject>
#include <QMarginsF>
#include <QPainterPath>

#include <memory>
#include <optional>

// The base of every piece of the room: an item that draws in its own frame, (0, 0) to
// size(), and is placed by its parent by its centre. It takes the pointer only where a
// gesture is attached (gestures()), over its hit shape (the frame unless set; the drawn
// outline when one is set).
class RoomItem : public QGraphicsObject {
    Q_OBJECT
public:
    explicit RoomItem(QGraphicsItem* parent = nullptr);
    ~RoomItem() override;

    QSizeF size() const { return m_size; }
    QRectF rect() const { return QRectF(QPointF(), m_size); }
    void setSize(const QSizeF& size);
    // Places the item's centre at `centre` in its parent's coordinates.
    void setCentre(QPointF centre);
    QPointF centre() const;
    void setFrame(const RoomFrame& frame);

    // Room to draw outside the frame (shadows, flames) without taking the pointer there.
    void setPaintMargins(const QMarginsF& margins);
    void setHitShape(const QPainterPath& shape);
    // The outline of what the item draws, for an item whose drawing leaves much of its frame
    // empty and whose frame lies over other pieces: it takes the pointer only inside it (it
    // becomes the hit shape), and in fire mode its flames follow it.
    void setDrawnOutline(const QPainterPath& outline);
    const std::optional<QPainterPath>& drawnOutline() const { return m_drawnOutline; }

    Gestures& gestures();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

Q_SIGNALS:
    void sizeChanged();
    void drawnOutlineChanged();

protected:
    // A subclass lays out its children again here.
    virtual void onSizeChanged() {}

    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    QSizeF m_size;
    QMarginsF m_paintMargins;
    std::optional<QPainterPath> m_hitShape;
    std::optional<QPainterPath> m_drawnOutline;
    std::unique_ptr<Gestures> m_gestures;
};

// Makes `item` and everything in it transparent to the pointer: no clicks, hover or drops.
void stopTakingPointer(QGraphicsItem* item);

// A clear item over the whole room that closes the panel lying on it: a click anywhere
// outside the panel lands here, a click on the panel stays on the panel. It also keeps
// the pointer's hover from the room below.
class TapLayer : public RoomItem {
    Q_OBJECT
public:
    explicit TapLayer(std::function<void()> onTap, QGraphicsItem* parent = nullptr);

    // A layer that dims the room below it (the modal backdrop) rather than a clear one.
    void setFillColor(const QColor& color);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;

private:
    // Whether one of the layer's own items (the panel) lies under `scenePos`.
    bool isOnPanel(QPointF scenePos) const;

    QColor m_fill = Qt::transparent;
};
