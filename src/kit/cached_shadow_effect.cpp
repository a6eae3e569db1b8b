#include "kit/cached_shadow_effect.h"

#include "kit/soft_shadow.h"

#include <QPainter>

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
    drawUnder(*painter, source, offset);
    painter->drawPixmap(offset, source);
    painter->setWorldTransform(saved);
}

void CachedPictureEffect::drawUnder(QPainter&, const QPixmap&, QPoint) {}

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

void CachedShadowEffect::drawUnder(QPainter& painter, const QPixmap& source, QPoint offset)
{
    if (source.cacheKey() != m_sourceKey || m_shadow.isNull()) {
        m_shadow = SoftShadow::blurred(source.toImage(), m_radius, m_color);
        m_sourceKey = source.cacheKey();
        ++m_renderCount;
    }
    const qreal s = SoftShadow::spread(m_radius);
    painter.drawImage(QPointF(offset) + m_offset - QPointF(s, s), m_shadow);
}
