#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

#include <array>
#include <functional>

// Soft shadows and glows: a silhouette blurred once into an image that is then drawn as
// often as needed. Blurring is far too slow to do on every frame; render a shadow when its
// shape or size changes and keep the image.
//
// A blur radius is given in design points as the room's drawings give it: the Gaussian's
// standard deviation is half the radius.
namespace SoftShadow {

// Blurs `image` where it lies, a Gaussian of `sigma` pixels; outside the image counts as
// transparent. An 8-bit image blurs its one channel, any other its four (as premultiplied
// ARGB).
void blurInPlace(QImage& image, double sigma);

// The radii of the three box blurs in a row that blurInPlace runs for `sigma`, in pixels:
// each pixel becomes the rounded mean of the 2r + 1 values around it along a row, then
// along a column (outside the image counting as zero). Together they come within a few
// percent of a Gaussian.
std::array<int, 3> boxRadii(double sigma);

// How far, in design points, a blur of `radius` reaches beyond the silhouette.
int spread(qreal radius);

// The silhouette's alpha blurred by `radius` and tinted `color` (whose alpha scales the
// shadow). The result is larger than `silhouette` by spread(radius) design points on every
// side and has the silhouette's device pixel ratio.
QImage blurred(const QImage& silhouette, qreal radius, const QColor& color);

// The shadow of `path` filled, at `devicePixelRatio`. `topLeft` receives where the image's
// top-left corner goes in the path's coordinates (before any shadow offset).
QImage ofPath(const QPainterPath& path, qreal radius, const QColor& color, qreal devicePixelRatio,
              QPointF* topLeft);

// A shadow shared by every view that casts the same one, blurred by `make` the first time it
// is asked for. `key` names all the image depends on (the silhouette, the blur, the colour,
// the pixel ratio). The most recently used shadows are kept, a few megabytes in all.
QImage shared(const QString& key, const std::function<QImage()>& make);

} // namespace SoftShadow
