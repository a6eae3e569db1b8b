#include "platform/power_profile_monitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

const QString PowerProfileMonitor::serviceName = QStringLiteral("net.hadess.PowerProfiles");
const QString PowerProfileMonitor::objectPath = QStringLiteral("/net/hadess/PowerProfiles");
const QString PowerProfileMonitor::interfaceName = QStringLiteral("net.hadess.PowerProfiles");

namespace {
constexpr int kCallTimeoutMs = 500;
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
} // namespace

PowerProfileMonitor::PowerProfileMonitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(serviceName, objectPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"),
                  this, SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    m_watcher = new QDBusServiceWatcher(serviceName, m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { refresh(); });
    refresh();
}

void PowerProfileMonitor::refresh()
{
    // Asynchronous: the daemon may be slow to answer, and the room must not wait for it.
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath,
                                                       kPropertiesInterface, QStringLiteral("Get"));
    call << interfaceName << QStringLiteral("ActiveProfile");
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                    setProfile({});
                    return;
                }
                setProfile(
                    reply.arguments().constFirst().value<QDBusVariant>().variant().toString());
            });
}

void PowerProfileMonitor::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                              const QStringList& invalidated)
{
    if (interface != interfaceName)
        return;
    const QString key = QStringLiteral("ActiveProfile");
    if (changed.contains(key))
        setProfile(changed.value(key).toString());
    else if (invalidated.contains(key))
        refresh();
}

void PowerProfileMonitor::setProfile(const QString& profile)
{
    const bool low = profile == QLatin1String("power-saver");
    if (low == m_lowPower)
        return;
    m_lowPower = low;
    Q_EMIT lowPowerChanged();
}
