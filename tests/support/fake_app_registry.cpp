#include "support/fake_app_registry.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTest>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {
// Every id and MIME type any registry of this process wrote: GIO must forget them again.
QSet<QString>& idsEverWritten()
{
    static QSet<QString> ids;
    return ids;
}

QSet<QString>& typesEverWritten()
{
    static QSet<QString> types;
    return types;
}

bool writeAtomically(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.commit();
}

QString desktopIdOf(GAppInfo* info)
{
    if (!info)
        return {};
    const QString id = QString::fromUtf8(g_app_info_get_id(info));
    g_object_unref(info);
    return id;
}

// Links every entry of `sources` (first one wins) into `target`, except `skipped` names.
void linkEntries(const QStringList& sources, const QString& target,
                 const std::function<bool(const QString&)>& skipped)
{
    QDir().mkpath(target);
    for (const QString& source : sources) {
        const QDir dir(source);
        for (const QString& name :
             dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
            const QString link = target + QLatin1Char('/') + name;
            if (!skipped(name) && !QFileInfo::exists(link) && !QFileInfo(link).isSymLink())
                QFile::link(dir.filePath(name), link);
        }
    }
}
} // namespace

void FakeAppRegistry::isolateProcess(const QString& root)
{
    auto folders = [](const char* variable, const char* fallback) {
        QString value = qEnvironmentVariable(variable);
        if (value.isEmpty())
            value = QString::fromLatin1(fallback);
        return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    };
    const QString data = root + QStringLiteral("/system-data");
    const QString config = root + QStringLiteral("/system-config");
    linkEntries(folders("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), data,
                [](const QString& name) { return name == QLatin1String("applications"); });
    linkEntries(folders("XDG_CONFIG_DIRS", "/etc/xdg"), config,
                [](const QString& name) { return name.endsWith(QLatin1String("mimeapps.list")); });
    ::setenv("XDG_DATA_DIRS", QFile::encodeName(data).constData(), 1);
    ::setenv("XDG_CONFIG_DIRS", QFile::encodeName(config).constData(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    // GIO watches these; made now, they are watched from the start.
    QDir().mkpath(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications"));
    QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME"));
}

FakeAppRegistry::FakeAppRegistry()
    : m_applications(QString::fromUtf8(g_get_user_data_dir()) + QStringLiteral("/applications")),
      m_mimeApps(QString::fromUtf8(g_get_user_config_dir()) + QStringLiteral("/mimeapps.list")),
      m_savedPath(qgetenv("PATH"))
{
    QDir().mkpath(m_applications);
    QDir().mkpath(m_dir.filePath(QStringLiteral("bin")));
    QDir().mkpath(m_dir.filePath(QStringLiteral("markers")));
    QDir apps(m_applications);
    for (const QString& name : apps.entryList({QStringLiteral("*.desktop")}, QDir::Files))
        apps.remove(name);
    apps.remove(QStringLiteral("mimeinfo.cache"));
    QFile::remove(m_mimeApps);
    ::setenv("PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("bin"))).constData(), 1);
}

FakeAppRegistry::~FakeAppRegistry()
{
    for (const auto& [id, types] : m_apps)
        QFile::remove(m_applications + QLatin1Char('/') + id);
    QFile::remove(m_applications + QStringLiteral("/mimeinfo.cache"));
    QFile::remove(m_mimeApps);
    ::setenv("PATH", m_savedPath.constData(), 1);
}

bool FakeAppRegistry::isIsolated() const
{
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir; ++dir) {
        if (QFileInfo::exists(QString::fromUtf8(*dir) + QStringLiteral("/applications")))
            return false;
    }
    return m_dir.isValid();
}

QString FakeAppRegistry::markerPath(const QString& name) const
{
    return m_dir.filePath(QStringLiteral("markers/") + name);
}

QString FakeAppRegistry::writeScript(const QString& path, const QString& name) const
{
    const QByteArray script =
        "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + QFile::encodeName(markerPath(name)) + "'\n";
    writeAtomically(path, script);
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QString FakeAppRegistry::addApp(const QString& desktopId, const QStringList& mimeTypes)
{
    const QString script =
        writeScript(m_dir.filePath(QStringLiteral("exec-") + desktopId), desktopId);
    QByteArray entry = "[Desktop Entry]\nType=Application\nName=" + desktopId.toUtf8() +
                       "\nExec=" + QFile::encodeName(script) + " %U\n";
    if (!mimeTypes.isEmpty())
        entry += "MimeType=" + mimeTypes.join(QLatin1Char(';')).toUtf8() + ";\n";
    writeAtomically(m_applications + QLatin1Char('/') + desktopId, entry);
    m_apps[desktopId] = mimeTypes;
    writeMimeInfoCache();
    idsEverWritten().insert(desktopId);
    for (const QString& type : mimeTypes)
        typesEverWritten().insert(type);
    return desktopId;
}

void FakeAppRegistry::removeApp(const QString& desktopId)
{
    QFile::remove(m_applications + QLatin1Char('/') + desktopId);
    m_apps.erase(desktopId);
    writeMimeInfoCache();
    for (auto it = m_defaults.begin(); it != m_defaults.end();)
        it = it->second == desktopId ? m_defaults.erase(it) : std::next(it);
    writeMimeApps();
}

void FakeAppRegistry::setDefault(const QString& mimeType, const QString& desktopId)
{
    m_defaults[mimeType] = desktopId;
    typesEverWritten().insert(mimeType);
    writeMimeApps();
}

void FakeAppRegistry::writeMimeApps() const
{
    QByteArray list = "[Default Applications]\n";
    for (const auto& [type, id] : m_defaults)
        list += type.toUtf8() + '=' + id.toUtf8() + ";\n";
    writeAtomically(m_mimeApps, list);
}

// GIO finds the applications of a type through this index, as update-desktop-database
// writes it, not through the MimeType lines themselves.
void FakeAppRegistry::writeMimeInfoCache() const
{
    std::map<QString, QStringList> byType;
    for (const auto& [id, types] : m_apps) {
        for (const QString& type : types)
            byType[type].append(id);
    }
    QByteArray cache = "[MIME Cache]\n";
    for (const auto& [type, ids] : byType)
        cache += type.toUtf8() + '=' + ids.join(QLatin1Char(';')).toUtf8() + ";\n";
    writeAtomically(m_applications + QStringLiteral("/mimeinfo.cache"), cache);
}

void FakeAppRegistry::addProgram(const QString& name)
{
    writeScript(m_dir.filePath(QStringLiteral("bin/") + name), name);
}

bool FakeAppRegistry::gioAgrees() const
{
    for (const QString& id : idsEverWritten()) {
        GDesktopAppInfo* info = g_desktop_app_info_new(id.toUtf8().constData());
        const bool found = info != nullptr;
        if (info)
            g_object_unref(info);
        if (found != (m_apps.count(id) > 0)) {
            m_disagreement =
                id + (found ? QStringLiteral(" is still found") : QStringLiteral(" is not found"));
            return false;
        }
    }
    for (const QString& type : typesEverWritten()) {
        const QString found =
            desktopIdOf(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
        const auto chosen = m_defaults.find(type);
        if (chosen != m_defaults.end()) {
            if (found != chosen->second) {
                m_disagreement = type + QStringLiteral(" opens with '") + found + QLatin1Char('\'');
                return false;
            }
            continue;
        }
        // Without a default GIO picks any application of the type.
        const auto handles = m_apps.find(found);
        if (found.isEmpty()
                ? std::any_of(m_apps.begin(), m_apps.end(),
                              [&](const auto& app) { return app.second.contains(type); })
                : handles == m_apps.end() || !handles->second.contains(type)) {
            m_disagreement = type + QStringLiteral(" opens with '") + found + QLatin1Char('\'');
            return false;
        }
    }
    return true;
}

bool FakeAppRegistry::waitUntilSeen(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!gioAgrees()) {
        if (deadline.hasExpired()) {
            qWarning("GIO does not see the fake applications: %s", qPrintable(m_disagreement));
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

QStringList FakeAppRegistry::launches(const QString& name) const
{
    QFile marker(markerPath(name));
    if (!marker.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(marker.readAll()).split(QLatin1Char('\n'));
    lines.removeLast(); // the text after the last line break
    return lines;
}

QStringList FakeAppRegistry::launchedNames() const
{
    return QDir(m_dir.filePath(QStringLiteral("markers"))).entryList(QDir::Files, QDir::Name);
}

bool FakeAppRegistry::waitForLaunch(const QString& name, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (launches(name).isEmpty()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

bool FakeAppRegistry::launchedOnly(const QString& name, int timeoutMs) const
{
    if (!waitForLaunch(name, timeoutMs))
        return false;
    QTest::qWait(150);
    return launchedNames() == QStringList{name} && launches(name).size() == 1;
}

bool FakeAppRegistry::nothingLaunched(int graceMs) const
{
    QTest::qWait(graceMs);
    return launchedNames().isEmpty();
}
