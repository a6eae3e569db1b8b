#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <initializer_list>

class QPainter;
class QPainterPath;
class RoomGeometry;

// The room's own picture: the striped wall, the rail and wainscot, the wooden floor, the
// framed cork board and the bookshelf's cabinet, drawn for a room of any size from its
// layout (kit/room_geometry.h), so the cork board lies under the corkboard and the
// cabinet's boards are the lines the shelf's rows stand on. The art generator draws it at
// 1440 x 900 for the program to carry; a window of another size has it drawn for its own
// size (room/room_picture_store.h). Draws into images only, so it may run on any thread.
// Nothing is random from run to run: the speckles and the planks come from fixed sequences.
namespace RoomPicture {

// The size the program carries the picture at, and its sharper twin at twice.
inline constexpr QSizeF kCarriedSize{1440, 900};

// The room of `room` points at `ratio` device pixels a point: an opaque picture of
// `pixelSize(room, ratio)` with that device pixel ratio.
QImage draw(QSizeF room, qreal ratio = 1);
QSize pixelSize(QSizeF room, qreal ratio);
// The same, through `p` in points.
void paint(QPainter& p, const RoomGeometry& g);

// The cabinet's boards: where the lit top face of each begins, the upper board (0) and
// the lower one (1), which is where the shelf's rows stand.
qreal boardTop(const RoomGeometry& g, int shelf);

// What the room's other pictures (the plaques, the computer's desktop) share with it.
namespace Art {
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

QColor rgb(qreal r, qreal g, qreal b, qreal a = 1);
// Each channel times `factor`, held to 0..1.
QColor shade(const QColor& c, qreal factor);
QLinearGradient vertical(const QRectF& r, std::initializer_list<QColor> colors);
QLinearGradient horizontal(const QRectF& r, std::initializer_list<QColor> colors);
void softShadow(QPainter& p, const QPainterPath& shape, const QColor& color, qreal radius,
                QPointF offset);

// The woods of the room's furniture.
QColor brown();
QColor woodLight();
QColor wood();
QColor woodDark();
} // namespace Art

} // namespace RoomPicture
