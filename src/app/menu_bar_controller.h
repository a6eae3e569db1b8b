#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class AppState;
class DesktopWindowManager;
class FileManagerReveal;
class QAction;
class QDBusConnection;
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

    // Hangs the menu on the tray, or on the room where there is no tray, and keeps
    // following the tray: one that comes later takes the menu, one that goes gives it back.
    void setupStatusItem();
    // Re-checks the tray whenever a tray host comes or goes on `bus` or the X display.
    void followTrayAvailability(const QDBusConnection& bus);
    // How the tray's presence is learnt (SystemTray's check unless a test says otherwise).
    void setTrayAvailability(std::function<bool()> available);

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

public Q_SLOTS:
    // Moves the menu to the tray or the room as the tray is there or not.
    void updateTrayPresence();

private:
    DesktopWindowManager& m_windows;
    AppState& m_appState;
    UserPrompts& m_prompts;
    StorageManager& m_storage;
    FileManagerReveal& m_reveal;
    QMenu* m_menu = nullptr;
    QPointer<QSystemTrayIcon> m_statusItem;
    std::function<bool()> m_trayAvailable;
    bool m_following = false;
};
