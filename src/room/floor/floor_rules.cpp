#include "room/floor/floor_rules.h"

#include <algorithm>
#include <cmath>

namespace FloorRules {

int targetedPhotoSlot(const RoomGeometry& room, QPointF centre, QPointF pointer, bool isImage)
{
    if (!isImage)
        return -1;
    if (room.isOnPhotoWallTarget(centre))
        return RoomGeometry::photoSlotIndex(centre, room.photoWallTarget());
    if (room.isOnPhotoWallTarget(pointer))
        return RoomGeometry::photoSlotIndex(pointer, room.photoWallTarget());
    return -1;
}

FloorRelease floorReleaseTarget(const RoomGeometry& room, QPointF centre, QPointF pointer,
                                bool isImage)
{
    using T = FloorRelease::Target;
    if (room.isOnShelfTarget(centre) || room.isOnShelfTarget(pointer))
        return {T::Bookshelf};
    if (const int slot = targetedPhotoSlot(room, centre, pointer, isImage); slot >= 0)
        return {T::PhotoFrame, slot};
    if (room.isOnTrashTarget(centre) || room.isOnTrashTarget(pointer))
        return {T::Trash};
    return {T::Floor};
}

FloorDrop dropTargetAt(const RoomGeometry& room, QPointF point)
{
    using T = FloorDrop::Target;
    FloorDrop drop;
    drop.floorPoint = room.normalisedFloorPoint(point);
    if (room.isOnTrashTarget(point)) {
        drop.target = T::Trash;
    } else if (room.isOnShelfTarget(point)) {
        drop.target = T::Bookshelf;
    } else if (room.isOnPhotoWallTarget(point)) {
        drop.target = T::PhotoWall;
        drop.slot = RoomGeometry::photoSlotIndex(point, room.photoWallTarget());
    }
    return drop;
}

QRectF carpetCoverRect(QPointF carpetCentre)
{
    return {carpetCentre.x() - carpetCoverSize.width() / 2,
            carpetCentre.y() - carpetCoverSize.height() / 2, carpetCoverSize.width(),
            carpetCoverSize.height()};
}

bool isCoveredByCarpet(QPointF point, QPointF carpetCentre)
{
    return RoomGeometry::containsHalfOpen(carpetCoverRect(carpetCentre), point);
}

QPointF clampCarpetCentre(QPointF centre, QSizeF room)
{
    const auto limited = [](qreal v, qreal low, qreal high) {
        return std::isfinite(v) ? RoomGeometry::clamp(v, low, high) : low;
    };
    return {limited(centre.x(), 0.18 * room.width(), 0.82 * room.width()),
            limited(centre.y(), 0.70 * room.height(), 0.86 * room.height())};
}

QRectF marqueeRect(QPointF start, QPointF current)
{
    return {std::min(start.x(), current.x()), std::min(start.y(), current.y()),
            std::max(std::abs(current.x() - start.x()), qreal(1)),
            std::max(std::abs(current.y() - start.y()), qreal(1))};
}

bool marqueeHits(const QRectF& marquee, QPointF filePoint)
{
    // Sharing an edge is not touching: the box must overlap the marquee by some area.
    const qreal half = marqueeBoxSide / 2;
    const QRectF box(filePoint.x() - half, filePoint.y() - half, marqueeBoxSide, marqueeBoxSide);
    return marquee.left() < box.right() && box.left() < marquee.right() &&
           marquee.top() < box.bottom() && box.top() < marquee.bottom();
}

QStringList namesToMove(const QString& name, bool wasSelected, const QSet<QString>& selection)
{
    if (!wasSelected || selection.size() < 2)
        return {name};
    return sortedNames(selection);
}

QStringList sortedNames(const QSet<QString>& selection)
{
    QStringList names(selection.cbegin(), selection.cend());
    names.sort();
    return names;
}

} // namespace FloorRules
