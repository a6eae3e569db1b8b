#pragma once

#include <QSizeF>

class QPainter;

enum class PresidentialPortraitType { President, VicePresident };

// The picture behind a portrait's glass: a warm backdrop, a red-over-white drape in the
// upper left corner and a head-and-shoulders figure without features, drawn to `size`
// from the top-left corner. Positions scale with the size; the small details (collar, tie,
// pin, neck and ears) keep their sizes in points.
namespace PortraitDrawing {
void draw(QPainter& painter, const QSizeF& size, PresidentialPortraitType type);
} // namespace PortraitDrawing
