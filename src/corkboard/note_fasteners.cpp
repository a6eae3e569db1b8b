#include "corkboard/note_fasteners.h"

#include "kit/colors.h"
#include "state/tolvane_colors.h"

#include <QPainter>

#include <cmath>
#include <numbers>

namespace {
QColor hex(QRgb rgb)
{
    return QColor::fromRgb(rgb);
}

// A five-pointed star filling a square of side `side` centred on `centre`.
QPainterPath starPath(QPointF centre, qreal side)
{
    QPainterPath path;
    const qreal outer = side / 2;
    const qreal inner = outer * 0.45;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF p = centre + QPointF(r * std::cos(a), r * std::sin(a) + side * 0.04);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QPainterPath heartPath(QPointF centre, qreal side)
{
    const qreal s = side / 2;
    const QPointF c = centre;
    QPainterPath path(c + QPointF(0, 0.85 * s));
    path.cubicTo(c + QPointF(-0.35 * s, 0.5 * s), c + QPointF(-1.0 * s, 0.1 * s),
                 c + QPointF(-0.95 * s, -0.35 * s));
    path.cubicTo(c + QPointF(-0.9 * s, -0.95 * s), c + QPointF(-0.15 * s, -0.95 * s),
                 c + QPointF(0, -0.45 * s));
    path.cubicTo(c + QPointF(0.15 * s, -0.95 * s), c + QPointF(0.9 * s, -0.95 * s),
                 c + QPointF(0.95 * s, -0.35 * s));
    path.cubicTo(c + QPointF(1.0 * s, 0.1 * s), c + QPointF(0.35 * s, 0.5 * s),
                 c + QPointF(0, 0.85 * s));
    path.closeSubpath();
    return path;
}

// A paper clip's wire as a filled outline, upright in a box of height `side`.
QPainterPath paperclipPath(QPointF centre, qreal side)
{
    const qreal h = side;
    const qreal w = side * 0.42;
    const qreal x0 = centre.x() - w / 2;
    const qreal y0 = centre.y() - h / 2;
    // Outer loop, then the inner loop running back up.
    QPainterPath wire(QPointF(x0 + w * 0.78, y0 + h * 0.3));
    wire.lineTo(x0 + w * 0.78, y0 + h * 0.78);
    wire.arcTo(QRectF(x0 + w * 0.22, y0 + h * 0.62, w * 0.56, w * 0.56 * 1.1), 0, -180);
    wire.lineTo(x0 + w * 0.22, y0 + h * 0.18);
    wire.arcTo(QRectF(x0, y0, w, w * 1.1), 180, -180);
    wire.lineTo(x0 + w, y0 + h * 0.82);
    wire.arcTo(QRectF(x0, y0 + h - w * 1.1 - h * 0.02, w, w * 1.1), 0, -180);
    wire.lineTo(x0, y0 + h * 0.35);
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(side * 0.11, qreal(1)));
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(wire);
}

using Colors::greyLevel;
} // namespace

QPainterPath washiTapeShape(const QRectF& rect, int teethCount)
{
    const int n = std::max(teethCount, 1);
    const qreal w = rect.width();
    const qreal h = rect.height();
    const qreal s = h / n;
    const QPointF o = rect.topLeft();
    QPainterPath path(o + QPointF(2, 0));
    path.lineTo(o + QPointF(w - 2, 0));
    for (int i = 0; i < n; ++i) {
        path.lineTo(o + QPointF(w, s / 2 + i * s));
        path.lineTo(o + QPointF(w - 2, (i + 1) * s));
    }
    path.lineTo(o + QPointF(2, h));
    for (int j = n; j >= 1; --j) {
        path.lineTo(o + QPointF(0, j * s - s / 2));
        path.lineTo(o + QPointF(2, (j - 1) * s));
    }
    path.closeSubpath();
    return path;
}

std::pair<QColor, QColor> pushpinHeadColors(NoteColor noteColor)
{
    switch (noteColor) {
    case NoteColor::pink:
        return {hex(0x2D82F5), hex(0x144196)};
    case NoteColor::blue:
        return {hex(0xFFD728), hex(0xAA780A)};
    case NoteColor::dark:
        return {hex(0xD2F046), hex(0x789614)};
    default:
        return {hex(0xEB2D3C), hex(0x8C0F19)};
    }
}

QSizeF fastenerSize(PinStyle style)
{
    switch (style) {
    case PinStyle::pushpin:
        return {18, 18};
    case PinStyle::washiTape:
        return {50, 14};
    case PinStyle::star:
    case PinStyle::heart:
        return {16, 16};
    case PinStyle::clip:
        return {16, 18};
    }
    return {16, 16};
}

TopFastenerView::TopFastenerView(QGraphicsItem* parent) : RoomItem(parent)
{
    setPaintMargins(QMarginsF(4, 4, 4, 6));
    setCacheMode(DeviceCoordinateCache);
}

void TopFastenerView::show(PinStyle style, NoteColor noteColor)
{
    // Only the pushpin's drawing depends on the note's colour.
    const bool sameLook =
        m_shown && style == m_style && (style != PinStyle::pushpin || noteColor == m_noteColor);
    m_style = style;
    m_noteColor = noteColor;
    m_shown = true;
    setSize(fastenerSize(style));
    if (!sameLook)
        update();
}

void TopFastenerView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = rect().center();
    switch (m_style) {
    case PinStyle::pushpin:
        paintPushpin(p);
        break;
    case PinStyle::washiTape:
        paintWashiTape(p);
        break;
    case PinStyle::star:
        paintSymbol(p, starPath(c, 11), hex(0xFFD21E), Colors::white(0.6), QPointF(0, 1.5), 0.3,
                    true);
        break;
    case PinStyle::heart:
        paintSymbol(p, heartPath(c, 11), TOLVANEColors::pink(), Colors::white(0.5), QPointF(0, 1.5),
                    0.3, true);
        break;
    case PinStyle::clip:
        paintSymbol(p, paperclipPath(c, 13), greyLevel(0.88), Colors::white(0.4), QPointF(0, 1.2),
                    0.28, false);
        break;
    }
    p.restore();
}

void TopFastenerView::paintPushpin(QPainter& p)
{
    const QPointF c = rect().center();
    auto circle = [&c](qreal d, QPointF offset = {}) {
        return QRectF(c.x() - d / 2 + offset.x(), c.y() - d / 2 + offset.y(), d, d);
    };
    const QPainterPath point = Painting::ellipse(QRectF(c.x() - 2, c.y() - 1.25 + 6, 4, 2.5));
    m_shadow.paint(p, point, {Colors::black(0.45), 0.4, {}});
    const QPainterPath headShadow = Painting::ellipse(circle(13, QPointF(0.8, 2.2)));
    m_secondShadow.paint(p, headShadow, {Colors::black(0.35), 1.0, {}});

    p.setPen(Qt::NoPen);
    const QRectF collar = circle(6, QPointF(0, 2));
    p.setBrush(Painting::diagonalGradient(collar, {greyLevel(0.88), greyLevel(0.45)}));
    p.drawEllipse(collar);

    const auto [light, dark] = pushpinHeadColors(m_noteColor);
    const QRectF head = circle(13);
    const QPointF focus(head.left() + 0.35 * head.width(), head.top() + 0.35 * head.height());
    p.setBrush(
        Painting::radialGradient(focus, 1, 8, {light, Colors::withOpacity(light, 0.85), dark}));
    p.drawEllipse(head);
    p.setBrush(Colors::white(0.85));
    p.drawEllipse(QRectF(c.x() - 1.5 - 2.5, c.y() - 1.5 - 2.5, 3, 3));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::white(0.45), 0.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawEllipse(head);
}

void TopFastenerView::paintWashiTape(QPainter& p)
{
    const QRectF r = rect();
    p.translate(r.center());
    p.rotate(-1.5);
    p.translate(-r.center());
    const QPainterPath tape = washiTapeShape(r, 5);
    m_shadow.paint(p, tape.translated(0, 1.2), {Colors::black(0.18), 0.8, {}});
    p.setPen(Qt::NoPen);
    p.setBrush(Painting::verticalGradient(
        r, {greyLevel(0.96, 0.85), greyLevel(0.88, 0.7), greyLevel(0.94, 0.8)}));
    p.drawPath(tape);
    p.setBrush(Colors::white(0.45));
    p.drawRect(QRectF(r.left() + 4, r.center().y() - 0.5, r.width() - 8, 1));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::white(0.65), 0.6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(tape);
}

void TopFastenerView::paintSymbol(QPainter& p, const QPainterPath& shape, const QColor& fill,
                                  const QColor& outline, const QPointF& shadowOffset,
                                  qreal shadowOpacity, bool outlineIsStroke)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::black(shadowOpacity));
    p.drawPath(shape.translated(shadowOffset));
    p.setBrush(fill);
    p.drawPath(shape);
    if (outlineIsStroke) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(outline, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else {
        p.setBrush(outline);
    }
    p.drawPath(shape);
}
