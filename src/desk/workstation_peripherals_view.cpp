#include "desk/workstation_peripherals_view.h"

#include "kit/colors.h"

#include <QPainter>

namespace {
using Colors::greyLevel;

struct KeyRow {
    int flexible;
    qreal height;
    QList<qreal> fixedBefore; // fixed keys in front of the flexible ones
};

const KeyRow kRows[] = {{10, 1.4, {}}, {10, 1.8, {}}, {9, 1.8, {}}, {3, 1.8, {6, 20, 6}}};
constexpr qreal kRowWidth = 64 - 2 * 1.2;
constexpr qreal kGap = 0.8;
} // namespace

QList<qreal> WorkstationPeripheralsView::flexibleKeyWidths(qreal scale)
{
    QList<qreal> widths;
    for (const KeyRow& row : kRows) {
        qreal fixed = 0;
        for (const qreal w : row.fixedBefore)
            fixed += w;
        const int keys = row.flexible + int(row.fixedBefore.size());
        widths.append((kRowWidth - fixed - (keys - 1) * kGap) / row.flexible * scale);
    }
    return widths;
}

WorkstationPeripheralsView::WorkstationPeripheralsView(qreal scale, QGraphicsItem* parent)
    : RoomItem(parent), m_scale(scale)
{
    setSize(sizeFor(scale));
    setPaintMargins(QMarginsF(3 * scale, 3 * scale, 3 * scale, 4 * scale));
    setCacheMode(DeviceCoordinateCache);
    stopTakingPointer(this);
}

void WorkstationPeripheralsView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    const qreal s = m_scale;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(s, s); // everything below in units of the scale-1 drawing
    const qreal midY = 19 / 2.0;
    const auto centred = [](QPointF c, qreal w, qreal h) {
        return QRectF(c.x() - w / 2, c.y() - h / 2, w, h);
    };

    // Keyboard, framed 70 x 16.
    const QPointF kc(35, midY);
    m_keyboardShadow.paint(p, Painting::continuousRoundedRect(centred(kc, 70, 16), 2.5),
                           {Colors::black(0.24), 1.2 * s, QPointF(0, 1.2)});
    const QRectF keyCase = centred(kc, 68, 15);
    const QPainterPath caseShape = Painting::continuousRoundedRect(keyCase, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(
        Painting::verticalGradient(keyCase, {greyLevel(0.95), greyLevel(0.85), greyLevel(0.8)}));
    p.drawPath(caseShape);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::white(0.85), 0.5));
    p.drawPath(caseShape);
    const QRectF bed = centred(kc, 64, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(greyLevel(0.87));
    p.drawPath(Painting::continuousRoundedRect(bed, 1.2));

    const QList<qreal> flexible = flexibleKeyWidths(1);
    qreal rowsHeight = -kGap;
    for (const KeyRow& row : kRows)
        rowsHeight += row.height + kGap;
    qreal y = bed.center().y() - rowsHeight / 2;
    p.setBrush(Qt::white);
    for (size_t r = 0; r < std::size(kRows); ++r) {
        const KeyRow& row = kRows[r];
        qreal x = bed.left() + 1.2;
        QList<qreal> keys = row.fixedBefore;
        for (int i = 0; i < row.flexible; ++i)
            keys.append(flexible.at(qsizetype(r)));
        for (const qreal w : keys) {
            p.drawPath(Painting::continuousRoundedRect(QRectF(x, y, w, row.height), 0.4));
            x += w + kGap;
        }
        y += row.height + kGap;
    }

    // Mouse, framed 13 x 19, 7 to the right of the keyboard.
    const QPointF mc(70 + 7 + 6.5, midY);
    m_mouseShadow.paint(p, Painting::capsule(centred(mc, 13, 19)),
                        {Colors::black(0.24), 1.2 * s, QPointF(0, 1.2)});
    const QRectF body = centred(mc, 12.5, 18.5);
    p.setBrush(Painting::verticalGradient(body, {greyLevel(0.86), greyLevel(0.72)}));
    p.drawPath(Painting::capsule(body));
    const QRectF shell = centred(mc, 11.5, 17.5);
    p.setBrush(
        Painting::verticalGradient(shell, {greyLevel(1.0), greyLevel(0.98), greyLevel(0.92)}));
    p.drawPath(Painting::capsule(shell));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 0.4));
    p.drawPath(Painting::capsule(shell));
    p.fillRect(centred(mc + QPointF(0, -3.5), 0.5, 6), Colors::black(0.12));
    p.restore();
}
