#include "platform/power_profile_monitor.h"
#include "state/app_state.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {
// Stands in for power-profiles-daemon on a private session bus.
class FakePowerProfiles : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.hadess.PowerProfiles")
    Q_PROPERTY(QString ActiveProfile MEMBER profile)
public:
    explicit FakePowerProfiles(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    QString profile = QStringLiteral("power-saver");

    void switchTo(QDBusConnection& bus, const QString& to)
    {
        profile = to;
        QDBusMessage signal = QDBusMessage::createSignal(
            PowerProfileMonitor::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << PowerProfileMonitor::interfaceName
               << QVariantMap{{QStringLiteral("ActiveProfile"), to}} << QStringList();
        bus.send(signal);
    }
};
} // namespace

class PowerProfileMonitorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void followsTheDaemonLive()
    {
        QDBusConnection service =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-ppd"));
        if (!service.isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        QObject object;
        auto* fake = new FakePowerProfiles(&object);
        QVERIFY(service.registerObject(PowerProfileMonitor::objectPath, &object,
                                       QDBusConnection::ExportAdaptors));
        QVERIFY(service.registerService(PowerProfileMonitor::serviceName));

        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        PowerProfileMonitor monitor(QDBusConnection::sessionBus());
        AppState state(&settings, &monitor);
        QTRY_VERIFY(state.isLowPower()); // read at creation

        QSignalSpy spy(&state, &AppState::isLowPowerChanged);
        fake->switchTo(service, QStringLiteral("performance"));
        QTRY_VERIFY(!state.isLowPower());
        fake->switchTo(service, QStringLiteral("power-saver"));
        QTRY_VERIFY(state.isLowPower());
        QCOMPARE(spy.count(), 2);

        // The daemon going away leaves the machine out of low power.
        service.unregisterService(PowerProfileMonitor::serviceName);
        QTRY_VERIFY(!state.isLowPower());
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-ppd"));
    }
};

PONDSILL_TEST(PowerProfileMonitorTest)
#include "power_profile_monitor_test.moc"
