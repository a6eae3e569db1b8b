#include "platform/thumbnails.h"

#include "platform/file_operations.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

// The decoders tell of lost data only in warnings, so the reading thread listens to what
// is logged while it reads. The handler stays installed and hands every message on to the
// one it replaced.
std::atomic<QtMessageHandler> s_nextHandler{nullptr};
// How many reports of lost data this thread's current read had; -1 while it reads nothing.
thread_local int t_lostDataReports = -1;
// How many pictures this thread's current read refused as beyond the allocation limit.
thread_local int t_refusedAsTooLarge = 0;
thread_local bool t_handing = false;

// Set once, before any thread reads: the limit is the decoders' own, one for the process.
const bool s_limitSet = [] {
    QImageReader::setAllocationLimit(Thumbnails::kDecodeLimitMB);
    return true;
}();

// The decoders' default limit: a picture within it is read at once.
constexpr qint64 kFreeBytes = qint64(128) << 20;
constexpr qint64 kBudgetBytes = qint64(Thumbnails::kDecodeLimitMB) << 20;

// What the pictures being decoded whole beyond the default hold together.
std::mutex s_budgetMutex;
std::condition_variable s_budgetFreed;
qint64 s_budgetTaken = 0;

// Holds `bytes` of the budget (at most all of it) while it lives, waiting until they are free.
class BudgetShare {
public:
    explicit BudgetShare(qint64 bytes)
        : m_bytes(bytes > kFreeBytes ? std::min(bytes, kBudgetBytes) : 0)
    {
        if (m_bytes == 0)
            return;
        std::unique_lock lock(s_budgetMutex);
        s_budgetFreed.wait(lock, [this] { return s_budgetTaken + m_bytes <= kBudgetBytes; });
        s_budgetTaken += m_bytes;
    }
    ~BudgetShare()
    {
        if (m_bytes == 0)
            return;
        {
            const std::lock_guard lock(s_budgetMutex);
            s_budgetTaken -= m_bytes;
        }
        s_budgetFreed.notify_all();
    }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;

private:
    qint64 m_bytes;
};

// The bytes the whole picture takes decoded, as its header tells.
qint64 wholeBytes(QImageReader& reader, const QSize& size)
{
    if (!size.isValid())
        return 0;
    const QImage::Format format = reader.imageFormat();
    const int bits =
        format == QImage::Format_Invalid ? 32 : int(QImage::toPixelFormat(format).bitsPerPixel());
    return qint64(size.width()) * qint64(size.height()) * std::max(bits, 8) / 8;
}

// libjpeg's warnings of pixels it had to make up. Stray bytes between two segments
// ("extraneous bytes before marker") cost no pixel and are common in cameras' files.
bool reportsLostData(const QMessageLogContext& context, const QString& message)
{
    return qstrcmp(context.category, "qt.gui.imageio.jpeg") == 0 &&
           (message.startsWith(QLatin1String("Premature end of JPEG file")) ||
            (message.startsWith(QLatin1String("Corrupt JPEG data")) &&
             !message.contains(QLatin1String("extraneous bytes"))));
}

// Qt's own refusal of a picture that would take more than the allocation limit.
bool reportsTooLarge(const QMessageLogContext& context, const QString& message)
{
    return qstrcmp(context.category, "qt.gui.imageio") == 0 &&
           message.contains(QLatin1String("allocation limit"));
}

void listenToDecoders(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (t_lostDataReports >= 0 && type == QtWarningMsg) {
        if (reportsLostData(context, message))
            ++t_lostDataReports;
        else if (reportsTooLarge(context, message))
            ++t_refusedAsTooLarge;
    }
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
    Q_UNUSED(s_limitSet);
    Decoded refused;
    refused.failure = Failure::NotAPicture;
    if (maxPixelSize <= 0)
        return refused;
    // Only a regular file is read: a pipe bearing a picture's name would hold the reader
    // (and a worker with it) until something writes to it.
    struct stat st {};
    const int fd = FileOperations::openRegularFile(path, &st);
    if (fd < 0)
        return refused;
    // Named as the file is: the reader takes the format to try first from the name's
    // extension, as it does when given the name.
    QFile file(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return refused;
    const QSize size = reader.size();
    const QSize bound(maxPixelSize, maxPixelSize);
    // Decoding at the smaller size is what keeps large photos cheap, where the format
    // allows it (JPEG, 8-bit PNG); the others are decoded whole, then scaled.
    if (size.isValid() && (size.width() > maxPixelSize || size.height() > maxPixelSize))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    const qint64 whole = wholeBytes(reader, size);
    const BudgetShare share(whole);
    listen();
    t_lostDataReports = 0;
    t_refusedAsTooLarge = 0;
    Decoded decoded{reader.read(), false};
    decoded.damaged = t_lostDataReports > 0;
    // Told by Qt's warning, or by the header where such warnings are switched off.
    const bool tooLarge = t_refusedAsTooLarge > 0 || whole > kBudgetBytes;
    t_lostDataReports = -1;
    QImage& image = decoded.image;
    if (image.isNull()) {
        decoded.failure = tooLarge ? Failure::TooLarge : Failure::Damaged;
        return decoded;
    }
    if (decoded.damaged)
        decoded.failure = Failure::Damaged;
    if (image.width() > maxPixelSize || image.height() > maxPixelSize)
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return decoded;
}

QImage load(const QString& path, int maxPixelSize)
{
    return read(path, maxPixelSize).image;
}

} // namespace Thumbnails
