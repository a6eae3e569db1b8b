#pragma once

#include <QColor>
#include <QGraphicsEffect>
#include <QImage>
#include <QPointF>

// An item and its children drawn from one picture of them in device pixels. The scene keeps
// the picture until the item or one of its children updates, so a repaint of the room over a
// still item (a panel closing over it, a file dragged past) copies the picture instead of
// drawing the item again. What is drawn under the item (a shadow) is laid into the same
// picture, so a repaint is one blit. While the item changes on every frame the picture only
// adds a copy: turn the effect off (setEnabled(false)) for that while.
class CachedPictureEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    using QGraphicsEffect::QGraphicsEffect;

    // Lets the picture go while nothing draws the item (a picture of the whole room is laid
    // down instead); it is made again the next time the item is drawn.
    void letPictureGo();

protected:
    void draw(QPainter* painter) override;
    // Drawn under the item, in device pixels, when the picture is made; `source` is the
    // item's own picture, at `offset`. Returns the area drawn on.
    virtual QRectF drawUnder(QPainter* painter, const QPixmap& source, QPoint offset);

private:
    qint64 m_sourceKey = 0;
    QPoint m_sourceOffset;
    QImage m_picture; // the item over what is drawn under it
    QPointF m_pictureAt;
};

// A soft shadow (or glow) under an item and its children that is blurred only when the
// item's own look changes: the blurred shadow is kept for exactly the picture the scene
// keeps, so an animation drawn over the item by another item costs no blur at all.
class CachedShadowEffect : public CachedPictureEffect {
    Q_OBJECT
public:
    CachedShadowEffect(const QColor& color, qreal radius, const QPointF& offset,
                       QObject* parent = nullptr);

    // How many times the shadow has been blurred.
    int renderCount() const { return m_renderCount; }

    QRectF boundingRectFor(const QRectF& sourceRect) const override;

protected:
    QRectF drawUnder(QPainter* painter, const QPixmap& source, QPoint offset) override;

private:
    QColor m_color;
    qreal m_radius;
    QPointF m_offset;
    int m_renderCount = 0;
};
