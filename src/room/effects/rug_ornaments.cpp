#include "room/effects/rug_ornaments.h"

#include "kit/colors.h"
#include "kit/painting.h"

#include <QPainter>
#include <QPainterPath>

using Colors::srgb;

namespace {
QColor ornamentGold(qreal opacity = 1)
{
    return srgb(0.88, 0.76, 0.42, opacity);
}
QColor navy()
{
    return srgb(0.12, 0.18, 0.32);
}

QRectF centred(const QSizeF& size)
{
    return QRectF(QPointF(-size.width() / 2, -size.height() / 2), size);
}

// A square of side `side` turned 45 degrees about its centre.
QPainterPath diamond(QPointF centre, double side)
{
    QPainterPath path;
    path.addRect(centred(QSizeF(side, side)));
    return QTransform::fromTranslate(centre.x(), centre.y()).rotate(45).map(path);
}

// Two squares, the upper one turned 45 degrees.
QPainterPath eightPointedStar(double side)
{
    QPainterPath square;
    square.addRect(centred(QSizeF(side, side)));
    QPainterPath star = square.united(diamond(QPointF(), side));
    star.setFillRule(Qt::WindingFill);
    return star;
}

void fillCircle(QPainter& p, QPointF centre, double diameter, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(centre, diameter / 2, diameter / 2);
}

void strokeCircle(QPainter& p, QPointF centre, double diameter, const QColor& color, double width)
{
    p.setPen(QPen(color, width));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, diameter / 2, diameter / 2);
}
} // namespace

void ArabicCornerSpandrel::paint(QPainter& p)
{
    p.save();
    // The box's own coordinates run from its top-left corner.
    p.translate(-size.width() / 2, -size.height() / 2);
    const QPolygonF step({{0, 0}, {28, 0}, {28, 6}, {16, 6}, {16, 16}, {6, 16}, {6, 24}, {0, 24}});
    p.setPen(Qt::NoPen);
    p.setBrush(navy());
    p.drawPolygon(step);
    const QPolygonF wedge({{0, 0}, {24, 0}, {14, 6}, {6, 14}, {0, 20}});
    p.setPen(QPen(ornamentGold(), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(wedge);
    p.restore();
}

void ArabicFieldStar::paint(QPainter& p)
{
    p.fillPath(diamond(QPointF(), 6), ornamentGold(0.85));
    fillCircle(p, QPointF(), 2, Colors::white(0.9));
}

void ArabicFinialPendant::paint(QPainter& p)
{
    // Dot 4, gap 2, diamond 7, gap 2, dot 3: 18 across.
    fillCircle(p, QPointF(-7, 0), 4, ornamentGold());
    p.fillPath(diamond(QPointF(0.5, 0), 7), ornamentGold());
    fillCircle(p, QPointF(7.5, 0), 3, ornamentGold());
}

void ArabicCentralMedallion::paint(QPainter& p)
{
    for (const RugLayout::Placement& finial : RugLayout::finials()) {
        p.save();
        p.translate(finial.centre);
        p.rotate(finial.rotation);
        ArabicFinialPendant::paint(p);
        p.restore();
    }

    const QPainterPath gold = eightPointedStar(44);
    ShapeShadow shadow; // drawn once, into the rug's cached image
    shadow.paint(p, gold, ShadowStyle{Colors::black(0.3), 2, QPointF()});
    p.fillPath(gold, ornamentGold());
    p.fillPath(eightPointedStar(36), navy());

    fillCircle(p, QPointF(), 22, srgb(0.65, 0.12, 0.16));
    strokeCircle(p, QPointF(), 18, srgb(0.92, 0.82, 0.52), 1.5);
    fillCircle(p, QPointF(), 7, srgb(0.22, 0.72, 0.68));
    strokeCircle(p, QPointF(), 7, Colors::white(0.8), 0.8);
}

namespace RugLayout {
QList<Placement> corners()
{
    return {{{-270, -47}, 0}, {{270, -47}, 90}, {{270, 47}, 180}, {{-270, 47}, 270}};
}

QList<QPointF> fieldStars()
{
    // Nine slots 44 apart: eight stars 6 wide and, in the middle, 90 points of nothing.
    constexpr double starWidth = ArabicFieldStar::size.width();
    constexpr double spacing = 44;
    constexpr double middle = 90;
    const double rowWidth = 8 * starWidth + middle + 8 * spacing;
    QList<QPointF> centres;
    double x = -rowWidth / 2;
    for (int slot = 0; slot < 9; ++slot) {
        const double width = slot == 4 ? middle : starWidth;
        if (slot != 4)
            centres.append(QPointF(x + width / 2, 0));
        x += width + spacing;
    }
    return centres;
}

QList<Placement> finials()
{
    // A row of two pendants 58 apart: their centres lie 38 either side.
    return {{{-38, 0}, -90}, {{38, 0}, 90}};
}
} // namespace RugLayout
