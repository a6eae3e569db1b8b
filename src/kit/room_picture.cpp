#include "kit/room_picture.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/room_geometry.h"
#include "state/tolvane_colors.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace RoomPicture {
namespace Art {

QColor rgb(qreal r, qreal g, qreal b, qreal a)
{
    return Colors::srgb(r, g, b, a);
}

QColor shade(const QColor& c, qreal factor)
{
    return QColor::fromRgbF(std::clamp(float(c.redF() * factor), 0.0f, 1.0f),
                            std::clamp(float(c.greenF() * factor), 0.0f, 1.0f),
                            std::clamp(float(c.blueF() * factor), 0.0f, 1.0f), c.alphaF());
}

QLinearGradient vertical(const QRectF& r, std::initializer_list<QColor> colors)
{
    return Painting::linearGradient(r.topLeft(), r.bottomLeft(), colors);
}

QLinearGradient horizontal(const QRectF& r, std::initializer_list<QColor> colors)
{
    return Painting::linearGradient(r.topLeft(), r.topRight(), colors);
}

void softShadow(QPainter& p, const QPainterPath& shape, const QColor& color, qreal radius,
                QPointF offset)
{
    ShapeShadow shadow;
    shadow.paint(p, shape, ShadowStyle{color, radius, offset});
}

QColor brown()
{
    return rgb(0.32, 0.2, 0.12);
}
QColor woodLight()
{
    return rgb(0.62, 0.42, 0.25);
}
QColor wood()
{
    return rgb(0.47, 0.3, 0.17);
}
QColor woodDark()
{
    return rgb(0.3, 0.18, 0.1);
}
} // namespace Art

namespace {
using namespace Art;

const QColor kBrown = brown();
const QColor kWoodLight = woodLight();
const QColor kWood = wood();
const QColor kWoodDark = woodDark();

void paintWall(QPainter& p, const RoomGeometry& g)
{
    const qreal W = g.width();
    const QRectF wall(0, 0, W, 0.72 * g.height());
    p.fillRect(wall, TOLVANEColors::electricBlue());
    const int stripes = int(std::floor(W / 36)) + 2;
    const qreal firstX = (W - stripes * 36.0) / 2;
    const QColor navy = Colors::withOpacity(TOLVANEColors::nightNavy(), 0.35);
    for (int i = 0; i < stripes; i += 2)
        p.fillRect(QRectF(firstX + 36.0 * i, 0, 36, wall.height()), navy);
    // A thin lit edge on each dark stripe, as if the paper were printed in two passes.
    for (int i = 0; i < stripes; i += 2) {
        p.fillRect(QRectF(firstX + 36.0 * i, 0, 1, wall.height()), Colors::white(0.05));
        p.fillRect(QRectF(firstX + 36.0 * i + 35, 0, 1, wall.height()), Colors::black(0.08));
    }
    // Light from the room's middle, darker corners and a dimmer ceiling line.
    p.fillRect(wall, Painting::radialGradient(
                         QPointF(0.5 * W, 0.3 * g.height()), 0, 0.75 * W,
                         {Colors::white(0.07), Colors::white(0.0), Colors::black(0.28)}));
    p.fillRect(QRectF(0, 0, W, 0.22 * g.height()),
               vertical(QRectF(0, 0, W, 0.22 * g.height()), {Colors::black(0.3), Qt::transparent}));

    // The cornice under the ceiling.
    const QRectF cornice(0, 0, W, 12);
    p.fillRect(QRectF(0, 12, W, 6),
               vertical(QRectF(0, 12, W, 6), {Colors::black(0.35), Qt::transparent}));
    p.fillRect(cornice, vertical(cornice, {kWoodDark, kWood, kWoodLight}));
    p.fillRect(QRectF(0, 11, W, 1), Colors::black(0.35));
}

void paintWainscot(QPainter& p, const RoomGeometry& g)
{
    const qreal W = g.width();
    const qreal wallBottom = 0.72 * g.height();
    const qreal height = 0.36 * wallBottom;
    const QRectF wainscot(0, wallBottom - height, W, height);
    const QRectF rail(0, wainscot.top() - 14, W, 14);

    // The rail throws a soft shadow down the wall above the panels' top edge too.
    QPainterPath railShape;
    railShape.addRect(rail);
    softShadow(p, railShape, Colors::black(0.35), 3, QPointF(0, 2));
    p.fillRect(wainscot, vertical(wainscot, {shade(kBrown, 1.12), kBrown, shade(kBrown, 0.82)}));
    // Fine vertical grain.
    Sequence grain(7);
    for (qreal x = 0; x < W; x += grain.between(3, 9)) {
        p.fillRect(QRectF(x, wainscot.top(), 1, wainscot.height()),
                   grain.next() < 0.5 ? Colors::black(0.05) : Colors::white(0.035));
    }

    const int panels = int(std::floor(W / 160)) + 1;
    const qreal panelWidth = (W - 40 - 24.0 * (panels - 1)) / panels;
    const qreal panelHeight = height - 28 - 10; // above the skirting
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < panels; ++i) {
        const QRectF panel(20 + i * (panelWidth + 24), wainscot.top() + 14, panelWidth,
                           panelHeight);
        const QPainterPath shape = Painting::continuousRoundedRect(panel, 6);
        p.fillPath(shape,
                   vertical(panel, {shade(kBrown, 0.86), shade(kBrown, 1.0), shade(kBrown, 0.92)}));
        // A raised field in the panel, lit from above.
        const QRectF field = panel.adjusted(10, 10, -10, -10);
        const QPainterPath fieldShape = Painting::continuousRoundedRect(field, 4);
        p.fillPath(fieldShape, vertical(field, {shade(kBrown, 1.14), shade(kBrown, 1.02)}));
        p.strokePath(fieldShape.translated(0, 1), QPen(Colors::black(0.22), 1.5));
        p.strokePath(fieldShape, QPen(rgb(0.6, 0.4, 0.24, 0.35), 1));
        p.strokePath(shape, QPen(Colors::black(0.25), 3));
        p.strokePath(shape.translated(0, 2), QPen(Colors::white(0.06), 1));
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The rail: a lit top face and a rounded front.
    p.fillRect(rail, vertical(rail, {shade(kWoodLight, 1.1), kWood, kWoodDark}));
    p.fillRect(QRectF(0, rail.top(), W, 2), rgb(0.78, 0.58, 0.38, 0.9));
    p.fillRect(QRectF(0, rail.bottom() - 1, W, 1), Colors::black(0.4));

    // The skirting board on the floor.
    const QRectF skirting(0, wainscot.bottom() - 12, W, 12);
    p.fillRect(skirting, vertical(skirting, {kWood, kWoodDark}));
    p.fillRect(QRectF(0, skirting.top(), W, 1.5), rgb(0.7, 0.5, 0.32, 0.8));
}

void paintFloor(QPainter& p, const RoomGeometry& g)
{
    const qreal W = g.width();
    const QRectF floor(0, 0.72 * g.height(), W, 0.28 * g.height());
    const QRectF boards = floor.adjusted(0, 3, 0, 0);
    p.fillRect(boards, rgb(0.71, 0.52, 0.34));

    // The seams of the fallback floor, with each row's planks cut at their own places.
    const int seams = int(std::floor(0.28 * g.height() / 28)) + 1;
    const qreal column = seams * 1.5 + (seams - 1) * 28.0;
    const qreal firstY = boards.top() + (boards.height() - column) / 2;
    Sequence planks(42);
    for (int row = -1; row < seams; ++row) {
        const qreal top = row < 0 ? boards.top() : firstY + row * 29.5 + 1.5;
        const qreal bottom = row + 1 < seams ? firstY + (row + 1) * 29.5 : boards.bottom();
        if (bottom <= top)
            continue;
        qreal x = -planks.between(0, 220);
        while (x < W) {
            const qreal length = planks.between(190, 380);
            const QRectF plank(x, top, length, bottom - top);
            const qreal tone = planks.between(0.9, 1.08);
            p.fillRect(plank, vertical(plank, {shade(rgb(0.75, 0.56, 0.37), tone),
                                               shade(rgb(0.69, 0.5, 0.32), tone)}));
            // Grain: a few long faint lines along the plank.
            for (int line = 0; line < 3; ++line) {
                const qreal y = top + planks.between(4, std::max(bottom - top - 4, qreal(5)));
                p.fillRect(QRectF(plank.left() + planks.between(6, 40), y,
                                  length * planks.between(0.4, 0.85), 1),
                           rgb(0.45, 0.29, 0.16, 0.12));
            }
            p.fillRect(QRectF(plank.left(), top, 1.5, plank.height()), Colors::black(0.16));
            p.fillRect(QRectF(plank.left() + 1.5, top, 1, plank.height()), Colors::white(0.06));
            x += length;
        }
    }
    for (int i = 0; i < seams; ++i) {
        p.fillRect(QRectF(0, firstY + i * 29.5, W, 1.5), Colors::black(0.18));
        p.fillRect(QRectF(0, firstY + i * 29.5 + 1.5, W, 1), Colors::white(0.05));
    }
    // Darker towards the viewer and the sides; the wall's shadow along the skirting.
    p.fillRect(boards,
               vertical(boards, {Colors::black(0.12), Qt::transparent, Colors::black(0.16)}));
    p.fillRect(boards, horizontal(boards, {Colors::black(0.14), Qt::transparent, Qt::transparent,
                                           Colors::black(0.14)}));
    p.fillRect(QRectF(0, boards.top(), W, 18),
               vertical(QRectF(0, boards.top(), W, 18), {Colors::black(0.22), Qt::transparent}));
    p.fillRect(QRectF(0, floor.top(), W, 3), Colors::black(0.3));
}

// The cork board: cork a little larger than the board's frame, so notes dragged to its
// edges still lie on cork, in a mitred wooden frame.
void paintCorkboard(QPainter& p, const RoomGeometry& g)
{
    const QRectF board = g.frame(Furniture::Corkboard).rect();
    const QRectF cork = board.adjusted(-8, -8, 8, 8);
    const qreal rim = 14;
    const QRectF outer = cork.adjusted(-rim, -rim, rim, rim);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outerShape;
    outerShape.addRect(outer);
    softShadow(p, outerShape, Colors::black(0.45), 10, QPointF(0, 7));

    p.fillRect(cork, rgb(0.8, 0.62, 0.42));
    // Speckles of darker and lighter granules, fewer where the header hangs.
    Sequence grains(1234);
    const int count = int(cork.width() * cork.height() / 22);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(cork.left() + grains.next() * cork.width(),
                         cork.top() + grains.next() * cork.height());
        const qreal r = grains.between(0.5, 1.7);
        const qreal kind = grains.next();
        const QColor c = kind < 0.5   ? rgb(0.6, 0.43, 0.26, 0.45)
                         : kind < 0.8 ? rgb(0.9, 0.75, 0.55, 0.5)
                                      : rgb(0.52, 0.34, 0.19, 0.35);
        p.setBrush(c);
        p.drawEllipse(at, r * grains.between(0.8, 1.4), r);
    }
    // Light falling from above; the frame's shadow on the cork along its top and left.
    p.fillRect(cork, vertical(cork, {Colors::white(0.06), Qt::transparent, Colors::black(0.07)}));
    p.fillRect(QRectF(cork.left(), cork.top(), cork.width(), 7),
               vertical(QRectF(cork.left(), cork.top(), cork.width(), 7),
                        {Colors::black(0.3), Qt::transparent}));
    p.fillRect(QRectF(cork.left(), cork.top(), 6, cork.height()),
               horizontal(QRectF(cork.left(), cork.top(), 6, cork.height()),
                          {Colors::black(0.22), Qt::transparent}));

    // The frame: four mitred pieces, the top one lit, the bottom one in shade.
    const auto piece = [&](std::initializer_list<QPointF> corners, const QBrush& brush) {
        QPainterPath path;
        path.addPolygon(QPolygonF(corners));
        path.closeSubpath();
        p.fillPath(path, brush);
    };
    const QPointF a = outer.topLeft(), b = outer.topRight(), c = outer.bottomRight(),
                  d = outer.bottomLeft();
    const QPointF ia = cork.topLeft(), ib = cork.topRight(), ic = cork.bottomRight(),
                  id = cork.bottomLeft();
    const QRectF top(outer.left(), outer.top(), outer.width(), rim);
    const QRectF bottom(outer.left(), cork.bottom(), outer.width(), rim);
    piece({a, b, ib, ia}, vertical(top, {shade(kWoodLight, 1.15), kWoodLight, kWood}));
    piece({id, ic, c, d}, vertical(bottom, {kWood, kWoodDark, shade(kWoodDark, 0.8)}));
    piece({a, ia, id, d}, horizontal(QRectF(outer.left(), outer.top(), rim, outer.height()),
                                     {shade(kWoodLight, 0.95), kWood}));
    piece({ib, b, c, ic},
          horizontal(QRectF(cork.right(), outer.top(), rim, outer.height()), {kWood, kWoodDark}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::black(0.35), 1));
    p.drawLine(a, ia);
    p.drawLine(b, ib);
    p.drawLine(c, ic);
    p.drawLine(d, id);
    p.drawRect(cork.adjusted(-0.5, -0.5, 0.5, 0.5));
    p.setPen(QPen(rgb(0.85, 0.64, 0.42, 0.6), 1));
    p.drawLine(a + QPointF(1, 1), b + QPointF(-1, 1));
    p.setPen(QPen(Colors::black(0.3), 1.5));
    p.drawRect(outer.adjusted(0.75, 0.75, -0.75, -0.75));
    p.setPen(Qt::NoPen);
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The bookshelf's cabinet: sides, a crown on top, the back and the two boards whose top
// faces are the lines the shelf's rows stand on.
void paintCabinet(QPainter& p, const RoomGeometry& g)
{
    const QRectF frame = g.shelfRect();
    const qreal side = 14;
    const qreal board = 9;
    const QRectF outer(frame.left() - 4, frame.top() - 12, frame.width() + 8, frame.height() + 24);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outerShape;
    outerShape.addRect(outer);
    softShadow(p, outerShape, Colors::black(0.5), 12, QPointF(0, 9));

    // The back: dark boards set in, each compartment shaded under the piece above it.
    const QRectF back(frame.left() + side, frame.top(), frame.width() - 2 * side, frame.height());
    p.fillRect(back, vertical(back, {shade(kWoodDark, 0.8), kWoodDark}));
    for (qreal x = back.left() + 22; x < back.right() - 4; x += 22) {
        p.fillRect(QRectF(x, back.top(), 1.2, back.height()), Colors::black(0.3));
        p.fillRect(QRectF(x + 1.2, back.top(), 1, back.height()), Colors::white(0.05));
    }
    const qreal lines[2] = {boardTop(g, 0), boardTop(g, 1)};
    const qreal ceilings[2] = {frame.top() + 6, lines[0] + board};
    for (int s = 0; s < 2; ++s) {
        const QRectF room(back.left(), ceilings[s], back.width(), lines[s] - ceilings[s]);
        p.fillRect(room,
                   vertical(room, {Colors::black(0.45), Colors::black(0.12), Colors::black(0.05)}));
        p.fillRect(QRectF(room.left(), room.top(), 14, room.height()),
                   horizontal(QRectF(room.left(), room.top(), 14, room.height()),
                              {Colors::black(0.35), Qt::transparent}));
        p.fillRect(QRectF(room.right() - 14, room.top(), 14, room.height()),
                   horizontal(QRectF(room.right() - 14, room.top(), 14, room.height()),
                              {Qt::transparent, Colors::black(0.3)}));
    }

    // The boards: a lit top face from the shelf line down, then the front edge.
    for (const qreal line : lines) {
        const QRectF face(back.left(), line, back.width(), 3);
        const QRectF front(back.left(), line + 3, back.width(), board - 3);
        p.fillRect(face, shade(kWoodLight, 1.08));
        p.fillRect(front, vertical(front, {kWood, shade(kWood, 0.8)}));
        p.fillRect(QRectF(back.left(), line + board, back.width(), 1), Colors::black(0.4));
    }

    // The sides.
    for (int s = 0; s < 2; ++s) {
        const QRectF piece(s == 0 ? frame.left() : frame.right() - side, frame.top() - 2, side,
                           frame.height() + 8);
        p.fillRect(piece,
                   horizontal(piece, s == 0 ? std::initializer_list<QColor>{kWoodLight, kWood,
                                                                            shade(kWood, 0.85)}
                                            : std::initializer_list<QColor>{shade(kWood, 0.85),
                                                                            kWood, kWoodDark}));
        p.fillRect(
            QRectF(s == 0 ? piece.right() - 1 : piece.left(), piece.top(), 1, piece.height()),
            Colors::black(0.35));
    }

    // The crown: an overhanging top with a lit upper face and a moulded lip.
    const QRectF crown(outer.left() - 6, outer.top(), outer.width() + 12, 14);
    const QRectF crownFace(crown.left(), crown.top(), crown.width(), 4);
    p.fillRect(crown, vertical(crown, {kWood, kWood, kWoodDark}));
    p.fillRect(crownFace, vertical(crownFace, {shade(kWoodLight, 1.2), kWoodLight}));
    p.fillRect(QRectF(crown.left(), crown.bottom(), crown.width(), 1.5), Colors::black(0.45));
    const QRectF lip(outer.left(), crown.bottom(), outer.width(), 5);
    p.fillRect(lip, vertical(lip, {kWoodLight, kWood}));

    // The plinth below the lower board.
    const QRectF plinth(outer.left() - 3, lines[1] + board, outer.width() + 6,
                        outer.bottom() - lines[1] - board);
    p.fillRect(plinth, vertical(plinth, {kWood, kWoodDark, shade(kWoodDark, 0.75)}));
    p.fillRect(QRectF(plinth.left(), plinth.top(), plinth.width(), 1.5),
               rgb(0.75, 0.55, 0.35, 0.7));
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

void paint(QPainter& p, const RoomGeometry& g)
{
    paintWall(p, g);
    paintWainscot(p, g);
    paintFloor(p, g);
    paintCorkboard(p, g);
    paintCabinet(p, g);
}

QSize pixelSize(QSizeF room, qreal ratio)
{
    return QSize(std::max(1, int(std::ceil(room.width() * ratio - 0.01))),
                 std::max(1, int(std::ceil(room.height() * ratio - 0.01))));
}

QImage draw(QSizeF room, qreal ratio)
{
    QImage image(pixelSize(room, ratio), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        p.scale(ratio, ratio);
        paint(p, RoomGeometry(room));
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

qreal boardTop(const RoomGeometry& g, int shelf)
{
    return g.shelfLineY(shelf);
}

} // namespace RoomPicture
