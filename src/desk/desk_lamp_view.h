#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"

class AppState;

// The desk lamp with its emerald glass body and pleated shade: a click switches the
// room's light (AppState::lampOn, kept across restarts). Lit, it throws a halo round the
// shade and a pool of light on the desk. Its clickable label is 210 x 175 points round
// its 80 x 110 frame, less the corkboard's frame above it and the shelf's beside it, so a
// click on a note at the board's lower corner, or on the shelf's side, stays theirs.
class DeskLampView : public RoomItem {
    Q_OBJECT
public:
    static constexpr QSizeF labelSize{210, 175};

    explicit DeskLampView(AppState& appState, QGraphicsItem* parent = nullptr);

    // The shade's outline in `rect`: a narrow top edge 22 % in from each side, bulging
    // sides and the full width at the bottom.
    static QPainterPath lampShadeShape(const QRectF& rect);

    // The label's rectangle in the view's frame, centred on it.
    QRectF labelRect() const;
    // How lit the drawing is now, 0 to 1 (it fades with the switch).
    double shownLight() const { return m_lit.value(); }
    void toggle();

protected:
    void onSizeChanged() override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    class Drawing;

    void updateHitShape();

    AppState& m_appState;
    Drawing* m_drawing = nullptr;
    Animated<double> m_lit;
};
