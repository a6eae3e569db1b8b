#include "kit/upright_drawing.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace Painting {
void drawUpright(QPainter& painter, const QRectF& area, const std::function<void(QPainter&)>& draw)
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
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(area.topLeft(), QSizeF(size) / pixels), upright);
    painter.restore();
}
} // namespace Painting
