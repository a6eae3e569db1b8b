#pragma once

#include "kit/drawing_cache.h"
#include "kit/room_item.h"

#include <QPainterPath>

// The potted plant on the floor: a pale ceramic pot with five stems, each ending in one
// paddle-shaped leaf. A still drawing; it takes no pointer.
namespace PottedPlantDrawing {
// One leaf's outline in a w x h box, base at the bottom centre, tip at the top centre.
QPainterPath leafOutline(QSizeF box);
// Every leaf's outline where it lies in the plant's box of `size` (turned on its stem).
QList<QPainterPath> placedLeaves(QSizeF size);
// What the drawing covers in the plant's box, shadows included: the leaves reach beyond
// the box's sides and top.
QRectF paintedArea(QSizeF size);
void paint(QPainter& painter, QSizeF size);
} // namespace PottedPlantDrawing

class PottedPlantView : public RoomItem {
    Q_OBJECT
public:
    explicit PottedPlantView(QGraphicsItem* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;

private:
    DrawingCache m_cache;
};
