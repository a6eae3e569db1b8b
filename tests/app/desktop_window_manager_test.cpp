#include "app/desktop_window_manager.h"
#include "app/interactive_desktop_window.h"
#include "platform/single_instance.h"
#include "state/app_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QProcess>
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

    // With no tray, a hidden room comes back when the program is started again, and the
    // second start ends instead of opening a second room.
    void secondStartBringsTheHiddenRoomBack()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        AppState state(&settings);
        DesktopWindowManager windows(state);
        SingleInstance instance(QDBusConnection::sessionBus());
        QVERIFY(instance.claim());
        connect(&instance, &SingleInstance::showRequested, &windows,
                &DesktopWindowManager::showRoom);
        windows.createWindow();
        QTRY_VERIFY(state.isWindowVisible());
        windows.hideRoom();
        QTRY_VERIFY(!state.isWindowVisible());

        for (int start = 0; start < 2; ++start) {
            QProcess second;
            second.start(QStringLiteral(PONDSILL_EXECUTABLE), QStringList());
            QVERIFY(second.waitForStarted());
            // The loop keeps turning, so this room answers while the other start waits.
            QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
            QTRY_VERIFY(state.isWindowVisible());
            QVERIFY(windows.window()->isVisible());
        }
    }
};

PONDSILL_TEST(DesktopWindowManagerTest)
#include "desktop_window_manager_test.moc"
