#include "kit/painting.h"

#include "kit/soft_shadow.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace Painting {
namespace {
constexpr qreal kSmoothing = 0.6;

qreal radians(qreal degrees)
{
    return degrees * std::numbers::pi / 180;
}

// The lengths of one smoothed corner: it spans `p` along each side; two cubic curves
// (a, b, c, d) lead into a circular arc of `arcDegrees`.
struct Corner {
    qreal r, p, a, b, c, d, arcDegrees;
};

Corner corner(qreal radius, qreal limit)
{
    const qreal r = std::min(radius, limit);
    // Less smoothing where the side is too short for the full corner.
    const qreal s =
        r > 0 ? std::clamp(std::min(kSmoothing, limit / r - 1), qreal(0), kSmoothing) : 0;
    const qreal p = (1 + s) * r;
    const qreal arcDegrees = 90 * (1 - s);
    const qreal arcSection = std::sin(radians(arcDegrees / 2)) * r * std::sqrt(qreal(2));
    const qreal alpha = (90 - arcDegrees) / 2;
    const qreal p3ToP4 = r * std::tan(radians(alpha / 2));
    const qreal beta = 45 * s;
    const qreal c = p3ToP4 * std::cos(radians(beta));
    const qreal d = c * std::tan(radians(beta));
    const qreal b = (p - arcSection - c - d) / 3;
    return {r, p, 2 * b, b, c, d, arcDegrees};
}
} // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    const QRectF r = rect.normalized();
    if (r.isEmpty())
        return path;
    if (!(radius > 0)) {
        path.addRect(r);
        return path;
    }
    const Corner k = corner(radius, std::min(r.width(), r.height()) / 2);
    const qreal l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    const qreal diameter = 2 * k.r;
    const qreal arcStartOffset = 45 + k.arcDegrees / 2; // from the side towards the middle

    path.moveTo(l + k.p, t);
    // Top-right.
    path.lineTo(rt - k.p, t);
    path.cubicTo(rt - k.p + k.a, t, rt - k.p + k.a + k.b, t, rt - k.p + k.a + k.b + k.c, t + k.d);
    path.arcTo(QRectF(rt - diameter, t, diameter, diameter), arcStartOffset, -k.arcDegrees);
    path.cubicTo(rt, t + k.p - k.a - k.b, rt, t + k.p - k.a, rt, t + k.p);
    // Bottom-right.
    path.lineTo(rt, b - k.p);
    path.cubicTo(rt, b - k.p + k.a, rt, b - k.p + k.a + k.b, rt - k.d, b - k.p + k.a + k.b + k.c);
    path.arcTo(QRectF(rt - diameter, b - diameter, diameter, diameter), arcStartOffset - 90,
               -k.arcDegrees);
    path.cubicTo(rt - k.p + k.a + k.b, b, rt - k.p + k.a, b, rt - k.p, b);
    // Bottom-left.
    path.lineTo(l + k.p, b);
    path.cubicTo(l + k.p - k.a, b, l + k.p - k.a - k.b, b, l + k.p - k.a - k.b - k.c, b - k.d);
    path.arcTo(QRectF(l, b - diameter, diameter, diameter), arcStartOffset - 180, -k.arcDegrees);
    path.cubicTo(l, b - k.p + k.a + k.b, l, b - k.p + k.a, l, b - k.p);
    // Top-left.
    path.lineTo(l, t + k.p);
    path.cubicTo(l, t + k.p - k.a, l, t + k.p - k.a - k.b, l + k.d, t + k.p - k.a - k.b - k.c);
    path.arcTo(QRectF(l, t, diameter, diameter), arcStartOffset - 270, -k.arcDegrees);
    path.cubicTo(l + k.p - k.a - k.b, t, l + k.p - k.a, t, l + k.p, t);
    path.closeSubpath();
    return path;
}

QPainterPath capsule(const QRectF& rect)
{
    QPainterPath path;
    const QRectF r = rect.normalized();
    if (r.isEmpty())
        return path;
    const qreal radius = std::min(r.width(), r.height()) / 2;
    path.addRoundedRect(r, radius, radius);
    return path;
}

namespace {
template <typename Gradient> void spread(Gradient& g, std::initializer_list<QColor> colors)
{
    const int n = int(colors.size());
    int i = 0;
    for (const QColor& c : colors) {
        g.setColorAt(n > 1 ? qreal(i) / (n - 1) : 0, c);
        ++i;
    }
}
} // namespace

QLinearGradient linearGradient(QPointF from, QPointF to, std::initializer_list<QColor> colors)
{
    QLinearGradient g(from, to);
    spread(g, colors);
    return g;
}

QRadialGradient radialGradient(QPointF centre, qreal startRadius, qreal endRadius,
                               std::initializer_list<QColor> colors)
{
    QRadialGradient g(centre, endRadius, centre, startRadius);
    // The colours run from the start radius to the end radius.
    const int n = int(colors.size());
    const qreal start = endRadius > 0 ? std::clamp(startRadius / endRadius, 0.0, 1.0) : 0;
    int i = 0;
    for (const QColor& c : colors) {
        g.setColorAt(start + (1 - start) * (n > 1 ? qreal(i) / (n - 1) : 0), c);
        ++i;
    }
    return g;
}

QRectF centredRect(QPointF centre, qreal width, qreal height)
{
    return QRectF(centre.x() - width / 2, centre.y() - height / 2, width, height);
}

QRectF aspectFillRect(const QSizeF& source, const QRectF& target)
{
    const QSizeF drawn = source.scaled(target.size(), Qt::KeepAspectRatioByExpanding);
    return QRectF(target.center() - QPointF(drawn.width(), drawn.height()) / 2, drawn);
}

QPainterPath opaqueOutline(const QImage& picture, const QRectF& target)
{
    QPainterPath outline;
    const QSize points(std::max(1, int(std::ceil(target.width()))),
                       std::max(1, int(std::ceil(target.height()))));
    if (picture.isNull() || target.isEmpty())
        return outline;
    const QImage small =
        picture.scaled(points, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    const qreal sx = target.width() / points.width();
    const qreal sy = target.height() / points.height();
    // Each run of rows with something in them is one polygon: down the left ends, back up
    // the right ones.
    QList<QPointF> left;
    QList<QPointF> right;
    auto close = [&] {
        if (left.isEmpty())
            return;
        QPolygonF polygon(left);
        for (auto it = right.crbegin(); it != right.crend(); ++it)
            polygon << *it;
        outline.addPolygon(polygon);
        outline.closeSubpath();
        left.clear();
        right.clear();
    };
    for (int y = 0; y < small.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        int first = -1;
        int last = -1;
        for (int x = 0; x < small.width(); ++x) {
            if (qAlpha(row[x]) >= 128) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first < 0) {
            close();
            continue;
        }
        const qreal top = target.top() + y * sy;
        const qreal bottom = top + sy;
        left << QPointF(target.left() + first * sx, top)
             << QPointF(target.left() + first * sx, bottom);
        right << QPointF(target.left() + (last + 1) * sx, top)
              << QPointF(target.left() + (last + 1) * sx, bottom);
    }
    close();
    return outline;
}

qreal cachePixelRatio(const QPainter& painter)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    const QTransform& world = painter.worldTransform();
    return dpr * std::max(std::hypot(world.m11(), world.m12()), qreal(1));
}
} // namespace Painting

void ShapeShadow::paint(QPainter& painter, const QPainterPath& shape, const ShadowStyle& style)
{
    const qreal pixelRatio = Painting::cachePixelRatio(painter);
    if (m_image.isNull() || m_pixelRatio != pixelRatio || !(m_style.color == style.color) ||
        m_style.radius != style.radius || m_shape != shape) {
        m_shape = shape;
        m_pixelRatio = pixelRatio;
        m_image = shape.isEmpty() ? QImage()
                                  : SoftShadow::ofPath(shape, style.radius, style.color, pixelRatio,
                                                       &m_topLeft);
        ++m_renders;
    }
    m_style = style;
    if (!m_image.isNull())
        Painting::drawOnNearestPixel(painter, m_topLeft + style.offset, m_image);
}

namespace Painting {
void paintWithShadow(QPainter& painter, const QRectF& area, const ShadowStyle& style,
                     const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    const qreal pixelRatio = cachePixelRatio(painter);
    QImage layer(int(std::ceil(area.width() * pixelRatio)),
                 int(std::ceil(area.height() * pixelRatio)), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(pixelRatio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHints(painter.renderHints());
        p.translate(-area.topLeft());
        draw(p);
    }
    if (style.color.alpha() > 0) {
        const QImage shadow = SoftShadow::blurred(layer, style.radius, style.color);
        const qreal pad = (shadow.width() - layer.width()) / 2.0 / pixelRatio;
        drawOnNearestPixel(painter, area.topLeft() - QPointF(pad, pad) + style.offset, shadow);
    }
    drawOnNearestPixel(painter, area.topLeft(), layer);
}

QPainterPath ellipse(const QRectF& rect)
{
    QPainterPath path;
    path.addEllipse(rect);
    return path;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    return ellipse(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)));
}

QLinearGradient verticalGradient(const QRectF& rect, std::initializer_list<QColor> colors)
{
    return linearGradient(QPointF(0, rect.top()), QPointF(0, rect.bottom()), colors);
}

QLinearGradient diagonalGradient(const QRectF& rect, std::initializer_list<QColor> colors)
{
    return linearGradient(rect.topLeft(), rect.bottomRight(), colors);
}

QPen drawingPen(const QBrush& brush, qreal width)
{
    QPen pen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

void drawOnDevicePixels(QPainter& painter, const QPoint& at, QImage& image)
{
    drawOnDevicePixels(painter, {{at, &image}});
}

namespace {
// The painter turned to the device's own pixels while it lives: no world transform and no
// smoothing. Both are put back by hand when it goes rather than by saving the painter, which
// allocates: a fire lays down a few hundred pictures a frame, and a repaint of a few pixels
// copies less than a save costs.
class OnDevicePixels {
public:
    explicit OnDevicePixels(QPainter& painter)
        : m_painter(painter), m_world(painter.worldTransform()),
          m_smooth(painter.testRenderHint(QPainter::SmoothPixmapTransform))
    {
        painter.setWorldTransform(QTransform());
        // One pixel to one: smoothing changes nothing but sends the engine down its slow path.
        if (m_smooth)
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    ~OnDevicePixels()
    {
        if (m_smooth)
            m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        m_painter.setWorldTransform(m_world);
    }
    OnDevicePixels(const OnDevicePixels&) = delete;
    OnDevicePixels& operator=(const OnDevicePixels&) = delete;

private:
    QPainter& m_painter;
    QTransform m_world;
    bool m_smooth;
};
} // namespace

void drawOnDevicePixels(QPainter& painter, const QList<DevicePixelsImage>& images)
{
    if (images.isEmpty())
        return;
    const OnDevicePixels onDevice(painter);
    // What is left of the device transform is the device's own pixel ratio.
    const qreal ratio = painter.deviceTransform().m11();
    for (const DevicePixelsImage& one : images) {
        one.image->setDevicePixelRatio(ratio);
        painter.drawImage(QPointF(one.at) / ratio, *one.image);
    }
}

namespace {
template <class Picture, class Draw>
void drawNearest(QPainter& painter, const QPointF& at, const Picture& picture, Draw draw)
{
    // Laid one pixel to one only on an untransformed painter, at the device's own ratio.
    const QTransform& device = painter.deviceTransform();
    if (device.type() > QTransform::TxTranslate || picture.devicePixelRatio() != 1.0) {
        draw(at);
        return;
    }
    const QPointF onDevice = device.map(at);
    const QPoint pixel(qRound(onDevice.x()), qRound(onDevice.y()));
    if (QPointF(pixel) == onDevice && !painter.testRenderHint(QPainter::SmoothPixmapTransform)) {
        draw(at);
        return;
    }
    {
        const OnDevicePixels onDevicePixels(painter);
        // What is left of the device transform is where the painted widget lies on its window.
        const QTransform base = painter.deviceTransform();
        if (base.type() <= QTransform::TxTranslate) {
            draw(QPointF(pixel) - QPointF(base.dx(), base.dy()));
            return;
        }
    }
    draw(at);
}
} // namespace

void drawOnNearestPixel(QPainter& painter, const QPointF& at, const QImage& image)
{
    drawNearest(painter, at, image, [&](const QPointF& p) { painter.drawImage(p, image); });
}

void drawOnNearestPixel(QPainter& painter, const QPointF& at, const QPixmap& pixmap)
{
    drawNearest(painter, at, pixmap, [&](const QPointF& p) { painter.drawPixmap(p, pixmap); });
}

QList<QRect> coveringRects(const QList<QRect>& rects, qint64 largestGap)
{
    const auto area = [](const QRect& r) { return qint64(r.width()) * r.height(); };
    const auto worthMerging = [&](const QRect& a, const QRect& b) {
        return area(a.united(b)) - area(a) - area(b) <= largestGap;
    };
    QList<QRect> cover;
    for (const QRect& r : rects) {
        auto into = std::find_if(cover.begin(), cover.end(),
                                 [&](const QRect& c) { return worthMerging(c, r); });
        if (into != cover.end())
            *into = into->united(r);
        else
            cover.append(r);
    }
    for (bool merged = true; merged;) {
        merged = false;
        for (qsizetype i = 0; i < cover.size() && !merged; ++i) {
            for (qsizetype j = i + 1; j < cover.size() && !merged; ++j) {
                if (worthMerging(cover[i], cover[j])) {
                    cover[i] = cover[i].united(cover[j]);
                    cover.removeAt(j);
                    merged = true;
                }
            }
        }
    }
    return cover;
}

QRegion unitedRects(const QRect* rects, qsizetype count)
{
    // Between two neighbouring tops or bottoms the same rectangles reach across every row:
    // each such band is one run of spans, and a band that spans as the one above it did
    // lengthens that one. The result is a region's own form (sorted by row, then column;
    // no span touching the next), handed over whole.
    std::vector<const QRect*> byTop;
    std::vector<int> edges;
    byTop.reserve(size_t(count));
    edges.reserve(2 * size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        if (rects[i].isEmpty())
            continue;
        byTop.push_back(&rects[i]);
        edges.push_back(rects[i].top());
        edges.push_back(rects[i].bottom() + 1);
    }
    std::sort(byTop.begin(), byTop.end(),
              [](const QRect* a, const QRect* b) { return a->top() < b->top(); });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<QRect> bands;
    std::vector<const QRect*> across;
    std::vector<std::pair<int, int>> spans;
    std::vector<std::pair<int, int>> above;
    qsizetype aboveFrom = 0; // where the band above starts in `bands`
    size_t next = 0;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const int top = edges[i];
        const int bottom = edges[i + 1] - 1;
        while (next < byTop.size() && byTop[next]->top() <= top)
            across.push_back(byTop[next++]);
        std::erase_if(across, [top](const QRect* r) { return r->bottom() < top; });
        spans.clear();
        for (const QRect* r : across)
            spans.emplace_back(r->left(), r->right());
        std::sort(spans.begin(), spans.end());
        qsizetype kept = 0;
        for (const auto& span : spans) {
            if (kept > 0 && span.first <= spans[size_t(kept - 1)].second + 1)
                spans[size_t(kept - 1)].second =
                    std::max(spans[size_t(kept - 1)].second, span.second);
            else
                spans[size_t(kept++)] = span;
        }
        spans.resize(size_t(kept));
        // `above` is the band right over this one (empty where nothing lies there).
        if (spans == above && !spans.empty()) {
            for (qsizetype b = aboveFrom; b < qsizetype(bands.size()); ++b)
                bands[size_t(b)].setBottom(bottom);
        } else {
            aboveFrom = qsizetype(bands.size());
            for (const auto& [left, right] : spans)
                bands.emplace_back(QPoint(left, top), QPoint(right, bottom));
        }
        above.swap(spans);
    }
    QRegion region;
    if (!bands.empty())
        region.setRects(bands.data(), int(bands.size()));
    return region;
}
} // namespace Painting
