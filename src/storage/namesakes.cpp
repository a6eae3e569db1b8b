#include "storage/namesakes.h"

#include "platform/file_operations.h"
#include "storage/item_paths.h"
#include "storage/storage_manager.h"

#include <QDir>

#include <utility>

using ItemPaths::joined;

Namesakes::Namesakes(QString carpet, QString shelf)
    : m_carpet(std::move(carpet)), m_shelf(std::move(shelf))
{
}

bool Namesakes::ofShelfLink(const QString& name) const
{
    const QString shelfPath = joined(m_shelf, name);
    const QString carpetPath = joined(m_carpet, name);
    const auto shelfEntry = FileOperations::entryStatus(shelfPath);
    const auto carpetEntry = FileOperations::entryStatus(carpetPath);
    if (!shelfEntry || !shelfEntry->isSymbolicLink || !carpetEntry)
        return false;
    // A carpet link that leads nowhere is no floor file to give a name to.
    if (carpetEntry->isSymbolicLink && StorageManager::isDeadLink(carpetPath))
        return false;
    if (FileOperations::isSameFile(shelfPath, carpetPath))
        return false;
    // An item out of reach now (gone, on a drive not mounted) is told by where they lead.
    const std::optional<QString> item = FileOperations::resolvedLinkTarget(shelfPath);
    if (item && *item == QDir::cleanPath(carpetPath))
        return false;
    if (!carpetEntry->isSymbolicLink)
        return true;
    const std::optional<QString> other = FileOperations::resolvedLinkTarget(carpetPath);
    if (item && other)
        return *item != *other;
    return FileOperations::readLinkBytes(shelfPath) != FileOperations::readLinkBytes(carpetPath);
}

bool Namesakes::isSecondEntryOfShelfItem(const QString& name) const
{
    const QString carpetPath = joined(m_carpet, name);
    const QString shelfPath = joined(m_shelf, name);
    if (!FileOperations::entryExists(shelfPath) || FileOperations::isSymbolicLink(shelfPath))
        return false;
    return FileOperations::isSameFile(carpetPath, shelfPath) ||
           (FileOperations::isSymbolicLink(carpetPath) && StorageManager::isDeadLink(carpetPath));
}

QString Namesakes::freeName(const QString& name) const
{
    // Free in both folders: a carpet entry whose name is on the shelf is not on the floor.
    return StorageManager::uniqueName({m_carpet, m_shelf}, name);
}
