#include "wall/analog_wall_clock_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "platform/app_launcher.h"
#include "state/app_state.h"

#include <QMenu>
#include <QPainter>

#include <cmath>

namespace {
const QColor& handInk()
{
    static const QColor c = Colors::srgb(0.14, 0.14, 0.16);
    return c;
}
const QColor& secondsRed()
{
    static const QColor c = Colors::srgb(0.98, 0.26, 0.18);
    return c;
}

const ShadowStyle kHandShadow{Colors::black(0.25), 1.5, QPointF(0.8, 1.2)};
} // namespace

QPainterPath ModernClockHand::fillShape() const
{
    QPainterPath path = Painting::capsule(QRectF(-width / 2, -length, width, length));
    if (tail > 0)
        path.addPath(Painting::capsule(QRectF(-width / 2, 0, width, tail)));
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath ModernClockHand::ringShape() const
{
    if (tail <= 0 || !hasCounterRing)
        return {};
    return Painting::circle(QPointF(0, tail * 0.65), 3);
}

// The still part of the face: case, bezel, dial, dots, ticks and glass, rendered once per
// size through the item cache.
class AnalogWallClockView::Face : public RoomItem {
public:
    explicit Face(QGraphicsItem* parent) : RoomItem(parent)
    {
        setCacheMode(DeviceCoordinateCache);
        setPaintMargins(QMarginsF(10, 10, 14, 16));
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        paintFillsWhole(*this, *painter, boundingRect(), [&](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing);
            const qreal side = std::min(size().width(), size().height());
            const qreal r = side / 2;
            const QPointF c = rect().center();
            if (side <= 0)
                return;

            m_shadow.paint(p, Painting::circle(c, 0.48 * side),
                           ShadowStyle{Colors::black(0.35), 5, {2, 5}});
            const QRectF face(c.x() - r, c.y() - r, side, side);
            const QPainterPath caseShape = Painting::circle(c, side / 2);
            p.fillPath(caseShape,
                       Painting::diagonalGradient(
                           face, {Colors::srgb(0.88, 0.90, 0.92), Colors::srgb(0.62, 0.65, 0.68),
                                  Colors::srgb(0.38, 0.40, 0.44), Colors::srgb(0.75, 0.77, 0.80)}));
            p.strokePath(caseShape, QPen(Colors::white(0.4), 0.8));

            const QPainterPath bezel = Painting::circle(c, 0.46 * side);
            m_bezelShadow.paint(p, bezel, ShadowStyle{Colors::black(0.3), 2, {0, 1}});
            p.fillPath(bezel,
                       Painting::linearGradient(
                           QPointF(c.x(), c.y() - 0.46 * side), QPointF(c.x(), c.y() + 0.46 * side),
                           {Colors::srgb(0.16, 0.18, 0.20), Colors::srgb(0.28, 0.30, 0.32)}));

            const QPainterPath dial = Painting::circle(c, 0.44 * side);
            p.fillPath(dial, Painting::radialGradient(c, 2, 0.88 * r,
                                                      {Colors::srgb(0.99, 0.99, 1.00),
                                                       Colors::srgb(0.96, 0.96, 0.98),
                                                       Colors::srgb(0.92, 0.93, 0.95)}));

            // The minute dots, and the hour ticks reaching inward from their ring.
            p.save();
            p.translate(c);
            p.setPen(Qt::NoPen);
            for (int i = 0; i < 60; ++i) {
                if (i % 5 == 0)
                    continue;
                p.save();
                p.rotate(i * 6);
                p.setBrush(Colors::srgb(0.20, 0.20, 0.22, 0.35));
                p.drawEllipse(QPointF(0, -0.74 * r), 0.6, 0.6);
                p.restore();
            }
            for (int i = 0; i < 12; ++i) {
                const bool quarter = i % 3 == 0;
                const qreal w = quarter ? 3.0 : 1.6;
                const qreal l = quarter ? 9.5 : 6.5;
                p.save();
                p.rotate(i * 30);
                p.fillPath(Painting::capsule(QRectF(-w / 2, -0.74 * r, w, l)),
                           Colors::srgb(0.12, 0.12, 0.14));
                p.restore();
            }
            p.restore();

            const QRectF dialRect(c.x() - 0.44 * side, c.y() - 0.44 * side, 0.88 * side,
                                  0.88 * side);
            p.fillPath(dial, Painting::linearGradient(
                                 dialRect.topLeft(), c,
                                 {Colors::white(0.22), Colors::white(0.04), Qt::transparent}));
        });
    }

private:
    ShapeShadow m_shadow;
    ShapeShadow m_bezelShadow;
};

// The hands, the centre cap and the centre dot: the part that moves.
class AnalogWallClockView::Hands : public RoomItem {
public:
    explicit Hands(AnalogWallClockView& clock) : RoomItem(&clock), m_clock(clock)
    {
        setPaintMargins(QMarginsF(4, 4, 4, 4));
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        QPainter& p = *painter;
        p.setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(size().width(), size().height());
        if (side <= 0)
            return;
        const QPointF c = rect().center();
        const Angles angles = AnalogWallClockView::angles(m_clock.shownDate().time());
        const auto hands = AnalogWallClockView::hands(side / 2, angles);
        const qreal ratio = Painting::cachePixelRatio(p);
        const int count = m_clock.showsSecondsHand() ? 3 : 2;
        for (int i = 0; i < count; ++i)
            paintHand(p, c, hands[size_t(i)], i, side, ratio);

        // The centre cap and dot.
        const QPainterPath cap = Painting::circle(c, 3.5);
        m_capShadow.paint(p, cap, ShadowStyle{Colors::black(0.3), 1, {0, 1}});
        const QRectF capRect = cap.boundingRect();
        p.fillPath(cap,
                   Painting::diagonalGradient(capRect, {QColor::fromRgbF(0.35f, 0.35f, 0.35f),
                                                        QColor::fromRgbF(0.15f, 0.15f, 0.15f)}));
        p.strokePath(cap, QPen(Colors::white(0.3), 0.6));
        p.fillPath(Painting::circle(c, 1.3), secondsRed());
    }

private:
    // A hand's shadow is blurred once, pointing up, and turned with the hand: a blur looks
    // the same whichever way it is turned, and the offset stays below the hand.
    struct Sprite {
        QImage image;
        QPointF topLeft;
        qreal side = 0;
        qreal ratio = 0;
    };

    void paintHand(QPainter& p, QPointF c, const ModernClockHand& hand, int index, qreal side,
                   qreal ratio)
    {
        const QPainterPath ring = hand.ringShape();
        Sprite& sprite = m_sprites[size_t(index)];
        if (sprite.side != side || sprite.ratio != ratio || sprite.image.isNull()) {
            // Uniting the outlines costs more than the rest of the hand: only for a new sprite.
            QPainterPath silhouette = hand.fillShape();
            if (!ring.isEmpty()) {
                QPainterPathStroker stroker;
                stroker.setWidth(hand.ringLineWidth());
                silhouette = silhouette.united(stroker.createStroke(ring));
            }
            sprite.image = SoftShadow::ofPath(silhouette, kHandShadow.radius, kHandShadow.color,
                                              ratio, &sprite.topLeft);
            sprite.side = side;
            sprite.ratio = ratio;
        }
        p.save();
        p.translate(c + kHandShadow.offset);
        p.rotate(hand.angle);
        p.drawImage(sprite.topLeft, sprite.image);
        p.restore();

        p.save();
        p.translate(c);
        p.rotate(hand.angle);
        p.fillPath(hand.fillShape(), hand.color);
        if (!ring.isEmpty())
            p.strokePath(ring, QPen(hand.color, hand.ringLineWidth()));
        p.restore();
    }

    AnalogWallClockView& m_clock;
    std::array<Sprite, 3> m_sprites;
    ShapeShadow m_capShadow;
};

AnalogWallClockView::AnalogWallClockView(AppState& appState, std::optional<QDateTime> overrideDate,
                                         QGraphicsItem* parent)
    : RoomItem(parent), m_appState(appState), m_overrideDate(std::move(overrideDate)),
      m_timeLine(appState, 1.0, 60.0)
{
    setFlag(ItemHasNoContents);
    m_face = new Face(this);
    m_hands = new Hands(*this);
    stopTakingPointer(m_face);
    stopTakingPointer(m_hands);

    gestures().onDoubleTap([] { openClockApp(); });
    gestures().onTap([this] { showQuickView(); });
    gestures().setContextMenu([this](QMenu& menu) { populateContextMenu(menu); });
    gestures().setToolTip(
        QStringLiteral("Jam Dinding: Klik untuk melihat detail, klik 2x untuk buka aplikasi Jam"));

    // Only the hands are drawn again on a tick: the face stays in its cache.
    connect(&m_timeLine, &TimeLine::tick, m_hands, [this] { m_hands->update(); });
    connect(&m_appState, &AppState::isWindowVisibleChanged, m_hands, [this] { m_hands->update(); });
    m_timeLine.setIntervalWhileHidden(60.0);
    m_timeLine.setWanted(true);
}

AnalogWallClockView::Angles AnalogWallClockView::angles(const QTime& time)
{
    const double hour12 = time.hour() % 12;
    const double minute = time.minute();
    const double second = time.second();
    return {(hour12 + minute / 60 + second / 3600) * 30, (minute + second / 60) * 6, second * 6};
}

std::array<ModernClockHand, 3> AnalogWallClockView::hands(qreal r, const Angles& a)
{
    return {{
        {0.48 * r, 3.4, handInk(), a.hour, 0.10 * r, false},
        {0.72 * r, 2.2, handInk(), a.minute, 0.12 * r, false},
        {0.80 * r, 1.2, secondsRed(), a.second, 0.20 * r, true},
    }};
}

QDateTime AnalogWallClockView::shownDate() const
{
    return (m_overrideDate ? *m_overrideDate : m_timeLine.date()).toLocalTime();
}

QRectF AnalogWallClockView::faceRect() const
{
    const qreal side = std::min(size().width(), size().height());
    return QRectF(rect().center() - QPointF(side / 2, side / 2), QSizeF(side, side));
}

bool AnalogWallClockView::showsSecondsHand() const
{
    return m_appState.isWindowVisible();
}

void AnalogWallClockView::onSizeChanged()
{
    m_face->setSize(size());
    m_hands->setSize(size());
    const QPainterPath hit = Painting::ellipse(faceRect());
    setHitShape(hit);
}

void AnalogWallClockView::showQuickView()
{
    m_appState.toggleQuickView(ActiveDesktopQuickView::clock());
}

void AnalogWallClockView::openClockApp()
{
    AppLauncher::launch(AppLauncher::Target::ClockApp);
}

void AnalogWallClockView::populateContextMenu(QMenu& menu)
{
    Gestures::addMenuAction(menu, QStringLiteral("Buka Jam Sistem (Clock)"),
                            [] { openClockApp(); });
}
