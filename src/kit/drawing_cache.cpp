#include "kit/drawing_cache.h"

#include "kit/painting.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

void DrawingCache::paint(QPainter& painter, const QRectF& area, int state,
                         const std::function<void(QPainter&)>& draw)
{
    paint(painter, area, state, Painting::cachePixelRatio(painter), draw);
}

void DrawingCache::paint(QPainter& painter, const QRectF& area, int state, qreal exactRatio,
                         const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    if (area != m_area) {
        m_pixmaps.clear();
        m_area = area;
    }
    const int quarters = std::max(4, int(std::ceil(exactRatio * 4 - 1e-6)));
    const qreal pixelRatio = quarters / 4.0;
    QPixmap& pixmap = m_pixmaps[{state, quarters}];
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
