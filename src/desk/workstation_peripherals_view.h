#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

// A small white keyboard with a matching mouse beside it, 90 x 19 at scale 1 and growing
// with the scale. The room does not place it.
class WorkstationPeripheralsView : public RoomItem {
    Q_OBJECT
public:
    explicit WorkstationPeripheralsView(qreal scale = 1, QGraphicsItem* parent = nullptr);

    static QSizeF sizeFor(qreal scale) { return QSizeF(90 * scale, 19 * scale); }
    // The widths of the flexible keys of each row at `scale`.
    static QList<qreal> flexibleKeyWidths(qreal scale);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    qreal m_scale;
    ShapeShadow m_keyboardShadow;
    ShapeShadow m_mouseShadow;
};
