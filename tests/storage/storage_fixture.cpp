#include "storage_fixture.h"

#include "platform/extended_attributes.h"
#include "platform/file_operations.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

#include <unistd.h>

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

namespace {
QString expanded(const StorageHome& f, const QString& path)
{
    if (path.startsWith(u"~/"))
        return f.home() + path.mid(1);
    return path.startsWith(u"@/") ? f.root() + path.mid(1) : path;
}
} // namespace

QString StorageHome::path(const QString& written) const
{
    const QString path = expanded(*this, written);
    return path.startsWith(u'/') ? path : root() + u'/' + path;
}

bool StorageHome::lay(const QStringList& entries) const
{
    bool made = true;
    for (const QString& entry : entries) {
        for (const QString& kind : {u" -> "_s, u" == "_s, u" @ "_s, u": "_s}) {
            const qsizetype at = entry.indexOf(kind);
            if (at < 0)
                continue;
            const QString entryPath = path(entry.left(at));
            const QString other = entry.mid(at + kind.size());
            QDir().mkpath(QFileInfo(entryPath).absolutePath());
            if (kind == u" -> ")
                made &= bool(FileOperations::createSymbolicLink(expanded(*this, other), entryPath));
            else if (kind == u" == ")
                made &= ::link(QFile::encodeName(path(other)).constData(),
                               QFile::encodeName(entryPath).constData()) == 0;
            else if (kind == u" @ ")
                setOrigin(entryPath, path(other));
            else
                made &= QFile::exists(writeFile(entryPath, other.toUtf8()));
            break;
        }
    }
    return made;
}

QStringList StorageHome::layout(bool ownFiles) const
{
    QStringList lines;
    const auto text = [this](QString path) {
        return path.replace(root(), u"@"_s).replace(home(), u"~"_s);
    };
    const auto shown = [&](const QString& path) {
        return path.startsWith(root() + u'/') ? path.mid(root().size() + 1) : text(path);
    };
    std::function<void(const QString&)> walk = [&](const QString& folder) {
        const QStringList names = FileOperations::listEntries(folder, true).value_or(QStringList());
        if (names.isEmpty() &&
            !QStringList{u"Rak"_s, u"Karpet"_s, u"Album"_s}.contains(shown(folder)))
            lines.append(shown(folder) + u'/');
        for (const QString& name : names) {
            const QString path = folder + u'/' + name;
            if (FileOperations::isSymbolicLink(path))
                lines.append(shown(path) + u" -> "_s +
                             text(FileOperations::readLink(path).value_or(QString())));
            else if (FileOperations::isDirectory(path))
                walk(path);
            else if (ownFiles || folder != root() || !name.endsWith(u".json"))
                lines.append(shown(path) + u": "_s + QString::fromUtf8(contentOf(path)));
        }
    };
    walk(home());
    lines.sort();
    return lines;
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
