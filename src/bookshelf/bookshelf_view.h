#pragma once

#include "bookshelf/shelf_actions.h"
#include "bookshelf/shelf_metrics.h"
#include "kit/drops.h"
#include "kit/painting.h"
#include "kit/room_item.h"

#include <QHash>
#include <QSet>
#include <QUrl>

class AppState;
class ButtonItem;
class QMenu;
class ShelfItemView;
class StorageManager;

// The bookshelf's layer over the cabinet: stands the shelf folder's entries on the two
// shelf boards as books and archive boxes, takes files and folders dragged in from other
// programs (as links, never moving them), lights up while a drag is over it, shows a hint
// while the shelf is empty and a badge counting every entry. A click opens the drawer.
// An entry is measured on a worker thread when it comes onto the shelf's list, and again
// when what it stands for changes (a shelved folder gains or loses names, a shelved file
// is written to); painting, resizing and the GUI thread never read the disk for it.
class BookshelfView : public RoomItem {
    Q_OBJECT
public:
    BookshelfView(StorageManager& storage, AppState& appState,
                  ShelfActions actions = ShelfActions::desktop(), QGraphicsItem* parent = nullptr);
    ~BookshelfView() override;

    // The bottom edge of a shelf's row: y of shelf 0 (upper) or 1 in a view of `height`.
    static qreal shelfLine(int shelf, qreal height);
    // The usable width of a row in a view of `width`.
    static qreal rowWidth(qreal width) { return 0.9 * width; }

    // What stands where: the views of each shelf, left to right.
    QList<ShelfItemView*> shelfItems(int shelf) const;
    ButtonItem* badge() const { return m_badge; }
    // The count the badge shows.
    qsizetype badgeCount() const { return m_count; }
    // Whether entries are being measured (what stands is the last measurement).
    bool isMeasuring() const { return m_measuring; }
    // How many batches of entries went to be measured so far, for tests.
    int measurings() const { return m_measurings; }
    RoomItem* emptyHint() const { return m_hint; }

    void populateContextMenu(QMenu& menu);
    void openDrawer();
    void revealStorageFolder();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    void measure();
    void startMeasuring();
    void showMeasured();
    void remeasure(const QStringList& paths);
    void layoutShelves();
    void layoutBadge();

    StorageManager& m_storage;
    AppState& m_appState;
    ShelfActions m_actions;
    QList<ShelfMetrics::Entry> m_entries;
    QHash<QUrl, ShelfMetrics::Entry> m_measured;
    QSet<QString> m_stale; // paths to measure again
    bool m_measuring = false;
    bool m_measureAgain = false;
    int m_measurings = 0;
    qsizetype m_count = 0;
    QHash<QUrl, ShelfItemView*> m_views;
    QList<ShelfItemView*> m_shelves[2];
    ButtonItem* m_badge = nullptr;
    RoomItem* m_hint = nullptr;
    ShapeShadow m_dropTextShadow;
    Drops::Target m_drops;
};
