#include "objects/trash_can_drawing.h"

#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "objects/drawing_helpers.h"

#include <QFontMetricsF>
#include <QPainter>

using namespace ObjectDrawing;
using Painting::linearGradient;

namespace TrashCanDrawing {
namespace {
constexpr qreal cx = kCentreX;
constexpr qreal topY = kTopY;
constexpr qreal bodyBottomY = 96;
constexpr qreal bottomWidth = 64;
constexpr qreal bottomCurveDepth = 7.5;
constexpr qreal topWidth = 72;
constexpr qreal rimDepth = 7;
constexpr qreal topLeft = cx - topWidth / 2;
constexpr qreal topRight = cx + topWidth / 2;
constexpr qreal bottomLeft = cx - bottomWidth / 2;
constexpr qreal bottomRight = cx + bottomWidth / 2;

const QString kBadgeText = QStringLiteral("Buang ke Sampah");

QPainterPath bodyPath()
{
    QPainterPath body(QPointF(topLeft, topY));
    body.quadTo(QPointF(cx, topY + rimDepth), QPointF(topRight, topY));
    body.lineTo(bottomRight, bodyBottomY);
    body.quadTo(QPointF(cx, bodyBottomY + bottomCurveDepth), QPointF(bottomLeft, bodyBottomY));
    body.closeSubpath();
    return body;
}

QPainterPath baseBandPath()
{
    const qreal left = cx - bottomWidth / 2 - 1.5;
    const qreal right = cx + bottomWidth / 2 + 1.5;
    QPainterPath band(QPointF(left, bodyBottomY));
    band.quadTo(QPointF(cx, bodyBottomY + bottomCurveDepth), QPointF(right, bodyBottomY));
    band.lineTo(right, 101);
    band.quadTo(QPointF(cx, 108.5), QPointF(left, 101));
    band.closeSubpath();
    return band;
}

QLinearGradient stops(QPointF from, QPointF to,
                      std::initializer_list<std::pair<qreal, QColor>> colourStops)
{
    QLinearGradient g(from, to);
    for (const auto& [at, colour] : colourStops)
        g.setColorAt(at, colour);
    return g;
}

QFont badgeFont()
{
    return Units::systemFont(10, QFont::Bold);
}
} // namespace

Look look(bool targeted, bool hovering, int itemCount)
{
    const bool full = itemCount > 0;
    if (targeted)
        return {58,
                topY - 14,
                {black(0.38), 6, QPointF(0, 4)},
                3.5,
                true,
                true,
                full,
                {Colors::system(Colors::System::Red, 0.55), 12, QPointF(0, 3)},
                1.04};
    if (hovering)
        return {12,    topY - 2, {black(0.2), 2, QPointF(0, 1)},  1.2, full,
                false, full,     {black(0.28), 8, QPointF(0, 3)}, 1.0};
    return {0,     topY, {black(0.2), 2, QPointF(0, 1)},  0,  full,
            false, full, {black(0.14), 4, QPointF(0, 3)}, 1.0};
}

QPainterPath silhouette()
{
    // The union of the can's parts is costly and never changes: made once.
    static const QPainterPath made = [] {
        QPainterPath outline = bodyPath().united(baseBandPath());
        QRectF lid = lidRect();
        lid.moveCenter(QPointF(cx, topY));
        return outline.united(Painting::ellipse(lid)).simplified();
    }();
    return made;
}

QRectF paintedArea()
{
    QRectF badge = badgeRect();
    badge.moveCenter(QPointF(cx, topY - 26));
    const qreal reach = SoftShadow::spread(12) + 4;
    return (QRectF(QPointF(), kSize) | badge.adjusted(-8, -8, 8, 10))
        .adjusted(-reach, -reach, reach, reach);
}

void paintUnder(QPainter& p)
{
    ShapeShadow().paint(p,
                        Painting::ellipse(Painting::centredRect(QPointF(cx, bodyBottomY + 11),
                                                                0.95 * kSize.width(), 18)),
                        {srgb(0.05, 0.16, 0.07, 0.48), 5.5, {}});
    ShapeShadow().paint(p,
                        Painting::ellipse(Painting::centredRect(QPointF(cx, bodyBottomY + 7.5),
                                                                bottomWidth + 6, 10)),
                        {black(0.4), 2, {}});
    ShapeShadow().paint(p,
                        Painting::continuousRoundedRect(
                            Painting::centredRect(QPointF(cx, bodyBottomY + 10.5), 26, 5), 2),
                        {black(0.3), 1.5, {}});
    const QPainterPath band = baseBandPath();
    p.fillPath(band, linearGradient(QPointF(cx - bottomWidth / 2 - 1.5, bodyBottomY),
                                    QPointF(cx + bottomWidth / 2 + 1.5, 101),
                                    {srgb(0.22, 0.23, 0.26), srgb(0.12, 0.13, 0.15)}));
}

void paintPedalHinge(QPainter& p)
{
    p.fillPath(Painting::continuousRoundedRect(
                   Painting::centredRect(QPointF(cx, bodyBottomY + 5 + 1.5), 20, 5), 1.5),
               srgb(0.16, 0.17, 0.2));
}

void paintPedalPlate(QPainter& p)
{
    const QRectF plate = Painting::centredRect(QPointF(cx, bodyBottomY + 5), 24, 7);
    Painting::paintWithShadow(
        p, plate.adjusted(-1, -1, 1, 1), {black(0.28), 1, QPointF(0, 1)}, [&](QPainter& q) {
            const QPainterPath shape = Painting::continuousRoundedRect(plate, 2);
            q.fillPath(shape, Painting::verticalGradient(plate, {srgb(0.98, 0.98, 1.0),
                                                                 srgb(0.7, 0.74, 0.78),
                                                                 srgb(0.88, 0.91, 0.94)}));
            q.strokePath(shape, pen(white(0.65), 0.5));
            const qreal rowWidth = 4 * 1.2 + 3 * 2.2;
            for (int i = 0; i < 4; ++i)
                q.fillRect(QRectF(cx - rowWidth / 2 + i * 3.4, plate.center().y() - 2.75, 1.2, 5.5),
                           srgb(0.16, 0.17, 0.19));
        });
}

Light light(int itemCount, bool readable)
{
    if (!readable)
        return Light::Unreadable;
    return itemCount > 0 ? Light::Full : Light::Empty;
}

void paintBody(QPainter& p, Light state)
{
    const QPainterPath body = bodyPath();
    p.fillPath(body, stops(QPointF(topLeft, topY), QPointF(topRight, topY),
                           {{0, srgb(0.48, 0.51, 0.55)},
                            {0.14, srgb(0.74, 0.77, 0.81)},
                            {0.34, srgb(0.97, 0.98, 1.0)},
                            {0.54, srgb(0.82, 0.85, 0.88)},
                            {0.84, srgb(0.42, 0.45, 0.49)},
                            {1.0, srgb(0.68, 0.71, 0.75)}}));
    // Ribs follow the taper from the rim to the bottom.
    p.setPen(pen(white(0.05), 0.7));
    for (qreal x = topLeft + 2.5; x <= topRight - 2.5 + 1e-9; x += 3.5)
        p.drawLine(QPointF(x, topY + 2),
                   QPointF(bottomLeft + bottomWidth * (x - topLeft) / topWidth, bodyBottomY - 2));
    p.setPen(pen(white(0.35), 0.6));
    p.drawLine(QPointF(topLeft, topY), QPointF(bottomLeft, bodyBottomY));
    p.setPen(pen(black(0.3), 0.6));
    p.drawLine(QPointF(topRight, topY), QPointF(bottomRight, bodyBottomY));

    // Status light: orange while the Trash holds something, else green, with its glow; grey
    // and without a glow while the Trash cannot be read.
    const QRectF light = Painting::centredRect(QPointF(cx, topY + 16), 3.6, 3.6);
    const auto lamp = [&](QPainter& q, const QColor& fill) {
        q.fillPath(Painting::ellipse(light), fill);
        q.strokePath(Painting::ellipse(light), pen(white(0.65), 0.5));
    };
    if (state == Light::Unreadable) {
        lamp(p, srgb(0.52, 0.54, 0.57));
    } else {
        const bool full = state == Light::Full;
        const ShadowStyle glow = full ? ShadowStyle{Colors::srgb(1.0, 0.584, 0.0, 0.8), 2.5, {}}
                                      : ShadowStyle{Colors::srgb(0.204, 0.78, 0.349, 0.6), 2.5, {}};
        Painting::paintWithShadow(p, light.adjusted(-1, -1, 1, 1), glow, [&](QPainter& q) {
            lamp(q, full ? srgb(0.96, 0.62, 0.2) : srgb(0.4, 0.82, 0.52));
        });
    }

    const QPainterPath hole =
        Painting::ellipse(Painting::centredRect(QPointF(cx, topY), topWidth - 6, 2 * rimDepth));
    p.fillPath(hole, srgb(0.1, 0.11, 0.13));
    p.strokePath(hole, pen(srgb(0.24, 0.26, 0.29), 0.8));
}

void paintPaper(QPainter& p)
{
    const QRectF box = Painting::centredRect(QPointF(cx, topY - 1), topWidth - 10, 2 * rimDepth);
    const qreal w = box.width();
    const qreal h = box.height();
    auto at = [&](qreal x, qreal y) { return box.topLeft() + QPointF(x * w, y * h); };
    QPainterPath sheet(at(0.3, 0.65));
    for (QPointF q : {QPointF(0.38, 0.2), QPointF(0.5, 0.42), QPointF(0.64, 0.15),
                      QPointF(0.72, 0.6), QPointF(0.54, 0.85)})
        sheet.lineTo(at(q.x(), q.y()));
    sheet.closeSubpath();
    p.fillPath(sheet, linearGradient(at(0.4, 0.15), at(0.6, 0.85),
                                     {white(1), srgb(0.86, 0.87, 0.9), srgb(0.72, 0.74, 0.77)}));
    QPainterPath crease(at(0.38, 0.2));
    crease.lineTo(at(0.48, 0.52));
    crease.lineTo(at(0.64, 0.15));
    p.strokePath(crease, pen(black(0.18), 0.8));
}

void paintRim(QPainter& p)
{
    const QRectF ring = Painting::centredRect(QPointF(cx, topY), topWidth + 1, 2 * rimDepth + 1);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(stops(ring.topLeft(), ring.topRight(),
                       {{0, srgb(0.58, 0.62, 0.66)},
                        {0.25, srgb(0.98, 0.98, 1.0)},
                        {0.5, srgb(0.76, 0.79, 0.83)},
                        {0.85, srgb(0.46, 0.49, 0.53)},
                        {1.0, srgb(0.86, 0.89, 0.93)}}),
                 2));
    p.drawEllipse(ring);
}

QRectF lidRect()
{
    return Painting::centredRect(QPointF(), topWidth + 3, 2 * rimDepth + 2);
}

void paintLid(QPainter& p)
{
    const QRectF r = lidRect();
    const QPainterPath lid = Painting::ellipse(r);
    p.fillPath(lid, stops(r.topLeft(), r.topRight(),
                          {{0, srgb(0.52, 0.55, 0.59)},
                           {0.2, srgb(0.8, 0.83, 0.86)},
                           {0.38, srgb(0.97, 0.98, 1.0)},
                           {0.6, srgb(0.82, 0.85, 0.89)},
                           {0.88, srgb(0.46, 0.49, 0.53)},
                           {1.0, srgb(0.72, 0.75, 0.78)}}));
    p.strokePath(lid, pen(Painting::verticalGradient(r, {white(0.7), black(0.3)}), 0.8));
    const QRectF handle = Painting::centredRect(QPointF(0, 0.7 * rimDepth), 16, 2.2);
    p.fillPath(Painting::continuousRoundedRect(handle, 1.2),
               Painting::verticalGradient(handle, {black(0.35), white(0.25)}));
}

QRectF badgeRect()
{
    const QFontMetricsF metrics(badgeFont());
    const qreal width = 9 + 13 + 5 + metrics.horizontalAdvance(kBadgeText) + 9;
    const qreal height = 5 + std::max<qreal>(13, metrics.height()) + 5;
    return Painting::centredRect(QPointF(), width, height);
}

void paintBadge(QPainter& p)
{
    const QRectF r = badgeRect();
    const QPainterPath capsule = Painting::capsule(r);
    ShapeShadow().paint(p, capsule, {Colors::system(Colors::System::Red, 0.6), 6, QPointF(0, 2)});
    p.fillPath(capsule, Colors::system(Colors::System::Red, 0.88));
    const QRectF glyph(r.left() + 9, r.center().y() - 6.5, 13, 13);
    Symbols::paint(p, QStringLiteral("trash.fill"), glyph, Qt::white);
    p.setFont(badgeFont());
    p.setPen(Qt::white);
    p.drawText(QRectF(glyph.right() + 5, r.top(), r.right() - 9 - glyph.right() - 5, r.height()),
               Qt::AlignVCenter | Qt::AlignLeft, kBadgeText);
}
} // namespace TrashCanDrawing
