// A room the session ends (logout, a closed terminal, Ctrl+C) goes the way a quit from its
// menu does: what runs on the way out, the notes' last save among it, runs.
#include "support/test_registry.h"

#include <QProcess>
#include <QTest>

#include <csignal>

class QuitSignalsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theSessionsSignalsEndTheLoop_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
        QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
        QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
    }
    void theSessionsSignalsEndTheLoop()
    {
        QFETCH(int, signal);
        QProcess probe;
        probe.start(QStringLiteral(QUIT_SIGNAL_PROBE), {});
        QVERIFY(probe.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine() || probe.waitForReadyRead(100), 20000);
        QCOMPARE(probe.readLine().trimmed(), QByteArray("ready"));
        ::kill(pid_t(probe.processId()), signal);
        QVERIFY(probe.waitForFinished(20000));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        QCOMPARE(probe.readAll().trimmed(), QByteArray("leaving"));
    }
};

PONDSILL_TEST(QuitSignalsTest)
#include "quit_signals_test.moc"
