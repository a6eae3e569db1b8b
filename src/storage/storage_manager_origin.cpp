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
    // Read through a link, the attribute is its item's: where that item stands now is where
    // the item came from, never where the link did.
    const std::optional<QString> origin = readOriginAttribute(QUrl::fromLocalFile(item));
    const bool itemsOwn = origin && FileOperations::isSymbolicLink(item) &&
                          ItemPaths::realLocation(*origin) == QFileInfo(item).canonicalFilePath();
    if (origin && !itemsOwn) {
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

void StorageManager::returnBook(const QString& entry, const MoveCompletion& done)
{
    if (isRoomLink(entry)) {
        // The user's item never moved: only the room's link goes. A link of the user's
        // goes back like any item.
        FileOperations::removeItem(entry);
        forgetShelfLink(entry);
        refreshBookshelfItems();
        return notify(done, true);
    }
    // A link that only looks like one the room made (one made before the room kept its
    // record, or the user's own to a shelved item) is not the room's to delete; sent back,
    // it would stand beside its own item. It goes to the Trash.
    if (ItemPaths::liesDirectlyIn(entry, m_paths.bookshelf) && looksLikeOlderRoomLink(entry))
        return notify(done, moveToTrash(QUrl::fromLocalFile(entry)));
    const QString destination =
        uniqueDestinationPath(returnFolder(entry), QFileInfo(entry).fileName());
    startMove(entry, destination, {},
              [this, done](const QString& placed, FileOperations::Result result) {
                  if (placed.isEmpty()) {
                      printReportLine(QStringLiteral("Gagal mengembalikan buku ke desktop: ") +
                                      result.message());
                      return notify(done, false);
                  }
                  refreshBookshelfItems();
                  notify(done, true);
              });
}

void StorageManager::returnBookToDesktop(const QUrl& entry, const MoveCompletion& done)
{
    // A shelf entry, or a photo of the album; nothing from anywhere else.
    const QString path = localPath(entry);
    if ((isEntryOf(path, m_paths.bookshelf) || isEntryOf(path, m_paths.album)) && !isInFlight(path))
        returnBook(path, done);
    else
        notify(done, false);
}

void StorageManager::restoreCarpetItemToDesktop(const QUrl& item, const MoveCompletion& done)
{
    const QString path = localPath(item);
    if (!isEntryOf(path, m_paths.carpet) || isInFlight(path))
        return notify(done, false);
    const QString name = QFileInfo(path).fileName();
    const QString destination = uniqueDestinationPath(returnFolder(path), name);
    startMove(path, destination, {},
              [this, name, done](const QString& placed, FileOperations::Result result) {
                  if (placed.isEmpty()) {
                      printReportLine(QStringLiteral("Pondsill: gagal mengembalikan ") + name +
                                      QStringLiteral(": ") + result.message());
                      return notify(done, false);
                  }
                  dropFloorPosition(name);
                  saveFloorPositions();
                  refreshCarpetItems();
                  notify(done, true);
              });
}

StorageManager::BulkSteps StorageManager::shelfReturnSteps()
{
    BulkSteps steps;
    for (const QUrl& entry : bookshelfItems())
        steps.push_back([this, entry] { returnBookToDesktop(entry); });
    return steps;
}

StorageManager::BulkSteps StorageManager::carpetRestoreSteps()
{
    BulkSteps steps;
    QStringList names;
    for (const QUrl& item : carpetItems()) {
        steps.push_back([this, item] { restoreCarpetItemToDesktop(item); });
        names << item.fileName();
    }
    if (!names.isEmpty())
        announceLeaving(names);
    return steps;
}

void StorageManager::returnAllBookshelfItemsToDesktop()
{
    runBulk(shelfReturnSteps());
}

void StorageManager::restoreAllCarpetItemsToDesktop()
{
    runBulk(carpetRestoreSteps());
}

void StorageManager::returnEverythingToOrigin()
{
    // The floor's items as listed now: the shelf's returns do not list the carpet again.
    BulkSteps steps = shelfReturnSteps();
    for (std::function<void()>& step : carpetRestoreSteps())
        steps.push_back(std::move(step));
    steps.push_back([this] {
        // A frame gives up its photo only once the photo has left for its folder.
        const PhotoSlots photos = photoSlots();
        for (auto it = photos.cbegin(); it != photos.cend(); ++it) {
            const QString path = localPath(it.value());
            if (path.isEmpty() || isInFlight(path))
                continue;
            returnBook(path, [this, slot = it.key()](bool returned) {
                if (returned)
                    resetPhotoTransform(slot);
                loadPhotoSlots();
            });
        }
    });
    runBulk(std::move(steps));
}

bool StorageManager::moveToTrash(const QUrl& item)
{
    const QString path = localPath(item);
    // The storage folder, its folders, what holds them and the data files are never
    // thrown away, whoever asks.
    if (path.isEmpty() || isStorageOwn(path) || isInFlight(path) || !trash().moveToTrash(path)) {
        printReportLine(QStringLiteral("Pondsill: gagal membuang ke sampah: ") +
                        (path.isEmpty() ? item.toString() : path));
        return false;
    }
    // A move of many into the Trash sounds once, with its first item, not once per item.
    if (m_held == 0 || !std::exchange(m_trashSoundedWhileHeld, true))
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
        forgetShelfLink(path);
        refreshBookshelfItems();
        return;
    }
    // Anything else, a link of the user's too, goes to the Trash.
    moveToTrash(entry);
}

void StorageManager::trashCarpetFiles(const QStringList& names)
{
    // Each step makes its file's URL: making thousands in the turn that asked cost it some 8 ms.
    BulkSteps steps;
    steps.reserve(size_t(names.size()));
    QStringList leaving;
    for (const QString& name : names) {
        steps.push_back([this, name] {
            trashCarpetItem(QUrl::fromLocalFile(ItemPaths::joined(m_paths.carpet, name)));
        });
        if (!name.isEmpty() && !name.contains(QLatin1Char('/')))
            leaving << name;
    }
    if (!leaving.isEmpty())
        announceLeaving(leaving);
    runBulk(std::move(steps));
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
