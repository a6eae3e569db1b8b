#pragma once

#include <QImage>
#include <QString>

namespace Thumbnails {

// The picture at `path` turned upright by its orientation tag and scaled down, aspect
// ratio kept, so that its longer side is at most `maxPixelSize` pixels. A null image
// when the file cannot be read as a picture.
QImage load(const QString& path, int maxPixelSize);

} // namespace Thumbnails
