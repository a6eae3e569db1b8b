#pragma once

#include <QColor>

// Colours as the room's drawings give them: sRGB components from 0 to 1 with an opacity,
// and the few system colours the room uses, taken from the application's palette.
namespace Colors {
QColor srgb(qreal red, qreal green, qreal blue, qreal opacity = 1);
// `color` with its opacity multiplied by `opacity`.
QColor withOpacity(const QColor& color, qreal opacity);
QColor black(qreal opacity = 1);
QColor white(qreal opacity = 1);

QColor windowBackground();
QColor controlBackground();
QColor selectedControl();
QColor controlAccent();
QColor primaryLabel();
QColor secondaryLabel();
QColor tertiaryLabel();
// The neutral grey of previews and outlines.
QColor grey(qreal opacity = 1);
// A grey whose red, green and blue are all `level` (0 black, 1 white).
QColor greyLevel(qreal level, qreal opacity = 1);

// Each byte of `pixel` times `factor` / 255, rounded as Qt's raster engine rounds it when
// it blends: what a premultiplied colour becomes at a coverage or opacity of `factor`.
inline QRgb byteMultiplied(QRgb pixel, uint factor)
{
    uint t = (pixel & 0xff00ff) * factor;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    pixel = ((pixel >> 8) & 0xff00ff) * factor;
    pixel = (pixel + ((pixel >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return pixel | t;
}

// Lays `colour` (premultiplied) at each of `count` coverages over as many premultiplied
// pixels, each as the raster engine blends a fill of that colour at that coverage
// (byteMultiplied, then source over). Takes the processor's widest lanes: it is what a
// row of flames costs on every frame.
void layInColour(QRgb* pixels, const uchar* coverage, int count, QRgb colour);
} // namespace Colors

namespace Colors {
// The named system colours the panels use (light appearance).
enum class System { Blue, Green, Purple, Indigo, Teal, Pink, Orange, Red, Cyan, Yellow };
QColor system(System name, qreal opacity = 1);
} // namespace Colors
