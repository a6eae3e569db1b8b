#pragma once

#include "kit/painting.h"

#include <QPainterPath>
#include <QRectF>

class QPainter;

// The pedal bin on the floor, drawn in its 84 x 114 frame: what each of its looks shows,
// and its layers back to front. The view keeps still layers as pixmaps and moves the lid,
// the pedal plate, the paper and the badge.
namespace TrashCanDrawing {
inline constexpr QSizeF kSize{84, 114};
inline constexpr qreal kCentreX = 42;
inline constexpr qreal kTopY = 20;

// What the can shows for a pair of flags and the Trash's item count. A drag over the can
// wins over the pointer resting on it.
struct Look {
    qreal lidAngle;   // degrees, tilted towards the viewer about the lid's top edge
    qreal lidCentreY; // where the lid's centre sits
    ShadowStyle lidShadow;
    qreal pedalDrop;
    bool paper; // crumpled paper in the opening
    bool badge; // the red "Buang ke Sampah" badge above the can
    bool full;  // the status light is orange (else green)
    ShadowStyle canShadow;
    qreal scale;
};
Look look(bool targeted, bool hovering, int itemCount);

// The can's outline (body, base band, lid at rest): what casts the can's shadow.
QPainterPath silhouette();
// What the can paints beyond its frame: the badge above and the ground shadow below.
QRectF paintedArea();

// Ground, contact and pedal shadows and the dark base band.
void paintUnder(QPainter& p);
// The pedal's hinge block, which stays, and its plate, which sinks by `drop`.
void paintPedalHinge(QPainter& p);
void paintPedalPlate(QPainter& p);
// The status light: green while the Trash is empty, orange while it holds something, grey
// and unlit while it cannot be read (it is not shown as empty then).
enum class Light { Empty, Full, Unreadable };
Light light(int itemCount, bool readable);
// The ribbed body, the status light and the dark opening.
void paintBody(QPainter& p, Light light);
void paintPaper(QPainter& p);
void paintRim(QPainter& p);
// The lid flat, centred on (0, 0); the view tilts and places it.
QRectF lidRect();
void paintLid(QPainter& p);
// The badge centred on (0, 0).
QRectF badgeRect();
void paintBadge(QPainter& p);
} // namespace TrashCanDrawing
