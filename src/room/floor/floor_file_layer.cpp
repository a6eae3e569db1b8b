#include "room/floor/floor_file_layer.h"

#include "kit/drawing_cache.h"
#include "room/floor/floor_item_view.h"

#include <QPainter>

namespace {
// What a held picture still draws again at once: a step of a marquee over a sparse floor.
constexpr qsizetype heldRepairDraws = 32;
} // namespace

FloorFileLayer::FloorFileLayer(RestingFiles files, QGraphicsItem* parent)
    : RoomItem(parent), m_files(std::move(files))
{
    stopTakingPointer(this);
}

void FloorFileLayer::onSizeChanged()
{
    m_picture = QImage();
    update();
}

void FloorFileLayer::invalidate(const QRectF& rect)
{
    const QRect pixels = rect.toAlignedRect() & this->rect().toAlignedRect();
    if (pixels.isEmpty())
        return;
    m_dirty += pixels;
    update(pixels);
}

void FloorFileLayer::clear()
{
    m_cleared = true;
    if (!m_used.isEmpty())
        update(m_used);
    m_picture = QImage();
    m_used = QRect();
    m_dirty = QRegion();
    m_added.clear();
}

void FloorFileLayer::holdRepairs(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    m_waiting = false;
    if (!held && !m_dirty.isEmpty())
        update(m_dirty.boundingRect());
}

void FloorFileLayer::add(FloorItemView* file, const QRectF& rect)
{
    m_cleared = false;
    m_added.append(file);
    update(rect);
}

void FloorFileLayer::drawFile(QPainter& painter, FloorItemView* file, qreal devicePixelRatio)
{
    painter.setTransform(file->itemTransform(this) *
                         QTransform::fromScale(devicePixelRatio, devicePixelRatio));
    file->paintLook(painter);
    m_used |= file->mapRectToItem(this, file->boundingRect()).toAlignedRect();
    // The picture keeps the drawing: the file needs no image of its own.
    file->dropSprite();
    ++m_fileDraws;
}

void FloorFileLayer::bringUpToDate(qreal devicePixelRatio)
{
    const QSize pixels = (size() * devicePixelRatio).toSize();
    bool bare = false;
    if (m_picture.size() != pixels || m_picture.devicePixelRatio() != devicePixelRatio) {
        // On fresh pages, which read as transparent and take memory only where a file is
        // drawn: most of a floor is bare, and clearing the whole picture would touch it all.
        m_picture =
            scratchImage(pixels.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_picture.setDevicePixelRatio(devicePixelRatio);
        bare = true;
        m_dirty = QRegion(rect().toAlignedRect());
        m_added.clear();
        m_used = QRect();
    }
    if (m_dirty.isEmpty() && m_added.isEmpty())
        return;

    // Files of the areas to draw again, unless a hold keeps them waiting (once it has, the
    // areas only grow until it ends).
    const bool wait =
        m_waiting || (m_held && !m_dirty.isEmpty() && m_files(m_dirty).size() > heldRepairDraws);
    m_waiting = wait && m_held;
    if (wait && m_added.isEmpty())
        return;
    const QList<FloorItemView*> files =
        wait || m_dirty.isEmpty() ? QList<FloorItemView*>() : m_files(m_dirty);

    QPainter painter(&m_picture);
    const QTransform toPixels = QTransform::fromScale(devicePixelRatio, devicePixelRatio);
    const QRegion redrawn = wait ? QRegion() : m_dirty;
    if (!redrawn.isEmpty()) {
        if (!bare) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            for (const QRect& r : redrawn)
                painter.fillRect(toPixels.mapRect(QRectF(r)), Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        painter.resetTransform();
        painter.setClipRegion(toPixels.map(redrawn));
        for (FloorItemView* file : std::as_const(files))
            drawFile(painter, file, devicePixelRatio);
        m_dirty = QRegion();
    }
    // A file that came on top is drawn over the picture, except where the picture was just
    // drawn again with it.
    const QRegion left = QRegion(rect().toAlignedRect()) - redrawn;
    if (!m_added.isEmpty() && !left.isEmpty()) {
        painter.resetTransform();
        painter.setClipRegion(toPixels.map(left));
        for (const QPointer<FloorItemView>& file : std::as_const(m_added)) {
            if (file && file->isInLayer() &&
                left.intersects(file->mapRectToItem(this, file->boundingRect()).toAlignedRect()))
                drawFile(painter, file, devicePixelRatio);
        }
    }
    m_added.clear();
}

void FloorFileLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (size().isEmpty() || m_cleared)
        return;
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    bringUpToDate(dpr);
    // Only where files lie: a floor without files costs a repaint over it nothing.
    const QRect used = m_used & rect().toAlignedRect();
    if (!used.isEmpty())
        painter->drawImage(QRectF(used), m_picture,
                           QRectF(QPointF(used.topLeft()) * dpr, QSizeF(used.size()) * dpr));
}
