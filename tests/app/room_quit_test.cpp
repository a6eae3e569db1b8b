// A room the session ends (logout, a closed terminal, Ctrl+C) keeps what was just typed into
// a note: in notes.json, or in the state folder where the storage folder refuses it. The room
// runs as the program starts it, in a process of its own with a home of its own and no
// session bus, so that it never meets the user's real room.
#include "storage/sticky_note.h"
#include "support/plain_user.h"
#include "support/scratch_folder.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

class RoomQuitTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedNotesOutliveTheSessionsEnd_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("refusing"); // whether the storage folder refuses the notes
        QTest::newRow("SIGTERM (logout), refused") << int(SIGTERM) << true;
        QTest::newRow("SIGHUP (terminal closed), refused") << int(SIGHUP) << true;
        QTest::newRow("SIGINT (Ctrl+C), refused") << int(SIGINT) << true;
        QTest::newRow("SIGTERM (logout), saved") << int(SIGTERM) << false;
    }
    void typedNotesOutliveTheSessionsEnd()
    {
        QFETCH(int, signal);
        QFETCH(bool, refusing);
        const ScratchFolder sandbox;
        QVERIFY(sandbox.isValid());
        const QString home = sandbox.path() + u"/home"_s;
        const QString root = home + u"/Documents/RidezozEvar"_s;
        const QString notesFile = root + u"/notes.json"_s;
        const QString state = sandbox.path() + u"/state"_s;
        const QString runtime = sandbox.path() + u"/runtime"_s;
        for (const QString& folder : {root + u"/Rak"_s, root + u"/Karpet"_s, root + u"/Album"_s,
                                      sandbox.path() + u"/data"_s, sandbox.path() + u"/config"_s,
                                      sandbox.path() + u"/cache"_s, state, runtime})
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
        StickyNote note;
        note.title = u"Belanja"_s;
        note.freeformText = u"roti"_s;
        const QByteArray before = *encodeStickyNotes({note});
        writeFile(notesFile, before);
        const std::optional<QStringList> asUser = plainUserCommand({sandbox.path()});
        QVERIFY(asUser);
        if (refusing)
            QVERIFY(::chmod(QFile::encodeName(root).constData(), 0555) == 0);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, home);
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        for (const auto& [name, sub] : {std::pair{u"XDG_DATA_HOME"_s, u"/data"_s},
                                        {u"XDG_CONFIG_HOME"_s, u"/config"_s},
                                        {u"XDG_CACHE_HOME"_s, u"/cache"_s},
                                        {u"XDG_STATE_HOME"_s, u"/state"_s}})
            environment.insert(name, sandbox.path() + sub);
        QProcess probe;
        probe.setProcessEnvironment(environment);
        const QStringList command =
            *asUser + QStringList{QStringLiteral(ROOM_QUIT_PROBE), u", susu"_s, u"roti"_s};
        probe.start(command.first(), command.mid(1));
        QVERIFY(probe.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine() || probe.state() != QProcess::Running, 60000);
        // A probe that never got going says why on its standard error.
        const QByteArray first = probe.readLine().trimmed();
        QVERIFY2(first == "ready", (first + ' ' + probe.readAllStandardError()).constData());
        ::kill(pid_t(probe.processId()), signal);
        QVERIFY(probe.waitForFinished(60000));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        const QString printed = QString::fromUtf8(probe.readAllStandardOutput());

        // The text of the one note `notes` holds.
        const auto typedIn = [](const QByteArray& notes) {
            const std::optional<QList<StickyNote>> decoded = decodeStickyNotes(notes);
            return decoded && decoded->size() == 1 ? decoded->first().freeformText : QString();
        };
        const QStringList kept =
            QDir(state + u"/pondsill"_s).entryList({u"notes.unsaved-*.json"_s}, QDir::Files);
        if (!refusing) {
            QCOMPARE(typedIn(contentOf(notesFile)), u"roti, susu"_s);
            QCOMPARE(kept, QStringList());
            return;
        }
        QCOMPARE(contentOf(notesFile), before);
        QCOMPARE(kept.size(), 1);
        const QString keptPath = state + u"/pondsill/"_s + kept.first();
        const QJsonValue notes = QJsonDocument::fromJson(contentOf(keptPath))[u"notes"_s];
        QCOMPARE(typedIn(QJsonDocument(notes.toArray()).toJson()), u"roti, susu"_s);
        QVERIFY2(printed.contains(u"Catatan tidak bisa disimpan di "_s + notesFile +
                                  u"; salinannya ada di "_s + keptPath + u'\n'),
                 qPrintable(printed));
    }
};

PONDSILL_TEST(RoomQuitTest)
#include "room_quit_test.moc"
