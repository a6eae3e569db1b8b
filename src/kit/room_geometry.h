#pragma once

#include "state/active_desktop_quick_view.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

// A piece's place in the room: its size and the point its centre sits on.
struct RoomFrame {
    QPointF centre;
    QSizeF size;

    QRectF rect() const
    {
        return QRectF(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(),
                      size.height());
    }
    friend bool operator==(const RoomFrame&, const RoomFrame&) = default;
};

// The furniture the room lays out, bottom to top in the order it is stacked.
enum class Furniture {
    Bookshelf,
    PresidentPortrait,
    WallClock,
    VicePresidentPortrait,
    Corkboard,
    PottedPlant,
    Desk,
    Monitor,
    DeskLamp,
    QuennetPlaque,
    TolvanePlaque,
    Radio,
    PhotoGallery,
    StratocasterGuitar,
    AcousticGuitar,
    TrashCan,
    Sandals,
};
inline constexpr int kFurnitureCount = int(Furniture::Sandals) + 1;

// Every frame of the room as fractions of the window W x H (points, origin top-left, y
// downwards). The layout, the floor's drop rules and the card placement all read it, so a
// piece and the targets that hit it can never drift apart. Pure arithmetic: a zero-sized
// room gives finite (if degenerate) frames.
class RoomGeometry {
public:
    explicit RoomGeometry(QSizeF size = {});

    QSizeF size() const { return m_size; }
    qreal width() const { return m_size.width(); }
    qreal height() const { return m_size.height(); }

    RoomFrame frame(Furniture piece) const;

    // The shelf box and its centre (bx, by).
    QRectF shelfRect() const { return frame(Furniture::Bookshelf).rect(); }
    QPointF shelfCentre() const;
    QSizeF shelfSize() const;
    // Where the shelf's rows stand, as a fraction of the shelf's height from its top: the
    // upper board (shelf 0) and the lower one (1).
    static qreal shelfLineFraction(int shelf) { return shelf <= 0 ? 0.491 : 0.928; }
    // The y in the room of a shelf board's top edge.
    qreal shelfLineY(int shelf) const
    {
        return shelfRect().top() + shelfLineFraction(shelf) * shelfRect().height();
    }
    // The wall unit s: the clock's size and the scale of the portraits.
    qreal wallUnit() const;
    // The y of the desk's top edge (Y).
    qreal deskTopY() const;
    qreal monitorWidth() const { return 0.104 * width(); }
    // The monitor is laid out at this size and scaled by monitorWidth() / 175.
    static constexpr QSizeF kMonitorLayoutSize{175, 170};
    qreal plaqueHeight() const;
    qreal guitarHeight() const { return 0.58 * height(); }

    QRectF photoWallRect() const { return frame(Furniture::PhotoGallery).rect(); }
    QPointF trashCentre() const { return QPointF(0.71 * width(), 0.738 * height()); }

    // Drop targets: the shelf and the photo wall grown by 30 on every side, and the circle
    // of radius 85 round the trash can (a distance of exactly 85 is outside).
    static constexpr qreal kTargetMargin = 30;
    static constexpr qreal kTrashTargetRadius = 85;
    QRectF shelfTarget() const;
    QRectF photoWallTarget() const;
    bool isOnShelfTarget(QPointF p) const { return containsHalfOpen(shelfTarget(), p); }
    bool isOnPhotoWallTarget(QPointF p) const { return containsHalfOpen(photoWallTarget(), p); }
    bool isOnTrashTarget(QPointF p) const;

    // A floor position, normalised to the room, held inside the floor's bounds
    // (x 0.04 to 0.96, y 0.06 to 0.92).
    static QPointF clampToFloor(QPointF normalised);
    // A room point as a normalised floor position, held inside the floor's bounds.
    QPointF normalisedFloorPoint(QPointF roomPoint) const;
    // A normalised position as a room point.
    QPointF roomPoint(QPointF normalised) const;

    // The photo frame (0 to 5, three rows of two from the top left) under `p` in `r`.
    static int photoSlotIndex(QPointF p, const QRectF& r);

    // Overlay centres.
    QPointF shelfPopoverCentre(int activeShelfIndex) const;
    QPointF drawerCentre() const;
    QPointF miniPlayerCentre() const;
    QPointF quickViewCentre(const ActiveDesktopQuickView& view) const;

    // Left and top edges inside, right and bottom edges outside.
    static bool containsHalfOpen(const QRectF& r, QPointF p);
    // The lower bound is applied first, so the upper bound wins when they cross.
    static qreal clamp(qreal v, qreal lower, qreal upper);

private:
    QSizeF m_size;
};
