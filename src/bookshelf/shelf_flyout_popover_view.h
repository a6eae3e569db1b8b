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
// the disk when it opens, when the shelf's list is published and after a row's action.
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
    RoomItem* row(const QUrl& fileURL) const;
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
    // Each builds its body below `top` and says how tall it is.
    qreal buildFileCard(qreal top);
    qreal buildList(qreal top);
    void populateRowMenu(QMenu& menu, const QUrl& fileURL);

    AppState& m_appState;
    StorageManager& m_storage;
    QUrl m_url;
    std::function<void()> m_close;
    ShelfActions m_actions;
    bool m_isFolder = false;
    QList<QUrl> m_listing;
    QList<Row*> m_rows;
    QList<QGraphicsItem*> m_body; // what refresh() replaces
    QMap<QString, ButtonItem*> m_buttons;
    ScrollArea* m_list = nullptr;
    QString m_sizeLine;
    qreal m_cardHeight = 0;
};
