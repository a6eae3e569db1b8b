#include "bookshelf/shelf_metrics.h"

#include "kit/colors.h"
#include "platform/file_operations.h"

#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

namespace ShelfMetrics {
namespace {
constexpr std::array<qreal, 5> kBookWidths = {23, 26, 29, 33, 24};
constexpr qint64 kBundleFallbackSize = 40LL * 1024 * 1024;

std::optional<qint64> statSize(const QString& path, bool followLinks)
{
    const QByteArray bytes = QFile::encodeName(path);
    struct stat st {};
    const int rc = followLinks ? ::stat(bytes.constData(), &st) : ::lstat(bytes.constData(), &st);
    if (rc != 0)
        return std::nullopt;
    return qint64(st.st_size);
}

bool isBundleName(const QString& name)
{
    return QFileInfo(name).suffix().compare(u"app", Qt::CaseInsensitive) == 0 &&
           !QFileInfo(name).completeBaseName().isEmpty();
}
} // namespace

std::uint64_t lookHash(const QString& name)
{
    std::uint64_t h = 14695981039346656037ULL;
    for (const char byte : name.toUtf8()) {
        h ^= std::uint8_t(byte);
        h *= 1099511628211ULL;
    }
    return h;
}

bool isFolderItem(const QString& path)
{
    const std::optional<FileOperations::EntryStatus> status = FileOperations::resolvedStatus(path);
    return status && status->isDirectory &&
           QFileInfo(path).suffix().compare(u"app", Qt::CaseInsensitive) != 0;
}

int folderEntryCount(const QString& path)
{
    return folderEntries(path).value_or(0);
}

std::optional<int> folderEntries(const QString& path)
{
    const std::optional<std::vector<QByteArray>> names = FileOperations::listNames(path, true);
    if (!names)
        return std::nullopt;
    return int(names->size());
}

qint64 itemSize(const QString& path)
{
    if (const std::optional<qint64> size = statSize(path, true))
        return *size;
    return statSize(path, false).value_or(0);
}

qreal shelfItemWidth(bool isFolder, int entryCount, std::uint64_t hash)
{
    if (isFolder)
        return entryCount < 11 ? 64 : entryCount < 36 ? 72 : 80;
    return kBookWidths[hash % kBookWidths.size()];
}

qreal bookHeightForSize(qint64 size)
{
    const qreal s = (std::log10(qreal(std::max<qint64>(size, 1024))) - 3) / 5;
    return 65 + 36 * std::min(s, qreal(1));
}

qreal bookHeightForFile(const QString& path)
{
    qint64 size = itemSize(path);
    const QString name = QFileInfo(path).fileName();
    if (size <= 4096 && isBundleName(name)) {
        const QString executable =
            path + QStringLiteral("/Contents/MacOS/") + QFileInfo(name).completeBaseName();
        const qint64 inner = itemSize(executable);
        size = inner > 0 ? inner : kBundleFallbackSize;
    }
    return bookHeightForSize(size);
}

qreal boxHeight(int entryCount)
{
    return 66 + 36 * std::min(std::sqrt(qreal(std::max(entryCount, 0))) / 6, qreal(1));
}

const std::array<QColor, 10>& bookSpinePalette()
{
    static const std::array<QColor, 10> palette = {
        Colors::srgb(0.58, 0.16, 0.18), Colors::srgb(0.14, 0.22, 0.35),
        Colors::srgb(0.16, 0.34, 0.22), Colors::srgb(0.72, 0.44, 0.15),
        Colors::srgb(0.20, 0.22, 0.26), Colors::srgb(0.48, 0.16, 0.42),
        Colors::srgb(0.68, 0.28, 0.18), Colors::srgb(0.15, 0.35, 0.38),
        Colors::srgb(0.42, 0.25, 0.18), Colors::srgb(0.25, 0.20, 0.38),
    };
    return palette;
}

// Places are small and never negative; the hash is reduced before it is added, so no sum
// overflows.
QColor spineColor(std::uint64_t hash, int shelfIndex, int itemIndex)
{
    const std::uint64_t place = std::uint64_t(7 * itemIndex + 3 * shelfIndex) % 10;
    return bookSpinePalette()[(place + hash % 10) % 10];
}

int spineStyle(std::uint64_t hash, int shelfIndex, int itemIndex)
{
    const std::uint64_t place = std::uint64_t(3 * itemIndex + 2 * shelfIndex) % 5;
    return int((place + (hash / 7) % 5) % 5);
}

int boxStyle(int shelfIndex, int itemIndex)
{
    return (3 * shelfIndex + itemIndex) % 4;
}

qreal bookTilt(int spineStyle, std::uint64_t hash)
{
    if (spineStyle != 4)
        return 0;
    return hash % 2 == 1 ? 3 : -3;
}

QString bookTitle(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

qreal titleFontSize(qreal bookWidth)
{
    return bookWidth < 28 ? 7.5 : 8.5;
}

Entry measure(const QUrl& url)
{
    Entry e;
    e.url = url;
    const QString path = url.toLocalFile();
    e.name = QFileInfo(path).fileName();
    e.hash = lookHash(e.name);
    e.isFolder = isFolderItem(path);
    if (e.isFolder) {
        const std::optional<int> count = folderEntries(path);
        e.entryCount = count.value_or(0);
        e.readable = count.has_value();
    }
    e.width = shelfItemWidth(e.isFolder, e.entryCount, e.hash);
    e.bookHeight = e.isFolder ? 0 : bookHeightForFile(path);
    return e;
}

Distribution distribute(const QList<qreal>& widths, qreal rowWidth)
{
    Distribution d;
    int shelf = 0;
    qreal x = 0;
    for (int i = 0; i < widths.size(); ++i) {
        const qreal w = widths[i];
        if (x + w > rowWidth && !d.shelves[shelf].isEmpty()) {
            if (shelf == 1)
                break;
            shelf = 1;
            x = 0;
        }
        d.shelves[shelf].append(i);
        x += w + kItemSpacing;
    }
    return d;
}

} // namespace ShelfMetrics
