#include "objects/potted_plant_view.h"

#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "objects/drawing_helpers.h"

#include <QPainter>

using namespace ObjectDrawing;
using Painting::linearGradient;

namespace {
struct Branch {
    QPointF soilOrigin;
    QPointF controlPoint;
    QPointF stemEnd;
    QSizeF leaf;
    qreal baseAngle;
    QColor sheen;
    QColor shade;
};

struct PlantLayout {
    qreal W, H, P, Q, yG, yS;
    std::array<Branch, 5> branches;
};

PlantLayout layoutFor(QSizeF size)
{
    const qreal W = size.width();
    const qreal H = size.height();
    const qreal Q = 0.22 * H;
    const qreal yG = H - Q + 0.11 * Q;
    const qreal yS = yG - 0.14 * H;
    return {W,
            H,
            0.46 * W,
            Q,
            yG,
            yS,
            {{{{0.5 * W - 6, yS},
               {0.30 * W, 0.62 * H},
               {0.28 * W, 0.54 * H},
               {0.38 * W, 0.35 * H},
               -26,
               srgb(0.26, 0.54, 0.24),
               srgb(0.11, 0.32, 0.13)},
              {{0.5 * W + 6, yS},
               {0.70 * W, 0.63 * H},
               {0.72 * W, 0.55 * H},
               {0.38 * W, 0.35 * H},
               28,
               srgb(0.25, 0.52, 0.23),
               srgb(0.10, 0.30, 0.12)},
              {{0.5 * W - 3, yS},
               {0.40 * W, 0.57 * H},
               {0.38 * W, 0.46 * H},
               {0.42 * W, 0.41 * H},
               -15,
               srgb(0.29, 0.58, 0.26),
               srgb(0.13, 0.36, 0.15)},
              {{0.5 * W + 3, yS},
               {0.60 * W, 0.57 * H},
               {0.62 * W, 0.47 * H},
               {0.42 * W, 0.41 * H},
               17,
               srgb(0.27, 0.56, 0.25),
               srgb(0.12, 0.34, 0.14)},
              {{0.5 * W, yS},
               {0.50 * W, 0.53 * H},
               {0.50 * W, 0.42 * H},
               {0.44 * W, 0.44 * H},
               2,
               srgb(0.30, 0.62, 0.28),
               srgb(0.14, 0.39, 0.17)}}}};
}

// A leaf's box has its bottom centre on the stem's end and turns about that point
// (clockwise for a positive angle).
QTransform leafTransform(const Branch& b)
{
    QTransform t;
    t.translate(b.stemEnd.x(), b.stemEnd.y());
    t.rotate(b.baseAngle);
    t.translate(-b.leaf.width() / 2, -b.leaf.height());
    return t;
}

QRectF grown(const QRectF& r, qreal by)
{
    return r.adjusted(-by, -by, by, by);
}

void paintLeaf(QPainter& p, const Branch& b)
{
    const qreal w = b.leaf.width();
    const qreal h = b.leaf.height();
    const QRectF box(0, 0, w, h);
    Painting::paintWithShadow(p, grown(box, 2), {black(0.2), 3, QPointF(0, 2.5)}, [&](QPainter& q) {
        QLinearGradient blade(0, 0, w, 0);
        blade.setColorAt(0, b.sheen);
        QColor sheen = b.sheen;
        sheen.setAlphaF(0.96f);
        blade.setColorAt(0.49, sheen);
        QColor shade = b.shade;
        shade.setAlphaF(0.94f);
        blade.setColorAt(0.51, shade);
        blade.setColorAt(1, b.shade);
        q.fillPath(PottedPlantDrawing::leafOutline(b.leaf), blade);
        Painting::paintWithShadow(
            q, grown(box, 2), {black(0.25), 1, QPointF(0.5, 0)}, [&](QPainter& r) {
                r.setPen(pen(linearGradient(QPointF(0, h), QPointF(0, 0),
                                            {srgb(0.65, 0.82, 0.42), srgb(0.38, 0.64, 0.28),
                                             srgb(0.22, 0.45, 0.18)}),
                             2.2, Qt::RoundCap));
                r.drawLine(QPointF(0.5 * w, h), QPointF(0.5 * w, 0.04 * h));
            });
    });
}

void paintPot(QPainter& p, qreal P, qreal Q)
{
    QPainterPath body(QPointF(0, 0.11 * Q));
    body.lineTo(0.14 * P, 0.94 * Q);
    body.quadTo(QPointF(0.5 * P, 1.06 * Q), QPointF(0.86 * P, 0.94 * Q));
    body.lineTo(P, 0.11 * Q);
    body.closeSubpath();
    Painting::paintWithShadow(
        p, grown(body.boundingRect(), 1), {black(0.24), 5, QPointF(-1, 3)}, [&](QPainter& q) {
            q.fillPath(body, linearGradient(QPointF(0, 0), QPointF(P, 0),
                                            {srgb(0.94, 0.93, 0.90), srgb(0.86, 0.84, 0.81),
                                             srgb(0.73, 0.71, 0.67)}));
        });
    const QRectF foot(0.5 * P - 0.36 * P, 0.94 * Q - 0.06 * Q, 0.72 * P, 0.12 * Q);
    const QPainterPath footPath = Painting::ellipse(foot);
    p.fillPath(footPath, linearGradient(foot.topLeft(), QPointF(foot.right(), foot.top()),
                                        {srgb(0.90, 0.88, 0.85), srgb(0.72, 0.70, 0.66)}));
    const QRectF opening(0.03 * P, 0.02 * Q, 0.94 * P, 0.2 * Q);
    const QPainterPath openingPath = Painting::ellipse(opening);
    p.fillPath(openingPath,
               Painting::radialGradient(opening.center(), 2, 0.44 * P,
                                        {srgb(0.14, 0.10, 0.07), srgb(0.22, 0.17, 0.12)}));
    const QRectF rim(0, 0, P, 0.22 * Q);
    p.setPen(pen(Painting::diagonalGradient(rim, {white(0.85), srgb(0.78, 0.76, 0.72)}), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(rim);
}
} // namespace

namespace PottedPlantDrawing {
QPainterPath leafOutline(QSizeF box)
{
    const qreal w = box.width();
    const qreal h = box.height();
    auto at = [w, h](qreal x, qreal y) { return QPointF((0.5 + x) * w, y * h); };
    QPainterPath path(at(0, 1));
    path.cubicTo(at(-0.08, 0.90), at(-0.32, 0.84), at(-0.38, 0.74));
    path.cubicTo(at(-0.44, 0.65), at(-0.52, 0.56), at(-0.48, 0.48));
    path.cubicTo(at(-0.42, 0.38), at(-0.36, 0.28), at(-0.32, 0.22));
    path.cubicTo(at(-0.20, 0.12), at(-0.04, 0.03), at(0, 0));
    path.cubicTo(at(0.04, 0.03), at(0.20, 0.12), at(0.32, 0.22));
    path.cubicTo(at(0.36, 0.28), at(0.42, 0.38), at(0.48, 0.48));
    path.cubicTo(at(0.52, 0.56), at(0.44, 0.65), at(0.38, 0.74));
    path.cubicTo(at(0.32, 0.84), at(0.08, 0.90), at(0, 1));
    path.closeSubpath();
    return path;
}

QList<QPainterPath> placedLeaves(QSizeF size)
{
    QList<QPainterPath> leaves;
    for (const Branch& b : layoutFor(size).branches)
        leaves.append(leafTransform(b).map(leafOutline(b.leaf)));
    return leaves;
}

QRectF paintedArea(QSizeF size)
{
    // The leaf's shadow reaches its blur and offset beyond the leaf.
    const qreal reach = SoftShadow::spread(5) + 3;
    QRectF area(QPointF(), size);
    for (const QPainterPath& leaf : placedLeaves(size))
        area |= grown(leaf.boundingRect(), reach);
    return grown(area, reach);
}

void paint(QPainter& p, QSizeF size)
{
    const PlantLayout l = layoutFor(size);
    p.setRenderHint(QPainter::Antialiasing);

    const QPainterPath floor = Painting::ellipse(
        Painting::centredRect(QPointF(0.5 * l.W, l.H - 2), 1.15 * l.P, 0.22 * l.Q));
    ShapeShadow().paint(p, floor, {black(0.36), 4, {}});

    p.save();
    p.translate(0.5 * l.W - l.P / 2, l.H - l.Q);
    paintPot(p, l.P, l.Q);
    p.restore();

    QPainterPath stubs;
    for (auto [soil, top] :
         {std::pair{-7.0, -5.0}, {-3.0, -2.0}, {0.0, 0.0}, {3.0, 2.0}, {7.0, 5.0}}) {
        stubs.moveTo(0.5 * l.W + soil, l.yG);
        stubs.lineTo(0.5 * l.W + top, l.yS);
    }
    p.strokePath(stubs, pen(linearGradient(QPointF(0, l.H), QPointF(0, 0),
                                           {srgb(0.10, 0.24, 0.11), srgb(0.16, 0.36, 0.15)}),
                            4.2, Qt::RoundCap));

    const QPainterPath soil =
        Painting::ellipse(Painting::centredRect(QPointF(0.5 * l.W, l.yG + 1), 26, 8));
    p.fillPath(soil,
               Painting::radialGradient(QPointF(0.5 * l.W, l.yG + 1), 2, 16,
                                        {srgb(0.08, 0.05, 0.03), srgb(0.14, 0.10, 0.07, 0.85)}));

    for (const Branch& b : l.branches) {
        QPainterPath stem(b.soilOrigin);
        stem.quadTo(b.controlPoint, b.stemEnd);
        Painting::paintWithShadow(
            p, grown(stem.boundingRect(), 4), {black(0.18), 2, QPointF(0, 1)}, [&](QPainter& q) {
                q.strokePath(stem,
                             pen(linearGradient(QPointF(0, l.H), QPointF(0, 0),
                                                {srgb(0.11, 0.28, 0.12), srgb(0.18, 0.40, 0.18),
                                                 srgb(0.14, 0.34, 0.15)}),
                                 3.8, Qt::RoundCap));
            });
        const QPainterPath node = Painting::circle(b.stemEnd, 2.25);
        p.fillPath(node, srgb(0.14, 0.34, 0.15));
        p.save();
        p.setTransform(leafTransform(b), true);
        paintLeaf(p, b);
        p.restore();
    }
}
} // namespace PottedPlantDrawing

PottedPlantView::PottedPlantView(QGraphicsItem* parent) : RoomItem(parent)
{
    stopTakingPointer(this);
}

void PottedPlantView::onSizeChanged()
{
    const QRectF area = PottedPlantDrawing::paintedArea(size());
    setPaintMargins(QMarginsF(-area.left(), -area.top(), area.right() - size().width(),
                              area.bottom() - size().height()));
}

void PottedPlantView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    m_cache.paint(*painter, boundingRect(), 0,
                  [this](QPainter& p) { PottedPlantDrawing::paint(p, size()); });
}
