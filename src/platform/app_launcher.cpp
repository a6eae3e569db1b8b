#include "platform/app_launcher.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace AppLauncher {
namespace {

// Owns one GObject reference.
struct AppInfo {
    GAppInfo* info = nullptr;
    explicit AppInfo(GAppInfo* adopted) : info(adopted) {}
    ~AppInfo()
    {
        if (info)
            g_object_unref(info);
    }
    AppInfo(const AppInfo&) = delete;
    AppInfo& operator=(const AppInfo&) = delete;
    explicit operator bool() const { return info != nullptr; }
};

Outcome started(gboolean ok, GError* error)
{
    if (error)
        g_error_free(error);
    return ok ? Outcome::Launched : Outcome::Failed;
}

Outcome launchApp(const AppInfo& app, const QUrl& url = {})
{
    if (!app)
        return Outcome::Missing;
    GError* error = nullptr;
    if (url.isEmpty())
        return started(g_app_info_launch(app.info, nullptr, nullptr, &error), error);
    const QByteArray uri = url.toEncoded();
    GList uris{};
    uris.data = const_cast<char*>(uri.constData());
    return started(g_app_info_launch_uris(app.info, &uris, nullptr, &error), error);
}

GAppInfo* handlerFor(const QString& scheme)
{
    if (scheme.isEmpty())
        return nullptr;
    return g_app_info_get_default_for_uri_scheme(scheme.toUtf8().constData());
}

} // namespace

Outcome launchDesktopId(const QString& desktopId)
{
    if (desktopId.isEmpty())
        return Outcome::Missing;
    const AppInfo app(G_APP_INFO(g_desktop_app_info_new(desktopId.toUtf8().constData())));
    return launchApp(app);
}

Outcome launchExecutable(const QString& name)
{
    // A bare program name only: a path or anything with a separator is not looked up.
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return Outcome::Missing;
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        return Outcome::Missing;
    return QProcess::startDetached(program, {}) ? Outcome::Launched : Outcome::Failed;
}

bool hasSchemeHandler(const QString& scheme)
{
    const AppInfo app(handlerFor(scheme));
    return bool(app);
}

Outcome openWithSchemeHandler(const QUrl& url)
{
    if (!url.isValid())
        return Outcome::Missing;
    const AppInfo app(handlerFor(url.scheme()));
    return launchApp(app, url);
}

Outcome launchDefaultForMimeType(const QString& mimeType)
{
    if (mimeType.isEmpty())
        return Outcome::Missing;
    const AppInfo app(g_app_info_get_default_for_type(mimeType.toUtf8().constData(), FALSE));
    return launchApp(app);
}

Outcome openWebPage(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return Outcome::Missing;
    return openWithSchemeHandler(url);
}

Outcome launch(const Step& step)
{
    switch (step.kind) {
    case Step::Kind::DesktopId:
        return launchDesktopId(step.target);
    case Step::Kind::Executable:
        return launchExecutable(step.target);
    case Step::Kind::SchemeHandler:
        return openWithSchemeHandler(QUrl(step.target, QUrl::StrictMode));
    case Step::Kind::MimeDefault:
        return launchDefaultForMimeType(step.target);
    case Step::Kind::WebPage:
        return openWebPage(QUrl(step.target, QUrl::StrictMode));
    }
    return Outcome::Missing;
}

ChainResult launchFirst(const QList<Step>& steps)
{
    for (int i = 0; i < steps.size(); ++i) {
        const Outcome outcome = launch(steps.at(i));
        if (outcome != Outcome::Missing)
            return {i, outcome};
    }
    return {};
}

QList<Step> chainFor(Target target)
{
    using K = Step::Kind;
    switch (target) {
    case Target::MusicApp:
        return {{K::DesktopId, QStringLiteral("lmms.desktop")},
                {K::DesktopId, QStringLiteral("org.gnome.Rhythmbox3.desktop")},
                {K::DesktopId, QStringLiteral("org.kde.elisa.desktop")},
                {K::MimeDefault, QStringLiteral("audio/mpeg")}};
    case Target::Browser:
        return {{K::DesktopId, QStringLiteral("google-chrome.desktop")},
                {K::Executable, QStringLiteral("google-chrome")},
                {K::Executable, QStringLiteral("google-chrome-stable")},
                {K::SchemeHandler, QStringLiteral("googlechrome://")},
                {K::WebPage, QStringLiteral("https://www.google.com/")}};
    case Target::SearchHomePage:
        return {{K::WebPage, QStringLiteral("https://www.google.com/")}};
    case Target::VideoHomePage:
        return {{K::WebPage, QStringLiteral("https://www.youtube.com/")}};
    case Target::ClockApp:
        return {{K::DesktopId, QStringLiteral("org.gnome.clocks.desktop")},
                {K::DesktopId, QStringLiteral("org.kde.kclock.desktop")}};
    case Target::CalendarApp:
        return {{K::DesktopId, QStringLiteral("org.gnome.Calendar.desktop")},
                {K::DesktopId, QStringLiteral("org.kde.korganizer.desktop")},
                {K::MimeDefault, QStringLiteral("text/calendar")}};
    case Target::MessagingApp:
        return {{K::DesktopId, QStringLiteral("com.github.eneshecan.WhatsAppForLinux.desktop")},
                {K::SchemeHandler, QStringLiteral("whatsapp://")},
                {K::WebPage, QStringLiteral("https://web.whatsapp.com")}};
    case Target::MessagingWeb:
        return {{K::WebPage, QStringLiteral("https://web.whatsapp.com")}};
    case Target::SpotifyApp:
        return {{K::DesktopId, QStringLiteral("spotify.desktop")},
                {K::DesktopId, QStringLiteral("com.spotify.Client.desktop")},
                {K::SchemeHandler, QStringLiteral("spotify:")}};
    }
    return {};
}

ChainResult launch(Target target)
{
    return launchFirst(chainFor(target));
}

} // namespace AppLauncher
