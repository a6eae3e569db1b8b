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

void DevicePixelsCache::paint(QPainter& painter, const QRectF& area, qint64 state,
                              const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    const QTransform device = painter.deviceTransform();
    if (m_image.isNull() || device != m_device || area != m_area || state != m_state) {
        const QRect pixels = device.mapRect(area).toAlignedRect().adjusted(-1, -1, 1, 1);
        if (pixels.isEmpty() || pixels.width() > 8192 || pixels.height() > 8192) {
            // Larger than any screen (a piece seen almost edge on): drawn as it is.
            m_image = QImage();
            draw(painter);
            return;
        }
        if (m_image.size() != pixels.size())
            m_image = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        QPainter p(&m_image);
        p.setRenderHints(painter.renderHints());
        p.setTransform(device * QTransform::fromTranslate(-pixels.left(), -pixels.top()));
        draw(p);
        m_device = device;
        m_area = area;
        m_state = state;
        m_origin = pixels.topLeft();
        ++m_renders;
    }
    Painting::drawOnDevicePixels(painter, m_origin, m_image);
}
