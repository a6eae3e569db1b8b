#include "platform/file_manager_reveal.h"
#include "platform/single_instance.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString kName = u"id.marrowick.PondsillTest"_s;

// Stands in for a file manager on the test's private session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> requests;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { requests.append(uris); }
};
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
