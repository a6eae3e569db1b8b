#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"
#include "storage/layout_records.h"

#include <QPointer>
#include <QSet>
#include <QUrl>

#include <map>
#include <memory>
#include <optional>

class AppState;
class FloorInteractionState;
class FloorFileArea;
class FloorFileLayer;
class FloorItemView;
class FloorMarqueeView;
class FloorMultiSelectActionBar;
class MovableCarpetMatView;
class StorageManager;
class TransitionItem;

// The grass floor as one layer over the room: every file of the carpet folder lying at
// its place, the movable carpet that hides the files it covers (until it is lifted), the
// marquee while one is drawn and the bar of the selected files. It keeps nothing of its
// own: each change of the storage's lists or of the floor's state lays it out again. It
// takes the pointer only where a file, the carpet or the bar lies.
class MagicCarpetView : public RoomItem {
    Q_OBJECT
public:
    MagicCarpetView(StorageManager& storage, FloorInteractionState& floorState, AppState& appState,
                    QGraphicsItem* parent = nullptr);
    ~MagicCarpetView() override;

    // The view of a file by its name, when it is shown (a file the lowered carpet covers
    // has none).
    FloorItemView* floorItem(const QString& name) const;
    // Where a shown file's centre is seen: a selected file following a drag in the selection's
    // picture is seen moved with the picture, while its view stays where it rests.
    QPointF shownCentre(const QString& name) const;
    MovableCarpetMatView* carpet() const { return m_carpet; }
    FloorFileLayer* fileLayer() const { return m_fileLayer; }
    FloorFileLayer* selectionLayer() const { return m_selectionLayer; }
    // The item holding every file's view, except while a file is dragged: the files that
    // then draw themselves (the dragged one, the selection following it, any on its way) lie
    // in liftedArea, and the resting ones, which the floor's picture shows, are not drawn.
    FloorFileArea* fileArea() const { return m_fileArea; }
    FloorFileArea* liftedArea() const { return m_liftedArea; }
    // Files of the folder whose views are still to be made (a large folder is laid out a
    // batch at a time, so that the room shows at once).
    int pendingCount() const { return int(m_pending.size()); }
    FloorMultiSelectActionBar* actionBar() const;
    int coveredCount() const { return m_coveredCount; }
    // How many times a file was laid out (placed, stacked, covered or not).
    int fileLayouts() const { return m_fileLayouts; }

    // The bar's two actions on the whole selection.
    void addSelectionToBookshelf();
    void trashSelection();

protected:
    void onSizeChanged() override;

private:
    struct Entry {
        QPointer<TransitionItem> holder;
        QPointer<FloorItemView> view;
        std::unique_ptr<Animated<QPointF>> place;
        int order = 0;                     // stacking among the resting files, the oldest lowest
        FloorFileLayer* picture = nullptr; // the picture it lies in, if any
        QRectF layered;                    // where it lies in that picture
        int look = -1;                     // and how it looks there
        bool fresh = true;                 // not yet drawn into the resting files' picture
        bool covered = false;
    };

    void rebuildItems();
    // Takes the views of files that leave the floor away: a few go with their transition,
    // many at once (a move of many) are hidden at once and deleted a slice at a time.
    void letFilesGo(const QStringList& names);
    void scheduleDeletion();
    void deleteDeparted();
    // Each returns how many of the files it made lie under the carpet.
    int makePending(bool later = false);
    bool makeEntry(const QUrl& url);
    bool layoutEntry(const QString& name, Entry& entry);
    void updateResting(const QString& name);
    bool followsDrag(const QString& name) const;
    // Whether the file follows a drag inside the selection's picture rather than by itself.
    bool rides(const Entry& entry) const;
    QPointF dragShift() const;
    // The file's z value from its standing (dragged, following, selected, resting) and age.
    qreal standing(const QString& name, const Entry& entry) const;
    // Puts the file's holder in the area it belongs to now.
    void settleHolder(Entry& entry);
    void followDrag();
    // Takes the file out of the floor's picture, which draws its place again without it.
    void leaveLayer(Entry& entry);
    // Moves the file into `picture` at `rect` (or out of any, for none).
    void pictureIn(Entry& entry, FloorFileLayer* picture, const QRectF& rect);
    // The files lying in `picture` that meet an area, bottom first.
    QList<FloorItemView*> filesIn(const FloorFileLayer* picture, const QRegion& area) const;
    void layoutFloor();
    void layoutMovedFiles();
    void layoutDragStart();
    void layoutSelection();
    // Refreshes the named files' looks and lays them out again.
    template <typename Names> void relayoutFiles(const Names& names);
    void followHover();
    FloorItemView* entryView(const QString& name) const;
    void layoutDrag();
    void placeFile(const QString& name);
    // Where the files' views reach (their area's coordinates), all of them.
    QRectF filesReach() const;
    void layoutBar();
    void layoutMarquee();
    QPointF carpetCentre() const;
    QPointF filePoint(const QString& name) const;

    StorageManager& m_storage;
    FloorInteractionState& m_floorState;
    AppState& m_appState;
    std::map<QString, Entry> m_entries;
    QList<QUrl> m_pending;
    // Holders of files that left in a crowd, hidden, still to be deleted.
    QList<QPointer<TransitionItem>> m_departed;
    bool m_deletionScheduled = false;
    // Files a move of many took away before it ended: those it leaves come back at its end.
    bool m_awaitingBulkEnd = false;
    bool m_batchScheduled = false;
    int m_nextOrder = 0;
    FloorFileLayer* m_fileLayer = nullptr;
    FloorFileLayer* m_selectionLayer = nullptr;
    int m_selectionPictured = 0;
    // The selection's picture still shows files let go, until the resting files' picture is
    // drawn again under them.
    bool m_selectionStale = false;
    bool m_followingSelection = false;
    FloorFileArea* m_fileArea = nullptr;
    FloorFileArea* m_restingVeil = nullptr;
    FloorFileArea* m_liftedArea = nullptr;
    // While a file is dragged or a marquee drawn: the resting files' area is not drawn.
    bool m_lifted = false;
    std::optional<QString> m_draggedName;
    // The selected files that follow a drag by themselves, outside the selection's picture.
    QStringList m_following;
    std::optional<QString> m_hoveredName;
    // The stored places the files were last laid out at.
    FloorPositions m_laidPositions;
    MovableCarpetMatView* m_carpet = nullptr;
    Animated<QPointF> m_carpetPlace;
    FloorMarqueeView* m_marquee = nullptr;
    QPointer<TransitionItem> m_barHolder;
    QPointer<FloorMultiSelectActionBar> m_bar;
    int m_coveredCount = 0;
    int m_fileLayouts = 0;
};
