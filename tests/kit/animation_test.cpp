#include "kit/animated_value.h"
#include "kit/room_item.h"
#include "kit/transition.h"
#include "support/test_registry.h"

#include <QGraphicsScene>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(Animation)

class SpringTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void settlesAndOvershootsOnlyWhenUnderDamped_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("damping");
        QTest::addColumn<bool>("overshoots");
        QTest::newRow("close spring 0.26/0.88") << 0.26 << 0.88 << true;
        QTest::newRow("over-damped 0.4/1.5") << 0.4 << 1.5 << false;
    }
    void settlesAndOvershootsOnlyWhenUnderDamped()
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
        // A slower response takes longer to settle, at the same damping.
        QVERIFY(SpringCurve(response * 2, damping).settlingTime() > spring.settlingTime());
    }
};

class AnimatedValueTest : public QObject {
    Q_OBJECT
    AnimationClock m_clock;

private Q_SLOTS:
    void init() { m_clock.setManual(true); }

    void outsideATransactionItJumps()
    {
        int frames = 0;
        Animated<double> v(
            0.0, [&] { ++frames; }, &m_clock);
        v.set(10);
        QCOMPARE(v.value(), 10.0);
        QCOMPARE(frames, 1);
        QCOMPARE(m_clock.tickerCount(), 0);

        // A change outside a transaction also ends a motion under way.
        withAnimation(Animation::spring(0.5, 0.8), [&] { v.set(1); });
        m_clock.advance(0.05);
        withoutAnimation([&] { v.set(5); });
        QCOMPARE(v.value(), 5.0);
        QVERIFY(!v.isAnimating());
    }

    void insideATransactionItAnimatesToTheTarget_data()
    {
        QTest::addColumn<Animation>("animation");
        QTest::addColumn<double>("within");
        QTest::newRow("close spring") << Animation::spring(0.26, 0.88) << 1.0;
        QTest::newRow("ease 0.35") << Animation::easeInOut(0.35) << 0.4;
    }
    void insideATransactionItAnimatesToTheTarget()
    {
        QFETCH(Animation, animation);
        QFETCH(double, within);
        Animated<QPointF> v(QPointF(0, 0), {}, &m_clock);
        Animated<QColor> c(QColor(Qt::black), {}, &m_clock);
        withAnimation(animation, [&] {
            v.set(QPointF(100, -50));
            c.set(QColor(Qt::white));
        });
        QCOMPARE(v.value(), QPointF(0, 0)); // nothing moves before the first frame
        QVERIFY(v.isAnimating());
        m_clock.advance(0.05);
        QVERIFY(v.value().x() > 0 && v.value().x() < 100);
        QVERIFY(c.value().redF() > 0 && c.value().redF() < 1);
        m_clock.advance(within);
        QCOMPARE(v.value(), QPointF(100, -50));
        QCOMPARE(c.value(), QColor(Qt::white));
        QVERIFY(!v.isAnimating());
        QCOMPARE(m_clock.tickerCount(), 0);
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
        // Still moving up for a moment: the velocity carried over.
        QVERIFY(v.value() > before);
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
};

class TransitionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scalesAboutItsAnchor()
    {
        QGraphicsScene scene;
        auto* item = new TransitionItem(Transition::scaled(0.5, UnitPoint::leading()));
        scene.addItem(item);
        item->setAnchorRect(QRectF(100, 100, 200, 100));
        // Fully out: the leading edge's middle stays put, the rest shrinks towards it.
        QCOMPARE(item->transform().map(QPointF(100, 150)), QPointF(100, 150));
        QCOMPARE(item->transform().map(QPointF(300, 150)), QPointF(200, 150));
        QCOMPARE(Transition::opacity().opacityAt(1.2), 1.0); // a spring's overshoot never brightens
    }

    void isRemovedOnlyAfterItsOutTransition()
    {
        AnimationClock& clock = AnimationClock::shared();
        clock.setManual(true);
        QGraphicsScene scene;
        QPointer<TransitionItem> item =
            new TransitionItem(Transition::scaled(0.9).combined(Transition::opacity()));
        scene.addItem(item);
        auto* panel = new RoomItem(item);
        panel->setSize(QSizeF(100, 100));
        panel->gestures().onTap([] {});
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
};

PONDSILL_TEST(SpringTest)
PONDSILL_TEST(AnimatedValueTest)
PONDSILL_TEST(TransitionTest)
#include "animation_test.moc"
