#pragma once

#include <QCache>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QUrl>

// The icons of the files on the floor: the icon theme's icon for each file's MIME type,
// kept for the last 32 files asked for. The window manager empties it while the room
// cannot be seen; the floor asks again on its next paint.
class FileIconCache {
public:
    static constexpr int capacity = 32;

    FileIconCache();

    static FileIconCache& shared();

    // Never fails: a file the theme knows nothing of gets the generic file icon.
    QIcon icon(const QUrl& url);
    void clear();
    int count() const { return m_cache.count(); }
    bool contains(const QUrl& url) const { return m_cache.contains(url); }

    // The theme icon names tried for a file, the most specific first.
    static QStringList iconNames(const QMimeType& type);

private:
    QIcon lookUp(const QUrl& url);

    QCache<QUrl, QIcon> m_cache;
    QHash<QString, QIcon> m_byType; // the theme's icon for each MIME type asked for
    QMimeDatabase m_mimeDatabase;
};
