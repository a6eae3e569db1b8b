#pragma once

#include "bookshelf/shelf_actions.h"
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
// links, never moving them) and nowhere else. The list is read once each time the shelf's
// list is published.
class BookshelfDrawerView : public RoomItem {
    Q_OBJECT
public:
    static constexpr QSizeF kSize{600, 420};

    BookshelfDrawerView(StorageManager& storage, std::function<void()> close,
                        ShelfActions actions = ShelfActions::desktop(),
                        QGraphicsItem* parent = nullptr);
    ~BookshelfDrawerView() override;

    // What the panel shows now, for tests: the header's button titles and the rows' URLs.
    QStringList headerButtons() const;
    QList<QUrl> rows() const;
    ScrollArea* list() const { return m_list; }
    // The row of `url`, or null.
    RoomItem* row(const QUrl& url) const;

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
    void layoutHeader();

    StorageManager& m_storage;
    std::function<void()> m_close;
    ShelfActions m_actions;
    QList<HeaderButton> m_header;
    ScrollArea* m_list = nullptr;
    QList<Row*> m_rows;
    qsizetype m_count = 0;
    qreal m_headerHeight = 0;
    Drops::Target m_drops;
};
