#include "app/desktop_window_manager.h"
#include "app/interactive_desktop_window.h"
#include "state/app_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

class DesktopWindowManagerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowFollowsScreenAndState()
    {
        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        AppState state(&settings);
        DesktopWindowManager windows(state);
        windows.createWindow();
        InteractiveDesktopWindow* window = windows.window();
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(window->geometry(), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY(state.isWindowVisible());
        window->setGeometry(10, 10, 100, 100);
        windows.refitToPrimaryScreen();
        QCOMPARE(window->geometry(), QGuiApplication::primaryScreen()->geometry());

        QSignalSpy visible(&state, &AppState::isWindowVisibleChanged);
        windows.hideRoom();
        QTRY_VERIFY(!state.isWindowVisible());
        windows.handleExposureChange(); // unchanged: nothing is written
        QCOMPARE(visible.count(), 1);
        windows.showRoom();
        QTRY_VERIFY(state.isWindowVisible());

        QSignalSpy active(&state, &AppState::isAppActiveChanged);
        windows.handleApplicationStateChange(Qt::ApplicationInactive);
        QVERIFY(!state.isAppActive());
        windows.handleApplicationStateChange(Qt::ApplicationInactive);
        QCOMPARE(active.count(), 2); // written unconditionally
        windows.handleApplicationStateChange(Qt::ApplicationActive);
        QVERIFY(state.isAppActive());
    }
};

PONDSILL_TEST(DesktopWindowManagerTest)
#include "desktop_window_manager_test.moc"
