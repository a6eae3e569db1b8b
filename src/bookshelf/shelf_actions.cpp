#include "bookshelf/shelf_actions.h"

#include "platform/default_application.h"
#include "platform/file_manager_reveal.h"
#include "platform/freedesktop_trash.h"

ShelfActions ShelfActions::desktop()
{
    ShelfActions actions;
    actions.open = [](const QString& path) { DefaultApplication::open(path); };
    actions.reveal = [](const QString& path) {
        FileManagerReveal::shared().showItems({FileManagerReveal::resolvedPath(path)});
    };
    actions.trash = [](const QString& path) {
        return FreedesktopTrash::shared().moveToTrash(path);
    };
    return actions;
}
