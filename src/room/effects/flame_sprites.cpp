#include "room/effects/flame_sprites.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

using FireGeometry::flickerPeriod;

namespace {
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

void FlameSprites::setLayers(QList<Layer> layers)
{
    m_layers = std::move(layers);
    m_sheets.clear();
    m_scale = 0;
}

int FlameSprites::maskCount() const
{
    int count = 0;
    for (const Sheet& sheet : m_sheets)
        count += sheet.drawn;
    return count;
}

int FlameSprites::stepCount(int layer) const
{
    return layer < int(m_sheets.size()) ? int(m_sheets[size_t(layer)].masks.size()) : 0;
}

void FlameSprites::prepare(double deviceScale, double baselineFraction)
{
    if (deviceScale == m_scale && baselineFraction == m_baselineFraction &&
        m_sheets.size() == size_t(m_layers.size()))
        return;
    m_scale = deviceScale;
    m_baselineFraction = baselineFraction;
    m_sheets.assign(size_t(m_layers.size()), Sheet());
    for (qsizetype l = 0; l < m_layers.size(); ++l)
        m_sheets[size_t(l)].masks.resize(size_t(stepsFor(m_layers[l], deviceScale)));
}

const FlameSprites::Mask& FlameSprites::mask(int layer, double phase)
{
    Sheet& sheet = m_sheets[size_t(layer)];
    const int steps = int(sheet.masks.size());
    double at = std::fmod(phase, flickerPeriod);
    if (at < 0)
        at += flickerPeriod;
    const int step = int(std::lround(at / flickerPeriod * steps)) % steps;
    Mask& mask = sheet.masks[size_t(step)];
    if (!mask.image.isNull())
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
    mask.image = QImage(pixels.size(), QImage::Format_Alpha8);
    mask.image.fill(0);
    QPainter p(&mask.image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-pixels.left(), m_baselineFraction - pixels.top());
    p.scale(m_scale, m_scale);
    p.fillPath(outline, Qt::black);
    ++sheet.drawn;
    return mask;
}

void FlameSprites::paint(QPainter& painter, const QRectF& band, double baseline,
                         const QList<double>& footX, const std::function<double(int)>& phaseAt)
{
    if (m_layers.isEmpty() || footX.isEmpty())
        return;
    const QTransform device = painter.deviceTransform();
    const double scale = device.m11();
    if (device.type() > QTransform::TxScale || scale <= 0 || scale != device.m22()) {
        paintTurned(painter, band, baseline, footX, phaseAt);
        return;
    }
    const QRect target = device.mapRect(band).toAlignedRect();
    if (target.isEmpty())
        return;
    const double deviceBaseline = device.map(QPointF(0, baseline)).y();
    const double baselineRow = std::floor(deviceBaseline);
    prepare(scale, deviceBaseline - baselineRow);

    const auto paintLayer = [&](int l, QImage& canvas) {
        QPainter p(&canvas);
        for (qsizetype i = 0; i < footX.size(); ++i) {
            const Mask& m = mask(l, phaseAt(int(i)));
            const int x = int(std::lround(device.map(QPointF(footX[i], 0)).x()));
            p.drawImage(QPoint(x, int(baselineRow)) + m.origin - target.topLeft(), m.image);
        }
        // The masks hold the layer's shape; the gradient colours it as one.
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        const Layer& layer = m_layers[l];
        const auto row = [&](double y) { return device.map(QPointF(0, y)).y() - target.top(); };
        QLinearGradient g(QPointF(0, row(layer.gradientFrom)), QPointF(0, row(layer.gradientTo)));
        g.setStops(layer.stops);
        p.fillRect(canvas.rect(), g);
    };

    if (m_buffer.size() != target.size())
        m_buffer = QImage(target.size(), QImage::Format_ARGB32_Premultiplied);
    m_buffer.setDevicePixelRatio(1);
    m_buffer.fill(Qt::transparent);
    paintLayer(0, m_buffer);
    for (int l = 1; l < int(m_layers.size()); ++l) {
        if (m_layerBuffer.size() != target.size())
            m_layerBuffer = QImage(target.size(), QImage::Format_ARGB32_Premultiplied);
        m_layerBuffer.fill(Qt::transparent);
        paintLayer(l, m_layerBuffer);
        QPainter(&m_buffer).drawImage(QPoint(0, 0), m_layerBuffer);
    }

    // One pixel of the buffer to one pixel of the device.
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const double remaining = painter.deviceTransform().m11();
    m_buffer.setDevicePixelRatio(remaining);
    painter.drawImage(QPointF(target.topLeft()) / remaining, m_buffer);
    painter.restore();
}

void FlameSprites::paintTurned(QPainter& painter, const QRectF& band, double baseline,
                               const QList<double>& footX,
                               const std::function<double(int)>& phaseAt)
{
    // Turned or seen in perspective (the rug lies on the floor): drawn upright at twice the
    // largest scale the turn gives, then laid down with the painter's own transform.
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
    if (m_upright.size() != pixels)
        m_upright = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_upright.fill(Qt::transparent);
    {
        QPainter p(&m_upright);
        p.scale(scale, scale);
        p.translate(-band.topLeft());
        paint(p, band, baseline, footX, phaseAt);
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(band, m_upright, QRectF(QPointF(0, 0), upright));
    painter.restore();
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
