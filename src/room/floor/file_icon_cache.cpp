#include "room/floor/file_icon_cache.h"

#include "kit/icon_theme.h"

#include <QFileIconProvider>
#include <QFileInfo>

FileIconCache::FileIconCache() : m_cache(capacity)
{
    IconTheme::ensureLoaded();
}

FileIconCache& FileIconCache::shared()
{
    static FileIconCache instance;
    return instance;
}

QIcon FileIconCache::icon(const QUrl& url)
{
    if (const QIcon* cached = m_cache.object(url))
        return *cached;
    const QIcon found = lookUp(url);
    m_cache.insert(url, new QIcon(found)); // cost 1: the limit counts icons
    return found;
}

void FileIconCache::clear()
{
    m_cache.clear();
    m_byType.clear();
}

QStringList FileIconCache::iconNames(const QMimeType& type)
{
    QStringList names;
    if (type.isValid()) {
        names << type.iconName();
        // A folder's MIME icon is "inode-directory"; themes draw folders as "folder".
        if (type.name() == QLatin1String("inode/directory"))
            names << QStringLiteral("folder");
        names << type.genericIconName();
        for (const QString& parent : type.allAncestors()) {
            QString name = parent;
            names << name.replace(QLatin1Char('/'), QLatin1Char('-'));
        }
    }
    names << QStringLiteral("text-x-generic") << QStringLiteral("application-x-generic");
    names.removeDuplicates();
    names.removeAll(QString());
    return names;
}

QIcon FileIconCache::lookUp(const QUrl& url)
{
    const QString path = url.toLocalFile();
    const QFileInfo info(path);
    // A dangling link or a vanished file still gets an icon by its name.
    const QMimeType type =
        info.exists() ? m_mimeDatabase.mimeTypeForFile(info)
                      : m_mimeDatabase.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const QString typeName = type.name();
    if (const auto known = m_byType.constFind(typeName); known != m_byType.constEnd())
        return *known;
    for (const QString& name : iconNames(type)) {
        if (QIcon::hasThemeIcon(name)) {
            // Files of one type share one icon, and with it the pictures drawn from it.
            const QIcon icon = QIcon::fromTheme(name);
            m_byType.insert(typeName, icon);
            return icon;
        }
    }
    static const QFileIconProvider provider;
    return provider.icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
}
