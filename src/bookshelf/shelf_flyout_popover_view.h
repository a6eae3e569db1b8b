#pragma once

#include "bookshelf/shelf_actions.h"
#include "kit/room_item.h"

#include <QUrl>

#include <functional>

class AppState;
class ButtonItem;
class QMenu;
class ScrollArea;
class StorageManager;

// The popover beside the shelf for one entry: an arrow pointing at the shelf and a
// translucent card. A folder's card lists what it holds, newest first, each row opening
// its file on a click and offering a menu (copy the name, throw it away); any other entry
// gets a card with its size and open, reveal, to-the-floor and return actions. It reads
// the disk when it opens, when the shelf's list is published and after a row's action; a
// folder is listed on a worker thread, and only the rows in view exist (they are handed the
// entries that scroll into view), so a folder of any size opens at once.
class ShelfFlyoutPopoverView : public RoomItem {
    Q_OBJECT
public:
    static constexpr qreal kWidth = 284;
    static constexpr qreal kArrowWidth = 9;
    static constexpr qreal kListMaxHeight = 280;

    ShelfFlyoutPopoverView(const QUrl& url, int shelfIndex, AppState& appState,
                           StorageManager& storage, std::function<void()> close,
                           ShelfActions actions = ShelfActions::desktop(),
                           QGraphicsItem* parent = nullptr);
    ~ShelfFlyoutPopoverView() override;

    const QUrl& url() const { return m_url; }
    bool isFolder() const { return m_isFolder; }
    // The listed entries, newest first (a folder's), and their rows.
    const QList<QUrl>& listing() const { return m_listing; }
    // Whether the folder could be listed: one that cannot is not shown as empty.
    bool isReadable() const { return m_readable; }
    // What the body says when the folder lists nothing: empty, or that it cannot be read.
    QString emptyText() const;
    // Whether a listing of the folder is on its way (what shows is the last one, if any).
    bool isListing() const { return m_listingsAsked != m_listingsShown; }
    // The row that shows this entry now; null when it is not in view.
    RoomItem* row(const QUrl& fileURL) const;
    int builtRows() const { return int(m_rows.size()); }
    ScrollArea* list() const { return m_list; }
    // The file card's buttons by title ("Buka", "Finder", "Ke Lantai", "Kembalikan"), and
    // the header's close button ("Tutup").
    ButtonItem* button(const QString& title) const;
    // The file card's size line; empty without one.
    QString sizeLine() const { return m_sizeLine; }

    // Lists the folder again (after a row's action, when the shelf changes).
    void refresh();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    class Row;

    void clearHoverOfRows();
    void showListing(const QList<QUrl>& listed);
    void clearBody();
    // Each builds its body below `top` and says how tall it is.
    qreal buildFileCard(qreal top);
    qreal buildList(qreal top, qreal offset);
    // Hands the rows the entries in view and puts them in their places.
    void placeRows();
    void populateRowMenu(QMenu& menu, const QUrl& fileURL);

    AppState& m_appState;
    StorageManager& m_storage;
    QUrl m_url;
    std::function<void()> m_close;
    ShelfActions m_actions;
    bool m_isFolder = false;
    bool m_readable = true;
    QList<QUrl> m_listing;
    QList<Row*> m_rows;
    QList<QGraphicsItem*> m_body; // what refresh() replaces
    QMap<QString, ButtonItem*> m_buttons;
    ScrollArea* m_list = nullptr;
    QString m_sizeLine;
    qreal m_cardHeight = 0;
    quint64 m_listingsAsked = 0;
    quint64 m_listingsShown = 0;
};
