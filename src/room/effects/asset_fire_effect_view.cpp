#include "room/effects/asset_fire_effect_view.h"

#include "room/effects/fire_geometry.h"
#include "state/app_state.h"

#include <QLinearGradient>
#include <QPainter>

namespace {
// The fire's colours: (red, green, blue) in sRGB with an opacity.
QColor fireColor(float r, float g, float b, float a)
{
    return QColor::fromRgbF(r, g, b, a);
}

void fillFlames(QPainter* painter, const FireGeometry::FlameLayer& layer, double width)
{
    const double x = width / 2;
    QLinearGradient outer(x, layer.baseline, x, layer.outerGradientTo);
    outer.setColorAt(0, fireColor(0.95f, 0.18f, 0.04f, 0.88f));
    outer.setColorAt(1, fireColor(1, 0.48f, 0.06f, 0.85f));
    painter->fillPath(layer.outer, outer);

    QLinearGradient inner(x, layer.baseline, x, layer.innerGradientTo);
    inner.setColorAt(0, fireColor(1, 0.65f, 0.12f, 1));
    inner.setColorAt(1, fireColor(1, 0.96f, 0.65f, 0.95f));
    painter->fillPath(layer.inner, inner);
}
} // namespace

AssetFireEffectView::AssetFireEffectView(AppState& appState, qreal flameHeight, bool showBaseFlames,
                                         bool showTopFlames, QGraphicsItem* parent)
    : QGraphicsObject(parent), m_flameHeight(flameHeight), m_showBaseFlames(showBaseFlames),
      m_showTopFlames(showTopFlames), m_timeLine(appState, 1.0 / 30, 0.05)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    m_time = FireGeometry::secondsSinceReferenceDate(m_timeLine.date());
    connect(&m_timeLine, &TimeLine::tick, this,
            [this] { setTime(FireGeometry::secondsSinceReferenceDate(m_timeLine.date())); });
    // Hidden: the flames vanish at once; shown again: they come back on the next frame.
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, [this] { update(); });
}

void AssetFireEffectView::setFrame(const QRectF& frame)
{
    if (frame.size() != m_size) {
        prepareGeometryChange();
        m_size = frame.size();
    }
    setPos(frame.topLeft());
    updateWanted();
}

void AssetFireEffectView::setTime(double seconds)
{
    m_time = seconds;
    update();
}

QRectF AssetFireEffectView::boundingRect() const
{
    if (!FireGeometry::drawsAnything(m_size))
        return {};
    return FireGeometry::paintBounds(m_size, m_flameHeight);
}

void AssetFireEffectView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_timeLine.canDraw() || !FireGeometry::drawsAnything(m_size))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);

    QPainterPath glow;
    glow.addRoundedRect(FireGeometry::glowRect(m_size), FireGeometry::glowCornerRadius,
                        FireGeometry::glowCornerRadius);
    painter->fillPath(glow, fireColor(1, 0.35f, 0.05f, 0.18f));

    if (m_showBaseFlames) {
        fillFlames(
            painter,
            FireGeometry::flameLayer(FireGeometry::Edge::Base, m_size, m_flameHeight, m_time),
            m_size.width());
    }
    if (m_showTopFlames) {
        fillFlames(painter,
                   FireGeometry::flameLayer(FireGeometry::Edge::Top, m_size, m_flameHeight, m_time),
                   m_size.width());
    }

    painter->setBrush(fireColor(1, 0.88f, 0.3f, 0.75f));
    for (const QRectF& spark : FireGeometry::sparks(m_size, m_flameHeight, m_time))
        painter->drawEllipse(spark);
    painter->restore();
}

QVariant AssetFireEffectView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateWanted();
    return QGraphicsObject::itemChange(change, value);
}

void AssetFireEffectView::updateWanted()
{
    m_timeLine.setWanted(scene() && isVisible() && FireGeometry::drawsAnything(m_size));
}
