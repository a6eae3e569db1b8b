#include "storage/storage_manager.h"

#include "platform/entry_watcher.h"
#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "storage/file_name_order.h"
#include "storage/item_moves.h"
#include "storage/item_paths.h"
#include "storage/json_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

using ItemPaths::joined;

namespace {

QUrl directoryURL(const QString& path)
{
    return QUrl::fromLocalFile(path + QLatin1Char('/'));
}

bool floorLayoutDecodes(const QByteArray& bytes)
{
    return decodeFloorLayout(bytes).has_value();
}

} // namespace

StorageManager::StorageManager(const QString& homeDirectory, QObject* parent)
    : QObject(parent), m_paths(StoragePaths::forHome(homeDirectory)),
      m_namesakes(m_paths.carpet, m_paths.bookshelf)
{
    ensureDirectories();
    removeStaleSaves();
    migrateLegacyHome();
    repairLinks();
    reloadAll();
    takeBackUnsavedNotes();
    readDesktopIconsState();
    startWatching();
    // The shared manager is never destroyed: the layout saved just before quitting must
    // reach the disk before the process ends, and notes not saved yet must be kept.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &StorageManager::saveBeforeQuit);
}

StorageManager::~StorageManager()
{
    // Moves of many items cut short: what they moved stands whole where it went, with its
    // origin; the layout files are still written once.
    ++m_held;
    std::vector<std::shared_ptr<Bulk>> bulks = std::move(m_bulks);
    bulks.clear();
    m_held = 0;
    m_shelfListingDue = false;
    m_carpetListingDue = false;
    m_namesakes.setDue(false);
    releaseHeld();
}

StorageManager& StorageManager::shared()
{
    // Never destroyed: the watchers live as long as the process.
    static StorageManager* instance = new StorageManager(QDir::homePath());
    return *instance;
}

QUrl StorageManager::baseDirectory() const
{
    return directoryURL(m_paths.root);
}

QUrl StorageManager::photosDirectory() const
{
    return directoryURL(m_paths.album);
}

QUrl StorageManager::bookshelfDirectory() const
{
    return directoryURL(m_paths.bookshelf);
}

QUrl StorageManager::carpetDirectory() const
{
    return directoryURL(m_paths.carpet);
}

QUrl StorageManager::notesFileURL() const
{
    return QUrl::fromLocalFile(notesFilePath());
}

QUrl StorageManager::transformsFileURL() const
{
    return QUrl::fromLocalFile(transformsFilePath());
}

QUrl StorageManager::floorPositionsFileURL() const
{
    return QUrl::fromLocalFile(floorPositionsFilePath());
}

QString StorageManager::notesFilePath() const
{
    return joined(m_paths.root, QStringLiteral("notes.json"));
}

QString StorageManager::transformsFilePath() const
{
    return joined(m_paths.root, QStringLiteral("photo_transforms.json"));
}

QString StorageManager::floorPositionsFilePath() const
{
    return joined(m_paths.root, QStringLiteral("floor_positions.json"));
}

void StorageManager::ensureDirectories()
{
    for (const QString& folder : {m_paths.root, m_paths.album, m_paths.bookshelf, m_paths.carpet}) {
        if (!FileOperations::exists(folder))
            FileOperations::makeDirectory(folder);
    }
    migrateFolderContents(joined(m_paths.root, QStringLiteral("books")), m_paths.bookshelf);
    migrateFolderContents(joined(m_paths.root, QStringLiteral("photos")), m_paths.album);
    migrateFolderContents(joined(m_paths.root, QStringLiteral("rug")), m_paths.carpet);
}

void StorageManager::removeStaleSaves()
{
    // A save cut short (the program killed mid-write) leaves its temporary file beside the
    // data file, a photo cut short while framing its hidden copy in the album, and a move
    // from another file system its hidden copy. None is anyone's only copy of anything.
    static const QRegularExpression saves(QStringLiteral(
        "^(notes|floor_positions|photo_transforms|shelf_links)\\.json\\.[A-Za-z0-9]{6}$"));
    static const QRegularExpression framing(QStringLiteral("^\\.frame_[0-9]+-[0-9a-z]+$"));
    const auto removeMatching = [](const QString& folder, const QRegularExpression& pattern) {
        for (const QString& name :
             FileOperations::listEntries(folder, true).value_or(QStringList())) {
            const QString path = joined(folder, name);
            const auto status = FileOperations::entryStatus(path);
            if (pattern.match(name).hasMatch() && status && status->isRegularFile)
                FileOperations::removeItem(path);
        }
    };
    removeMatching(m_paths.root, saves);
    // A save cut short while notes.json stood aside: it is put back, or kept beside.
    JsonFile::recoverHeld(notesFilePath());
    removeMatching(m_paths.album, framing);
    // A copy from another file system cut short: its original is still where it was.
    for (const QString& folder : {m_paths.carpet, m_paths.bookshelf, m_paths.album}) {
        for (const QString& name :
             FileOperations::listEntries(folder, true).value_or(QStringList())) {
            if (ItemMoves::isCopyUnderWay(name))
                FileOperations::removeItem(joined(folder, name));
        }
    }
}

void StorageManager::reloadAll()
{
    m_listed.clear();
    m_floorFileSeen.reset();
    m_transformsFileSeen.reset();
    refreshShelfAndCarpet();
    loadFloorLayout();
    loadPhotoSlots();
    loadPhotoTransforms();
    loadNotesIfChanged();
}

void StorageManager::reload(const QStringList& folders)
{
    const bool shelf = folders.contains(m_paths.bookshelf) && folderChanged(m_paths.bookshelf);
    const bool carpet = folders.contains(m_paths.carpet) && folderChanged(m_paths.carpet);
    // The floor leaves out what lies on the shelf.
    if (shelf)
        refreshShelfAndCarpet();
    else if (carpet)
        refreshCarpetItems();
    if (folders.contains(m_paths.root)) {
        // The JSON files live here; each is taken over only when it holds something new.
        loadFloorLayout();
        loadPhotoTransforms();
        loadNotesIfChanged();
    }
    // The album is small: listed again on every event, so a photo written over in place
    // shows too; its thumbnails are kept while their files are unchanged.
    if (folders.contains(m_paths.album))
        loadPhotoSlots();
}

bool StorageManager::folderChanged(const QString& folder) const
{
    const auto listed = m_listed.constFind(folder);
    if (listed == m_listed.cend())
        return true;
    const std::optional<FileOperations::EntryStatus> now = FileOperations::resolvedStatus(folder);
    return !now || !now->sameVersion(*listed);
}

void StorageManager::noteListed(const QString& folder,
                                const std::optional<FileOperations::EntryStatus>& status)
{
    // A file system that keeps whole seconds only cannot tell a change made in the same
    // second as the listing: such a folder is always listed again.
    if (!status || status->modifiedNs % 1000000000 == 0) {
        m_listed.remove(folder);
        return;
    }
    m_listed.insert(folder, *status);
}

void StorageManager::refreshShelfAndCarpet()
{
    // While the shelf's listing waits (a drop still being placed), the floor lists it itself.
    if (const std::optional<QStringList> shelf = refreshBookshelfItems())
        refreshCarpetItems(*shelf);
    else
        refreshCarpetItems();
}

StorageManager::ListingHold::ListingHold(StorageManager& s) : storage(s)
{
    ++storage.m_held;
}

StorageManager::ListingHold::~ListingHold()
{
    if (--storage.m_held == 0)
        storage.releaseHeld();
}

void StorageManager::releaseHeld()
{
    m_trashSoundedWhileHeld = false;
    // The positions first: the floor lays the files it is then handed out where they belong.
    if (!m_heldDroppedPositions.isEmpty() || !m_heldPlacedPositions.isEmpty()) {
        FloorPositions positions = floorItemPositions();
        for (const QString& name : std::as_const(m_heldDroppedPositions))
            positions.remove(name);
        positions.insert(m_heldPlacedPositions);
        m_heldDroppedPositions.clear();
        m_heldPlacedPositions.clear();
        setFloorItemPositions(positions);
    }
    if (std::exchange(m_floorSaveDue, false))
        saveFloorPositions();
    if (std::exchange(m_shelfLinksSaveDue, false))
        saveShelfLinks();
    // The floor leaves out what lies on the shelf: a shelf listed is a floor listed.
    const bool carpet = std::exchange(m_carpetListingDue, false);
    if (std::exchange(m_shelfListingDue, false))
        refreshShelfAndCarpet();
    else if (carpet)
        refreshCarpetItems();
    renameNamesakesIfDue();
}

std::optional<QStringList> StorageManager::refreshBookshelfItems()
{
    if (m_held > 0 || m_shelfListingHeld > 0) {
        m_shelfListingDue = true;
        return std::nullopt;
    }
    ++m_workCounts.shelfListings;
    // Taken before the listing: a change while it runs makes the folder newer than this.
    auto status = FileOperations::resolvedStatus(m_paths.bookshelf);
    std::optional<std::vector<FileOperations::FolderEntry>> listed =
        FileOperations::listFolder(m_paths.bookshelf, false);
    if (!listed && !FileOperations::exists(m_paths.bookshelf)) {
        // Moved away or deleted: what it held went with it, and the shelf is made again as
        // at start.
        FileOperations::makeDirectory(m_paths.bookshelf);
        status = FileOperations::resolvedStatus(m_paths.bookshelf);
        listed = FileOperations::listFolder(m_paths.bookshelf, false);
        if (!listed)
            listed.emplace();
    }
    if (!listed)
        return std::nullopt;
    noteListed(m_paths.bookshelf, status);

    QStringList all;
    all.reserve(qsizetype(listed->size()));
    QStringList names;
    for (const FileOperations::FolderEntry& entry : *listed) {
        all.append(entry.name);
        // A link whose item was deleted or moved away stands no more (the start-up repair
        // removes it); one whose drive is only not there keeps its place.
        if (!entry.isSymbolicLink ||
            !FileOperations::linkTargetIsGone(joined(m_paths.bookshelf, entry.name)))
            names.append(entry.name);
    }
    m_shelfEntryPaths.clear();
    for (const QString& name : std::as_const(all))
        m_shelfEntryPaths.append(joined(m_paths.bookshelf, name));
    if (m_shelfEntries)
        m_shelfEntries->watch(m_shelfEntryPaths);

    // Each date is read once: a comparison that reads the disk can change its answer in
    // the middle of a sort.
    struct Entry {
        double added;
        FileNameOrder::Key key;
        QString name;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(names.size()));
    for (const QString& name : std::as_const(names))
        entries.push_back(
            {addedSeconds(joined(m_paths.bookshelf, name)), FileNameOrder::key(name), name});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.added != b.added)
            return a.added < b.added;
        return a.key < b.key;
    });

    ItemURLs items;
    items.reserve(qsizetype(entries.size()));
    for (const Entry& entry : entries)
        items.append(QUrl::fromLocalFile(joined(m_paths.bookshelf, entry.name)));
    setBookshelfItems(items);
    return all;
}

void StorageManager::shelfEntriesChanged(const QStringList& paths)
{
    // An entry whose item went or came back leaves the shelf or stands again. Looked up by
    // path: every entry of a shelf of thousands may report at once.
    QSet<QString> shownPaths;
    if (!paths.isEmpty()) {
        shownPaths.reserve(bookshelfItems().size());
        for (const QUrl& item : bookshelfItems())
            shownPaths.insert(item.toLocalFile());
    }
    for (const QString& path : paths) {
        const bool shown = shownPaths.contains(path);
        if (shown == FileOperations::linkTargetIsGone(path)) {
            refreshShelfAndCarpet();
            break;
        }
    }
    Q_EMIT bookshelfEntriesChanged(paths);
}

void StorageManager::refreshCarpetItems()
{
    if (m_held > 0) {
        m_carpetListingDue = true;
        return;
    }
    refreshCarpetItems(
        FileOperations::listEntries(m_paths.bookshelf, false).value_or(QStringList()));
}

void StorageManager::refreshCarpetItems(const QStringList& shelfNames)
{
    if (m_held > 0) {
        m_carpetListingDue = true;
        return;
    }
    ++m_workCounts.carpetListings;
    const auto status = FileOperations::resolvedStatus(m_paths.carpet);
    // Any change after the survey also brings a listing of its own from the watch, which
    // lists and looks at every link again.
    const CarpetLinkSurvey* surveyed = m_carpetLinkSurvey && m_carpetLinkSurvey->speaksFor(status)
                                           ? &*m_carpetLinkSurvey
                                           : nullptr;
    std::optional<std::vector<FileOperations::FolderEntry>> entries;
    if (!surveyed) {
        entries = FileOperations::listFolder(m_paths.carpet, false);
        if (!entries)
            return;
    }
    noteListed(m_paths.carpet, status);
    const QSet<QString> onShelf(shelfNames.begin(), shelfNames.end());

    CarpetNames kept;
    // The survey's URLs of the kept names, when it listed them.
    ItemURLs made;
    QStringList namesakes;
    // Whether the entry `name` shows on the floor; `mayLeadNowhere` for a link to look at.
    const auto shown = [&](const QString& name, bool mayLeadNowhere) {
        if (onShelf.contains(name)) {
            // Shown on the shelf, not on the floor as well; another file that only shares a
            // shelf link's name gets a name of its own.
            if (m_namesakes.ofShelfLink(name))
                namesakes << name;
            return false;
        }
        if (!mayLeadNowhere)
            return true;
        ++m_workCounts.carpetLinkLooks;
        return !isDeadLink(joined(m_paths.carpet, name));
    };
    if (surveyed) {
        // Listed and ordered by the worker already, with a URL for each.
        kept.reserve(surveyed->listing().size());
        made.reserve(qsizetype(surveyed->listing().size()));
        for (const CarpetLinkSurvey::Entry& entry : surveyed->listing()) {
            if (!shown(entry.name, entry.mayLeadNowhere))
                continue;
            kept.emplace_back(entry.key, entry.name);
            made.append(entry.url);
        }
    } else {
        kept.reserve(entries->size());
        for (FileOperations::FolderEntry& entry : *entries) {
            // Only a link can lead nowhere: the listing's own type spares a look at each file.
            if (!shown(entry.name, entry.isSymbolicLink))
                continue;
            FileNameOrder::Key key = FileNameOrder::key(entry.name);
            kept.emplace_back(std::move(key), std::move(entry.name));
        }
    }
    if (!namesakes.isEmpty()) {
        for (QString& name : renameNamesakes(namesakes)) {
            FileNameOrder::Key key = FileNameOrder::key(name);
            kept.emplace_back(std::move(key), std::move(name));
        }
        made.clear();
    }
    if (!surveyed || !namesakes.isEmpty())
        std::sort(kept.begin(), kept.end());

    // The floor lays itself out again on every change: none for the same list.
    bool unchanged = false;
    ItemURLs items = carpetURLs(kept, made, &unchanged);
    if (!unchanged)
        publishCarpetItems(std::move(kept), std::move(items));
}

ItemURLs StorageManager::carpetURLs(const CarpetNames& kept, const ItemURLs& made,
                                    bool* unchanged) const
{
    // Both lists are in the floor's order: one walk pairs the names listed before with
    // their URLs, so only a new name costs a URL of its own.
    const bool known = m_carpetListed.urls.constData() == carpetItems().constData() &&
                       m_carpetListed.urls.size() == carpetItems().size();
    const CarpetNames& before = m_carpetListed.names;
    ItemURLs items;
    items.reserve(qsizetype(kept.size()));
    bool reusedAll = known && kept.size() == before.size();
    size_t next = 0;
    for (size_t i = 0; i < kept.size(); ++i) {
        const auto& entry = kept[i];
        if (known) {
            while (next < before.size() && before[next] < entry)
                ++next;
            if (next < before.size() && before[next] == entry) {
                items.append(carpetItems()[qsizetype(next)]);
                ++next;
                continue;
            }
        }
        reusedAll = false;
        items.append(made.isEmpty() ? QUrl::fromLocalFile(joined(m_paths.carpet, entry.second))
                                    : made[qsizetype(i)]);
    }
    *unchanged = known ? reusedAll : items == carpetItems();
    return items;
}

void StorageManager::publishCarpetItems(CarpetNames names, ItemURLs items)
{
    m_carpetListed.names = std::move(names);
    m_carpetListed.urls = items;
    setCarpetItems(items);
}

void StorageManager::startWatching()
{
    if (m_watcher)
        return;
    m_watcher = new FolderWatcher({m_paths.root, m_paths.carpet, m_paths.bookshelf, m_paths.album},
                                  150, this);
    // Other programs may write these in place, which their folder's watch does not tell.
    m_watcher->watchFiles({notesFilePath(), floorPositionsFilePath(), transformsFilePath()});
    connect(m_watcher, &FolderWatcher::changed, this, &StorageManager::reload);
    m_shelfEntries = new EntryWatcher(200, this);
    connect(m_shelfEntries, &EntryWatcher::changed, this, &StorageManager::shelfEntriesChanged);
    m_shelfEntries->watch(m_shelfEntryPaths);
}

void StorageManager::saveFloorPositions()
{
    if (m_held > 0) {
        m_floorSaveDue = true;
        return;
    }
    ++m_workCounts.floorSaves;
    // One position that cannot be stored would keep the whole file from being written for
    // the rest of the session: it is left out, and its file lies at its default place.
    // Encoded and written on a worker: a floor of thousands takes a while to encode, and the
    // disk may take a while to confirm the bytes. Until it has, a reload leaves the layout
    // alone (the file is about to hold the room's own).
    m_writer.write(
        floorPositionsFilePath(),
        [positions = floorItemPositions(), carpet = carpetPositionNorm()]() mutable {
            positions.removeIf([](const auto& entry) { return !entry.value().isFinite(); });
            return encodeFloorLayout(FloorLayoutData{carpet, positions});
        },
        floorLayoutDecodes,
        [this](bool ok, const QByteArray& written) {
            if (ok)
                m_floorFileSeen = written;
        });
}

void StorageManager::applyFloorLayout(const FloorLayoutData& layout)
{
    setCarpetPositionNorm(layout.carpetPosition);
    setFloorItemPositions(layout.itemPositions);
}

void StorageManager::loadFloorLayout()
{
    if (m_writer.isWriting(floorPositionsFilePath()))
        return;
    const JsonFile::ReadResult file = JsonFile::read(floorPositionsFilePath());
    if (file.status != JsonFile::ReadStatus::Read || file.bytes == m_floorFileSeen)
        return;
    m_floorFileSeen = file.bytes;
    if (const std::optional<FloorLayoutData> layout = decodeFloorLayout(file.bytes))
        applyFloorLayout(*layout);
}

void StorageManager::loadPhotoTransforms()
{
    const JsonFile::ReadResult file = JsonFile::read(transformsFilePath());
    if (file.status != JsonFile::ReadStatus::Read || file.bytes == m_transformsFileSeen)
        return;
    m_transformsFileSeen = file.bytes;
    if (const std::optional<PhotoTransforms> transforms = decodePhotoTransforms(file.bytes))
        setPhotoTransforms(*transforms);
}

bool StorageManager::isInsideCarpetFolder(const QString& path) const
{
    return FileOperations::isWithin(path, m_paths.carpet);
}
