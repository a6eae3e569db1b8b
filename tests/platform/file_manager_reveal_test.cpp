#include "platform/file_manager_reveal.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
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

class FileManagerRevealTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A floor file can be a link whose target is gone: it is still shown, as itself.
    void revealsTheRealEntryOrThePathAsGiven()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("real.txt"));
        QFile(target).open(QIODevice::WriteOnly);
        const QString link = dir.filePath(QStringLiteral("link.txt"));
        const QString dangling = dir.filePath(QStringLiteral("dangling.txt"));
        QVERIFY(QFile::link(target, link));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone.txt")), dangling));
        QCOMPARE(FileManagerReveal::resolvedPath(link), QFileInfo(target).canonicalFilePath());
        QCOMPARE(FileManagerReveal::resolvedPath(dangling), dangling);
    }

    void asksTheFileManagerToSelectTheItems()
    {
        QDBusConnection service =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"fake-fm"_s);
        if (!service.isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        FakeFileManager fake;
        QVERIFY(service.registerObject(FileManagerReveal::objectPath, &fake,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(FileManagerReveal::serviceName));

        QStringList opened;
        FileManagerReveal reveal(QDBusConnection::sessionBus(), [&opened](const QString& folder) {
            opened.append(folder);
            return true;
        });
        QSignalSpy done(&reveal, &FileManagerReveal::finished);
        reveal.showItems(
            {u"/home/u/Documents/RidezozEvar/Rak"_s, u"/home/u/My \"odd\" #file%.txt"_s});
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), true);
        QCOMPARE(fake.requests.size(), 1);
        QCOMPARE(fake.requests.at(0),
                 (QStringList{u"file:///home/u/Documents/RidezozEvar/Rak"_s,
                              u"file:///home/u/My%20%22odd%22%20%23file%25.txt"_s}));
        QVERIFY(opened.isEmpty());

        service.unregisterService(FileManagerReveal::serviceName);
        QDBusConnection::disconnectFromBus(u"fake-fm"_s);
    }

    void opensTheParentFolderWithoutAFileManager_data()
    {
        QTest::addColumn<bool>("busConnected");
        QTest::newRow("nobody answers on the bus") << true;
        QTest::newRow("no bus at all") << false;
    }
    void opensTheParentFolderWithoutAFileManager()
    {
        QFETCH(bool, busConnected);
        QDBusConnection bus =
            busConnected ? QDBusConnection::sessionBus() : QDBusConnection(u"none"_s);
        if (busConnected && !bus.isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        // Never start a real file manager from a test.
        if (busConnected && (bus.interface()->isServiceRegistered(FileManagerReveal::serviceName) ||
                             bus.interface()->activatableServiceNames().value().contains(
                                 FileManagerReveal::serviceName)))
            QSKIP("a file manager answers on this bus");
        QStringList opened;
        FileManagerReveal reveal(bus, [&opened](const QString& folder) {
            opened.append(folder);
            return true;
        });
        QSignalSpy done(&reveal, &FileManagerReveal::finished);
        reveal.showItems({u"/home/u/Documents/RidezozEvar/Album"_s});
        QTRY_COMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), false);
        QCOMPARE(opened, QStringList{u"/home/u/Documents/RidezozEvar"_s});
    }
};

PONDSILL_TEST(FileManagerRevealTest)
#include "file_manager_reveal_test.moc"
