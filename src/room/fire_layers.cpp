#include "room/fire_layers.h"

#include "kit/cached_shadow_effect.h"
#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/room_fire_atmosphere_view.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_set>

// A frame lays the wash over a tile's part of the repaint from one piece of it.
static_assert(RoomFireAtmosphereView::washPiece == FireLayers::tileSize);

namespace {
// Tiles made in one go: more wait for the next turn of the event loop, so that lighting the
// fire does not hold the room up.
constexpr int kTilesPerTurn = 24;
// A tile changed again within this many frames of being made waits longer the next time,
// up to this many frames.
constexpr qint64 kSoonFrames = 10;
constexpr int kLongestWait = 30;
// A tile whose pictures cannot be made (a part drawn through another item's picture) is
// tried again after this many frames.
constexpr qint64 kRetryFrames = 300;
// A tile whose still room changed this recently after it was made (a clock's hand, once a
// second) keeps the pictures of the burning pieces it shows.
constexpr qint64 kRestlessFrames = 90;

// Two rectangles of a tile's repaint are laid down as one where the gap between them costs
// less than one more pass over the tile's pictures and parts.
constexpr qint64 kMergeGap = 4096;

// What the view repaints for a scene area: a little round it, for antialiasing.
QRect repaintedOnView(const QTransform& toViewport, const QRectF& area)
{
    return toViewport.mapRect(area).toAlignedRect().adjusted(-2, -2, 2, 2);
}

bool nearlyEqual(const QRectF& a, const QRectF& b)
{
    constexpr qreal e = 0.01;
    return std::abs(a.left() - b.left()) < e && std::abs(a.top() - b.top()) < e &&
           std::abs(a.right() - b.right()) < e && std::abs(a.bottom() - b.bottom()) < e;
}

bool nearlyEqual(const QTransform& a, const QTransform& b)
{
    constexpr qreal e = 1e-6;
    return std::abs(a.m11() - b.m11()) < e && std::abs(a.m12() - b.m12()) < e &&
           std::abs(a.m13() - b.m13()) < e && std::abs(a.m21() - b.m21()) < e &&
           std::abs(a.m22() - b.m22()) < e && std::abs(a.m23() - b.m23()) < e &&
           std::abs(a.m31() - b.m31()) < 1e-3 && std::abs(a.m32() - b.m32()) < 1e-3 &&
           std::abs(a.m33() - b.m33()) < e;
}

} // namespace

// A tile's pictures while the room draws them. The room is drawn on a canvas the size of
// the view, where the tile lies where it lies in the view: every piece draws as it does on
// the screen (an effect works out its picture from the area its device shows).
struct FireLayers::Making {
    QImage* canvas = nullptr;
    QRect rect;
    Tile tile;
    bool failed = false;

    const QRgb* row(int y) const
    {
        return reinterpret_cast<const QRgb*>(canvas->constScanLine(rect.top() + y)) + rect.left();
    }

    // What has been drawn on the tile since the last part, which is left clear.
    bool takeDrawn()
    {
        if (tile.steps.empty()) {
            // The lowest picture is copied as it is: it must cover every pixel.
            for (int y = 0; y < rect.height(); ++y) {
                const QRgb* pixels = row(y);
                if (std::any_of(pixels, pixels + rect.width(),
                                [](QRgb p) { return qAlpha(p) != 255; }))
                    return false;
            }
            // Kept without alpha, it is copied with one plain blit whatever the window's format.
            tile.under = {canvas->copy(rect).convertToFormat(QImage::Format_RGB32), rect.topLeft()};
        } else {
            Step& step = tile.steps.back();
            step.over = cropped();
            if (!step.over.image.isNull())
                step.overReach = QRect(step.over.at, step.over.image.size());
        }
        // The painter draws straight into the canvas's pixels: clearing them leaves no trace
        // of what it drew for the next picture.
        for (int y = 0; y < rect.height(); ++y)
            std::memset(const_cast<QRgb*>(row(y)), 0, size_t(rect.width()) * sizeof(QRgb));
        return true;
    }

    // The tile cut to the pixels that hold anything; empty when none does.
    Picture cropped() const
    {
        int top = rect.height();
        int bottom = -1;
        int left = rect.width();
        int right = -1;
        for (int y = 0; y < rect.height(); ++y) {
            const QRgb* pixels = row(y);
            int first = 0;
            while (first < rect.width() && pixels[first] == 0)
                ++first;
            if (first == rect.width())
                continue;
            int last = rect.width() - 1;
            while (pixels[last] == 0)
                --last;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, first);
            right = std::max(right, last);
        }
        if (bottom < 0)
            return {};
        const QRect kept(rect.left() + left, rect.top() + top, right - left + 1, bottom - top + 1);
        return {canvas->copy(kept), kept.topLeft()};
    }
};

FireLayers::FireLayers(QGraphicsView& view) : m_view(view)
{
    m_makeTimer.setSingleShot(true);
    m_makeTimer.setInterval(0);
    connect(&m_makeTimer, &QTimer::timeout, this, &FireLayers::makeWanted);
    // Heard from the start, so as to hear of a part that starts moving by itself.
    MovingPartWatcher::watch(this);
}

FireLayers::~FireLayers()
{
    setActive(false);
    MovingPartWatcher::unwatch(this);
}

void FireLayers::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    QGraphicsScene* scene = m_view.scene();
    // While the fire burns the scene names each area it repaints (no longer handing them to
    // the view itself), and the view's repaint is made of those areas here. (The scene then
    // hands them to the view too, the first time: that connection is cut as it is used.)
    if (active) {
        if (scene)
            connect(scene, &QGraphicsScene::changed, this, &FireLayers::sceneChanged);
        return;
    }
    if (scene) {
        // Back to the scene's direct repaints of each item's own area.
        disconnect(scene, &QGraphicsScene::changed, this, &FireLayers::sceneChanged);
    }
    m_makeTimer.stop();
    m_tiles = {};
    m_columns = m_rows = 0;
    m_made = 0;
    m_partAreas.clear();
    // An area the scene named but had not yet handed over is repainted with the rest.
    if (m_view.viewport())
        m_view.viewport()->update();
}

void FireLayers::setKeptOnlyRoundParts(bool only)
{
    if (only == m_onlyRoundParts)
        return;
    m_onlyRoundParts = only;
    if (m_active) {
        setActive(false);
        setActive(true);
    }
}

int FireLayers::keptTiles() const
{
    return int(
        std::count_if(m_tiles.begin(), m_tiles.end(), [](const Tile& t) { return t.kept(); }));
}

qint64 FireLayers::keptBytes() const
{
    qint64 bytes = 0;
    for (const Tile& tile : m_tiles) {
        bytes += tile.under.image.sizeInBytes();
        for (const Step& step : tile.steps)
            bytes += step.over.image.sizeInBytes();
    }
    return bytes;
}

void FireLayers::fitGrid()
{
    const QSize size = m_view.viewport()->size();
    const int columns = (size.width() + tileSize - 1) / tileSize;
    const int rows = (size.height() + tileSize - 1) / tileSize;
    if (columns == m_columns && rows == m_rows)
        return;
    m_columns = columns;
    m_rows = rows;
    m_tiles.assign(size_t(std::max(0, columns * rows)), Tile{});
}

QRect FireLayers::tileRect(int index) const
{
    const QRect tile((index % m_columns) * tileSize, (index / m_columns) * tileSize, tileSize,
                     tileSize);
    return tile & m_view.viewport()->rect();
}

QRegion FireLayers::paint(const QRegion& region, const std::function<void(const QRect&)>& clipTo)
{
    QWidget* viewport = m_view.viewport();
    // Pictures are kept at one pixel to a point: on a denser screen the view paints itself.
    if (!m_active || m_making || viewport->devicePixelRatioF() != 1)
        return region;
    fitGrid();
    ++m_frame;
    m_holding.clear();
    const QRect bounds = region.boundingRect() & viewport->rect();
    if (bounds.isEmpty())
        return region;
    // Each rectangle of the repaint cut along the tiles, and handed to the tiles it lies on.
    for (QList<QRect>& pieces : m_pieces)
        pieces.clear();
    m_pieces.resize(m_tiles.size());
    std::vector<int>& touched = m_touched;
    touched.clear();
    for (const QRect& r : region) {
        const QRect within = r & viewport->rect();
        if (within.isEmpty())
            continue;
        for (int row = within.top() / tileSize; row <= within.bottom() / tileSize; ++row) {
            for (int column = within.left() / tileSize; column <= within.right() / tileSize;
                 ++column) {
                const int index = row * m_columns + column;
                QList<QRect>& pieces = m_pieces[size_t(index)];
                if (pieces.isEmpty())
                    touched.push_back(index);
                pieces.append(within & tileRect(index));
            }
        }
    }
    QRegion left = region - viewport->rect();
    std::optional<QPainter> painter;
    for (const int index : touched) {
        const QList<QRect>& pieces = m_pieces[size_t(index)];
        Tile& tile = m_tiles[size_t(index)];
        if (tile.kept() && !stillHolds(tile))
            forget(tile);
        if (!tile.kept()) {
            for (const QRect& piece : pieces)
                left += piece;
            // Round a few moving parts only where they move does a tile pay for its making:
            // elsewhere (a clock's hand away from the notes) the view paints the change.
            if (!tile.wanted && (!m_onlyRoundParts || tile.reachedByParts) &&
                m_frame - tile.changedAt >= tile.quiet) {
                tile.wanted = true;
                m_makeTimer.start();
            }
            continue;
        }
        if (!painter) {
            // One painter for every tile, each clipped to a plain rectangle: clipped to the
            // repaint's many rectangles, each picture would be laid down span by span.
            clipTo(bounds);
            painter.emplace(viewport);
        }
        // The tile's part of the repaint in a few rectangles, small gaps and all: what the
        // pictures hold is the room as it is now anywhere in the tile.
        for (const QRect& area : Painting::coveringRects(pieces, kMergeGap))
            compose(*painter, tile, area);
    }
    return left;
}

bool FireLayers::stillHolds(const Tile& tile)
{
    const QTransform toViewport = m_view.viewportTransform();
    return std::all_of(tile.steps.begin(), tile.steps.end(), [&](const Step& step) {
        // Asked once a frame of each part, however many tiles it reaches.
        auto known = std::find_if(m_holding.begin(), m_holding.end(),
                                  [&](const auto& asked) { return asked.first == step.part; });
        if (known == m_holding.end()) {
            QGraphicsItem* part = step.part;
            const bool holds = part->isVisible() && part->scene() == m_view.scene() &&
                               std::abs(part->effectiveOpacity() - step.opacity) < 1e-4 &&
                               nearlyEqual(part->sceneTransform() * toViewport, step.transform);
            m_holding.emplace_back(part, holds);
            return holds;
        }
        return known->second;
    });
}

void FireLayers::compose(QPainter& painter, const Tile& tile, const QRect& area) const
{
    // The pictures lie on whole pixels: without smoothing asked for, each is one blit, not
    // a fill the raster engine hands to other threads span by span. The parts lay their
    // frames down on whole pixels themselves.
    painter.resetTransform();
    painter.setClipRect(area);
    painter.setOpacity(1);
    painter.setRenderHints(m_view.renderHints(), true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(tile.under.at, tile.under.image);
    for (const Step& step : tile.steps) {
        // A part that does not reach this part of the tile adds nothing to it.
        if (step.reach.intersects(area)) {
            if (step.clipped)
                painter.setClipPath(step.clip, Qt::IntersectClip);
            // The part as the view draws it, with its transform and opacity.
            painter.setWorldTransform(step.transform);
            if (step.opacity != 1)
                painter.setOpacity(step.opacity);
            // One option for all (made with a palette and font, it is not cheap to make).
            m_option.rect = step.bounds.toAlignedRect();
            m_option.exposedRect =
                step.inverse.mapRect(QRectF(area)).adjusted(-1, -1, 1, 1) & step.bounds;
            step.part->paint(&painter, &m_option, m_view.viewport());
            painter.resetTransform();
            if (step.opacity != 1)
                painter.setOpacity(1);
            if (step.clipped)
                painter.setClipRect(area);
        }
        if (step.overReach.intersects(area))
            painter.drawImage(step.over.at, step.over.image);
    }
}

void FireLayers::makeWanted()
{
    int made = 0;
    for (size_t i = 0; i < m_tiles.size(); ++i) {
        if (!m_tiles[i].wanted)
            continue;
        if (made == kTilesPerTurn) {
            // What the canvas held goes back to the system between turns as well: lighting
            // the fire makes every tile the flames reach, a few turns running, while the
            // burning pieces still keep the pictures they were first drawn with.
            m_canvas = QImage();
            m_makeTimer.start();
            return;
        }
        make(int(i));
        ++made;
    }
    // The canvas is wanted again only when something in the room changes; what it held goes
    // back to the system.
    m_canvas = QImage();
    letStillPicturesGo();
    releaseFreedDrawingsSoon();
}

void FireLayers::letStillPicturesGo()
{
    // The burning pieces keep still pictures of their own (a piece with its glow, the glow
    // round its frame, the rug drawn in depth): the kept tiles show them, and a piece drawn
    // again makes its own anew. They lie with the parts and above them. Where the room keeps
    // changing (the clock's hands tick once a second), the view paints the tiles there
    // itself and makes them again each time: the pieces they show keep their pictures, or
    // every tick would draw and blur each of them again.
    std::unordered_set<QGraphicsItem*> kept;
    for (const Tile& tile : m_tiles) {
        if (tile.restlessAt < 0 || m_frame - tile.restlessAt > kRestlessFrames)
            continue;
        for (const Step& step : tile.steps) {
            for (QGraphicsItem* item = step.part; item && kept.insert(item).second;
                 item = item->parentItem()) {
            }
        }
    }
    std::unordered_set<QGraphicsItem*> seen = kept;
    for (const Tile& tile : m_tiles) {
        for (const Step& step : tile.steps) {
            for (QGraphicsItem* item = step.part; item && seen.insert(item).second;
                 item = item->parentItem()) {
                if (auto* effect = qobject_cast<CachedPictureEffect*>(item->graphicsEffect()))
                    effect->letPictureGo();
                if (auto* fire = dynamic_cast<AssetFireEffectView*>(item))
                    fire->letGlowGo();
                if (auto* modifier = dynamic_cast<BurningFireModifier*>(item))
                    modifier->letGlowGo();
            }
        }
    }
}

void FireLayers::make(int index)
{
    const QRect rect = tileRect(index);
    const QSize size = m_view.viewport()->size();
    if (m_canvas.size() != size) {
        // Only the rows of the tiles drawn on it take memory, and all of it goes back to the
        // system with the canvas after each batch of tiles.
        m_canvas = scratchImage(size, QImage::Format_ARGB32_Premultiplied);
    }
    Making making;
    making.canvas = &m_canvas;
    making.rect = rect;
    m_making = &making;
    m_view.viewport()->render(&m_canvas, rect.topLeft(), QRegion(rect), QWidget::RenderFlags());
    m_making = nullptr;
    Tile& tile = m_tiles[size_t(index)];
    tile.wanted = false;
    if (making.failed || !making.takeDrawn()) {
        tile.changedAt = m_frame + kRetryFrames;
        return;
    }
    ++m_made;
    // What the tile has been through stays with it; only its pictures are new.
    tile.under = std::move(making.tile.under);
    tile.steps = std::move(making.tile.steps);
    tile.keptAt = m_frame;
}

bool FireLayers::takesPaint(QGraphicsItem* part, QPainter& painter)
{
    if (!m_making)
        return false;
    Making& making = *m_making;
    // A part drawn into another item's picture (an effect or a cache) is not where the
    // room's own drawing is: such a tile is painted by the view.
    if (!painter.paintEngine() || painter.paintEngine()->paintDevice() != making.canvas) {
        making.failed = true;
        return false;
    }
    if (!making.takeDrawn()) {
        making.failed = true;
        return true;
    }
    Step step;
    step.part = part;
    step.transform = painter.worldTransform();
    step.inverse = step.transform.inverted();
    step.bounds = part->boundingRect();
    step.reach = step.transform.mapRect(step.bounds).toAlignedRect().adjusted(-1, -1, 1, 1);
    step.opacity = painter.opacity();
    if (painter.hasClipping()) {
        step.clipped = true;
        step.clip = painter.worldTransform().map(painter.clipPath());
    }
    making.tile.steps.push_back(std::move(step));
    return true;
}

bool FireLayers::takesStillPaint(QGraphicsItem* part, QPainter& painter)
{
    // A still part that is the first thing over the room's pictures (the smoky wash along
    // the floor) lies in the lowest picture, which is kept anyway: laid once, not on every
    // frame.
    if (m_making && m_making->tile.steps.empty() && painter.paintEngine() &&
        painter.paintEngine()->paintDevice() == m_making->canvas)
        return false;
    return takesPaint(part, painter);
}

void FireLayers::partRepaints(const QGraphicsScene* scene, const QRectF& area)
{
    if (!m_active || scene != m_view.scene())
        return;
    // Heard between two of the scene's lists; bounded should the scene stop naming them.
    if (m_partAreas.size() > 100000)
        m_partAreas.clear();
    m_partAreas.append(area);
    if (!m_onlyRoundParts)
        return;
    fitGrid();
    forTilesIn(repaintedOnView(m_view.viewportTransform(), area),
               [](Tile& tile) { tile.reachedByParts = true; });
}

void FireLayers::partMoves(QGraphicsItem* part, bool moving)
{
    const auto known = std::find(m_moving.begin(), m_moving.end(), part);
    if (moving == (known != m_moving.end()) || (moving && part->scene() != m_view.scene()))
        return;
    if (moving)
        m_moving.push_back(part);
    else
        m_moving.erase(known);
    Q_EMIT movingPartsChanged();
}

void FireLayers::partGone(QGraphicsItem* part)
{
    partMoves(part, false);
    for (Tile& tile : m_tiles) {
        if (std::any_of(tile.steps.begin(), tile.steps.end(),
                        [part](const Step& step) { return step.part == part; })) {
            forget(tile);
        }
    }
}

void FireLayers::sceneChanged(const QList<QRectF>& areas)
{
    // The scene hands the list to a view only once it has connected it, once for good.
    if (QGraphicsScene* scene = m_view.scene(); scene && !m_viewCut)
        m_viewCut = disconnect(scene, SIGNAL(changed(QList<QRectF>)), &m_view,
                               SLOT(updateScene(QList<QRectF>)));
    const QTransform toViewport = m_view.viewportTransform();
    const QRect viewport = m_view.viewport()->rect();
    std::vector<QRect> repaint;
    repaint.reserve(size_t(areas.size()));
    for (const QRectF& area : areas) {
        const QRect onView = repaintedOnView(toViewport, area);
        if (onView.intersects(viewport))
            repaint.push_back(onView);
        auto asked = std::find_if(m_partAreas.begin(), m_partAreas.end(),
                                  [&](const QRectF& a) { return nearlyEqual(a, area); });
        if (asked != m_partAreas.end()) {
            m_partAreas.erase(asked);
            continue;
        }
        // Anything else changed the still room there.
        drop(onView.adjusted(-1, -1, 1, 1));
    }
    m_partAreas.clear();
    if (!repaint.empty())
        m_view.viewport()->update(Painting::unitedRects(repaint.data(), qsizetype(repaint.size())));
}

void FireLayers::forget(Tile& tile)
{
    // Made again at once after a change now and then (a clock's hand); one that changes
    // again soon after it was made waits for twice as many quiet frames each time (a piece
    // fading in), up to a second.
    const bool soon = tile.kept() && m_frame - tile.keptAt < kSoonFrames;
    tile.quiet = soon ? std::min(2 * tile.quiet + 1, kLongestWait) : 0;
    if (tile.kept())
        tile.restlessAt = m_frame;
    tile.changedAt = m_frame;
    tile.wanted = false;
    tile.under = {};
    tile.steps = {};
}

void FireLayers::drop(const QRect& area)
{
    forTilesIn(area, [this](Tile& tile) { forget(tile); });
}

void FireLayers::forTilesIn(const QRect& area, const std::function<void(Tile&)>& visit)
{
    if (m_columns == 0)
        return;
    const QRect within = area & m_view.viewport()->rect();
    if (within.isEmpty())
        return;
    for (int row = within.top() / tileSize; row <= within.bottom() / tileSize; ++row) {
        for (int column = within.left() / tileSize; column <= within.right() / tileSize; ++column)
            visit(m_tiles[size_t(row * m_columns + column)]);
    }
}
