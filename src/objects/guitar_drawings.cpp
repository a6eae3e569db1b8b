#include "objects/guitar_drawings.h"

#include "kit/painting.h"
#include "objects/drawing_helpers.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace ObjectDrawing;
using Painting::linearGradient;

namespace {
const QColor kMetalDark = srgb(0.12, 0.12, 0.15);
const QColor kMetalLight = srgb(0.25, 0.25, 0.29);

// A guitar's floor stand as drawn behind the guitar: tubes (lines shaded along their length,
// round caps), then rubber feet (black capsules). It is part of the guitar: its outline is
// part of the guitar's.
struct Stand {
    struct Tube {
        QPointF from, to;
        qreal width;
    };
    std::vector<Tube> tubes;
    std::vector<QRectF> feet;

    void paint(QPainter& p) const
    {
        for (const Tube& t : tubes) {
            p.setPen(pen(linearGradient(t.from, t.to, {kMetalDark, kMetalLight, kMetalDark}),
                         t.width, Qt::RoundCap));
            p.drawLine(t.from, t.to);
        }
        for (const QRectF& foot : feet)
            p.fillPath(Painting::capsule(foot), Qt::black);
    }

    QPainterPath outline() const
    {
        QPainterPath all;
        for (const Tube& t : tubes) {
            QPainterPathStroker stroker;
            stroker.setWidth(t.width);
            stroker.setCapStyle(Qt::RoundCap);
            QPainterPath line(t.from);
            line.lineTo(t.to);
            all = all.united(stroker.createStroke(line));
        }
        for (const QRectF& foot : feet)
            all = all.united(Painting::capsule(foot));
        return all;
    }
};

void fillAndStroke(QPainter& p, const QPainterPath& path, const QBrush& fill, const QPen& stroke)
{
    p.fillPath(path, fill);
    p.strokePath(path, stroke);
}

void fillCircle(QPainter& p, QPointF centre, qreal radius, const QBrush& brush)
{
    p.fillPath(Painting::circle(centre, radius), brush);
}

void strokeCircle(QPainter& p, QPointF centre, qreal radius, const QPen& stroke)
{
    p.setPen(stroke);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);
}

QPainterPath polygon(const std::vector<QPointF>& points)
{
    QPainterPath path(points.front());
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    path.closeSubpath();
    return path;
}

// Small shaded cap over a stand: the cradles and lower arms in front of the body.
void standCap(QPainter& p, const QRectF& r)
{
    fillAndStroke(p, Painting::capsule(r),
                  Painting::diagonalGradient(r, {srgb(0.25, 0.25, 0.28), srgb(0.10, 0.10, 0.12)}),
                  pen(srgb(0.35, 0.35, 0.40), 0.6));
}

// A tuner's button: a capsule shaded corner to corner.
void tunerButton(QPainter& p, const QRectF& r, std::initializer_list<QColor> shades)
{
    fillAndStroke(p, Painting::capsule(r), Painting::diagonalGradient(r, shades),
                  pen(srgb(0.50, 0.52, 0.56), 0.6));
}
} // namespace

namespace AcousticGuitarDrawing {
namespace {
// The body: the right half, then the same points mirrored back up the left.
QPainterPath body(const Frac& at)
{
    const std::vector<QPointF> half{{0.56, 0.47},  {0.62, 0.474}, {0.68, 0.485},  {0.73, 0.505},
                                    {0.765, 0.53}, {0.78, 0.555}, {0.775, 0.585}, {0.755, 0.615},
                                    {0.74, 0.64},  {0.75, 0.665}, {0.78, 0.7},    {0.825, 0.735},
                                    {0.86, 0.775}, {0.865, 0.8},  {0.84, 0.83},   {0.795, 0.855},
                                    {0.72, 0.87},  {0.62, 0.875}, {0.5, 0.875}};
    std::vector<QPointF> outline;
    for (const QPointF& q : half)
        outline.push_back(at(q.x(), q.y()));
    for (auto it = half.rbegin() + 1; it != half.rend(); ++it)
        outline.push_back(at(1 - it->x(), it->y()));
    return polygon(outline);
}

QPainterPath fretboard(const Frac& at)
{
    return polygon({at(0.45, 0.245), at(0.55, 0.245), at(0.569, 0.542), at(0.431, 0.542)});
}

QPainterPath headstock(const Frac& at)
{
    QPainterPath head(at(0.45, 0.245));
    head.quadTo(at(0.438, 0.23872), at(0.428, 0.22616));
    head.lineTo(at(0.422, 0.11626));
    head.quadTo(at(0.424, 0.088), at(0.465, 0.088));
    head.quadTo(at(0.5, 0.09585), at(0.535, 0.088));
    head.quadTo(at(0.576, 0.088), at(0.578, 0.11626));
    head.lineTo(at(0.572, 0.22616));
    head.quadTo(at(0.562, 0.23872), at(0.55, 0.245));
    head.closeSubpath();
    return head;
}

Stand stand(QSizeF frame, qreal t)
{
    const Frac at{frame};
    const qreal w = frame.width();
    return {{{at(0.5, 0.65), at(0.5, 0.9), 1.1 * t},
             {at(0.32, 0.88), at(0.5, 0.9), 1.15 * t},
             {at(0.68, 0.88), at(0.5, 0.9), 1.15 * t},
             {at(0.5, 0.9), at(0.5, 0.965), 1.05 * t},
             {at(0.5, 0.9), at(0.12, 0.975), 1.1 * t},
             {at(0.5, 0.9), at(0.88, 0.975), 1.1 * t}},
            {Painting::centredRect(at(0.12, 0.975), 0.064 * w, 0.0384 * w),
             Painting::centredRect(at(0.88, 0.975), 0.064 * w, 0.0384 * w),
             Painting::centredRect(at(0.5, 0.965), 0.0512 * w, 0.032 * w)}};
}
} // namespace

QPainterPath outline(QSizeF frame)
{
    const Frac at{frame};
    return body(at).united(fretboard(at)).united(headstock(at));
}

QPainterPath standOutline(QSizeF frame)
{
    return stand(frame, sizes(frame).tube).outline();
}

Sizes sizes(QSizeF frame)
{
    const qreal s = 0.8295454545454545 * frame.width();
    return {std::max(0.038 * s, 3.5),
            std::max(0.007 * s, 1.4),
            std::max(0.006 * s, 1.3),
            std::max(0.009 * s, 1.6),
            std::max(0.013 * s, 2.8),
            QSizeF(std::max(0.038 * s, 5.0), std::max(0.022 * frame.height(), 11.0))};
}

void paint(QPainter& p, QSizeF frame)
{
    const qreal w = frame.width();
    const qreal h = frame.height();
    const qreal s = 0.8295454545454545 * w;
    const Frac at{frame};
    const Sizes size = sizes(frame);
    p.setRenderHint(QPainter::Antialiasing);

    // Stand behind the guitar.
    stand(frame, size.tube).paint(p);

    // Body.
    const QPainterPath body = AcousticGuitarDrawing::body(at);
    p.fillPath(body, Painting::radialGradient(at(0.5, 0.72), 0.05 * w, 0.45 * w,
                                              {srgb(0.97, 0.89, 0.75), srgb(0.92, 0.80, 0.60),
                                               srgb(0.80, 0.62, 0.40), srgb(0.65, 0.45, 0.26)}));
    QPainterPath grain;
    for (int k = 0; k < 27; ++k) {
        grain.moveTo((0.2 + 0.023 * k) * w, 0.47 * h);
        grain.lineTo((0.2 + 0.023 * k) * w, 0.88 * h);
    }
    p.strokePath(grain, pen(srgb(0.55, 0.38, 0.20, 0.06), 0.6));
    p.strokePath(body, pen(srgb(0.96, 0.94, 0.88), 2.2));
    p.strokePath(body, pen(srgb(0.25, 0.18, 0.12), 0.8));

    // Sound hole and rosette.
    const QPointF c = at(0.5, 0.605);
    const qreal r = 0.076 * w;
    fillCircle(p, c, r,
               Painting::radialGradient(c - QPointF(0.2 * r, 0.2 * r), 0, r,
                                        {srgb(0.08, 0.06, 0.05), srgb(0.03, 0.02, 0.02)}));
    strokeCircle(p, c, r, pen(srgb(0.22, 0.16, 0.12), 1.2));
    p.fillPath(Painting::continuousRoundedRect(Painting::centredRect(c, 1.2 * r, 0.5 * r), 1),
               srgb(0.35, 0.26, 0.18, 0.35));
    strokeCircle(p, c, 1.12 * r, pen(srgb(0.25, 0.18, 0.14), 0.9));
    strokeCircle(p, c, 1.25 * r, pen(srgb(0.92, 0.89, 0.82), 2.5));
    QPen dashed = pen(srgb(0.30, 0.22, 0.16, 0.4), 1);
    dashed.setDashPattern({2, 2}); // in pen widths: 2 points on, 2 off at width 1
    strokeCircle(p, c, 1.25 * r, dashed);
    strokeCircle(p, c, 1.38 * r, pen(srgb(0.25, 0.18, 0.14), 1));
    strokeCircle(p, c, 1.4352 * r, pen(srgb(0.88, 0.84, 0.76), 0.6));

    // Pickguard: an arc round the rosette (clockwise on screen from -45 to 75 degrees),
    // then a teardrop back to its start.
    QPainterPath guard(at(0.566, 0.54));
    const qreal R = 0.1080264 * w;
    guard.arcTo(QRectF(c.x() - R, c.y() - R, 2 * R, 2 * R), 45, -120);
    guard.cubicTo(QPointF(0.589148 * w, c.y() + 0.1174656 * w),
                  QPointF(0.63 * w, c.y() + 0.1237584 * w),
                  QPointF(0.66 * w, c.y() + 0.120612 * w));
    guard.quadTo(QPointF(0.695 * w, c.y() + 0.089148 * w), QPointF(0.68 * w, c.y() + 0.047196 * w));
    guard.cubicTo(QPointF(0.665 * w, c.y() - 0.020976 * w), at(0.61, 0.535), at(0.566, 0.54));
    guard.closeSubpath();
    fillAndStroke(
        p, guard,
        linearGradient(at(0.57, 0.54), at(0.68, 0.68),
                       {srgb(0.50, 0.16, 0.08), srgb(0.30, 0.09, 0.04), srgb(0.16, 0.05, 0.02)}),
        pen(srgb(0.70, 0.28, 0.12, 0.35), 0.6));

    // Bridge, saddle and pins.
    QPainterPath bridge(at(0.375, 0.7546));
    bridge.quadTo(at(0.4, 0.75076), at(0.43, 0.7482));
    bridge.lineTo(at(0.57, 0.7482));
    bridge.quadTo(at(0.6, 0.75076), at(0.625, 0.7546));
    bridge.quadTo(at(0.615, 0.769), at(0.58, 0.7738));
    bridge.quadTo(at(0.5, 0.7786), at(0.42, 0.7738));
    bridge.quadTo(at(0.385, 0.769), at(0.375, 0.7546));
    bridge.closeSubpath();
    fillAndStroke(
        p, bridge,
        linearGradient(at(0.375, 0.745), at(0.625, 0.777),
                       {srgb(0.30, 0.19, 0.14), srgb(0.20, 0.13, 0.09), srgb(0.14, 0.08, 0.05)}),
        pen(srgb(0.40, 0.26, 0.18), 0.8));
    p.setPen(pen(srgb(0.96, 0.95, 0.90), 2.2, Qt::RoundCap));
    p.drawLine(at(0.435, 0.75492), at(0.565, 0.75652));
    auto pinX = [w](int j) { return (0.4375 + 0.025 * j) * w; };
    for (int j = 0; j < 6; ++j) {
        const QPointF pin(pinX(j), 0.7658 * h);
        fillAndStroke(p, Painting::circle(pin, 2), srgb(0.96, 0.95, 0.92),
                      pen(srgb(0.35, 0.25, 0.20), 0.5));
        fillCircle(p, pin, 0.9, Qt::black);
    }

    // Neck: fretboard, frets, markers, nut. Board position q runs from the nut (0) to the
    // body (1); the board widens as it goes.
    const QPainterPath board = fretboard(at);
    fillAndStroke(
        p, board,
        linearGradient(at(0.45, 0.245), at(0.55, 0.542),
                       {srgb(0.26, 0.19, 0.15), srgb(0.19, 0.14, 0.11), srgb(0.15, 0.10, 0.08)}),
        pen(srgb(0.42, 0.32, 0.25), 0.7));
    auto boardY = [h](qreal q) { return 0.245 * h + 0.297 * h * q; };
    p.setPen(pen(srgb(0.78, 0.79, 0.82), 0.85));
    for (int i = 1; i <= 20; ++i) {
        const qreal q = std::pow(i / 21.0, 0.88);
        p.drawLine(QPointF((0.45 - 0.019 * q) * w, boardY(q)),
                   QPointF((0.55 + 0.019 * q) * w, boardY(q)));
    }
    const QColor markerWhite = srgb(0.94, 0.95, 0.96);
    for (int n : {3, 5, 7, 9, 15, 17}) {
        const qreal q = std::pow((n - 0.5) / 21.0, 0.88);
        fillAndStroke(p, Painting::circle(QPointF(0.5 * w, boardY(q)), size.marker), markerWhite,
                      pen(black(0.3), 0.4));
    }
    {
        const qreal q = std::pow(11.5 / 21.0, 0.88);
        const qreal dx = 0.44 * (0.05 + 0.019 * q) * w;
        for (qreal x : {0.5 * w - dx, 0.5 * w + dx})
            fillCircle(p, QPointF(x, boardY(q)), size.doubleMarker, markerWhite);
    }
    fillAndStroke(
        p, Painting::continuousRoundedRect(QRectF(0.448 * w, 0.245 * h - 2.8, 0.104 * w, 3.8), 1),
        srgb(0.96, 0.95, 0.90), pen(srgb(0.55, 0.48, 0.40), 0.5));

    // Headstock with its emblem, tuners and string posts.
    fillAndStroke(
        p, headstock(at),
        linearGradient(at(0.5, 0.088), at(0.5, 0.245),
                       {srgb(0.28, 0.18, 0.14), srgb(0.18, 0.12, 0.09), srgb(0.12, 0.08, 0.06)}),
        pen(srgb(0.48, 0.36, 0.28), 1));
    p.setPen(pen(srgb(0.94, 0.82, 0.45), 1.2, Qt::RoundCap));
    p.drawLine(at(0.48175, 0.14295), at(0.51825, 0.14295));
    fillCircle(p, at(0.5, 0.14295), 1.8, srgb(0.96, 0.86, 0.50));
    const qreal rowY[3] = {0.1351 * h, 0.17278 * h, 0.21046 * h};
    for (int k = 0; k < 3; ++k) {
        for (int side : {-1, 1}) {
            const qreal edge = side < 0 ? (0.424 + 0.002 * k) * w : (0.576 - 0.002 * k) * w;
            const qreal outer = edge + side * 0.03 * s;
            p.setPen(pen(srgb(0.78, 0.80, 0.84), size.tunerShaft, Qt::RoundCap));
            p.drawLine(QPointF(edge, rowY[k]), QPointF(outer, rowY[k]));
            const qreal bw = 0.026 * s;
            const qreal bh = 0.013 * h;
            const qreal left = side < 0 ? outer - 0.6 * bw : outer - 0.4 * bw;
            tunerButton(p, QRectF(left, rowY[k] - bh / 2, bw, bh),
                        {srgb(0.96, 0.97, 0.99), srgb(0.75, 0.78, 0.82), srgb(0.88, 0.90, 0.94)});
        }
    }
    const QPointF posts[6] = {{0.462 * w, rowY[2]}, {0.462 * w, rowY[1]}, {0.462 * w, rowY[0]},
                              {0.538 * w, rowY[0]}, {0.538 * w, rowY[1]}, {0.538 * w, rowY[2]}};
    for (const QPointF& post : posts) {
        const qreal R2 = size.postRadius;
        fillAndStroke(p, Painting::circle(post, R2), white(0.92), pen(srgb(0.28, 0.30, 0.34), 1));
        fillCircle(p, post, 0.45 * R2, srgb(0.18, 0.16, 0.14));
    }

    // Strings: pin to nut to post, thickest on the left.
    const QColor treble = srgb(0.94, 0.88, 0.75, 0.85);
    const QColor colours[6] = {srgb(0.88, 0.68, 0.40),
                               srgb(0.84, 0.64, 0.40),
                               srgb(0.80, 0.60, 0.40),
                               treble,
                               treble,
                               treble};
    const qreal widths[6] = {1.3, 1.1, 0.9, 0.85, 0.7, 0.55};
    for (int j = 0; j < 6; ++j) {
        QPainterPath string(QPointF(pinX(j), 0.7658 * h));
        string.lineTo((0.464 + 0.0144 * j) * w, 0.245 * h);
        string.lineTo(posts[j]);
        p.strokePath(string, pen(colours[j], widths[j]));
    }

    // Cradles in front of the body's lower edge.
    for (qreal x : {0.27 * w, 0.73 * w}) {
        const QSizeF cradle = size.cradle;
        standCap(p, QRectF(x - cradle.width() / 2, 0.882 * h - 0.6 * cradle.height(),
                           cradle.width(), cradle.height()));
    }
}
} // namespace AcousticGuitarDrawing

namespace StratocasterDrawing {
namespace {
const std::vector<QPointF> kBodyOutline{
    {0.46, 0.49},   {0.618, 0.49},  {0.63, 0.515},  {0.665, 0.538}, {0.73, 0.53},   {0.79, 0.518},
    {0.83, 0.502},  {0.875, 0.49},  {0.91, 0.505},  {0.932, 0.53},  {0.93, 0.555},  {0.91, 0.582},
    {0.88, 0.605},  {0.865, 0.625}, {0.865, 0.645}, {0.88, 0.665},  {0.91, 0.688},  {0.945, 0.712},
    {0.978, 0.74},  {0.995, 0.77},  {0.995, 0.792}, {0.98, 0.82},   {0.935, 0.846}, {0.855, 0.862},
    {0.71, 0.872},  {0.539, 0.874}, {0.36, 0.869},  {0.23, 0.857},  {0.138, 0.838}, {0.088, 0.812},
    {0.07, 0.783},  {0.07, 0.757},  {0.095, 0.725}, {0.128, 0.696}, {0.165, 0.667}, {0.198, 0.638},
    {0.205, 0.616}, {0.198, 0.594}, {0.176, 0.565}, {0.153, 0.536}, {0.137, 0.507}, {0.135, 0.485},
    {0.146, 0.464}, {0.168, 0.446}, {0.202, 0.431}, {0.236, 0.424}, {0.261, 0.424}, {0.282, 0.431},
    {0.288, 0.45},  {0.295, 0.472}, {0.315, 0.49},  {0.345, 0.505}, {0.395, 0.512}, {0.435, 0.502}};
const std::vector<QPointF> kPickguardOutline{
    {0.44, 0.52},   {0.615, 0.525}, {0.655, 0.54}, {0.725, 0.535}, {0.795, 0.524}, {0.84, 0.515},
    {0.865, 0.525}, {0.88, 0.545},  {0.87, 0.57},  {0.85, 0.598},  {0.825, 0.632}, {0.835, 0.668},
    {0.815, 0.704}, {0.775, 0.732}, {0.67, 0.743}, {0.525, 0.743}, {0.38, 0.725},  {0.315, 0.703},
    {0.348, 0.645}, {0.375, 0.602}, {0.38, 0.56},  {0.355, 0.53},  {0.38, 0.52}};
const qreal kPickupCentres[3] = {0.585, 0.64, 0.695};

QPainterPath outlineIn(const std::vector<QPointF>& fractions, const Frac& at)
{
    std::vector<QPointF> points;
    for (const QPointF& q : fractions)
        points.push_back(at(q.x(), q.y()));
    return polygon(points);
}

// The neck's measures: its centre line, its width at the nut and at the body, the
// headstock's top, the nut and the neck's end.
struct Neck {
    explicit Neck(QSizeF frame)
        : cx(0.539 * frame.width()), nw(0.112 * frame.width()), nwb(0.155 * frame.width()),
          T(0.095 * frame.height()), N(0.25 * frame.height()), NE(0.57 * frame.height()), hh(N - T)
    {
    }
    qreal cx, nw, nwb, T, N, NE, hh;

    QPainterPath board() const
    {
        return polygon({QPointF(cx - nw / 2, N), QPointF(cx + nw / 2, N), QPointF(cx + nwb / 2, NE),
                        QPointF(cx - nwb / 2, NE)});
    }

    QPainterPath headstock() const
    {
        QPainterPath head(QPointF(cx - 0.5 * nw, N));
        head.quadTo(QPointF(cx - 0.65 * nw, N - 0.02 * hh), QPointF(cx - 0.74 * nw, N - 0.08 * hh));
        head.cubicTo(QPointF(cx - 0.68 * nw, N - 0.38 * hh), QPointF(cx - 0.40 * nw, T + 0.40 * hh),
                     QPointF(cx - 0.22 * nw, T + 0.12 * hh));
        head.cubicTo(QPointF(cx - 0.14 * nw, T + 0.03 * hh), QPointF(cx + 0.02 * nw, T),
                     QPointF(cx + 0.18 * nw, T));
        head.cubicTo(QPointF(cx + 0.42 * nw, T + 0.01 * hh), QPointF(cx + 0.68 * nw, T + 0.03 * hh),
                     QPointF(cx + 0.82 * nw, T + 0.10 * hh));
        head.cubicTo(QPointF(cx + 0.90 * nw, T + 0.15 * hh), QPointF(cx + 0.86 * nw, T + 0.21 * hh),
                     QPointF(cx + 0.76 * nw, T + 0.24 * hh));
        head.cubicTo(QPointF(cx + 0.58 * nw, T + 0.32 * hh), QPointF(cx + 0.44 * nw, T + 0.44 * hh),
                     QPointF(cx + 0.46 * nw, T + 0.58 * hh));
        head.cubicTo(QPointF(cx + 0.48 * nw, T + 0.74 * hh), QPointF(cx + 0.5 * nw, N - 0.06 * hh),
                     QPointF(cx + 0.5 * nw, N));
        head.closeSubpath();
        return head;
    }
};

// The stand: its post through the yoke round the neck, the yoke's pins, the arms under the
// body, the legs and feet.
struct StandParts {
    StandParts(QSizeF frame, qreal s)
    {
        const Frac at{frame};
        const qreal W = frame.width();
        const qreal H = frame.height();
        const qreal cx = Neck(frame).cx;
        const qreal f = 0.04 * W;
        stand = {{{QPointF(cx, 0.38 * H), QPointF(cx, 0.90 * H), 1.05 * s},
                  {at(0.33, 0.88), QPointF(cx, 0.90 * H), 1.15 * s},
                  {at(0.74, 0.88), QPointF(cx, 0.90 * H), 1.15 * s},
                  {QPointF(cx, 0.90 * H), QPointF(cx, 0.975 * H), 1.05 * s},
                  {QPointF(cx, 0.90 * H), at(0.12, 0.985), 1.1 * s},
                  {QPointF(cx, 0.90 * H), at(0.94, 0.985), 1.1 * s}},
                 {QRectF(0.12 * W - f, 0.985 * H - 0.6 * f, 2 * f, 1.2 * f),
                  QRectF(0.94 * W - f, 0.985 * H - 0.6 * f, 2 * f, 1.2 * f),
                  QRectF(cx - 0.8 * f, 0.975 * H - 0.5 * f, 1.6 * f, f)}};
        const qreal yr = 0.155 * W;
        const QRectF yokeBox(cx - yr, 0.40 * H - yr, 2 * yr, 2 * yr);
        yoke.arcMoveTo(yokeBox, -10);
        yoke.arcTo(yokeBox, -10, -160); // clockwise on screen, through the lowest point
        yokeWidth = 1.1 * s;
        pins = {at(0.38, 0.40), at(0.698, 0.40)};
    }

    QPainterPath outline() const
    {
        QPainterPathStroker stroker;
        stroker.setWidth(yokeWidth);
        stroker.setCapStyle(Qt::RoundCap);
        QPainterPath all = stand.outline().united(stroker.createStroke(yoke));
        for (const QPointF& pin : pins)
            all = all.united(Painting::circle(pin, pinRadius));
        return all;
    }

    static constexpr qreal pinRadius = 4;
    Stand stand;
    QPainterPath yoke;
    qreal yokeWidth = 0;
    std::vector<QPointF> pins;
};
} // namespace

QPainterPath outline(QSizeF frame)
{
    const Neck neck(frame);
    return outlineIn(kBodyOutline, Frac{frame}).united(neck.board()).united(neck.headstock());
}

QPainterPath standOutline(QSizeF frame)
{
    return StandParts(frame, sizes(frame).tube).outline();
}

Sizes sizes(QSizeF frame)
{
    const qreal W = frame.width();
    const qreal H = frame.height();
    return {std::max(0.038 * W, 3.5),  std::max(0.007 * W, 1.2),
            std::max(0.0065 * W, 1.4), std::max(0.0055 * W, 1.2),
            std::max(0.012 * W, 1.8),  std::max(0.008 * W, 1.6),
            std::max(0.014 * W, 3.0),  QSizeF(std::max(0.038 * W, 5.0), std::max(0.022 * H, 11.0))};
}

void paint(QPainter& p, QSizeF frame)
{
    const qreal W = frame.width();
    const qreal H = frame.height();
    const Frac at{frame};
    const Sizes size = sizes(frame);
    p.setRenderHint(QPainter::Antialiasing);

    const Neck neck(frame);
    const qreal cx = neck.cx;
    const qreal s = size.tube;
    const qreal nw = neck.nw;
    const qreal nwb = neck.nwb;
    const qreal T = neck.T;
    const qreal N = neck.N;
    const qreal NE = neck.NE;
    const qreal hh = neck.hh;
    const qreal pw = 0.205 * W;
    const qreal ph = 0.016 * H;
    const qreal bw = 0.175 * W;
    const qreal bh = 0.03 * H;
    const qreal bx = cx - bw / 2;
    const qreal by = 0.74 * H - bh / 2;
    const qreal r = 0.026 * W;

    // Stand behind the guitar, with its yoke round the neck.
    const StandParts standParts(frame, s);
    standParts.stand.paint(p);
    p.strokePath(standParts.yoke, pen(kMetalDark, standParts.yokeWidth, Qt::RoundCap));
    for (const QPointF& pin : standParts.pins)
        fillCircle(p, pin, StandParts::pinRadius, kMetalDark);

    // Body and its highlights.
    fillAndStroke(
        p, outlineIn(kBodyOutline, at),
        linearGradient(at(0.25, 0.45), at(0.85, 0.85),
                       {srgb(0.22, 0.22, 0.25), srgb(0.11, 0.11, 0.13), srgb(0.04, 0.04, 0.05)}),
        pen(srgb(0.32, 0.32, 0.36), 1.3));
    QPainterPath upper(at(0.165, 0.50));
    upper.quadTo(at(0.19, 0.46), at(0.24, 0.435));
    p.strokePath(upper, pen(white(0.14), 2.5, Qt::RoundCap));
    QPainterPath lower(at(0.28, 0.855));
    lower.quadTo(at(0.54, 0.875), at(0.80, 0.855));
    p.strokePath(lower, pen(white(0.06), 2, Qt::RoundCap));

    // Pickguard with its screws.
    fillAndStroke(p, outlineIn(kPickguardOutline, at),
                  linearGradient(at(0.40, 0.52), at(0.70, 0.74),
                                 {srgb(0.98, 0.97, 0.95), srgb(0.91, 0.90, 0.87)}),
                  pen(srgb(0.78, 0.77, 0.74), 0.9));
    for (QPointF screw : {QPointF(0.36, 0.53), QPointF(0.84, 0.53), QPointF(0.83, 0.65),
                          QPointF(0.75, 0.73), QPointF(0.34, 0.69), QPointF(0.38, 0.58)})
        fillCircle(p, at(screw.x(), screw.y()), 1.2, srgb(0.65, 0.65, 0.68));

    // Pickups.
    for (qreal fraction : kPickupCentres) {
        const qreal yc = fraction * H;
        const QRectF cover(cx - pw / 2, yc - ph / 2, pw, ph);
        fillAndStroke(
            p, Painting::continuousRoundedRect(cover, 3),
            Painting::diagonalGradient(cover, {srgb(0.99, 0.98, 0.96), srgb(0.89, 0.88, 0.85)}),
            pen(srgb(0.75, 0.74, 0.71), 0.5));
        for (int k = 0; k < 6; ++k)
            fillCircle(p, QPointF(cx - pw / 2 + pw * (0.14 + 0.144 * k), yc), size.polePiece,
                       srgb(0.65, 0.66, 0.70));
    }

    // Bridge, saddles and tremolo arm.
    const QRectF plate(bx, by, bw, bh);
    fillAndStroke(
        p, Painting::continuousRoundedRect(plate, 2),
        linearGradient(QPointF(bx, by + bh / 2), QPointF(bx + bw, by + bh / 2),
                       {srgb(0.92, 0.93, 0.96), srgb(0.68, 0.70, 0.74), srgb(0.88, 0.90, 0.93)}),
        pen(srgb(0.45, 0.46, 0.50), 0.8));
    for (int k = 0; k < 6; ++k)
        p.fillPath(
            Painting::continuousRoundedRect(
                QRectF(bx + bw * (0.08 + 0.145 * k), by + 0.1 * bh, 0.12 * bw, 0.75 * bh), 1),
            srgb(0.58, 0.60, 0.65));
    QPainterPath arm(QPointF(bx + 0.9 * bw, by + 0.5 * bh));
    arm.lineTo(bx + 1.35 * bw, by + 1.5 * bh);
    arm.lineTo(bx + 1.25 * bw, by - 0.6 * bh);
    p.strokePath(arm, pen(srgb(0.82, 0.84, 0.87), size.tremolo, Qt::RoundCap));
    p.fillPath(Painting::capsule(QRectF(bx + 1.25 * bw - 2, by - 0.7 * bh, 5, 10)),
               srgb(0.96, 0.95, 0.92));

    // Knobs and the output jack.
    for (QPointF knob : {QPointF(0.7053, 0.70), QPointF(0.7579, 0.7283), QPointF(0.8105, 0.7572)}) {
        const QPointF k = at(knob.x(), knob.y());
        fillAndStroke(p, Painting::circle(k, r),
                      Painting::radialGradient(k - QPointF(0.3 * r, 0.3 * r), 0, r,
                                               {srgb(0.98, 0.97, 0.94), srgb(0.85, 0.83, 0.79)}),
                      pen(srgb(0.70, 0.68, 0.64), 0.6));
        fillCircle(p, k, 0.6 * r, white(0.8));
    }
    const QRectF jack = Painting::centredRect(at(0.82, 0.80), 0.11 * W, 0.035 * H);
    const QPainterPath jackPath = Painting::ellipse(jack);
    fillAndStroke(
        p, jackPath,
        Painting::diagonalGradient(jack, {srgb(0.92, 0.93, 0.96), srgb(0.65, 0.67, 0.72)}),
        pen(srgb(0.45, 0.46, 0.50), 0.6));
    fillCircle(p, jack.center(), 3.5, srgb(0.15, 0.15, 0.18));

    // Neck, frets, inlays and nut. t runs from the nut (0) to the body (1); the frets
    // bunch up towards the body.
    fillAndStroke(
        p, neck.board(),
        linearGradient(QPointF(cx - nw / 2, N), QPointF(cx + nw / 2, N),
                       {srgb(0.94, 0.84, 0.67), srgb(0.88, 0.76, 0.58), srgb(0.82, 0.70, 0.50)}),
        pen(srgb(0.65, 0.52, 0.35), 0.7));
    auto neckWidth = [&](qreal t) { return nw + (nwb - nw) * t; };
    p.setPen(pen(srgb(0.60, 0.50, 0.40), 0.9));
    for (int i = 1; i <= 21; ++i) {
        const qreal t = std::pow(i / 22.0, 0.88);
        const qreal y = N + (NE - N) * t;
        p.drawLine(QPointF(cx - neckWidth(t) / 2, y), QPointF(cx + neckWidth(t) / 2, y));
    }
    const QColor inlay = srgb(0.16, 0.14, 0.12);
    for (int n : {3, 5, 7, 9, 15, 17, 19, 21}) {
        const qreal u = std::pow((n - 0.5) / 22.0, 0.88);
        fillCircle(p, QPointF(cx, N + (NE - N) * u), size.inlay, inlay);
    }
    {
        const qreal u = std::pow(11.5 / 22.0, 0.88);
        const qreal y = N + (NE - N) * u;
        fillCircle(p, QPointF(cx - 0.22 * neckWidth(u), y), size.doubleInlay, inlay);
        fillCircle(p, QPointF(cx + 0.22 * neckWidth(u), y), size.doubleInlay, inlay);
    }
    p.fillPath(Painting::continuousRoundedRect(QRectF(cx - 0.52 * nw, N - 2.5, 1.04 * nw, 3.5), 1),
               srgb(0.96, 0.95, 0.90));

    // Headstock.
    fillAndStroke(
        p, neck.headstock(),
        linearGradient(QPointF(cx - 0.4 * nw, T), QPointF(cx + 0.4 * nw, N),
                       {srgb(0.94, 0.84, 0.67), srgb(0.88, 0.76, 0.57), srgb(0.80, 0.66, 0.47)}),
        pen(srgb(0.68, 0.54, 0.36), 1));

    // Tuners, six in a row up the headstock's left side.
    const qreal kb = 0.025 * W;
    const qreal kh = 0.011 * H;
    for (int k = 0; k < 6; ++k) {
        const qreal t = k / 5.0;
        const QPointF B(cx - 0.74 * nw + 0.5 * nw * t, T + 0.76 * hh - 0.62 * hh * t);
        const QPointF E = B - r * QPointF(std::cos(0.22), std::sin(0.22));
        p.setPen(pen(srgb(0.75, 0.76, 0.80), size.tunerShaft, Qt::RoundCap));
        p.drawLine(B, E);
        tunerButton(p, QRectF(E.x() - 0.6 * kb, E.y() - 0.5 * kh, kb, kh),
                    {srgb(0.96, 0.97, 0.99), srgb(0.76, 0.78, 0.83), srgb(0.89, 0.91, 0.94)});
    }

    // Strings and their posts.
    for (int k = 0; k < 6; ++k) {
        const qreal t = k / 5.0;
        const QPointF S(bx + 0.12 * bw + 0.76 * bw * t, by + 0.2 * bh);
        const QPointF P(cx - 0.36 * nw + 0.72 * nw * t, N);
        const QPointF Q(P.x(), T + 0.76 * hh - 0.62 * hh * t);
        p.setPen(pen(white(0.6 + 0.25 * t), 0.7 + 0.6 * (1 - t)));
        p.drawLine(S, P);
        p.setPen(pen(white(0.85), 0.7 + 0.5 * (1 - t)));
        p.drawLine(P, Q);
        fillAndStroke(p, Painting::circle(Q, size.postRadius), white(0.95),
                      pen(srgb(0.28, 0.30, 0.34), 1.1));
        fillCircle(p, Q, size.postRadius / 2, srgb(0.20, 0.18, 0.16));
    }

    // The stand's lower arms in front of the body.
    for (qreal x : {0.335 * W, 0.74 * W}) {
        const QSizeF arm2 = size.lowerArm;
        standCap(p, QRectF(x - arm2.width() / 2, 0.87 * H - 0.6 * arm2.height(), arm2.width(),
                           arm2.height()));
    }
}
} // namespace StratocasterDrawing
