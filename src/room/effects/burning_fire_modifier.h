#pragma once

#include <QGraphicsObject>
#include <QPainterPath>
#include <QPointer>

#include <optional>

class AppState;
class AssetFireEffectView;

// Sets a room piece on fire while fire mode is on: flames over the piece's frame and an
// orange glow round the piece itself. Put it beside the piece, as a child of the item that
// holds the piece; it stacks above its siblings. With fire mode off there is neither
// flame nor glow.
//
// The flames are a sibling of the piece rather than a child, so that their frames never
// invalidate the piece's rendering and its glow is blurred only when the piece changes.
class BurningFireModifier : public QGraphicsObject {
    Q_OBJECT
public:
    BurningFireModifier(AppState& appState, qreal flameHeight, bool showBaseFlames,
                        bool showTopFlames, QGraphicsItem* parent = nullptr);
    ~BurningFireModifier() override;

    // The piece's frame, in the parent's coordinates.
    void setFrame(const QRectF& frame);
    // What the piece draws, where it leaves much of its frame empty, in the frame's
    // coordinates: the flames follow it. None: they follow the frame.
    void setOutline(const std::optional<QPainterPath>& outline);
    // The piece that glows; none for a slot whose piece is not there yet. A piece that
    // already carries an effect of its own keeps it and gets no glow.
    void setContent(QGraphicsItem* content);

    bool isActive() const;
    // The flames while burning, else null (flames fading out are no longer counted).
    AssetFireEffectView* fireView() const;
    // Whether the piece carries the glow now.
    bool isGlowing() const;
    // Lets the picture of the glowing piece go while a picture of the room shows it; it is
    // made again the next time the piece is drawn.
    void letGlowGo();

    QRectF boundingRect() const override { return {}; }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

private:
    void follow();
    void setGlow(bool on);

    AppState& m_appState;
    qreal m_flameHeight;
    bool m_showBaseFlames;
    bool m_showTopFlames;
    QRectF m_frame;
    std::optional<QPainterPath> m_outline;
    QGraphicsItem* m_content = nullptr;
    QPointer<QGraphicsEffect> m_glow;
    QPointer<AssetFireEffectView> m_fire;
};
