#pragma once

#include <QPointF>
#include <QTransform>

// A flat drawing turned in depth about a horizontal axis through `anchor` and seen in
// perspective from `distance` points in front of it: with a positive angle the part above
// the anchor leans away (and shrinks), the part below comes closer.
QTransform tiltedAboutX(qreal degrees, QPointF anchor, qreal distance);

// The viewing distance of a drawing of the given size with a relative vanishing point
// (1 is the usual depth; a smaller value flattens the perspective).
qreal perspectiveDistance(qreal width, qreal height, qreal perspective);
