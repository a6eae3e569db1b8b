#include "shelf_room.h"

#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "bookshelf/shelf_item_view.h"
#include "kit/gestures.h"
#include "kit/room_item.h"
#include "platform/freedesktop_trash.h"
#include "room/desktop_root_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"

#include <QDir>
#include <QFile>
#include <QMenu>

#include <sys/xattr.h>

using namespace Qt::StringLiterals;

ShelfRoom::ShelfRoom(const std::function<void(TempHome&)>& seed)
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
}

BookshelfView& ShelfRoom::shelf()
{
    return *static_cast<BookshelfView*>(root().slot(Furniture::Bookshelf)->view());
}

BookshelfDrawerView* ShelfRoom::drawer()
{
    return qobject_cast<BookshelfDrawerView*>(root().overlayPanel(RoomPanels::bookshelfDrawer));
}

ShelfFlyoutPopoverView* ShelfRoom::popover()
{
    return qobject_cast<ShelfFlyoutPopoverView*>(root().overlayPanel(RoomPanels::shelfPopover));
}

QPointF ShelfRoom::centreOf(int shelfIndex, int item)
{
    ShelfItemView* view = shelf().shelfItems(shelfIndex).value(item);
    return view ? centreOf(view) : QPointF(-1, -1);
}

QPointF ShelfRoom::centreOf(const QGraphicsItem* item) const
{
    return item->mapToScene(item->boundingRect().center());
}

QStringList ShelfRoom::shelfNames() const
{
    return QDir(shelfPath())
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

QStringList ShelfRoom::listedNames()
{
    QStringList names;
    for (const QUrl& url : storage().bookshelfItems())
        names << url.fileName();
    return names;
}

bool chooseFrom(RoomItem* item, const QString& title)
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

void threeBooks(TempHome& home)
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
