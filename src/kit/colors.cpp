#include "kit/colors.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace Colors {
namespace {
float unit(qreal v)
{
    return float(std::clamp(v, qreal(0), qreal(1)));
}
QPalette palette()
{
    return QGuiApplication::palette();
}
} // namespace

QColor srgb(qreal red, qreal green, qreal blue, qreal opacity)
{
    return QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(opacity));
}

QColor withOpacity(const QColor& color, qreal opacity)
{
    QColor c = color;
    c.setAlphaF(unit(color.alphaF() * opacity));
    return c;
}

QColor black(qreal opacity)
{
    return srgb(0, 0, 0, opacity);
}

QColor white(qreal opacity)
{
    return srgb(1, 1, 1, opacity);
}

QColor windowBackground()
{
    return palette().color(QPalette::Window);
}

QColor controlBackground()
{
    return palette().color(QPalette::Base);
}

QColor selectedControl()
{
    return palette().color(QPalette::Highlight);
}

QColor controlAccent()
{
    return palette().color(QPalette::Highlight);
}

QColor primaryLabel()
{
    return palette().color(QPalette::WindowText);
}

QColor secondaryLabel()
{
    return withOpacity(palette().color(QPalette::WindowText), 0.55);
}

QColor grey(qreal opacity)
{
    return srgb(0.557, 0.557, 0.576, opacity);
}
QColor tertiaryLabel()
{
    return withOpacity(palette().color(QPalette::WindowText), 0.26);
}

QColor greyLevel(qreal level, qreal opacity)
{
    return srgb(level, level, level, opacity);
}
} // namespace Colors

namespace Colors {
QColor system(System name, qreal opacity)
{
    switch (name) {
    case System::Blue:
        return srgb(0.0, 0.478, 1.0, opacity);
    case System::Green:
        return srgb(0.204, 0.780, 0.349, opacity);
    case System::Purple:
        return srgb(0.686, 0.322, 0.871, opacity);
    case System::Indigo:
        return srgb(0.345, 0.337, 0.839, opacity);
    case System::Teal:
        return srgb(0.188, 0.690, 0.780, opacity);
    case System::Pink:
        return srgb(1.0, 0.176, 0.333, opacity);
    case System::Orange:
        return srgb(1.0, 0.584, 0.0, opacity);
    case System::Red:
        return srgb(1.0, 0.231, 0.188, opacity);
    case System::Cyan:
        return srgb(0.196, 0.678, 0.902, opacity);
    case System::Yellow:
        return srgb(1.0, 0.8, 0.0, opacity);
    }
    return black(opacity);
}

namespace {
#ifdef __SSE2__
// byteMultiplied on each 16-bit lane of x, the lanes of `a` holding the factors: exact, as
// each product fits in 16 bits.
inline __m128i byteMul16(__m128i x, __m128i a)
{
    const __m128i v = _mm_mullo_epi16(x, a);
    return _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), _mm_set1_epi16(0x80)), 8);
}

// Two pixels of layInColour: `out` holds them unpacked to 16-bit channels, `shape` their two
// coverages, each in the low byte of four lanes.
inline __m128i layInColour2(__m128i out, __m128i shape, __m128i colour)
{
    const __m128i over = byteMul16(colour, shape);
    // 255 minus each pixel's alpha, in all four of its lanes.
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(over, 0xff), 0xff);
    const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    return _mm_add_epi16(over, byteMul16(out, rest));
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define PONDSILL_WIDE_LANES 1
// byteMul16 and layInColour2 on four pixels in each 128-bit half.
__attribute__((target("avx2"))) inline __m256i byteMul16Wide(__m256i x, __m256i a)
{
    const __m256i v = _mm256_mullo_epi16(x, a);
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(v, _mm256_srli_epi16(v, 8)), _mm256_set1_epi16(0x80)), 8);
}

__attribute__((target("avx2"))) inline __m256i layInColour4(__m256i out, __m256i shape,
                                                            __m256i colour)
{
    const __m256i over = byteMul16Wide(colour, shape);
    const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(over, 0xff), 0xff);
    return _mm256_add_epi16(over,
                            byteMul16Wide(out, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)));
}

// Eight pixels of layInColour, their coverage in the eight bytes of `coverage`.
__attribute__((target("avx2"))) inline __m256i
layInColour8(__m256i pixels, unsigned long long coverage, __m256i colours)
{
    // Coverage bytes 0, 1 (then 4, 5 in the upper half) and 2, 3 (6, 7) each spread over
    // their pixel's four 16-bit lanes, as the pixels unpack within each half.
    const __m256i low = _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 1, -1, 1, -1, 1, -1, 1, -1, 4,
                                         -1, 4, -1, 4, -1, 4, -1, 5, -1, 5, -1, 5, -1, 5, -1);
    const __m256i high = _mm256_setr_epi8(2, -1, 2, -1, 2, -1, 2, -1, 3, -1, 3, -1, 3, -1, 3, -1, 6,
                                          -1, 6, -1, 6, -1, 6, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bytes = _mm256_set1_epi64x((long long)coverage);
    const __m256i first =
        layInColour4(_mm256_unpacklo_epi8(pixels, zero), _mm256_shuffle_epi8(bytes, low), colours);
    const __m256i second =
        layInColour4(_mm256_unpackhi_epi8(pixels, zero), _mm256_shuffle_epi8(bytes, high), colours);
    return _mm256_packus_epi16(first, second);
}

// layInColour eight pixels at a time, where the processor has the wider lanes. The last
// few pixels of a row go through the same lanes, masked: only their pixels are read and
// written, and no coverage beyond them is read.
__attribute__((target("avx2"))) void layInColourWide(QRgb* out, const uchar* shape, int n,
                                                     QRgb colour)
{
    const __m256i colours = _mm256_cvtepu8_epi16(_mm_set1_epi32(int(colour)));
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        unsigned long long coverage;
        std::memcpy(&coverage, shape + x, 8);
        auto* const at = reinterpret_cast<__m256i*>(out + x);
        _mm256_storeu_si256(at, layInColour8(_mm256_loadu_si256(at), coverage, colours));
    }
    const int left = n - x;
    if (left == 0)
        return;
    unsigned long long coverage = 0;
    for (int k = 0; k < left; ++k)
        coverage |= (unsigned long long)shape[x + k] << (8 * k);
    const __m256i within =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(left), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    auto* const at = reinterpret_cast<int*>(out + x);
    _mm256_maskstore_epi32(at, within,
                           layInColour8(_mm256_maskload_epi32(at, within), coverage, colours));
}
#endif

} // namespace

// Eight or four pixels at a time in 16-bit lanes, with the same rounding as the pixel by
// pixel form after them.
void layInColour(QRgb* pixels, const uchar* coverage, int count, QRgb colour)
{
    int x = 0;
#ifdef PONDSILL_WIDE_LANES
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide) {
        layInColourWide(pixels, coverage, count, colour);
        return;
    }
#endif
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    const __m128i colours = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero);
    for (; x + 4 <= count; x += 4) {
        quint32 bytes4;
        std::memcpy(&bytes4, coverage + x, 4);
        // Each coverage byte spread over its pixel's four channels.
        const __m128i bytes = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(bytes4)), zero);
        const __m128i spread = _mm_unpacklo_epi16(bytes, bytes);
        const __m128i first = _mm_unpacklo_epi32(spread, spread);
        const __m128i second = _mm_unpackhi_epi32(spread, spread);
        const __m128i laid = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + x));
        const __m128i low = layInColour2(_mm_unpacklo_epi8(laid, zero), first, colours);
        const __m128i high = layInColour2(_mm_unpackhi_epi8(laid, zero), second, colours);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + x), _mm_packus_epi16(low, high));
    }
#endif
    for (; x < count; ++x) {
        const QRgb over = byteMultiplied(colour, coverage[x]);
        pixels[x] = over + byteMultiplied(pixels[x], 255 - (over >> 24));
    }
}
} // namespace Colors
