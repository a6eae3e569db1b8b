#include "support/fake_app_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTest>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {
void writeAtomically(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size())
        file.commit();
}

// Links every entry of the folders in `variable` (first one wins) into `target`, except
// `skipped`, and points the variable at `target`.
void linkSystemFolders(const char* variable, const char* fallback, const QString& target,
                       bool (*skipped)(const QString&))
{
    QDir().mkpath(target);
    const QString folders = qEnvironmentVariable(variable);
    for (const QString& source : (folders.isEmpty() ? QString::fromLatin1(fallback) : folders)
                                     .split(u':', Qt::SkipEmptyParts)) {
        const QDir dir(source);
        for (const QString& name :
             dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
            const QString link = target + u'/' + name;
            if (!skipped(name) && !QFileInfo(link).exists() && !QFileInfo(link).isSymLink())
                QFile::link(dir.filePath(name), link);
        }
    }
    ::setenv(variable, QFile::encodeName(target).constData(), 1);
}
} // namespace

bool FakeAppRegistry::isolateProcess(const QString& root)
{
    linkSystemFolders("XDG_DATA_DIRS", "/usr/local/share:/usr/share", root + u"/system-data"_s,
                      [](const QString& name) { return name == QLatin1String("applications"); });
    linkSystemFolders("XDG_CONFIG_DIRS", "/etc/xdg", root + u"/system-config"_s,
                      [](const QString& n) { return n.endsWith(QLatin1String("mimeapps.list")); });
    ::unsetenv("XDG_CURRENT_DESKTOP");
    // GIO watches these; made now, they are watched from the start.
    QDir().mkpath(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications"));
    QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME"));
    // GLib keeps the user's folders it first sees for the life of the process: it is to see
    // the run's own, which outlive every test, not the home of whichever test first wakes it.
    // That home goes with its test, and GIO would make its folders again afterwards (the
    // applications folder, the metadata store) where nothing removes them.
    g_get_home_dir();
    g_get_user_data_dir();
    g_get_user_config_dir();
    g_get_user_cache_dir();
    g_get_user_state_dir();
    g_get_user_runtime_dir();
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir; ++dir) {
        if (QFileInfo::exists(QString::fromUtf8(*dir) + QStringLiteral("/applications")))
            return false;
    }
    return true;
}

FakeAppRegistry::FakeAppRegistry()
    : m_applications(QString::fromUtf8(g_get_user_data_dir()) + QStringLiteral("/applications")),
      m_mimeApps(QString::fromUtf8(g_get_user_config_dir()) + QStringLiteral("/mimeapps.list")),
      m_savedPath(qgetenv("PATH"))
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("bin")));
    QDir().mkpath(m_dir.filePath(QStringLiteral("markers")));
    QDir apps(m_applications);
    apps.mkpath(QStringLiteral("."));
    for (const QString& name : apps.entryList({QStringLiteral("*.desktop")}, QDir::Files))
        apps.remove(name);
    apps.remove(QStringLiteral("mimeinfo.cache"));
    QFile::remove(m_mimeApps);
    ::setenv("PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("bin"))).constData(), 1);
}

FakeAppRegistry::~FakeAppRegistry()
{
    for (const auto& [id, types] : m_apps)
        QFile::remove(m_applications + u'/' + id);
    QFile::remove(m_applications + QStringLiteral("/mimeinfo.cache"));
    QFile::remove(m_mimeApps);
    ::setenv("PATH", m_savedPath.constData(), 1);
}

QString FakeAppRegistry::writeScript(const QString& path, const QString& name) const
{
    writeAtomically(path, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" +
                              QFile::encodeName(m_dir.filePath(u"markers/"_s + name)) + "'\n");
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QString FakeAppRegistry::addApp(const QString& desktopId, const QStringList& mimeTypes)
{
    const QString script = writeScript(m_dir.filePath(u"exec-"_s + desktopId), desktopId);
    QByteArray entry = "[Desktop Entry]\nType=Application\nName=" + desktopId.toUtf8() +
                       "\nExec=" + QFile::encodeName(script) + " %U\n";
    if (!mimeTypes.isEmpty())
        entry += "MimeType=" + mimeTypes.join(u';').toUtf8() + ";\n";
    writeAtomically(m_applications + u'/' + desktopId, entry);
    m_apps[desktopId] = mimeTypes;
    s_idsWritten.insert(desktopId);
    s_typesWritten.unite(QSet<QString>(mimeTypes.begin(), mimeTypes.end()));
    writeIndexes();
    return desktopId;
}

void FakeAppRegistry::removeApp(const QString& desktopId)
{
    QFile::remove(m_applications + u'/' + desktopId);
    m_apps.erase(desktopId);
    std::erase_if(m_defaults, [&](const auto& entry) { return entry.second == desktopId; });
    writeIndexes();
}

void FakeAppRegistry::setDefault(const QString& mimeType, const QString& desktopId)
{
    m_defaults[mimeType] = desktopId;
    s_typesWritten.insert(mimeType);
    writeIndexes();
}

// GIO finds the applications of a type through mimeinfo.cache, as update-desktop-database
// writes it, not through the MimeType lines themselves.
void FakeAppRegistry::writeIndexes() const
{
    QByteArray list = "[Default Applications]\n";
    for (const auto& [type, id] : m_defaults)
        list += type.toUtf8() + '=' + id.toUtf8() + ";\n";
    writeAtomically(m_mimeApps, list);
    std::map<QString, QStringList> byType;
    for (const auto& [id, types] : m_apps) {
        for (const QString& type : types)
            byType[type].append(id);
    }
    QByteArray cache = "[MIME Cache]\n";
    for (const auto& [type, ids] : byType)
        cache += type.toUtf8() + '=' + ids.join(u';').toUtf8() + ";\n";
    writeAtomically(m_applications + QStringLiteral("/mimeinfo.cache"), cache);
}

bool FakeAppRegistry::gioAgrees() const
{
    for (const QString& id : s_idsWritten) {
        GDesktopAppInfo* info = g_desktop_app_info_new(id.toUtf8().constData());
        if (info)
            g_object_unref(info);
        if ((info != nullptr) != (m_apps.count(id) > 0)) {
            m_disagreement = id + (info ? u" is still found"_s : u" is not found"_s);
            return false;
        }
    }
    for (const QString& type : s_typesWritten) {
        GAppInfo* info = g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE);
        const QString found = info ? QString::fromUtf8(g_app_info_get_id(info)) : QString();
        if (info)
            g_object_unref(info);
        const auto chosen = m_defaults.find(type);
        const auto handler = m_apps.find(found);
        // Without a default GIO picks any application of the type.
        const bool agrees =
            chosen != m_defaults.end() ? found == chosen->second
            : found.isEmpty()
                ? std::none_of(m_apps.begin(), m_apps.end(),
                               [&](const auto& app) { return app.second.contains(type); })
                : handler != m_apps.end() && handler->second.contains(type);
        if (!agrees) {
            m_disagreement = type + u" opens with '"_s + found + u'\'';
            return false;
        }
    }
    return true;
}

bool FakeAppRegistry::waitUntilSeen(int timeoutMs)
{
    if (QTest::qWaitFor([this] { return gioAgrees(); }, timeoutMs))
        return true;
    qWarning("GIO does not see the fake applications: %s", qPrintable(m_disagreement));
    return false;
}

QStringList FakeAppRegistry::launches(const QString& name) const
{
    QFile marker(m_dir.filePath(u"markers/"_s + name));
    if (!marker.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(marker.readAll()).split(u'\n');
    lines.removeLast(); // the text after the last line break
    return lines;
}

bool FakeAppRegistry::launchedOnly(const QString& name, int timeoutMs) const
{
    if (!waitForLaunch(name, timeoutMs))
        return false;
    QTest::qWait(150);
    return launchedNames() == QStringList{name} && launches(name).size() == 1;
}
