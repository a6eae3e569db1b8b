#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <optional>

// Where the carpet's cloth effects lie and how they move with the drag, as pure functions
// of the carpet's state. The carpet body's coordinates have their origin at the carpet's
// centre; the folds' and the fringe's are those of their own frames (origin top-left).
namespace CarpetGeometry {

// The rug as the body builds it: 610 x 156, with 12-point fringes at both short ends.
constexpr QSizeF rugSize{610, 156};
constexpr double fringeWidth = 12;

// The bumps over hidden files: one for each covered file up to three, none while lifted.
QList<QPointF> lumpCentres(int coveredCount, bool isLifted);
constexpr QSizeF lumpSize{50, 22};

// The whole body shrinks a little while it is dragged.
double bodyScale(bool isDragging);

// The folds of the cloth over a rug of `size`: six of them spread evenly over the middle
// 0.86 of its width. Each has a dark and a light stripe side by side, is pushed sideways by
// the drag and leans a little (2 degrees while dragged, 0.6 at rest).
constexpr int foldCount = 6;
double foldStrength(bool isDragging);
struct Fold {
    QRectF shade;     // the dark stripe, in the rug's frame, before the fold moves
    QRectF light;     // the light stripe beside it
    double shift = 0; // sideways, in points
    double tilt = 0;  // degrees, clockwise on screen, about the fold's centre
    // Moves the fold's stripes from where they lie to where they are drawn.
    QTransform transform() const;
};
QList<Fold> folds(const QSizeF& size, bool isDragging, double dx);

// The shadow the rug drags behind it: present only while dragged, on the leading (left)
// side when dx >= 0 and darkest at its outer edge, on the trailing side otherwise.
struct DragShade {
    QRectF rect;
    bool darkOnLeft = true;
    double opacity = 0; // of its dark edge
};
std::optional<DragShade> dragShade(const QSizeF& size, bool isDragging, double dx);

// The fringes: a cord against the rug and 42 threads hanging from it, swinging by up to
// 5 degrees with the drag (one end against the other), about the cord.
constexpr int fringeThreadCount = 42;
constexpr QSizeF fringeSize{12, 148};
double fringeSwing(bool isLeading, bool isDragging, double dx);
struct FringeLayout {
    QRectF cord;
    QRectF threads;       // the column the threads hang in (9.5 wide)
    QPointF swingAnchor;  // the column's edge against the cord
    QList<QRectF> thread; // each thread, inside the fringe's frame
};
FringeLayout fringeLayout(bool isLeading);

} // namespace CarpetGeometry
