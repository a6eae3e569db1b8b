#include "room/effects/room_fire_atmosphere_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/fire_part.h"
#include "state/app_state.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cstring>

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
    m_wash.clear();
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

std::vector<RoomFireAtmosphereView::WashPiece>& RoomFireAtmosphereView::wash(qreal devicePixelRatio)
{
    if (m_wash.empty() || m_washRatio != devicePixelRatio) {
        m_wash.clear();
        m_washRatio = devicePixelRatio;
        // Drawn whole, then cut: the pieces hold exactly the pixels of the one picture.
        QImage whole((size() * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        if (whole.isNull())
            return m_wash;
        whole.setDevicePixelRatio(devicePixelRatio);
        whole.fill(Qt::transparent);
        {
            QPainter p(&whole);
            paintWash(p, size());
        }
        for (int y = 0; y < whole.height(); y += washPiece) {
            for (int x = 0; x < whole.width(); x += washPiece) {
                const QRect piece = QRect(x, y, washPiece, washPiece) & whole.rect();
                m_wash.push_back({whole.copy(piece), piece.topLeft()});
            }
        }
    }
    return m_wash;
}

void RoomFireAtmosphereView::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                                   QWidget*)
{
    // Kept pictures of the burning room leave the wash out and lay this one picture over
    // them on each frame, rather than keep it a second time, tile by tile (except where it
    // can lie in a picture kept anyway).
    if (MovingPartWatcher::takeStillPaint(this, *painter))
        return;
    if (size().isEmpty())
        return;
    const qreal ratio = painter->device()->devicePixelRatioF();
    std::vector<WashPiece>& pieces = wash(ratio);
    if (pieces.empty())
        return;
    const QTransform device = painter->deviceTransform();
    const QPointF origin = device.map(QPointF(0, 0));
    const QPoint pixel(qRound(origin.x()), qRound(origin.y()));
    const bool onPixels = device.type() <= QTransform::TxScale && device.m11() == ratio &&
                          device.m22() == ratio && QPointF(pixel) == origin;
    if (!onPixels) {
        // Turned, scaled or between pixels: the pieces put together again and drawn as the
        // one picture they came from, so no seam shows where the engine resamples them.
        QImage whole((size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        for (const WashPiece& piece : pieces) {
            for (int y = 0; y < piece.image.height(); ++y)
                std::memcpy(whole.scanLine(piece.at.y() + y) + piece.at.x() * 4,
                            piece.image.constScanLine(y), size_t(piece.image.width()) * 4);
        }
        whole.setDevicePixelRatio(ratio);
        painter->drawImage(QPointF(0, 0), whole);
        return;
    }
    // Only the pieces the paint reaches, each on the device pixels it covers.
    QRectF reach = option ? option->exposedRect : boundingRect();
    if (painter->hasClipping())
        reach &= painter->clipBoundingRect();
    // The pieces lie row by row on a grid of washPiece pixels: those the paint reaches are
    // found by their place, without reading each piece's picture (cold on most frames).
    const WashPiece& lastPiece = pieces.back();
    const QRect covered(QPoint(0, 0), QSize(lastPiece.at.x() + lastPiece.image.width(),
                                            lastPiece.at.y() + lastPiece.image.height()));
    const int columns = (covered.width() + washPiece - 1) / washPiece;
    const QRect wanted = device.mapRect(reach).toAlignedRect().translated(-pixel) & covered;
    if (wanted.isEmpty())
        return;
    for (int row = wanted.top() / washPiece; row <= wanted.bottom() / washPiece; ++row) {
        for (int column = wanted.left() / washPiece; column <= wanted.right() / washPiece;
             ++column) {
            WashPiece& piece = pieces[size_t(row * columns + column)];
            Painting::drawOnDevicePixels(*painter, piece.at + pixel, piece.image);
        }
    }
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
