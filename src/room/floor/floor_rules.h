#pragma once

#include "kit/room_geometry.h"

#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QStringList>

// The floor's decisions, as plain arithmetic on room points (origin top-left, y down): where
// a dragged floor file or a dropped item goes, which files the carpet covers and which the
// marquee touches. The targets themselves are the room's (RoomGeometry).
namespace FloorRules {

// A release that moved less than this is a click.
inline constexpr qreal floorFileClickDistance = 5;
inline constexpr qreal carpetClickDistance = 6;
inline constexpr qreal backgroundClickDistance = 4;

// The carpet hides what lies in this rectangle round its centre (it is drawn larger).
inline constexpr QSizeF carpetCoverSize{610, 100};
inline constexpr QSizeF carpetFrameSize{634, 130};
// A file's box for the marquee.
inline constexpr qreal marqueeBoxSide = 72;

// Where a dragged floor file goes on release. Both its new centre and the pointer are
// tried: the shelf first, then a photo frame (images only), then the trash can.
struct FloorRelease {
    enum class Target { Bookshelf, PhotoFrame, Trash, Floor };
    Target target = Target::Floor;
    int slot = -1; // PhotoFrame only
};
FloorRelease floorReleaseTarget(const RoomGeometry& room, QPointF centre, QPointF pointer,
                                bool isImage);
// The frame that lights up while a file is dragged: the slot under the centre when the
// photo wall holds it, else under the pointer; -1 when neither, or for a file that is no
// image.
int targetedPhotoSlot(const RoomGeometry& room, QPointF centre, QPointF pointer, bool isImage);

// Where an item dropped from outside goes: the trash can first, then the shelf, then the
// photo wall (where a non-image lies on the floor at the drop point instead).
struct FloorDrop {
    enum class Target { Trash, Bookshelf, PhotoWall, Floor };
    Target target = Target::Floor;
    int slot = -1;      // PhotoWall only
    QPointF floorPoint; // normalised, within the floor's bounds
};
FloorDrop dropTargetAt(const RoomGeometry& room, QPointF point);

// The carpet: what it covers (left and top edges in, right and bottom out), and where a
// drag may put its centre (a band of the floor).
QRectF carpetCoverRect(QPointF carpetCentre);
bool isCoveredByCarpet(QPointF point, QPointF carpetCentre);
QPointF clampCarpetCentre(QPointF centre, QSizeF room);

// The marquee's rectangle, never thinner than one point, and whether a file's box at
// `filePoint` shares some area with it.
QRectF marqueeRect(QPointF start, QPointF current);
bool marqueeHits(const QRectF& marquee, QPointF filePoint);

// The names a file drag acts on: the whole selection (in name order) when the dragged
// file was selected with at least one other, else the file alone.
QStringList namesToMove(const QString& name, bool wasSelected, const QSet<QString>& selection);
// The selection in name order, the order in which its files are moved.
QStringList sortedNames(const QSet<QString>& selection);

} // namespace FloorRules
