#include "kit/soft_shadow.h"

#include "kit/colors.h"

#include <QCache>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace SoftShadow {
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

namespace {

// Rounded division of a box's sum by its width: a multiplication and a shift, which give the
// same quotient as the division for every sum a box of up to 185 pixels can hold (and whose
// products stay within 32 bits), and which runs on many pixels at once where a look-up
// table cannot. Wider boxes look each quotient up.
class BoxAverage {
public:
    explicit BoxAverage(int width)
        : m_factor(uint32_t(((uint64_t(1) << kShift) + uint64_t(width) - 1) / uint64_t(width))),
          m_half(uint32_t(width / 2))
    {
        if (width > kWidestExact) {
            m_table.resize(size_t(255 * width + 1));
            for (size_t sum = 0; sum < m_table.size(); ++sum)
                m_table[sum] = uchar((int(sum) + width / 2) / width);
        }
    }
    // Writes the average of each of `count` sums to `out`. The factor is held in a local:
    // written through a byte pointer, a member would have to be read again for every byte.
    void write(const uint32_t* sums, uchar* out, int count) const
    {
        if (!m_table.empty()) {
            for (int i = 0; i < count; ++i)
                out[i] = m_table[sums[i]];
            return;
        }
        const uint32_t factor = m_factor;
        const uint32_t half = m_half;
        for (int i = 0; i < count; ++i)
            out[i] = uchar(((sums[i] + half) * factor) >> kShift);
    }

private:
    static constexpr int kShift = 23;
    static constexpr int kWidestExact = 185;
    uint32_t m_factor;
    uint32_t m_half;
    std::vector<uchar> m_table;
};

// One box blur of radius r along every row, each of the `channels` interleaved bytes of a
// pixel on its own; outside the image is zero. The row's running sums are taken first, so
// each byte's box is one difference of two of them.
template <int channels>
void blurRows(uchar* bits, int w, int h, qsizetype bpl, int r, const BoxAverage& average,
              std::vector<uint32_t>& sums, std::vector<uint32_t>& boxes)
{
    boxes.resize(size_t(w) * channels);
    // Per channel, the running sum at pixel k is the total of the row's first k - r - 1
    // pixels (none before the row starts, all after it ends), so pixel i's box is the sum at
    // i + 2r + 2 less the sum at i + 1. The sums lie interleaved as the channels do.
    sums.assign(size_t(w + 2 * r + 3) * channels, 0);
    uint32_t* const s = sums.data();
    const int count = w * channels;
    const uint32_t* const last = s + (2 * r + 2) * channels;
    const uint32_t* const first = s + channels;
    for (int y = 0; y < h; ++y) {
        uchar* const row = bits + y * bpl;
        std::array<uint32_t, channels> total{};
        uint32_t* to = s + (r + 2) * channels;
        for (int i = 0; i < w; ++i) {
            for (int c = 0; c < channels; ++c) {
                total[size_t(c)] += row[i * channels + c];
                *to++ = total[size_t(c)];
            }
        }
        for (int k = w + r + 2; k < w + 2 * r + 3; ++k) {
            for (int c = 0; c < channels; ++c)
                s[k * channels + c] = total[size_t(c)];
        }
        uint32_t* const box = boxes.data();
        for (int j = 0; j < count; ++j)
            box[j] = last[j] - first[j];
        average.write(box, row, count);
    }
}

// One box blur of radius r down every column, walked a row at a time so the image is read
// in the order it lies in memory.
void blurColumns(uchar* bits, int w, int h, qsizetype bpl, int channels, int r,
                 const BoxAverage& average, std::vector<uchar>& copy, std::vector<uint32_t>& sums)
{
    const int count = w * channels;
    copy.resize(size_t(count) * size_t(h));
    for (int y = 0; y < h; ++y)
        std::copy(bits + y * bpl, bits + y * bpl + count, copy.begin() + qsizetype(y) * count);
    sums.assign(size_t(count), 0);
    uint32_t* sum = sums.data();
    const auto row = [&](int y) { return copy.data() + qsizetype(y) * count; };
    for (int y = 0; y <= std::min(r, h - 1); ++y) {
        const uchar* enter = row(y);
        for (int x = 0; x < count; ++x)
            sum[x] += enter[x];
    }
    for (int y = 0; y < h; ++y) {
        uchar* out = bits + y * bpl;
        average.write(sum, out, count);
        if (y + r + 1 < h) {
            const uchar* enter = row(y + r + 1);
            for (int x = 0; x < count; ++x)
                sum[x] += enter[x];
        }
        if (y - r >= 0) {
            const uchar* leave = row(y - r);
            for (int x = 0; x < count; ++x)
                sum[x] -= leave[x];
        }
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
    const int w = image.width();
    const int h = image.height();
    const qsizetype bpl = image.bytesPerLine();
    uchar* bits = image.bits();
    std::vector<uchar> copy;
    std::vector<uint32_t> sums;
    std::vector<uint32_t> boxes;
    for (int r : boxRadii(sigma)) {
        if (r <= 0)
            continue;
        const BoxAverage average(2 * r + 1);
        if (channels == 1)
            blurRows<1>(bits, w, h, bpl, r, average, sums, boxes);
        else
            blurRows<4>(bits, w, h, bpl, r, average, sums, boxes);
        blurColumns(bits, w, h, bpl, channels, r, average, copy, sums);
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
    // Made pixel by pixel, not with a painter: the raster engine hands each tall copy or
    // fill to other threads and waits for them, which costs more than the work.
    QImage alpha(silhouette.width() + 2 * pad, silhouette.height() + 2 * pad,
                 QImage::Format_Alpha8);
    alpha.fill(0);
    const bool words = silhouette.format() == QImage::Format_ARGB32_Premultiplied ||
                       silhouette.format() == QImage::Format_ARGB32;
    const QImage source = words ? silhouette : silhouette.convertToFormat(QImage::Format_Alpha8);
    // The sizes are read once: a write through a byte pointer could change them for all the
    // compiler knows, and each read is a call.
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        uchar* to = alpha.scanLine(y + pad) + pad;
        if (words) {
            const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            for (int x = 0; x < width; ++x)
                to[x] = uchar(qAlpha(from[x]));
        } else {
            std::memcpy(to, source.constScanLine(y), size_t(width));
        }
    }

    blurInPlace(alpha, radius / 2 * dpr);

    // The colour laid in the blurred coverage, rounded as a SourceIn fill of the raster engine
    // rounds it: the colour premultiplied at 16 bits, then each channel times the coverage.
    const QRgb premultiplied = qPremultiply(color.rgba64()).toArgb32();
    std::array<QRgb, 256> tinted{};
    for (uint coverage = 0; coverage < 256; ++coverage)
        tinted[coverage] = Colors::byteMultiplied(premultiplied, coverage);
    QImage shadow(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < alpha.height(); ++y) {
        const uchar* from = alpha.constScanLine(y);
        auto* to = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        std::transform(from, from + alpha.width(), to, [&](uchar c) { return tinted[c]; });
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
