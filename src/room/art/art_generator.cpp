// Draws the room's own pictures and writes them into the folder given on the command line;
// the build runs it and compiles what it writes into the program:
//
//   background.pixels, background@2x.jpg  the room (wall, wainscot, floor, the framed cork
//                                       board and the bookshelf's cabinet) at 1440 x 900 and
//                                       twice
//   plaque_quennet.pixels, plaque_tolvane.pixels  the two award plaques on their stands
//   walpaper.pixels                     the computer's desktop picture
//
// The opaque pictures are drawn for JPEG at quality 95 (the flat colours and gradients keep
// clean edges), the plaques for PNG. Those the room shows as it starts are kept as the
// pixels their JPEG or PNG decodes to (kit/picture_pixels.h): the room reads them where they
// lie in the program instead of decoding them, some 12 ms of its start. The sharper twin of
// the room, shown only on a denser screen, stays a JPEG: kept as pixels it would be 20 MB.
//
// Everything is drawn from the room's own layout at 1440 x 900, so the cork board and the
// cabinet lie under the pieces that stand on them. Nothing is random from run to run: the
// speckles and the planks come from a fixed sequence.
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/picture_pixels.h"
#include "kit/room_geometry.h"
#include "state/tolvane_colors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace {
constexpr QSizeF kRoom{1440, 900};
// The plaque frame's width to height.
constexpr qreal kPlaqueAspect = 0.7931034482758621;
constexpr QSizeF kPlaque{276, 348};
constexpr QSizeF kWallpaper{256, 160};

// A fixed sequence of numbers from 0 to 1 (xorshift), so every build draws the same picture.
class Sequence {
public:
    explicit Sequence(std::uint32_t seed) : m_state(seed ? seed : 1) {}
    qreal next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return qreal(m_state % 100000) / 100000.0;
    }
    qreal between(qreal low, qreal high) { return low + (high - low) * next(); }

private:
    std::uint32_t m_state;
};

QColor rgb(qreal r, qreal g, qreal b, qreal a = 1)
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

// --- The room ---------------------------------------------------------------------------

const QColor kBrown = rgb(0.32, 0.2, 0.12);
const QColor kWoodLight = rgb(0.62, 0.42, 0.25);
const QColor kWood = rgb(0.47, 0.3, 0.17);
const QColor kWoodDark = rgb(0.3, 0.18, 0.1);

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
    const qreal lines[2] = {g.shelfLineY(0), g.shelfLineY(1)};
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

void paintRoom(QPainter& p)
{
    const RoomGeometry g(kRoom);
    paintWall(p, g);
    paintWainscot(p, g);
    paintFloor(p, g);
    paintCorkboard(p, g);
    paintCabinet(p, g);
}

// --- The logos (the same shapes as the SVG files shipped beside the program) -----------

// In a 100 x 100 box.
void paintQuennetLogo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(TOLVANEColors::electricBlue());
    p.drawEllipse(QPointF(50, 50), 48, 48);
    p.setBrush(Qt::NoBrush);
    QPen ring(TOLVANEColors::cleanWhite(), 12, Qt::SolidLine, Qt::RoundCap);
    p.setPen(ring);
    p.drawEllipse(QPointF(50, 47), 24, 24);
    p.drawLine(QPointF(60, 60), QPointF(75, 77));
    p.setPen(Qt::NoPen);
    p.setBrush(TOLVANEColors::highlighterGreen());
    p.drawEllipse(QPointF(76, 24), 8, 8);
}

void paintTolvaneLogo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(TOLVANEColors::ink());
    p.drawEllipse(QPointF(50, 50), 48, 48);
    p.setBrush(TOLVANEColors::highlighterGreen());
    p.drawRoundedRect(QRectF(24, 25, 52, 13), 3, 3);
    p.drawRoundedRect(QRectF(43.5, 25, 13, 50), 3, 3);
    p.setBrush(TOLVANEColors::pink());
    p.drawEllipse(QPointF(71, 68), 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(TOLVANEColors::cleanWhite(), 2.5));
    p.drawEllipse(QPointF(50, 50), 42, 42);
}

// --- The plaques -------------------------------------------------------------------------

struct PlaqueLook {
    QColor bodyLight, bodyDark;
    QColor trimLight, trimDark;
    std::function<void(QPainter&)> logo;
};

void paintPlaque(QPainter& p, const PlaqueLook& look)
{
    const qreal w = kPlaque.width(), h = kPlaque.height();
    p.setRenderHint(QPainter::Antialiasing);

    // The stand's contact shadow and the stand: a block with a bevelled top.
    p.setPen(Qt::NoPen);
    QPainterPath contact;
    contact.addEllipse(QRectF(18, h - 16, w - 36, 14));
    softShadow(p, contact, Colors::black(0.45), 6, {});
    const QRectF stand(26, h - 52, w - 52, 42);
    const QRectF standTop(stand.left() + 8, stand.top() - 10, stand.width() - 16, 12);
    p.setBrush(vertical(standTop, {shade(kWoodLight, 1.2), kWoodLight}));
    p.drawPath(Painting::continuousRoundedRect(standTop, 3));
    p.setBrush(vertical(stand, {kWood, kWoodDark, shade(kWoodDark, 0.7)}));
    p.drawPath(Painting::continuousRoundedRect(stand, 5));
    p.setBrush(Colors::white(0.18));
    p.drawRect(QRectF(stand.left() + 4, stand.top() + 1, stand.width() - 8, 1.5));

    // The plaque: an arched top, straight sides, set into the stand.
    const QRectF body(40, 10, w - 80, h - 64);
    QPainterPath shape;
    const qreal arch = 46;
    shape.moveTo(body.left(), body.bottom());
    shape.lineTo(body.left(), body.top() + arch);
    shape.cubicTo(body.left(), body.top() + 8, body.center().x() - 40, body.top(),
                  body.center().x(), body.top());
    shape.cubicTo(body.center().x() + 40, body.top(), body.right(), body.top() + 8, body.right(),
                  body.top() + arch);
    shape.lineTo(body.right(), body.bottom());
    shape.closeSubpath();
    softShadow(p, shape, Colors::black(0.4), 6, QPointF(0, 3));
    p.setBrush(Painting::linearGradient(body.topLeft(), body.bottomRight(),
                                        {look.bodyLight, look.bodyDark}));
    p.drawPath(shape);
    // The gilt trim: an outer band and an inner line.
    const QLinearGradient gilt =
        Painting::linearGradient(body.topLeft(), body.bottomRight(),
                                 {look.trimLight, look.trimDark, look.trimLight, look.trimDark});
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(gilt), 6));
    p.drawPath(shape);
    QTransform inset;
    inset.translate(body.center().x(), body.center().y());
    inset.scale((body.width() - 24) / body.width(), (body.height() - 24) / body.height());
    inset.translate(-body.center().x(), -body.center().y());
    p.setPen(QPen(QBrush(gilt), 1.6));
    p.drawPath(inset.map(shape));

    // The medallion with the logo.
    const QPointF centre(w / 2, body.top() + 86);
    const qreal radius = 58;
    p.setPen(Qt::NoPen);
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    softShadow(p, disc, Colors::black(0.45), 4, QPointF(0, 2));
    p.setBrush(Painting::linearGradient(centre - QPointF(radius, radius),
                                        centre + QPointF(radius, radius),
                                        {look.trimLight, look.trimDark, look.trimLight}));
    p.drawPath(disc);
    p.setBrush(Painting::linearGradient(centre + QPointF(radius, radius),
                                        centre - QPointF(radius, radius),
                                        {look.trimLight, look.trimDark}));
    p.drawEllipse(centre, radius - 5, radius - 5);
    p.save();
    p.translate(centre - QPointF(radius - 9, radius - 9));
    p.scale((radius - 9) * 2 / 100, (radius - 9) * 2 / 100);
    look.logo(p);
    p.restore();

    // The engraved plate: three lines of lettering, each cut dark with a lit lower edge.
    const QRectF plate(w / 2 - 70, body.top() + 168, 140, 72);
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::black(0.35));
    p.drawPath(Painting::continuousRoundedRect(plate.translated(0, 1.5), 4));
    p.setBrush(
        Painting::linearGradient(plate.topLeft(), plate.bottomRight(),
                                 {shade(look.trimLight, 1.05), look.trimDark, look.trimLight}));
    p.drawPath(Painting::continuousRoundedRect(plate, 4));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::black(0.3), 1));
    p.drawPath(Painting::continuousRoundedRect(plate.adjusted(5, 5, -5, -5), 2));
    p.setPen(Qt::NoPen);
    const QColor cut = rgb(0.22, 0.14, 0.06, 0.7);
    const QColor lit = Colors::white(0.45);
    struct Line {
        qreal y, width, height;
    };
    for (const Line& line : {Line{plate.top() + 17, 92, 7}, Line{plate.top() + 33, 70, 4.5},
                             Line{plate.top() + 45, 82, 3.5}, Line{plate.top() + 55, 44, 3.5}}) {
        const QRectF bar(w / 2 - line.width / 2, line.y, line.width, line.height);
        p.setBrush(lit);
        p.drawPath(Painting::continuousRoundedRect(bar.translated(0, 1), line.height / 2));
        p.setBrush(cut);
        p.drawPath(Painting::continuousRoundedRect(bar, line.height / 2));
    }
    // Two small stars beside the title.
    for (const qreal x : {plate.left() + 14, plate.right() - 14}) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal angle = M_PI / 2 + i * M_PI / 5;
            const qreal r = i % 2 == 0 ? 5 : 2.2;
            const QPointF pt(x + r * std::cos(angle), plate.top() + 20.5 - r * std::sin(angle));
            i == 0 ? star.moveTo(pt) : star.lineTo(pt);
        }
        star.closeSubpath();
        p.setBrush(cut);
        p.drawPath(star);
    }

    // A gloss across the upper left of the plaque.
    QPainterPath gloss;
    gloss.moveTo(body.left() + 6, body.top() + arch);
    gloss.cubicTo(body.left() + 6, body.top() + 14, body.center().x() - 34, body.top() + 6,
                  body.center().x(), body.top() + 6);
    gloss.lineTo(body.left() + 6, body.top() + 150);
    gloss.closeSubpath();
    p.setBrush(Painting::linearGradient(body.topLeft(), body.center(),
                                        {Colors::white(0.22), Colors::white(0.0)}));
    p.drawPath(gloss);
}

// --- The computer's desktop picture -----------------------------------------------------

void paintWallpaper(QPainter& p)
{
    const qreal w = kWallpaper.width(), h = kWallpaper.height();
    const QRectF all(0, 0, w, h);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(all, vertical(all, {TOLVANEColors::nightNavy(), rgb(0.07, 0.05, 0.42),
                                   TOLVANEColors::electricBlue()}));
    // A warm glow low on the right, a green one high on the left.
    p.fillRect(all, Painting::radialGradient(QPointF(0.78 * w, 0.82 * h), 0, 0.6 * w,
                                             {Colors::withOpacity(TOLVANEColors::pink(), 0.55),
                                              Colors::withOpacity(TOLVANEColors::pink(), 0.0)}));
    p.fillRect(all, Painting::radialGradient(
                        QPointF(0.15 * w, 0.2 * h), 0, 0.45 * w,
                        {Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.22),
                         Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.0)}));
    // Small stars in the dark upper half.
    Sequence stars(99);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        p.setBrush(Colors::white(stars.between(0.25, 0.8)));
        const qreal r = stars.between(0.4, 1.1);
        p.drawEllipse(QPointF(stars.next() * w, stars.next() * 0.5 * h), r, r);
    }
    // Rolling waves, back to front.
    struct Wave {
        qreal base, amplitude, length, phase;
        QColor top, bottom;
    };
    const Wave waves[] = {
        {0.58, 10, 0.9, 0.3, rgb(0.2, 0.17, 0.85, 0.85), rgb(0.1, 0.07, 0.6, 0.9)},
        {0.7, 12, 0.7, 1.9, rgb(0.55, 0.15, 0.85, 0.8), rgb(0.2, 0.08, 0.55, 0.9)},
        {0.82, 9, 1.1, 4.0, rgb(0.07, 0.05, 0.3), TOLVANEColors::nightNavy()},
    };
    for (const Wave& wave : waves) {
        QPainterPath path;
        path.moveTo(0, h);
        for (int x = 0; x <= int(w); x += 4) {
            const qreal y =
                wave.base * h +
                wave.amplitude * std::sin(x / (wave.length * w) * 2 * M_PI + wave.phase);
            path.lineTo(x, y);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        const QRectF r(0, wave.base * h - wave.amplitude, w, h);
        p.fillPath(path, vertical(r, {wave.top, wave.bottom}));
    }
    // A bright line riding the middle wave.
    QPainterPath line;
    for (int x = 0; x <= int(w); x += 4) {
        const qreal y = 0.64 * h + 11 * std::sin(x / (0.8 * w) * 2 * M_PI + 1.2);
        x == 0 ? line.moveTo(x, y) : line.lineTo(x, y);
    }
    p.strokePath(line, QPen(Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.8), 1.6));
    p.strokePath(line.translated(0, 5), QPen(Colors::white(0.25), 0.8));
}

// Writes the picture `draw` paints at `size` times `scale` as `name`: a ".jpg" or ".png" file,
// or for a ".pixels" name the pixels its JPEG (opaque) or PNG decodes to.
bool write(const QString& folder, const QString& name, QSizeF size, qreal scale,
           const std::function<void(QPainter&)>& draw, bool opaque = true)
{
    QImage image((size * scale).toSize(),
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.scale(scale, scale);
        draw(p);
    }
    const bool pixels = name.endsWith(QLatin1String(".pixels"));
    const bool jpeg = pixels ? opaque : name.endsWith(QLatin1String(".jpg"));
    const char* format = jpeg ? "jpg" : "png";
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, format, jpeg ? 95 : -1))
            encoded.clear();
    }
    QByteArray bytes = encoded;
    if (pixels && !encoded.isEmpty()) {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        bytes = PicturePixels::encode(reader.read());
    }
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    // The palette and the shadows need no display; nothing here draws text.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString out = args.at(1);
    QDir().mkpath(out);
    static_assert(kPlaque.width() / kPlaque.height() > kPlaqueAspect - 0.001 &&
                  kPlaque.width() / kPlaque.height() < kPlaqueAspect + 0.001);

    const PlaqueLook quennet{rgb(0.55, 0.33, 0.18), rgb(0.28, 0.15, 0.07), rgb(0.98, 0.85, 0.5),
                             rgb(0.7, 0.5, 0.2), paintQuennetLogo};
    const PlaqueLook tolvane{rgb(0.16, 0.14, 0.3), TOLVANEColors::nightNavy(),
                             rgb(0.96, 0.88, 0.62), rgb(0.66, 0.52, 0.26), paintTolvaneLogo};
    bool ok = true;
    ok &= write(out, QStringLiteral("background.pixels"), kRoom, 1, paintRoom);
    ok &= write(out, QStringLiteral("background@2x.jpg"), kRoom, 2, paintRoom);
    ok &= write(
        out, QStringLiteral("plaque_quennet.pixels"), kPlaque, 1,
        [&](QPainter& p) { paintPlaque(p, quennet); }, false);
    ok &= write(
        out, QStringLiteral("plaque_tolvane.pixels"), kPlaque, 1,
        [&](QPainter& p) { paintPlaque(p, tolvane); }, false);
    ok &= write(out, QStringLiteral("walpaper.pixels"), kWallpaper, 2, paintWallpaper);
    return ok ? 0 : 1;
}
