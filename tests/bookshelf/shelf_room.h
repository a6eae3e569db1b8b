#pragma once

#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_actions.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "bookshelf/shelf_item_view.h"
#include "floor_room.h"
#include "kit/gestures.h"
#include "platform/freedesktop_trash.h"
#include "room/desktop_root_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/settled.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

#include <sys/xattr.h>

using namespace Qt::StringLiterals;

// What the shelf opens and reveals, written down; a base, so that it exists before the room.
struct ShelfRoomActions {
    ShelfActions actions;
    QStringList opened;
    QStringList revealed;
};

// The room with its shelf, drawer and popover; throwing away goes to the home's Trash.
class ShelfRoom : public ShelfRoomActions, public FloorRoom {
public:
    explicit ShelfRoom(const std::function<void(TempHome&)>& seed = {})
        : FloorRoom({}, [this, seed](FloorRoom& room, RoomPieces& pieces) {
              if (seed) {
                  seed(room.home());
                  room.storage().reloadAll();
              }
              actions.open = [this](const QString& path) { opened << path; };
              actions.reveal = [this](const QString& path) { revealed << path; };
              actions.trash = [](const QString& path) {
                  return FreedesktopTrash::shared().moveToTrash(path);
              };
              pieces.furniture[int(Furniture::Bookshelf)] = [this, &room]() -> RoomItem* {
                  return new BookshelfView(room.storage(), room.appState(), actions);
              };
              pieces.panel(RoomPanels::bookshelfDrawer).make =
                  [this, &room](const RoomPanelContext&, RoomPieces::Close close) -> RoomItem* {
                  return new BookshelfDrawerView(room.storage(), std::move(close), actions);
              };
              pieces.panel(RoomPanels::shelfPopover).make =
                  [this, &room](const RoomPanelContext& c, RoomPieces::Close close) -> RoomItem* {
                  return new ShelfFlyoutPopoverView(c.app.activeShelfPopoverURL().value_or(QUrl()),
                                                    c.app.activeShelfIndex(), c.app, room.storage(),
                                                    std::move(close), actions);
              };
          })
    {
        // The shelf measures its entries on a worker thread: they stand once it is done.
        settle();
    }

    // Waits until the moves asked for have ended and the shelf and an open drawer show what
    // they last read; fails the test where it waited, naming what was still running, when
    // they have not after 30 s.
    void settle(const std::source_location& where = std::source_location::current())
    {
        waitUntilSettled(
            [this] {
                QStringList running = movesStillRunning(storage());
                if (shelf().isMeasuring())
                    running << u"the shelf measuring its entries"_s;
                if (drawer() && drawer()->isReading())
                    running << u"the drawer reading the shelf"_s;
                return running;
            },
            where);
    }

    BookshelfView& shelf()
    {
        return *static_cast<BookshelfView*>(root().slot(Furniture::Bookshelf)->view());
    }
    BookshelfDrawerView* drawer() // the open panels, or null
    {
        return qobject_cast<BookshelfDrawerView*>(root().overlayPanel(RoomPanels::bookshelfDrawer));
    }
    ShelfFlyoutPopoverView* popover()
    {
        return qobject_cast<ShelfFlyoutPopoverView*>(root().overlayPanel(RoomPanels::shelfPopover));
    }
    QPointF centreOf(int shelfIndex, int item)
    {
        return centreOf(shelf().shelfItems(shelfIndex)[item]);
    }
    QPointF centreOf(const QGraphicsItem* item) const
    {
        return item->mapToScene(item->boundingRect().center());
    }
    QStringList shelfNames() const
    {
        return QDir(shelfPath())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

// Triggers the entry titled `title` of the item's context menu; false when it has none.
inline bool chooseFrom(RoomItem* item, const QString& title)
{
    const std::unique_ptr<QMenu> menu = item->gestures().makeContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->text() == title) {
            action->trigger();
            return true;
        }
    }
    return false;
}

// Three links on the shelf to files on the Desktop (a.txt, b.pdf, c.odt), added a second apart.
inline void threeBooks(TempHome& home)
{
    const QString shelf = home.path() + u"/Documents/RidezozEvar/Rak/"_s;
    QDir().mkpath(shelf);
    int i = 0;
    for (const QString& name : {u"a.txt"_s, u"b.pdf"_s, u"c.odt"_s}) {
        const QString file = home.writeFile(u"Desktop/"_s + name, "book");
        QFile::link(file, shelf + name);
        const QByteArray added = QByteArray::number(1'700'000'000 + i++);
        ::setxattr(QFile::encodeName(file).constData(), "user.id.marrowick.added",
                   added.constData(), size_t(added.size()), 0);
    }
}
