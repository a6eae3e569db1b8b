#include "kit/soft_shadow.h"

#include "kit/colors.h"

#include <QCache>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
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
    uchar of(uint32_t sum) const
    {
        return m_table.empty() ? uchar(((sum + m_half) * m_factor) >> kShift) : m_table[sum];
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

// Where a box can change anything. A box whose 2r + 1 values are all the same keeps its
// value (the rounded mean of c's is c), and the shapes blurred here are mostly one flat fill
// in a clear margin: only the values within r of a place where a value differs from the
// next one can change. `visit(first, last)` is handed each stretch of those positions in
// order, merged, within [0, count). `differs(g)` tells whether position g differs from g + 1,
// for every g from -1 to count - 1 (outside the line counting as zero); `skip(g)` may instead
// tell how many of the gaps from g on are known to hold the same values, or 0.
template <typename Differs, typename Skip, typename Visit>
void forChangingStretches(int count, int r, const Differs& differs, const Skip& skip,
                          const Visit& visit)
{
    int first = -1;
    int last = -2;
    for (int g = -1; g < count;) {
        if (const int same = skip(g); same > 0) {
            g += same;
            continue;
        }
        if (differs(g)) {
            const int from = std::max(0, g - r + 1);
            const int to = std::min(count - 1, g + r);
            if (from > last + 1) {
                if (last >= first && first >= 0)
                    visit(first, last);
                first = from;
            }
            last = to;
        }
        ++g;
    }
    if (last >= first && first >= 0)
        visit(first, last);
}

// One box blur of radius r along every row, each of the `channels` interleaved bytes of a
// pixel on its own; outside the image is zero. Each row is copied between zeros first, so
// its boxes read what it held while it is written; a row that held what the one above it
// held becomes what that one became.
template <int channels>
void blurRows(uchar* bits, int w, int h, qsizetype bpl, int r, const BoxAverage& average,
              std::vector<uchar>& lines)
{
    using Pixel = std::conditional_t<channels == 1, uint8_t, uint32_t>;
    static_assert(sizeof(Pixel) == channels);
    // Room on either side for a box's reach, and for the words compared from the last pixel.
    constexpr int kPerWord = int(sizeof(uint64_t) / sizeof(Pixel));
    const int margin = r + 1 + 2 * kPerWord;
    const size_t stride = size_t(w + 2 * margin);
    lines.assign(2 * stride * sizeof(Pixel), 0);
    // The row being blurred as it was (after a row that was not, what the row above held),
    // and a spare line.
    Pixel* held = reinterpret_cast<Pixel*>(lines.data()) + margin;
    Pixel* spare = held + stride;
    const size_t rowBytes = size_t(w) * sizeof(Pixel);
    for (int y = 0; y < h; ++y) {
        uchar* const row = bits + y * bpl;
        if (y > 0 && std::memcmp(held, row, rowBytes) == 0) {
            std::memcpy(row, row - bpl, rowBytes);
            continue;
        }
        std::swap(held, spare);
        std::memcpy(held, row, rowBytes);
        const auto differs = [&](int g) { return held[g] != held[g + 1]; };
        // Two words of pixels equal to the two words one pixel on: none of those gaps differs.
        const auto skip = [&](int g) {
            uint64_t here[2];
            uint64_t next[2];
            std::memcpy(here, held + g, sizeof here);
            std::memcpy(next, held + g + 1, sizeof next);
            return ((here[0] ^ next[0]) | (here[1] ^ next[1])) == 0 ? 2 * kPerWord : 0;
        };
        forChangingStretches(w, r, differs, skip, [&](int first, int last) {
            for (int c = 0; c < channels; ++c) {
                const auto value = [&](int i) { return uint32_t(held[i] >> (8 * c)) & 0xff; };
                uint32_t sum = 0;
                for (int i = first - r; i <= first + r; ++i)
                    sum += value(i);
                for (int x = first; x <= last; ++x) {
                    row[x * channels + c] = average.of(sum);
                    sum += value(x + r + 1) - value(x - r);
                }
            }
        });
    }
}

// One box blur of radius r down every column, walked a row at a time so the image is read
// in the order it lies in memory. Only the rows a box can change are written, each from a
// copy of the image as it was.
void blurColumns(uchar* bits, int w, int h, qsizetype bpl, int channels, int r,
                 const BoxAverage& average, std::vector<uchar>& copy, std::vector<uint32_t>& sums)
{
    const int count = w * channels;
    copy.resize(size_t(count) * size_t(h));
    for (int y = 0; y < h; ++y)
        std::copy(bits + y * bpl, bits + y * bpl + count, copy.begin() + qsizetype(y) * count);
    const auto row = [&](int y) { return copy.data() + qsizetype(y) * count; };
    const auto clear = [&](int y) {
        const uchar* values = row(y);
        return std::all_of(values, values + count, [](uchar v) { return v == 0; });
    };
    const auto differs = [&](int g) {
        if (g < 0)
            return !clear(0);
        if (g + 1 >= h)
            return !clear(h - 1);
        return std::memcmp(row(g), row(g + 1), size_t(count)) != 0;
    };
    sums.assign(size_t(count), 0);
    uint32_t* const sum = sums.data();
    // Row k (outside the image: nothing) into the box, or out of it.
    const auto enter = [&](int k) {
        if (k < 0 || k >= h)
            return;
        const uchar* values = row(k);
        for (int x = 0; x < count; ++x)
            sum[x] += values[x];
    };
    const auto leave = [&](int k) {
        if (k < 0 || k >= h)
            return;
        const uchar* values = row(k);
        for (int x = 0; x < count; ++x)
            sum[x] -= values[x];
    };
    int summed = -2; // the row whose box `sums` holds
    forChangingStretches(
        h, r, differs, [](int) { return 0; },
        [&](int first, int last) {
            for (int y = first; y <= last; ++y) {
                if (summed == y - 1) {
                    enter(y + r);
                    leave(y - r - 1);
                } else {
                    std::fill(sum, sum + count, 0u);
                    for (int k = y - r; k <= y + r; ++k)
                        enter(k);
                }
                summed = y;
                average.write(sum, bits + y * bpl, count);
            }
        });
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
    for (int r : boxRadii(sigma)) {
        if (r <= 0)
            continue;
        const BoxAverage average(2 * r + 1);
        if (channels == 1)
            blurRows<1>(bits, w, h, bpl, r, average, copy);
        else
            blurRows<4>(bits, w, h, bpl, r, average, copy);
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
