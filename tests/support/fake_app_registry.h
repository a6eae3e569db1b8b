#pragma once

#include <QDir>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <map>

// A desktop of fake applications for tests of anything that starts a program through GIO.
// Each application is a .desktop file whose Exec appends its arguments as one line to a marker
// file, so a test sees what was started and with what. Defaults go to a mimeapps.list, the
// types each application handles to a mimeinfo.cache; programs on PATH are scripts in a folder
// that is the whole PATH while the registry lives. The test main has pointed the system XDG
// folders at copies without applications (isolateProcess), so no real program is ever found.
// GIO reads its folders once per process: the registry writes into the folders GIO already
// uses, and waitUntilSeen() waits until GIO has read them. The waits end as soon as what they
// wait for happens; their long limits only matter on a machine loaded with sanitized builds.
class FakeAppRegistry {
public:
    FakeAppRegistry();
    ~FakeAppRegistry();
    FakeAppRegistry(const FakeAppRegistry&) = delete;
    FakeAppRegistry& operator=(const FakeAppRegistry&) = delete;

    // An application `desktopId` that handles `mimeTypes`; returns the id.
    QString addApp(const QString& desktopId, const QStringList& mimeTypes = {});
    // Uninstalls an application (and drops it as a default).
    void removeApp(const QString& desktopId);
    void setDefault(const QString& mimeType, const QString& desktopId);
    // A program named `name` on PATH.
    void addProgram(const QString& name)
    {
        writeScript(m_dir.filePath(QStringLiteral("bin/") + name), name);
    }
    // Waits until GIO finds exactly the applications and defaults written here.
    bool waitUntilSeen(int timeoutMs = 20000);

    // The argument lines of each start of `name` (a desktop id or a program name).
    QStringList launches(const QString& name) const;
    // Every name started so far.
    QStringList launchedNames() const
    {
        return QDir(m_dir.filePath(QStringLiteral("markers"))).entryList(QDir::Files, QDir::Name);
    }
    bool waitForLaunch(const QString& name, int timeoutMs = 20000) const
    {
        return QTest::qWaitFor([&] { return !launches(name).isEmpty(); }, timeoutMs);
    }
    // Waits until `name` has started, then a moment more: it alone started, once.
    bool launchedOnly(const QString& name, int timeoutMs = 20000) const;
    // Waits a moment: nothing started.
    bool nothingLaunched(int graceMs = 300) const
    {
        QTest::qWait(graceMs);
        return launchedNames().isEmpty();
    }

    // Called by the test main before anything reads the XDG folders: system data and
    // config folders become links to the real ones without applications or defaults. False
    // when GIO could still see the real system's applications.
    static bool isolateProcess(const QString& root);

private:
    QString writeScript(const QString& path, const QString& name) const;
    void writeIndexes() const;
    bool gioAgrees() const;

    QTemporaryDir m_dir;
    QString m_applications;
    QString m_mimeApps;
    QByteArray m_savedPath;
    std::map<QString, QStringList> m_apps; // desktop id -> MIME types
    std::map<QString, QString> m_defaults; // MIME type -> desktop id
    mutable QString m_disagreement;
    // Every id and type any registry of this process wrote: GIO must forget them again.
    static inline QSet<QString> s_idsWritten, s_typesWritten;
};
