#include "platform/file_manager_reveal.h"
#include "platform/single_instance.h"
#include "support/plain_user.h"
#include "support/scratch_mount.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString kName = u"id.marrowick.PondsillTest"_s;

// How a runtime folder fails to hold what a room puts there.
enum class Runtime { ReadOnlyAfterKill, Closed, LongPath };

// Stands in for a file manager on the test's private session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> requests;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { requests.append(uris); }
};
// A start of the program in a process of its own, on a session bus of its own; `asUser` is
// put in front of the command.
class Start {
public:
    Start(const QString& storage, const QString& runtime, const QStringList& asUser = {})
    {
        const QStringList command =
            asUser + QStringList{QStandardPaths::findExecutable(u"dbus-run-session"_s), u"--"_s,
                                 QStringLiteral(SINGLE_INSTANCE_PROBE), storage, runtime};
        m_process.start(command.first(), command.mid(1));
    }
    ~Start()
    {
        if (m_pid > 0)
            ::kill(pid_t(m_pid), SIGKILL);
        m_process.waitForFinished(10000);
    }
    // The next line it prints, within a generous time for a loaded machine.
    QByteArray nextLine()
    {
        const QDeadlineTimer deadline(30000);
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return {};
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("first "))
            m_pid = line.mid(6).toLongLong();
        return line.startsWith("first ") ? QByteArray("first") : line;
    }
    // Ends it at once, as a crash or a kill would.
    void kill()
    {
        ::kill(pid_t(std::exchange(m_pid, 0)), SIGKILL);
        m_process.waitForFinished(10000);
    }
    int exitCode()
    {
        m_process.waitForFinished(30000);
        return m_process.state() == QProcess::NotRunning ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    qint64 m_pid = 0;
};

QString privateFolder(const QTemporaryDir& dir)
{
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return dir.path();
}
} // namespace

// The single instance of the room and the file manager it shows items in, on the session bus.
class SessionBusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void laterStartsAskTheFirstAndTheNameIsFreedAtTheEnd()
    {
        SingleInstance alone(QDBusConnection(u"none"_s), kName); // without a bus every start runs
        QVERIFY(alone.claim());
        QVERIFY(!alone.askRunningToShow(100));
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"next"_s);
        {
            SingleInstance first(QDBusConnection::sessionBus(), kName);
            QSignalSpy asked(&first, &SingleInstance::showRequested);
            QVERIFY(first.claim());
            for (int start = 1; start <= 2; ++start) {
                const QString id = u"start-"_s + QString::number(start);
                auto later = std::make_unique<SingleInstance>(
                    QDBusConnection::connectToBus(QDBusConnection::SessionBus, id), kName);
                QVERIFY(!later->claim() && later->askRunningToShow());
                later.reset();
                QDBusConnection::disconnectFromBus(id);
                QCOMPARE(asked.count(), start);
            }
        }
        QTRY_VERIFY(!bus.interface()->isServiceRegistered(kName).value());
        {
            SingleInstance next(bus, kName);
            QVERIFY(next.claim());
            QVERIFY(bus.interface()->isServiceRegistered(kName).value());
        }
        QDBusConnection::disconnectFromBus(bus.name());
    }

    // One room per storage folder whatever the bus: starts on buses of their own show the
    // running room and end; another storage folder has a room of its own; a room that was
    // killed keeps no later start from running.
    void oneRoomPerStorageFolderOnAnyBus()
    {
        if (QStandardPaths::findExecutable(u"dbus-run-session"_s).isEmpty())
            QSKIP("dbus-run-session is not installed");
        QTemporaryDir runtimeDir, storage;
        const QString runtime = privateFolder(runtimeDir);
        const QString files = storage.filePath(u"RidezozEvar"_s);
        auto first = std::make_unique<Start>(files, runtime);
        QCOMPARE(first->nextLine(), "first");
        for (int later = 0; later < 2; ++later) {
            Start again(files, runtime);
            QCOMPARE(again.nextLine(), "shown");
            QCOMPARE(again.exitCode(), 0);
            QCOMPARE(first->nextLine(), "asked");
        }
        // The same folder reached through a link is the same room.
        QVERIFY(QFile::link(storage.path(), storage.filePath(u"link"_s)));
        {
            Start viaLink(storage.filePath(u"link/RidezozEvar"_s), runtime);
            QCOMPARE(viaLink.nextLine(), "shown");
            QCOMPARE(first->nextLine(), "asked");
        }
        Start elsewhere(storage.filePath(u"Other"_s), runtime);
        QCOMPARE(elsewhere.nextLine(), "first");

        first->kill();
        SingleInstance place(QDBusConnection(u"none"_s), kName);
        place.setStorageFolder(files, runtime);
        QVERIFY(QFile::exists(place.lockPath()) && QFile::exists(place.socketPath())); // left over
        Start next(files, runtime);
        QCOMPARE(next.nextLine(), "first");
        Start afterIt(files, runtime);
        QCOMPARE(afterIt.nextLine(), "shown");
        QCOMPARE(next.nextLine(), "asked");
    }

    // A room whose runtime folder cannot hold its socket (read-only, with the socket of a room
    // that was killed still in it; or a path too long for a socket's address) listens in a
    // short folder of the user's own instead, where later starts find it. Where the runtime
    // folder cannot hold the lock either (closed to writing before any room made one), the
    // lock goes there too, and starts from other buses still find the room.
    void laterStartsReachARoomWhoseSocketCannotBeBesideItsLock_data()
    {
        QTest::addColumn<Runtime>("runtimeFolder");
        QTest::newRow("read-only runtime folder after a kill") << Runtime::ReadOnlyAfterKill;
        QTest::newRow("runtime folder closed to writing before any room") << Runtime::Closed;
        QTest::newRow("runtime folder path too long for a socket") << Runtime::LongPath;
    }
    void laterStartsReachARoomWhoseSocketCannotBeBesideItsLock()
    {
        QFETCH(Runtime, runtimeFolder);
        if (QStandardPaths::findExecutable(u"dbus-run-session"_s).isEmpty())
            QSKIP("dbus-run-session is not installed");
        QTemporaryDir runtimeDir, storage;
        QString runtime = privateFolder(runtimeDir);
        const QFileDevice::Permissions open =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        const QFileDevice::Permissions closed = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
        // Read-only for anyone, root too: a file system of its own mounted read-only; else,
        // for a user who may not mount, a folder closed to writing.
        std::unique_ptr<ScratchMount> mount;
        QStringList asUser;
        if (runtimeFolder == Runtime::ReadOnlyAfterKill) {
            mount = std::make_unique<ScratchMount>("tmpfs", runtime);
            if (!mount->isMounted() && ::geteuid() == 0)
                QSKIP(qPrintable(u"cannot mount a file system to make read-only: "_s +
                                 mount->error()));
            QFile::setPermissions(runtime, open);
        } else if (runtimeFolder == Runtime::Closed) {
            // Root ignores the folder's mode: the starts run as a plain user.
            const std::optional<QStringList> plain =
                plainUserCommand({runtimeDir.path(), storage.path()});
            if (!plain)
                QSKIP("cannot run the starts as a plain user");
            asUser = *plain;
            QFile::setPermissions(runtime, closed);
        } else {
            runtime += u'/' + QString(120, u'r');
            QVERIFY(QDir().mkpath(runtime));
            QFile::setPermissions(runtime, open);
        }
        const QString files = storage.filePath(u"RidezozEvar"_s);
        if (runtimeFolder == Runtime::ReadOnlyAfterKill) {
            Start killed(files, runtime);
            QCOMPARE(killed.nextLine(), "first");
            killed.kill();
            if (mount->isMounted())
                QVERIFY(mount->makeReadOnly());
            else
                QFile::setPermissions(runtime, closed);
        }
        Start first(files, runtime, asUser);
        QCOMPARE(first.nextLine(), "first");
        for (int later = 0; later < 2; ++later) {
            Start again(files, runtime, asUser);
            QCOMPARE(again.nextLine(), "shown");
            QCOMPARE(again.exitCode(), 0);
            QCOMPARE(first.nextLine(), "asked");
        }
        first.kill();
        // The same in this process: the socket's place is the user's own, and with no bus at
        // all a later start still finds the room.
        const auto inThisProcess = [&]() -> int {
            SingleInstance room(QDBusConnection(u"none"_s), kName);
            room.setStorageFolder(files, runtime);
            if (!room.claim())
                return plainUserFailure(1, u"the first start could not claim the room"_s);
            const QString place = room.listeningPath();
            if (!place.startsWith(u"/tmp/pondsill-%1/"_s.arg(::getuid())) ||
                QFileInfo(QFileInfo(place).path()).ownerId() != ::getuid())
                return plainUserFailure(2, u"it listens at "_s + place);
            SingleInstance later(QDBusConnection(u"none"_s), kName);
            later.setStorageFolder(files, runtime);
            return later.claim() ? plainUserFailure(3, u"a later start claimed it too"_s) : 0;
        };
        const PlainUserOutcome outcome = runtimeFolder == Runtime::Closed
                                             ? asPlainUser(storage.path(), inThisProcess)
                                             : runHere(inThisProcess);
        QFile::setPermissions(runtime, open);
        QVERIFY2(outcome.succeeded(), outcome.report());
    }

    // A storage folder is one place however it is reached and whether or not it exists yet:
    // the room makes it after its start has claimed it.
    void aStorageFolderIsOnePlaceHoweverReached()
    {
        QTemporaryDir base;
        QVERIFY(QDir(base.path()).mkdir(u"real"_s));
        QVERIFY(QFile::link(base.filePath(u"real"_s), base.filePath(u"home"_s)));
        const auto place = [&base](const QString& folder) {
            SingleInstance instance(QDBusConnection(u"none"_s), kName);
            instance.setStorageFolder(base.filePath(folder), u"/run/x"_s);
            return instance.lockPath();
        };
        const QString before = place(u"home/Documents/RidezozEvar"_s);
        QVERIFY(before.startsWith(u"/run/x/pondsill-"_s));
        QVERIFY(QDir().mkpath(base.filePath(u"real/Documents/RidezozEvar"_s)));
        QCOMPARE(place(u"home/Documents/RidezozEvar"_s), before);
        QCOMPARE(place(u"real/Documents/../Documents/RidezozEvar/"_s), before);
        QVERIFY(place(u"real/Documents/Other"_s) != before);
    }

    // Only the one request there is makes the room show itself; anything else on its socket
    // is hung up on, and the room still answers the next start.
    void theRoomsSocketTakesOnlyItsRequest_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("shown");
        QTest::newRow("the request") << QByteArray("show\n") << 1;
        QTest::newRow("the request in two pieces") << QByteArray("sh|ow\n") << 1;
        QTest::newRow("something else") << QByteArray("quit\n") << 0;
        QTest::newRow("a flood") << QByteArray(1 << 20, 'x') << 0;
    }
    void theRoomsSocketTakesOnlyItsRequest()
    {
        QFETCH(QByteArray, sent);
        QTemporaryDir runtimeDir, storage;
        SingleInstance room(QDBusConnection(u"none"_s), kName);
        room.setStorageFolder(storage.path(), privateFolder(runtimeDir));
        QVERIFY(room.claim());
        SingleInstance later(QDBusConnection(u"none"_s), kName);
        later.setStorageFolder(storage.path(), runtimeDir.path());
        QVERIFY(!later.claim()); // the lock is held, also within one process

        QSignalSpy asked(&room, &SingleInstance::showRequested);
        QLocalSocket peer;
        peer.connectToServer(room.socketPath());
        QVERIFY(peer.waitForConnected(5000));
        for (const QByteArray& piece : sent.split('|')) {
            peer.write(piece);
            peer.flush();
            QTest::qWait(20);
        }
        QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        QTEST(int(asked.count()), "shown");
        QCOMPARE(peer.readAll(), asked.count() ? QByteArray("shown\n") : QByteArray());
    }

    // A floor file can be a link whose target is gone: it is still shown, as itself.
    void revealsTheRealEntryOrThePathAsGiven()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(u"real.txt"_s);
        QFile(target).open(QIODevice::WriteOnly);
        const QString link = dir.filePath(u"link.txt"_s);
        const QString dangling = dir.filePath(u"dangling.txt"_s);
        QVERIFY(QFile::link(target, link));
        QVERIFY(QFile::link(dir.filePath(u"gone.txt"_s), dangling));
        QCOMPARE(FileManagerReveal::resolvedPath(link), QFileInfo(target).canonicalFilePath());
        QCOMPARE(FileManagerReveal::resolvedPath(dangling), dangling);
    }

    // The file manager selects the items; without one, their folder opens.
    void showsItemsInTheFileManagerOrTheirFolder_data()
    {
        QTest::addColumn<bool>("manager");
        QTest::addColumn<bool>("busConnected");
        QTest::newRow("a file manager answers") << true << true;
        QTest::newRow("nobody answers on the bus") << false << true;
        QTest::newRow("no bus at all") << false << false;
    }
    void showsItemsInTheFileManagerOrTheirFolder()
    {
        QFETCH(bool, manager);
        QFETCH(bool, busConnected);
        QDBusConnection bus =
            busConnected ? QDBusConnection::sessionBus() : QDBusConnection(u"none"_s);
        if (busConnected && !bus.isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        QDBusConnection service =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-fm"_s);
        FakeFileManager fake;
        if (manager) {
            QVERIFY(service.registerObject(FileManagerReveal::objectPath, &fake,
                                           QDBusConnection::ExportAllSlots));
            QVERIFY(service.registerService(FileManagerReveal::serviceName));
        } else if (busConnected &&
                   (bus.interface()->isServiceRegistered(FileManagerReveal::serviceName) ||
                    bus.interface()->activatableServiceNames().value().contains(
                        FileManagerReveal::serviceName))) {
            QSKIP("a file manager answers on this bus"); // never start a real one from a test
        }
        QStringList opened;
        FileManagerReveal reveal(bus, [&opened](const QString& folder) {
            opened.append(folder);
            return true;
        });
        QSignalSpy done(&reveal, &FileManagerReveal::finished);
        reveal.showItems({u"/home/u/Documents/RidezozEvar/Rak"_s,
                          u"/home/u/Documents/RidezozEvar/My \"odd\" #file%.txt"_s});
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), manager);
        const QList<QStringList> requests{{u"file:///home/u/Documents/RidezozEvar/Rak"_s,
                                           u"file:///home/u/Documents/RidezozEvar/"
                                           u"My%20%22odd%22%20%23file%25.txt"_s}};
        QCOMPARE(fake.requests, manager ? requests : QList<QStringList>());
        QCOMPARE(opened, manager ? QStringList() : QStringList{u"/home/u/Documents/RidezozEvar"_s});
        service.unregisterService(FileManagerReveal::serviceName);
        QDBusConnection::disconnectFromBus(u"fake-fm"_s);
    }
};

PONDSILL_TEST(SessionBusTest)
#include "session_bus_test.moc"
