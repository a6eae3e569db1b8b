// What the moves of people's files share: the services they use and the rules that keep
// the storage folder out of its own way.
#include "storage/storage_manager.h"

#include "platform/background_work.h"
#include "platform/canberra_event_sounds.h"
#include "platform/file_operations.h"
#include "platform/freedesktop_trash.h"
#include "platform/gio_desktop_icons.h"
#include "state/animation.h"
#include "storage/item_moves.h"
#include "storage/item_paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

using ItemPaths::joined;
using ItemPaths::realLocation;

namespace {
// A slice of a move of many items keeps the GUI thread this long at most (one item may take
// longer): the room answers between two slices.
constexpr qint64 kBulkSliceNs = 8'000'000;
// A batch of up to this many steps ends inside the call, however long its opening took:
// the shelf, the floor and whoever asked read the result as the call returns.
constexpr qsizetype kBulkFewSteps = 64;

QString canonicalOr(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}
} // namespace

void StorageManager::setTrash(Trash* trash)
{
    m_trash = trash;
}

void StorageManager::setEventSounds(EventSounds* sounds)
{
    m_sounds = sounds;
}

void StorageManager::setUserPrompts(UserPrompts* prompts)
{
    m_prompts = prompts;
}

void StorageManager::setDesktopIcons(std::shared_ptr<DesktopIcons> icons)
{
    m_desktopIcons = std::move(icons);
}

Trash& StorageManager::trash() const
{
    return m_trash ? *m_trash : FreedesktopTrash::shared();
}

EventSounds& StorageManager::eventSounds() const
{
    return m_sounds ? *m_sounds : CanberraEventSounds::shared();
}

std::shared_ptr<DesktopIcons> StorageManager::desktopIcons()
{
    if (!m_desktopIcons)
        m_desktopIcons = std::make_shared<GioDesktopIcons>(m_paths.desktop);
    return m_desktopIcons;
}

bool StorageManager::holdsStorage(const QString& path) const
{
    // A link is moved as the link, so only a real folder can hold the storage folder.
    if (FileOperations::isSymbolicLink(path))
        return false;
    const QString item = realLocation(path);
    const QString root = canonicalOr(m_paths.root);
    if (FileOperations::isWithin(root, item))
        return true;
    for (const QString& folder : {m_paths.album, m_paths.bookshelf, m_paths.carpet}) {
        if (item == canonicalOr(folder))
            return true;
    }
    return false;
}

bool StorageManager::isDataFile(const QString& path) const
{
    const QString item = realLocation(path);
    for (const QString& file :
         {notesFilePath(), transformsFilePath(), floorPositionsFilePath(), shelfLinksFilePath()}) {
        if (item == realLocation(file))
            return true;
    }
    return false;
}

bool StorageManager::isStorageOwn(const QString& path) const
{
    return holdsStorage(path) || isDataFile(path);
}

bool StorageManager::isEntryOf(const QString& path, const QString& folder)
{
    const QString name = QFileInfo(path).fileName();
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) &&
           FileOperations::entryExists(path) && ItemPaths::liesDirectlyIn(path, folder);
}

QString StorageManager::freeCarpetName(const QString& name, const QString& source) const
{
    const QString onShelf = joined(m_paths.bookshelf, name);
    const bool shelfFree = !FileOperations::entryExists(onShelf) ||
                           QDir::cleanPath(source) == QDir::cleanPath(onShelf);
    if (shelfFree && !FileOperations::entryExists(joined(m_paths.carpet, name)))
        return name;
    return uniqueName({m_paths.carpet, m_paths.bookshelf}, name);
}

void StorageManager::recordOrigin(const QString& item, const QString& origin) const
{
    recordOriginIn(m_paths.root, item, origin);
}

void StorageManager::recordOriginIn(const QString& root, const QString& item, const QString& origin)
{
    // The attributes go through a link to its target; a link to something the room stores
    // already (a shortcut to a carpet file, say) must not overwrite where that came from.
    if (FileOperations::isSymbolicLink(item) &&
        FileOperations::isWithin(canonicalOr(item), canonicalOr(root)))
        return;
    if (!FileOperations::isWithin(realLocation(origin), canonicalOr(root))) {
        writeOriginAttributes(QUrl::fromLocalFile(item), origin);
        return;
    }
    writeAddedAttribute(item);
}

bool StorageManager::isInFlight(const QString& path) const
{
    const QString clean = QDir::cleanPath(path);
    return std::any_of(m_inFlight.begin(), m_inFlight.end(), [&clean](const QString& moving) {
        return FileOperations::isWithin(clean, moving) || FileOperations::isWithin(moving, clean);
    });
}

StorageManager::LinkBatch::LinkBatch(StorageManager& storage, bool noteLater) : m_storage(storage)
{
    if (m_storage.m_linkKeeper)
        return;
    // The room reads a shelf link into the carpet folder as the item itself being shelved:
    // no link is turned into one.
    const StoragePaths& paths = m_storage.m_paths;
    const QString shelf = paths.bookshelf;
    const QString carpet = canonicalOr(paths.carpet);
    m_opened = std::make_shared<ItemMoves::LinkKeeper>([shelf, carpet](const QString& link,
                                                                       const QString& target) {
        return !ItemPaths::liesDirectlyIn(link, shelf) || !FileOperations::isWithin(target, carpet);
    });
    m_storage.m_linkKeeper = m_opened;
    for (const QString& folder : {paths.bookshelf, paths.carpet, paths.album}) {
        for (const QString& name : FileOperations::listLinks(folder, false).value_or(QStringList()))
            m_toNote.append(joined(folder, name));
    }
    if (!noteLater) {
        while (hasUnnoted())
            noteNext();
    }
}

void StorageManager::LinkBatch::noteNext()
{
    // Noted late, a link whose item has moved meanwhile still names where the item was,
    // which the batch's moves lead on from; one that moved itself was noted by its move.
    ++m_storage.m_workCounts.linksNoted;
    m_storage.watchLink(m_toNote.at(m_nextToNote++));
    if (!hasUnnoted())
        m_toNote.clear();
}

StorageManager::LinkBatch::~LinkBatch()
{
    if (!m_opened)
        return;
    m_storage.m_linkKeeper.reset();
}

void StorageManager::watchLink(const QString& path) const
{
    // The room's own shelf links lead out of the storage folder to items that stay put.
    if (m_linkKeeper && FileOperations::isSymbolicLink(path) && !isRoomLink(path))
        m_linkKeeper->watch(path);
}

FileOperations::Result StorageManager::moveNow(const QString& from, const QString& to,
                                               const std::function<void()>& arrived)
{
    const LinkBatch batch(*this);
    watchLink(from);
    const FileOperations::Result result = ItemMoves::move(from, to, arrived);
    m_linkKeeper->finished(from, result ? to : QString());
    return result;
}

struct StorageManager::Bulk {
    explicit Bulk(StorageManager& storage) : nextSlice(new QTimer(&storage))
    {
        links.emplace(storage, true);
        held.emplace(storage);
        // A timer of its own rather than a posted call: posted calls ran two to four slices
        // back to back in one turn of the event loop, and the room's input, paints and
        // requests waited for all of them. A timer's next slice waits until they are done.
        nextSlice->setSingleShot(true);
        nextSlice->setInterval(0);
    }
    ~Bulk() { nextSlice->deleteLater(); }
    Bulk(const Bulk&) = delete;
    Bulk& operator=(const Bulk&) = delete;
    // Starts the batch's next slice.
    QTimer* nextSlice;
    // Let go when the bulk ends: the links are mended, then the listings and saves made.
    std::optional<LinkBatch> links;
    std::optional<ListingHold> held;
    BulkSteps steps;
    size_t next = 0;
    // Copies across file systems the steps started that have not finished yet.
    int copying = 0;
    std::optional<Animation> animation;
    // A slice is running, or waits for its turn of the loop.
    bool slicing = false;
    // The turns of the event loop its slices have taken so far.
    int turns = 0;
};

void StorageManager::announceLeaving(const QStringList& names)
{
    QElapsedTimer spent;
    spent.start();
    Q_EMIT carpetItemsLeaving(names);
    m_leavingNs += spent.nsecsElapsed();
}

void StorageManager::runBulk(BulkSteps steps)
{
    // The floor letting thousands of files go and the links' survey take their share of the
    // turn the batch was asked in: with a full slice after them the room stayed unanswered
    // for the three together.
    QElapsedTimer opening;
    opening.start();
    auto bulk = std::make_shared<Bulk>(*this);
    bulk->steps = std::move(steps);
    bulk->animation = currentAnimation();
    m_bulks.push_back(bulk);
    connect(bulk->nextSlice, &QTimer::timeout, this, [this, weak = std::weak_ptr<Bulk>(bulk)] {
        if (const std::shared_ptr<Bulk> running = weak.lock())
            runBulkSlice(running);
    });
    const qint64 spent = std::exchange(m_leavingNs, 0) + opening.nsecsElapsed();
    if (spent < kBulkSliceNs || m_bulkSliceItems ||
        qsizetype(bulk->steps.size()) <= kBulkFewSteps) {
        runBulkSlice(bulk, spent);
        return;
    }
    // A crowd's opening took a slice's time already (the floor let thousands of files go):
    // the first step waits for the next turn, so that the room answers in between.
    bulk->slicing = true;
    bulk->nextSlice->start();
}

void StorageManager::runBulkSlice(const std::shared_ptr<Bulk>& bulk, qint64 spentNs)
{
    bulk->slicing = true;
    ++bulk->turns;
    QElapsedTimer slice;
    slice.start();
    // Every link is noted before the first item moves: a shelf of thousands of links takes
    // a few turns of its own. A slice's worth is noted at once, so a small batch still ends
    // inside the call, and so is every link for a test looking between turns of moves.
    int noted = 0;
    const bool atOnce = m_bulkSliceItems.has_value() || bulk->links->unnoted() <= kLinkNoteSlice;
    while (bulk->links->hasUnnoted()) {
        if (!atOnce && noted > 0 &&
            (noted >= kLinkNoteSlice || spentNs + slice.nsecsElapsed() >= kBulkSliceNs))
            break;
        bulk->links->noteNext();
        ++noted;
    }
    int made = 0;
    withAnimation(bulk->animation, [&] {
        while (bulk->next < bulk->steps.size() && !bulk->links->hasUnnoted()) {
            if (made > 0 && (spentNs + slice.nsecsElapsed() >= kBulkSliceNs ||
                             (m_bulkSliceItems && made >= *m_bulkSliceItems)))
                break;
            // Taken out first: a step may start another bulk, or end this one.
            const std::function<void()> step = std::exchange(bulk->steps[bulk->next++], {});
            Bulk* const outer = std::exchange(m_bulkStepping, bulk.get());
            step();
            m_bulkStepping = outer;
            ++made;
        }
    });
    if (bulk->next < bulk->steps.size() || bulk->links->hasUnnoted()) {
        bulk->nextSlice->start();
        return;
    }
    bulk->slicing = false;
    endBulkIfDone(bulk);
}

void StorageManager::endBulkIfDone(const std::shared_ptr<Bulk>& bulk)
{
    if (bulk->next < bulk->steps.size() || bulk->copying > 0 || bulk->slicing)
        return;
    const auto it = std::find(m_bulks.begin(), m_bulks.end(), bulk);
    if (it == m_bulks.end())
        return;
    // A move that took turns of its own mends the links in one, then lists and saves in the
    // next: after thousands of moves either is a good part of what a turn may take.
    if (bulk->links && bulk->turns > 1) {
        withAnimation(bulk->animation, [&bulk] { bulk->links.reset(); });
        bulk->slicing = true;
        // The floor listed at the end looks at each of its links: with thousands, that alone
        // kept the room from answering. A worker looks at them first, after the mending.
        if (m_held == 1 && (m_carpetListingDue || m_shelfListingDue)) {
            surveyCarpetLinks(bulk);
            return;
        }
        QTimer::singleShot(0, this, [this, weak = std::weak_ptr<Bulk>(bulk)] {
            if (const std::shared_ptr<Bulk> running = weak.lock()) {
                running->slicing = false;
                endBulkIfDone(running);
            }
        });
        return;
    }
    m_bulks.erase(it);
    withAnimation(bulk->animation, [this, &bulk] {
        bulk->links.reset();
        bulk->held.reset();
        Q_EMIT bulkMoveFinished();
    });
}

void StorageManager::endMovesBeforeQuit()
{
    if (m_bulks.empty())
        return;
    // What the steps moved stands whole at its place with its links mended; the rest stays
    // where it is. The positions, saves and listings the batches held are made once, here.
    const ListingHold hold(*this);
    for (const std::shared_ptr<Bulk>& bulk : std::exchange(m_bulks, {})) {
        bulk->links.reset();
        bulk->held.reset();
    }
}

void StorageManager::surveyCarpetLinks(const std::shared_ptr<Bulk>& bulk)
{
    using Watcher = QFutureWatcher<CarpetLinkSurvey>;
    auto* watcher = new Watcher(this);
    connect(watcher, &Watcher::finished, this, [this, watcher, weak = std::weak_ptr<Bulk>(bulk)] {
        watcher->deleteLater();
        const std::shared_ptr<Bulk> running = weak.lock();
        if (!running)
            return;
        m_carpetLinkSurvey = watcher->result();
        running->slicing = false;
        endBulkIfDone(running);
        // Only the listing at the batch's end takes its word: links change too.
        m_carpetLinkSurvey.reset();
    });
    watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [carpet = m_paths.carpet] {
        return CarpetLinkSurvey::of(carpet);
    }));
}

void StorageManager::placeFloorPosition(const QString& name, const StoredPosition& position)
{
    if (m_held == 0) {
        setFloorItemPosition(name, position.x, position.y);
        return;
    }
    if (!position.isFinite())
        return;
    m_heldDroppedPositions.remove(name);
    m_heldPlacedPositions.insert(name, position);
    saveFloorPositions();
}

void StorageManager::startMove(
    const QString& from, const QString& to, const QString& origin,
    const std::function<void(const QString& placed, FileOperations::Result)>& then)
{
    const QString source = QDir::cleanPath(from);
    const QString destination = QDir::cleanPath(to);
    const LinkBatch batch(*this);
    watchLink(source);
    const std::shared_ptr<ItemMoves::LinkKeeper> keeper = m_linkKeeper;
    m_inFlight << source << destination;
    const std::optional<Animation> animation = currentAnimation();
    const QString root = m_paths.root;
    const auto arrived = [root, origin](const QString& placed) {
        if (!origin.isEmpty())
            recordOriginIn(root, placed, origin);
    };
    // A copy a bulk's step starts keeps the bulk open until it has finished.
    std::weak_ptr<Bulk> bulk;
    if (m_bulkStepping) {
        for (const std::shared_ptr<Bulk>& running : m_bulks) {
            if (running.get() == m_bulkStepping)
                bulk = running;
        }
    }
    const std::shared_ptr<Bulk> waiting = bulk.lock();
    if (waiting)
        ++waiting->copying;
    ItemMoves::moveInBackground(source, destination, arrived, this,
                                [this, source, destination, animation, then, keeper,
                                 bulk](const ItemMoves::Outcome& outcome) {
                                    m_inFlight.removeOne(source);
                                    m_inFlight.removeOne(destination);
                                    keeper->finished(source, outcome.placedAt);
                                    withAnimation(animation,
                                                  [&] { then(outcome.placedAt, outcome.result); });
                                    if (const std::shared_ptr<Bulk> running = bulk.lock()) {
                                        --running->copying;
                                        endBulkIfDone(running);
                                    }
                                    renameNamesakesIfDue();
                                });
}
