#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>
#include <QRegion>

#include <functional>
#include <initializer_list>

class QPainter;

namespace Painting {
// A rounded rectangle whose corners blend into the sides with no kink in curvature (the
// "continuous" corner): each corner starts further along the side than a circular one
// and runs into a shorter arc. Radii larger than half the short side are reduced.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);
// A rectangle with fully rounded ends.
QPainterPath capsule(const QRectF& rect);
// A pen as the room's drawings stroke: butt caps, miter joins, miter limit 10, no dash.
QPen drawingPen(const QBrush& brush, qreal width);
// The ellipse inscribed in `rect`.
QPainterPath ellipse(const QRectF& rect);
// The circle of `radius` about `centre`.
QPainterPath circle(QPointF centre, qreal radius);

// A gradient with its colours evenly spaced from `from` to `to`.
QLinearGradient linearGradient(QPointF from, QPointF to, std::initializer_list<QColor> colors);
// A gradient from the top edge of `rect` to its bottom edge.
QLinearGradient verticalGradient(const QRectF& rect, std::initializer_list<QColor> colors);
// A gradient from the top-left corner of `rect` to its bottom-right corner.
QLinearGradient diagonalGradient(const QRectF& rect, std::initializer_list<QColor> colors);
QRadialGradient radialGradient(QPointF centre, qreal startRadius, qreal endRadius,
                               std::initializer_list<QColor> colors);

// A rectangle of the given size centred on `centre`.
QRectF centredRect(QPointF centre, qreal width, qreal height);

// Where a picture of `source` size goes to fill `target` keeping its proportions: centred
// on it, overhanging on two sides (the caller clips).
QRectF aspectFillRect(const QSizeF& source, const QRectF& target);

// Where `picture`, drawn into `target`, is at least half opaque, to a point: in each row of
// the target's points, the span from the first such pixel to the last. For a piece drawn
// from a picture with clear corners, so that it takes the pointer only where it shows.
QPainterPath opaqueOutline(const QImage& picture, const QRectF& target);

// The pixel ratio an image drawn with `painter` needs to stay sharp: the device's, times
// the scale of the painter's transform when it enlarges (the monitor is scaled, for one).
qreal cachePixelRatio(const QPainter& painter);

// Draws `image` (device pixels) with its top-left corner on the device pixel `at`, one
// pixel of the image to one of the device whatever the painter's transform: the raster
// engine's plain blit.
void drawOnDevicePixels(QPainter& painter, const QPoint& at, QImage& image);
// One image of several drawn on device pixels: the pixel its top-left corner goes on.
struct DevicePixelsImage {
    QPoint at;
    QImage* image;
};
// The same for many small images at once, with one save and restore of the painter.
void drawOnDevicePixels(QPainter& painter, const QList<DevicePixelsImage>& images);

// Draws a cached picture at `at` (logical) as drawImage and drawPixmap do: one pixel of the
// picture to one of the device, the corner on the device pixel nearest `at`, the same
// pixels. Given a point between device pixels, or smoothing with antialiasing on, the raster
// engine would blend the picture span by span instead of copying it, handing the spans of a
// tall one to other threads and waiting for them; the rounded point without smoothing is its
// plain blit. A transformed painter, or a picture not at the device's pixel ratio, is drawn
// as drawImage would.
void drawOnNearestPixel(QPainter& painter, const QPointF& at, const QImage& image);
void drawOnNearestPixel(QPainter& painter, const QPointF& at, const QPixmap& pixmap);

// A few rectangles that cover `rects`, for a repaint of many scattered areas painted one
// rectangle at a time with a plain clip: two become one where the gap their union adds is at
// most `largestGap` pixels (painting a gap against one more pass over what is drawn there).
QList<QRect> coveringRects(const QList<QRect>& rects, qint64 largestGap);

// The region `rects` cover together, worked out in one sweep down the rows: uniting them
// one region at a time allocates a region per step, and a fire frame names over a hundred.
QRegion unitedRects(const QRect* rects, qsizetype count);
} // namespace Painting

// A blurred shadow as the room's views give one: a colour, a blur radius and an offset.
struct ShadowStyle {
    QColor color = QColor(0, 0, 0, 85);
    qreal radius = 4;
    QPointF offset;

    friend bool operator==(const ShadowStyle&, const ShadowStyle&) = default;
};

namespace Painting {
// Draws what `draw` paints (inside `area`, painter coordinates) with a soft shadow of
// `style` behind it: the layer is painted into an image, its alpha blurred, the shadow
// drawn and the layer over it. For drawings that are then cached: it blurs every time.
void paintWithShadow(QPainter& painter, const QRectF& area, const ShadowStyle& style,
                     const std::function<void(QPainter&)>& draw);
} // namespace Painting

// The soft shadow of one shape (SoftShadow::ofPath), blurred once and drawn from the image
// until the shape, the style or the scale it is drawn at changes. A view keeps one per
// shadow it draws.
class ShapeShadow {
public:
    // Draws the shadow of `shape` (painter coordinates) behind whatever comes next.
    void paint(QPainter& painter, const QPainterPath& shape, const ShadowStyle& style);

    // How many times the image was made, for tests.
    int renderCount() const { return m_renders; }

private:
    QPainterPath m_shape;
    ShadowStyle m_style;
    qreal m_pixelRatio = 0;
    QImage m_image;
    QPointF m_topLeft;
    int m_renders = 0;
};
