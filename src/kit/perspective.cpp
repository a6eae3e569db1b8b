#include "kit/perspective.h"

#include <algorithm>
#include <cmath>

QTransform tiltedAboutX(qreal degrees, QPointF anchor, qreal distance)
{
    const qreal a = degrees * M_PI / 180;
    // y' = y cos a, projected by the depth y sin a the turn gives each point.
    const qreal depth = distance > 0 ? -std::sin(a) / distance : 0;
    const QTransform turn(1, 0, 0, 0, std::cos(a), depth, 0, 0, 1);
    return QTransform::fromTranslate(-anchor.x(), -anchor.y()) * turn *
           QTransform::fromTranslate(anchor.x(), anchor.y());
}

qreal perspectiveDistance(qreal width, qreal height, qreal perspective)
{
    const qreal side = std::max(width, height);
    return perspective > 0 ? side / perspective : 0;
}
