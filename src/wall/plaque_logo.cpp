#include "wall/plaque_logo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace PlaqueLogo {
QStringList standardFolders()
{
    QStringList folders;
    const QString resources = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/../share/pondsill"));
    if (QFileInfo(resources).isDir())
        folders << resources;
    folders << QDir::currentPath() << QDir::homePath() + QStringLiteral("/Pondsill");
    return folders;
}

std::optional<QString> find(const QString& fileName, const QStringList& folders)
{
    if (fileName.isEmpty())
        return std::nullopt;
    const QStringList candidates = {QStringLiteral("Assets/Logos/") + fileName,
                                    QStringLiteral("Assets/") + fileName, fileName};
    for (const QString& folder : folders) {
        for (const QString& candidate : candidates) {
            const QString path = QDir(folder).filePath(candidate);
            if (QFileInfo(path).isFile())
                return path;
        }
    }
    return std::nullopt;
}

QString resolve(const QString& fileName, const QStringList& folders)
{
    return find(fileName, folders).value_or(QDir::current().filePath(fileName));
}
} // namespace PlaqueLogo
