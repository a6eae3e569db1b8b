#include "storage_test_support.h"

#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "storage/storage_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

StorageHome::StorageHome() = default;

QString StorageHome::root() const
{
    return m_home.path() + QStringLiteral("/Documents/RidezozEvar");
}

QString StorageHome::shelf() const
{
    return root() + QStringLiteral("/Rak");
}

QString StorageHome::carpet() const
{
    return root() + QStringLiteral("/Karpet");
}

QString StorageHome::album() const
{
    return root() + QStringLiteral("/Album");
}

QString StorageHome::file(const QString& relativePath, const QByteArray& content) const
{
    const QString path = QDir::cleanPath(root() + QLatin1Char('/') + relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

QString StorageHome::link(const QString& relativePath, const QString& destination) const
{
    const QString path = QDir::cleanPath(root() + QLatin1Char('/') + relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    FileOperations::createSymbolicLink(destination, path);
    return path;
}

QString StorageHome::dir(const QString& relativePath) const
{
    const QString path = QDir::cleanPath(root() + QLatin1Char('/') + relativePath);
    QDir().mkpath(path);
    return path;
}

QByteArray StorageHome::read(const QString& relativePath) const
{
    QFile f(root() + QLatin1Char('/') + relativePath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool StorageHome::exists(const QString& relativePath) const
{
    return FileOperations::entryExists(root() + QLatin1Char('/') + relativePath);
}

bool StorageHome::isLink(const QString& relativePath) const
{
    return FileOperations::isSymbolicLink(root() + QLatin1Char('/') + relativePath);
}

void StorageHome::setAdded(const QString& relativePath, const QByteArray& seconds) const
{
    ExtendedAttributes::write(root() + QLatin1Char('/') + relativePath,
                              ExtendedAttributes::addedName, seconds);
}

std::unique_ptr<StorageManager> StorageHome::start() const
{
    return std::make_unique<StorageManager>(m_home.path());
}

QStringList namesOf(const QList<QUrl>& urls)
{
    QStringList names;
    for (const QUrl& url : urls)
        names.append(url.fileName());
    return names;
}
