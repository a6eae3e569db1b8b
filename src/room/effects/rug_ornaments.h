#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>

class QPainter;

// The woven ornaments of the rug. Each draws at its fixed size, centred on the painter's
// origin, whatever the size of the rug it lies on.

// A stepped navy corner with a gold wedge, laid into each corner of the inner field.
class ArabicCornerSpandrel {
public:
    static constexpr QSizeF size{28, 24};
    static void paint(QPainter& painter);
};

// A small gold diamond with a white dot: the stars in a row across the field.
class ArabicFieldStar {
public:
    static constexpr QSizeF size{6, 6};
    static void paint(QPainter& painter);
};

// A dot, a diamond and a smaller dot in a row: the pendants either side of the medallion.
class ArabicFinialPendant {
public:
    static constexpr QSizeF size{18, 7};
    static void paint(QPainter& painter);
};

// Two eight-pointed stars, gold over navy, round a red rosette, with a pendant either side.
class ArabicCentralMedallion {
public:
    static constexpr QSizeF size{94, 44};
    static void paint(QPainter& painter);
};

// Where the ornaments lie on the rug: offsets from its centre and clockwise rotations.
namespace RugLayout {
struct Placement {
    QPointF centre;
    double rotation = 0;
};
// The four corner pieces, clockwise from the top left; the same for any rug size.
QList<Placement> corners();
// The eight stars of the field's row; the middle slot stays empty for the medallion.
QList<QPointF> fieldStars();
constexpr double fieldStarOpacity = 0.85;
// The medallion's two pendants, relative to the medallion's centre.
QList<Placement> finials();
} // namespace RugLayout
