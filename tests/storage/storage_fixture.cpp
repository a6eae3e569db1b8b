#include "storage_fixture.h"

#include "platform/extended_attributes.h"
#include "platform/file_operations.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString StorageHome::trashRoot() const
{
    return qEnvironmentVariable("XDG_DATA_HOME") + u"/Trash"_s;
}

QString StorageHome::file(const QString& relativePath, const QByteArray& content) const
{
    return writeFile(QDir::cleanPath(root() + u'/' + relativePath), content);
}

QString StorageHome::link(const QString& relativePath, const QString& destination) const
{
    const QString path = QDir::cleanPath(root() + u'/' + relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    FileOperations::createSymbolicLink(destination, path);
    return path;
}

QString StorageHome::dir(const QString& relativePath) const
{
    const QString path = QDir::cleanPath(root() + u'/' + relativePath);
    QDir().mkpath(path);
    return path;
}

QByteArray StorageHome::read(const QString& relativePath) const
{
    return contentOf(root() + u'/' + relativePath);
}

bool StorageHome::exists(const QString& relativePath) const
{
    return FileOperations::entryExists(root() + u'/' + relativePath);
}

bool StorageHome::isLink(const QString& relativePath) const
{
    return FileOperations::isSymbolicLink(root() + u'/' + relativePath);
}

QString StorageHome::userFile(const QString& relativePath, const QByteArray& content) const
{
    return writeFile(home() + u'/' + relativePath, content);
}

StorageManager& StorageHome::start()
{
    m_storage.reset();
    m_storage = std::make_unique<StorageManager>(home());
    m_storage->setEventSounds(&sounds);
    m_storage->setUserPrompts(&prompts);
    return *m_storage;
}

void StorageHome::settle() const
{
    QDeadlineTimer deadline(30000);
    while (m_storage && m_storage->hasMovesInFlight() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

FloorPositions StorageHome::storedPositions() const
{
    const auto layout = decodeFloorLayout(read(u"floor_positions.json"_s));
    return layout ? layout->itemPositions : FloorPositions{};
}

QStringList StorageHome::entries(const QString& relativePath) const
{
    QStringList names =
        FileOperations::listEntries(root() + u'/' + relativePath, true).value_or(QStringList());
    names.sort();
    return names;
}

QUrl url(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

QStringList namesOf(const QList<QUrl>& urls)
{
    QStringList names;
    for (const QUrl& url : urls)
        names.append(url.fileName());
    return names;
}

QString originOf(const QString& path)
{
    return StorageManager::readOriginAttribute(url(path)).value_or(QString());
}

void setOrigin(const QString& path, const QString& origin)
{
    ExtendedAttributes::write(path, ExtendedAttributes::originName, origin.toUtf8());
}
