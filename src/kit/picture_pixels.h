#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// A picture kept as the pixels it decodes to, so that showing it needs no decoder: a short
// header (the magic "PSPX", then width, height, bytes per line and QImage format as
// little-endian 32-bit numbers, padded to 32 bytes) and the rows as they lie in memory.
// The program's own pictures are compiled in this way, read where they lie.
namespace PicturePixels {

constexpr qsizetype headerSize = 32;

// `image` kept: its format, size and rows exactly.
QByteArray encode(const QImage& image);

// The picture `data` holds, or a null image when the header is not one of ours or promises
// more than `data` holds. The image reads `data` where it lies when its rows are aligned as
// an image's must be, so `data` must outlive every copy of it (compiled-in data does);
// otherwise it is a copy.
QImage view(QByteArrayView data);

} // namespace PicturePixels
