#include "storage/item_paths.h"

#include <QDir>
#include <QFileInfo>

namespace ItemPaths {

QString joined(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

bool liesDirectlyIn(const QString& path, const QString& folder)
{
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !parent.isEmpty() && parent == QFileInfo(folder).canonicalFilePath();
}

QString realLocation(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(path));
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return info.absoluteFilePath();
    return folder == QLatin1String("/") ? folder + info.fileName()
                                        : folder + QLatin1Char('/') + info.fileName();
}

QString localPath(const QUrl& url)
{
    const QString path = url.toLocalFile();
    return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : QString();
}

NameParts splitExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return {name, {}};
    return {name.left(dot), name.mid(dot + 1)};
}

QString lastComponent(QString name)
{
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? name : name.mid(slash + 1);
}

} // namespace ItemPaths
