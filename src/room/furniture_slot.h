#pragma once

#include "kit/room_geometry.h"
#include "kit/room_item.h"

#include <QPointer>

#include <functional>
#include <optional>

class TransitionItem;

// The place of one piece of furniture in the room: its frame, its stacking priority and
// the height of the flames it carries in fire mode. The piece's own view is handed in
// with setView() and framed to the slot; until then the slot is empty and draws nothing.
class FurnitureSlot : public RoomItem {
    Q_OBJECT
public:
    // Fire mode's flames over one piece: an item drawn in the slot's coordinates (the
    // frame is (0, 0) to size()), taking no pointer events.
    using FireFactory = std::function<QGraphicsItem*(FurnitureSlot& slot)>;

    FurnitureSlot(Furniture piece, qreal fireHeight, QGraphicsItem* parent = nullptr);

    Furniture piece() const { return m_piece; }
    qreal fireHeight() const { return m_fireHeight; }

    // Takes `view` over (replacing and deleting any earlier one) and frames it to the slot.
    void setView(RoomItem* view);
    RoomItem* view() const { return m_view; }
    // The view is laid out at this size and scaled into the slot's frame (the monitor).
    void setLayoutSize(const QSizeF& size);
    // Whether the view takes the pointer at all (the desk does not).
    void setTakesPointer(bool takes);

    // Fire mode: flames from `factory` fade in over the piece (with the animation of the
    // change) and the piece glows; turning it off takes both away again.
    void setBurning(bool burning, const FireFactory& factory);
    bool isBurning() const { return m_burning; }
    QGraphicsItem* fireOverlay() const;

protected:
    void onSizeChanged() override;

private:
    void frameView();
    void applyGlow();

    Furniture m_piece;
    qreal m_fireHeight;
    RoomItem* m_view = nullptr;
    std::optional<QSizeF> m_layoutSize;
    bool m_takesPointer = true;
    bool m_burning = false;
    QPointer<TransitionItem> m_fire;
};
