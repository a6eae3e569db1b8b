#include "kit/cached_shadow_effect.h"

#include "kit/painting.h"
#include "kit/soft_shadow.h"

#include <QPainter>

#include <cmath>

void CachedPictureEffect::draw(QPainter* painter)
{
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, NoPad);
    if (source.isNull()) {
        // Rendering outside a view (no device to cache for): the item alone.
        drawSource(painter);
        return;
    }
    const QTransform saved = painter->worldTransform();
    painter->setWorldTransform(QTransform());
    if (source.cacheKey() != m_sourceKey || offset != m_sourceOffset) {
        m_picture = QImage();
        m_sourceKey = source.cacheKey();
        m_sourceOffset = offset;
        const QRectF under = drawUnder(nullptr, source, offset);
        if (!under.isEmpty()) {
            // Whole device pixels from the item's own origin, so what lies under it falls on
            // the pixels it falls on when drawn straight onto the view.
            const qreal ratio = source.devicePixelRatio();
            const QRectF item(offset, source.deviceIndependentSize());
            const QRectF area = under.united(item);
            const QPointF left(std::floor((area.left() - offset.x()) * ratio) / ratio,
                               std::floor((area.top() - offset.y()) * ratio) / ratio);
            m_pictureAt = QPointF(offset) + left;
            m_picture = QImage(int(std::ceil((area.right() - m_pictureAt.x()) * ratio)),
                               int(std::ceil((area.bottom() - m_pictureAt.y()) * ratio)),
                               QImage::Format_ARGB32_Premultiplied);
            m_picture.setDevicePixelRatio(ratio);
            m_picture.fill(Qt::transparent);
            QPainter p(&m_picture);
            p.setRenderHints(painter->renderHints());
            p.translate(-m_pictureAt);
            drawUnder(&p, source, offset);
            Painting::drawOnNearestPixel(p, offset, source);
        }
    }
    if (m_picture.isNull())
        Painting::drawOnNearestPixel(*painter, offset, source);
    else
        Painting::drawOnNearestPixel(*painter, m_pictureAt, m_picture);
    painter->setWorldTransform(saved);
}

void CachedPictureEffect::letPictureGo()
{
    m_picture = QImage();
    m_sourceKey = 0;
}

QRectF CachedPictureEffect::drawUnder(QPainter*, const QPixmap&, QPoint)
{
    return {};
}

CachedShadowEffect::CachedShadowEffect(const QColor& color, qreal radius, const QPointF& offset,
                                       QObject* parent)
    : CachedPictureEffect(parent), m_color(color), m_radius(radius), m_offset(offset)
{
}

QRectF CachedShadowEffect::boundingRectFor(const QRectF& sourceRect) const
{
    const qreal s = SoftShadow::spread(m_radius);
    return sourceRect.united(sourceRect.translated(m_offset).adjusted(-s, -s, s, s));
}

QRectF CachedShadowEffect::drawUnder(QPainter* painter, const QPixmap& source, QPoint offset)
{
    const qreal s = SoftShadow::spread(m_radius);
    const qreal ratio = source.devicePixelRatio();
    const qreal pad = std::ceil(s * ratio) / ratio; // the blur's margin, in whole pixels
    const QPointF at = QPointF(offset) + m_offset - QPointF(s, s);
    if (painter) {
        // Blurred only here, when the item's picture is made anew.
        Painting::drawOnNearestPixel(*painter, at,
                                     SoftShadow::blurred(source.toImage(), m_radius, m_color));
        ++m_renderCount;
    }
    return QRectF(at, source.deviceIndependentSize() + QSizeF(2 * pad, 2 * pad));
}
