#include "room/effects/fire_geometry.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace FireGeometry {
namespace {
// A quotient that is whole up to rounding noise must not gain a flame: 97.3 / (97.3 / 5)
// is 5, not 5.000000000000001 rounded up to 6.
int roundUp(double quotient)
{
    return int(std::ceil(quotient - 1e-9));
}

double fraction(double v)
{
    return v - std::floor(v);
}

} // namespace

double secondsSinceReferenceDate(const QDateTime& when)
{
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return double(reference.msecsTo(when)) / 1000.0;
}

void addFlame(QPainterPath& path, QPointF foot, const FlameShape& f)
{
    const double cx = foot.x();
    const double y0 = foot.y();
    path.moveTo(cx - f.halfWidth, y0);
    path.cubicTo(cx - f.halfWidth, y0 - f.shoulder * f.height, cx + f.controlSway,
                 y0 - f.neck * f.height, cx + f.tipSway, y0 - f.height);
    path.cubicTo(cx + f.controlSway, y0 - f.neck * f.height, cx + f.halfWidth,
                 y0 - f.shoulder * f.height, cx + f.halfWidth, y0);
    path.closeSubpath();
}

bool drawsAnything(const QSizeF& size)
{
    return size.width() > 4 && size.height() > 4;
}

FlameRow flameRow(double width)
{
    FlameRow row;
    const double fifth = width / 5;
    row.spacing = fifth >= 26 ? 26 : std::max(fifth, 16.0);
    row.count = std::max(roundUp(width / row.spacing), 2);
    row.flameWidth = 1.1 * row.spacing;
    return row;
}

double rowFlamePhase(Edge edge, int i, double t)
{
    return 7 * t + 1.5 * i + (edge == Edge::Top ? 2.718 : 0.0);
}

namespace {
double rowScale(Edge edge, double flameHeight)
{
    return edge == Edge::Top ? 0.82 * flameHeight : flameHeight;
}
} // namespace

FlameShape rowFlameOuter(Edge edge, const FlameRow& row, double flameHeight, double phase)
{
    const double sway = 0.3 * row.flameWidth * std::sin(0.75 * phase);
    return {row.flameWidth / 2,
            rowScale(edge, flameHeight) * (0.7 + 0.3 * std::sin(phase)),
            sway,
            sway / 2,
            0.45,
            0.8};
}

FlameShape rowFlameInner(Edge edge, const FlameRow& row, double flameHeight, double phase)
{
    const FlameShape outer = rowFlameOuter(edge, row, flameHeight, phase);
    return {0.275 * row.flameWidth,
            0.55 * outer.height,
            0.7 * outer.tipSway,
            0.4 * outer.tipSway,
            0.4,
            0.75};
}

Ledge frameLedge(Edge edge, const QSizeF& size)
{
    Ledge ledge;
    ledge.row = flameRow(size.width());
    ledge.firstX = ledge.row.spacing / 2;
    ledge.baseline = edge == Edge::Top ? 2.0 : size.height() + 1;
    return ledge;
}

Ledge outlineLedge(Edge edge, const QPainterPath& outline)
{
    const QRectF bounds = outline.boundingRect();
    const double depth = std::min(outlineLedgeDepth, bounds.height() / 2);
    const double y = edge == Edge::Top ? bounds.top() + depth : bounds.bottom() - depth;
    // What the outline covers along a thin strip at that height.
    QPainterPath strip;
    strip.addRect(QRectF(bounds.left() - 1, y - 0.25, bounds.width() + 2, 0.5));
    QRectF span = outline.intersected(strip).boundingRect();
    if (span.isEmpty())
        span = QRectF(bounds.left(), y, bounds.width(), 0);

    Ledge ledge;
    ledge.row = flameRow(span.width());
    // The feet stay on the span, a point in from its ends: a narrow headstock carries fewer
    // flames than a frame of its width would.
    const double inside = std::max(span.width() - 2, 0.0);
    ledge.row.count =
        std::clamp(int(std::floor(inside / ledge.row.spacing)) + 1, 1, ledge.row.count);
    ledge.firstX = span.center().x() - (ledge.row.count - 1) * ledge.row.spacing / 2;
    ledge.baseline = y;
    return ledge;
}

FlameLayer flameLayer(Edge edge, const QSizeF& size, double flameHeight, double t)
{
    return flameLayer(edge, frameLedge(edge, size), flameHeight, t);
}

FlameLayer flameLayer(Edge edge, const Ledge& ledge, double flameHeight, double t)
{
    const FlameRow& row = ledge.row;
    const double scale = rowScale(edge, flameHeight);

    FlameLayer layer;
    // Neighbouring flames overlap: the overlap is flame too, not a hole.
    layer.outer.setFillRule(Qt::WindingFill);
    layer.inner.setFillRule(Qt::WindingFill);
    layer.baseline = ledge.baseline;
    layer.outerGradientTo = layer.baseline - scale;
    layer.innerGradientTo = layer.baseline - 0.55 * scale;
    layer.flames.reserve(row.count);
    for (int i = 0; i < row.count; ++i) {
        const double phase = rowFlamePhase(edge, i, t);
        const FlameShape outer = rowFlameOuter(edge, row, flameHeight, phase);
        Flame flame;
        flame.centreX = ledge.footX(i);
        flame.height = outer.height;
        flame.sway = outer.tipSway;
        layer.flames.append(flame);

        const QPointF foot(flame.centreX, layer.baseline);
        addFlame(layer.outer, foot, outer);
        addFlame(layer.inner, foot, rowFlameInner(edge, row, flameHeight, phase));
    }
    return layer;
}

QRectF flameBand(Edge edge, const QSizeF& size, double flameHeight)
{
    return flameBand(edge, frameLedge(edge, size), flameHeight);
}

QRectF flameBand(Edge edge, const Ledge& ledge, double flameHeight)
{
    const FlameRow& row = ledge.row;
    const double f = std::max(flameHeight, 0.0);
    // Half a flame's width (0.55 s) and its sway (0.33 s) reach beside its centre.
    const double left = ledge.firstX - 0.55 * row.spacing;
    const double right = ledge.footX(row.count - 1) + 0.55 * row.spacing;
    const double baseline = ledge.baseline;
    const double height = edge == Edge::Top ? 0.82 * f : f;
    // One more point all round for antialiasing.
    return QRectF(QPointF(left, baseline - height), QPointF(right, baseline))
        .adjusted(-1, -1, 1, 1);
}

int sparkCount(double width)
{
    return std::clamp(int(std::floor(width / 36)), 3, 5);
}

QList<QRectF> sparks(const QSizeF& size, double flameHeight, double t)
{
    const double w = size.width();
    const double h = size.height();
    const int count = sparkCount(w);
    // The whole part of the span, at least 1, so that the modulo below is defined.
    const long long span = std::max(1LL, (long long)std::floor(std::max(w - 6, 1.0)));
    QList<QRectF> rects;
    rects.reserve(count);
    for (int k = 0; k < count; ++k) {
        const double rise = fraction(0.85 * t + 1.618 * k);
        const double x = 5 * std::sin(3 * t + 3 * 1.618 * k) + double((43LL * k) % span) + 3 - 1.3;
        const double y = h - (h + flameHeight + 15) * rise - 1.3;
        rects.append(QRectF(x, y, 2.6, 2.6));
    }
    return rects;
}

QRectF glowRect(const QSizeF& size)
{
    return QRectF(-glowReach, -glowReach, size.width() + 2 * glowReach,
                  size.height() + 2 * glowReach);
}

QRectF paintBounds(const QSizeF& size, double flameHeight)
{
    const double w = size.width();
    const double h = size.height();
    const double f = std::max(flameHeight, 0.0);
    const double span = std::floor(std::max(w - 6, 1.0));
    // Sparks sway 5 points about columns from 1.7 to span + 0.7, and rise to f + 16.3
    // above the top edge; the glow reaches 4 points out. One more point for antialiasing.
    const QRectF sparksAndGlow =
        QRectF(QPointF(-4, std::min(-4.0, -f - 16.3)), QPointF(std::max(w + 4, span + 8.3), h + 4))
            .adjusted(-1, -1, 1, 1);
    return sparksAndGlow.united(flameBand(Edge::Base, size, flameHeight))
        .united(flameBand(Edge::Top, size, flameHeight));
}

int atmosphereFlameCount(double roomWidth)
{
    return std::max(roundUp(roomWidth / 36), 0) + 1;
}

double atmosphereFlamePhase(int i, double t)
{
    return 6.5 * t + 1.3 * i;
}

FlameShape atmosphereFlame(double phase)
{
    const double sway = 8 * std::sin(0.75 * phase);
    return {25.2, 60 + 22 * std::sin(phase), sway, sway / 2, 0.45, 0.8};
}

QPainterPath atmosphereFlames(const QSizeF& room, double t)
{
    const int count = atmosphereFlameCount(room.width());
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (int i = 0; i < count; ++i) {
        addFlame(path, QPointF(atmosphereFlameSpacing * i, room.height()),
                 atmosphereFlame(atmosphereFlamePhase(i, t)));
    }
    return path;
}

QList<QRectF> embers(const QSizeF& room, double t)
{
    const double h = room.height();
    const long long span = std::max(1LL, (long long)std::floor(std::max(room.width(), 100.0)));
    QList<QRectF> rects;
    rects.reserve(emberCount);
    for (int k = 0; k < emberCount; ++k) {
        const double rise = fraction(2.39996 * k + t * (0.16 + 0.035 * (k % 6)));
        const double x =
            20 * std::sin(4 * 2.39996 * k + 7 * rise) + double((137LL * k) % span) - 1.3;
        const double y = h - h * rise - 1.3;
        rects.append(QRectF(x, y, 2.6, 2.6));
    }
    return rects;
}

QRectF atmosphereFlameBand(const QSizeF& room)
{
    // Flames reach 82 points up (60 + 22); one more for antialiasing.
    return QRectF(0, room.height() - 83, room.width(), 83);
}

} // namespace FireGeometry
