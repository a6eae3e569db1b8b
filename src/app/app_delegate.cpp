#include "app/app_delegate.h"

#include "app/desktop_window_manager.h"
#include "app/menu_bar_controller.h"

void AppDelegate::applicationDidFinishLaunching()
{
    DesktopWindowManager::shared().createWindow();
    MenuBarController::shared().setupStatusItem();
}
