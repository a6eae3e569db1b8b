#pragma once

#include "kit/room_geometry.h"
#include "kit/room_item.h"

#include <optional>

class AppState;
class BurningFireModifier;

// The place of one piece of furniture in the room: its frame, its stacking priority and
// the height of the flames it carries in fire mode. The piece's own view is handed in
// with setView() and framed to the slot; until then the slot is empty and draws nothing.
// In fire mode the slot's piece burns: flames over its frame (over its drawn outline where
// the piece gives one) and a glow round the view.
class FurnitureSlot : public RoomItem {
    Q_OBJECT
public:
    FurnitureSlot(Furniture piece, qreal fireHeight, AppState& appState,
                  QGraphicsItem* parent = nullptr);
    ~FurnitureSlot() override;

    Furniture piece() const { return m_piece; }
    qreal fireHeight() const { return m_fireHeight; }

    // Takes `view` over (replacing and deleting any earlier one) and frames it to the slot.
    void setView(RoomItem* view);
    RoomItem* view() const { return m_view; }
    // The view is laid out at this size and scaled into the slot's frame (the monitor).
    void setLayoutSize(const QSizeF& size);
    // Whether the view takes the pointer at all (the desk does not).
    void setTakesPointer(bool takes);

    BurningFireModifier* fire() const { return m_fire; }

    // The slot reaches as far as anything in it (the piece, its flames, sparks and glow),
    // so that a repaint elsewhere in the room passes the whole slot by at once.
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;

private:
    void frameView();
    // The fire follows what the piece draws where the piece gives its outline.
    void followOutline();

    Furniture m_piece;
    qreal m_fireHeight;
    RoomItem* m_view = nullptr;
    BurningFireModifier* m_fire = nullptr;
    std::optional<QSizeF> m_layoutSize;
    bool m_takesPointer = true;
};
