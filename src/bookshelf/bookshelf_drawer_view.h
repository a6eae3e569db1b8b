#pragma once

#include "bookshelf/shelf_actions.h"
#include "bookshelf/shelf_listing.h"
#include "kit/drops.h"
#include "kit/room_item.h"

#include <QDateTime>
#include <QUrl>

#include <functional>

class AppState;
class ButtonItem;
class ScrollArea;
class StorageManager;

// The drawer over the room that lists every shelf entry, newest first (also those the two
// shelves have no room for), with its kind, size and age and four actions each; its header
// holds the shelf-wide actions. Files and folders dropped on it go onto the shelf (as
// links, never moving them) and nowhere else. The entries are read on a worker thread each
// time the shelf's list is published; only the rows in view exist, and they are handed the
// entries anew, never rebuilt.
class BookshelfDrawerView : public RoomItem {
    Q_OBJECT
public:
    static constexpr QSizeF kSize{600, 420};

    BookshelfDrawerView(StorageManager& storage, std::function<void()> close,
                        ShelfActions actions = ShelfActions::desktop(),
                        QGraphicsItem* parent = nullptr);
    ~BookshelfDrawerView() override;

    // What the panel shows now, for tests: the header's button titles and the listed
    // entries' URLs, newest first.
    QStringList headerButtons() const;
    QList<QUrl> rows() const;
    const QList<ShelfListing::DrawerLine>& lines() const { return m_lines; }
    ScrollArea* list() const { return m_list; }
    // The row that shows `url` now, or null (also when it is scrolled out of view).
    RoomItem* row(const QUrl& url) const;
    // The row items that exist (shown or kept for later).
    QList<RoomItem*> rowItems() const;
    // Whether the entries are being read (what shows is the last reading).
    bool isReading() const { return m_reading; }
    // How many readings were started so far, for tests.
    int readings() const { return m_readings; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    class Row;
    struct HeaderButton {
        QString title;
        ButtonItem* item;
    };

    void reload();
    void showLines(const QList<ShelfListing::DrawerLine>& lines);
    void placeRows();
    void layoutHeader();

    StorageManager& m_storage;
    std::function<void()> m_close;
    ShelfActions m_actions;
    QList<HeaderButton> m_header;
    ScrollArea* m_list = nullptr;
    QList<Row*> m_rows;
    QList<ShelfListing::DrawerLine> m_lines;
    bool m_reading = false;
    bool m_readAgain = false;
    int m_readings = 0;
    qsizetype m_count = 0;
    qreal m_headerHeight = 0;
    Drops::Target m_drops;
};
