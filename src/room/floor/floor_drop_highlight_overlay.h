#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

// Shown over the whole room while files from another program are dragged over it: a
// dashed green frame and a label that says they can be put down. It takes no pointer.
class FloorDropHighlightOverlay : public RoomItem {
    Q_OBJECT
public:
    explicit FloorDropHighlightOverlay(QGraphicsItem* parent = nullptr);

    static QString labelText();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    ShapeShadow m_labelShadow;
};
