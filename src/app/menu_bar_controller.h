#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class AppState;
class DesktopWindowManager;
class QAction;
class QMenu;
class QSystemTrayIcon;
class UserPrompts;

// The room's command menu: in the system tray where the desktop has one, else on a
// right-click of the room, with Ctrl key equivalents while the room has focus.
class MenuBarController : public QObject {
    Q_OBJECT
public:
    // What the menu asks of the storage service; each is called on the GUI thread.
    struct StorageCommands {
        std::function<void()> openShelfFolder;
        std::function<void()> openPhotosFolder;
        std::function<void()> returnEverythingToOrigin;
        std::function<void()> moveCoveredIcons;
        std::function<void()> toggleDesktopIcons;
    };

    MenuBarController(DesktopWindowManager& windows, AppState& appState, UserPrompts& prompts,
                      StorageCommands storage, QObject* parent = nullptr);
    ~MenuBarController() override;

    static MenuBarController& shared();

    // Builds the menu and hangs it on the tray, or on the room where there is no tray.
    void setupStatusItem();

    QMenu* menu() const { return m_menu; }
    QList<QAction*> actions() const;
    QSystemTrayIcon* statusItem() const;

    void toggleRoomAction();
    void changeThemeAction();
    void openShelfFolderAction();
    void openPhotosFolderAction();
    void restoreAllAction();
    void moveCoveredIconsAction();
    void toggleIconsAction();
    void aboutAction();
    void quitAction();

private:
    DesktopWindowManager& m_windows;
    AppState& m_appState;
    UserPrompts& m_prompts;
    StorageCommands m_storage;
    QMenu* m_menu = nullptr;
    QPointer<QSystemTrayIcon> m_statusItem;
};
