#pragma once

#include "kit/colors.h"
#include "kit/painting.h"

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QSizeF>

// Small shorthands the room objects' drawings share: colours as sRGB component triples
// (the kit's Colors), points as fractions of a frame, and the pens the drawings stroke with (miter
// joins with limit 10, butt caps unless asked).
namespace ObjectDrawing {
using Colors::black;
using Colors::srgb;
using Colors::white;

// A point given as fractions of `size`.
struct Frac {
    QSizeF size;
    QPointF operator()(qreal x, qreal y) const { return {x * size.width(), y * size.height()}; }
};

inline QPen pen(const QBrush& brush, qreal width, Qt::PenCapStyle cap = Qt::FlatCap)
{
    QPen p = Painting::drawingPen(brush, width);
    p.setCapStyle(cap);
    return p;
}
} // namespace ObjectDrawing
