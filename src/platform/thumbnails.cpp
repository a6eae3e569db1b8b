#include "platform/thumbnails.h"

#include <QImageReader>

namespace Thumbnails {

QImage load(const QString& path, int maxPixelSize)
{
    if (maxPixelSize <= 0)
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const QSize bound(maxPixelSize, maxPixelSize);
    // Decoding at the smaller size is what keeps large photos cheap.
    if (size.isValid() && (size.width() > maxPixelSize || size.height() > maxPixelSize))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > maxPixelSize || image.height() > maxPixelSize)
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace Thumbnails
