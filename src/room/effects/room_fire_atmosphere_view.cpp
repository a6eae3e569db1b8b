#include "room/effects/room_fire_atmosphere_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/fire_part.h"
#include "state/app_state.h"

#include <QPainter>

#include <algorithm>

using Colors::srgb;

namespace {
// An ember: a dot 2.6 across at the part's origin.
constexpr QRectF kEmber(0, 0, 2.6, 2.6);

// The still layers: the warm wash from corner to corner, the glow rising from the floor
// and the smoke under the ceiling.
void paintWash(QPainter& p, const QSizeF& size)
{
    const double w = size.width();
    const double h = size.height();
    const QRectF room(QPointF(0, 0), size);

    p.fillRect(room,
               Painting::linearGradient(QPointF(0, 0), QPointF(w, h),
                                        {srgb(0.86, 0.18, 0.04, 0.34), srgb(1, 0.4, 0.06, 0.36),
                                         srgb(0.68, 0.08, 0.02, 0.4)}));
    p.fillRect(room,
               Painting::radialGradient(QPointF(0.5 * w, 0.88 * h), 70, 0.95 * std::max(w, h),
                                        {srgb(1, 0.55, 0.1, 0.32), srgb(0.9, 0.22, 0.04, 0.25),
                                         srgb(0.3, 0.03, 0.01, 0.38)}));
    const double smokeHeight = 0.25 * h;
    // The smoke thins out to nothing, not to black.
    p.fillRect(QRectF(0, 0, w, smokeHeight),
               Painting::linearGradient(QPointF(0, 0), QPointF(0, smokeHeight),
                                        {srgb(0.12, 0.04, 0.02, 0.55), srgb(0.35, 0.1, 0.04, 0.3),
                                         srgb(0.35, 0.1, 0.04, 0)}));
}
} // namespace

RoomFireAtmosphereView::RoomFireAtmosphereView(AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_timeLine(appState, 1.0 / 30, 0.05)
{
    m_time = FireGeometry::secondsSinceReferenceDate(m_timeLine.date());
    connect(&m_timeLine, &TimeLine::tick, this,
            [this] { setTime(FireGeometry::secondsSinceReferenceDate(m_timeLine.date())); });
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, [this] { update(); });

    // The wash is this item's own still drawing; what moves is drawn by parts above it.
    m_flames = new FirePart(this, [this](QPainter& p) {
        if (!m_timeLine.canDraw())
            return;
        m_flameSprites.paint(
            p, m_flames->boundingRect(), size().height(), m_flameX,
            [this](int i) { return FireGeometry::atmosphereFlamePhase(i, m_time); }, m_time);
    });
    m_embers = new FireDots(this, kEmber, srgb(1, 0.72, 0.2, 0.75),
                            [this] { return m_timeLine.canDraw(); });
    placeEmbers();
}

RoomFireAtmosphereView::~RoomFireAtmosphereView()
{
    MovingPartWatcher::gone(this);
}

void RoomFireAtmosphereView::onSizeChanged()
{
    m_wash = QImage();
    // Embers drift 20 points either side of their columns, which span at least 100 points.
    m_embers->setArea(QRectF(-24, -4, std::max(size().width(), 100.0) + 48, size().height() + 8));
    // The flames may lean a little beyond the room's sides; nothing shows there.
    m_flames->setArea(FireGeometry::atmosphereFlameBand(size()).adjusted(-34, 0, 34, 0));
    // The band of flames repaints on every frame: embers within it need no repaint.
    m_embers->setRepaintedWithThem({m_flames->boundingRect()});
    m_flameX.clear();
    for (int i = 0; i < FireGeometry::atmosphereFlameCount(size().width()); ++i)
        m_flameX.append(FireGeometry::atmosphereFlameSpacing * i);
    FlameSprites::Layer flames;
    flames.shapeAt = FireGeometry::atmosphereFlame;
    flames.gradientFrom = size().height();
    flames.gradientTo = size().height() - FireGeometry::atmosphereFlameGradientHeight;
    flames.stops =
        Painting::linearGradient(
            {}, {}, {srgb(0.95, 0.2, 0.04, 0.85), srgb(1, 0.58, 0.1, 0.8), srgb(1, 0.9, 0.4, 0.6)})
            .stops();
    m_flameSprites.setLayers({flames});
    placeEmbers();
    updateWanted();
}

void RoomFireAtmosphereView::placeEmbers()
{
    QList<QPointF> places;
    for (const QRectF& ember : FireGeometry::embers(size(), m_time))
        places.append(ember.topLeft());
    m_embers->setPlaces(places);
}

void RoomFireAtmosphereView::setTime(double seconds)
{
    m_time = seconds;
    // Only the band of floor flames and the embers repaint; the wash stays.
    m_flames->repaint();
    placeEmbers();
}

const QImage& RoomFireAtmosphereView::wash(qreal devicePixelRatio)
{
    if (m_wash.isNull() || m_wash.devicePixelRatio() != devicePixelRatio) {
        m_wash = QImage((size() * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_wash.setDevicePixelRatio(devicePixelRatio);
        m_wash.fill(Qt::transparent);
        QPainter p(&m_wash);
        paintWash(p, size());
    }
    return m_wash;
}

void RoomFireAtmosphereView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // Kept pictures of the burning room leave the wash out and lay this one picture over
    // them on each frame, rather than keep it a second time, tile by tile (except where it
    // can lie in a picture kept anyway).
    if (MovingPartWatcher::takeStillPaint(this, *painter))
        return;
    if (size().isEmpty())
        return;
    painter->drawImage(QPointF(0, 0), wash(painter->device()->devicePixelRatioF()));
}

QVariant RoomFireAtmosphereView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateWanted();
    return RoomItem::itemChange(change, value);
}

void RoomFireAtmosphereView::updateWanted()
{
    m_timeLine.setWanted(scene() && isVisible() && !size().isEmpty());
}
