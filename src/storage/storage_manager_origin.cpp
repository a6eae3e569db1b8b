// Sending stored items back where they came from, and to the Trash.
#include "storage/storage_manager.h"

#include "platform/event_sounds.h"
#include "platform/file_operations.h"
#include "platform/trash.h"
#include "storage/item_moves.h"
#include "storage/item_paths.h"
#include "storage/report_line.h"

#include <QDir>
#include <QFileInfo>

using ItemPaths::localPath;

QString StorageManager::returnFolder(const QString& item) const
{
    // The folder of the recorded origin, when it is still a folder and not one of the
    // room's own (an item is never "returned" into the storage folder).
    if (const std::optional<QString> origin = readOriginAttribute(QUrl::fromLocalFile(item))) {
        if (QDir::isAbsolutePath(*origin)) {
            const QString folder = QFileInfo(QDir::cleanPath(*origin)).absolutePath();
            if (QFileInfo(folder).isDir() && !FileOperations::isWithin(folder, m_paths.root) &&
                !FileOperations::isWithin(QFileInfo(folder).canonicalFilePath(),
                                          QFileInfo(m_paths.root).canonicalFilePath()))
                return folder;
        }
    }
    if (!FileOperations::entryExists(m_paths.desktop))
        FileOperations::makeDirectory(m_paths.desktop);
    return m_paths.desktop;
}

bool StorageManager::returnBook(const QString& entry)
{
    if (isRoomLink(entry)) {
        // The user's item never moved: only the room's link goes. A link of the user's
        // goes back like any item.
        FileOperations::removeItem(entry);
        refreshBookshelfItems();
        return true;
    }
    const QString destination =
        uniqueDestinationPath(returnFolder(entry), QFileInfo(entry).fileName());
    const FileOperations::Result moved = ItemMoves::move(entry, destination);
    if (!moved) {
        printReportLine(QStringLiteral("Gagal mengembalikan buku ke desktop: ") + moved.message());
        return false;
    }
    refreshBookshelfItems();
    return true;
}

void StorageManager::returnBookToDesktop(const QUrl& entry)
{
    // A shelf entry, or a photo of the album; nothing from anywhere else.
    const QString path = localPath(entry);
    if (isEntryOf(path, m_paths.bookshelf) || isEntryOf(path, m_paths.album))
        returnBook(path);
}

void StorageManager::restoreCarpetItemToDesktop(const QUrl& item)
{
    const QString path = localPath(item);
    if (!isEntryOf(path, m_paths.carpet))
        return;
    const QString name = QFileInfo(path).fileName();
    const QString destination = uniqueDestinationPath(returnFolder(path), name);
    const FileOperations::Result moved = ItemMoves::move(path, destination);
    if (!moved) {
        printReportLine(QStringLiteral("Pondsill: gagal mengembalikan ") + name +
                        QStringLiteral(": ") + moved.message());
        return;
    }
    dropFloorPosition(name);
    saveFloorPositions();
    refreshCarpetItems();
}

void StorageManager::returnAllBookshelfItemsToDesktop()
{
    const ItemURLs entries = bookshelfItems();
    for (const QUrl& entry : entries)
        returnBookToDesktop(entry);
}

void StorageManager::restoreAllCarpetItemsToDesktop()
{
    const ItemURLs items = carpetItems();
    for (const QUrl& item : items)
        restoreCarpetItemToDesktop(item);
}

void StorageManager::returnEverythingToOrigin()
{
    returnAllBookshelfItemsToDesktop();
    restoreAllCarpetItemsToDesktop();
    // A frame gives up its photo only once the photo has left for its folder.
    const PhotoSlots photos = photoSlots();
    if (photos.isEmpty())
        return;
    PhotoTransforms transforms = photoTransforms();
    bool returned = false;
    for (auto it = photos.cbegin(); it != photos.cend(); ++it) {
        const QString path = localPath(it.value());
        if (!path.isEmpty() && returnBook(path)) {
            transforms.insert(it.key(), PhotoTransform{});
            returned = true;
        }
    }
    if (returned) {
        setPhotoTransforms(transforms);
        savePhotoTransforms();
    }
    loadPhotoSlots();
}

bool StorageManager::moveToTrash(const QUrl& item)
{
    const QString path = localPath(item);
    // The storage folder, its folders, what holds them and the data files are never
    // thrown away, whoever asks.
    if (path.isEmpty() || isStorageOwn(path) || !trash().moveToTrash(path)) {
        printReportLine(QStringLiteral("Pondsill: gagal membuang ke sampah: ") +
                        (path.isEmpty() ? item.toString() : path));
        return false;
    }
    eventSounds().play(EventSounds::trashSound());
    refreshBookshelfItems();
    refreshCarpetItems();
    return true;
}

void StorageManager::removeBookshelfItem(const QUrl& entry)
{
    const QString path = localPath(entry);
    if (!isEntryOf(path, m_paths.bookshelf))
        return;
    if (isRoomLink(path)) {
        FileOperations::removeItem(path);
        refreshBookshelfItems();
        return;
    }
    moveToTrash(entry);
}

void StorageManager::trashCarpetItem(const QUrl& item)
{
    // The position goes only with the item: a refused item stays where it lies.
    if (!isEntryOf(localPath(item), m_paths.carpet))
        return;
    if (moveToTrash(item)) {
        dropFloorPosition(QFileInfo(localPath(item)).fileName());
        saveFloorPositions();
    }
    refreshCarpetItems();
}
