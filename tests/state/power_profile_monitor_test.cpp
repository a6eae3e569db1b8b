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
class FakePowerProfiles : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QString profile = QStringLiteral("balanced");
};

class FakePowerProfilesAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.hadess.PowerProfiles")
    Q_PROPERTY(QString ActiveProfile READ activeProfile)
public:
    explicit FakePowerProfilesAdaptor(FakePowerProfiles* parent)
        : QDBusAbstractAdaptor(parent), m_fake(parent)
    {
    }
    QString activeProfile() const { return m_fake->profile; }

private:
    FakePowerProfiles* m_fake;
};

void switchProfile(QDBusConnection& bus, FakePowerProfiles& fake, const QString& profile)
{
    fake.profile = profile;
    QDBusMessage signal = QDBusMessage::createSignal(
        PowerProfileMonitor::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << PowerProfileMonitor::interfaceName
           << QVariantMap{{QStringLiteral("ActiveProfile"), profile}} << QStringList();
    bus.send(signal);
}
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
        FakePowerProfiles fake;
        new FakePowerProfilesAdaptor(&fake);
        QVERIFY(service.registerObject(PowerProfileMonitor::objectPath, &fake,
                                       QDBusConnection::ExportAdaptors));
        QVERIFY(service.registerService(PowerProfileMonitor::serviceName));
        fake.profile = QStringLiteral("power-saver");

        TempHome home;
        QSettings settings(home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat);
        PowerProfileMonitor monitor(QDBusConnection::sessionBus());
        AppState state(&settings, &monitor);
        QTRY_VERIFY(state.isLowPower()); // read at creation

        QSignalSpy spy(&state, &AppState::isLowPowerChanged);
        switchProfile(service, fake, QStringLiteral("performance"));
        QTRY_VERIFY(!state.isLowPower());
        switchProfile(service, fake, QStringLiteral("power-saver"));
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
