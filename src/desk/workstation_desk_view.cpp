#include "desk/workstation_desk_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"

#include <QPainter>

namespace {
using Colors::greyLevel;
using Painting::drawingPen;
using Painting::verticalGradient;

// Fills and outlines a continuous rounded rectangle.
void roundedBox(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill,
                const QPen& outline = Qt::NoPen)
{
    const QPainterPath path = Painting::continuousRoundedRect(r, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    if (outline.style() != Qt::NoPen) {
        p.setBrush(Qt::NoBrush);
        p.setPen(outline);
        p.drawPath(path);
    }
}
} // namespace

WorkstationDeskView::WorkstationDeskView(QGraphicsItem* parent) : RoomItem(parent)
{
    setCacheMode(DeviceCoordinateCache);
    stopTakingPointer(this);
}

QPainterPath WorkstationDeskView::tabletopDepthShape(const QRectF& rect, qreal scaleX)
{
    const qreal i = 4.5 * scaleX;
    QPainterPath path(QPointF(rect.left() + i, rect.top()));
    path.lineTo(rect.right() - i, rect.top());
    path.lineTo(rect.right(), rect.bottom());
    path.lineTo(rect.left(), rect.bottom());
    path.closeSubpath();
    return path;
}

void WorkstationDeskView::onSizeChanged()
{
    const qreal sy = size().height() / kDesignSize.height();
    // The upper face above the frame, the floor shadows and their blur below it.
    setPaintMargins(QMarginsF(8, 24 * sy + 2, 8, 4 * sy + 12));
}

void WorkstationDeskView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    paintFillsWhole(*this, *painter, boundingRect(), [&](QPainter& p) {
        const qreal sx = size().width() / kDesignSize.width();
        const qreal sy = size().height() / kDesignSize.height();
        if (!(sx > 0) || !(sy > 0))
            return;
        const auto box = [sx, sy](qreal x0, qreal y0, qreal x1, qreal y1) {
            return QRectF(x0 * sx, y0 * sy, (x1 - x0) * sx, (y1 - y0) * sy);
        };
        p.save();
        p.setRenderHint(QPainter::Antialiasing);

        // Floor shadows under the pedestals.
        const QRectF shadows[] = {box(0, 268, 145, 280), box(410, 268, 555, 280)};
        for (size_t i = 0; i < 2; ++i)
            m_floorShadows.at(i).paint(p, Painting::continuousRoundedRect(shadows[i], 6),
                                       {Colors::black(0.32), 4, {}});

        // The back panel with the shade the tabletop casts on it.
        const QRectF panel = box(145, 24, 410, 214);
        p.fillRect(panel, verticalGradient(panel, {greyLevel(0.84), greyLevel(0.74)}));
        const QRectF shade = box(145, 24, 410, 42);
        p.fillRect(shade, verticalGradient(shade, {Colors::black(0.28), Qt::transparent}));

        paintPedestal(p, box(0, 24, 145, 276), sx, sy);
        paintPedestal(p, box(410, 24, 555, 276), sx, sy);
        paintTabletop(p, sx, sy);
        p.restore();
    });
}

void WorkstationDeskView::paintTabletop(QPainter& p, qreal sx, qreal sy)
{
    const qreal w = kDesignSize.width() * sx;
    const QRectF edge(0, 0, w, 24 * sy);
    const QRectF face(0, -24 * sy, w, 24 * sy);

    // The upper face, darker at the back.
    const QPainterPath faceShape = tabletopDepthShape(face, sx);
    p.setPen(Qt::NoPen);
    p.setBrush(
        verticalGradient(face, {Colors::srgb(0.88, 0.90, 0.93), Colors::srgb(0.93, 0.95, 0.97),
                                Colors::srgb(0.98, 0.98, 0.99)}));
    p.drawPath(faceShape);
    const QRectF back(0, face.top(), w, 7 * sy);
    p.setBrush(verticalGradient(back, {Colors::black(0.35), Colors::black(0.12), Qt::transparent}));
    p.drawPath(tabletopDepthShape(back, sx));
    p.save();
    p.setClipPath(faceShape);
    const QRectF sheen(0, face.top() + 8 * sy, w, 8 * sy);
    p.fillRect(sheen,
               verticalGradient(sheen, {Qt::transparent, Colors::white(0.45), Qt::transparent}));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(drawingPen(Colors::black(0.12), 0.8));
    p.drawPath(faceShape);

    // The front edge with its shadow, highlight and bottom line.
    const QRectF underShadow(0, 5 * sy, w, 22 * sy);
    m_edgeShadow.paint(p, Painting::continuousRoundedRect(underShadow, 4),
                       {Colors::black(0.28), 4, {}});
    roundedBox(p, edge, 3.5,
               verticalGradient(edge, {greyLevel(0.99), greyLevel(0.96), greyLevel(0.90)}),
               drawingPen(Colors::black(0.12), 0.8));
    roundedBox(p, QRectF(edge.center().x() - 549 * sx / 2, edge.top() + 1.5, 549 * sx, 2 * sy), 2,
               Colors::white(0.95));
    p.fillRect(QRectF(edge.center().x() - 553 * sx / 2, edge.bottom() - 2 * sy, 553 * sx, 2 * sy),
               Colors::black(0.18));
}

void WorkstationDeskView::paintPedestal(QPainter& p, const QRectF& frame, qreal sx, qreal sy)
{
    const QRectF carcass(frame.left(), frame.top(), frame.width(), 234 * sy);
    roundedBox(p, carcass, 3, Colors::srgb(0.94, 0.94, 0.95), drawingPen(Colors::black(0.12), 1));
    qreal y = carcass.top() + 4 * sy;
    for (const qreal height : {48.0, 52.0, 56.0, 60.0}) {
        paintDrawer(p, QRectF(frame.left() + 4 * sx, y, frame.width() - 8 * sx, height * sy),
                    46 * sx, sy);
        y += (height + 4) * sy;
    }
    const QRectF plinth(frame.center().x() - 69 * sx, carcass.bottom(), 138 * sx, 18 * sy);
    p.fillRect(plinth, verticalGradient(plinth, {greyLevel(0.78), greyLevel(0.68)}));
    p.setBrush(Qt::NoBrush);
    p.setPen(drawingPen(Colors::black(0.15), 0.8));
    p.drawRect(plinth);
}

void WorkstationDeskView::paintDrawer(QPainter& p, const QRectF& row, qreal handleWidth, qreal sy)
{
    // A faint drop shadow a point below the front; too small to need a blur.
    roundedBox(p, row.translated(0, 1), 2.5, Colors::black(0.06));
    roundedBox(p, row, 2.5,
               verticalGradient(row, {greyLevel(0.99), greyLevel(0.95), greyLevel(0.92)}),
               drawingPen(Colors::black(0.10), 0.8));
    p.fillRect(QRectF(row.left(), row.bottom() - 1, row.width(), 1), Colors::black(0.08));
    const QPointF c = row.center();
    roundedBox(p, QRectF(c.x() - handleWidth / 2, c.y() - 3 * sy + 1.5, handleWidth, 6 * sy), 2,
               Colors::black(0.2));
    const QRectF handle(c.x() - handleWidth / 2, c.y() - 2.75 * sy, handleWidth, 5.5 * sy);
    roundedBox(p, handle, 2,
               verticalGradient(handle, {greyLevel(0.88), greyLevel(0.72), greyLevel(0.80)}),
               drawingPen(Colors::white(0.85), 0.5));
}
