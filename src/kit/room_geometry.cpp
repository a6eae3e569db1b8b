#include "kit/room_geometry.h"

#include <algorithm>
#include <cmath>

namespace {
qreal sane(qreal v)
{
    return std::isfinite(v) && v > 0 ? v : 0;
}
} // namespace

RoomGeometry::RoomGeometry(QSizeF size) : m_size(sane(size.width()), sane(size.height())) {}

qreal RoomGeometry::clamp(qreal v, qreal lower, qreal upper)
{
    return std::min(std::max(v, lower), upper);
}

bool RoomGeometry::containsHalfOpen(const QRectF& r, QPointF p)
{
    const QRectF n = r.normalized();
    return p.x() >= n.left() && p.x() < n.right() && p.y() >= n.top() && p.y() < n.bottom();
}

QPointF RoomGeometry::shelfCentre() const
{
    return QPointF(0.1678 * width(), 0.3705 * height());
}

QSizeF RoomGeometry::shelfSize() const
{
    return QSizeF(0.2444 * width(), 0.286 * height());
}

qreal RoomGeometry::wallUnit() const
{
    return std::min(0.108 * height(), 0.068 * width());
}

qreal RoomGeometry::deskTopY() const
{
    const qreal dh = 0.335 * width() * 0.4972972972972973;
    return 0.65 * height() - dh / 2;
}

qreal RoomGeometry::plaqueHeight() const
{
    return std::min(0.138 * height(), qreal(142));
}

RoomFrame RoomGeometry::frame(Furniture piece) const
{
    const qreal W = width();
    const qreal H = height();
    const QPointF shelf = shelfCentre();
    const qreal s = wallUnit();
    const qreal ph = 0.86 * s;
    const qreal pw = 0.72 * ph;
    const qreal d = 0.64 * s + pw / 2;
    const qreal wallRow = 0.141 * H;
    const qreal Y = deskTopY();
    const qreal ah = plaqueHeight();
    const qreal aw = 0.7931034482758621 * ah;
    const qreal g = guitarHeight();

    switch (piece) {
    case Furniture::Bookshelf:
        return {shelf, shelfSize()};
    case Furniture::PresidentPortrait:
        return {{shelf.x() - d, wallRow}, {pw, ph}};
    case Furniture::WallClock:
        return {{shelf.x(), wallRow}, {s, s}};
    case Furniture::VicePresidentPortrait:
        return {{shelf.x() + d, wallRow}, {pw, ph}};
    case Furniture::Corkboard:
        return {{0.4983 * W, 0.2357 * H}, {0.2691 * W, 0.2935 * H}};
    case Furniture::PottedPlant: {
        const qreal lw = 0.105 * W;
        const qreal lh = lw * 2.2142857142857144;
        return {{0.296 * W, 0.795 * H - lh / 2}, {lw, lh}};
    }
    case Furniture::Desk: {
        const qreal dw = 0.335 * W;
        return {{0.498 * W, 0.65 * H}, {dw, dw * 0.4972972972972973}};
    }
    case Furniture::Monitor: {
        const qreal m = monitorWidth();
        return {{0.498 * W, Y - 0.4857142857142857 * m - 10.5 * m / 175},
                {m, 0.9714285714285714 * m}};
    }
    case Furniture::DeskLamp:
        return {{0.358 * W, Y - 94}, {80, 110}};
    case Furniture::QuennetPlaque:
        return {{0.412 * W, Y - ah / 2 - 6}, {aw, ah}};
    case Furniture::TolvanePlaque:
        return {{0.584 * W, Y - ah / 2 - 6}, {aw, ah}};
    case Furniture::Radio:
        return {{0.638 * W, Y - 26}, {80, 60}};
    case Furniture::PhotoGallery:
        return {{0.83125 * W, 0.32 * H}, {0.22 * W, 0.44 * H}};
    case Furniture::StratocasterGuitar:
        return {{0.87 * W, 0.67 * H}, {0.3442 * g, g}};
    case Furniture::AcousticGuitar:
        return {{0.096 * W, 0.665 * H}, {0.44 * g, g}};
    case Furniture::TrashCan:
        return {trashCentre(), {84, 114}};
    case Furniture::Sandals:
        return {{0.19 * W, 0.815 * H}, {70, 70}};
    }
    return {};
}

QRectF RoomGeometry::shelfTarget() const
{
    const qreal m = kTargetMargin;
    return shelfRect().adjusted(-m, -m, m, m);
}

QRectF RoomGeometry::photoWallTarget() const
{
    const qreal m = kTargetMargin;
    return photoWallRect().adjusted(-m, -m, m, m);
}

bool RoomGeometry::isOnTrashTarget(QPointF p) const
{
    const QPointF c = trashCentre();
    return std::hypot(p.x() - c.x(), p.y() - c.y()) < kTrashTargetRadius;
}

QPointF RoomGeometry::clampToFloor(QPointF normalised)
{
    const qreal x = std::isfinite(normalised.x()) ? normalised.x() : 0;
    const qreal y = std::isfinite(normalised.y()) ? normalised.y() : 0;
    return QPointF(clamp(x, 0.04, 0.96), clamp(y, 0.06, 0.92));
}

QPointF RoomGeometry::normalisedFloorPoint(QPointF roomPoint) const
{
    const qreal x = width() > 0 ? roomPoint.x() / width() : 0;
    const qreal y = height() > 0 ? roomPoint.y() / height() : 0;
    return clampToFloor(QPointF(x, y));
}

QPointF RoomGeometry::roomPoint(QPointF normalised) const
{
    return QPointF(normalised.x() * width(), normalised.y() * height());
}

int RoomGeometry::photoSlotIndex(QPointF p, const QRectF& r)
{
    const qreal rowHeight = r.height() / 3;
    qreal d = p.y() - r.top();
    if (rowHeight >= 1)
        d /= rowHeight;
    if (!std::isfinite(d))
        d = 0;
    const int row = int(std::clamp(d, qreal(0), qreal(2)));
    const int column = p.x() - r.left() > r.width() / 2 ? 1 : 0;
    return std::min(row * 2 + column, 5);
}

QPointF RoomGeometry::shelfPopoverCentre(int activeShelfIndex) const
{
    const QSizeF box = shelfSize();
    const qreal f = activeShelfIndex <= 0 ? 0.488 : 0.922;
    const qreal y = shelfCentre().y() - box.height() / 2 + f * box.height() - 35;
    return QPointF(0.208 * width() + 143.5, clamp(y, 140, height() - 140));
}

QPointF RoomGeometry::drawerCentre() const
{
    return QPointF(std::min(0.208 * width() + 270, width() - 280),
                   std::min(std::max(0.38 * height(), qreal(220)), height() - 230));
}

QPointF RoomGeometry::miniPlayerCentre() const
{
    return QPointF(clamp(0.622 * width(), 140, width() - 140), deskTopY() - 128);
}

QPointF RoomGeometry::quickViewCentre(const ActiveDesktopQuickView& view) const
{
    const qreal W = width();
    const qreal H = height();
    const qreal Y = deskTopY();
    // "Both clamped": x to [140, W - 140], y to [lower, H - 140].
    const auto both = [&](qreal x, qreal y, qreal lowerY) {
        return QPointF(clamp(x, 140, W - 140), clamp(y, lowerY, H - 140));
    };
    switch (view.kind()) {
    case ActiveDesktopQuickView::Photo:
        return QPointF(clamp(0.83125 * W - 140, 140, W - 140), 0.32 * H);
    case ActiveDesktopQuickView::CarpetItem:
        return QPointF(0.498 * W, std::min(0.73 * H, H - 140));
    case ActiveDesktopQuickView::Clock:
        return both(shelfCentre().x(), 0.141 * H + wallUnit() / 2 + 85, 140);
    case ActiveDesktopQuickView::Calendar:
        return QPointF(std::max(0.7022 * W - 150, qreal(140)), clamp(0.3318 * H, 140, H - 140));
    case ActiveDesktopQuickView::Monitor:
        return QPointF(0.498 * W, std::max(Y - 110, qreal(150)));
    case ActiveDesktopQuickView::Mail:
    case ActiveDesktopQuickView::Whatsapp:
        return QPointF(clamp(0.468 * W, 130, W - 130), Y - 95);
    case ActiveDesktopQuickView::Trash:
        return QPointF(clamp(0.708 * W, 130, W - 130), 0.735 * H - 115);
    case ActiveDesktopQuickView::Guitar:
        return both(0.875 * W - 135, 0.64 * H, 150);
    case ActiveDesktopQuickView::AcousticGuitar:
        return both(0.092 * W + 135, 0.64 * H, 150);
    case ActiveDesktopQuickView::QuennetPlaque:
        return QPointF(clamp(0.41 * W, 140, W - 140), Y - 120);
    case ActiveDesktopQuickView::TolvanePlaque:
        return QPointF(clamp(0.588 * W, 140, W - 140), Y - 120);
    }
    return QPointF(W / 2, H / 2);
}
