#include "kit/picture_pixels.h"

#include <QtEndian>

#include <array>
#include <cstdint>
#include <cstring>

namespace PicturePixels {
namespace {
constexpr char kMagic[4] = {'P', 'S', 'P', 'X'};

// The formats a decoder hands out for the room's pictures; anything else is refused rather
// than trusted to describe its own rows.
bool known(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888:
    case QImage::Format_Grayscale8:
    case QImage::Format_Alpha8:
        return true;
    default:
        return false;
    }
}
} // namespace

QByteArray encode(const QImage& image)
{
    if (image.isNull() || !known(image.format()))
        return {};
    const qsizetype rowBytes = image.bytesPerLine();
    QByteArray data(headerSize + rowBytes * image.height(), '\0');
    auto* out = reinterpret_cast<uchar*>(data.data());
    std::memcpy(out, kMagic, sizeof kMagic);
    const std::array<quint32, 4> fields = {quint32(image.width()), quint32(image.height()),
                                           quint32(rowBytes), quint32(image.format())};
    for (size_t i = 0; i < fields.size(); ++i)
        qToLittleEndian(fields[i], out + 4 + 4 * i);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(out + headerSize + rowBytes * y, image.constScanLine(y), size_t(rowBytes));
    return data;
}

QImage view(QByteArrayView data)
{
    if (data.size() < headerSize || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0)
        return {};
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const auto field = [&](int i) { return qFromLittleEndian<quint32>(bytes + 4 + 4 * i); };
    const quint32 width = field(0);
    const quint32 height = field(1);
    const quint32 rowBytes = field(2);
    const auto format = QImage::Format(field(3));
    // Every number checked before it is used: a damaged header must not reach past the data.
    if (!known(format) || width == 0 || height == 0 || width > 32768 || height > 32768)
        return {};
    const quint64 minimumRow =
        (quint64(width) * quint64(QImage::toPixelFormat(format).bitsPerPixel()) + 7) / 8;
    if (rowBytes < minimumRow || rowBytes % 4 != 0 ||
        quint64(data.size() - headerSize) < quint64(rowBytes) * height)
        return {};
    const uchar* rows = bytes + headerSize;
    const QImage lying(rows, int(width), int(height), qsizetype(rowBytes), format);
    // An image's rows must start on 4-byte boundaries.
    if (reinterpret_cast<quintptr>(rows) % 4 != 0)
        return lying.copy();
    return lying;
}

} // namespace PicturePixels
