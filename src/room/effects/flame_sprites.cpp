#include "room/effects/flame_sprites.h"

#include "kit/colors.h"
#include "kit/painting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

using FireGeometry::flickerPeriod;

namespace {
// A mask row's edges up to this many pixels and solid runs up to this long are filled in
// with fixed-size writes; the mask's block holds this many bytes more than its rows.
constexpr int kEdge = 8;
constexpr int kSolid = 64;
constexpr int kRowSlack = kEdge + kSolid + kEdge;

// A step of the flicker moves no point of an outline by more than this, in device pixels.
constexpr double kStepPixels = 1.0;

// Steps enough for the fastest change of the outline, measured over one period.
int stepsFor(const FlameSprites::Layer& layer, double scale)
{
    constexpr int samples = 720;
    constexpr double delta = flickerPeriod / samples;
    double rate = 0;
    FireGeometry::FlameShape previous = layer.shapeAt(0);
    for (int i = 1; i <= samples; ++i) {
        const FireGeometry::FlameShape shape = layer.shapeAt(i * delta);
        rate = std::max({rate, std::abs(shape.height - previous.height),
                         std::abs(shape.tipSway - previous.tipSway),
                         std::abs(shape.controlSway - previous.controlSway)});
        previous = shape;
    }
    const double steps = std::ceil(flickerPeriod * (rate / delta) * scale / kStepPixels);
    return int(std::clamp(steps, 16.0, 4096.0));
}

} // namespace

std::shared_ptr<FlameSprites::Sheet> FlameSprites::sheetFor(const Layer& layer) const
{
    const auto make = [&] {
        auto sheet = std::make_shared<Sheet>();
        sheet->masks.resize(size_t(stepsFor(layer, m_scale)));
        return sheet;
    };
    if (layer.shapeKey.isEmpty())
        return make();
    // A mask depends on nothing but the outline, the scale and the baseline's fraction of a
    // pixel: rows that agree on all three draw the same masks.
    using Key = std::tuple<QString, double, double>;
    static std::map<Key, std::weak_ptr<Sheet>> shared;
    for (auto it = shared.begin(); it != shared.end();)
        it = it->second.expired() ? shared.erase(it) : std::next(it);
    std::weak_ptr<Sheet>& entry = shared[Key(layer.shapeKey, m_scale, m_baselineFraction)];
    if (std::shared_ptr<Sheet> sheet = entry.lock())
        return sheet;
    std::shared_ptr<Sheet> sheet = make();
    entry = sheet;
    return sheet;
}

void FlameSprites::setLayers(QList<Layer> layers)
{
    m_layers = std::move(layers);
    m_sheets.clear();
    m_frameKey = {};
    m_colours.clear();
    m_scale = 0;
    m_moment.reset();
}

int FlameSprites::maskCount() const
{
    int count = 0;
    for (const std::shared_ptr<Sheet>& sheet : m_sheets)
        count += sheet->drawn;
    return count;
}

int FlameSprites::stepCount(int layer) const
{
    return layer < int(m_sheets.size()) ? int(m_sheets[size_t(layer)]->masks.size()) : 0;
}

void FlameSprites::prepare(double deviceScale, double baselineFraction)
{
    if (deviceScale == m_scale && baselineFraction == m_baselineFraction &&
        m_sheets.size() == size_t(m_layers.size()))
        return;
    m_scale = deviceScale;
    m_baselineFraction = baselineFraction;
    m_sheets.clear();
    for (const Layer& layer : m_layers)
        m_sheets.push_back(sheetFor(layer));
}

int FlameSprites::stepOf(int layer, double phase) const
{
    const int steps = int(m_sheets[size_t(layer)]->masks.size());
    double at = std::fmod(phase, flickerPeriod);
    if (at < 0)
        at += flickerPeriod;
    return int(std::lround(at / flickerPeriod * steps)) % steps;
}

const FlameSprites::Mask& FlameSprites::mask(int layer, int step)
{
    Sheet& sheet = *m_sheets[size_t(layer)];
    const int steps = int(sheet.masks.size());
    Mask& mask = sheet.masks[size_t(step)];
    if (mask.bytes)
        return mask;

    // The foot lies on the left edge of its device pixel, at the baseline's fraction of a
    // pixel down: the mask is blitted at whole pixels.
    QPainterPath outline;
    FireGeometry::addFlame(outline, QPointF(0, 0),
                           m_layers[layer].shapeAt(step * flickerPeriod / steps));
    const QRectF reach = QTransform::fromScale(m_scale, m_scale)
                             .mapRect(outline.controlPointRect())
                             .translated(0, m_baselineFraction);
    const QRect pixels = reach.toAlignedRect().adjusted(-1, -1, 1, 1);
    mask.origin = pixels.topLeft();
    // Filled opaque on 32-bit pixels, its coverage is each pixel's alpha, as on an 8-bit mask;
    // only an opaque fill of 32-bit pixels keeps the raster engine from handing a tall flame's
    // spans to other threads and waiting for them.
    QImage image(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-pixels.left(), m_baselineFraction - pixels.top());
    p.scale(m_scale, m_scale);
    p.fillPath(outline, Qt::black);
    p.end();
    // A flame is narrow at its tip and leaves the corners of its box empty: composing a
    // frame touches only the columns each row covers. Of those, only the edges' coverage is
    // kept: the run the flame covers whole is all 255.
    std::vector<Span> rows(size_t(pixels.height()));
    size_t kept = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0;
        int last = pixels.width();
        while (first < last && qAlpha(row[first]) == 0)
            ++first;
        while (last > first && qAlpha(row[last - 1]) == 0)
            --last;
        int solidFirst = first;
        while (solidFirst < last && qAlpha(row[solidFirst]) != 255)
            ++solidFirst;
        int solidLast = solidFirst;
        while (solidLast < last && qAlpha(row[solidLast]) == 255)
            ++solidLast;
        if (solidFirst == solidLast)
            solidFirst = solidLast = last; // nothing whole: all of it is kept
        rows[size_t(y)] = {qint16(first), qint16(solidFirst), qint16(solidLast), qint16(last)};
        kept += size_t(rows[size_t(y)].kept());
    }
    mask.height = pixels.height();
    mask.width = pixels.width();
    mask.size = qsizetype(rows.size() * sizeof(Span) + kept);
    // Zeroed, with the bytes a fixed-size copy of the last row's edge reads past them.
    mask.bytes = std::make_unique<uchar[]>(size_t(mask.size + kEdge));
    std::memcpy(mask.bytes.get(), rows.data(), rows.size() * sizeof(Span));
    uchar* to = mask.bytes.get() + rows.size() * sizeof(Span);
    for (int y = 0; y < pixels.height(); ++y) {
        const Span& span = rows[size_t(y)];
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = span.first; x < span.solidFirst; ++x)
            *to++ = uchar(qAlpha(row[x]));
        for (int x = span.solidLast; x < span.last; ++x)
            *to++ = uchar(qAlpha(row[x]));
    }
    ++sheet.drawn;
    return mask;
}

bool FlameSprites::compose(const QTransform& device, const QRect& target, int baselineRow,
                           const QList<double>& footX, const std::function<double(int)>& phaseAt)
{
    const int layers = int(m_layers.size());
    FrameKey key;
    key.target = target;
    key.baselineRow = baselineRow;
    key.scale = m_scale;
    key.baselineFraction = m_baselineFraction;
    key.gradientScale = device.m22();
    key.gradientOffset = device.dy();
    key.placements.reserve(size_t(2 * layers * footX.size()));
    for (int l = 0; l < layers; ++l) {
        const Mask* const masks = m_sheets[size_t(l)]->masks.data();
        for (qsizetype i = 0; i < footX.size(); ++i) {
            const int step = stepOf(l, phaseAt(int(i)));
            // Where the mask lies is fetched while the rest of the frame is worked out.
            __builtin_prefetch(masks + step);
            key.placements.push_back(step);
            key.placements.push_back(int(std::lround(device.map(QPointF(footX[i], 0)).x())));
        }
    }
    if (key == m_frameKey && !m_frame.isNull())
        return false;

    const int w = target.width();
    const int h = target.height();
    const bool sameRows = key.target.top() == m_frameKey.target.top() &&
                          key.target.height() == m_frameKey.target.height() &&
                          key.gradientScale == m_frameKey.gradientScale &&
                          key.gradientOffset == m_frameKey.gradientOffset &&
                          m_colours.size() == size_t(layers);
    if (!sameRows) {
        // Each layer's gradient runs up the rows alone: one column of it colours a row.
        m_colours.assign(size_t(layers), std::vector<QRgb>(size_t(h)));
        QImage column(1, h, QImage::Format_ARGB32_Premultiplied);
        for (int l = 0; l < layers; ++l) {
            const Layer& layer = m_layers[l];
            const auto row = [&](double y) { return device.map(QPointF(0, y)).y() - target.top(); };
            QLinearGradient g(QPointF(0, row(layer.gradientFrom)),
                              QPointF(0, row(layer.gradientTo)));
            g.setStops(layer.stops);
            column.fill(Qt::transparent);
            QPainter(&column).fillRect(column.rect(), g);
            for (int y = 0; y < h; ++y)
                m_colours[size_t(l)][size_t(y)] =
                    reinterpret_cast<const QRgb*>(column.constScanLine(y))[0];
        }
    }
    m_frameKey = std::move(key);

    if (m_frame.size() != target.size())
        m_frame = QImage(target.size(), QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(1);
    m_frame.fill(0);
    // Each layer's flames, each laid in the layer's colour over what lies below, the layers
    // in order. A row of a layer has one colour, so flames laid over one another cover
    // their overlap once, as the layer's filled outline would.
    uchar* const frame = m_frame.bits();
    const qsizetype frameLine = m_frame.bytesPerLine();
    // Every mask the frame lays down, drawn first where it is new: while one is laid down,
    // the next one's bytes are already on their way from memory.
    const qsizetype flames = footX.size();
    m_laying.clear();
    for (int l = 0; l < layers; ++l) {
        for (qsizetype i = 0; i < flames; ++i)
            m_laying.push_back(&mask(l, m_frameKey.placements[size_t(2 * (l * flames + i))]));
    }
    for (size_t k = 0; k < m_laying.size(); ++k) {
        if (k + 1 < m_laying.size()) {
            const Mask& next = *m_laying[k + 1];
            for (qsizetype byte = 0; byte < next.size; byte += 64)
                __builtin_prefetch(next.bytes.get() + byte);
        }
        const QRgb* colours = m_colours[k / size_t(flames)].data();
        const Mask& m = *m_laying[k];
        if (m_rowCoverage.size() < size_t(m.width + kRowSlack))
            m_rowCoverage.resize(size_t(m.width + kRowSlack));
        const QPoint origin =
            QPoint(m_frameKey.placements[2 * k + 1], baselineRow) + m.origin - target.topLeft();
        const auto* const rows = reinterpret_cast<const Span*>(m.bytes.get());
        const uchar* const bits = m.bytes.get() + qsizetype(m.height) * qsizetype(sizeof(Span));
        const int top = std::max(0, origin.y());
        const int bottom = std::min(h, origin.y() + m.height);
        // The coverage of the rows above the frame's top is passed over.
        const uchar* coverage = bits;
        for (int y = origin.y(); y < top; ++y)
            coverage += rows[y - origin.y()].kept();
        for (int y = top; y < bottom; ++y) {
            const Span span = rows[y - origin.y()];
            const int from = std::max(0, origin.x() + span.first);
            const int to = std::min(w, origin.x() + span.last);
            if (from < to) {
                // The row's coverage whole again, its solid run filled in, and laid at once.
                const int left = span.solidFirst - span.first;
                const int solid = span.solidLast - span.solidFirst;
                const int right = span.last - span.solidLast;
                // Its edges are a few pixels each and its solid run short, as a rule: then
                // each part is written with a fixed-size copy that the compiler writes out
                // inline (the bytes written past a part are overwritten by the next one or
                // lie past the row; the mask's block is padded for the bytes read past it).
                uchar* const whole = m_rowCoverage.data();
                if (left <= kEdge && right <= kEdge && solid <= kSolid) {
                    std::memcpy(whole, coverage, kEdge);
                    std::memset(whole + left, 255, kSolid);
                    std::memcpy(whole + left + solid, coverage + left, kEdge);
                } else {
                    std::memcpy(whole, coverage, size_t(left));
                    std::memset(whole + left, 255, size_t(solid));
                    std::memcpy(whole + left + solid, coverage + left, size_t(right));
                }
                Colors::layInColour(reinterpret_cast<QRgb*>(frame + y * frameLine) + from,
                                    whole + (from - origin.x() - span.first), to - from,
                                    colours[y]);
            }
            coverage += span.kept();
        }
    }
    return true;
}

void FlameSprites::paint(QPainter& painter, const QRectF& band, double baseline,
                         const QList<double>& footX, const std::function<double(int)>& phaseAt,
                         double moment)
{
    if (m_layers.isEmpty() || footX.isEmpty())
        return;
    const QTransform device = painter.deviceTransform();
    const Moment now{moment, device, band, baseline};
    const bool composed = m_moment == now && !m_frame.isNull();
    m_moment = now;
    const double scale = device.m11();
    if (device.type() > QTransform::TxScale || scale <= 0 || scale != device.m22()) {
        paintTurned(painter, band, baseline, footX, phaseAt, composed);
        return;
    }
    const QRect target = device.mapRect(band).toAlignedRect();
    if (target.isEmpty())
        return;
    if (!composed) {
        const double deviceBaseline = device.map(QPointF(0, baseline)).y();
        const double baselineRow = std::floor(deviceBaseline);
        prepare(scale, deviceBaseline - baselineRow);
        compose(device, target, int(baselineRow), footX, phaseAt);
    }

    Painting::drawOnDevicePixels(painter, target.topLeft(), m_frame);
}

void FlameSprites::paintTurned(QPainter& painter, const QRectF& band, double baseline,
                               const QList<double>& footX,
                               const std::function<double(int)>& phaseAt, bool composed)
{
    // Turned or seen in perspective (the rug lies on the floor): drawn upright at twice the
    // largest scale the turn gives, then laid down with the painter's own transform into
    // device pixels, once per frame.
    const QRectF onDevice = painter.deviceTransform().mapRect(band);
    const double scale =
        2 * std::max(onDevice.width() / band.width(), onDevice.height() / band.height());
    const QSizeF upright = band.size() * scale;
    const QSize pixels(int(std::ceil(upright.width())), int(std::ceil(upright.height())));
    if (!std::isfinite(scale) || pixels.isEmpty() || pixels.width() > 8192 ||
        pixels.height() > 8192) {
        paintOutlines(painter, baseline, footX, phaseAt);
        return;
    }
    const QTransform uprightDevice =
        QTransform::fromTranslate(-band.left(), -band.top()) * QTransform::fromScale(scale, scale);
    const QRect target = uprightDevice.mapRect(band).toAlignedRect();
    const double deviceBaseline = uprightDevice.map(QPointF(0, baseline)).y();
    const double baselineRow = std::floor(deviceBaseline);
    prepare(scale, deviceBaseline - baselineRow);
    if (!composed && compose(uprightDevice, target, int(baselineRow), footX, phaseAt))
        ++m_composed;
    // The upright frame starts at the band's top-left corner: it is laid down as it is.
    m_laidDown.paintImage(painter, QRectF(band.topLeft(), QSizeF(m_frame.size()) / scale),
                          m_composed, m_frame);
}

void FlameSprites::paintOutlines(QPainter& painter, double baseline, const QList<double>& footX,
                                 const std::function<double(int)>& phaseAt) const
{
    for (const Layer& layer : m_layers) {
        QPainterPath path;
        // Neighbouring flames overlap: the overlap is flame too, not a hole.
        path.setFillRule(Qt::WindingFill);
        for (qsizetype i = 0; i < footX.size(); ++i)
            FireGeometry::addFlame(path, QPointF(footX[i], baseline),
                                   layer.shapeAt(phaseAt(int(i))));
        QLinearGradient g(QPointF(0, layer.gradientFrom), QPointF(0, layer.gradientTo));
        g.setStops(layer.stops);
        painter.fillPath(path, g);
    }
}
