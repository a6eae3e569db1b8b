#include "platform/thumbnails.h"

#include "platform/file_operations.h"

#include <QFile>
#include <QImageReader>

#include <unistd.h>

namespace Thumbnails {

QImage load(const QString& path, int maxPixelSize)
{
    if (maxPixelSize <= 0)
        return {};
    // Only a regular file is read: a pipe bearing a picture's name would hold the reader
    // (and a worker with it) until something writes to it.
    struct stat st {};
    const int fd = FileOperations::openRegularFile(path, &st);
    if (fd < 0)
        return {};
    // Named as the file is: the reader takes the format to try first from the name's
    // extension, as it does when given the name.
    QFile file(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    QImageReader reader(&file);
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
