#include "kit/time_line.h"
#include "state/app_state.h"
#include "support/test_registry.h"

#include <QSignalSpy>
#include <QTest>

class TimeLineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ticksOnWholeIntervals_data()
    {
        QTest::addColumn<bool>("lowPower");
        QTest::addColumn<int>("stepMs");
        QTest::newRow("30 a second") << false << 34;
        QTest::newRow("20 a second in low-power mode") << true << 50;
    }
    void ticksOnWholeIntervals()
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
            if (i > 0)
                QVERIFY(dates[i] - dates[i - 1] >= stepMs);
        }
    }

    void stopsWhileHiddenAndResumes()
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
        QCOMPARE(canDraw.count(), 1);

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
        QVERIFY(!line.isRunning());
        QVERIFY(!line.canDraw());
        QCOMPARE(canDraw.count(), 3);
    }
};

PONDSILL_TEST(TimeLineTest)
#include "time_line_test.moc"
