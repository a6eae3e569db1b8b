#include "room/effects/asset_fire_effect_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/fire_geometry.h"
#include "state/app_state.h"

#include <QPainter>

using Colors::srgb;

namespace {
void fillFlames(QPainter* painter, const FireGeometry::FlameLayer& layer, double width)
{
    const double x = width / 2;
    painter->fillPath(
        layer.outer,
        Painting::linearGradient(QPointF(x, layer.baseline), QPointF(x, layer.outerGradientTo),
                                 {srgb(0.95, 0.18, 0.04, 0.88), srgb(1, 0.48, 0.06, 0.85)}));
    painter->fillPath(layer.inner,
                      Painting::linearGradient(QPointF(x, layer.baseline),
                                               QPointF(x, layer.innerGradientTo),
                                               {srgb(1, 0.65, 0.12), srgb(1, 0.96, 0.65, 0.95)}));
}
} // namespace

AssetFireEffectView::AssetFireEffectView(AppState& appState, qreal flameHeight, bool showBaseFlames,
                                         bool showTopFlames, QGraphicsItem* parent)
    : RoomItem(parent), m_flameHeight(flameHeight), m_showBaseFlames(showBaseFlames),
      m_showTopFlames(showTopFlames), m_timeLine(appState, 1.0 / 30, 0.05)
{
    m_time = FireGeometry::secondsSinceReferenceDate(m_timeLine.date());
    connect(&m_timeLine, &TimeLine::tick, this,
            [this] { setTime(FireGeometry::secondsSinceReferenceDate(m_timeLine.date())); });
    // Hidden: the flames vanish at once; shown again: they come back on the next frame.
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, [this] { update(); });
}

void AssetFireEffectView::onSizeChanged()
{
    // The flames, the sparks and the glow reach beyond the piece's frame.
    const QRectF frame = rect();
    const QRectF bounds = FireGeometry::drawsAnything(size())
                              ? FireGeometry::paintBounds(size(), m_flameHeight)
                              : frame;
    setPaintMargins(QMarginsF(frame.left() - bounds.left(), frame.top() - bounds.top(),
                              bounds.right() - frame.right(), bounds.bottom() - frame.bottom()));
    updateWanted();
}

void AssetFireEffectView::setTime(double seconds)
{
    m_time = seconds;
    update();
}

void AssetFireEffectView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_timeLine.canDraw() || !FireGeometry::drawsAnything(size()))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);

    painter->fillPath(Painting::continuousRoundedRect(FireGeometry::glowRect(size()),
                                                      FireGeometry::glowCornerRadius),
                      srgb(1, 0.35, 0.05, 0.18));

    if (m_showBaseFlames) {
        fillFlames(
            painter,
            FireGeometry::flameLayer(FireGeometry::Edge::Base, size(), m_flameHeight, m_time),
            size().width());
    }
    if (m_showTopFlames) {
        fillFlames(painter,
                   FireGeometry::flameLayer(FireGeometry::Edge::Top, size(), m_flameHeight, m_time),
                   size().width());
    }

    painter->setBrush(srgb(1, 0.88, 0.3, 0.75));
    for (const QRectF& spark : FireGeometry::sparks(size(), m_flameHeight, m_time))
        painter->drawEllipse(spark);
    painter->restore();
}

QVariant AssetFireEffectView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateWanted();
    return RoomItem::itemChange(change, value);
}

void AssetFireEffectView::updateWanted()
{
    m_timeLine.setWanted(scene() && isVisible() && FireGeometry::drawsAnything(size()));
}
