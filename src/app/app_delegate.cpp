#include "app/app_delegate.h"

#include "app/desktop_window_manager.h"
#include "app/menu_bar_controller.h"
#include "app/widget_user_prompts.h"
#include "storage/storage_manager.h"

void AppDelegate::applicationDidFinishLaunching()
{
    // The storage service asks for its panels through the room's dialogs.
    StorageManager::shared().setUserPrompts(&WidgetUserPrompts::shared());
    DesktopWindowManager::shared().createWindow();
    // The tray asks the session bus about its host and registers the item: the room's first
    // frame does not wait for that.
    DesktopWindowManager::shared().afterFirstFrame(
        [] { MenuBarController::shared().setupStatusItem(); });
}

void AppDelegate::showRoomRequested()
{
    DesktopWindowManager::shared().showRoom();
}
