#include "wall/portrait_drawing.h"

#include "kit/colors.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace {
// A coordinate of the drawing tables: a fraction of the width (or height) plus points.
struct X {
    double w = 0;
    double pt = 0;
};
struct Y {
    double h = 0;
    double pt = 0;
};
struct Pt {
    X x;
    Y y;
};

struct Op {
    enum class Kind { Move, Line, Cubic, Quad, Close, Rect, Ellipse };
    Kind kind = Kind::Close;
    std::array<Pt, 3> p{};
    QSizeF extent; // Rect and Ellipse: points
};

Op op(Op::Kind kind, std::initializer_list<Pt> points, QSizeF extent = {})
{
    Op o;
    o.kind = kind;
    std::copy(points.begin(), points.end(), o.p.begin());
    o.extent = extent;
    return o;
}
Op move(Pt p)
{
    return op(Op::Kind::Move, {p});
}
Op line(Pt p)
{
    return op(Op::Kind::Line, {p});
}
// A cubic to `end` through the control points `c1`, `c2`.
Op cubic(Pt end, Pt c1, Pt c2)
{
    return op(Op::Kind::Cubic, {end, c1, c2});
}
Op quad(Pt end, Pt c)
{
    return op(Op::Kind::Quad, {end, c});
}
Op close()
{
    return op(Op::Kind::Close, {});
}
Op rect(Pt at, QSizeF size)
{
    return op(Op::Kind::Rect, {at}, size);
}
Op ellipse(Pt at, QSizeF size)
{
    return op(Op::Kind::Ellipse, {at}, size);
}
std::vector<Op> polygon(std::initializer_list<Pt> points)
{
    std::vector<Op> ops;
    for (const Pt& p : points)
        ops.push_back(ops.empty() ? move(p) : line(p));
    ops.push_back(close());
    return ops;
}

struct Paint {
    enum class Kind { Fill, Gradient, Stroke };
    Kind kind = Kind::Fill;
    std::vector<QColor> colors;
    Pt from{}, to{};
    qreal lineWidth = 0;
};
Paint fill(QColor color)
{
    return {Paint::Kind::Fill, {color}};
}
Paint gradient(Pt from, Pt to, std::initializer_list<QColor> colors)
{
    return {Paint::Kind::Gradient, colors, from, to};
}
Paint stroke(qreal width, QColor color)
{
    return {Paint::Kind::Stroke, {color}, {}, {}, width};
}

struct Shape {
    std::vector<Op> ops;
    Paint paint;
};

using Colors::srgb;
const QColor white = srgb(1, 1, 1);

// The backdrop and the drape, the same in both portraits.
std::vector<Shape> backdrop()
{
    return {
        {{rect({{0}, {0}}, {}), close()},
         gradient({{0.6}, {0}}, {{0.4}, {1}},
                  {srgb(0.52, 0.32, 0.18), srgb(0.36, 0.22, 0.12), srgb(0.22, 0.13, 0.07)})},
        {{move({{0}, {0}}), line({{0.38}, {0}}),
          cubic({{0.28}, {0.48}}, {{0.34}, {0.16}}, {{0.30}, {0.32}}), line({{0}, {0.40}}),
          close()},
         gradient({{0}, {0}}, {{0.38}, {0.48}}, {srgb(0.88, 0.14, 0.16), srgb(0.72, 0.10, 0.12)})},
        {{move({{0}, {0.40}}), line({{0.28}, {0.48}}),
          cubic({{0.20}, {0.82}}, {{0.26}, {0.60}}, {{0.22}, {0.72}}), line({{0}, {0.75}}),
          close()},
         gradient({{0}, {0.40}}, {{0.28}, {0.82}},
                  {srgb(0.98, 0.97, 0.95), srgb(0.82, 0.81, 0.79)})},
    };
}

std::vector<Shape> presidentFigure()
{
    const double cx = 0.52;
    const auto c = [cx](double pt) { return X{cx, pt}; };
    return {
        {polygon({{{0.02}, {1}},
                  {{0.221}, {0.62}},
                  {{0.4096}, {0.59}},
                  {c(0), {0.68}},
                  {{0.6304}, {0.59}},
                  {{0.8282}, {0.63}},
                  {{0.98}, {1}}}),
         gradient({c(0), {0.59}}, {c(0), {1}}, {srgb(0.16, 0.16, 0.18), srgb(0.08, 0.08, 0.10)})},
        {polygon({{{0.4096}, {0.59}}, {{0.313}, {0.68}}, {c(-4), {0.88}}, {c(-2), {0.72}}}),
         fill(srgb(0.12, 0.12, 0.14))},
        {polygon({{{0.6304}, {0.59}}, {{0.727}, {0.68}}, {c(4), {0.88}}, {c(2), {0.72}}}),
         fill(srgb(0.12, 0.12, 0.14))},
        {polygon({{c(-11), {0.56}}, {c(11), {0.56}}, {c(6), {0.80}}, {c(-6), {0.80}}}),
         fill(srgb(0.98, 0.98, 0.99))},
        {polygon({{c(-11), {0.56}}, {c(-2.5), {0.67}}, {c(-7.5), {0.67}}}), fill(white)},
        {polygon({{c(11), {0.56}}, {c(2.5), {0.67}}, {c(7.5), {0.67}}}), fill(white)},
        {polygon({{c(-3.2), {0.63}}, {c(3.2), {0.63}}, {c(2.4), {0.69}}, {c(-2.4), {0.69}}}),
         gradient({c(0), {0.63}}, {c(0), {0.69}},
                  {srgb(0.90, 0.16, 0.18), srgb(0.72, 0.10, 0.12)})},
        {polygon({{c(-2.4), {0.69}}, {c(2.4), {0.69}}, {c(5.2), {1}}, {c(-5.2), {1}}}),
         gradient({c(0), {0.69}}, {c(0), {1}}, {srgb(0.84, 0.12, 0.15), srgb(0.62, 0.08, 0.10)})},
        {{rect({c(14), {0.71}}, {1.6, 6})}, fill(srgb(0.88, 0.12, 0.15))},
        {{rect({c(15.6), {0.71}}, {1.6, 6})}, fill(white)},
        {{ellipse({c(14.6), {0.71, 6.4}}, {2, 2})}, fill(srgb(0.95, 0.82, 0.35))},
        {{rect({c(-7), {0.49}}, {14, 12})}, fill(srgb(0.82, 0.65, 0.52))},
        {{move({c(-7), {0.49}}), line({c(7), {0.49}}),
          cubic({c(0), {0.54}}, {c(4), {0.54}}, {c(-4), {0.54}}), close()},
         fill(srgb(0.72, 0.54, 0.42, 0.65))},
        {{move({{0.3176}, {0.352}}), line({{0.7224}, {0.352}}),
          cubic({c(0), {0.624}}, {{0.7316}, {0.528}}, {{0.6212}, {0.624}}),
          cubic({{0.3176}, {0.352}}, {{0.4188}, {0.624}}, {{0.3084}, {0.528}}), close()},
         gradient({c(-10), {0.44, -10}}, {c(10), {0.44, 15}},
                  {srgb(0.92, 0.76, 0.64), srgb(0.86, 0.69, 0.56)})},
        {{ellipse({{0.3084}, {0.44, -4}}, {3.2, 8.5})}, fill(srgb(0.85, 0.68, 0.56))},
        {{ellipse({{0.7316, -3.2}, {0.44, -4}}, {3.2, 8.5})}, fill(srgb(0.85, 0.68, 0.56))},
        {{move({{0.3176}, {0.352}}), line({{0.3452}, {0.14}}),
          cubic({{0.6948}, {0.14}}, {{0.4372}, {0.14, -2.5}}, {{0.6028}, {0.14, -2.5}}),
          line({{0.7224}, {0.352}}),
          cubic({{0.3176}, {0.352}}, {{0.612}, {0.352, 1.2}}, {{0.428}, {0.352, 1.2}}), close()},
         gradient({c(-5), {0.14}}, {c(5), {0.352}},
                  {srgb(0.15, 0.15, 0.17), srgb(0.06, 0.06, 0.07)})},
        {{move({{0.382}, {0.14, 1.5}}),
          cubic({{0.658}, {0.14, 1.5}}, {{0.4648}, {0.14, -0.5}}, {{0.5752}, {0.14, -0.5}})},
         stroke(1, Colors::white(0.14))},
    };
}

std::vector<Shape> vicePresidentFigure()
{
    const double cx = 0.5;
    const auto c = [cx](double pt) { return X{cx, pt}; };
    return {
        {polygon({{{0.04}, {1}},
                  {{0.2396}, {0.63}},
                  {{0.4076}, {0.60}},
                  {c(0), {0.70}},
                  {{0.5924}, {0.60}},
                  {{0.7688}, {0.63}},
                  {{0.96}, {1}}}),
         gradient({c(0), {0.60}}, {c(0), {1}}, {srgb(0.15, 0.16, 0.18), srgb(0.07, 0.07, 0.09)})},
        {polygon({{{0.4076}, {0.60}}, {{0.3236}, {0.68}}, {c(-3.5), {0.88}}, {c(-1.5), {0.72}}}),
         fill(srgb(0.11, 0.12, 0.14))},
        {polygon({{{0.5924}, {0.60}}, {{0.6764}, {0.68}}, {c(3.5), {0.88}}, {c(1.5), {0.72}}}),
         fill(srgb(0.11, 0.12, 0.14))},
        {polygon({{c(-10), {0.58}}, {c(10), {0.58}}, {c(5), {0.82}}, {c(-5), {0.82}}}),
         fill(srgb(0.98, 0.98, 0.99))},
        {polygon({{c(-10), {0.58}}, {c(-2.5), {0.68}}, {c(-6.5), {0.68}}}), fill(white)},
        {polygon({{c(10), {0.58}}, {c(2.5), {0.68}}, {c(6.5), {0.68}}}), fill(white)},
        {polygon({{c(-2.8), {0.65}}, {c(2.8), {0.65}}, {c(2), {0.70}}, {c(-2), {0.70}}}),
         gradient({c(0), {0.65}}, {c(0), {0.70}},
                  {srgb(0.90, 0.16, 0.18), srgb(0.72, 0.10, 0.12)})},
        {polygon({{c(-2), {0.70}}, {c(2), {0.70}}, {c(4.5), {1}}, {c(-4.5), {1}}}),
         gradient({c(0), {0.70}}, {c(0), {1}}, {srgb(0.85, 0.14, 0.16), srgb(0.64, 0.09, 0.11)})},
        {{rect({c(13), {0.71}}, {1.6, 6})}, fill(srgb(0.88, 0.12, 0.15))},
        {{rect({c(14.6), {0.71}}, {1.6, 6})}, fill(white)},
        {{ellipse({c(13.6), {0.71, 6.4}}, {2, 2})}, fill(srgb(0.95, 0.82, 0.35))},
        {{rect({c(-6), {0.51}}, {12, 12})}, fill(srgb(0.84, 0.67, 0.54))},
        {{move({c(-6), {0.51}}), line({c(6), {0.51}}),
          cubic({c(0), {0.56}}, {c(3.5), {0.56}}, {c(-3.5), {0.56}}), close()},
         fill(srgb(0.74, 0.56, 0.44, 0.65))},
        {{move({{0.332}, {0.3424}}), line({{0.668}, {0.3424}}),
          cubic({c(0), {0.6532}}, {{0.668}, {0.5608}}, {{0.5756}, {0.6532}}),
          cubic({{0.332}, {0.3424}}, {{0.4244}, {0.6532}}, {{0.332}, {0.5608}}), close()},
         gradient({c(-8), {0.46, -10}}, {c(8), {0.46, 15}},
                  {srgb(0.93, 0.78, 0.66), srgb(0.87, 0.71, 0.58)})},
        {{ellipse({{0.3194}, {0.46, -4}}, {3.2, 8.5})}, fill(srgb(0.86, 0.69, 0.57))},
        {{ellipse({{0.6806, -3.2}, {0.46, -4}}, {3.2, 8.5})}, fill(srgb(0.86, 0.69, 0.57))},
        {{move({{0.3236}, {0.46, -3}}),
          cubic({{0.4244}, {0.2416}}, {{0.3152}, {0.313}}, {{0.353}, {0.2416, 1}}),
          cubic({{0.6764}, {0.46, -3}}, {{0.605}, {0.2416, -0.5}}, {{0.6848}, {0.355}}),
          cubic({c(-3), {0.3508, -2}}, {{0.6176}, {0.3508}}, {c(5), {0.3508, -2}}),
          cubic({{0.3236}, {0.46, -3}}, {c(-8), {0.3508, -1}}, {{0.374}, {0.3844}}), close()},
         gradient({c(-6), {0.2416}}, {c(6), {0.46}},
                  {srgb(0.16, 0.16, 0.18), srgb(0.06, 0.06, 0.08)})},
        {{move({{0.437}, {0.2416, 1.5}}), quad({{0.584}, {0.2416, 2}}, {c(2), {0.2416, 0.5}})},
         stroke(1, Colors::white(0.15))},
    };
}

void drawShapes(QPainter& painter, const QSizeF& size, const std::vector<Shape>& shapes)
{
    const auto at = [&size](const Pt& p) {
        return QPointF(p.x.w * size.width() + p.x.pt, p.y.h * size.height() + p.y.pt);
    };
    for (const Shape& shape : shapes) {
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        for (const Op& op : shape.ops) {
            switch (op.kind) {
            case Op::Kind::Move:
                path.moveTo(at(op.p[0]));
                break;
            case Op::Kind::Line:
                path.lineTo(at(op.p[0]));
                break;
            case Op::Kind::Cubic:
                path.cubicTo(at(op.p[1]), at(op.p[2]), at(op.p[0]));
                break;
            case Op::Kind::Quad:
                path.quadTo(at(op.p[1]), at(op.p[0]));
                break;
            case Op::Kind::Close:
                path.closeSubpath();
                break;
            case Op::Kind::Rect:
                // An empty extent is the whole canvas.
                path.addRect(op.extent.isEmpty() ? QRectF(QPointF(), size)
                                                 : QRectF(at(op.p[0]), op.extent));
                break;
            case Op::Kind::Ellipse:
                path.addEllipse(QRectF(at(op.p[0]), op.extent));
                break;
            }
        }
        const Paint& paint = shape.paint;
        switch (paint.kind) {
        case Paint::Kind::Fill:
            painter.fillPath(path, paint.colors.front());
            break;
        case Paint::Kind::Gradient: {
            QLinearGradient g(at(paint.from), at(paint.to));
            const int n = int(paint.colors.size());
            for (int i = 0; i < n; ++i)
                g.setColorAt(n > 1 ? qreal(i) / (n - 1) : 0, paint.colors[size_t(i)]);
            painter.fillPath(path, g);
            break;
        }
        case Paint::Kind::Stroke:
            painter.strokePath(path, QPen(paint.colors.front(), paint.lineWidth, Qt::SolidLine,
                                          Qt::FlatCap, Qt::MiterJoin));
            break;
        }
    }
}
} // namespace

namespace PortraitDrawing {
void draw(QPainter& painter, const QSizeF& size, PresidentialPortraitType type)
{
    if (size.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Nothing is drawn outside the opening.
    painter.setClipRect(QRectF(QPointF(), size), Qt::IntersectClip);
    static const std::vector<Shape> behind = backdrop();
    static const std::vector<Shape> president = presidentFigure();
    static const std::vector<Shape> vicePresident = vicePresidentFigure();
    drawShapes(painter, size, behind);
    drawShapes(painter, size,
               type == PresidentialPortraitType::VicePresident ? vicePresident : president);
    painter.restore();
}
} // namespace PortraitDrawing
