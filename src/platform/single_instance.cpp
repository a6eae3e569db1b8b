#include "platform/single_instance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

const QString SingleInstance::serviceName = QStringLiteral("id.marrowick.Pondsill");
const QString SingleInstance::objectPath = QStringLiteral("/id/marrowick/Pondsill");

namespace {
const QString kApplicationInterface = QStringLiteral("org.freedesktop.Application");

// The part of org.freedesktop.Application a launcher needs: Activate shows the room.
class ApplicationObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit ApplicationObject(SingleInstance* owner) : QObject(owner), m_owner(owner) {}

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData)
        Q_EMIT m_owner->showRequested();
    }

private:
    SingleInstance* m_owner;
};
} // namespace

SingleInstance::SingleInstance(const QDBusConnection& bus, const QString& name, QObject* parent)
    : QObject(parent), m_bus(bus), m_name(name)
{
}

SingleInstance::~SingleInstance()
{
    if (m_registered) {
        m_bus.unregisterObject(objectPath);
        m_bus.unregisterService(m_name);
    }
}

bool SingleInstance::claim()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return true;
    // The object is in place before the name is, so a request never finds the name alone.
    auto* object = new ApplicationObject(this);
    if (!m_bus.registerObject(objectPath, object, QDBusConnection::ExportScriptableSlots)) {
        delete object;
        return true;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_bus.interface()->registerService(m_name, QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_registered = true;
        return true;
    }
    m_bus.unregisterObject(objectPath);
    delete object;
    // A bus that would not answer is no reason to keep the room from starting.
    return !reply.isValid();
}

bool SingleInstance::askRunningToShow(int timeoutMs)
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(m_name, objectPath, kApplicationInterface,
                                                       QStringLiteral("Activate"));
    call << QVariantMap();
    // The event loop keeps turning while the answer is awaited.
    const QDBusMessage reply = m_bus.call(call, QDBus::BlockWithGui, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

#include "single_instance.moc"
