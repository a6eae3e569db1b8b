#include "app/desktop_window_manager.h"
#include "app/interactive_desktop_window.h"
#include "app/item_open_panel.h"
#include "app/menu_bar_controller.h"
#include "app/widget_user_prompts.h"
#include "platform/desktop_icons.h"
#include "platform/extended_attributes.h"
#include "platform/file_manager_reveal.h"
#include "platform/single_instance.h"
#include "room/asset_loader.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "storage/storage_paths.h"
#include "support/fake_prompts.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDBusConnection>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileSystemModel>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;

namespace {
// Record what the file manager was asked to show, and what the desktop's icons were asked
// to do (one of them covered).
class FakeReveal : public FileManagerReveal {
public:
    FakeReveal() : FileManagerReveal(QDBusConnection(u"none"_s)) {}
    QList<QStringList> shown;
    void showItems(const QStringList& paths) override { shown.append(paths); }
};

class FakeIcons : public DesktopIcons {
public:
    std::atomic<int> moved = 0;
    QList<bool> switchedTo;
    std::optional<QList<DesktopIcon>> icons(QString*) override
    {
        return QList<DesktopIcon>{{u"covered"_s, QPoint(10, 10)}};
    }
    bool moveIcon(const QString&, const QPoint&) override { return ++moved; }
    std::optional<bool> iconsShown() override { return true; }
    bool setIconsShown(bool shown) override
    {
        switchedTo.append(shown);
        return true;
    }
};

// A tray host's watcher of StatusNotifierItems, as a desktop's panel runs it: in a thread
// of its own, since whoever asks it waits for its answer without turning the event loop.
class FakeTrayWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    std::atomic<bool> host = false;
    bool hostRegistered() const { return host; }
    int protocolVersion() const { return 0; }
Q_SIGNALS:
    void StatusNotifierHostRegistered();
};

// A panel with a tray that starts while it lives, and leaves when it goes.
struct TrayPanel {
    static inline const QString service = u"org.kde.StatusNotifierWatcher"_s;
    static inline const QString path = u"/StatusNotifierWatcher"_s;
    QThread thread;
    FakeTrayWatcher watcher;
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"panel"_s);
    bool up = false;

    TrayPanel()
    {
        // Exported first: the helpers the export makes move to the thread with it.
        up = bus.registerObject(path, &watcher,
                                QDBusConnection::ExportAllSignals |
                                    QDBusConnection::ExportAllProperties);
        thread.start();
        watcher.moveToThread(&thread);
        up = up && bus.registerService(service);
    }
    ~TrayPanel()
    {
        bus.unregisterService(service);
        bus.unregisterObject(path);
        QDBusConnection::disconnectFromBus(bus.name());
        thread.quit();
        thread.wait();
    }
};

// How the program's windows lie on an X server with no window manager to arrange them: a
// window shown or raised goes over all the others.
struct WindowStack : QObject {
    QList<QPointer<QWidget>> bottomFirst;

    WindowStack() { qApp->installEventFilter(this); }
    ~WindowStack() override { qApp->removeEventFilter(this); }
    QWidget* top() const
    {
        for (auto it = bottomFirst.crbegin(); it != bottomFirst.crend(); ++it) {
            if (*it && (*it)->isVisible())
                return *it;
        }
        return nullptr;
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool stacked = event->type() == QEvent::Show || event->type() == QEvent::ZOrderChange;
        if (stacked && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            auto* window = static_cast<QWidget*>(watched);
            bottomFirst.removeAll(window);
            bottomFirst.append(window);
        }
        return false;
    }
};

// The room's window and menu on a temporary home: settings, room state, storage and fakes.
struct MenuWorld {
    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
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

class RoomWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Quitting takes the room down before what it was made with: the application deletes
    // its children in the order they were made, the room's state first and its window's
    // manager after. The room's pieces let go of the state as they go (a burning piece's
    // glow), which then would no longer be there.
    void theRoomGoesBeforeItsStateWhenTheProgramQuits()
    {
        TempHome home;
        QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
        auto state = std::make_unique<AppState>(&settings);
        state->setFireModeActive(true);
        auto windows = std::make_unique<DesktopWindowManager>(*state);
        windows->createWindow();
        QVERIFY(windows->window());
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        // The room went as the loop was ending, and the application, left with no window,
        // asked to quit once more: a request that would end the next test's dialogs at once.
        QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
        QVERIFY(!windows->window());
        state.reset();
        windows.reset();
    }

    // Each item has a key of its own, quitting comes last, and without a window every item
    // but quitting is harmless.
    void everyItemWithoutAWindow()
    {
        MenuWorld world;
        const QList<QAction*> actions = world.menu.actions();
        QSet<QKeySequence> keys;
        for (QAction* action : actions) {
            QCOMPARE(action->shortcut()[0].keyboardModifiers(), Qt::ControlModifier);
            keys.insert(action->shortcut());
        }
        QCOMPARE(keys.size(), actions.size());
        QCOMPARE(actions.last()->text(), u"Keluar"_s);
        world.menu.setupStatusItem();
        for (QAction* action : actions.mid(0, actions.size() - 1))
            action->trigger();
        QVERIFY(world.state.showThemePicker());
        QCOMPARE(world.prompts.notices.size(), 1); // the about box
        QCOMPARE(world.prompts.notices[0][0], u"Pondsill"_s);
        QVERIFY(world.prompts.notices[0][1].startsWith(u"Pondsill 1.0\n"_s));
        QVERIFY(!world.windows.window());
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
        const QString origin = world.home.makeDir(u"Downloads"_s) + u"/report.pdf"_s;
        const QString stored =
            world.home.writeFile(u"Documents/RidezozEvar/Karpet/report.pdf"_s, "report");
        ExtendedAttributes::write(stored, ExtendedAttributes::originName, origin.toUtf8());
        world.storage.reloadAll();

        world.menu.restoreAllAction();
        QCOMPARE(world.prompts.questions.size(), 1);
        QCOMPARE(world.prompts.questions[0][0], u"Kembalikan semua item ke tempat asalnya?"_s);
        QCOMPARE(QFile::exists(stored), !accept);
        QCOMPARE(QFile::exists(origin), accept);
    }

    void storageItemsReachTheStorage()
    {
        MenuWorld world;
        // Documents reached through a link: the file manager is shown the real folder.
        const QString real = world.home.makeDir(u"RealDocuments"_s);
        QDir(world.home.path()).rename(u"Documents"_s, u"RealDocuments/Documents"_s);
        QVERIFY(QFile::link(real + u"/Documents"_s, world.home.path() + u"/Documents"_s));
        world.menu.openShelfFolderAction();
        world.menu.openPhotosFolderAction();
        const QString root = real + u"/Documents/RidezozEvar"_s;
        QCOMPARE(world.reveal.shown,
                 (QList<QStringList>{{root + u"/Rak"_s}, {root + u"/Album"_s}}));

        world.menu.moveCoveredIconsAction();
        QTRY_COMPARE(world.icons->moved.load(), 1);
        world.menu.toggleIconsAction();
        QCOMPARE(world.icons->switchedTo, QList<bool>{false});
        QVERIFY(world.storage.areDesktopIconsHidden());
    }

    // A tray whose panel starts after the room still gets the room's item, with its menu,
    // once the panel's tray host is up; when the panel goes, the room has the menu again.
    void aTrayThatStartsLaterGetsTheItem()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        MenuWorld world;
        world.windows.createWindow();
        world.menu.setupStatusItem();
        QVERIFY(!world.menu.statusItem());
        QCOMPARE(world.windows.window()->fallbackMenu(), world.menu.menu());

        {
            TrayPanel panel;
            QVERIFY(panel.up);
            // A panel whose tray is not up yet is no tray.
            QTest::qWait(200);
            QVERIFY(!world.menu.statusItem());
            FakeTrayWatcher* watcher = &panel.watcher;
            QMetaObject::invokeMethod(watcher, [watcher] {
                watcher->host = true;
                Q_EMIT watcher->StatusNotifierHostRegistered();
            });
            QTRY_VERIFY(world.menu.statusItem());
            QCOMPARE(world.menu.statusItem()->contextMenu(), world.menu.menu());
            QCOMPARE(world.windows.window()->fallbackMenu(), nullptr);
        }
        QTRY_VERIFY(!world.menu.statusItem());
        QCOMPARE(world.windows.window()->fallbackMenu(), world.menu.menu());
    }

    // The room fills the screen and follows it and the application's state. Hidden, it comes
    // back when the program is started again, which ends, and from the menu with the picker
    // open. A tray that comes later takes the menu, one that goes gives it back to the room,
    // which keeps the key equivalents.
    void theRoomItsSecondStartAndTheTray()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        MenuWorld world;
        MenuBarController& menu = world.menu;
        SingleInstance instance(QDBusConnection::sessionBus());
        instance.setStorageFolder(StoragePaths::forHome(QDir::homePath()).root);
        QVERIFY(instance.claim());
        connect(&instance, &SingleInstance::showRequested, &world.windows,
                &DesktopWindowManager::showRoom);
        world.windows.createWindow();
        InteractiveDesktopWindow* window = world.windows.window();
        bool trayThere = false;
        menu.setTrayAvailability([&trayThere] { return trayThere; });
        menu.setupStatusItem();
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY(world.state.isWindowVisible());
        window->setGeometry(10, 10, 100, 100);
        world.windows.refitToPrimaryScreen();
        QCOMPARE(window->geometry(), QGuiApplication::primaryScreen()->geometry());
        world.windows.handleApplicationStateChange(Qt::ApplicationInactive);
        QVERIFY(!world.state.isAppActive());
        world.windows.handleApplicationStateChange(Qt::ApplicationActive);
        QVERIFY(world.state.isAppActive());
        // Started again on this session's bus, or from a shell whose bus is another one.
        const QString ownBus = QStandardPaths::findExecutable(u"dbus-run-session"_s);
        for (const bool onItsOwnBus : {false, true}) {
            if (onItsOwnBus && ownBus.isEmpty())
                break;
            menu.toggleRoomAction();
            QTRY_VERIFY(!world.state.isWindowVisible());
            QProcess second;
            if (onItsOwnBus)
                second.start(ownBus, {u"--"_s, QStringLiteral(PONDSILL_EXECUTABLE)});
            else
                second.start(QStringLiteral(PONDSILL_EXECUTABLE), QStringList());
            QVERIFY(second.waitForStarted());
            // The loop keeps turning, so this room answers while the other start waits.
            QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 0);
            QTRY_VERIFY(world.state.isWindowVisible());
            QVERIFY(window->isVisible());
        }
        menu.toggleRoomAction();
        QVERIFY(!window->isVisible());
        menu.changeThemeAction();
        QVERIFY(window->isVisible());
        QVERIFY(world.state.showThemePicker());
        QVERIFY(!menu.statusItem());
        QCOMPARE(window->fallbackMenu(), menu.menu());

        const QString watcher = u"org.kde.StatusNotifierWatcher"_s;
        QDBusConnection host =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"tray"_s);
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
        QCOMPARE(window->actions().size(), 9);
    }

    // What waits for the room's first frame (the tray) runs once, after the room has been
    // painted; without a room window, or once the frame is shown, it runs at once.
    void workWaitsForTheFirstFrame()
    {
        MenuWorld world;
        int runs = 0;
        world.windows.afterFirstFrame([&runs] { ++runs; });
        QCOMPARE(runs, 1);

        struct PaintCount : QObject {
            int paints = 0;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint && watched->isWidgetType();
                return false;
            }
        } count;
        qApp->installEventFilter(&count);
        world.windows.createWindow();
        int paintsBefore = -1;
        world.windows.afterFirstFrame([&] {
            ++runs;
            paintsBefore = count.paints;
        });
        QCOMPARE(runs, 1);
        QTRY_COMPARE(runs, 2);
        qApp->removeEventFilter(&count);
        QVERIFY(paintsBefore > 0);
        QVERIFY(world.windows.isRoomShown());
        QTest::qWait(1200); // past the longest wait
        QCOMPARE(runs, 2);
        world.windows.afterFirstFrame([&runs] { ++runs; });
        QCOMPARE(runs, 3);
    }

    // When a dialog of the room closes, the room's keys work again at once: nobody has to
    // click the room first for Ctrl+M (or Ctrl+Q) to reach it.
    void theRoomHasItsKeysBackAfterADialog_data()
    {
        QTest::addColumn<QString>("dialog"); // how it opens
        QTest::addColumn<int>("answer");     // the key that closes it
        QTest::newRow("about, OK") << u"Ctrl+A"_s << int(Qt::Key_Return);
        QTest::newRow("restore all, Batal") << u"Ctrl+R"_s << int(Qt::Key_Escape);
        QTest::newRow("restore all, Kembalikan") << u"Ctrl+R"_s << int(Qt::Key_Return);
        QTest::newRow("open panel, closed") << u"carpet menu"_s << int(Qt::Key_Escape);
    }
    void theRoomHasItsKeysBackAfterADialog()
    {
        QFETCH(QString, dialog);
        QFETCH(int, answer);
        MenuWorld world;
        world.storage.setUserPrompts(&WidgetUserPrompts::shared());
        MenuBarController menu{world.windows, world.state, WidgetUserPrompts::shared(),
                               world.storage, world.reveal};
        menu.setTrayAvailability([] { return false; });
        world.windows.createWindow();
        menu.setupStatusItem();
        InteractiveDesktopWindow* window = world.windows.window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->content()->setFocus();
        QTRY_VERIFY(window->content()->hasFocus());

        QWidget* shown = nullptr;
        QTimer answering;
        connect(&answering, &QTimer::timeout, this, [&] {
            if (QWidget* modal = QApplication::activeModalWidget();
                modal && modal->isActiveWindow()) {
                answering.stop();
                shown = modal;
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(answer));
            }
        });
        answering.start(20);
        if (dialog == u"carpet menu"_s)
            world.storage.chooseItemsToHideUnderCarpet();
        else
            QTest::keySequence(QApplication::focusWidget(), QKeySequence(dialog));
        QVERIFY(shown);
        QVERIFY(!QApplication::activeModalWidget());

        QTRY_VERIFY(window->content()->hasFocus());
        QVERIFY(!world.state.showThemePicker());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::ControlModifier);
        QVERIFY(world.state.showThemePicker());
    }

    // A file dragged in from another program lands on the floor, and the first right-click
    // on the carpet after it, which brings the program back to the front, shows the carpet's
    // menu over the room.
    void theCarpetsMenuShowsAfterADropFromAnotherProgram()
    {
        MenuWorld world;
        WindowStack stack;
        world.windows.createWindow();
        // The room of this test's storage.
        auto* view = new RoomView(world.state, FloorInteractionState::shared(), &world.storage,
                                  AssetLoader::shared(), RoomPieces::standard(world.state));
        world.windows.window()->setContent(view);
        QVERIFY(QTest::qWaitForWindowExposed(world.windows.window()));
        const QString dropped = world.home.writeFile(u"Downloads/catatan.txt"_s, "isi");
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dropped)});
        const QPoint floor = view->mapFromScene(QPointF(view->width() * 0.2, view->height() * 0.9));
        QDragEnterEvent enter(floor, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QDragMoveEvent move(floor, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        QDropEvent drop(floor, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
        const QString underCarpet =
            world.storage.carpetDirectory().toLocalFile() + u"/catatan.txt"_s;
        QTRY_VERIFY(QFile::exists(underCarpet));

        // The other program had the keyboard; the right-click gives it back to the room.
        world.windows.handleApplicationStateChange(Qt::ApplicationInactive);
        const auto items = view->scene()->items();
        const auto carpet = std::find_if(items.begin(), items.end(), [](QGraphicsItem* item) {
            return dynamic_cast<MovableCarpetMatView*>(item);
        });
        QVERIFY(carpet != items.end());
        const QPoint onCarpet = view->mapFromScene((*carpet)->sceneBoundingRect().center());
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, onCarpet,
                                     view->viewport()->mapToGlobal(onCarpet));
        QApplication::sendEvent(view->viewport(), &rightClick);
        world.windows.handleApplicationStateChange(Qt::ApplicationActive);

        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->actions().value(0)->text(), u"Buka / Intip Karpet (Perlihatkan File)"_s);
        QCOMPARE(stack.top(), menu);
        menu->close();
    }

    // A panel for files only enters a folder instead of choosing it.
    // The photo panel lists the pictures the frames take, named as cameras and scanners name
    // them, and nothing else; its patterns hold also where the desktop's panel compares case.
    void thePhotoPanelListsWhatTheFramesTake_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("listed");
        QTest::newRow("a camera's photo") << u"IMG_0001.JPG"_s << true;
        QTest::newRow("a scan") << u"scan.tif"_s << true;
        QTest::newRow("a TIFF") << u"scan.TIFF"_s << true;
        QTest::newRow("a bitmap") << u"layar.bmp"_s << true;
        QTest::newRow("an icon") << u"ikon.icns"_s << true;
        QTest::newRow("a document") << u"laporan.pdf"_s << false;
    }
    void thePhotoPanelListsWhatTheFramesTake()
    {
        QFETCH(QString, name);
        QFETCH(bool, listed);
        UserPrompts::OpenPanel request;
        request.imagesOnly = true;
        ItemOpenPanel panel(request);
        QCOMPARE(panel.nameFilters().size(), 1);
        bool matched = false;
        for (const QString& pattern : panel.nameFilters().first().split(u' ')) {
            const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
            matched = matched || re.match(name).hasMatch();
        }
        QCOMPARE(matched, listed);
    }

    void theOpenPanelChoosesFoldersOnlyWhereAsked_data()
    {
        QTest::addColumn<bool>("folders");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("chosen");
        const QStringList photos{u"Photos"_s}, a{u"a.txt"_s}, none;
        QTest::newRow("a folder") << true << photos[0] << photos;
        QTest::newRow("a folder and a file") << true << u"\"Photos\" \"a.txt\""_s << photos + a;
        QTest::newRow("a missing item") << true << u"gone.txt"_s << none;
        QTest::newRow("files only, a folder") << false << photos[0] << none;
        QTest::newRow("files only, a file") << false << a[0] << a;
    }
    void theOpenPanelChoosesFoldersOnlyWhereAsked()
    {
        QFETCH(bool, folders);
        QFETCH(QString, typed);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"Photos"_s));
        QVERIFY(QFile(dir.filePath(u"a.txt"_s)).open(QIODevice::WriteOnly));
        UserPrompts::OpenPanel request;
        request.title = u"Pilih File atau Folder untuk Rak Buku"_s;
        request.folders = folders;
        request.multiple = true;
        ItemOpenPanel panel(request);
        panel.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(panel.windowTitle(), request.title);
        panel.setDirectory(dir.path());
        panel.findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(typed);
        panel.accept();
        for (QString& name : chosen)
            name = dir.filePath(name);
        QCOMPARE(panel.result() == QDialog::Accepted, !chosen.isEmpty());
        if (!chosen.isEmpty())
            QCOMPARE(panel.chosenPaths(), chosen);
    }

    // A folder's name typed and confirmed opens it in the panel, as in any panel: choosing
    // it there would carry the whole folder away. A folder picked in the list and the Open
    // button still choose it where folders may be chosen.
    void theOpenPanelEntersATypedFolder_data()
    {
        QTest::addColumn<bool>("folders");
        QTest::addColumn<bool>("multiple");
        QTest::addColumn<QString>("typed");   // %1 is the panel's folder
        QTest::addColumn<QString>("picked");  // a row clicked in the list, then Open
        QTest::addColumn<QString>("entered"); // the folder the panel shows after, if open
        QTest::addColumn<QStringList>("chosen");
        const QString sub = u"sub"_s, none;
        const QStringList a{u"a.txt"_s}, nothing;
        for (const bool folders : {true, false}) {
            const QString mode = folders ? u"files and folders: "_s : u"files only: "_s;
            const auto row = [&mode](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(mode + QLatin1String(name)));
            };
            row("a folder with a slash") << folders << false << u"sub/"_s << none << sub << nothing;
            row("a folder") << folders << false << sub << none << sub << nothing;
            row("a folder's whole path")
                << folders << false << u"%1/sub"_s << none << sub << nothing;
            row("a folder's whole path, slashed")
                << folders << false << u"%1/sub/"_s << none << sub << nothing;
            row("the folder above") << folders << false << u".."_s << none << u".."_s << nothing;
            row("a file") << folders << false << a[0] << none << none << a;
            row("a file's whole path") << folders << false << u"%1/a.txt"_s << none << none << a;
            row("two files") << folders << true << u"\"a.txt\" \"b.txt\""_s << none << none
                             << a + QStringList{u"b.txt"_s};
            row("a file and a folder")
                << folders << true << u"\"a.txt\" \"sub\""_s << none << sub << nothing;
            row("a file picked") << folders << false << none << a[0] << none << a;
            // Qt's panel for files enters a folder its Open button is pressed on.
            row("a folder picked") << folders << false << none << sub << (folders ? none : sub)
                                   << (folders ? QStringList{sub} : nothing);
            row("typed, then a folder picked")
                << folders << false << u"a.txt"_s << sub << (folders ? none : sub)
                << (folders ? QStringList{sub} : nothing);
        }
    }
    void theOpenPanelEntersATypedFolder()
    {
        QFETCH(bool, folders);
        QFETCH(bool, multiple);
        QFETCH(QString, typed);
        QFETCH(QString, picked);
        QFETCH(QString, entered);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        writeFile(dir.filePath(u"sub/inside.txt"_s));
        writeFile(dir.filePath(u"a.txt"_s));
        writeFile(dir.filePath(u"b.txt"_s));
        UserPrompts::OpenPanel request;
        request.folders = folders;
        request.multiple = multiple;
        ItemOpenPanel panel(request);
        panel.setOption(QFileDialog::DontUseNativeDialog);
        panel.setDirectory(dir.path());
        auto* nameEdit = panel.findChild<QLineEdit*>(u"fileNameEdit"_s);
        auto* list = panel.findChild<QListView*>(u"listView"_s);
        auto* model = qobject_cast<QFileSystemModel*>(list->model());
        QVERIFY(nameEdit && list && model);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();
        QTRY_COMPARE(model->rowCount(list->rootIndex()), 3);

        if (!typed.isEmpty()) {
            nameEdit->setFocus();
            QTRY_VERIFY(nameEdit->hasFocus());
            QTest::keyClicks(nameEdit, typed.replace(u"%1"_s, dir.path()));
        }
        if (picked.isEmpty()) {
            QTest::keyClick(nameEdit, Qt::Key_Return);
        } else {
            const QModelIndex row = model->index(dir.filePath(picked));
            list->scrollTo(row);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
            QTRY_COMPARE(panel.selectedFiles(), QStringList{dir.filePath(picked)});
            auto* buttons = panel.findChild<QDialogButtonBox*>(u"buttonBox"_s);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
        }

        if (entered.isEmpty()) {
            QVERIFY(!panel.isVisible());
            QCOMPARE(panel.result(), int(QDialog::Accepted));
            for (QString& name : chosen)
                name = dir.filePath(name);
            QStringList got = panel.chosenPaths();
            got.sort();
            QCOMPARE(got, chosen);
        } else {
            const QString shown = QDir::cleanPath(dir.filePath(entered));
            QVERIFY(panel.isVisible());
            QCOMPARE(panel.directory().absolutePath(), shown);
            QTRY_COMPARE(list->rootIndex().data(QFileSystemModel::FilePathRole).toString(), shown);
            // Open with no row picked there chooses nothing, not the folder shown; nor once a
            // name typed there is rubbed out again. (A panel for files only never takes a
            // folder: there Open goes on as Qt's own panel does.)
            auto* buttons = panel.findChild<QDialogButtonBox*>(u"buttonBox"_s);
            for (const bool rubbedOut : {false, true}) {
                if (!folders)
                    break;
                if (rubbedOut) {
                    QTest::keyClicks(nameEdit, u"x"_s);
                    QTest::keyClick(nameEdit, Qt::Key_Backspace);
                }
                if (buttons->button(QDialogButtonBox::Open)->isEnabled())
                    QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
                QVERIFY(panel.isVisible());
                QCOMPARE(panel.directory().absolutePath(), shown);
            }
        }
        QVERIFY(QFileInfo(dir.filePath(u"sub/inside.txt"_s)).isFile());
    }
};

PONDSILL_TEST(RoomWindowTest)
#include "room_window_test.moc"
