#include "app/desktop_window_manager.h"

#include "app/interactive_desktop_window.h"
#include "kit/symbols.h"
#include "platform/x11_window_hints.h"
#include "room/asset_loader.h"
#include "room/floor/file_icon_cache.h"
#include "room/room_view.h"
#include "state/app_state.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <utility>

DesktopWindowManager::DesktopWindowManager(AppState& appState, QObject* parent)
    : QObject(parent), m_appState(appState)
{
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen* screen) {
        observeScreen(screen);
        refitToPrimaryScreen();
    });
    observeScreen(QGuiApplication::primaryScreen());
    // The room is taken down while everything it was made with is still there: the
    // application deletes its children in the order they were made, and the state, the
    // clocks and the services the room's pieces hold on to were made before this manager.
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, [this] { delete m_window; });
}

DesktopWindowManager::~DesktopWindowManager()
{
    delete m_window;
}

DesktopWindowManager& DesktopWindowManager::shared()
{
    static DesktopWindowManager* instance =
        new DesktopWindowManager(AppState::shared(), QCoreApplication::instance());
    return *instance;
}

void DesktopWindowManager::observeScreen(QScreen* screen)
{
    if (m_observedScreen)
        disconnect(m_observedScreen, nullptr, this, nullptr);
    m_observedScreen = screen;
    if (screen) {
        connect(screen, &QScreen::geometryChanged, this,
                &DesktopWindowManager::refitToPrimaryScreen);
    }
}

void DesktopWindowManager::createWindow()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen && !QGuiApplication::screens().isEmpty())
        screen = QGuiApplication::screens().constFirst();
    if (!screen)
        return;

    delete m_window;
    m_window = new InteractiveDesktopWindow;
    m_window->setContent(new RoomView(m_appState));
    m_window->setGeometry(screen->geometry());

    connect(m_window, &InteractiveDesktopWindow::exposureChanged, this,
            &DesktopWindowManager::handleExposureChange);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &DesktopWindowManager::handleApplicationStateChange, Qt::UniqueConnection);

    showRoom();
    m_appState.setWindowVisible(isRoomShown());
}

void DesktopWindowManager::refitToPrimaryScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !m_window)
        return;
    m_window->setGeometry(screen->geometry());
}

bool DesktopWindowManager::isRoomShown() const
{
    if (!m_window || !m_window->isVisible())
        return false;
    QWindow* handle = m_window->windowHandle();
    return handle && handle->isExposed();
}

void DesktopWindowManager::showRoom()
{
    if (!m_window)
        return;
    m_window->show();
    applyDesktopWindowHints(m_window->windowHandle()); // a window manager forgets them on unmap
    bringRoomToFront();
    m_window->activateWindow();
}

void DesktopWindowManager::hideRoom()
{
    if (m_window)
        m_window->hide();
}

void DesktopWindowManager::bringRoomToFront()
{
    m_window->raise();
    // The room's own dialogs, menus and tool tips stay over it. Without a window manager the
    // window raised last lies on top, and the program comes to the front when the room is
    // right-clicked while another program has the keyboard (the menu that opens takes it):
    // raised alone, the room buried the menu it had just opened.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const bool popups : {false, true}) {
        for (QWidget* other : windows) {
            const bool popup =
                other->windowType() == Qt::Popup || other->windowType() == Qt::ToolTip;
            if (other != m_window && other->isVisible() && popup == popups)
                other->raise();
        }
    }
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->raise(); // a menu's submenu over the menu
}

void DesktopWindowManager::afterFirstFrame(std::function<void()> work)
{
    if (!work)
        return;
    if (m_firstFrameShown || !m_window) {
        work();
        return;
    }
    m_afterFirstFrame.push_back(std::move(work));
    if (m_afterFirstFrame.size() > 1)
        return;
    // A room exposed already paints before the loop comes back to the timer.
    QTimer::singleShot(isRoomShown() ? 0 : 1000, this, &DesktopWindowManager::runAfterFirstFrame);
}

void DesktopWindowManager::runAfterFirstFrame()
{
    m_firstFrameShown = true;
    // Taken out first: a piece of work may ask for more.
    const auto work = std::exchange(m_afterFirstFrame, {});
    for (const auto& run : work)
        run();
}

void DesktopWindowManager::handleExposureChange()
{
    if (!m_window)
        return;
    const bool visible = isRoomShown();
    // The window is told of its exposure before it paints for it: what waits for the first
    // frame runs once that frame is drawn and flushed.
    if (visible && !m_firstFrameShown && !m_afterFirstFrame.empty())
        QTimer::singleShot(0, this, &DesktopWindowManager::runAfterFirstFrame);
    if (visible == m_appState.isWindowVisible())
        return;
    m_appState.setWindowVisible(visible);
    if (!visible)
        emptyImageCaches();
}

void DesktopWindowManager::handleApplicationStateChange(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive) {
        m_appState.setAppActive(true);
        if (m_window) {
            bringRoomToFront();
            m_window->activateWindow();
        }
        return;
    }
    m_appState.setAppActive(false);
    emptyImageCaches();
}

void DesktopWindowManager::emptyImageCaches()
{
    // The asset loader's images, the floor's file icons and the drawn symbols.
    AssetLoader::shared().clearCache();
    FileIconCache::shared().clear();
    Symbols::clearCache();
}

InteractiveDesktopWindow* DesktopWindowManager::window() const
{
    return m_window;
}
