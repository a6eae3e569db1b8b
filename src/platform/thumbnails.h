#pragma once

#include <QImage>
#include <QString>

namespace Thumbnails {

// A picture as read, and whether its decoder reported data it could not read (a file cut
// short, corrupt data): the JPEG reader still hands over an image then, the part it could
// not read filled with grey.
struct Decoded {
    QImage image;
    bool damaged = false;
};

// The picture at `path` turned upright by its orientation tag and scaled down, aspect
// ratio kept, so that its longer side is at most `maxPixelSize` pixels. A null image
// when the file cannot be read as a picture.
Decoded read(const QString& path, int maxPixelSize);
// The same, for a picture shown as far as it could be read.
QImage load(const QString& path, int maxPixelSize);

} // namespace Thumbnails
