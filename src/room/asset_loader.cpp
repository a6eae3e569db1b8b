#include "room/asset_loader.h"

#include "kit/picture_pixels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QResource>

namespace {
const QString kBundleName = QStringLiteral("Marrowick_Marrowick.bundle");
// Tried in this order, and cut off a name in this order.
const QStringList kExtensions = {QStringLiteral(".png"), QStringLiteral(".jpg"),
                                 QStringLiteral(".jpeg")};

// A picture compiled in as the pixels it decodes to (kit/picture_pixels.h), read where it
// lies in the program: the room's own, which it shows as it starts, need no decoder.
std::optional<QImage> keptPixels(const QString& path)
{
    const QResource resource(path);
    if (!resource.isValid() || resource.size() == 0)
        return std::nullopt;
    QImage image;
    if (resource.compressionAlgorithm() == QResource::NoCompression) {
        image = PicturePixels::view(QByteArrayView(resource.data(), resource.size()));
    } else {
        const QByteArray bytes = resource.uncompressedData();
        image = PicturePixels::view(bytes).copy(); // not to outlive `bytes`
    }
    if (image.isNull())
        return std::nullopt;
    return image;
}
} // namespace

AssetLoader::Locations AssetLoader::standardLocations()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString data = QDir::cleanPath(exeDir + QStringLiteral("/../share/pondsill"));
    Locations l;
    l.bundleCandidates = {data + QLatin1Char('/') + kBundleName,
                          exeDir + QLatin1Char('/') + kBundleName};
    l.folders = {QStringLiteral(":/images"), data, QStringLiteral("resources")};
    return l;
}

AssetLoader::AssetLoader(Locations locations) : m_locations(std::move(locations)) {}

AssetLoader& AssetLoader::shared()
{
    static AssetLoader* instance = new AssetLoader(standardLocations());
    return *instance;
}

QString AssetLoader::dropSuffix(int count, const QString& text)
{
    if (count <= 0)
        return text;
    // Characters, not UTF-16 units: a trailing emoji counts once.
    QString result = text;
    for (int i = 0; i < count && !result.isEmpty(); ++i) {
        const bool pair = result.size() >= 2 && result.at(result.size() - 1).isLowSurrogate() &&
                          result.at(result.size() - 2).isHighSurrogate();
        result.chop(pair ? 2 : 1);
    }
    return result;
}

QString AssetLoader::baseName(const QString& name)
{
    for (const QString& ext : kExtensions) {
        if (name.endsWith(ext))
            return dropSuffix(int(ext.size()), name);
    }
    return name;
}

qint64 AssetLoader::cost(const QImage& image)
{
    const QSizeF points = image.deviceIndependentSize();
    return qint64(points.width() * points.height() * 4);
}

std::optional<QImage> AssetLoader::image(const QString& name)
{
    auto it = m_index.find(name);
    if (it != m_index.end()) {
        m_entries.splice(m_entries.begin(), m_entries, it->second);
        return it->second->image;
    }
    ++m_searches;
    const std::optional<QImage> found = search(name);
    if (!found)
        return std::nullopt;
    return storeInCache(*found, name);
}

QImage AssetLoader::storeInCache(const QImage& image, const QString& name)
{
    if (auto it = m_index.find(name); it != m_index.end()) {
        m_cost -= it->second->cost;
        m_entries.erase(it->second);
        m_index.erase(it);
    }
    const qint64 c = cost(image);
    if (c > costLimit)
        return image; // larger than the whole cache: handed out, not kept
    m_entries.push_front(Entry{name, image, c});
    m_index[name] = m_entries.begin();
    m_cost += c;
    while (int(m_entries.size()) > countLimit || m_cost > costLimit) {
        const Entry& last = m_entries.back();
        m_cost -= last.cost;
        m_index.erase(last.name);
        m_entries.pop_back();
    }
    return image;
}

void AssetLoader::clearCache()
{
    m_entries.clear();
    m_index.clear();
    m_cost = 0;
}

std::optional<QImage> AssetLoader::load(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    // The room's pictures are named by their format. Told it, a reader goes straight to its
    // decoder; left to guess, it first loads every image plugin installed to ask each one.
    const QByteArray named = info.suffix().toLower().toLatin1();
    std::optional<QImageReader> reader(std::in_place, path, named);
    reader->setAutoDetectImageFormat(named.isEmpty());
    if (!named.isEmpty() && !reader->canRead())
        reader.emplace(path); // named wrongly: the content decides after all
    reader->setAutoTransform(true);
    const QImage image = reader->read();
    // A file that does not decode counts as missing; the search goes on.
    if (image.isNull())
        return std::nullopt;
    return image;
}

const std::optional<QString>& AssetLoader::bundle()
{
    if (!m_bundle) {
        m_bundle.emplace();
        for (const QString& candidate : m_locations.bundleCandidates) {
            if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) {
                *m_bundle = candidate;
                break;
            }
        }
    }
    return *m_bundle;
}

std::optional<QImage> AssetLoader::search(const QString& name)
{
    const QString base = baseName(name);
    if (base.isEmpty() && name.isEmpty())
        return std::nullopt;
    // A name is a file name, never a path.
    if (base.contains(QLatin1Char('/')) || base == QLatin1String("..") ||
        base == QLatin1String("."))
        return std::nullopt;

    if (const auto& b = bundle()) {
        if (!base.isEmpty()) {
            if (auto image = load(*b + QLatin1Char('/') + base))
                return image;
        }
        for (const QString& ext : kExtensions) {
            if (auto image = load(*b + QLatin1Char('/') + base + ext))
                return image;
        }
    }
    for (const QString& folder : m_locations.folders) {
        if (folder.startsWith(QLatin1String(":/"))) {
            if (auto image =
                    keptPixels(folder + QLatin1Char('/') + base + QStringLiteral(".pixels")))
                return image;
        }
        for (const QString& ext : kExtensions) {
            if (auto image = load(folder + QLatin1Char('/') + base + ext))
                return image;
        }
    }
    return std::nullopt;
}
