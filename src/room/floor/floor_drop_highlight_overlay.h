#pragma once

#include "kit/room_item.h"

#include <QImage>

// Shown over the whole room while files from another program are dragged over it: a
// dashed green frame and a label that says they can be put down. It takes no pointer.
class FloorDropHighlightOverlay : public RoomItem {
    Q_OBJECT
public:
    explicit FloorDropHighlightOverlay(QGraphicsItem* parent = nullptr);

    static QString labelText();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QImage m_labelShadow;
    QPointF m_labelShadowTopLeft;
    QRectF m_labelShadowRect;
};
