#include "kit/drawing_cache.h"

#include "kit/painting.h"

#include <QPainter>

#include <cmath>

void DrawingCache::paint(QPainter& painter, const QRectF& area, int state,
                         const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    const qreal pixelRatio = Painting::cachePixelRatio(painter);
    if (area != m_area || pixelRatio != m_pixelRatio) {
        m_pixmaps.clear();
        m_area = area;
        m_pixelRatio = pixelRatio;
    }
    QPixmap& pixmap = m_pixmaps[state];
    if (pixmap.isNull()) {
        pixmap = QPixmap(int(std::ceil(area.width() * pixelRatio)),
                         int(std::ceil(area.height() * pixelRatio)));
        pixmap.setDevicePixelRatio(pixelRatio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(-area.topLeft());
        draw(p);
        ++m_renders;
    }
    painter.drawPixmap(area.topLeft(), pixmap);
}

void DrawingCache::clear()
{
    m_pixmaps.clear();
    m_area = {};
}
