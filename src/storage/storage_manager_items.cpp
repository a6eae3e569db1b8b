// Small helpers of the storage service shared by the moves, the listings and the views.
#include "storage/storage_manager.h"

#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "platform/thumbnails.h"
#include "storage/dropped_url_reader.h"
#include "storage/item_paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <locale.h>

using ItemPaths::lastComponent;
using ItemPaths::NameParts;
using ItemPaths::splitExtension;

namespace {

// 1 January of year 1, the date of an item about which nothing is known.
constexpr double kDistantPast = -62135596800.0;

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The C library's text-to-double in the C locale (the process locale may use a comma),
// taking the whole text and no leading white space.
std::optional<double> parseSeconds(const QByteArray& bytes)
{
    if (bytes.isEmpty() || std::isspace(static_cast<unsigned char>(bytes.front())) ||
        bytes.contains('\0'))
        return std::nullopt;
    static const locale_t cLocale = ::newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    if (!cLocale)
        return std::nullopt;
    const QByteArray text = bytes; // NUL-terminated copy
    char* end = nullptr;
    const double value = ::strtod_l(text.constData(), &end, cLocale);
    if (end != text.constData() + text.size())
        return std::nullopt;
    // A moment must be a number: not-a-number would break every comparison of dates.
    if (std::isnan(value))
        return std::nullopt;
    return value;
}

double secondsNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

quint64 launchSeed()
{
    static const quint64 seed = QRandomGenerator::system()->generate64();
    return seed;
}

// Spreads the bits of a hash (the finaliser of splitmix64); unsigned, so defined for all.
quint64 mix(quint64 z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

void onGuiThread(const StorageManager::DroppedURLHandler& completion, const QUrl& url)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !completion)
        return;
    QMetaObject::invokeMethod(
        app, [completion, url] { completion(url); }, Qt::QueuedConnection);
}

} // namespace

QUrl StorageManager::uniqueDestination(const QUrl& folder, const QString& name)
{
    return QUrl::fromLocalFile(uniqueDestinationPath(folder.toLocalFile(), name));
}

QString StorageManager::uniqueDestinationPath(const QString& folder, const QString& name)
{
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QLatin1Char('/') + uniqueName({base}, name);
}

QString StorageManager::uniqueName(const QStringList& folders, const QString& name)
{
    // A dangling link holds its name too.
    const auto isFree = [&folders](const QString& candidate) {
        return std::none_of(folders.begin(), folders.end(), [&candidate](const QString& f) {
            return FileOperations::entryExists(f + QLatin1Char('/') + candidate);
        });
    };
    const QString component = lastComponent(name);
    if (isFree(component))
        return component;
    const NameParts parts = splitExtension(component);
    for (quint64 n = 1;; ++n) {
        QString candidate =
            parts.stem + QStringLiteral(" (") + QString::number(n) + QLatin1Char(')');
        if (!parts.extension.isEmpty())
            candidate += QLatin1Char('.') + parts.extension;
        if (isFree(candidate))
            return candidate;
    }
}

void StorageManager::writeOriginAttributes(const QUrl& item, const QString& origin)
{
    const QString path = item.toLocalFile();
    ExtendedAttributes::writeEvenReadOnly(path, ExtendedAttributes::originName, origin.toUtf8());
    writeAddedAttribute(path);
}

void StorageManager::writeAddedAttribute(const QString& path)
{
    const QByteArray added = QByteArray::number(secondsNow(), 'f', QLocale::FloatingPointShortest);
    ExtendedAttributes::writeEvenReadOnly(path, ExtendedAttributes::addedName, added);
}

std::optional<QString> StorageManager::readOriginAttribute(const QUrl& item)
{
    const std::optional<QByteArray> value =
        ExtendedAttributes::read(item.toLocalFile(), ExtendedAttributes::originName);
    if (!value || value->isEmpty())
        return std::nullopt;
    return decodeUtf8(*value);
}

double StorageManager::addedSeconds(const QString& path)
{
    if (const std::optional<QByteArray> added =
            ExtendedAttributes::read(path, ExtendedAttributes::addedName)) {
        if (decodeUtf8(*added)) {
            if (const std::optional<double> seconds = parseSeconds(*added))
                return *seconds;
        }
    }
    // Linux keeps no date of putting an entry into its folder: the entry's own status
    // change is the closest.
    if (const auto entry = FileOperations::entryStatus(path))
        return entry->changeTime;
    if (const auto resolved = FileOperations::resolvedStatus(path))
        return std::floor(resolved->changeTime);
    return kDistantPast;
}

QDateTime StorageManager::addedDate(const QUrl& item)
{
    // Keep to dates that QDateTime can hold: years 1 to 300000.
    const double seconds = std::clamp(addedSeconds(item.toLocalFile()), kDistantPast, 9.4e12);
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000.0)), Qt::UTC);
}

bool StorageManager::isSymbolicLink(const QUrl& item)
{
    return FileOperations::isSymbolicLink(item.toLocalFile());
}

bool StorageManager::isDeadLink(const QString& path)
{
    // One look for a link that leads somewhere, as nearly all do: a floor of thousands of
    // links is listed at the end of a move of many.
    if (FileOperations::exists(path))
        return false;
    const std::optional<QByteArray> destination = FileOperations::readLinkBytes(path);
    if (!destination)
        return false;
    if (*destination == QFile::encodeName(path))
        return true; // a link to itself
    const std::optional<QString> target = FileOperations::resolvedLinkTarget(path);
    return !(target && FileOperations::exists(*target)) && !FileOperations::exists(path);
}

QStringList StorageManager::photoExtensions()
{
    // The photo types people have, and any other type known as a picture by its name, as
    // far as a decoder here reads them: a photo the frame could not show would be taken
    // from the user and hang in the frame as nothing.
    static const QStringList extensions = [] {
        const QStringList photos = {QStringLiteral("jpg"),  QStringLiteral("jpeg"),
                                    QStringLiteral("png"),  QStringLiteral("webp"),
                                    QStringLiteral("heic"), QStringLiteral("tiff"),
                                    QStringLiteral("tif"),  QStringLiteral("gif"),
                                    QStringLiteral("bmp"),  QStringLiteral("icns")};
        const QMimeDatabase types;
        QStringList known;
        for (const QByteArray& format : QImageReader::supportedImageFormats()) {
            const QString extension = QString::fromLatin1(format).toLower();
            if (photos.contains(extension) ||
                types
                    .mimeTypeForFile(QStringLiteral("picture.") + extension,
                                     QMimeDatabase::MatchExtension)
                    .name()
                    .startsWith(QLatin1String("image/")))
                known.append(extension);
        }
        known.removeDuplicates();
        return known;
    }();
    return extensions;
}

bool StorageManager::isImageFile(const QUrl& url)
{
    const QString extension = splitExtension(lastComponent(url.path())).extension;
    return !extension.isEmpty() && photoExtensions().contains(extension.toLower());
}

StoredPosition StorageManager::defaultCarpetPosition(const QString& name)
{
    const quint64 h = mix(quint64(qHash(name, size_t(launchSeed()))) ^ launchSeed());
    const quint64 bucket = h % 8;
    const double a = double((h / 17) % 100);
    const double b = double((h / 1000) % 100);
    if (bucket < 6) {
        const double column = double(bucket % 3);
        const double row = double(bucket / 3);
        return {0.1 + 0.07 * column + 0.05 * a / 100, 0.75 + 0.065 * row + 0.04 * b / 100};
    }
    return {0.76 + 0.05 * double(bucket - 6) + 0.04 * a / 100, 0.8 + 0.04 * b / 100};
}

StoredPosition StorageManager::carpetItemPosition(const QString& name) const
{
    const auto found = floorItemPositions().constFind(name);
    if (found == floorItemPositions().constEnd())
        return defaultCarpetPosition(name);
    return {std::min(std::max(found->x, 0.04), 0.96), std::min(std::max(found->y, 0.06), 0.92)};
}

QImage StorageManager::loadThumbnail(const QUrl& url, int maxPixelSize)
{
    return Thumbnails::load(url.toLocalFile(), maxPixelSize);
}

void StorageManager::loadDroppedURL(const QMimeData& data, const DroppedURLHandler& completion)
{
    loadDroppedURLByTypeIdentifier(data, completion);
}

void StorageManager::completeDroppedURLLoad(const std::optional<QUrl>& url, const QMimeData& data,
                                            const DroppedURLHandler& completion)
{
    if (url) {
        if (const std::optional<QUrl> file = DroppedURLReader::fileURL(*url)) {
            onGuiThread(completion, *file);
            return;
        }
    }
    loadDroppedURLByTypeIdentifier(data, completion);
}

void StorageManager::loadDroppedURLByTypeIdentifier(const QMimeData& data,
                                                    const DroppedURLHandler& completion)
{
    for (const QUrl& url : DroppedURLReader::read(data))
        onGuiThread(completion, url);
}
