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
    // The screen on, off, and under the fire alert, told apart by a point of the wallpaper,
    // one of the dock, and the alert's flame.
    void monitorStates_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("fire");
        QTest::newRow("on") << true << false;
        QTest::newRow("off") << false << false;
        QTest::newRow("on in fire mode") << true << true;
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
        QCOMPARE(flame.red() > 180 && flame.blue() < 90, fire);
        QCOMPARE(on, wallpaper.blue() > wallpaper.red() + (fire ? 0 : 40)); // the blue desktop
        QVERIFY(on && !fire ? dock.blue() > 180 : brightness < (fire ? 120 : 90)); // dark or dimmed
    }

    // A click toggles the screen once the double-click time has passed; the choice is in
    // the preferences at once and comes back at the next start. A double click only shows
    // the home folder, once. The menu's first item is named for the state it flips; then
    // the card and the home folder.
    void monitorClicksAndMenu()
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
        QVERIFY(!AppState(&m.settings).isMonitorScreenOn());

        input.doubleClick(QPointF(87, 60));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(m.reveal.shown, QList<QStringList>{QStringList{QDir::homePath()}});
        QVERIFY(!m.state.isMonitorScreenOn()); // the double click left the screen as it was

        const auto choose = [&m](int item) {
            const std::unique_ptr<QMenu> menu = m.monitor->gestures().makeContextMenu();
            const QString text = menu->actions().at(item)->text();
            menu->actions().at(item)->trigger();
            return text;
        };
        QCOMPARE(choose(0), u"Nyalakan Layar Komputer"_s);
        QCOMPARE(choose(0), u"Matikan Layar Komputer"_s);
        QVERIFY(!m.state.isMonitorScreenOn());
        choose(1);
        QCOMPARE(m.state.activeQuickView(), ActiveDesktopQuickView::monitor());
        choose(1);
        QVERIFY(!m.state.activeQuickView()); // open already: closes
        choose(3);
        QCOMPARE(m.reveal.shown.size(), 2);
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
