#pragma once

#include "kit/time_line.h"

#include <QGraphicsObject>

class AppState;

// The flames over one burning piece of the room: a glow round its frame, a row of flames
// along its bottom edge and one along its top edge, and sparks rising through it. Drawn
// afresh on every frame of its time line (30 a second, 20 in low-power mode), and not at
// all while the room cannot be seen. Takes no pointer input.
class AssetFireEffectView : public QGraphicsObject {
    Q_OBJECT
public:
    AssetFireEffectView(AppState& appState, qreal flameHeight, bool showBaseFlames,
                        bool showTopFlames, QGraphicsItem* parent = nullptr);

    // The burning piece's frame, in the parent's coordinates.
    void setFrame(const QRectF& frame);
    QSizeF size() const { return m_size; }
    qreal flameHeight() const { return m_flameHeight; }

    // The moment the flames show, in seconds since the reference date; the time line sets
    // it on every frame.
    void setTime(double seconds);
    double time() const { return m_time; }

    const TimeLine& timeLine() const { return m_timeLine; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void updateWanted();

    qreal m_flameHeight;
    bool m_showBaseFlames;
    bool m_showTopFlames;
    QSizeF m_size;
    double m_time = 0;
    TimeLine m_timeLine;
};
