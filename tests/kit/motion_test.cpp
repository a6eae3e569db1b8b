#include "kit/animated_value.h"
#include "kit/room_item.h"
#include "kit/time_line.h"
#include "kit/transition.h"
#include "state/app_state.h"
#include "support/test_registry.h"

#include <QGraphicsScene>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(Animation)

// Springs, animated values, transitions and the frame clock: what moves comes to rest where
// it was sent, and nothing ticks while all is still.
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
        QCOMPARE(v.value(), QPointF(1, 1));
        QCOMPARE(frames, 1);
        QCOMPARE(m_clock.tickerCount(), 0);
        withAnimation(animation, [&] {
            v.set(QPointF(100, -50));
            c.set(QColor(Qt::white));
        });
        QCOMPARE(v.value(), QPointF(1, 1)); // nothing moves before the first frame
        m_clock.advance(0.05);
        QVERIFY(v.value().x() > 1 && v.value().x() < 100);
        QVERIFY(c.value().redF() > 0 && c.value().redF() < 1);
        m_clock.advance(within);
        QCOMPARE(v.value(), QPointF(100, -50));
        QCOMPARE(c.value(), QColor(Qt::white));
        QVERIFY(!v.isAnimating());
        QCOMPARE(m_clock.tickerCount(), 0);
        // A change outside a transaction also ends a motion under way.
        withAnimation(animation, [&] { v.set(QPointF(0, 0)); });
        m_clock.advance(0.05);
        withoutAnimation([&] { v.set(QPointF(5, 5)); });
        QCOMPARE(v.value(), QPointF(5, 5));
        QVERIFY(!v.isAnimating());
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
        QVERIFY(!clock.isRunning());
        QCOMPARE(v.value(), 1.0);
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
        QCOMPARE(item->opacity(), 1.0);
        QCOMPARE(item->transform(), QTransform());

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
        QVERIFY(!line.isRunning());
        // An assignment that leaves the window hidden changes nothing.
        state.setWindowVisible(false);
        state.setLowPower(true);
        QCOMPARE(canDraw.count(), 1);
        QVERIFY(!line.isRunning());
        state.setWindowVisible(true);
        QCOMPARE(canDraw.count(), 2);
        QVERIFY(line.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!ticks.isEmpty(), 2000);
        state.setAppActive(false);
        QVERIFY(!line.isRunning() && !line.canDraw());
        QCOMPARE(canDraw.count(), 3);
    }
};

PONDSILL_TEST(MotionTest)
#include "motion_test.moc"
