// Start-up clean-up: older folder layouts are taken over, and the shelf and carpet
// folders are brought back to one entry per item.
#include "storage/storage_manager.h"

#include "platform/file_operations.h"
#include "storage/item_moves.h"
#include "storage/item_paths.h"

#include <QDir>
#include <QFile>

#include <algorithm>

using ItemPaths::joined;

void StorageManager::migrateFolderContents(const QString& from, const QString& to)
{
    // Only a real folder: a link named like an older folder points at someone's files
    // elsewhere, which are not ours to move.
    if (!FileOperations::isDirectory(from))
        return;
    const std::optional<QStringList> names = FileOperations::listEntries(from, true);
    if (!names)
        return;
    for (const QString& name : *names)
        ItemMoves::move(joined(from, name), uniqueDestinationPath(to, name));
}

void StorageManager::migrateLegacyHome()
{
    const QString legacy = joined(m_paths.home, QStringLiteral("Marrowick"));
    if (!FileOperations::isDirectory(legacy))
        return;
    migrateFolderContents(joined(legacy, QStringLiteral("Bookshelf")), m_paths.bookshelf);
    migrateFolderContents(joined(legacy, QStringLiteral("MagicCarpet")), m_paths.carpet);
    migrateFolderContents(joined(legacy, QStringLiteral("Photos")), m_paths.album);
    const QString legacyNotes = joined(legacy, QStringLiteral("notes.json"));
    if (!FileOperations::entryExists(notesFilePath()) && FileOperations::exists(legacyNotes))
        QFile::copy(legacyNotes, notesFilePath());
}

void StorageManager::repairLinks()
{
    loadFloorLayout();
    loadShelfLinks();

    if (const auto shelf = FileOperations::listEntries(m_paths.bookshelf, false)) {
        for (const QString& name : *shelf)
            repairShelfEntry(name);
    }
    if (const auto carpet = FileOperations::listEntries(m_paths.carpet, false)) {
        for (const QString& name : *carpet)
            repairCarpetEntry(name);
    }
    // The save sets a floor file it could not read aside before writing.
    saveFloorPositions();
}

void StorageManager::repairShelfEntry(const QString& name)
{
    const QString shelfPath = joined(m_paths.bookshelf, name);
    const auto shelfEntry = FileOperations::entryStatus(shelfPath);
    if (!shelfEntry)
        return;

    if (!shelfEntry->isSymbolicLink) {
        // A real item on the shelf. A carpet entry of the same name is only a second entry
        // for it when it is the very same file or a link to it; anything else (another file,
        // a link of the user's to elsewhere) merely shares the name, and gets a name of its
        // own on the floor.
        const QString carpetPath = joined(m_paths.carpet, name);
        const auto carpetEntry = FileOperations::entryStatus(carpetPath);
        if (!carpetEntry)
            return;
        if (m_namesakes.isSecondEntryOfShelfItem(name)) {
            if (FileOperations::removeItem(carpetPath))
                dropFloorPosition(name);
            return;
        }
        FloorPositions positions = floorItemPositions();
        if (renameNamesake(name, positions))
            setFloorItemPositions(positions);
        return;
    }

    // Only an entry of the carpet folder itself is a carpet item. A link to the folder, or
    // to something inside one of its folders, is an ordinary link of the user's: it and its
    // item stay where they are. A destination that is no text is judged on its bytes alone.
    const std::optional<QString> target = FileOperations::resolvedLinkTarget(shelfPath);
    if (!target || !ItemPaths::liesDirectlyIn(*target, m_paths.carpet)) {
        // Only a link whose item is known to be gone goes; one to a drive that is not
        // mounted, or behind a folder it may not enter, waits unlisted for it.
        if (FileOperations::linkTargetIsGone(shelfPath) && FileOperations::removeItem(shelfPath))
            return;
        // Another file that only shares the link's name would be shown nowhere.
        if (m_namesakes.ofShelfLink(name)) {
            FloorPositions positions = floorItemPositions();
            if (renameNamesake(name, positions))
                setFloorItemPositions(positions);
        }
        return;
    }

    const auto carpetItem = FileOperations::entryStatus(*target);
    if (!carpetItem) {
        if (FileOperations::linkTargetIsGone(shelfPath))
            FileOperations::removeItem(shelfPath);
        return;
    }
    const std::optional<QString> userItem =
        carpetItem->isSymbolicLink ? FileOperations::resolvedLinkTarget(*target) : std::nullopt;
    if (userItem && !isInsideCarpetFolder(*userItem)) {
        // Point the shelf straight at the user's item: the new link first, then it takes
        // the old one's place, then the carpet link goes.
        const QString fresh = uniqueDestinationPath(m_paths.bookshelf, QStringLiteral(".") + name);
        if (FileOperations::createSymbolicLink(*userItem, fresh)) {
            if (FileOperations::renameReplacingLink(fresh, shelfPath))
                FileOperations::removeItem(*target);
            else
                FileOperations::removeItem(fresh);
        }
    } else {
        // The item itself goes on the shelf in the link's place. Should that fail it
        // stays in the carpet folder and shows on the floor.
        FileOperations::renameReplacingLink(*target, shelfPath);
    }
    dropFloorPosition(name);
}

void StorageManager::repairCarpetEntry(const QString& name)
{
    const QString path = joined(m_paths.carpet, name);
    // A dead link waits, unlisted, unless its item is known to be gone.
    // By its full path or by its own name alone: either way it leads only to itself.
    const bool toItself =
        FileOperations::resolvedLinkTarget(path) == std::optional(QDir::cleanPath(path));
    if (!toItself && !FileOperations::linkTargetIsGone(path))
        return;
    if (FileOperations::removeItem(path))
        dropFloorPosition(name);
}

void StorageManager::dropFloorPosition(const QString& name)
{
    if (m_held > 0) {
        m_heldPlacedPositions.remove(name);
        m_heldDroppedPositions.insert(name);
        return;
    }
    if (!floorItemPositions().contains(name))
        return;
    FloorPositions positions = floorItemPositions();
    positions.remove(name);
    setFloorItemPositions(positions);
}

std::optional<QString> StorageManager::renameNamesake(const QString& name,
                                                      FloorPositions& positions)
{
    // Never over anything: a name taken meanwhile leaves the file as it was. A move like any
    // other of the room's, so the user's links to the file follow it.
    const QString freeName = m_namesakes.freeName(name);
    if (!moveNow(joined(m_paths.carpet, name), joined(m_paths.carpet, freeName), {}))
        return std::nullopt;
    if (positions.contains(name))
        positions.insert(freeName, positions.take(name));
    return freeName;
}

QStringList StorageManager::renameNamesakes(const QStringList& names)
{
    // A move under way may pass through a state where its item stands in both folders at
    // once, and a batch lists and places its files only at its end: both are left alone.
    if (m_held > 0 || hasMovesInFlight() || m_shelfListingHeld > 0) {
        m_namesakes.setDue(true);
        return {};
    }
    m_namesakes.setDue(false);
    FloorPositions positions = floorItemPositions();
    QStringList renamed;
    const LinkBatch links(*this);
    for (const QString& name : names) {
        // One the floor showed already (a shelf link came by its name) stays where it lay.
        std::optional<StoredPosition> shownAt;
        if (!positions.contains(name) &&
            std::binary_search(m_carpetListed.names.begin(), m_carpetListed.names.end(),
                               std::pair(FileNameOrder::key(name), name)))
            shownAt = carpetItemPosition(name);
        if (const std::optional<QString> freeName = renameNamesake(name, positions)) {
            if (shownAt)
                positions.insert(*freeName, *shownAt);
            renamed << *freeName;
        }
    }
    if (positions != floorItemPositions()) {
        setFloorItemPositions(positions);
        saveFloorPositions();
    }
    return renamed;
}

void StorageManager::renameNamesakesIfDue()
{
    if (!m_namesakes.isDue() || m_held > 0 || hasMovesInFlight() || m_shelfListingHeld > 0)
        return;
    m_namesakes.setDue(false);
    refreshCarpetItems();
}
