#include "bookshelf/shelf_drawings.h"

#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/formats.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

using Colors::black;
using Colors::srgb;
using Colors::white;

namespace ShelfDrawings {
namespace {
constexpr qreal kStackGap = 8;       // the room's gap between stacked parts
constexpr qreal kLabelSpacing = 1.5; // between a box's name and its count line

QColor gilt()
{
    return srgb(0.92, 0.82, 0.52, 0.85);
}

void shadow(QPainter& p, const QPainterPath& shape, const ShadowStyle& style)
{
    ShapeShadow().paint(p, shape, style);
}

QPainterPath rounded(const QRectF& r, qreal radius)
{
    return Painting::continuousRoundedRect(r, radius);
}

QPainterPath rectPath(const QRectF& r)
{
    QPainterPath path;
    path.addRect(r);
    return path;
}

void paintRib(QPainter& p, qreal top, qreal width)
{
    p.fillRect(QRectF(0, top, width, 0.7), white(0.25));
    p.fillRect(QRectF(0, top + 0.7, width, 0.8), black(0.35));
}

void paintSymbol(QPainter& p, const QString& name, QPointF centre, qreal size, const QColor& color)
{
    Symbols::paint(p, name, QRectF(centre.x() - size / 2, centre.y() - size / 2, size, size),
                   color);
}

// ---- Spine accents, one per style.

void classicGilt(QPainter& p, qreal w, qreal h)
{
    // Rule pairs 6 in from each end, a rib beyond each, a sparkle between the ribs.
    const auto rules = [&](qreal top) {
        p.fillRect(QRectF(2, top, w - 4, 1), gilt());
        p.fillRect(QRectF(2, top + 3, w - 4, 1), gilt());
    };
    rules(6);
    rules(h - 10);
    paintRib(p, 10 + kStackGap + 4, w);
    paintRib(p, h - 10 - kStackGap - 4 - 1.5, w);
    paintSymbol(p, QStringLiteral("sparkle"), QPointF(w / 2, h / 2), 7,
                srgb(0.94, 0.84, 0.55, 0.85));
}

void modernRibbon(QPainter& p, qreal w, qreal h, std::uint64_t seed)
{
    const QColor c = ribbonColor(seed);
    const QRectF ribbon(0.655 * w - 3.5, -4, 3.5, 18);
    const QPainterPath ribbonPath = rectPath(ribbon);
    shadow(p, ribbonPath, ShadowStyle{black(0.3), 1, QPointF(-0.5, 1)});
    p.fillPath(ribbonPath, Painting::verticalGradient(ribbon, {Colors::withOpacity(c, 0.85), c,
                                                               Colors::withOpacity(c, 0.75)}));
    p.fillRect(QRectF(0.125 * w, 7, 0.75 * w, 1), white(0.35));
    p.fillRect(QRectF(0.125 * w, h - 8, 0.75 * w, 1), white(0.35));
}

void vintageShield(QPainter& p, qreal w, qreal h)
{
    p.fillRect(QRectF(0, 0, w, 12), black(0.22));
    p.fillRect(QRectF(0, h - 12, w, 12), black(0.22));
    const QRectF plate(2, 15, w - 4, h - 30);
    if (plate.isEmpty())
        return;
    const QPainterPath shape = rounded(plate, 2);
    shadow(p, shape, ShadowStyle{black(0.2), 1.5, QPointF(0, 1)});
    p.fillPath(shape,
               Painting::verticalGradient(plate, {srgb(0.97, 0.96, 0.91), srgb(0.92, 0.89, 0.82)}));
    p.strokePath(shape, QPen(srgb(0.72, 0.62, 0.44), 0.8));
}

void fineLine(QPainter& p, qreal w, qreal h)
{
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRectF(2.5, 5 + i * 2.3, w - 5, 0.8), gilt());
        p.fillRect(QRectF(2.5, h - 5 - 0.8 - i * 2.3, w - 5, 0.8), gilt());
    }
}

void pocketStar(QPainter& p, qreal w, qreal h)
{
    const QColor gold = srgb(0.94, 0.84, 0.52);
    paintSymbol(p, QStringLiteral("star.fill"), QPointF(w / 2, 4.5 + 2.25), 4.5, gold);
    paintSymbol(p, QStringLiteral("star.fill"), QPointF(w / 2, h - 4.5 - 2.25), 4.5, gold);
}

void paintTitle(QPainter& p, const BookFace& face)
{
    const qreal w = face.width, h = face.height;
    // Laid out across the book, then turned to read from the bottom up.
    const QSizeF box(std::max(qreal(18), h - 34), std::max(qreal(12), w - 5));
    FittedText::Options options;
    options.minimumScale = 0.48;
    const DesignFont font = DesignFont::system(w < 28 ? 7.5 : 8.5, QFont::Bold);
    const QRectF local(-box.width() / 2, -box.height() / 2, box.width(), box.height());
    const FittedText::Layout layout = FittedText::fit(face.title, font, local.size(), options);
    QTransform turn;
    turn.translate(w / 2, h / 2);
    turn.rotate(-90);
    const bool dark = face.style == 2;
    if (!dark) {
        const QPainterPath outline = FittedText::path(layout, local, Qt::AlignCenter);
        shadow(p, turn.map(outline), ShadowStyle{black(0.7), 1, QPointF(0, 0.5)});
    }
    p.save();
    p.setTransform(turn, true);
    FittedText::draw(p, layout, local, Qt::AlignCenter,
                     dark ? srgb(0.15, 0.12, 0.10) : srgb(0.98, 0.96, 0.92));
    p.restore();
}

// ---- Box parts.

struct BoxColors {
    QColor top, bottom, outline, name, count;
    QFont::Weight countWeight = QFont::Medium;
};

const BoxColors& boxColors(int style)
{
    static const BoxColors styles[4] = {
        {srgb(0.78, 0.60, 0.42), srgb(0.68, 0.50, 0.33), srgb(0.52, 0.38, 0.24),
         srgb(0.16, 0.13, 0.10), srgb(0.48, 0.44, 0.38)},
        {srgb(0.34, 0.37, 0.43), srgb(0.26, 0.28, 0.33), srgb(0.20, 0.22, 0.26),
         srgb(0.12, 0.12, 0.12), srgb(0.45, 0.42, 0.38), QFont::DemiBold},
        {srgb(0.82, 0.68, 0.52), srgb(0.74, 0.58, 0.42), srgb(0.58, 0.45, 0.32),
         srgb(0.14, 0.12, 0.10), srgb(0.45, 0.42, 0.38)},
        {srgb(0.76, 0.54, 0.35), srgb(0.65, 0.44, 0.26), srgb(0.48, 0.32, 0.18),
         srgb(0.16, 0.12, 0.08), srgb(0.48, 0.42, 0.36)},
    };
    return styles[std::clamp(style, 0, 3)];
}

qreal countLineHeight(const BoxFace& face)
{
    return DesignFont::system(6.8, boxColors(face.style).countWeight).height();
}

// The folder's name over its count line in a label block of `inner`: two lines at most,
// broken between words (a file name's "_", "-" and "." end words too), shrunk to half its
// size before the rest is elided.
FittedText::Layout labelLayout(const BoxFace& face, const QSizeF& inner)
{
    FittedText::Options options;
    options.maxLines = 2;
    options.minimumScale = 0.5;
    options.wrap = FittedText::Options::Wrap::Words;
    options.breakAfter = QStringLiteral("_-.");
    const QSizeF nameBox(inner.width(),
                         std::max(inner.height() - kLabelSpacing - countLineHeight(face), 1.0));
    return FittedText::fit(face.label, DesignFont::system(8, QFont::Bold), nameBox, options);
}

// The folder's name (two lines at most) over its count, centred in `inner`.
void paintLabel(QPainter& p, const BoxFace& face, const QRectF& inner)
{
    const BoxColors& colors = boxColors(face.style);
    const DesignFont countFont = DesignFont::system(6.8, colors.countWeight);
    const qreal countHeight = countFont.height();
    const qreal spacing = kLabelSpacing;
    const FittedText::Layout name = labelLayout(face, inner.size());
    const qreal nameHeight = name.lineHeight * name.lines.size();
    const qreal top = inner.center().y() - (nameHeight + spacing + countHeight) / 2;
    p.save();
    p.setClipRect(inner);
    FittedText::draw(p, name, QRectF(inner.left(), top, inner.width(), nameHeight),
                     Qt::AlignHCenter | Qt::AlignTop, colors.name);
    // The longer line of a folder that cannot be read shrinks to fit before it elides.
    FittedText::Options fitCount;
    fitCount.minimumScale = 0.5;
    const FittedText::Layout count =
        FittedText::fit(countLine(face), countFont, QSizeF(inner.width(), countHeight), fitCount);
    FittedText::draw(p, count,
                     QRectF(inner.left(), top + nameHeight + spacing, inner.width(), countHeight),
                     Qt::AlignHCenter | Qt::AlignTop, colors.count);
    p.restore();
}

void paintPaperPlate(QPainter& p, const BoxFace& face, const QRectF& plate, const QColor& fill,
                     const QPen& outline, std::optional<ShadowStyle> style)
{
    const QPainterPath shape = rounded(plate, 2);
    if (style)
        shadow(p, shape, *style);
    p.fillPath(shape, fill);
    p.strokePath(shape, outline);
    paintLabel(p, face, plate.adjusted(3, 2, -3, -2));
}

void paintBracket(QPainter& p, const QRectF& square)
{
    const QPainterPath shape = rectPath(square);
    p.fillPath(shape, Painting::diagonalGradient(square,
                                                 {srgb(0.92, 0.80, 0.48), srgb(0.65, 0.52, 0.26)}));
    p.strokePath(shape, QPen(srgb(0.45, 0.35, 0.15), 0.4));
    const QPainterPath rivet = Painting::circle(square.center(), 0.9);
    p.fillPath(rivet, srgb(0.30, 0.22, 0.10));
}
} // namespace

int headbandStripes(qreal width)
{
    return width >= 2.5 ? int(std::floor(width / 2.5)) : 0;
}

void paintHeadband(QPainter& p, qreal top, qreal width)
{
    const int n = headbandStripes(width);
    if (n == 0)
        return;
    const qreal length = 2.7 * n - 1.5;
    const qreal left = (width - length) / 2;
    for (int i = 0; i < n; ++i) {
        p.fillRect(QRectF(left + 2.7 * i, top, 1.2, 1.8),
                   i % 2 == 0 ? srgb(0.94, 0.92, 0.85) : srgb(0.70, 0.20, 0.20));
    }
}

QColor ribbonColor(std::uint64_t seed)
{
    static const QColor colors[4] = {srgb(0.85, 0.15, 0.22), srgb(0.90, 0.74, 0.32),
                                     srgb(0.18, 0.65, 0.42), srgb(0.25, 0.55, 0.88)};
    return colors[seed % 4];
}

QColor twoToneLidColor(int seed)
{
    return (seed & 1) ? srgb(0.12, 0.25, 0.16) : srgb(0.12, 0.18, 0.28);
}

qreal plateWidth(const BoxFace& face)
{
    return face.width * (face.style == 1 ? 0.88 : 0.86);
}

qreal plateHeight(qreal boxHeight)
{
    return std::min(std::max(boxHeight * 0.42, qreal(28)), qreal(36));
}

void paintBook(QPainter& p, const BookFace& face)
{
    const qreal w = face.width, h = face.height;
    const QRectF r(0, 0, w, h);
    if (r.isEmpty())
        return;
    p.save();
    p.setClipRect(r);
    p.setRenderHint(QPainter::Antialiasing);

    const QColor c = face.color;
    const QPainterPath body = rounded(r, 2.5);
    p.fillPath(body, Painting::linearGradient(QPointF(0, h / 2), QPointF(w, h / 2),
                                              {Colors::withOpacity(c, 0.82), c,
                                               Colors::withOpacity(c, 0.96),
                                               Colors::withOpacity(c, 0.78)}));
    p.strokePath(body, QPen(white(0.2), 0.6));
    paintHeadband(p, 0, w);
    paintHeadband(p, h - 1.8, w);

    switch (face.style) {
    case 0:
        classicGilt(p, w, h);
        break;
    case 1:
        modernRibbon(p, w, h, face.hash);
        break;
    case 2:
        vintageShield(p, w, h);
        break;
    case 3:
        fineLine(p, w, h);
        break;
    default:
        pocketStar(p, w, h);
        break;
    }
    paintTitle(p, face);
    p.restore();
}

void paintBox(QPainter& p, const BoxFace& face)
{
    const qreal W = face.width, H = face.height;
    if (!(W > 0 && H > 0))
        return;
    const BoxColors& colors = boxColors(face.style);
    const qreal P = plateWidth(face);
    const qreal Q = plateHeight(H);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF frame(0, 0, W, H);
    const QPainterPath body = rounded(frame, 3);
    p.fillPath(body, Painting::verticalGradient(frame, {colors.top, colors.bottom}));
    p.strokePath(body, QPen(colors.outline, 0.8));

    const auto plateAt = [&](qreal top) { return QRectF((W - P) / 2, top, P, Q); };

    switch (face.style) {
    case 0: {
        p.fillPath(rounded(QRectF(2, 2, W - 4, 8.5), 2), srgb(0.60, 0.42, 0.26));
        QFont arrows = Units::systemFont(9, QFont::Black);
        p.setFont(arrows);
        p.setPen(black(0.28));
        const QString mark = QStringLiteral("↑ ↑");
        const QFontMetricsF m(arrows);
        p.drawText(QPointF(W - 6 - m.horizontalAdvance(mark), H - 4 - m.descent()), mark);

        const QRectF slot(W / 2 - 10, 14, 20, 6);
        const QPainterPath slotPath = Painting::capsule(slot);
        shadow(p, slotPath, ShadowStyle{black(0.3), 1, QPointF(0, 1)});
        p.fillPath(slotPath, Painting::verticalGradient(
                                 slot, {srgb(0.20, 0.15, 0.10), srgb(0.38, 0.28, 0.20)}));
        p.strokePath(slotPath, QPen(srgb(0.45, 0.32, 0.22), 0.6));

        const QRectF plate = plateAt(slot.bottom() + 3);
        paintPaperPlate(p, face, plate, srgb(0.98, 0.97, 0.95), QPen(srgb(0.76, 0.72, 0.66), 0.7),
                        ShadowStyle{black(0.12), 1, QPointF(0, 1)});
        const QColor tape = srgb(0.94, 0.92, 0.82, 0.75);
        const QRectF strip(plate.center().x() - P / 4, plate.top() - 2, P / 2, 3.5);
        p.fillRect(strip, tape);
        p.fillRect(strip.translated(0, Q + 4 - 3.5), tape);
        break;
    }
    case 1: {
        const QRectF lid(2, 2, W - 4, 9);
        p.fillPath(rounded(lid, 2), srgb(0.18, 0.19, 0.22));
        QPen seam(white(0.15), 0.8);
        seam.setDashPattern({2 / 0.8, 2 / 0.8}); // dash lengths are in pen widths
        p.strokePath(rectPath(QRectF(lid.left(), lid.top() + 7, lid.width(), 1)), seam);

        const QRectF plate = plateAt(14);
        const QPainterPath holder = rounded(plate, 2.5);
        shadow(p, holder, ShadowStyle{black(0.25), 1.5, QPointF(0, 1)});
        p.fillPath(holder, Painting::diagonalGradient(
                               plate, {srgb(0.88, 0.76, 0.45), srgb(0.65, 0.52, 0.28)}));
        const QRectF card = plate.adjusted(2.5, 2.5, -2.5, -2.5);
        p.fillPath(rounded(card, 1.5), srgb(0.95, 0.94, 0.89));
        paintLabel(p, face, card.adjusted(2, 0, -2, 0));
        const QRectF screws = plate.adjusted(0.75, 0.75, -0.75, -0.75);
        for (const QPointF& corner :
             {screws.topLeft(), screws.topRight(), screws.bottomLeft(), screws.bottomRight()}) {
            const qreal dx = corner.x() < plate.center().x() ? 1.1 : -1.1;
            const qreal dy = corner.y() < plate.center().y() ? 1.1 : -1.1;
            const QPainterPath screw = Painting::circle(corner + QPointF(dx, dy), 1.1);
            p.fillPath(screw, srgb(0.35, 0.25, 0.12));
        }

        const QRectF ring(W / 2 - 4.25, plate.bottom() + 4, 8.5, 8.5);
        const QPainterPath ringPath = Painting::ellipse(ring);
        shadow(p, ringPath, ShadowStyle{black(0.4), 1, QPointF(0, 1)});
        p.fillPath(ringPath, srgb(0.12, 0.13, 0.15));
        p.strokePath(ringPath, QPen(QBrush(Painting::diagonalGradient(
                                        ring, {srgb(0.90, 0.78, 0.48), srgb(0.65, 0.52, 0.28)})),
                                    1.4));
        break;
    }
    case 2: {
        const QColor lidColor = twoToneLidColor(face.seed);
        const QRectF lid(1, 1, W - 2, 11);
        const QPainterPath lidPath = rounded(lid, 2.5);
        shadow(p, lidPath, ShadowStyle{black(0.28), 1.5, QPointF(0, 1.5)});
        p.fillPath(lidPath, Painting::verticalGradient(
                                lid, {Colors::withOpacity(lidColor, 0.92), lidColor}));
        p.fillRect(QRectF(8, 12, 3.5, H - 12), srgb(0.80, 0.22, 0.22));

        paintPaperPlate(p, face, plateAt(14), srgb(0.98, 0.98, 0.96), QPen(black(0.12), 0.7),
                        ShadowStyle{black(0.10), 1, QPointF(0, 1)});
        const QPainterPath button = Painting::ellipse(QRectF(W / 2 - 2.75, H - 6 - 5.5, 5.5, 5.5));
        p.fillPath(button, srgb(0.88, 0.78, 0.60));
        p.strokePath(button, QPen(black(0.2), 0.6));
        break;
    }
    default: {
        p.fillPath(rounded(QRectF(2, 2, W - 4, 8), 2), srgb(0.56, 0.38, 0.22));
        p.fillRect(QRectF(0, H / 2 - 6, W, 12), srgb(0.50, 0.32, 0.18, 0.38));
        for (const bool top : {true, false}) {
            for (const bool leading : {true, false}) {
                paintBracket(p, QRectF(leading ? 2 : W - 9, top ? 2 : H - 9, 7, 7));
            }
        }
        // The plate's shadow falls with its text.
        const QRectF plate = plateAt(14);
        shadow(p, rounded(plate, 2), ShadowStyle{black(0.18), 1.5, QPointF(0, 1)});
        paintPaperPlate(p, face, plate, srgb(0.98, 0.97, 0.94), QPen(srgb(0.68, 0.55, 0.38), 0.8),
                        std::nullopt);
        break;
    }
    }
    p.restore();
}

QString countLine(const BoxFace& face)
{
    return face.readable ? QStringLiteral("%1 file").arg(face.count)
                         : Formats::unreadableContents();
}

QStringList labelLines(const BoxFace& face)
{
    const qreal P = plateWidth(face);
    const qreal Q = plateHeight(face.height);
    // The metal box's card sits 2.5 inside its holder and pads 2 at the sides only.
    const QSizeF inner = face.style == 1 ? QSizeF(P - 5 - 4, Q - 5) : QSizeF(P - 6, Q - 4);
    return labelLayout(face, inner).lines;
}

} // namespace ShelfDrawings
