#include "storage_fixture.h"

#include "platform/extended_attributes.h"
#include "platform/file_operations.h"
#include "support/bulk_slices.h"
#include "support/settled.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {
// Every entry under `top`, each with what follows its path in a listing: ": content",
// " -> destination", or "/" for a folder left empty.
QList<std::pair<QString, QString>> walk(const QString& top)
{
    QList<std::pair<QString, QString>> entries;
    const auto all = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    for (QDirIterator it(top, all, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        const QByteArray content = it.fileInfo().isSymLink() ? QByteArray() : contentOf(path);
        if (it.fileInfo().isSymLink())
            entries.append({path, u" -> "_s + FileOperations::readLink(path).value_or(u""_s)});
        else if (it.fileInfo().isDir() && QDir(path).isEmpty(all))
            entries.append({path, u"/"_s});
        else if (it.fileInfo().isFile())
            entries.append(
                {path, content.size() <= 64
                           ? u": "_s + QString::fromUtf8(content)
                           : u": %1 bytes #%2"_s.arg(content.size()).arg(qChecksum(content))});
    }
    return entries;
}
} // namespace

namespace {
QString expanded(const StorageHome& f, const QString& path)
{
    if (path.startsWith(u'~'))
        return f.home() + path.mid(1);
    return path.startsWith(u'@') ? f.root() + path.mid(1) : path;
}
} // namespace

QString StorageHome::path(const QString& written) const
{
    const QString path = expanded(*this, written);
    return QDir::cleanPath(path.startsWith(u'/') ? path : root() + u'/' + path);
}

bool StorageHome::lay(const QStringList& entries) const
{
    landWrites();
    bool made = true;
    for (const QString& entry : entries) {
        if (entry.endsWith(u'/')) {
            made &= QDir().mkpath(path(entry));
            continue;
        }
        for (const QString& kind : {u" => "_s, u" -> "_s, u" == "_s, u" @ "_s, u": "_s}) {
            const qsizetype at = entry.indexOf(kind);
            if (at < 0)
                continue;
            const QString entryPath = path(entry.left(at));
            const QString other = entry.mid(at + kind.size());
            QDir().mkpath(QFileInfo(entryPath).absolutePath());
            if (kind == u" => ") {
                // The room shelves the item itself, and its link is to stand there.
                made &= m_storage != nullptr;
                if (m_storage)
                    m_storage->addToBookshelf(url(path(other)));
                made &= FileOperations::readLink(entryPath) == path(other);
            } else if (kind == u" -> ")
                made &= bool(FileOperations::createSymbolicLink(expanded(*this, other), entryPath));
            else if (kind == u" == ")
                made &= ::link(QFile::encodeName(path(other)).constData(),
                               QFile::encodeName(entryPath).constData()) == 0;
            else if (kind == u" @ ")
                made &= ExtendedAttributes::write(entryPath, ExtendedAttributes::originName,
                                                  path(other).toUtf8());
            else
                made &= QFile::exists(writeFile(entryPath, other.toUtf8()));
            break;
        }
    }
    return made;
}

QStringList StorageHome::layout(bool ownFiles) const
{
    landWrites();
    const auto text = [this](QString path) {
        return path.replace(root(), u"@"_s).replace(home(), u"~"_s);
    };
    QStringList lines;
    for (auto [path, rest] : walk(home())) {
        const QString relative = path.mid(root().size() + 1);
        const bool inRoot = path.startsWith(root() + u'/');
        if ((rest == u"/" && inRoot &&
             QStringList{u"Rak"_s, u"Karpet"_s, u"Album"_s}.contains(relative)) ||
            (!ownFiles && inRoot && !relative.contains(u'/') && relative.endsWith(u".json") &&
             rest.startsWith(u':')))
            continue;
        if (rest.startsWith(u" -> "))
            rest = u" -> "_s + text(rest.mid(4));
        lines.append((inRoot ? relative : text(path)) + rest);
    }
    lines.sort();
    return lines;
}

QStringList tree(const QString& folder)
{
    QStringList lines;
    for (const auto& [path, rest] : walk(folder))
        lines.append(path.mid(folder.size() + 1) + rest);
    lines.sort();
    return lines;
}

StorageManager& StorageHome::start()
{
    m_storage.reset();
    m_storage = std::make_unique<StorageManager>(home());
    m_storage->setEventSounds(&sounds);
    m_storage->setUserPrompts(&prompts);
    m_storage->setBulkSliceItems(forcedBulkSliceItems());
    landWrites(); // what it repaired at start is on disk
    return *m_storage;
}

bool StorageHome::act(const QString& operation, const QString& written, double x, double y)
{
    StorageManager& s = *m_storage;
    const QUrl item = url(path(written));
    if (operation == u"hide")
        s.hideUnderCarpet(item, x, y);
    else if (operation == u"shelve")
        s.addToBookshelf(item);
    else if (operation == u"trash")
        return s.moveToTrash(item);
    else if (operation == u"return")
        s.returnBookToDesktop(item);
    else if (operation == u"remove")
        s.removeBookshelfItem(item);
    else if (operation == u"to carpet")
        s.moveBookshelfItemToCarpet(item);
    else if (operation == u"restore")
        s.restoreCarpetItemToDesktop(item);
    else if (operation == u"trash item")
        s.trashCarpetItem(item);
    else if (operation == u"to shelf")
        s.moveCarpetItemsToBookshelf(written.split(u", "_s));
    else if (operation == u"all to carpet")
        s.moveAllBookshelfItemsToCarpet();
    else if (operation == u"restore all")
        s.restoreAllCarpetItemsToDesktop();
    else if (operation == u"return all")
        s.returnAllBookshelfItemsToDesktop();
    else if (operation == u"everything back")
        s.returnEverythingToOrigin();
    else
        qFatal("no such operation: %s", qPrintable(operation));
    return true;
}

void StorageHome::settle(const std::source_location& where) const
{
    if (m_storage)
        waitUntilSettled([this] { return movesStillRunning(*m_storage); }, where);
    landWrites();
}

bool StorageHome::frame(const QString& path, int slot) const
{
    std::optional<bool> framed;
    const auto done = [&framed](bool ok) { framed = ok; };
    if (slot >= 0)
        m_storage->setPhoto(url(path), slot, done);
    else if (!m_storage->addPhotoToFreeFrame(url(path), done))
        return false;
    settle();
    return framed.value_or(false);
}

void StorageHome::landWrites() const
{
    if (m_storage)
        m_storage->flushWrites();
}

QStringList namesOf(const QList<QUrl>& urls)
{
    QStringList names;
    for (const QUrl& url : urls)
        names.append(url.fileName());
    return names;
}

QMap<QString, QString> trashed(const QString& trashRoot)
{
    QMap<QString, QString> entries;
    const QString info = trashRoot + u"/info/"_s;
    for (const QString& name : FileOperations::listEntries(info, true).value_or(QStringList())) {
        for (const QByteArray& line : contentOf(info + name).split('\n')) {
            if (line.startsWith("Path=") && name.endsWith(u".trashinfo"))
                entries.insert(name.chopped(10),
                               QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5))));
        }
    }
    return entries;
}
