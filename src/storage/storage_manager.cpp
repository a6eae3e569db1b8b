#include "storage/storage_manager.h"

#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "storage/file_name_order.h"
#include "storage/item_paths.h"
#include "storage/json_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QThread>

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
    : QObject(parent), m_paths(StoragePaths::forHome(homeDirectory))
{
    ensureDirectories();
    migrateLegacyHome();
    repairLinks();
    reloadAll();
    readDesktopIconsState();
    startWatching();
}

StorageManager::~StorageManager() = default;

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

void StorageManager::reloadAll()
{
    refreshBookshelfItems();
    refreshCarpetItems();
    loadFloorLayout();
    loadPhotoSlots();
    loadPhotoTransforms();
    loadNotesIfChanged();
}

void StorageManager::refreshBookshelfItems()
{
    const std::optional<QStringList> names = FileOperations::listEntries(m_paths.bookshelf, false);
    if (!names)
        return;

    // Each date is read once: a comparison that reads the disk can change its answer in
    // the middle of a sort.
    struct Entry {
        double added;
        FileNameOrder::Key key;
        QString name;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(names->size()));
    for (const QString& name : *names)
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
}

void StorageManager::refreshCarpetItems()
{
    const std::optional<QStringList> names = FileOperations::listEntries(m_paths.carpet, false);
    if (!names)
        return;
    const QStringList shelfNames =
        FileOperations::listEntries(m_paths.bookshelf, false).value_or(QStringList());
    const QSet<QString> onShelf(shelfNames.begin(), shelfNames.end());

    std::vector<std::pair<FileNameOrder::Key, QString>> kept;
    for (const QString& name : *names) {
        if (onShelf.contains(name))
            continue; // shown on the shelf, not on the floor as well
        if (isDeadLink(joined(m_paths.carpet, name)))
            continue;
        kept.emplace_back(FileNameOrder::key(name), name);
    }
    std::sort(kept.begin(), kept.end());

    ItemURLs items;
    for (const auto& entry : kept)
        items.append(QUrl::fromLocalFile(joined(m_paths.carpet, entry.second)));

    if (QThread::currentThread() == thread()) {
        setCarpetItems(items);
    } else {
        QMetaObject::invokeMethod(
            this, [this, items] { setCarpetItems(items); }, Qt::QueuedConnection);
    }
}

void StorageManager::startWatching()
{
    if (m_watcher)
        return;
    m_watcher = new FolderWatcher({m_paths.root, m_paths.carpet, m_paths.bookshelf, m_paths.album},
                                  150, this);
    connect(m_watcher, &FolderWatcher::changed, this, &StorageManager::reloadAll);
}

void StorageManager::saveFloorPositions()
{
    const std::optional<QByteArray> bytes =
        encodeFloorLayout(FloorLayoutData{carpetPositionNorm(), floorItemPositions()});
    if (!bytes)
        return;
    JsonFile::write(floorPositionsFilePath(), *bytes, floorLayoutDecodes);
}

void StorageManager::applyFloorLayout(const FloorLayoutData& layout)
{
    setCarpetPositionNorm(layout.carpetPosition);
    setFloorItemPositions(layout.itemPositions);
}

void StorageManager::loadFloorLayout()
{
    const JsonFile::ReadResult file = JsonFile::read(floorPositionsFilePath());
    if (file.status != JsonFile::ReadStatus::Read)
        return;
    if (const std::optional<FloorLayoutData> layout = decodeFloorLayout(file.bytes))
        applyFloorLayout(*layout);
}

void StorageManager::loadPhotoTransforms()
{
    const JsonFile::ReadResult file = JsonFile::read(transformsFilePath());
    if (file.status != JsonFile::ReadStatus::Read)
        return;
    if (const std::optional<PhotoTransforms> transforms = decodePhotoTransforms(file.bytes))
        setPhotoTransforms(*transforms);
}

bool StorageManager::isInsideCarpetFolder(const QString& path) const
{
    return FileOperations::isWithin(path, m_paths.carpet);
}
