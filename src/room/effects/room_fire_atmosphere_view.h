#pragma once

#include "kit/time_line.h"

#include <QGraphicsObject>
#include <QImage>

class AppState;

// The warm, smoky air over the whole room in fire mode: a glowing wash with smoke under
// the ceiling, flames along the floor and embers drifting up. The wash is drawn once per
// size; the flames and embers are drawn on every frame of the time line and only while the
// room can be seen. Takes no pointer input.
class RoomFireAtmosphereView : public QGraphicsObject {
    Q_OBJECT
public:
    explicit RoomFireAtmosphereView(AppState& appState, QGraphicsItem* parent = nullptr);

    void setSize(const QSizeF& size);
    QSizeF size() const { return m_size; }

    void setTime(double seconds);
    double time() const { return m_time; }

    const TimeLine& timeLine() const { return m_timeLine; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void updateWanted();
    const QImage& wash(qreal devicePixelRatio);

    QSizeF m_size;
    double m_time = 0;
    TimeLine m_timeLine;
    QImage m_wash;
};
