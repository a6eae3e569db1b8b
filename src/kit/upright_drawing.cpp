#include "kit/upright_drawing.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace {
// A premultiplied pixel never holds more of a colour than of coverage; only an inverting
// draw leaves one that does.
void giveInvertedPixels(QImage& image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            if (qRed(p) > a || qGreen(p) > a || qBlue(p) > a)
                row[x] = colour;
        }
    }
}
} // namespace

namespace Painting {
void drawUpright(QPainter& painter, const QRectF& area, const std::function<void(QPainter&)>& draw,
                 const QColor& inverted)
{
    constexpr int kLargest = 4096; // device pixels either way
    const QTransform device = painter.deviceTransform();
    const bool turned = !qFuzzyIsNull(device.m12()) || !qFuzzyIsNull(device.m21());
    const qreal pixels = std::hypot(device.m11(), device.m12());
    const QSize size(int(std::ceil(area.width() * pixels)), int(std::ceil(area.height() * pixels)));
    if (!turned || size.isEmpty() || size.width() > kLargest || size.height() > kLargest) {
        draw(painter);
        return;
    }
    QImage upright(size, QImage::Format_ARGB32_Premultiplied);
    upright.fill(Qt::transparent);
    {
        QPainter p(&upright);
        p.setRenderHints(painter.renderHints());
        p.setPen(painter.pen());
        p.setBrush(painter.brush());
        p.setFont(painter.font());
        p.scale(pixels, pixels);
        p.translate(-area.topLeft());
        draw(p);
    }
    giveInvertedPixels(upright, qPremultiply(inverted.rgba()));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(area.topLeft(), QSizeF(size) / pixels), upright);
    painter.restore();
}
} // namespace Painting
