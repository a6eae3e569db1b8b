#pragma once

#include "cards/quick_view_card.h"

class UserTrash;

// The trash can's card: how many items the Trash holds (read when the card is made), a
// button that empties it (only when it holds something) and one that opens it. Both close
// the card; emptying runs on a worker thread and the can's count follows when it is done.
class TrashQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    TrashQuickView(UserTrash& trash, std::function<void()> onClose,
                   QGraphicsItem* parent = nullptr);

    // "Tempat sampah kosong", or "3 item di tempat sampah" (no plural form: "1 item ...").
    static QString countText(int count);
    // "trash.fill" in orange while it holds something, else "trash" in the secondary colour.
    static QString symbolName(int count);
    static QColor symbolColor(int count);

    int count() const { return m_count; }
    RoomItem* emptyButton() const { return m_empty; }
    RoomItem* openButton() const { return m_open; }

private:
    int m_count = 0;
    RoomItem* m_empty = nullptr;
    RoomItem* m_open = nullptr;
};
