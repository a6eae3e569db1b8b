#include "room/floor/floor_file_layer.h"

#include "kit/drawing_cache.h"
#include "room/floor/floor_item_view.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QTimer>

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
    m_behind = QImage();
    update();
}

void FloorFileLayer::invalidate(const QRectF& rect)
{
    const QRect pixels = rect.toAlignedRect() & this->rect().toAlignedRect();
    if (pixels.isEmpty())
        return;
    // Scattered places are drawn again each alone; past a few dozen, adding each to the
    // region would cost more than drawing their bounds again (a selection of thousands let go
    // gives back the whole floor).
    if (m_dirty.rectCount() > heldRepairDraws)
        m_dirty = QRegion(m_dirty.boundingRect() | pixels);
    else
        m_dirty += pixels;
    updateShown(pixels);
}

void FloorFileLayer::updateShown(const QRectF& rect)
{
    update(rect.translated(m_shift));
}

void FloorFileLayer::setShift(const QPointF& shift)
{
    if (shift == m_shift)
        return;
    const bool shows = !m_used.isEmpty() && !m_cleared;
    for (const QPointF& at : {m_shift, shift}) {
        m_shift = at;
        if (!shows)
            continue;
        // Asked of the scene, the places stay apart: an item unites what it is asked to
        // repaint into one rectangle, which for a few scattered files is most of the floor.
        for (const QRect& place : m_usedPlaces) {
            if (QGraphicsScene* room = scene())
                room->update(mapRectToScene(QRectF(place).translated(m_shift)));
            else
                updateShown(place);
        }
    }
}

void FloorFileLayer::clear()
{
    m_cleared = true;
    if (!m_used.isEmpty())
        updateShown(m_used);
    m_picture = QImage();
    m_used = QRect();
    m_usedPlaces = QRegion();
    m_dirty = QRegion();
    m_added.clear();
    m_repairArea = QRegion();
    m_repairFiles.clear();
    m_behind = QImage();
}

void FloorFileLayer::keepAsDrawn()
{
    m_dirty = QRegion();
    m_waiting = false;
    m_added.clear();
    m_repairArea = QRegion();
    m_repairFiles.clear();
    m_behind = QImage();
}

void FloorFileLayer::holdRepairs(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    m_waiting = false;
    if (!held && !m_dirty.isEmpty())
        updateShown(m_dirty.boundingRect());
}

void FloorFileLayer::add(FloorItemView* file, const QRectF& rect)
{
    m_cleared = false;
    m_added.append(file);
    updateShown(rect);
}

void FloorFileLayer::drawFile(QPainter& painter, FloorItemView* file, qreal devicePixelRatio,
                              const QPoint& origin)
{
    painter.setTransform(file->itemTransform(this) *
                         QTransform::fromScale(devicePixelRatio, devicePixelRatio) *
                         QTransform::fromTranslate(-origin.x(), -origin.y()));
    file->paintLook(painter);
    const QRect place = file->mapRectToItem(this, file->boundingRect()).toAlignedRect();
    m_used |= place;
    if (m_usedPlaces.rectCount() > heldRepairDraws)
        m_usedPlaces = QRegion(m_used);
    else
        m_usedPlaces += place;
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
        m_usedPlaces = QRegion();
        m_repairArea = QRegion();
        m_repairFiles.clear();
        m_behind = QImage();
    }
    if (m_dirty.isEmpty() && m_added.isEmpty() && m_repairFiles.isEmpty())
        return;
    // A change while an area is drawn a slice at a time draws it again from the bottom with
    // the new area: a file that went or moved there would otherwise lie out of its order. A
    // file that came on top of the picture is drawn there last.
    if (!m_repairFiles.isEmpty() && !m_dirty.isEmpty()) {
        m_dirty += m_repairArea;
        m_repairArea = QRegion();
        m_repairFiles.clear();
        m_behind = QImage();
    }
    for (const QPointer<FloorItemView>& file : std::as_const(m_added)) {
        if (file && !m_repairFiles.isEmpty() &&
            m_repairArea.intersects(
                file->mapRectToItem(this, file->boundingRect()).toAlignedRect()))
            m_repairFiles.append(file);
    }

    // Files of the areas to draw again, unless a hold keeps them waiting (once it has, the
    // areas only grow until it ends).
    const bool wait =
        m_waiting || (m_held && !m_dirty.isEmpty() && m_files(m_dirty).size() > heldRepairDraws);
    m_waiting = wait && m_held;
    if (wait && m_added.isEmpty())
        return;

    const QTransform toPixels = QTransform::fromScale(devicePixelRatio, devicePixelRatio);
    const bool starts = !wait && !m_dirty.isEmpty();
    if (starts) {
        // The area is cleared at once and its files drawn bottom first, all of them now or,
        // when sliced, the first slice now and the others after it. More files than a slice
        // holds are drawn a slice at a time on a picture of their own behind the one shown,
        // which keeps showing the area as it was until they are all drawn: a file lifted
        // out of a pile of thousands (hovered, pressed) draws itself over its old place.
        const QList<FloorItemView*> files = m_files(m_dirty);
        if (!bare && !m_sliced && files.size() > filesPerSlice) {
            const QRect area = toPixels.mapRect(QRectF(m_dirty.boundingRect())).toAlignedRect();
            m_behind = scratchImage(area.size(), QImage::Format_ARGB32_Premultiplied);
            m_behind.setDevicePixelRatio(devicePixelRatio);
            m_behindOrigin = area.topLeft();
        } else if (!bare) {
            QPainter painter(&m_picture);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            for (const QRect& r : std::as_const(m_dirty))
                painter.fillRect(toPixels.mapRect(QRectF(r)), Qt::transparent);
        }
        m_repairArea = m_dirty;
        m_repairFiles = QList<QPointer<FloorItemView>>(files.cbegin(), files.cend());
        m_dirty = QRegion();
    }
    // Drawn behind, the area shows the picture as it stands meanwhile.
    const QRegion redrawn = m_behind.isNull() ? m_repairArea : QRegion();
    if (starts)
        drawRepairSlice();
    // A file that came on top is drawn over the picture, except where the picture is being
    // drawn again with it.
    const QRegion left = QRegion(rect().toAlignedRect()) - redrawn;
    if (!m_added.isEmpty() && !left.isEmpty()) {
        QPainter painter(&m_picture);
        painter.setClipRegion(toPixels.map(left));
        for (const QPointer<FloorItemView>& file : std::as_const(m_added)) {
            if (file && file->isInLayer() &&
                left.intersects(file->mapRectToItem(this, file->boundingRect()).toAlignedRect()))
                drawFile(painter, file, devicePixelRatio);
        }
    }
    m_added.clear();
    if (!redrawn.isEmpty() && !needsRepair())
        Q_EMIT repaired();
}

bool FloorFileLayer::drawRepairSlice()
{
    if (m_repairArea.isEmpty())
        return false;
    const qreal dpr = m_picture.devicePixelRatio();
    const QRegion pixels = QTransform::fromScale(dpr, dpr).map(m_repairArea);
    const bool behind = !m_behind.isNull();
    const qsizetype count = m_sliced || behind
                                ? std::min<qsizetype>(filesPerSlice, m_repairFiles.size())
                                : m_repairFiles.size();
    {
        QPainter painter(behind ? &m_behind : &m_picture);
        const QPoint origin = behind ? m_behindOrigin : QPoint();
        painter.setClipRegion(pixels.translated(-origin));
        for (qsizetype i = 0; i < count; ++i) {
            if (FloorItemView* file = m_repairFiles[i])
                drawFile(painter, file, dpr, origin);
        }
    }
    m_repairFiles.remove(0, count);
    ++m_repairSlices;
    if (m_repairFiles.isEmpty()) {
        if (behind) {
            // Whole now: it takes the area's place in the picture shown.
            QPainter painter(&m_picture);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.setClipRegion(pixels);
            painter.drawImage(QRectF(m_behindOrigin, m_behind.size()), m_behind,
                              QRectF(QPointF(), m_behind.size()));
            m_behind = QImage();
        }
        m_repairArea = QRegion();
        return behind;
    }
    // The next slice after the input that waits, without a paint: the area shows once it is
    // whole (a paint on the way shows the files drawn so far).
    if (m_sliceScheduled)
        return false;
    m_sliceScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_sliceScheduled = false;
        if (m_repairFiles.isEmpty() || m_picture.isNull())
            return;
        const QRect area = m_repairArea.boundingRect();
        const bool shown = drawRepairSlice();
        if (shown || !needsRepair())
            updateShown(area);
        if (!needsRepair())
            Q_EMIT repaired();
    });
    return false;
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
        painter->drawImage(QRectF(used).translated(m_shift), m_picture,
                           QRectF(QPointF(used.topLeft()) * dpr, QSizeF(used.size()) * dpr));
}
