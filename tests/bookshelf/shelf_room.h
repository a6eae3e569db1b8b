#pragma once

#include "bookshelf/shelf_actions.h"
#include "floor_room.h"

#include <QStringList>

#include <functional>

class BookshelfDrawerView;
class BookshelfView;
class RoomItem;
class ShelfFlyoutPopoverView;

// What the room's shelf does instead of opening and revealing: it writes them down. A base
// of the room, so that it exists before the room is furnished.
struct ShelfRoomActions {
    ShelfActions actions;
    QStringList opened;
    QStringList revealed;
};

// The room with its shelf, drawer and popover, whose "open" and "reveal" are only written
// down; throwing away goes to the home's freedesktop Trash.
class ShelfRoom : public ShelfRoomActions, public FloorRoom {
public:
    explicit ShelfRoom(const std::function<void(TempHome&)>& seed = {});

    BookshelfView& shelf();
    // The open panels, or null.
    BookshelfDrawerView* drawer();
    ShelfFlyoutPopoverView* popover();
    // The scene point at the middle of an entry standing on a shelf.
    QPointF centreOf(int shelfIndex, int item);
    QPointF centreOf(const QGraphicsItem* item) const;
    QStringList shelfNames() const;
    QStringList listedNames();
};

// Triggers the entry titled `title` of the item's context menu; false when it has none.
bool chooseFrom(RoomItem* item, const QString& title);

// Three links on the shelf to files on the Desktop (a.txt, b.pdf, c.odt), added a second
// apart.
void threeBooks(TempHome& home);
