#include "platform/thumbnails.h"

#include "platform/file_operations.h"

#include <QFile>
#include <QImageReader>

#include <atomic>
#include <cstdio>
#include <unistd.h>

namespace {

// The decoders tell of lost data only in warnings, so the reading thread listens to what
// is logged while it reads. The handler stays installed and hands every message on to the
// one it replaced.
std::atomic<QtMessageHandler> s_nextHandler{nullptr};
// How many reports of lost data this thread's current read had; -1 while it reads nothing.
thread_local int t_lostDataReports = -1;
thread_local bool t_handing = false;

// libjpeg's warnings of pixels it had to make up. Stray bytes between two segments
// ("extraneous bytes before marker") cost no pixel and are common in cameras' files.
bool reportsLostData(const QMessageLogContext& context, const QString& message)
{
    return qstrcmp(context.category, "qt.gui.imageio.jpeg") == 0 &&
           (message.startsWith(QLatin1String("Premature end of JPEG file")) ||
            (message.startsWith(QLatin1String("Corrupt JPEG data")) &&
             !message.contains(QLatin1String("extraneous bytes"))));
}

void listenToDecoders(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (t_lostDataReports >= 0 && type == QtWarningMsg && reportsLostData(context, message))
        ++t_lostDataReports;
    const QtMessageHandler next = s_nextHandler.load();
    // A handler that hands back to this one (it was replaced and put back) would loop.
    if (!next || t_handing) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        return;
    }
    t_handing = true;
    next(type, context, message);
    t_handing = false;
}

// Installed again before each read: a handler installed later (a test's) may have
// replaced it and put its own predecessor back since.
void listen()
{
    const QtMessageHandler previous = qInstallMessageHandler(listenToDecoders);
    if (previous != listenToDecoders)
        s_nextHandler.store(previous);
}

} // namespace

namespace Thumbnails {

Decoded read(const QString& path, int maxPixelSize)
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
    listen();
    t_lostDataReports = 0;
    Decoded decoded{reader.read(), false};
    decoded.damaged = t_lostDataReports > 0;
    t_lostDataReports = -1;
    QImage& image = decoded.image;
    if (image.isNull())
        return {};
    if (image.width() > maxPixelSize || image.height() > maxPixelSize)
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return decoded;
}

QImage load(const QString& path, int maxPixelSize)
{
    return read(path, maxPixelSize).image;
}

} // namespace Thumbnails
