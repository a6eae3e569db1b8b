// The desk, the computer on it and the desk pieces the room does not place.
#include "desk/desk_accessories.h"
#include "desk/monitor_drawing.h"
#include "desk/workstation_desk_view.h"
#include "desk/workstation_monitor_view.h"
#include "kit/animation_clock.h"
#include "platform/file_manager_reveal.h"
#include "room/asset_loader.h"
#include "state/app_state.h"
#include "support/fake_app_registry.h"
#include "support/scene_input.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Records what would have been shown in the file manager.
class RecordingReveal : public FileManagerReveal {
public:
    RecordingReveal() : FileManagerReveal(QDBusConnection(u"none"_s)) {}
    void showItems(const QStringList& paths) override { shown.append(paths); }
    QList<QStringList> shown;
};

// A monitor at its design size in a scene of its own, with no wallpaper to find.
struct Monitor {
    Monitor() { AnimationClock::shared().setManual(true); }

    QImage render()
    {
        AnimationClock::shared().advance(3);
        QImage image(175, 170, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        scene.render(&p, QRectF(0, 0, 175, 170), QRectF(0, 0, 175, 170));
        return image;
    }

    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
    RecordingReveal reveal;
    QTemporaryDir noImages;
    AssetLoader assets{AssetLoader::Locations{{}, {noImages.path()}}};
    QGraphicsScene scene{QRectF(0, 0, 175, 170)};
    WorkstationMonitorView* monitor = [this] {
        auto* view = new WorkstationMonitorView(state, reveal, assets);
        scene.addItem(view);
        return view;
    }();
};

QColor at(const QImage& image, QPointF p)
{
    return image.pixelColor(p.toPoint());
}
} // namespace

class DeskTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The screen on, off, and either under the fire alert, told apart by a few pixels: a
    // point of the wallpaper, one of the dock, and the alert's flame.
    void monitorStates_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("fire");
        QTest::newRow("on") << true << false;
        QTest::newRow("off") << false << false;
        QTest::newRow("on in fire mode") << true << true;
        QTest::newRow("off in fire mode") << false << true;
    }
    void monitorStates()
    {
        QFETCH(bool, on);
        QFETCH(bool, fire);
        Monitor m;
        m.state.setMonitorScreenOn(on);
        m.state.setFireModeActive(fire);
        const QImage image = m.render();
        const QPointF screen = MonitorDrawing::kScreen.topLeft();
        const QColor wallpaper = at(image, screen + QPointF(150, 60));
        const QColor flame = at(image, MonitorDrawing::kScreen.center() + QPointF(0, -14));
        const QColor dock =
            at(image, screen + MonitorDrawing::dockRect().topLeft() + QPointF(7, 4));
        const int brightness = wallpaper.red() + wallpaper.green() + wallpaper.blue();
        if (on && !fire) {
            QVERIFY(wallpaper.blue() > wallpaper.red() + 40); // the blue gradient
            QVERIFY(dock.blue() > 180);                       // the first dock icon
        }
        if (!on && !fire)
            QVERIFY2(brightness < 90, qPrintable(wallpaper.name()));
        if (fire) {
            QVERIFY2(flame.red() > 180 && flame.blue() < 90, qPrintable(flame.name()));
            QVERIFY(brightness < 120); // dimmed by the alert's black
        }
        if (on && fire) {
            QVERIFY(wallpaper.blue() > wallpaper.red()); // the desktop shows faintly
        }
        if (!fire) {
            const QColor centre = at(image, MonitorDrawing::kScreen.center() + QPointF(0, -14));
            QVERIFY(!(centre.red() > 180 && centre.blue() < 90));
        }
    }

    // A click toggles the screen once the double-click time has passed; the choice is in
    // the preferences at once and comes back at the next start. A double click only shows
    // the home folder, once.
    void monitorClicks()
    {
        Monitor m;
        QGraphicsView view(&m.scene);
        view.show();
        SceneInput input(view);
        QVERIFY(m.state.isMonitorScreenOn()); // no stored choice: on
        input.click(QPointF(20, 160));        // beside the stand, inside the frame
        QTRY_VERIFY(!m.state.isMonitorScreenOn());
        QCOMPARE(m.settings.value(u"isMonitorScreenOn"_s).toBool(), false);
        QCOMPARE(m.monitor->helpText(), u"Layar iMac: Klik 1x untuk menyalakan layar"_s);
        {
            AppState next(&m.settings);
            QVERIFY(!next.isMonitorScreenOn());
        }

        input.doubleClick(QPointF(87, 60));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(m.reveal.shown, QList<QStringList>{QStringList{QDir::homePath()}});
        QVERIFY(!m.state.isMonitorScreenOn()); // the double click left the screen as it was
    }

    // The menu: its first item named for the state it flips, the card, the home folder.
    void monitorMenu()
    {
        Monitor m;
        std::unique_ptr<QMenu> menu = m.monitor->gestures().makeContextMenu();
        QList<QAction*> items = menu->actions();
        QCOMPARE(items.at(0)->text(), u"Matikan Layar Komputer"_s);
        items.at(0)->trigger();
        QVERIFY(!m.state.isMonitorScreenOn());
        menu = m.monitor->gestures().makeContextMenu();
        QCOMPARE(menu->actions().at(0)->text(), u"Nyalakan Layar Komputer"_s);

        menu->actions().at(1)->trigger();
        QCOMPARE(m.state.activeQuickView(), ActiveDesktopQuickView::monitor());
        m.monitor->gestures().makeContextMenu()->actions().at(1)->trigger();
        QVERIFY(!m.state.activeQuickView()); // open already: closes
        m.monitor->gestures().makeContextMenu()->actions().at(3)->trigger();
        QCOMPARE(m.reveal.shown.size(), 1);
    }

    // The desk takes no pointer: a click over it reaches what lies beneath.
    void deskLetsClicksThrough()
    {
        QGraphicsScene scene(QRectF(0, 0, 600, 300));
        auto* below = new RoomItem;
        below->setSize({600, 300});
        int taps = 0;
        below->gestures().onTap([&taps] { ++taps; });
        scene.addItem(below);
        auto* desk = new WorkstationDeskView;
        desk->setSize({555, 276});
        scene.addItem(desk);
        QGraphicsView view(&scene);
        view.show();
        SceneInput(view).click(QPointF(100, 100));
        QTRY_COMPARE(taps, 1);
        QVERIFY(desk->toolTip().isEmpty());
    }

    // The envelope opens the desktop's mail handler; without one, "mailto:" is handed to
    // the desktop's opener and nothing is started through GIO.
    void envelopeOpensMail_data()
    {
        QTest::addColumn<bool>("handler");
        QTest::newRow("a mail handler") << true;
        QTest::newRow("none") << false;
    }
    void envelopeOpensMail()
    {
        QFETCH(bool, handler);
        FakeAppRegistry apps;
        QVERIFY(apps.isIsolated());
        if (handler)
            apps.setDefault(u"x-scheme-handler/mailto"_s,
                            apps.addApp(u"mail.desktop"_s, {u"x-scheme-handler/mailto"_s}));
        QVERIFY(apps.waitUntilSeen());
        QList<QUrl> handedOver;
        LetterEnvelopeView envelope([&handedOver] {
            openMail([&handedOver](const QUrl& url) { handedOver.append(url); });
        });
        envelope.click();
        if (handler) {
            QVERIFY(apps.launchedOnly(u"mail.desktop"_s));
            QCOMPARE(apps.launches(u"mail.desktop"_s), QStringList{u"mailto:"_s});
            QVERIFY(handedOver.isEmpty());
        } else {
            QVERIFY(apps.nothingLaunched());
            QCOMPARE(handedOver, QList<QUrl>{QUrl(u"mailto:"_s)});
        }
    }
};

PONDSILL_TEST(DeskTest)
#include "desk_test.moc"
