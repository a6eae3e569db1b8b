#include "kit/visual_effect_view.h"

#include "kit/soft_shadow.h"
#include "kit/transition.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QTimer>

#include <cmath>
#include <vector>

namespace {
// The picture is taken at half a pixel per point: the blur hides the difference.
constexpr qreal kPictureScale = 0.5;

// The item's transform to its parent, or to the scene for a top-level item.
QTransform localTransform(const QGraphicsItem& item)
{
    return item.parentItem() ? item.itemTransform(item.parentItem()) : item.sceneTransform();
}
} // namespace

VisualEffectView::VisualEffectView(Material material, BlendingMode blending, State state,
                                   QGraphicsItem* parent)
    : RoomItem(parent), m_material(material), m_blending(blending), m_state(state)
{
}

void VisualEffectView::setClipShape(const QPainterPath& shape)
{
    m_clip = shape;
    update();
}

void VisualEffectView::onSizeChanged()
{
    scheduleCapture();
}

QVariant VisualEffectView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemSceneHasChanged && scene())
        scheduleCapture();
    return RoomItem::itemChange(change, value);
}

QRectF VisualEffectView::restingSceneRect() const
{
    // The scene transform without what the transitions add while a panel comes and goes.
    QTransform resting;
    for (const QGraphicsItem* item = this; item; item = item->parentItem()) {
        const auto* moving = qobject_cast<const TransitionItem*>(item->toGraphicsObject());
        resting *= moving ? QTransform::fromTranslate(item->pos().x(), item->pos().y())
                          : localTransform(*item);
    }
    return resting.mapRect(rect());
}

void VisualEffectView::scheduleCapture()
{
    if (m_capturePending)
        return;
    m_capturePending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_capturePending)
            capture();
    });
}

void VisualEffectView::capture()
{
    m_capturePending = false;
    QGraphicsScene* room = scene();
    if (!room || size().isEmpty())
        return;

    // The room's layer this view belongs to, and every layer over it, stay out of the
    // picture: made see-through for the moment it is taken.
    QGraphicsItem* layer = this;
    while (layer->parentItem() && layer->parentItem()->parentItem())
        layer = layer->parentItem();
    std::vector<std::pair<QGraphicsItem*, qreal>> hidden;
    const QList<QGraphicsItem*> siblings =
        layer->parentItem() ? layer->parentItem()->childItems() : room->items();
    bool above = false;
    for (QGraphicsItem* item : siblings) {
        if (item == layer)
            above = true;
        if (item->parentItem() != layer->parentItem())
            continue;
        if (item == layer || item->zValue() > layer->zValue() ||
            (above && item->zValue() == layer->zValue()))
            hidden.emplace_back(item, item->opacity());
    }
    for (auto& [item, opacity] : hidden)
        item->setOpacity(0);

    m_capturedFor = restingSceneRect();
    const qreal pad = SoftShadow::spread(kBlurRadius);
    m_pictureSceneRect = m_capturedFor.adjusted(-pad, -pad, pad, pad);
    const QSize pixels = (m_pictureSceneRect.size() * kPictureScale).toSize().expandedTo({1, 1});
    QImage picture(pixels, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        room->render(&painter, QRectF(QPointF(), QSizeF(pixels)), m_pictureSceneRect,
                     Qt::IgnoreAspectRatio);
    }
    for (auto& [item, opacity] : hidden)
        item->setOpacity(opacity);

    SoftShadow::blurInPlace(picture, kBlurRadius / 2 * kPictureScale);
    m_picture = picture;
    ++m_captures;
    update();
}

void VisualEffectView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // Moved or resized at rest (a new room size): a new picture, once.
    if (!m_capturePending && scene()) {
        const QRectF resting = restingSceneRect();
        if (!m_picture.isNull() && (std::abs(resting.left() - m_capturedFor.left()) > 0.5 ||
                                    std::abs(resting.top() - m_capturedFor.top()) > 0.5 ||
                                    std::abs(resting.width() - m_capturedFor.width()) > 0.5 ||
                                    std::abs(resting.height() - m_capturedFor.height()) > 0.5))
            scheduleCapture();
    }
    if (m_picture.isNull())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setClipPath(m_clip ? *m_clip : shape(), Qt::IntersectClip);
    // The picture lies where it was taken in the room, whatever moves this view.
    painter->setTransform(sceneTransform().inverted() * painter->transform());
    painter->drawImage(m_pictureSceneRect, m_picture);
    painter->restore();
}
