#pragma once

#include "kit/room_item.h"
#include "kit/time_line.h"
#include "room/effects/flame_sprites.h"

#include <QImage>
#include <QList>

class AppState;
class FireDots;
class FirePart;

// The warm, smoky air over the whole room in fire mode: a glowing wash with smoke under
// the ceiling, flames along the floor and embers drifting up. The wash is drawn once per
// size; the flames (from masks drawn once per size) and embers move on every frame of the
// time line, each repainting only its own area, and only while the room can be seen. Takes no
// pointer input. Its frame is the room's.
class RoomFireAtmosphereView : public RoomItem {
    Q_OBJECT
public:
    explicit RoomFireAtmosphereView(AppState& appState, QGraphicsItem* parent = nullptr);
    ~RoomFireAtmosphereView() override;

    void setTime(double seconds);
    double time() const { return m_time; }

    const TimeLine& timeLine() const { return m_timeLine; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void updateWanted();
    void placeEmbers();
    const QImage& wash(qreal devicePixelRatio);

    double m_time = 0;
    TimeLine m_timeLine;
    QImage m_wash;
    FirePart* m_flames = nullptr;
    FlameSprites m_flameSprites;
    QList<double> m_flameX;
    FireDots* m_embers = nullptr;
};
