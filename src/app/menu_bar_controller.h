#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class AppState;
class DesktopWindowManager;
class FileManagerReveal;
class QAction;
class QMenu;
class QSystemTrayIcon;
class StorageManager;
class UserPrompts;

// The room's command menu: in the system tray where the desktop has one, else on a
// right-click of the room, with Ctrl key equivalents while the room has focus.
class MenuBarController : public QObject {
    Q_OBJECT
public:
    MenuBarController(DesktopWindowManager& windows, AppState& appState, UserPrompts& prompts,
                      StorageManager& storage, FileManagerReveal& reveal,
                      QObject* parent = nullptr);
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
    StorageManager& m_storage;
    FileManagerReveal& m_reveal;
    QMenu* m_menu = nullptr;
    QPointer<QSystemTrayIcon> m_statusItem;
};
