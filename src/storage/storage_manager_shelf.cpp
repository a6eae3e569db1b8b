// Onto the shelf, under the carpet, between the two, and the floor layout.
#include "storage/storage_manager.h"

#include "platform/background_work.h"
#include "platform/file_operations.h"
#include "platform/user_prompts.h"
#include "storage/item_moves.h"
#include "storage/item_paths.h"
#include "storage/report_line.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>

#include <algorithm>

using ItemPaths::joined;
using ItemPaths::liesDirectlyIn;
using ItemPaths::localPath;

namespace {
// Whether the entry at `path` lies in `folder` or anywhere below it, links in its folders
// resolved (the entry itself may be a link).
bool liesWithin(const QString& path, const QString& folder)
{
    const QString parent = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    const QString root = QFileInfo(folder).canonicalFilePath();
    return !parent.isEmpty() && !root.isEmpty() && FileOperations::isWithin(parent, root);
}

// The panel's choice, files and folders alike; nothing where nobody can answer.
QStringList chooseFilesAndFolders(UserPrompts* prompts, const QString& title)
{
    if (!prompts)
        return {};
    UserPrompts::OpenPanel panel;
    panel.title = title;
    panel.folders = true;
    panel.multiple = true;
    return prompts->chooseItems(panel);
}

void reportRefused(const QString& path)
{
    printReportLine(QStringLiteral("Pondsill: gagal menyimpan ") + path);
}

bool isHiddenName(const QString& path)
{
    return QFileInfo(path).fileName().startsWith(QLatin1Char('.'));
}
} // namespace

void StorageManager::addToBookshelf(const QUrl& item)
{
    const QString path = localPath(item);
    if (!wantsShelfLink(path))
        return;
    const QString link = joined(m_paths.bookshelf, uniqueName({m_paths.bookshelf, m_paths.carpet},
                                                              QFileInfo(path).fileName()));
    if (FileOperations::createSymbolicLink(path, link).ok()) {
        recordOrigin(link, path);
        noteShelfLink(link);
        refreshBookshelfItems();
    } else if (moveOntoShelfInstead(path)) {
        refreshBookshelfItems();
    }
}

bool StorageManager::wantsShelfLink(const QString& path)
{
    if (path.isEmpty() || !FileOperations::entryExists(path) || isInFlight(path))
        return false;
    if (isStorageOwn(path) || isHiddenName(path)) {
        reportRefused(path);
        return false;
    }
    // Already a shelf item, or inside one: a link to it would only point back into the
    // shelf.
    if (liesWithin(path, m_paths.bookshelf))
        return false;
    // A file of the carpet moves over itself; a file from elsewhere that only shares a
    // carpet file's name is linked like any other.
    const QString carpetEntry = joined(m_paths.carpet, QFileInfo(path).fileName());
    if (liesDirectlyIn(path, m_paths.carpet) || (FileOperations::entryExists(carpetEntry) &&
                                                 FileOperations::isSameFile(path, carpetEntry))) {
        moveCarpetItemsToBookshelf({QFileInfo(path).fileName()});
        return false;
    }
    return true;
}

bool StorageManager::moveOntoShelfInstead(const QString& path)
{
    const QString destination =
        joined(m_paths.bookshelf,
               uniqueName({m_paths.bookshelf, m_paths.carpet}, QFileInfo(path).fileName()));
    if (moveNow(path, destination, [&] { recordOrigin(destination, path); }).ok())
        return true;
    reportRefused(path);
    return false;
}

void StorageManager::addDroppedToBookshelf(const QList<QUrl>& items)
{
    if (items.isEmpty())
        return;
    // The shelf's listing waits until the queue is empty, however many turns that takes.
    if (droppedItemsWaiting() == 0) {
        ++m_shelfListingHeld;
        QTimer::singleShot(0, this, &StorageManager::placeDroppedSlice);
    }
    m_shelfDrops.append(items);
}

void StorageManager::placeDroppedSlice()
{
    // The checks look at the disk a little, on this thread; the links, which write to it,
    // are made on a worker, one slice at a time.
    const qsizetype count = std::min(m_shelfDrops.size(), kDroppedSlice);
    QStringList sources;
    for (qsizetype i = 0; i < count; ++i) {
        const QString path = localPath(m_shelfDrops[i]);
        // The same file twice in one slice is linked once.
        if (wantsShelfLink(path) && !sources.contains(path))
            sources << path;
    }
    m_shelfDrops.remove(0, count);
    const auto next = [this] {
        if (!m_shelfDrops.isEmpty()) {
            QTimer::singleShot(0, this, &StorageManager::placeDroppedSlice);
            return;
        }
        // The record of the room's links is written once per drop: written per slice, a
        // drop of thousands would write thousands of records again and again.
        if (m_shelfDropLinksUnsaved) {
            m_shelfDropLinksUnsaved = false;
            saveShelfLinks();
        }
        // Within a move of many the listing waits for that move's end instead.
        if (--m_shelfListingHeld == 0 && m_held == 0 && std::exchange(m_shelfListingDue, false))
            refreshBookshelfItems();
        renameNamesakesIfDue();
    };
    if (sources.isEmpty())
        return next();

    m_inFlight << sources;
    m_shelfDropsLinking = sources.size();
    struct Linked {
        QString source;
        QString link;
        bool made = false;
        bool nameTaken = false; // every name tried was taken meanwhile
    };
    auto* watcher = new QFutureWatcher<QList<Linked>>(this);
    connect(watcher, &QFutureWatcher<QList<Linked>>::finished, this, [this, watcher, next] {
        watcher->deleteLater();
        m_shelfDropsLinking = 0;
        QStringList links;
        bool moved = false;
        for (const Linked& linked : watcher->result()) {
            m_inFlight.removeOne(linked.source);
            if (linked.made)
                links << linked.link;
            else if (linked.nameTaken)
                reportRefused(linked.source);
            else if (moveOntoShelfInstead(linked.source))
                moved = true;
        }
        if (!links.isEmpty()) {
            noteShelfLinks(links);
            m_shelfDropLinksUnsaved = true;
        }
        if (moved || !links.isEmpty())
            m_shelfListingDue = true;
        next();
    });
    const QString shelf = m_paths.bookshelf;
    const QString carpet = m_paths.carpet;
    const QString root = m_paths.root;
    watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [sources, shelf, carpet, root] {
        QList<Linked> done;
        for (const QString& source : sources) {
            Linked linked{source, {}, false, false};
            // A name taken meanwhile (by the room on the GUI thread, or another program) is
            // looked for again; where no link can be made at all, the GUI thread moves the
            // item itself, as a single add does.
            for (int tries = 0; tries < 3 && !linked.made; ++tries) {
                linked.link =
                    joined(shelf, uniqueName({shelf, carpet}, QFileInfo(source).fileName()));
                const FileOperations::Result result =
                    FileOperations::createSymbolicLink(source, linked.link);
                linked.made = result.ok();
                linked.nameTaken = result.error == EEXIST;
                if (!linked.made && !linked.nameTaken)
                    break;
            }
            if (linked.made)
                recordOriginIn(root, linked.link, source);
            done << linked;
        }
        return done;
    }));
}

void StorageManager::moveCarpetItemsToBookshelf(const QStringList& names)
{
    BulkSteps steps;
    steps.reserve(size_t(names.size()) + 1);
    QStringList leaving;
    for (const QString& name : names) {
        steps.push_back([this, name] { moveCarpetItemToBookshelf(name); });
        if (!name.contains(QLatin1Char('/')) && !name.isEmpty())
            leaving << name;
    }
    if (!leaving.isEmpty())
        announceLeaving(leaving);
    // Also for no names at all: the layout is saved and both lists are read again.
    steps.push_back([this] {
        saveFloorPositions();
        refreshCarpetItems();
        refreshBookshelfItems();
    });
    runBulk(std::move(steps));
}

void StorageManager::moveCarpetItemToBookshelf(const QString& name)
{
    const QString carpetEntry = joined(m_paths.carpet, name);
    if (name.contains(QLatin1Char('/')) || !isEntryOf(carpetEntry, m_paths.carpet) ||
        isInFlight(carpetEntry))
        return;
    // A link to another floor item stands for that item: the item itself goes, or it would
    // show on the shelf and the floor at once. Any other link is the user's and travels as
    // itself.
    QString item = carpetEntry;
    if (const std::optional<QString> target = FileOperations::resolvedLinkTarget(carpetEntry);
        target && isEntryOf(*target, m_paths.carpet))
        item = *target;
    QString shelfEntry = joined(m_paths.bookshelf, name);
    if (FileOperations::entryExists(shelfEntry)) {
        // The room's own shelf link of that name only points somewhere; anything else there
        // is the user's and stays, and the newcomer takes a free name.
        if (isRoomLink(shelfEntry) && FileOperations::removeItem(shelfEntry))
            forgetShelfLink(shelfEntry);
        else
            shelfEntry =
                joined(m_paths.bookshelf, uniqueName({m_paths.bookshelf, m_paths.carpet}, name));
    }
    // The item keeps the origin it carries from before it was hidden. A failed move leaves
    // it on the floor where it lay.
    if (!moveNow(item, shelfEntry, [&] { recordOrigin(shelfEntry, item); })) {
        reportRefused(item);
        return;
    }
    if (item != carpetEntry)
        FileOperations::removeItem(carpetEntry);
    dropFloorPosition(name);
    dropFloorPosition(QFileInfo(item).fileName());
}

void StorageManager::moveBookshelfItemToCarpet(const QUrl& entry, const MoveCompletion& done)
{
    const QString path = localPath(entry);
    if (!isEntryOf(path, m_paths.bookshelf) || isInFlight(path))
        return notify(done, false);
    moveOntoFloor(path, [this, done](bool moved) {
        if (moved)
            refreshBookshelfItems();
        notify(done, moved);
    });
}

void StorageManager::moveOntoFloor(const QString& path, const MoveCompletion& done)
{
    const QString name = freeCarpetName(QFileInfo(path).fileName(), path);
    startMove(path, joined(m_paths.carpet, name), {},
              [this, done](const QString& placed, FileOperations::Result) {
                  if (placed.isEmpty())
                      return notify(done, false);
                  const QString placedName = QFileInfo(placed).fileName();
                  placeFloorPosition(placedName, defaultCarpetPosition(placedName));
                  refreshCarpetItems();
                  notify(done, true);
              });
}

void StorageManager::moveAllBookshelfItemsToCarpet()
{
    BulkSteps steps;
    for (const QUrl& entry : bookshelfItems())
        steps.push_back([this, entry] { moveBookshelfItemToCarpet(entry); });
    runBulk(std::move(steps));
}

void StorageManager::chooseItemsForBookshelf()
{
    const QStringList chosen =
        chooseFilesAndFolders(m_prompts, QStringLiteral("Pilih File atau Folder untuk Rak Buku"));
    for (const QString& path : chosen)
        addToBookshelf(QUrl::fromLocalFile(path));
}

void StorageManager::hideUnderCarpet(const QUrl& item)
{
    hideItem(localPath(item), carpetPositionNorm(), {});
}

void StorageManager::hideUnderCarpet(const QUrl& item, double x, double y,
                                     const MoveCompletion& done)
{
    hideItem(localPath(item), StoredPosition{x, y}, done);
}

void StorageManager::hideItem(const QString& path, const StoredPosition& position,
                              const MoveCompletion& done)
{
    if (path.isEmpty() || !FileOperations::entryExists(path) || !position.isFinite() ||
        isInFlight(path))
        return notify(done, false);
    // The floor shows no hidden names: such an item would be held and never given back.
    if (isStorageOwn(path) || isHiddenName(path)) {
        reportRefused(path);
        return notify(done, false);
    }
    // A floor file dropped on the floor again only moves there.
    if (liesDirectlyIn(path, m_paths.carpet)) {
        setFloorItemPosition(QFileInfo(path).fileName(), position.x, position.y);
        return notify(done, true);
    }
    const QString name = freeCarpetName(QFileInfo(path).fileName(), path);
    // A book dragged off the shelf leaves it: the shelf is listed again with the floor.
    const bool fromShelf = liesDirectlyIn(path, m_paths.bookshelf);
    startMove(
        path, joined(m_paths.carpet, name), path,
        [this, path, position, done, fromShelf](const QString& placed, FileOperations::Result) {
            if (placed.isEmpty()) {
                reportRefused(path);
                return notify(done, false);
            }
            // Keyed by the name it took, which a copy may have had to change.
            setFloorItemPosition(QFileInfo(placed).fileName(), position.x, position.y);
            refreshCarpetItems();
            if (fromShelf)
                refreshBookshelfItems();
            notify(done, true);
        });
}

void StorageManager::chooseItemsToHideUnderCarpet()
{
    const QStringList chosen = chooseFilesAndFolders(
        m_prompts, QStringLiteral("Pilih File untuk Disembunyikan di Bawah Karpet"));
    for (const QString& path : chosen)
        hideUnderCarpet(QUrl::fromLocalFile(path));
}

void StorageManager::arrangeCarpetItemsOnCarpet()
{
    const ItemURLs items = carpetItems();
    const StoredPosition carpet = carpetPositionNorm();
    const qsizetype count = items.size();
    FloorPositions positions = floorItemPositions();
    for (qsizetype i = 0; i < count; ++i) {
        const double x =
            count > 1 ? carpet.x + (double(i) / double(count - 1) - 0.5) * 0.12 : carpet.x;
        positions.insert(QFileInfo(items[i].toLocalFile()).fileName(), {x, carpet.y});
    }
    setFloorItemPositions(positions);
    saveFloorPositions();
}

void StorageManager::resetFloorItemPositions()
{
    setFloorItemPositions({});
    saveFloorPositions();
    refreshCarpetItems();
}

void StorageManager::setFloorItemPosition(const QString& name, double x, double y)
{
    if (!StoredPosition{x, y}.isFinite())
        return;
    FloorPositions positions = floorItemPositions();
    positions.insert(name, {x, y});
    setFloorItemPositions(positions);
    saveFloorPositions();
}

void StorageManager::setCarpetPosition(double x, double y)
{
    // A position that cannot be stored would keep every later save from being written.
    if (!StoredPosition{x, y}.isFinite())
        return;
    setCarpetPositionNorm({x, y});
    saveFloorPositions();
}
