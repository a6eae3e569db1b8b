#pragma once

#include "kit/drawing_cache.h"
#include "kit/room_item.h"
#include "kit/time_line.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/flame_sprites.h"

#include <QList>
#include <QPainterPath>

#include <array>
#include <optional>

class AppState;
class FireDots;
class FirePart;

// The flames over one burning piece of the room: a glow round its frame, a row of flames
// along its bottom edge and one along its top edge, and sparks rising through it. The
// flames and sparks move on every frame of its time line (30 a second, 20 in low-power
// mode), each repainting only its own area, the flames from masks drawn once per size
// (FlameSprites); nothing is drawn while the room cannot be seen. Takes no pointer input.
// Its frame is the piece's. A piece whose drawing leaves much of its frame empty (a guitar)
// hands in its drawn outline: the glow, the rows and the sparks then follow that outline.
class AssetFireEffectView : public RoomItem {
    Q_OBJECT
public:
    AssetFireEffectView(AppState& appState, qreal flameHeight, bool showBaseFlames,
                        bool showTopFlames, QGraphicsItem* parent = nullptr);
    ~AssetFireEffectView() override;

    // The moment the flames show, in seconds since the reference date; the time line sets
    // it on every frame.
    void setTime(double seconds);
    double time() const { return m_time; }

    // The piece's drawn outline in the frame's coordinates; none: the frame itself.
    void setOutline(const std::optional<QPainterPath>& outline);
    // Where the row of an edge stands now.
    FireGeometry::Ledge ledge(FireGeometry::Edge edge) const;

    const TimeLine& timeLine() const { return m_timeLine; }
    // Something is drawn now: the room can be seen and the piece is large enough.
    bool isDrawing() const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // Lets the still glow's pixels go while a picture of the room shows it; the next paint
    // draws them anew.
    void letGlowGo() { m_glowPixels.clear(); }

protected:
    void onSizeChanged() override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    struct Row {
        FireGeometry::Edge edge;
        FirePart* part;
    };

    FirePart* flameRow(FireGeometry::Edge edge);
    void updateWanted();
    void placeSparks();
    void layOut();

    qreal m_flameHeight;
    double m_time = 0;
    TimeLine m_timeLine;
    QList<Row> m_rows;
    FireDots* m_sparks = nullptr;
    std::array<FlameSprites, 2> m_flames; // by edge
    std::array<double, 2> m_flameBaseline{};
    std::array<QList<double>, 2> m_flameX; // by edge
    std::optional<QPainterPath> m_outline;
    QRectF m_sparkArea; // the sparks rise through this rectangle
    QPainterPath m_glow;
    DevicePixelsCache m_glowPixels;
};
