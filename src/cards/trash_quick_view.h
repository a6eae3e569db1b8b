#pragma once

#include "cards/quick_view_card.h"

class UserTrash;

// The trash can's card: how many items the Trash holds (read when the card is made), or
// that it cannot be read, a button that empties it (only when it holds something) and one
// that opens it. Both close the card; emptying runs on a worker thread and the can's count
// follows when it is done. What the last emptying had to leave is told under the count.
class TrashQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    TrashQuickView(UserTrash& trash, std::function<void()> onClose,
                   QGraphicsItem* parent = nullptr);

    // "Tempat sampah kosong", or "3 item di tempat sampah" (no plural form: "1 item ...").
    static QString countText(int count);
    // The count line when the Trash cannot be listed ("Isi tidak dapat dibaca"): it is not
    // shown as empty.
    static QString unreadableText();
    // The line under the count when the last emptying left items: "2 item tidak dapat dihapus".
    static QString leftText(int left);
    // "trash.fill" in orange while it holds something, else "trash" in the secondary colour.
    static QString symbolName(int count);
    static QColor symbolColor(int count);

    int count() const { return m_count; }
    QString countLine() const { return m_countLine; }
    QString hintLine() const { return m_hintLine; }
    RoomItem* emptyButton() const { return m_empty; }
    RoomItem* openButton() const { return m_open; }

private:
    int m_count = 0;
    QString m_countLine;
    QString m_hintLine;
    RoomItem* m_empty = nullptr;
    RoomItem* m_open = nullptr;
};
