#include "app/menu_bar_controller.h"

#include "app/desktop_window_manager.h"
#include "app/interactive_desktop_window.h"
#include "app/widget_user_prompts.h"
#include "platform/file_manager_reveal.h"
#include "platform/system_tray.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>

namespace {
QIcon houseIcon()
{
    QIcon themed = QIcon::fromTheme(QStringLiteral("user-home-symbolic"));
    if (!themed.isNull())
        return themed;
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath house;
    house.moveTo(16, 3);
    house.lineTo(30, 15);
    house.lineTo(26, 15);
    house.lineTo(26, 29);
    house.lineTo(19, 29);
    house.lineTo(19, 20);
    house.lineTo(13, 20);
    house.lineTo(13, 29);
    house.lineTo(6, 29);
    house.lineTo(6, 15);
    house.lineTo(2, 15);
    house.closeSubpath();
    p.drawPath(house);
    return QIcon(pixmap);
}
} // namespace

MenuBarController::MenuBarController(DesktopWindowManager& windows, AppState& appState,
                                     UserPrompts& prompts, StorageManager& storage,
                                     FileManagerReveal& reveal, QObject* parent)
    : QObject(parent), m_windows(windows), m_appState(appState), m_prompts(prompts),
      m_storage(storage), m_reveal(reveal),
      m_trayAvailable([] { return SystemTray::isAvailable(QDBusConnection::sessionBus()); })
{
    struct Entry {
        const char16_t* title;
        char key;
        void (MenuBarController::*action)();
        bool separatorAfter;
    };
    static const Entry entries[] = {
        {u"Tampilkan / Sembunyikan Ruangan", 'T', &MenuBarController::toggleRoomAction, false},
        {u"Ganti Tema...", 'M', &MenuBarController::changeThemeAction, true},
        {u"Buka Folder Rak", 'B', &MenuBarController::openShelfFolderAction, false},
        {u"Buka Folder Foto", 'P', &MenuBarController::openPhotosFolderAction, false},
        {u"Kembalikan Semua ke Tempat Asal", 'R', &MenuBarController::restoreAllAction, true},
        {u"Geser Ikon yang Tertutup", 'G', &MenuBarController::moveCoveredIconsAction, false},
        {u"Sembunyikan / Munculkan Ikon Desktop Asli", 'H', &MenuBarController::toggleIconsAction,
         true},
        {u"Tentang Pondsill", 'A', &MenuBarController::aboutAction, false},
        {u"Keluar", 'Q', &MenuBarController::quitAction, false},
    };

    m_menu = new QMenu;
    for (const Entry& entry : entries) {
        QAction* action = m_menu->addAction(QString::fromUtf16(entry.title));
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(entry.key)));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, entry.action);
        if (entry.separatorAfter)
            m_menu->addSeparator();
    }
}

MenuBarController::~MenuBarController()
{
    delete m_statusItem;
    delete m_menu;
}

MenuBarController& MenuBarController::shared()
{
    static MenuBarController* instance = new MenuBarController(
        DesktopWindowManager::shared(), AppState::shared(), WidgetUserPrompts::shared(),
        StorageManager::shared(), FileManagerReveal::shared(), QCoreApplication::instance());
    return *instance;
}

QList<QAction*> MenuBarController::actions() const
{
    QList<QAction*> result;
    for (QAction* action : m_menu->actions()) {
        if (!action->isSeparator())
            result.append(action);
    }
    return result;
}

void MenuBarController::setupStatusItem()
{
    // The key equivalents work while the room has focus, tray or not.
    if (InteractiveDesktopWindow* window = m_windows.window())
        window->addActions(actions());
    updateTrayPresence();
    followTrayAvailability(QDBusConnection::sessionBus());
}

void MenuBarController::setTrayAvailability(std::function<bool()> available)
{
    m_trayAvailable = std::move(available);
}

void MenuBarController::updateTrayPresence()
{
    InteractiveDesktopWindow* window = m_windows.window();
    if (m_trayAvailable()) {
        if (!m_statusItem) {
            m_statusItem = new QSystemTrayIcon(houseIcon(), this);
            m_statusItem->setToolTip(QStringLiteral("Pondsill"));
            m_statusItem->setContextMenu(m_menu);
            m_statusItem->show();
        }
        if (window)
            window->setFallbackMenu(nullptr);
        return;
    }
    delete m_statusItem;
    if (window)
        window->setFallbackMenu(m_menu);
}

void MenuBarController::followTrayAvailability(const QDBusConnection& bus)
{
    if (m_following)
        return;
    m_following = true;
    if (bus.isConnected()) {
        // StatusNotifierItem trays: the watcher comes and goes, and a host registers with it.
        const QString service = QString::fromLatin1(SystemTray::watcherService);
        auto* watcher =
            new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &MenuBarController::updateTrayPresence);
        QDBusConnection(bus).connect(service, QString::fromLatin1(SystemTray::watcherPath), service,
                                     QStringLiteral("StatusNotifierHostRegistered"), this,
                                     SLOT(updateTrayPresence()));
    }
    // The X display's tray (XEmbed) is announced by the platform plugin, where it has one.
    // Its interface is a QObject whose class is not public: reached by its base's address.
    auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
    if (native && native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)") >= 0) {
        connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this,
                SLOT(updateTrayPresence()));
    }
}

void MenuBarController::toggleRoomAction()
{
    if (!m_windows.window())
        return;
    if (m_windows.window()->isVisible())
        m_windows.hideRoom();
    else
        m_windows.showRoom();
}

void MenuBarController::changeThemeAction()
{
    m_appState.setShowThemePicker(true);
    m_windows.showRoom();
}

void MenuBarController::openShelfFolderAction()
{
    m_reveal.showItems({FileManagerReveal::resolvedPath(m_storage.paths().bookshelf)});
}

void MenuBarController::openPhotosFolderAction()
{
    m_reveal.showItems({FileManagerReveal::resolvedPath(m_storage.paths().album)});
}

void MenuBarController::restoreAllAction()
{
    const bool accepted = m_prompts.confirm(
        QStringLiteral("Kembalikan semua item ke tempat asalnya?"),
        QStringLiteral("File yang tempat asalnya tidak diketahui akan dikembalikan ke Desktop."),
        QStringLiteral("Kembalikan"), QStringLiteral("Batal"));
    if (accepted)
        m_storage.returnEverythingToOrigin();
}

void MenuBarController::moveCoveredIconsAction()
{
    m_storage.moveCoveredIconsInBackground();
}

void MenuBarController::toggleIconsAction()
{
    m_storage.toggleDesktopIcons();
}

void MenuBarController::aboutAction()
{
    m_prompts.inform(QStringLiteral("Pondsill"),
                     QStringLiteral("Pondsill 1.0\n"
                                    "© 2026 The Pondsill developers. All rights reserved.\n"
                                    "An illustrated room on your desktop where you tidy your "
                                    "files by handling the things in it."));
}

void MenuBarController::quitAction()
{
    QCoreApplication::quit();
}

QSystemTrayIcon* MenuBarController::statusItem() const
{
    return m_statusItem;
}
