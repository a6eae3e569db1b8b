#pragma once

#include "kit/room_item.h"
#include "kit/time_line.h"
#include "room/effects/flame_sprites.h"

#include <QImage>
#include <QList>

#include <vector>

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

    // The wash is kept in square pieces this many device pixels across, as the fire's kept
    // pictures cut the view (FireLayers::tileSize): the part of it a frame lays over one of
    // those is one piece whose rows lie one after another in memory, not a strip of rows
    // strewn over the width of the room.
    static constexpr int washPiece = 128;

protected:
    void onSizeChanged() override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void updateWanted();
    void placeEmbers();
    // The wash at `devicePixelRatio`, made when missing: its pieces row by row, each at its
    // place in device pixels.
    struct WashPiece {
        QImage image;
        QPoint at;
    };
    std::vector<WashPiece>& wash(qreal devicePixelRatio);

    double m_time = 0;
    TimeLine m_timeLine;
    std::vector<WashPiece> m_wash;
    qreal m_washRatio = 0;
    FirePart* m_flames = nullptr;
    FlameSprites m_flameSprites;
    QList<double> m_flameX;
    FireDots* m_embers = nullptr;
};
