#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

const QString SingleInstance::serviceName = QStringLiteral("id.marrowick.Pondsill");
const QString SingleInstance::objectPath = QStringLiteral("/id/marrowick/Pondsill");

namespace {
const QString kApplicationInterface = QStringLiteral("org.freedesktop.Application");
// What a later start says over the socket, and what the room answers once it has shown.
constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShownReply = "shown\n";
constexpr int kAnswerWithinMs = 3000;

// A folder only this user can enter: ours, a real folder (no link), closed to others.
bool isPrivateFolder(const QByteArray& path)
{
    struct stat info {};
    return !path.isEmpty() && ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

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
    if (m_server)
        m_server->close(); // removes the socket
    // The lock file stays: removing it could let two later starts lock two different files.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::runtimeFolder()
{
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray fromEnvironment = qgetenv("XDG_RUNTIME_DIR");
    if (isPrivateFolder(fromEnvironment))
        return QFile::decodeName(fromEnvironment);
    // A shell without the variable (a login by su, a remote command) still finds the same.
    const QByteArray perUser = "/run/user/" + uid;
    if (isPrivateFolder(perUser))
        return QFile::decodeName(perUser);
    return shortPrivateFolder(true);
}

QString SingleInstance::shortPrivateFolder(bool make)
{
    // Not the temporary folder of the environment: every start must land on the same one.
    const QByteArray folder = "/tmp/pondsill-" + QByteArray::number(::getuid());
    if (make && ::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // Never another user's folder, nor one others can enter.
    return isPrivateFolder(folder) ? QFile::decodeName(folder) : QString();
}

void SingleInstance::setStorageFolder(const QString& storageFolder, const QString& runtimeFolder)
{
    if (runtimeFolder.isEmpty() || storageFolder.isEmpty()) {
        m_placePrefix.clear();
        return;
    }
    // The same folder reached through a link is the same room, also before it exists: the
    // nearest folder above it that exists is resolved and the rest joined on.
    QString folder = QDir::cleanPath(QFileInfo(storageFolder).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(folder) && folder != QLatin1String("/")) {
        rest = QLatin1Char('/') + QFileInfo(folder).fileName() + rest;
        folder = QFileInfo(folder).path();
    }
    const QString real = QFileInfo(folder).canonicalFilePath();
    folder = QDir::cleanPath((real.isEmpty() ? folder : real) + rest);
    const QByteArray key =
        QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    m_placePrefix = runtimeFolder + QStringLiteral("/pondsill-") + QString::fromLatin1(key);
}

QString SingleInstance::lockPath() const
{
    return m_placePrefix.isEmpty() ? QString() : m_placePrefix + QStringLiteral(".lock");
}

QString SingleInstance::socketPath() const
{
    return m_placePrefix.isEmpty() ? QString() : m_placePrefix + QStringLiteral(".socket");
}

QString SingleInstance::listeningPath() const
{
    return m_server && m_server->isListening() ? m_server->fullServerName() : QString();
}

QString SingleInstance::fallbackPrefix(bool make) const
{
    if (m_placePrefix.isEmpty())
        return {};
    const QString folder = shortPrivateFolder(make);
    if (folder.isEmpty())
        return {};
    // Named after the whole place, runtime folder included: two runtime folders hold two
    // rooms for the same storage folder.
    const QByteArray key =
        QCryptographicHash::hash(QFile::encodeName(m_placePrefix), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    const QString prefix = folder + QStringLiteral("/pondsill-") + QString::fromLatin1(key);
    return prefix == m_placePrefix ? QString() : prefix;
}

QString SingleInstance::fallbackSocketPath(bool make) const
{
    const QString prefix = fallbackPrefix(make);
    return prefix.isEmpty() ? QString() : prefix + QStringLiteral(".socket");
}

QString SingleInstance::fallbackLockPath(bool make) const
{
    const QString prefix = fallbackPrefix(make);
    return prefix.isEmpty() ? QString() : prefix + QStringLiteral(".lock");
}

SingleInstance::Lock SingleInstance::lockAt(const QString& place, bool make, int& taken)
{
    if (place.isEmpty())
        return Lock::Unavailable;
    const QByteArray path = QFile::encodeName(place);
    // Held by the open file: the kernel lets go when this process ends however it ends, so a
    // room that was killed leaves nothing that blocks the next start. Programs the room
    // starts do not inherit it.
    int fd = make ? ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)
                  : ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    // A folder made read-only still holds the lock file of an earlier room: a lock needs no
    // writing.
    if (fd < 0 && (errno == EROFS || errno == EACCES))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return Lock::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Lock::Held : Lock::Unavailable;
    }
    taken = fd;
    return Lock::Taken;
}

bool SingleInstance::claim()
{
    if (!m_placePrefix.isEmpty()) {
        // Beside the socket's place, else (a runtime folder that is closed to writing and
        // holds no lock file yet) in the short folder of the user's own that a later start,
        // meeting the same runtime folder, turns to as well.
        m_lockPlace = lockPath();
        Lock lock = lockAt(m_lockPlace, true, m_lockFd);
        if (lock == Lock::Unavailable) {
            m_lockPlace = fallbackLockPath(true);
            lock = lockAt(m_lockPlace, true, m_lockFd);
        } else if (lock == Lock::Taken) {
            // A room that started while the runtime folder was closed may run there still.
            int other = -1;
            const QString otherPlace = fallbackLockPath(false);
            const Lock there = lockAt(otherPlace, false, other);
            if (other >= 0)
                ::close(other);
            if (there == Lock::Held) {
                ::close(std::exchange(m_lockFd, -1));
                m_lockPlace = otherPlace;
                lock = Lock::Held;
            }
        }
        if (lock == Lock::Taken) {
            // Which process holds it, for people and tools; the lock is what counts.
            const QByteArray pid = QByteArray::number(::getpid()) + '\n';
            const bool noted = ::ftruncate(m_lockFd, 0) == 0 &&
                               ::write(m_lockFd, pid.constData(), size_t(pid.size())) == pid.size();
            Q_UNUSED(noted)
            m_server = new QLocalServer(this);
            m_server->setSocketOptions(QLocalServer::UserAccessOption);
            connect(m_server, &QLocalServer::newConnection, this, [this] {
                while (QLocalSocket* socket = m_server->nextPendingConnection())
                    answer(socket);
            });
            // Beside the lock, else (a runtime folder that is read-only, or whose path is too
            // long for a socket's address) in the short folder of the user's own that later
            // starts look in too. A socket left by a room that was killed answers nobody:
            // it goes, as this process holds the lock for both places.
            const auto listenAt = [this](const QString& place) {
                if (place.isEmpty())
                    return false;
                QLocalServer::removeServer(place);
                return m_server->listen(place);
            };
            if (!listenAt(socketPath()) && !listenAt(fallbackSocketPath(true)))
                qWarning("pondsill: later starts can reach this room only over the session "
                         "bus: %s",
                         qPrintable(m_server->errorString()));
            claimBusName(); // for the desktop's launchers; another room may own it
            return true;
        }
        if (lock == Lock::Held) {
            m_heldElsewhere = true;
            return false;
        }
        // No lock to be had anywhere: the bus decides alone.
        m_lockPlace.clear();
    }
    return claimBusName();
}

bool SingleInstance::claimBusName()
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

void SingleInstance::answer(QLocalSocket* socket)
{
    socket->setParent(this);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Whatever comes is only looked at up to the one request there is; a peer that says
    // something else, too much or nothing for long is hung up on.
    QTimer::singleShot(kAnswerWithinMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->bytesAvailable() < kShowRequest.size())
            return;
        const QByteArray request = socket->read(kShowRequest.size());
        if (request != kShowRequest) {
            socket->abort();
            return;
        }
        Q_EMIT showRequested();
        socket->write(kShownReply.data(), kShownReply.size());
        socket->disconnectFromServer();
    });
}

bool SingleInstance::askRunningToShow(int timeoutMs)
{
    if (m_heldElsewhere)
        return askOverSocket(timeoutMs);
    return askOverBus(timeoutMs);
}

bool SingleInstance::askOverSocket(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // The room may hold its lock a moment before it listens: try again until the deadline.
    // It listens in one of the places; a socket a killed room left in a folder it could not
    // be removed from refuses at once.
    do {
        for (const QString& place : {socketPath(), fallbackSocketPath(false)}) {
            if (place.isEmpty())
                continue;
            QLocalSocket socket;
            socket.connectToServer(place);
            if (!socket.waitForConnected(int(deadline.remainingTime())))
                continue;
            socket.write(kShowRequest.data(), kShowRequest.size());
            QByteArray reply;
            while (reply.size() < kShownReply.size() &&
                   socket.waitForReadyRead(int(deadline.remainingTime())))
                reply += socket.read(kShownReply.size() - reply.size());
            return reply == kShownReply;
        }
        // A room that could make no socket still owns its name on the bus, when this start
        // shares its bus: the name's owner is the process holding the lock.
        if (holderOwnsBusName())
            return askOverBus(int(deadline.remainingTime()));
        QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

bool SingleInstance::holderOwnsBusName() const
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    QFile lock(m_lockPlace);
    if (!lock.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const uint holder = lock.readLine(32).trimmed().toUInt(&ok);
    if (!ok || holder == 0)
        return false;
    const QDBusReply<uint> owner = m_bus.interface()->servicePid(m_name);
    return owner.isValid() && owner.value() == holder;
}

bool SingleInstance::askOverBus(int timeoutMs)
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
