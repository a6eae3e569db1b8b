#pragma once

#include <QGraphicsItem>

// One bump in the carpet over a hidden file: a soft shadow with a soft highlight above
// it. Its origin is its centre. Takes no pointer input.
class CarpetLumpView : public QGraphicsItem {
public:
    explicit CarpetLumpView(QGraphicsItem* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
};
