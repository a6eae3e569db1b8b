#pragma once

#include <QGraphicsObject>
#include <QImage>

class FloorInteractionState;

// The fringe at one short end of the rug: a cord against the rug with threads hanging from
// it, swinging with the carpet's drag. The threads are drawn once into an image; a swing
// only turns the image. Takes no pointer input. Its frame is 12 x 148, origin top-left.
class RugFringeEdge : public QGraphicsObject {
    Q_OBJECT
public:
    RugFringeEdge(bool isLeading, FloorInteractionState& floorState,
                  QGraphicsItem* parent = nullptr);

    bool isLeading() const { return m_isLeading; }
    // The swing drawn now, in degrees clockwise.
    double swing() const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();
    const QImage& threads(qreal pixelRatio);

    bool m_isLeading;
    FloorInteractionState& m_floorState;
    double m_paintedSwing = 0;
    QImage m_threads;
    QPointF m_threadsTopLeft;
};
