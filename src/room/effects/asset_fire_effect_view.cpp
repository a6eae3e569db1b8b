#include "room/effects/asset_fire_effect_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/fire_part.h"
#include "state/app_state.h"

#include <QPainter>
#include <QPainterPathStroker>

using Colors::srgb;

namespace {
// A dot 2.6 across at the part's origin, e.g. a spark.
constexpr QRectF kDot(0, 0, 2.6, 2.6);
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
    m_sparks = new FireDots(this, kDot, srgb(1, 0.88, 0.3, 0.75), [this] { return isDrawing(); });
    connect(&m_timeLine, &TimeLine::tick, this,
            [this] { setTime(FireGeometry::secondsSinceReferenceDate(m_timeLine.date())); });
    // Hidden: the flames vanish at once; shown again: they come back on the next frame.
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, [this] { update(); });
}

AssetFireEffectView::~AssetFireEffectView()
{
    // The flames' masks are many small images: what they held goes back to the system
    // once the fire is out, not only to the heap.
    releaseFreedDrawingsSoon();
}

FirePart* AssetFireEffectView::flameRow(FireGeometry::Edge edge)
{
    return new FirePart(this, [this, edge](QPainter& p) {
        if (!isDrawing())
            return;
        m_flames[size_t(edge)].paint(
            p, FireGeometry::flameBand(edge, ledge(edge), m_flameHeight),
            m_flameBaseline[size_t(edge)], m_flameX[size_t(edge)],
            [this, edge](int i) { return FireGeometry::rowFlamePhase(edge, i, m_time); }, m_time);
    });
}

bool AssetFireEffectView::isDrawing() const
{
    return m_timeLine.canDraw() && FireGeometry::drawsAnything(size());
}

void AssetFireEffectView::setOutline(const std::optional<QPainterPath>& outline)
{
    if (outline == m_outline)
        return;
    m_outline = outline;
    layOut();
}

FireGeometry::Ledge AssetFireEffectView::ledge(FireGeometry::Edge edge) const
{
    return m_outline && !m_outline->isEmpty() ? FireGeometry::outlineLedge(edge, *m_outline)
                                              : FireGeometry::frameLedge(edge, size());
}

void AssetFireEffectView::onSizeChanged()
{
    layOut();
}

void AssetFireEffectView::layOut()
{
    const bool outlined = m_outline && !m_outline->isEmpty();
    m_glowPixels.clear();
    // The glow lies 4 points round what burns; the sparks rise through what it spans.
    if (outlined) {
        QPainterPathStroker grow;
        grow.setWidth(2 * FireGeometry::glowReach);
        grow.setJoinStyle(Qt::RoundJoin);
        m_glow = grow.createStroke(*m_outline).united(*m_outline);
        m_sparkArea = m_outline->boundingRect();
    } else {
        m_glow = Painting::continuousRoundedRect(FireGeometry::glowRect(size()),
                                                 FireGeometry::glowCornerRadius);
        m_sparkArea = rect();
    }
    // The flames, the sparks and the glow reach beyond the piece's frame.
    const QRectF frame = rect();
    QRectF bounds = frame;
    if (FireGeometry::drawsAnything(size())) {
        bounds = FireGeometry::paintBounds(size(), m_flameHeight)
                     .united(FireGeometry::paintBounds(m_sparkArea.size(), m_flameHeight)
                                 .translated(m_sparkArea.topLeft()))
                     .united(m_glow.boundingRect().adjusted(-1, -1, 1, 1));
        for (const Row& row : m_rows)
            bounds |= FireGeometry::flameBand(row.edge, ledge(row.edge), m_flameHeight);
    }
    setPaintMargins(QMarginsF(frame.left() - bounds.left(), frame.top() - bounds.top(),
                              bounds.right() - frame.right(), bounds.bottom() - frame.bottom()));
    for (const Row& row : m_rows) {
        const FireGeometry::Edge edge = row.edge;
        const FireGeometry::Ledge at = ledge(edge);
        const FireGeometry::FlameRow flames = at.row;
        m_flameX[size_t(edge)].clear();
        for (int i = 0; i < flames.count; ++i)
            m_flameX[size_t(edge)].append(at.footX(i));
        row.part->setArea(FireGeometry::flameBand(edge, at, m_flameHeight));
        m_flameBaseline[size_t(edge)] = at.baseline;
        const qreal height = m_flameHeight;
        // The outlines follow from the edge, the flames' width and their height alone.
        const QString shape = QStringLiteral("%1 %2 %3")
                                  .arg(int(edge))
                                  .arg(flames.flameWidth, 0, 'g', 17)
                                  .arg(height, 0, 'g', 17);
        FlameSprites::Layer outer;
        outer.shapeKey = QStringLiteral("row outer ") + shape;
        outer.shapeAt = [edge, flames, height](double phase) {
            return FireGeometry::rowFlameOuter(edge, flames, height, phase);
        };
        // The gradients run from the baseline up, as far as the tallest flame reaches.
        const FireGeometry::FlameLayer rest = FireGeometry::flameLayer(edge, at, m_flameHeight, 0);
        outer.gradientFrom = rest.baseline;
        outer.gradientTo = rest.outerGradientTo;
        outer.stops = Painting::linearGradient(
                          {}, {}, {srgb(0.95, 0.18, 0.04, 0.88), srgb(1, 0.48, 0.06, 0.85)})
                          .stops();
        FlameSprites::Layer inner;
        inner.shapeKey = QStringLiteral("row inner ") + shape;
        inner.shapeAt = [edge, flames, height](double phase) {
            return FireGeometry::rowFlameInner(edge, flames, height, phase);
        };
        inner.gradientFrom = rest.baseline;
        inner.gradientTo = rest.innerGradientTo;
        inner.stops =
            Painting::linearGradient({}, {}, {srgb(1, 0.65, 0.12), srgb(1, 0.96, 0.65, 0.95)})
                .stops();
        m_flames[size_t(edge)].setLayers({outer, inner});
    }
    m_sparks->setArea(FireGeometry::drawsAnything(size()) ? bounds : QRectF());
    // The rows repaint on every frame: sparks still among the flames need no repaint.
    QList<QRectF> rows;
    for (const Row& row : m_rows)
        rows.append(row.part->boundingRect());
    m_sparks->setRepaintedWithThem(rows);
    placeSparks();
    updateWanted();
}

void AssetFireEffectView::setTime(double seconds)
{
    m_time = seconds;
    // Only the moving parts repaint: the rows of flames and the sparks; the glow stays.
    for (const Row& row : m_rows)
        row.part->repaint();
    placeSparks();
}

void AssetFireEffectView::placeSparks()
{
    QList<QPointF> places;
    for (const QRectF& spark : FireGeometry::sparks(m_sparkArea.size(), m_flameHeight, m_time))
        places.append(spark.topLeft() + m_sparkArea.topLeft());
    m_sparks->setPlaces(places);
}

void AssetFireEffectView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!isDrawing())
        return;
    // The glow is still: drawn once per size and place on the screen, not on each frame of
    // the flames over it (nor, under the rug's perspective, resampled on each).
    m_glowPixels.paint(*painter, m_glow.controlPointRect().adjusted(-1, -1, 1, 1), 0,
                       [this](QPainter& p) {
                           p.setRenderHint(QPainter::Antialiasing);
                           p.fillPath(m_glow, srgb(1, 0.35, 0.05, 0.18));
                       });
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
