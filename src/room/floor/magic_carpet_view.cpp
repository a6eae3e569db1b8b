#include "room/floor/magic_carpet_view.h"

#include "kit/transition.h"
#include "room/floor/file_icon_cache.h"
#include "room/floor/floor_file_area.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_marquee_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/floor_rules.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace {
constexpr Animation bulkSpring = Animation::spring(0.35, 0.75);
// Views are made a batch at a time, one batch per turn of the event loop: a folder of
// thousands fills the floor over a few frames instead of keeping the room black until the
// last one is made. A batch holds at least this many files, and goes on for some 5 ms: the
// scene's own work on the views a batch made, and their drawing into the floor's picture,
// follow it in the same turn and cost more than making them (batches of 12 ms of making took
// turns of 40 ms in a room of 1440 x 900, and the room needs a few turns to answer).
constexpr int fileBatch = 64;
constexpr qint64 batchNanoseconds = 5'000'000;
// Up to this many files leaving together go with their transition; more are let go at once,
// their views deleted a slice of this long at a time.
constexpr qsizetype animatedDepartures = 64;
constexpr qint64 departureNanoseconds = 8'000'000;

Transition fileTransition()
{
    return Transition::scaled(0).combined(Transition::opacity());
}

// Files of one standing (resting, selected, dragged...) stack by age, the oldest lowest, as the
// floor's picture lays them, also after a drag took one through the lifted area and back.
constexpr qreal ageStep = 1e-7;

// Room round a file's view for what may change without it being placed again: its tilt, its
// restore button, a spring's overshoot.
constexpr qreal reachMargin = 24;

// Where a file's holder reaches, in its parent's coordinates, with the file at full size: the
// holder's transition only ever shrinks it towards its middle.
QRectF reachOf(const QGraphicsItem* holder, const QPointF& shift = {})
{
    return holder->childrenBoundingRect()
        .translated(holder->pos() + shift)
        .adjusted(-reachMargin, -reachMargin, reachMargin, reachMargin);
}
} // namespace

MagicCarpetView::MagicCarpetView(StorageManager& storage, FloorInteractionState& floorState,
                                 AppState& appState, QGraphicsItem* parent)
    : RoomItem(parent), m_storage(storage), m_floorState(floorState), m_appState(appState)
{
    setFlag(ItemHasNoContents);

    m_carpet = new MovableCarpetMatView(m_storage, m_floorState, m_appState, this);
    m_carpet->setZValue(20);
    m_carpetPlace.setOnFrame([this] { m_carpet->setCentre(m_carpetPlace.value()); });

    // Below every file's own view: a file that draws itself lies over the resting ones.
    m_fileLayer = new FloorFileLayer(
        [this](const QRegion& area) { return filesIn(m_fileLayer, area); }, this);
    m_fileLayer->setZValue(22);
    // Letting go a selection of thousands draws them all back into the resting files'
    // picture: a slice at a time, while the selection's picture, over it, still shows them
    // as they were until the last slice is drawn (see pictureIn).
    connect(m_fileLayer, &FloorFileLayer::repaired, this, [this] {
        if (m_selectionStale && m_selectionPictured == 0)
            m_selectionLayer->clear();
        m_selectionStale = false;
        m_fileLayer->setSliced(false);
    });
    // The files' holders stack among themselves from 22 (resting) to 40 (dragged): all of
    // them over the carpet and the picture, under the marquee and the bar.
    // The resting files' area lies under a veil of its own, which hides it while a file is
    // dragged (see followDrag).
    m_restingVeil = new FloorFileArea(this, FloorFileArea::Reach::Open);
    m_restingVeil->setZValue(30);
    m_fileArea = new FloorFileArea(m_restingVeil);
    // While a file is dragged its repaints meet the resting files everywhere on the floor:
    // the files that draw themselves are then looked at apart from them (see followDrag).
    m_liftedArea = new FloorFileArea(this, FloorFileArea::Reach::Open);
    m_liftedArea->setZValue(30);
    // The selected files that lie still, in one picture of their own: under every selected
    // file that draws itself (hovered or following a drag), over every resting one. A
    // selection of thousands then costs a repaint over it one picture, not thousands of files.
    m_selectionLayer = new FloorFileLayer(
        [this](const QRegion& area) { return filesIn(m_selectionLayer, area); }, m_liftedArea);
    m_selectionLayer->setZValue(32);

    m_marquee = new FloorMarqueeView(this);
    m_marquee->setZValue(45);

    connect(&m_storage, &StorageManager::carpetItemsChanged, this, &MagicCarpetView::rebuildItems);
    connect(&m_storage, &StorageManager::carpetItemsLeaving, this,
            [this](const QStringList& names) {
                m_awaitingBulkEnd = true;
                letFilesGo(names);
            });
    connect(&m_storage, &StorageManager::bulkMoveFinished, this, [this] {
        if (std::exchange(m_awaitingBulkEnd, false))
            rebuildItems();
        scheduleDeletion();
    });
    connect(&m_storage, &StorageManager::floorItemPositionsChanged, this,
            &MagicCarpetView::layoutMovedFiles);
    connect(&m_storage, &StorageManager::carpetPositionNormChanged, this,
            &MagicCarpetView::layoutFloor);
    connect(&m_floorState, &FloorInteractionState::carpetDragOffsetChanged, this,
            &MagicCarpetView::layoutFloor);
    connect(&m_floorState, &FloorInteractionState::isCarpetLiftedChanged, this,
            &MagicCarpetView::layoutFloor);
    connect(&m_floorState, &FloorInteractionState::selectedFileNamesChanged, this,
            &MagicCarpetView::layoutSelection);
    connect(&m_floorState, &FloorInteractionState::hoveredFloorFileNameChanged, this,
            &MagicCarpetView::followHover);
    connect(&m_floorState, &FloorInteractionState::draggingFloorFileNameChanged, this,
            &MagicCarpetView::layoutDragStart);
    connect(&m_floorState, &FloorInteractionState::floorFileDragTranslationChanged, this,
            &MagicCarpetView::layoutDrag);
    connect(&m_floorState, &FloorInteractionState::isCarpetDraggingChanged, this,
            &MagicCarpetView::layoutBar);
    connect(&m_floorState, &FloorInteractionState::isMarqueeSelectingChanged, this,
            &MagicCarpetView::layoutMarquee);
    connect(&m_floorState, &FloorInteractionState::marqueeStartChanged, this,
            &MagicCarpetView::layoutMarquee);
    connect(&m_floorState, &FloorInteractionState::marqueeCurrentChanged, this,
            &MagicCarpetView::layoutMarquee);
    rebuildItems();
}

MagicCarpetView::~MagicCarpetView() = default;

void MagicCarpetView::onSizeChanged()
{
    m_fileLayer->setSize(size());
    m_selectionLayer->setSize(size());
    m_marquee->setArea(rect());
    m_carpet->setScreenSize(size());
    for (auto& [name, entry] : m_entries) {
        if (entry.view)
            entry.view->setScreenSize(size());
    }
    withoutAnimation([this] { layoutFloor(); });
}

FloorItemView* MagicCarpetView::floorItem(const QString& name) const
{
    const auto it = m_entries.find(name);
    if (it == m_entries.end() || !it->second.view || !it->second.holder ||
        !it->second.holder->isVisible())
        return nullptr;
    return it->second.view;
}

QPointF MagicCarpetView::shownCentre(const QString& name) const
{
    const auto it = m_entries.find(name);
    if (it == m_entries.end() || !it->second.view)
        return {};
    return it->second.view->centre() + (rides(it->second) ? m_selectionLayer->shift() : QPointF());
}

FloorMultiSelectActionBar* MagicCarpetView::actionBar() const
{
    return m_barHolder && !m_barHolder->isDisappearing() ? m_bar.data() : nullptr;
}

QPointF MagicCarpetView::carpetCentre() const
{
    const StoredPosition p = m_storage.carpetPositionNorm();
    const QSizeF offset = m_floorState.carpetDragOffset();
    return QPointF(size().width() * p.x + offset.width(), size().height() * p.y + offset.height());
}

QPointF MagicCarpetView::filePoint(const QString& name) const
{
    const StoredPosition p = m_storage.carpetItemPosition(name);
    return QPointF(size().width() * p.x, size().height() * p.y);
}

void MagicCarpetView::rebuildItems()
{
    // Each file keeps its view while it stays in the folder; one that left goes out with
    // its transition, one that came comes in with it. Once the moves have ended this brings
    // back whatever a move of many let go but left on the floor.
    if (!m_storage.hasMovesInFlight())
        m_awaitingBulkEnd = false;
    QSet<QString> present;
    m_pending.clear();
    for (const QUrl& url : m_storage.carpetItems()) {
        const QString name = url.fileName();
        present.insert(name);
        if (!m_entries.count(name))
            m_pending.append(url);
    }
    QStringList gone;
    for (const auto& [name, entry] : m_entries) {
        if (!present.contains(name))
            gone << name;
    }
    letFilesGo(gone);
    // Only the files that came are laid out, as they are made: the others lie where they lay
    // (a move lays out what it moved). The whole floor laid out again took some 40 ms with
    // 10,000 files, at the end of any move, one file's too.
    m_coveredCount += makePending();
    m_carpet->setCoveredCount(m_coveredCount);
    layoutBar();
}

void MagicCarpetView::letFilesGo(const QStringList& names)
{
    const bool crowd = names.size() > animatedDepartures;
    if (!m_pending.isEmpty()) {
        const QSet<QString> leaving(names.begin(), names.end());
        m_pending.removeIf(
            [&leaving](const QUrl& url) { return leaving.contains(url.fileName()); });
    }
    if (crowd)
        m_departed.reserve(m_departed.size() + names.size());
    // A crowd's places in the floor's pictures are drawn again once, together.
    QRectF drawn;
    QRectF selectionDrawn;
    for (const QString& name : names) {
        const auto it = m_entries.find(name);
        if (it == m_entries.end())
            continue;
        Entry& entry = it->second;
        m_coveredCount -= entry.covered ? 1 : 0;
        if (!crowd) {
            leaveLayer(entry);
            if (entry.holder)
                entry.holder->disappear(); // deletes itself later, never inside its event
        } else {
            if (entry.picture == m_selectionLayer) {
                selectionDrawn |= entry.layered;
                --m_selectionPictured;
            } else {
                drawn |= entry.layered;
            }
            if (entry.view)
                entry.view->leaveLayerHidden();
            if (entry.holder) {
                entry.holder->hide();
                m_departed.append(entry.holder);
            }
        }
        m_entries.erase(it);
    }
    if (!drawn.isEmpty())
        m_fileLayer->invalidate(drawn);
    // A selection that leaves whole takes its picture with it; what stays is drawn again.
    if (m_selectionPictured == 0 && (!selectionDrawn.isEmpty() || m_selectionStale)) {
        m_selectionLayer->clear();
        m_selectionStale = false;
    } else if (!selectionDrawn.isEmpty()) {
        m_selectionLayer->invalidate(selectionDrawn);
    }
    m_carpet->setCoveredCount(m_coveredCount);
    scheduleDeletion();
}

void MagicCarpetView::scheduleDeletion()
{
    // While a move of many runs, each of its turns holds a slice of its moves already: the
    // views it took away are deleted once it has ended.
    if (m_departed.isEmpty() || m_deletionScheduled || m_awaitingBulkEnd)
        return;
    // A turn later than the scene's own pass over the views just hidden, which comes on
    // the next turn: the two back to back kept the room from its input.
    m_deletionScheduled = true;
    QTimer::singleShot(0, this,
                       [this] { QTimer::singleShot(0, this, &MagicCarpetView::deleteDeparted); });
}

void MagicCarpetView::deleteDeparted()
{
    // Never inside the event of one of them (a drop ends in the dropped file's own handler).
    m_deletionScheduled = false;
    // Nor while the move of many that took them away still runs: a turn then holds a slice
    // of its moves, and a slice of deletions beside it kept the room from its input twice as
    // long. They go once it has ended.
    if (m_awaitingBulkEnd)
        return;
    QElapsedTimer slice;
    slice.start();
    while (!m_departed.isEmpty() && slice.nsecsElapsed() < departureNanoseconds)
        delete m_departed.takeLast().data();
    if (!m_departed.isEmpty()) {
        m_deletionScheduled = true;
        QTimer::singleShot(0, this, &MagicCarpetView::deleteDeparted);
    }
}

int MagicCarpetView::makePending(bool later)
{
    QElapsedTimer batch;
    batch.start();
    qsizetype count = 0;
    int covered = 0;
    // A crowd gets its first views on the next turn: the turn that listed it (the end of a
    // move of many, with the drawer it emptied drawn again) has done enough already.
    const qsizetype least = !later && m_pending.size() > fileBatch ? 0 : fileBatch;
    while (count < m_pending.size() &&
           (count < least || (later && batch.nsecsElapsed() < batchNanoseconds)))
        covered += makeEntry(m_pending[count++]) ? 1 : 0;
    m_pending.remove(0, count);
    if (!m_pending.isEmpty() && !m_batchScheduled) {
        m_batchScheduled = true;
        QTimer::singleShot(0, this, [this] {
            m_batchScheduled = false;
            // Only the new files need laying out; the carpet shows how many it now covers.
            if (const int more = makePending(true)) {
                m_coveredCount += more;
                m_carpet->setCoveredCount(m_coveredCount);
            }
        });
    }
    return covered;
}

bool MagicCarpetView::makeEntry(const QUrl& url)
{
    const QString name = url.fileName();
    if (m_entries.count(name))
        return false;
    Entry entry;
    entry.holder = new TransitionItem(fileTransition(), m_fileArea);
    entry.view = new FloorItemView(url, m_storage, m_floorState, m_appState, entry.holder);
    entry.view->setScreenSize(size());
    entry.view->setIconImage(FileIconCache::shared().icon(url));
    entry.place = std::make_unique<Animated<QPointF>>(filePoint(name));
    entry.place->setOnFrame([this, name] { placeFile(name); });
    entry.order = m_nextOrder++;
    TransitionItem* holder = entry.holder;
    FloorItemView* view = entry.view;
    auto& made = m_entries.emplace(name, std::move(entry)).first->second;
    holder->appear();
    const bool covered = layoutEntry(name, made);
    // A file leaves the floor's picture while it looks different or moves, and comes back
    // when it rests again.
    connect(view, &FloorItemView::lookChanged, this, [this, name] {
        // A selection's change places each file it concerns right after, which does this too.
        if (m_followingSelection)
            return;
        // Drawn again where it lies still, without leaving its area on the way: moving a
        // holder among thousands costs a walk over all of them.
        updateResting(name);
    });
    connect(holder, &QGraphicsObject::opacityChanged, this, [this, name] { updateResting(name); });
    return covered;
}

void MagicCarpetView::leaveLayer(Entry& entry)
{
    pictureIn(entry, nullptr, QRectF());
    if (entry.view)
        entry.view->setInLayer(false);
    settleHolder(entry);
}

void MagicCarpetView::pictureIn(Entry& entry, FloorFileLayer* picture, const QRectF& rect)
{
    if (entry.picture && !entry.layered.isEmpty())
        entry.picture->invalidate(entry.layered);
    if (picture == m_fileLayer) {
        // The newest file lies on top of the rest: drawn over the picture as it stands.
        if (entry.fresh)
            m_fileLayer->add(entry.view, rect);
        else
            m_fileLayer->invalidate(rect);
        entry.fresh = false;
    } else if (picture == m_selectionLayer) {
        // A file taken into the selection comes on top of it (and of none of the files of a
        // selection let go that the picture still shows).
        if (m_selectionStale)
            m_selectionLayer->clear();
        m_selectionStale = false;
        m_selectionLayer->add(entry.view, rect);
    }
    m_selectionPictured +=
        int(picture == m_selectionLayer) - int(entry.picture == m_selectionLayer);
    entry.picture = picture;
    entry.layered = picture ? rect : QRectF();
    // The last selected file gone, the selection's picture goes too, once the resting files'
    // picture shows what it covered (a marquee's hold shows that at its end).
    if (m_selectionPictured == 0 && !m_selectionStale) {
        if (m_fileLayer->needsRepair() && !m_fileLayer->holdsRepairs() &&
            m_selectionLayer->holdsPicture()) {
            m_selectionStale = true;
            m_selectionLayer->keepAsDrawn();
            m_fileLayer->setSliced(true);
        } else {
            m_selectionLayer->clear();
        }
    }
}

void MagicCarpetView::settleHolder(Entry& entry)
{
    if (!entry.holder)
        return;
    FloorFileArea* area =
        m_lifted && !(entry.view && entry.view->isInLayer()) ? m_liftedArea : m_fileArea;
    if (entry.holder->parentItem() != area)
        entry.holder->setParentItem(area);
}

void MagicCarpetView::followDrag()
{
    // A drag repaints the dragged files' old and new places at pointer rate, and Qt would look
    // at every file of the area those places lie in, thousands on a full floor, though the
    // resting ones draw nothing of their own (the floor's picture shows them). While a file
    // is dragged the files that draw themselves lie in an area of their own, and the resting
    // files' area is not drawn at all (no pointer reaches it either: the dragged file holds
    // the pointer). Each file keeps its stacking, which goes by its z value alone. A marquee
    // is drawn so as well: its band and the files it takes in repaint at pointer rate, and
    // the room's background holds the pointer.
    const bool dragging =
        m_floorState.draggingFloorFileName().has_value() || m_floorState.isMarqueeSelecting();
    if (dragging == m_lifted)
        return;
    m_lifted = dragging;
    // Made clear through a veil with the one area under it: whether a clear item's children
    // are drawn is decided child by child.
    m_restingVeil->setOpacity(dragging ? 0 : 1);
    if (dragging) {
        for (auto& [name, entry] : m_entries)
            settleHolder(entry);
    } else {
        // Also the files on their way out, which are no longer listed: the area reaches over
        // each again, or Qt would pass by the place a file was dropped on (a file that left
        // the floor there would stay on the screen).
        for (QGraphicsItem* holder : m_liftedArea->childItems()) {
            if (holder == m_selectionLayer)
                continue;
            holder->setParentItem(m_fileArea);
            m_fileArea->include(reachOf(holder));
        }
    }
}

bool MagicCarpetView::layoutEntry(const QString& name, Entry& entry)
{
    if (!entry.view || !entry.holder)
        return false;
    ++m_fileLayouts;
    const bool lifted = m_floorState.isCarpetLifted();
    const QPointF point = filePoint(name);
    const bool isCovered = FloorRules::isCoveredByCarpet(point, carpetCentre());

    // Under the lowered carpet a file is not there at all: no view, no target.
    entry.holder->setVisible(!(isCovered && !lifted));
    entry.view->setCovered(isCovered);
    entry.place->set(point);
    entry.covered = isCovered;
    entry.holder->setZValue(standing(name, entry));
    placeFile(name, entry);
    return isCovered;
}

void MagicCarpetView::updateResting(const QString& name)
{
    const auto found = m_entries.find(name);
    if (found != m_entries.end())
        updateResting(name, found->second);
}

void MagicCarpetView::updateResting(const QString& name, Entry& entry)
{
    if (!entry.view || !entry.holder)
        return;
    const bool follows = followsDrag(name);
    const bool still = entry.holder->isVisible() && !entry.holder->isDisappearing() &&
                       entry.holder->progress() >= 1 && !entry.place->isAnimating();
    // A still file lies in the resting files' picture, or, selected (and nothing more), in the
    // selection's; any other look it draws itself. A selected file following a drag stays in
    // the selection's picture, which follows the drag as one; one that lay elsewhere as the
    // drag started draws itself.
    const int look = entry.view->look();
    FloorFileLayer* picture = !still                                    ? nullptr
                              : look == 0 && !follows                   ? m_fileLayer
                              : look == 2 && (!follows || rides(entry)) ? m_selectionLayer
                                                                        : nullptr;
    const QRectF rect =
        picture ? entry.view->mapRectToItem(picture, entry.view->boundingRect()) : QRectF();
    const int shown = look | (entry.view->isCovered() ? 8 : 0);
    if (picture == entry.picture && rect == entry.layered && shown == entry.look &&
        (picture != nullptr) == entry.view->isInLayer())
        return;
    const bool rode = rides(entry);
    pictureIn(entry, picture, rect);
    entry.look = shown;
    entry.view->setInLayer(picture != nullptr);
    if (rode && !picture) {
        // Out of the picture that followed the pointer: it follows by itself from here.
        entry.holder->setZValue(standing(name, entry));
        entry.view->setCentre(entry.place->value() + dragShift());
        m_following << name;
    }
    settleHolder(entry);
}

bool MagicCarpetView::followsDrag(const QString& name) const
{
    const std::optional<QString>& dragged = m_floorState.draggingFloorFileName();
    return dragged && (*dragged == name || m_floorState.selectedFileNames().contains(name));
}

bool MagicCarpetView::rides(const Entry& entry) const
{
    return entry.picture == m_selectionLayer && m_floorState.draggingFloorFileName().has_value();
}

QPointF MagicCarpetView::dragShift() const
{
    const QSizeF t = m_floorState.floorFileDragTranslation();
    return QPointF(t.width(), t.height());
}

qreal MagicCarpetView::standing(const QString& name, const Entry& entry) const
{
    const std::optional<QString>& dragged = m_floorState.draggingFloorFileName();
    const bool isSelected = m_floorState.selectedFileNames().contains(name);
    return (dragged == name                 ? 40
            : isSelected && dragged         ? 38
            : isSelected                    ? 32
            : m_floorState.isCarpetLifted() ? 25
                                            : 22) +
           entry.order * ageStep;
}

QList<FloorItemView*> MagicCarpetView::filesIn(const FloorFileLayer* picture,
                                               const QRegion& area) const
{
    // A repair of a few scattered files' places draws their neighbours, not all files between
    // them; a repair of many looks at their bounds alone.
    const QRectF bounds = area.boundingRect();
    const bool exact = area.rectCount() <= 32;
    std::vector<std::pair<int, FloorItemView*>> found;
    for (const auto& [name, entry] : m_entries) {
        if (entry.view && entry.picture == picture && entry.layered.intersects(bounds) &&
            (!exact || area.intersects(entry.layered.toAlignedRect())))
            found.emplace_back(entry.order, entry.view);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<FloorItemView*> files;
    files.reserve(qsizetype(found.size()));
    for (const auto& f : found)
        files.append(f.second);
    return files;
}

void MagicCarpetView::layoutMovedFiles()
{
    // A drop moves one file or a selection: only those are laid out again (the whole floor
    // took some 50 ms with 10,000 files). A reload may move any number.
    const FloorPositions now = m_storage.floorItemPositions();
    QStringList moved;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto was = m_laidPositions.constFind(it.key());
        if (was == m_laidPositions.cend() || *was != it.value())
            moved << it.key();
    }
    for (auto it = m_laidPositions.cbegin(); it != m_laidPositions.cend(); ++it) {
        if (!now.contains(it.key()))
            moved << it.key();
    }
    if (moved.size() > 64) {
        layoutFloor();
        return;
    }
    m_laidPositions = now;
    for (const QString& name : std::as_const(moved)) {
        const auto found = m_entries.find(name);
        if (found == m_entries.end())
            continue;
        const bool wasCovered = found->second.covered;
        layoutEntry(name, found->second);
        m_coveredCount += int(found->second.covered) - int(wasCovered);
    }
    m_carpet->setCoveredCount(m_coveredCount);
}

void MagicCarpetView::layoutFloor()
{
    followDrag();
    m_laidPositions = m_storage.floorItemPositions();
    int covered = 0;
    for (auto& [name, entry] : m_entries)
        covered += layoutEntry(name, entry) ? 1 : 0;
    m_coveredCount = covered;
    m_carpet->setCoveredCount(covered);
    m_fileLayer->setZValue(m_floorState.isCarpetLifted() ? 25 : 22);
    // Files that left or came back from far away: the area shrinks to them again.
    m_fileArea->setReach(filesReach());

    // The drag offset moves the carpet at once; a new stored place may animate.
    const StoredPosition p = m_storage.carpetPositionNorm();
    const QSizeF offset = m_floorState.carpetDragOffset();
    m_carpetPlace.set(QPointF(size().width() * p.x, size().height() * p.y));
    m_carpet->setCentre(m_carpetPlace.value() + QPointF(offset.width(), offset.height()));
    layoutBar();
}

void MagicCarpetView::layoutDragStart()
{
    // A drag's start and end change the standing of the files it moves alone: the one
    // dragged before, the one dragged now and the selection. Laying out every file again
    // took some 50 ms on a floor of 10,000, at both ends of every drag.
    // The selected files lying still in the selection's picture stay there: the picture
    // follows the pointer as one, where thousands of files each lifted and drawn by itself
    // kept the room from its input for about a second as the drag started.
    followDrag();
    m_selectionLayer->setShift(QPointF());
    QStringList names;
    m_following.clear();
    const std::optional<QString> was =
        std::exchange(m_draggedName, m_floorState.draggingFloorFileName());
    const QSet<QString>& selected = m_floorState.selectedFileNames();
    const auto follows = [&](const QString& name, const Entry& entry) {
        if (name != was && name != m_draggedName && entry.picture != m_selectionLayer)
            names << name;
    };
    // A selection of a good part of the floor is looked up in its set, not each of its files
    // in the floor's: some 17 ms at each end of a drag of 10,000.
    if (selected.size() * 8 < qsizetype(m_entries.size())) {
        for (const QString& name : selected) {
            const auto found = m_entries.find(name);
            if (found != m_entries.end())
                follows(name, found->second);
        }
    } else {
        for (const auto& [name, entry] : m_entries) {
            if (entry.picture != m_selectionLayer && selected.contains(name))
                follows(name, entry);
        }
    }
    m_following = names;
    if (was)
        names << *was;
    if (m_draggedName)
        names << *m_draggedName;
    relayoutFiles(names);
    layoutBar();
}

void MagicCarpetView::layoutSelection()
{
    // A marquee over a full floor changes the selection at pointer rate, a few files a step:
    // only the files taken in or let go change their standing and their look.
    const QScopedValueRollback following(m_followingSelection, true);
    relayoutFiles(m_floorState.selectionRemoved());
    relayoutFiles(m_floorState.selectionAdded());
    layoutBar();
}

template <typename Names> void MagicCarpetView::relayoutFiles(const Names& names)
{
    for (const QString& name : names) {
        const auto found = m_entries.find(name);
        if (found == m_entries.end())
            continue;
        // Its look first (a selected file stands upright), then its place in the pictures.
        if (found->second.view)
            found->second.view->refresh();
        layoutEntry(name, found->second);
    }
}

void MagicCarpetView::followHover()
{
    // The file the pointer left and the one it is over now.
    const std::optional<QString> now = m_floorState.hoveredFloorFileName();
    for (const std::optional<QString>& name : {m_hoveredName, now}) {
        if (FloorItemView* view = name ? entryView(*name) : nullptr)
            view->refresh();
    }
    m_hoveredName = now;
}

FloorItemView* MagicCarpetView::entryView(const QString& name) const
{
    const auto found = m_entries.find(name);
    return found == m_entries.end() ? nullptr : found->second.view.data();
}

void MagicCarpetView::layoutDrag()
{
    // At pointer rate: only the files that follow the pointer move.
    const std::optional<QString>& dragged = m_floorState.draggingFloorFileName();
    if (!dragged)
        return;
    placeFile(*dragged);
    m_selectionLayer->setShift(dragShift());
    for (const QString& name : std::as_const(m_following)) {
        if (name != *dragged)
            placeFile(name);
    }
}

void MagicCarpetView::placeFile(const QString& name)
{
    const auto found = m_entries.find(name);
    if (found != m_entries.end())
        placeFile(name, found->second);
}

void MagicCarpetView::placeFile(const QString& name, Entry& entry)
{
    // A dragged file, and the selection with it, follows the pointer.
    if (!entry.view)
        return;
    // A file in the selection's picture stays at rest: the picture shows it where the drag is.
    const bool follows = followsDrag(name) && !rides(entry);
    entry.view->setCentre(entry.place->value() + (follows ? dragShift() : QPointF()));
    updateResting(name, entry);
    // The area reaches over the file where it is and where it is going (the way between lies
    // within). A file following the pointer lies in the lifted area, which reaches anywhere.
    if (entry.holder->parentItem() == m_fileArea) {
        m_fileArea->include(
            reachOf(entry.holder)
                .united(reachOf(entry.holder, entry.place->target() - entry.place->value())));
    }
}

QRectF MagicCarpetView::filesReach() const
{
    QRectF reach;
    for (const QGraphicsItem* holder : m_fileArea->childItems())
        reach |= reachOf(holder);
    return reach;
}

void MagicCarpetView::layoutBar()
{
    const bool show = !m_floorState.selectedFileNames().isEmpty() &&
                      !m_floorState.isCarpetDragging() &&
                      !m_floorState.draggingFloorFileName().has_value();
    if (show && !actionBar()) {
        m_barHolder =
            new TransitionItem(Transition::scaled(0.9).combined(Transition::opacity()), this);
        m_barHolder->setZValue(50);
        m_bar = new FloorMultiSelectActionBar(m_barHolder);
        m_bar->onAddToBookshelf = [this] {
            withAnimation(bulkSpring, [this] { addSelectionToBookshelf(); });
        };
        m_bar->onClearSelection = [this] {
            withAnimation(Animation::easeInOut(0.2), [this] { m_floorState.clearSelection(); });
        };
        m_bar->onTrashAll = [this] { withAnimation(bulkSpring, [this] { trashSelection(); }); };
        m_barHolder->appear();
    } else if (!show && actionBar()) {
        m_barHolder->disappear();
    }
    if (FloorMultiSelectActionBar* bar = actionBar()) {
        bar->setSelectedCount(int(m_floorState.selectedFileNames().size()));
        bar->setCentre(QPointF(0.5 * size().width(), 0.88 * size().height()));
    }
}

void MagicCarpetView::layoutMarquee()
{
    const std::optional<QPointF>& start = m_floorState.marqueeStart();
    const std::optional<QPointF>& current = m_floorState.marqueeCurrent();
    const bool show = m_floorState.isMarqueeSelecting() && start && current;
    m_marquee->setMarquee(show ? FloorRules::marqueeRect(*start, *current) : QRectF());
    // The files a marquee takes in leave the floor's picture for the selection's over it;
    // drawing their neighbours there again waits for the marquee's end.
    m_fileLayer->holdRepairs(m_floorState.isMarqueeSelecting());
    followDrag();
}

void MagicCarpetView::addSelectionToBookshelf()
{
    m_storage.moveCarpetItemsToBookshelf(FloorRules::sortedNames(m_floorState.selectedFileNames()));
    m_floorState.clearSelection();
}

void MagicCarpetView::trashSelection()
{
    m_storage.trashCarpetFiles(FloorRules::sortedNames(m_floorState.selectedFileNames()));
    m_floorState.clearSelection();
}
