#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// The named glyphs the room draws ("trash.fill", "xmark.circle.fill", "folder", ...), in
// one place: each name is drawn from the freedesktop icon theme's symbolic icons, tinted,
// or from a drawing of its own where the theme has none. A ".circle.fill" name is the
// glyph cut out of a filled disc, a ".circle" name the glyph in a ring.
namespace Symbols {
// Draws `name` centred in `rect` (square glyphs keep their proportion), tinted `color`.
void paint(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color);

// As paint, for a small glyph drawn for whole device pixels: where the painter is not turned,
// the glyph's box is rounded to whole device pixels and drawn one to one, never resampled.
void paintOnPixelGrid(QPainter& painter, const QString& name, const QRectF& rect,
                      const QColor& color);

// The glyph at `pixelSize` device pixels; cached by name, size and colour.
QImage image(const QString& name, int pixelSize, const QColor& color);

// Empties the image cache (the window manager gives memory back while the room is hidden).
void clearCache();
} // namespace Symbols
