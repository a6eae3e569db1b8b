#include "kit/animated_value.h"
#include "kit/room_item.h"
#include "kit/time_line.h"
#include "kit/transition.h"
#include "state/app_state.h"
#include "support/scene_input.h"
#include "support/test_registry.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(Animation)

namespace {
// A room of 400 x 300 on screen, and mouse input as the window system sends it.
struct Room {
    QGraphicsScene scene{0, 0, 400, 300};
    QGraphicsView view{&scene};
    SceneInput input{view};

    Room()
    {
        view.setFrameShape(QFrame::NoFrame);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    RoomItem* addItem(QRectF frame, qreal z = 0)
    {
        auto* item = new RoomItem;
        item->setFrame(RoomFrame{frame.center(), frame.size()});
        item->setZValue(z);
        scene.addItem(item);
        return item;
    }
};
} // namespace

// Springs, animated values, transitions and the frame clock: what moves comes to rest where
// it was sent, and nothing ticks while all is still. Taps, drags and hovers reach the item
// that takes them.
class MotionTest : public QObject {
    Q_OBJECT
    AnimationClock m_clock;

private Q_SLOTS:
    void init() { m_clock.setManual(true); }

    void springSettlesAndOvershootsOnlyWhenUnderDamped_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("damping");
        QTest::addColumn<bool>("overshoots");
        QTest::newRow("close spring") << 0.26 << 0.88 << true;
        QTest::newRow("over-damped") << 0.4 << 1.5 << false;
    }
    void springSettlesAndOvershootsOnlyWhenUnderDamped()
    {
        QFETCH(double, response);
        QFETCH(double, damping);
        const SpringCurve spring(response, damping);
        bool crossed = false;
        for (double t = 0; t < 5; t += 0.001) // released one unit above the target
            crossed = crossed || spring.at(t, 1, 0).displacement < -1e-9;
        QTEST(crossed, "overshoots");
        QVERIFY(std::abs(spring.at(spring.settlingTime(), 1, 0).displacement) <= 1e-3);
        QVERIFY(std::abs(spring.at(10, 1, 0).displacement) < 1e-9);
        QVERIFY(SpringCurve(response * 2, damping).settlingTime() > spring.settlingTime());
    }

    void valuesJumpOutsideATransactionAndAnimateInside_data()
    {
        QTest::addColumn<Animation>("animation");
        QTest::addColumn<double>("within");
        QTest::newRow("close spring") << Animation::spring(0.26, 0.88) << 1.0;
        QTest::newRow("ease") << Animation::easeInOut(0.35) << 0.4;
    }
    void valuesJumpOutsideATransactionAndAnimateInside()
    {
        QFETCH(Animation, animation);
        QFETCH(double, within);
        int frames = 0;
        Animated<QPointF> v(
            QPointF(0, 0), [&] { ++frames; }, &m_clock);
        Animated<QColor> c(QColor(Qt::black), {}, &m_clock);
        v.set(QPointF(1, 1));
        QCOMPARE(std::tuple(v.value(), frames, m_clock.tickerCount()),
                 std::tuple(QPointF(1, 1), 1, 0));
        withAnimation(animation, [&] {
            v.set(QPointF(100, -50));
            c.set(QColor(Qt::white));
        });
        QCOMPARE(v.value(), QPointF(1, 1)); // nothing moves before the first frame
        m_clock.advance(0.05);
        QVERIFY(v.value().x() > 1 && v.value().x() < 100);
        QVERIFY(c.value().redF() > 0 && c.value().redF() < 1);
        m_clock.advance(within);
        QCOMPARE(std::tuple(v.value(), c.value(), v.isAnimating(), m_clock.tickerCount()),
                 std::tuple(QPointF(100, -50), QColor(Qt::white), false, 0));
        // A change outside a transaction also ends a motion under way.
        withAnimation(animation, [&] { v.set(QPointF(0, 0)); });
        m_clock.advance(0.05);
        withoutAnimation([&] { v.set(QPointF(5, 5)); });
        QCOMPARE(std::pair(v.value(), v.isAnimating()), std::pair(QPointF(5, 5), false));
    }

    void retargetingASpringKeepsItsMotion()
    {
        Animated<double> v(0.0, {}, &m_clock);
        withAnimation(Animation::spring(0.5, 0.8), [&] { v.set(100); });
        m_clock.advance(0.1);
        const double before = v.value();
        withAnimation(Animation::spring(0.5, 0.8), [&] { v.set(0); });
        QCOMPARE(v.value(), before); // no jump
        m_clock.advance(0.016);
        QVERIFY(v.value() > before); // still moving up: the velocity carried over
        m_clock.advance(3);
        QCOMPARE(v.value(), 0.0);
    }

    void theRealClockStopsWhenAllIsStill()
    {
        AnimationClock clock;
        Animated<double> v(0.0, {}, &clock);
        QVERIFY(!clock.isRunning());
        withAnimation(Animation::spring(0.1, 1.0), [&] { v.set(1); });
        QVERIFY(clock.isRunning());
        QTRY_VERIFY(!v.isAnimating());
        QCOMPARE(std::pair(clock.isRunning(), v.value()), std::pair(false, 1.0));
    }

    void transitionScalesAboutItsAnchorAndRemovesOnlyWhenOut()
    {
        AnimationClock& clock = AnimationClock::shared();
        clock.setManual(true);
        QGraphicsScene scene;
        QPointer<TransitionItem> item = new TransitionItem(
            Transition::scaled(0.5, UnitPoint::leading()).combined(Transition::opacity()));
        scene.addItem(item);
        item->setAnchorRect(QRectF(100, 100, 200, 100));
        auto* panel = new RoomItem(item);
        panel->setSize(QSizeF(100, 100));
        panel->gestures().onTap([] {});
        // Fully out: the leading edge's middle stays put, the rest shrinks towards it.
        QCOMPARE(item->transform().map(QPointF(100, 150)), QPointF(100, 150));
        QCOMPARE(item->transform().map(QPointF(300, 150)), QPointF(200, 150));
        QCOMPARE(Transition::opacity().opacityAt(1.2), 1.0); // a spring's overshoot never brightens
        withAnimation(Animation::spring(0.26, 0.88), [&] { item->appear(); });
        QCOMPARE(item->opacity(), 0.0);
        clock.advance(1);
        QCOMPARE(std::pair(item->opacity(), item->transform()), std::pair(1.0, QTransform()));

        QSignalSpy removed(item.data(), &TransitionItem::removed);
        withAnimation(Animation::spring(0.26, 0.88), [&] { item->disappear(); });
        QCOMPARE(panel->acceptedMouseButtons(), Qt::NoButton); // clicks pass through now
        clock.advance(0.1);
        QCOMPARE(removed.count(), 0);
        QVERIFY(item->opacity() < 1 && item->isVisible());
        clock.advance(1);
        QCOMPARE(removed.count(), 1);
        clock.setManual(false);
        QTRY_VERIFY(item.isNull());
    }

    void timeLineTicksOnWholeIntervals_data()
    {
        QTest::addColumn<bool>("lowPower");
        QTest::addColumn<int>("stepMs");
        QTest::newRow("30 a second") << false << 34;
        QTest::newRow("20 a second in low-power mode") << true << 50;
    }
    void timeLineTicksOnWholeIntervals()
    {
        QFETCH(bool, lowPower);
        QFETCH(int, stepMs);
        AppState state(nullptr);
        state.setLowPower(lowPower);
        TimeLine line(state, 1.0 / 30, 0.05);
        QList<qint64> dates;
        connect(&line, &TimeLine::tick, this,
                [&] { dates.append(line.date().toMSecsSinceEpoch()); });
        line.setWanted(true);
        QTRY_VERIFY_WITH_TIMEOUT(dates.size() >= 4, 3000);
        line.setWanted(false);
        // Frames fall on whole steps and never two on one step: never faster than the rate.
        for (int i = 0; i < dates.size(); ++i) {
            QCOMPARE(dates[i] % stepMs, 0);
            QVERIFY(i == 0 || dates[i] - dates[i - 1] >= stepMs);
        }
    }

    void timeLinesOfOneRateTickInOnePass()
    {
        // Every animated piece ticks in the same pass of the event loop, so that the room
        // repaints once a frame rather than once for each piece.
        AppState state(nullptr);
        std::vector<std::unique_ptr<TimeLine>> lines;
        const auto busy = [] {
            QElapsedTimer started;
            started.start();
            while (started.nsecsElapsed() < 300'000) {
            }
        };
        for (int i = 0; i < 20; ++i) {
            lines.push_back(std::make_unique<TimeLine>(state, 1.0 / 30, 0.05));
            // Each piece does some work on a frame (moves its parts, asks to repaint).
            connect(lines.back().get(), &TimeLine::tick, this, busy);
            lines.back()->setWanted(true);
        }
        int frames = 0;
        int apart = 0;
        // The checks posted from the last frames may still be queued when the test ends:
        // they go with this object instead of running later over the lines that are gone.
        QObject checks;
        connect(lines.front().get(), &TimeLine::tick, &checks, [&] {
            // Runs after this pass, when every line must have had the same frame.
            QMetaObject::invokeMethod(
                &checks,
                [&, date = lines.front()->date()] {
                    ++frames;
                    for (const auto& line : lines)
                        apart += line->date() != date;
                },
                Qt::QueuedConnection);
        });
        QTRY_VERIFY_WITH_TIMEOUT(frames >= 40, 5000);
        QCOMPARE(apart, 0);
    }

    void timeLineStopsWhileHiddenAndResumes()
    {
        AppState state(nullptr);
        TimeLine line(state, 1.0 / 30, 0.05);
        QSignalSpy ticks(&line, &TimeLine::tick);
        QSignalSpy canDraw(&line, &TimeLine::canDrawChanged);
        QVERIFY(!line.isRunning()); // runs only while wanted
        line.setWanted(true);
        QVERIFY(line.isRunning());
        state.setWindowVisible(false);
        // An assignment that leaves the window hidden changes nothing.
        state.setWindowVisible(false);
        state.setLowPower(true);
        QCOMPARE(std::pair(line.isRunning(), int(canDraw.count())), std::pair(false, 1));
        state.setWindowVisible(true);
        QCOMPARE(std::pair(line.isRunning(), int(canDraw.count())), std::pair(true, 2));
        QTRY_VERIFY_WITH_TIMEOUT(!ticks.isEmpty(), 2000);
        state.setAppActive(false);
        QCOMPARE(std::tuple(line.isRunning(), line.canDraw(), int(canDraw.count())),
                 std::tuple(false, false, 3));
    }

    void tapOnlyWhereAGestureIs()
    {
        Room room;
        int below = 0, above = 0;
        room.addItem(QRectF(0, 0, 400, 300))->gestures().onTap([&] { ++below; });
        RoomItem* plain = room.addItem(QRectF(50, 50, 100, 100), 1); // draws, takes nothing
        room.input.click(QPointF(60, 60));
        QCOMPARE(below, 1);
        plain->gestures().onTap([&] { ++above; });
        room.input.click(QPointF(60, 60));
        QCOMPARE(QPoint(above, below), QPoint(1, 1));

        // Outside the hit shape the click goes below.
        QPainterPath circle;
        circle.addEllipse(QRectF(0, 0, 100, 100));
        plain->setHitShape(circle);
        room.input.click(QPointF(53, 53));
        QCOMPARE(QPoint(above, below), QPoint(1, 2));

        // A press that ends off the item is no tap.
        room.input.press(QPointF(100, 145));
        room.input.release(QPointF(100, 160));
        QCOMPARE(above, 1);

        // Hovering in and out, over an item that takes hovers only.
        QList<bool> hovers;
        room.addItem(QRectF(300, 200, 50, 50), 1)->gestures().onHover([&](bool inside) {
            hovers.append(inside);
        });
        room.input.hover(QPointF(10, 10));
        room.input.hover(QPointF(320, 220));
        room.input.hover(QPointF(10, 10));
        QCOMPARE(hovers, QList<bool>({true, false}));
    }

    void dragStartsAtItsMinimumDistance_data()
    {
        QTest::addColumn<qreal>("minimum");
        QTest::addColumn<qreal>("moved");
        QTest::addColumn<bool>("dragged");
        // The view delivers whole pixels.
        QTest::newRow("below the minimum") << 3.0 << 2.0 << false;
        QTest::newRow("at the minimum") << 3.0 << 3.0 << true;
        QTest::newRow("minimum zero: from the press") << 0.0 << 0.0 << true;
    }
    void dragStartsAtItsMinimumDistance()
    {
        QFETCH(qreal, minimum);
        QFETCH(qreal, moved);
        QFETCH(bool, dragged);
        Room room;
        int taps = 0;
        QList<DragValue> changes;
        std::optional<DragValue> end;
        RoomItem* item = room.addItem(QRectF(0, 0, 200, 200));
        item->gestures().onTap([&] { ++taps; });
        item->gestures().onDrag(
            minimum, [&](const DragValue& v) { changes.append(v); },
            [&](const DragValue& v) { end = v; });
        room.input.press(QPointF(20, 20));
        QCOMPARE(changes.size(), minimum == 0 ? 1 : 0);
        if (moved > 0)
            room.input.move(QPointF(20 + moved, 20));
        room.input.release(QPointF(20 + moved, 20));
        QCOMPARE(std::pair(bool(end), taps), std::pair(dragged, dragged ? 0 : 1));
        if (dragged)
            QCOMPARE(
                std::tuple(int(changes.size()), changes.first().startLocation, end->translation()),
                std::tuple(1, QPointF(20, 20), QPointF(moved, 0)));
    }

    void singleTapWaitsOnlyWhereDoubleTapIsHandled()
    {
        Room room;
        int singles = 0, doubles = 0;
        room.addItem(QRectF(0, 0, 100, 100))->gestures().onTap([&] { ++singles; });
        room.input.click(QPointF(10, 10));
        QCOMPARE(singles, 1); // at once

        RoomItem* both = room.addItem(QRectF(200, 0, 100, 100));
        both->gestures().onTap([&] { ++singles; });
        both->gestures().onDoubleTap([&] { ++doubles; });
        room.input.doubleClick(QPointF(210, 10));
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
        QCOMPARE(QPoint(singles, doubles), QPoint(1, 1)); // the double tap was no single one too

        room.input.click(QPointF(210, 10));
        QCOMPARE(singles, 1);
        QTRY_COMPARE(singles, 2); // after the double-click interval
    }

    void fileNamesAreShownLiterally()
    {
        Room room;
        bool opened = false;
        RoomItem* item = room.addItem(QRectF(0, 0, 50, 50));
        item->gestures().setToolTip(QStringLiteral("<b>laporan</b>.pdf: Geser"));
        QVERIFY(item->toolTip().contains(QStringLiteral("&lt;b&gt;laporan&lt;/b&gt;.pdf")));
        item->gestures().setContextMenu([&](QMenu& menu) {
            Gestures::addMenuAction(menu, QStringLiteral("Buka Tom & Jerry.txt"),
                                    [&] { opened = true; });
        });
        const std::unique_ptr<QMenu> menu = item->gestures().makeContextMenu();
        QAction* open = menu->actions().first();
        QCOMPARE(QStringList({open->text(), open->iconText()}),
                 QStringList({QStringLiteral("Buka Tom && Jerry.txt"),
                              QStringLiteral("Buka Tom & Jerry.txt")}));
        open->trigger();
        QVERIFY(opened);
    }

    void tapLayerClosesOnlyOutsideItsPanel()
    {
        Room room;
        int closes = 0, roomTaps = 0;
        room.addItem(QRectF(0, 0, 400, 300))->gestures().onTap([&] { ++roomTaps; });
        auto* layer = new TapLayer([&] { ++closes; });
        layer->setSize(QSizeF(400, 300));
        layer->setZValue(50);
        room.scene.addItem(layer);
        auto* panel = new RoomItem(layer);
        panel->setFrame(RoomFrame{QPointF(200, 150), QSizeF(100, 80)});
        panel->gestures().onTap([] {});

        room.input.click(QPointF(200, 150));
        QCOMPARE(closes, 0);
        room.input.click(QPointF(20, 20));
        QCOMPARE(QPoint(closes, roomTaps), QPoint(1, 0)); // the room below got nothing

        // A panel that takes no clicks of its own still keeps them from the layer, also
        // inside a container without a shape.
        (new RoomItem(new QGraphicsRectItem(QRectF(), layer)))
            ->setFrame(RoomFrame{QPointF(50, 250), QSizeF(60, 40)});
        room.input.click(QPointF(50, 250));
        QCOMPARE(QPoint(closes, roomTaps), QPoint(1, 0));
    }
};

PONDSILL_TEST(MotionTest)
#include "motion_test.moc"
