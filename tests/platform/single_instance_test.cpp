#include "platform/single_instance.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kName = QStringLiteral("id.marrowick.PondsillTest");

// A second client of the same bus, as a second start of the program would be.
QDBusConnection otherClient(const QString& id)
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, id);
}
} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void laterStartsAskTheFirst()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        SingleInstance first(QDBusConnection::sessionBus(), kName);
        QSignalSpy asked(&first, &SingleInstance::showRequested);
        QVERIFY(first.claim());

        for (int start = 1; start <= 2; ++start) {
            QDBusConnection bus = otherClient(QStringLiteral("start-%1").arg(start));
            {
                SingleInstance later(bus, kName);
                QVERIFY(!later.claim());
                QVERIFY(later.askRunningToShow());
            }
            QDBusConnection::disconnectFromBus(bus.name());
            QCOMPARE(asked.count(), start);
        }
    }

    void nameIsFreeOnceTheRoomEnds()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        QDBusConnection bus = otherClient(QStringLiteral("next-room"));
        {
            SingleInstance first(QDBusConnection::sessionBus(), kName);
            QVERIFY(first.claim());
        }
        QTRY_VERIFY(!bus.interface()->isServiceRegistered(kName).value());
        {
            SingleInstance next(bus, kName);
            QVERIFY(next.claim());
            QVERIFY(bus.interface()->isServiceRegistered(kName).value());
        }
        QDBusConnection::disconnectFromBus(bus.name());
    }

    void withoutBusEveryStartRuns()
    {
        SingleInstance alone(QDBusConnection(QStringLiteral("none")), kName);
        QVERIFY(alone.claim());
        QVERIFY(!alone.askRunningToShow(100));
    }
};

PONDSILL_TEST(SingleInstanceTest)
#include "single_instance_test.moc"
