#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Starts other programs through GIO, the way the desktop itself starts them, and says for
// each attempt whether anything was started. Nothing here builds a shell command line, and
// nothing trusts QDesktopServices (it reports success whenever xdg-open starts).
namespace AppLauncher {

enum class Outcome {
    Missing,  // no such application, program or handler: a chain goes on to its next step
    Launched, // the program was started
    Failed,   // it was found but could not be started
};

// One way of reaching a program.
struct Step {
    enum class Kind {
        DesktopId,     // an application by its desktop-file id ("org.gnome.Rhythmbox3.desktop")
        Executable,    // a program on PATH by its name, started without arguments
        SchemeHandler, // the URL in `target` with the handler of its scheme, when one exists
        MimeDefault,   // the default application of a MIME type, started without files
        WebPage,       // an http(s) URL in the default browser
    };
    Kind kind;
    QString target;
};

Outcome launchDesktopId(const QString& desktopId);
Outcome launchExecutable(const QString& name);
// True when GIO knows an application for `scheme` ("https", "mailto", ...).
bool hasSchemeHandler(const QString& scheme);
// Opens `url` with the handler of its scheme; Missing when there is none (never guessed).
Outcome openWithSchemeHandler(const QUrl& url);
Outcome launchDefaultForMimeType(const QString& mimeType);
// Opens an http or https URL in the default browser; any other scheme is refused (Missing).
Outcome openWebPage(const QUrl& url);

Outcome launch(const Step& step);

// The result of a chain: the index of the step that found its program (-1 when none did)
// and how starting it went.
struct ChainResult {
    int step = -1;
    Outcome outcome = Outcome::Missing;
    bool launched() const { return outcome == Outcome::Launched; }
};

// Tries the steps in order, each asked afresh; the first step that finds its program is
// the only one started, whether or not the start succeeds.
ChainResult launchFirst(const QList<Step>& steps);

// The programs the room starts, each with its chain of fall-backs. The chains live in one
// table in app_launcher.cpp; add a target there rather than a private chain in a view.
enum class Target {
    MusicApp,       // a music-making program, else a music player, else the audio default
    Browser,        // the named web browser, else its program, else its scheme, else a web page
    SearchHomePage, // the search engine's home page in the default browser
    VideoHomePage,  // the video site's home page in the default browser
    ClockApp,       // a clock program, and nothing else
    CalendarApp,    // a calendar program, else the default application for calendar files
    SpotifyApp,     // the music player the radio mirrors, else the handler of its links
    MessagingApp,   // the messaging program, else the handler of its links, else its web client
    MessagingWeb,   // the messaging service's web client in the default browser
};

QList<Step> chainFor(Target target);
ChainResult launch(Target target);

} // namespace AppLauncher
