#pragma once

#include "room/theme_background_view.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QPointF>

#include <optional>

namespace BenchCase {

// A point of the bare floor (the room's background takes the pointer there) near `corner`,
// searched outwards from it, or nothing: where a marquee or a click on nothing starts.
inline std::optional<QPointF> bareFloorNear(const QGraphicsScene& scene, QPointF corner,
                                            QPointF outwards)
{
    for (int step = 0; step < 40; ++step) {
        const QPointF p = corner + outwards * step * 4;
        for (QGraphicsItem* hit : scene.items(p)) {
            if (!hit->isVisible() || hit->acceptedMouseButtons() == Qt::NoButton)
                continue;
            if (dynamic_cast<ThemeBackgroundView*>(hit))
                return p;
            break;
        }
    }
    return std::nullopt;
}

} // namespace BenchCase
