#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <list>
#include <optional>
#include <unordered_map>

// Finds the room's images by name and keeps what it found in a memory cache of at most 32
// images or 16 MiB (width x height x 4 of each image in points). Misses are never kept, so
// an image that appears later is found on the next request. The program's own pictures are
// compiled in (":/images/"); every piece still draws its own fallback when a lookup comes
// back empty.
//
// A name is looked up in this order, each step only when the earlier ones found nothing:
// the cache (under the name exactly as asked); then, with a trailing ".png", ".jpg" or
// ".jpeg" cut off, the resource bundle (the base name as a file, then with each of those
// extensions), the images compiled into the program (":/images/"), the installed data
// folder and the folder "resources" under the current directory (each with the extensions).
// In a folder compiled into the program, a picture kept as its decoded pixels (the base
// name with ".pixels", kit/picture_pixels.h) comes before the extensions.
class AssetLoader {
public:
    struct Locations {
        // Folders that may hold the resource bundle; the first that exists is used.
        QStringList bundleCandidates;
        // Searched in order after the bundle, with each extension.
        QStringList folders;
    };

    // The program's own locations, beside the executable.
    static Locations standardLocations();

    explicit AssetLoader(Locations locations);
    static AssetLoader& shared();

    // The image called `name`, or nothing.
    std::optional<QImage> image(const QString& name);
    void clearCache();
    // Stores `image` under `name` and returns it.
    QImage storeInCache(const QImage& image, const QString& name);

    // `text` without its last `count` characters.
    static QString dropSuffix(int count, const QString& text);
    // The name with one trailing ".png", ".jpg" or ".jpeg" (in that order, case-sensitive)
    // cut off.
    static QString baseName(const QString& name);
    static qint64 cost(const QImage& image);

    static constexpr int countLimit = 32;
    static constexpr qint64 costLimit = 16 * 1024 * 1024;

    int cachedCount() const { return int(m_entries.size()); }
    qint64 cachedCost() const { return m_cost; }
    bool isCached(const QString& name) const { return m_index.count(name) > 0; }
    // How many searches went past the cache, for tests.
    int searchCount() const { return m_searches; }

private:
    std::optional<QImage> search(const QString& name);
    static std::optional<QImage> load(const QString& path);
    const std::optional<QString>& bundle();

    struct Entry {
        QString name;
        QImage image;
        qint64 cost;
    };

    Locations m_locations;
    std::optional<std::optional<QString>> m_bundle; // looked up once
    std::list<Entry> m_entries;                     // most recently used first
    std::unordered_map<QString, std::list<Entry>::iterator> m_index;
    qint64 m_cost = 0;
    int m_searches = 0;
};
