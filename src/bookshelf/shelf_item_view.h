#pragma once

#include "bookshelf/shelf_actions.h"
#include "bookshelf/shelf_drawings.h"
#include "bookshelf/shelf_metrics.h"
#include "kit/painting.h"
#include "kit/room_item.h"

class AppState;
class QMenu;
class StorageManager;

// One entry of the shelf standing on its shelf: a book, or an archive box for a folder.
// Its look follows from the measured entry and its place (shelf and position); it is
// drawn once into the item cache and again only when one of those changes. A single click
// opens or closes the entry's popover, a double click opens the entry.
class ShelfItemView : public RoomItem {
    Q_OBJECT
public:
    ShelfItemView(const ShelfMetrics::Entry& entry, int shelfIndex, int itemIndex,
                  StorageManager& storage, AppState& appState, const ShelfActions& actions,
                  QGraphicsItem* parent = nullptr);

    // Takes a new measurement or place; redraws only when the look changed.
    void setPlace(const ShelfMetrics::Entry& entry, int shelfIndex, int itemIndex);

    const ShelfMetrics::Entry& entry() const { return m_entry; }
    int shelfIndex() const { return m_shelfIndex; }
    int itemIndex() const { return m_itemIndex; }
    qreal tilt() const;
    ShelfDrawings::BookFace bookFace() const;
    ShelfDrawings::BoxFace boxFace() const;

    static QString helpText(const QString& name);
    void populateContextMenu(QMenu& menu);

    void openItem();
    void revealInFinder();
    void toggleFlyout();
    void openFlyout();
    void moveToFloor();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void applyLook();

    StorageManager& m_storage;
    AppState& m_appState;
    const ShelfActions& m_actions;
    ShelfMetrics::Entry m_entry;
    int m_shelfIndex = 0;
    int m_itemIndex = 0;
    ShapeShadow m_shadow;
};
