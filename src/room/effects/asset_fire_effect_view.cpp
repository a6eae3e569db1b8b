#include "room/effects/asset_fire_effect_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/fire_part.h"
#include "state/app_state.h"

#include <QPainter>

using Colors::srgb;

namespace {
// A dot 2.6 across at the part's origin, e.g. a spark.
constexpr QRectF kDot(0, 0, 2.6, 2.6);
const QRectF kDotArea = kDot.adjusted(-1, -1, 1, 1);
} // namespace

AssetFireEffectView::AssetFireEffectView(AppState& appState, qreal flameHeight, bool showBaseFlames,
                                         bool showTopFlames, QGraphicsItem* parent)
    : RoomItem(parent), m_flameHeight(flameHeight), m_timeLine(appState, 1.0 / 30, 0.05)
{
    m_time = FireGeometry::secondsSinceReferenceDate(m_timeLine.date());
    // Drawn in this order: glow (this item), base flames, top flames, sparks.
    if (showBaseFlames)
        m_rows.append({FireGeometry::Edge::Base, flameRow(FireGeometry::Edge::Base)});
    if (showTopFlames)
        m_rows.append({FireGeometry::Edge::Top, flameRow(FireGeometry::Edge::Top)});
    connect(&m_timeLine, &TimeLine::tick, this,
            [this] { setTime(FireGeometry::secondsSinceReferenceDate(m_timeLine.date())); });
    // Hidden: the flames vanish at once; shown again: they come back on the next frame.
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, [this] { update(); });
}

AssetFireEffectView::~AssetFireEffectView() = default;

FirePart* AssetFireEffectView::flameRow(FireGeometry::Edge edge)
{
    return new FirePart(this, [this, edge](QPainter& p) {
        if (!isDrawing())
            return;
        const FireGeometry::FlameLayer layer =
            FireGeometry::flameLayer(edge, size(), m_flameHeight, m_time);
        const double x = size().width() / 2;
        p.fillPath(layer.outer, Painting::linearGradient(
                                    QPointF(x, layer.baseline), QPointF(x, layer.outerGradientTo),
                                    {srgb(0.95, 0.18, 0.04, 0.88), srgb(1, 0.48, 0.06, 0.85)}));
        p.fillPath(layer.inner, Painting::linearGradient(
                                    QPointF(x, layer.baseline), QPointF(x, layer.innerGradientTo),
                                    {srgb(1, 0.65, 0.12), srgb(1, 0.96, 0.65, 0.95)}));
    });
}

bool AssetFireEffectView::isDrawing() const
{
    return m_timeLine.canDraw() && FireGeometry::drawsAnything(size());
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
    m_glow = Painting::continuousRoundedRect(FireGeometry::glowRect(size()),
                                             FireGeometry::glowCornerRadius);
    for (const Row& row : m_rows)
        row.part->setArea(FireGeometry::flameBand(row.edge, size(), m_flameHeight));
    const int sparks = FireGeometry::sparkCount(size().width());
    while (m_sparks.size() > sparks)
        delete m_sparks.takeLast();
    while (m_sparks.size() < sparks) {
        auto* spark = new FirePart(this, [this](QPainter& p) {
            if (!isDrawing())
                return;
            p.setBrush(srgb(1, 0.88, 0.3, 0.75));
            p.drawEllipse(kDot);
        });
        spark->setArea(kDotArea);
        m_sparks.append(spark);
    }
    placeSparks();
    updateWanted();
}

void AssetFireEffectView::setTime(double seconds)
{
    m_time = seconds;
    // Only the moving parts repaint: the rows of flames and the sparks; the glow stays.
    for (const Row& row : m_rows)
        row.part->update();
    placeSparks();
}

void AssetFireEffectView::placeSparks()
{
    const QList<QRectF> at = FireGeometry::sparks(size(), m_flameHeight, m_time);
    for (int k = 0; k < m_sparks.size() && k < at.size(); ++k)
        m_sparks[k]->setPos(at[k].topLeft());
}

void AssetFireEffectView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!isDrawing())
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(m_glow, srgb(1, 0.35, 0.05, 0.18));
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
