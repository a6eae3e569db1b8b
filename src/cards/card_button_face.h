#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QRectF;

// A button's face: an optional symbol and a text on a rounded rectangle.
struct CardButtonFace {
    QString symbol;
    QString text;
    QFont font;
    QColor foreground;
    QColor background;
    qreal radius = 6;

    qreal symbolSide() const;
    qreal naturalWidth(qreal horizontalPadding) const;
    void paint(QPainter& p, const QRectF& rect) const;
};
