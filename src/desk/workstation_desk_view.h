#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

#include <QPainterPath>

#include <array>

// The white desk in the middle of the room, under the monitor, the lamp and the radio: a
// thick tabletop whose upper face shows in slight perspective, two pedestals of four
// drawers and a recessed back panel. Designed in a 555 x 276 box and stretched to its
// frame; the upper face reaches above the frame and the floor shadows below it. A still
// drawing kept as a picture per size and pixel ratio; it takes no pointer.
class WorkstationDeskView : public RoomItem {
    Q_OBJECT
public:
    static constexpr QSizeF kDesignSize{555, 276};

    explicit WorkstationDeskView(QGraphicsItem* parent = nullptr);

    // The tabletop's upper face: a trapezoid in `rect` whose back edge is 4.5 sx shorter
    // at each end than its front edge.
    static QPainterPath tabletopDepthShape(const QRectF& rect, qreal scaleX);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;

private:
    void paintTabletop(QPainter& p, qreal sx, qreal sy);
    void paintPedestal(QPainter& p, const QRectF& frame, qreal sx, qreal sy);
    void paintDrawer(QPainter& p, const QRectF& row, qreal handleWidth, qreal sy);

    std::array<ShapeShadow, 2> m_floorShadows;
    ShapeShadow m_edgeShadow;
};
