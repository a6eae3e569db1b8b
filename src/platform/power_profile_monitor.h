#pragma once

#include <QDBusConnection>
#include <QObject>

class QDBusServiceWatcher;

// Low-power mode on Linux: power-profiles-daemon's active profile is "power-saver".
// Follows the daemon live; with no daemon or no bus the machine is not in low power.
class PowerProfileMonitor : public QObject {
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString objectPath;
    static const QString interfaceName;

    explicit PowerProfileMonitor(const QDBusConnection& bus, QObject* parent = nullptr);

    bool isLowPower() const { return m_lowPower; }

Q_SIGNALS:
    void lowPowerChanged();

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);

private:
    void refresh();
    void setProfile(const QString& profile);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_lowPower = false;
};
