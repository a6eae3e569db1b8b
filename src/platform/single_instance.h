#pragma once

#include <QDBusConnection>
#include <QObject>

class QLocalServer;
class QLocalSocket;

// One room per user and storage folder. The first start holds a lock in the user's runtime
// folder (where it cannot make one there, in a short folder of the user's own in /tmp) for
// its whole life and listens on a local socket beside it; a later start, from
// whatever session bus or none, finds the lock held, asks over the socket for the room to
// be shown and ends. The first start also owns a well-known name on the session bus and
// answers the freedesktop application interface there, for the desktop's own launchers.
// Without a usable runtime folder the bus name alone decides, and without a bus as well
// every start runs on its own.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString objectPath;

    explicit SingleInstance(const QDBusConnection& bus, const QString& name = serviceName,
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // Makes the claim one per `storageFolder` (the folder the room keeps files in), with its
    // lock and socket in `runtimeFolder`. Called before claim().
    void setStorageFolder(const QString& storageFolder,
                          const QString& runtimeFolder = SingleInstance::runtimeFolder());
    // The user's runtime folder (XDG_RUNTIME_DIR, else /run/user/UID, else a folder of the
    // user's own in /tmp), each only when it is the user's and closed to others; empty when
    // none is.
    static QString runtimeFolder();

    // True when this process is the one that runs the room: it now holds the lock (or, with
    // no lock to take, owns the bus name), or there is nothing to share. False when another
    // process already runs the room.
    bool claim();
    // Asks the process that runs the room to show it; true once it has answered. Blocks for
    // at most `timeoutMs` (only a start that is about to end calls it).
    bool askRunningToShow(int timeoutMs = 5000);

    // Where the lock and the socket are; empty without a storage folder.
    QString lockPath() const;
    QString socketPath() const;
    // Where this room listens: socketPath(), or a short place of the user's own in /tmp when
    // the socket cannot be made there; empty when it listens nowhere.
    QString listeningPath() const;

Q_SIGNALS:
    // Another start asked for the room.
    void showRequested();

private:
    // The folder /tmp/pondsill-UID, made when missing if `make`; empty unless it is the
    // user's own and closed to others.
    static QString shortPrivateFolder(bool make);
    // The place in that folder for this storage and runtime folder; empty when there is none.
    QString fallbackPrefix(bool make) const;
    // Where the room listens when socketPath() will not do, and where it holds its lock when
    // lockPath() cannot be made; empty when that is nowhere.
    QString fallbackSocketPath(bool make) const;
    QString fallbackLockPath(bool make) const;
    enum class Lock { Taken, Held, Unavailable };
    // Takes the lock at `place` (making its file if `make`) into `taken`, or finds it held.
    static Lock lockAt(const QString& place, bool make, int& taken);
    // Whether the bus name is owned by the process that holds the lock.
    bool holderOwnsBusName() const;
    bool claimBusName();
    bool askOverBus(int timeoutMs);
    bool askOverSocket(int timeoutMs);
    void answer(QLocalSocket* socket);

    QDBusConnection m_bus;
    QString m_name;
    bool m_registered = false;
    QString m_placePrefix; // runtime folder + "/pondsill-" + key
    QString m_lockPlace;   // the lock this room holds, or the one held by the room that runs
    int m_lockFd = -1;
    bool m_heldElsewhere = false;
    QLocalServer* m_server = nullptr;
};
