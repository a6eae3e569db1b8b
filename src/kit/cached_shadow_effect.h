#pragma once

#include <QColor>
#include <QGraphicsEffect>
#include <QImage>
#include <QPointF>

// A soft shadow (or glow) under an item and its children that is blurred only when the
// item's own look changes. The scene keeps the item's rendering until the item or one of
// its children updates; the blurred shadow is kept for exactly that rendering, so an
// animation drawn over the item by another item costs no blur at all.
class CachedShadowEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    CachedShadowEffect(const QColor& color, qreal radius, const QPointF& offset,
                       QObject* parent = nullptr);

    // How many times the shadow has been blurred.
    int renderCount() const { return m_renderCount; }

    QRectF boundingRectFor(const QRectF& sourceRect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    QColor m_color;
    qreal m_radius;
    QPointF m_offset;
    qint64 m_sourceKey = 0;
    QImage m_shadow;
    int m_renderCount = 0;
};
