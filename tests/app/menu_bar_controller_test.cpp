#include "app/desktop_window_manager.h"
#include "app/interactive_desktop_window.h"
#include "app/menu_bar_controller.h"
#include "platform/desktop_icons.h"
#include "platform/extended_attributes.h"
#include "platform/file_manager_reveal.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/fake_prompts.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTest>

#include <atomic>

namespace {
// Records what the file manager was asked to show.
class FakeReveal : public FileManagerReveal {
public:
    FakeReveal() : FileManagerReveal(QDBusConnection(QStringLiteral("none"))) {}
    QList<QStringList> shown;
    void showItems(const QStringList& paths) override { shown.append(paths); }
};

// A desktop with one covered icon and a switch.
class FakeIcons : public DesktopIcons {
public:
    std::atomic<int> moved = 0;
    QList<bool> switchedTo;
    std::optional<QList<DesktopIcon>> icons(QString*) override
    {
        return QList<DesktopIcon>{{QStringLiteral("covered"), QPoint(10, 10)}};
    }
    bool moveIcon(const QString&, const QPoint&) override
    {
        ++moved;
        return true;
    }
    std::optional<bool> iconsShown() override { return true; }
    bool setIconsShown(bool shown) override
    {
        switchedTo.append(shown);
        return true;
    }
};

// The menu's world on a temporary home: settings, room state, storage and fakes.
struct MenuWorld {
    TempHome home;
    QSettings settings{home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat};
    AppState state{&settings};
    DesktopWindowManager windows{state};
    FakePrompts prompts;
    StorageManager storage{home.path()};
    FakeReveal reveal;
    std::shared_ptr<FakeIcons> icons = std::make_shared<FakeIcons>();
    MenuBarController menu{windows, state, prompts, storage, reveal};

    MenuWorld() { storage.setDesktopIcons(icons); }
};
} // namespace

class MenuBarControllerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each item has a key of its own; quitting comes last.
    void itemsHaveKeysOfTheirOwn()
    {
        MenuWorld world;
        const QList<QAction*> actions = world.menu.actions();
        QSet<QKeySequence> keys;
        for (QAction* action : actions) {
            QVERIFY(!action->text().isEmpty());
            QVERIFY(action->shortcut()[0].keyboardModifiers() == Qt::ControlModifier);
            keys.insert(action->shortcut());
        }
        QCOMPARE(keys.size(), actions.size());
        QCOMPARE(actions.last()->text(), QStringLiteral("Keluar"));
    }

    void restoreAllAsksFirst_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("Kembalikan") << true;
        QTest::newRow("Batal") << false;
    }
    void restoreAllAsksFirst()
    {
        QFETCH(bool, accept);
        MenuWorld world;
        world.prompts.accepts = accept;
        const QString origin = world.home.makeDir(QStringLiteral("Downloads"));
        const QString stored = world.home.writeFile(
            QStringLiteral("Documents/RidezozEvar/Karpet/report.pdf"), "report");
        ExtendedAttributes::write(stored, ExtendedAttributes::originName,
                                  (origin + QStringLiteral("/report.pdf")).toUtf8());
        world.storage.reloadAll();

        world.menu.restoreAllAction();
        const QStringList asked = {
            QStringLiteral("Kembalikan semua item ke tempat asalnya?"),
            QStringLiteral(
                "File yang tempat asalnya tidak diketahui akan dikembalikan ke Desktop.")};
        QCOMPARE(world.prompts.questions, QList<QStringList>{asked});
        QCOMPARE(QFile::exists(stored), !accept);
        QCOMPARE(QFile::exists(origin + QStringLiteral("/report.pdf")), accept);
    }

    void storageItemsReachTheStorage()
    {
        MenuWorld world;
        // Documents reached through a link: the file manager is shown the real folder.
        const QString real = world.home.makeDir(QStringLiteral("RealDocuments"));
        QDir(world.home.path())
            .rename(QStringLiteral("Documents"), QStringLiteral("RealDocuments/Documents"));
        QVERIFY(QFile::link(real + QStringLiteral("/Documents"),
                            world.home.path() + QStringLiteral("/Documents")));
        world.menu.openShelfFolderAction();
        world.menu.openPhotosFolderAction();
        const QString root = real + QStringLiteral("/Documents/RidezozEvar");
        QCOMPARE(world.reveal.shown, (QList<QStringList>{{root + QStringLiteral("/Rak")},
                                                         {root + QStringLiteral("/Album")}}));

        world.menu.moveCoveredIconsAction();
        QTRY_COMPARE(world.icons->moved.load(), 1);
        world.menu.toggleIconsAction();
        QCOMPARE(world.icons->switchedTo, QList<bool>{false});
        QVERIFY(world.storage.areDesktopIconsHidden());
    }

    void actionsWithoutWindowAreHarmless()
    {
        MenuWorld world; // no createWindow(): no window
        MenuBarController& menu = world.menu;
        menu.setupStatusItem();
        for (QAction* action : menu.actions().mid(0, 8)) // all but "Keluar"
            action->trigger();
        QVERIFY(world.state.showThemePicker());
        QCOMPARE(world.prompts.notices.size(), 1); // the about box
        QCOMPARE(world.prompts.notices[0][0], QStringLiteral("Pondsill"));
        QVERIFY(world.prompts.notices[0][1].startsWith(QStringLiteral("Pondsill 1.0\n")));
        QVERIFY(!world.windows.window());
    }

    void toggleRoomHidesAndShows()
    {
        MenuWorld world;
        MenuBarController& menu = world.menu;
        world.windows.createWindow();
        InteractiveDesktopWindow* window = world.windows.window();
        menu.setupStatusItem();
        QVERIFY(window->isVisible());
        menu.toggleRoomAction();
        QVERIFY(!window->isVisible());
        menu.changeThemeAction(); // brings the room back with the picker open
        QVERIFY(window->isVisible());
        QVERIFY(world.state.showThemePicker());
        // Without a tray the room carries the menu and its key equivalents.
        if (!menu.statusItem())
            QCOMPARE(window->fallbackMenu(), menu.menu());
        QCOMPARE(window->actions().size(), 9);
    }

    // A tray that comes later takes the menu; one that goes gives it back to the room.
    void menuFollowsTheTray()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        MenuWorld world;
        MenuBarController& menu = world.menu;
        world.windows.createWindow();
        InteractiveDesktopWindow* window = world.windows.window();
        bool trayThere = false;
        menu.setTrayAvailability([&trayThere] { return trayThere; });
        menu.setupStatusItem();
        QVERIFY(!menu.statusItem());
        QCOMPARE(window->fallbackMenu(), menu.menu());

        const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
        QDBusConnection host =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("tray"));
        trayThere = true;
        QVERIFY(host.registerService(watcher));
        QTRY_VERIFY(menu.statusItem());
        QCOMPARE(menu.statusItem()->contextMenu(), menu.menu());
        QCOMPARE(window->fallbackMenu(), nullptr);

        trayThere = false;
        QVERIFY(host.unregisterService(watcher));
        QTRY_VERIFY(!menu.statusItem());
        QCOMPARE(window->fallbackMenu(), menu.menu());
        QDBusConnection::disconnectFromBus(host.name());
        // The key equivalents stayed on the room all along.
        QCOMPARE(window->actions().size(), 9);
    }
};

PONDSILL_TEST(MenuBarControllerTest)
#include "menu_bar_controller_test.moc"
