#include "kit/soft_shadow.h"

#include <QCache>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace SoftShadow {
namespace {
// Three box blurs in a row come within a few percent of a Gaussian.
std::array<int, 3> boxRadii(double sigma)
{
    constexpr int n = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m =
        (12 * sigma * sigma - n * lower * lower - 4 * n * lower - 3 * n) / (-4.0 * lower - 4);
    const int smaller = int(std::lround(m));
    std::array<int, 3> radii{};
    for (int i = 0; i < n; ++i)
        radii[i] = ((i < smaller ? lower : upper) - 1) / 2;
    return radii;
}

// One box blur of radius r over `count` values spaced `stride` apart; outside is zero.
void boxBlurLine(uchar* line, int count, int stride, int r, std::vector<int>& scratch)
{
    if (r <= 0)
        return;
    scratch.resize(count);
    for (int i = 0; i < count; ++i)
        scratch[i] = line[i * stride];
    const int width = 2 * r + 1;
    int sum = 0;
    for (int i = 0; i <= std::min(r, count - 1); ++i)
        sum += scratch[i];
    for (int i = 0; i < count; ++i) {
        line[i * stride] = uchar((sum + width / 2) / width);
        const int enter = i + r + 1;
        const int leave = i - r;
        if (enter < count)
            sum += scratch[enter];
        if (leave >= 0)
            sum -= scratch[leave];
    }
}
} // namespace

void blurInPlace(QImage& image, double sigma)
{
    if (!(sigma > 0) || image.isNull())
        return;
    if (image.depth() != 8 && image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Every byte of a pixel is a channel of its own; premultiplied channels blur as they are.
    const int channels = image.depth() / 8;
    const auto radii = boxRadii(sigma);
    std::vector<int> scratch;
    const int w = image.width();
    const int h = image.height();
    const int bpl = int(image.bytesPerLine());
    uchar* bits = image.bits();
    for (int r : radii) {
        for (int c = 0; c < channels; ++c) {
            for (int y = 0; y < h; ++y)
                boxBlurLine(bits + y * bpl + c, w, channels, r, scratch);
            for (int x = 0; x < w; ++x)
                boxBlurLine(bits + x * channels + c, h, bpl, r, scratch);
        }
    }
}

int spread(qreal radius)
{
    return radius > 0 ? int(std::ceil(1.5 * radius)) + 1 : 0;
}

QImage blurred(const QImage& silhouette, qreal radius, const QColor& color)
{
    const qreal dpr = silhouette.devicePixelRatio();
    const int pad = int(std::ceil(spread(radius) * dpr));
    QImage alpha(silhouette.width() + 2 * pad, silhouette.height() + 2 * pad,
                 QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter p(&alpha);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        QImage source = silhouette.convertToFormat(QImage::Format_Alpha8);
        source.setDevicePixelRatio(1); // copied pixel for pixel
        p.drawImage(pad, pad, source);
    }

    blurInPlace(alpha, radius / 2 * dpr);

    QImage shadow(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter p(&shadow);
        p.drawImage(0, 0, alpha);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), color);
    }
    shadow.setDevicePixelRatio(dpr);
    return shadow;
}

QImage ofPath(const QPainterPath& path, qreal radius, const QColor& color, qreal devicePixelRatio,
              QPointF* topLeft)
{
    const QRectF bounds = path.boundingRect().toAlignedRect();
    QImage silhouette((bounds.size() * devicePixelRatio).toSize().expandedTo(QSize(1, 1)),
                      QImage::Format_ARGB32_Premultiplied);
    silhouette.setDevicePixelRatio(devicePixelRatio);
    silhouette.fill(Qt::transparent);
    {
        QPainter p(&silhouette);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-bounds.topLeft());
        p.fillPath(path, Qt::black);
    }
    if (topLeft)
        *topLeft = bounds.topLeft() - QPointF(spread(radius), spread(radius));
    return blurred(silhouette, radius, color);
}

QImage shared(const QString& key, const std::function<QImage()>& make)
{
    // Costs in kilobytes.
    static QCache<QString, QImage> store(4 * 1024);
    if (const QImage* found = store.object(key))
        return *found;
    const QImage made = make();
    store.insert(key, new QImage(made), std::max(1, int(made.sizeInBytes() / 1024)));
    return made;
}

} // namespace SoftShadow
