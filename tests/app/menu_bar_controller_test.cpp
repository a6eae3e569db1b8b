#include "app/desktop_window_manager.h"
#include "app/interactive_desktop_window.h"
#include "app/menu_bar_controller.h"
#include "platform/user_prompts.h"
#include "state/app_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QTest>

namespace {
class FakePrompts : public UserPrompts {
public:
    bool answer = false;
    int confirmations = 0;
    int notices = 0;
    QString lastMessage;
    QString lastInformative;

    bool confirm(const QString& message, const QString& informative, const QString&,
                 const QString&) override
    {
        ++confirmations;
        lastMessage = message;
        lastInformative = informative;
        return answer;
    }
    void inform(const QString& message, const QString& informative) override
    {
        ++notices;
        lastMessage = message;
        lastInformative = informative;
    }
};
} // namespace

class MenuBarControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nineItemsInOrder()
    {
        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        AppState state(&settings);
        DesktopWindowManager windows(state);
        FakePrompts prompts;
        MenuBarController menu(windows, state, prompts, {});

        const QStringList titles = {
            QStringLiteral("Tampilkan / Sembunyikan Ruangan"),
            QStringLiteral("Ganti Tema..."),
            QStringLiteral("Buka Folder Rak"),
            QStringLiteral("Buka Folder Foto"),
            QStringLiteral("Kembalikan Semua ke Tempat Asal"),
            QStringLiteral("Geser Ikon yang Tertutup"),
            QStringLiteral("Sembunyikan / Munculkan Ikon Desktop Asli"),
            QStringLiteral("Tentang Pondsill"),
            QStringLiteral("Keluar"),
        };
        const QString keys = QStringLiteral("TMBPRGHAQ");
        const QList<QAction*> actions = menu.actions();
        QCOMPARE(actions.size(), 9);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(actions[i]->text(), titles[i]);
            QCOMPARE(actions[i]->shortcut(),
                     QKeySequence(Qt::CTRL | Qt::Key(keys.at(i).unicode())));
        }
        // Separators after the second, fifth and seventh items.
        const QList<QAction*> all = menu.menu()->actions();
        QCOMPARE(all.size(), 12);
        QVERIFY(all[2]->isSeparator());
        QVERIFY(all[6]->isSeparator());
        QVERIFY(all[9]->isSeparator());
    }

    void restoreAllAsksFirst_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("restores");
        QTest::newRow("Kembalikan") << true << 1;
        QTest::newRow("Batal") << false << 0;
    }
    void restoreAllAsksFirst()
    {
        QFETCH(bool, accept);
        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        AppState state(&settings);
        DesktopWindowManager windows(state);
        FakePrompts prompts;
        prompts.answer = accept;
        int restores = 0;
        MenuBarController::StorageCommands commands;
        commands.returnEverythingToOrigin = [&restores] { ++restores; };
        MenuBarController menu(windows, state, prompts, commands);
        menu.restoreAllAction();
        QCOMPARE(prompts.confirmations, 1);
        QCOMPARE(prompts.lastMessage, QStringLiteral("Kembalikan semua item ke tempat asalnya?"));
        QCOMPARE(prompts.lastInformative,
                 QStringLiteral(
                     "File yang tempat asalnya tidak diketahui akan dikembalikan ke Desktop."));
        QTEST(restores, "restores");
    }

    void actionsWithoutWindowAreHarmless()
    {
        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        AppState state(&settings);
        DesktopWindowManager windows(state); // no createWindow(): no window
        FakePrompts prompts;
        MenuBarController menu(windows, state, prompts, {});
        menu.setupStatusItem();
        menu.toggleRoomAction();
        menu.changeThemeAction();
        QVERIFY(state.showThemePicker());
        menu.openShelfFolderAction();
        menu.openPhotosFolderAction();
        menu.restoreAllAction();
        menu.moveCoveredIconsAction();
        menu.toggleIconsAction();
        menu.aboutAction();
        QCOMPARE(prompts.notices, 1);
        QCOMPARE(prompts.lastMessage, QStringLiteral("Pondsill"));
        QVERIFY(prompts.lastInformative.startsWith(QStringLiteral("Pondsill 1.0\n")));
        QVERIFY(!windows.window());
    }

    void toggleRoomHidesAndShows()
    {
        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        AppState state(&settings);
        DesktopWindowManager windows(state);
        windows.createWindow();
        FakePrompts prompts;
        MenuBarController menu(windows, state, prompts, {});
        menu.setupStatusItem();
        QVERIFY(windows.window()->isVisible());
        menu.toggleRoomAction();
        QVERIFY(!windows.window()->isVisible());
        menu.changeThemeAction(); // brings the room back with the picker open
        QVERIFY(windows.window()->isVisible());
        QVERIFY(state.showThemePicker());
        // Without a tray the room carries the menu and its key equivalents.
        if (!menu.statusItem()) {
            QCOMPARE(windows.window()->fallbackMenu(), menu.menu());
        }
        QCOMPARE(windows.window()->actions().size(), 9);
    }
};

PONDSILL_TEST(MenuBarControllerTest)
#include "menu_bar_controller_test.moc"
