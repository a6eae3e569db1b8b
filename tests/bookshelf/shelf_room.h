#pragma once

#include "bookshelf/shelf_actions.h"
#include "floor_room.h"

#include <QStringList>

#include <functional>

class BookshelfDrawerView;
class BookshelfView;
class RoomItem;
class ShelfFlyoutPopoverView;

// What the shelf opens and reveals, written down; a base, so that it exists before the room.
struct ShelfRoomActions {
    ShelfActions actions;
    QStringList opened;
    QStringList revealed;
};

// The room with its shelf, drawer and popover; throwing away goes to the home's Trash.
class ShelfRoom : public ShelfRoomActions, public FloorRoom {
public:
    explicit ShelfRoom(const std::function<void(TempHome&)>& seed = {});

    BookshelfView& shelf();
    BookshelfDrawerView* drawer(); // the open panels, or null
    ShelfFlyoutPopoverView* popover();
    QPointF centreOf(int shelfIndex, int item); // of an entry standing on a shelf
    QPointF centreOf(const QGraphicsItem* item) const;
    QStringList shelfNames() const;
    QStringList listedNames();
};

// Triggers the entry titled `title` of the item's context menu; false when it has none.
bool chooseFrom(RoomItem* item, const QString& title);

// Three links on the shelf to files on the Desktop (a.txt, b.pdf, c.odt), added a second
// apart.
void threeBooks(TempHome& home);
