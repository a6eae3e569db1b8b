#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>

// A desktop of fake applications for tests of anything that starts a program through GIO.
// Each application is a .desktop file whose Exec writes one line (the arguments it was
// given) to a marker file, so a test sees what was started and with what. Defaults go to a
// mimeapps.list, the types each application handles to a mimeinfo.cache; programs on PATH are
// scripts in a folder that is the whole PATH while the registry lives. The test main points
// XDG_DATA_DIRS and XDG_CONFIG_DIRS at copies of the system folders without their applications
// (isolateProcess), so no real program is ever found; GIO reads its folders once per process, so
// the registry writes into the folders GIO already uses and waits until GIO has read them
// (waitUntilSeen).
//
//     FakeAppRegistry apps;
//     apps.addApp("org.gnome.Rhythmbox3.desktop");
//     apps.setDefault("x-scheme-handler/https", apps.addApp("browser.desktop",
//     {"x-scheme-handler/https"})); QVERIFY(apps.waitUntilSeen());
//     ... click ...
//     QVERIFY(apps.launchedOnly("org.gnome.Rhythmbox3.desktop"));
class FakeAppRegistry {
public:
    FakeAppRegistry();
    ~FakeAppRegistry();
    FakeAppRegistry(const FakeAppRegistry&) = delete;
    FakeAppRegistry& operator=(const FakeAppRegistry&) = delete;

    // False when GIO could still see the real system's applications (the test main did not
    // isolate the process before GIO first read its folders).
    bool isIsolated() const;

    // An application known by `desktopId` that handles `mimeTypes` ("audio/mpeg",
    // "x-scheme-handler/https"); returns the id.
    QString addApp(const QString& desktopId, const QStringList& mimeTypes = {});
    // Uninstalls an application (and drops it as a default).
    void removeApp(const QString& desktopId);
    // `desktopId` becomes the default application of `mimeType`.
    void setDefault(const QString& mimeType, const QString& desktopId);
    // A program named `name` on PATH.
    void addProgram(const QString& name);

    // Waits until GIO finds exactly the applications and defaults written here. The waits
    // end as soon as what they wait for happens; their long limits only matter on a machine
    // loaded with sanitized builds.
    bool waitUntilSeen(int timeoutMs = 20000);

    // The argument lines of each start of `name` (a desktop id or a program name).
    QStringList launches(const QString& name) const;
    // Every name started so far.
    QStringList launchedNames() const;
    // Waits until `name` has started once.
    bool waitForLaunch(const QString& name, int timeoutMs = 20000) const;
    // Waits until `name` has started, then a moment more, and checks that it alone started,
    // once.
    bool launchedOnly(const QString& name, int timeoutMs = 20000) const;
    // Waits a moment and checks that nothing started.
    bool nothingLaunched(int graceMs = 300) const;

    // Called by the test main before anything reads the XDG folders: system data and
    // config folders become links to the real ones without applications or defaults.
    static void isolateProcess(const QString& root);

private:
    QString writeScript(const QString& path, const QString& name) const;
    QString markerPath(const QString& name) const;
    void writeMimeApps() const;
    void writeMimeInfoCache() const;
    bool gioAgrees() const;

    QTemporaryDir m_dir;
    QString m_applications;
    QString m_mimeApps;
    QByteArray m_savedPath;
    std::map<QString, QStringList> m_apps; // desktop id -> MIME types
    std::map<QString, QString> m_defaults; // MIME type -> desktop id
    mutable QString m_disagreement;
};
