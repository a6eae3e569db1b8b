#include "platform/app_launcher.h"
#include "support/fake_app_registry.h"
#include "support/test_registry.h"

#include <QTest>

using namespace Qt::StringLiterals;
using AppLauncher::Target;

namespace {
// What a fake desktop holds, as a list of words:
//   "id.desktop"               an application
//   "id.desktop=type1,type2"   an application that handles those types
//   "default:type=id.desktop"  the default of a type
//   "bin:name"                 a program on PATH
void build(FakeAppRegistry& apps, const QStringList& desktop)
{
    for (const QString& word : desktop) {
        if (word.startsWith("bin:"_L1)) {
            apps.addProgram(word.mid(4));
        } else if (word.startsWith("default:"_L1)) {
            const QStringList parts = word.mid(8).split(u'=');
            apps.setDefault(parts.at(0), parts.at(1));
        } else {
            const QStringList parts = word.split(u'=');
            apps.addApp(parts.at(0), parts.size() > 1 ? parts.at(1).split(u',') : QStringList());
        }
    }
}

const QString kPlayer = u"player.desktop=audio/mpeg"_s;
const QString kPlayerDefault = u"default:audio/mpeg=player.desktop"_s;
const QString kBrowser = u"browser.desktop=x-scheme-handler/https,x-scheme-handler/http"_s;
const QString kBrowserDefault = u"default:x-scheme-handler/https=browser.desktop"_s;
const QString kChromeScheme = u"chrome-scheme.desktop=x-scheme-handler/googlechrome"_s;
} // namespace

class AppLauncherTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void chainsStartTheFirstProgramFoundAndNothingElse_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("desktop");
        QTest::addColumn<QString>("started"); // empty: nothing may start
        QTest::addColumn<QString>("arguments");

        const int music = int(Target::MusicApp);
        const QStringList allMusic{u"lmms.desktop"_s, u"org.gnome.Rhythmbox3.desktop"_s,
                                   u"org.kde.elisa.desktop"_s, kPlayer, kPlayerDefault};
        QTest::newRow("music: the music maker before any player")
            << music << allMusic << u"lmms.desktop"_s << u""_s;
        QTest::newRow("music: the first player without the maker")
            << music << allMusic.mid(1) << u"org.gnome.Rhythmbox3.desktop"_s << u""_s;
        QTest::newRow("music: the second player")
            << music << allMusic.mid(2) << u"org.kde.elisa.desktop"_s << u""_s;
        QTest::newRow("music: the audio default last")
            << music << allMusic.mid(3) << u"player.desktop"_s << u""_s;
        QTest::newRow("music: nothing to start")
            << music << QStringList{kBrowser} << u""_s << u""_s;

        const int browser = int(Target::Browser);
        const QStringList allBrowsers{u"google-chrome.desktop"_s,
                                      u"bin:google-chrome"_s,
                                      u"bin:google-chrome-stable"_s,
                                      kChromeScheme,
                                      kBrowser,
                                      kBrowserDefault};
        QTest::newRow("browser: by its desktop id, no page opened")
            << browser << allBrowsers << u"google-chrome.desktop"_s << u""_s;
        QTest::newRow("browser: its program on PATH")
            << browser << allBrowsers.mid(1) << u"google-chrome"_s << u""_s;
        QTest::newRow("browser: its stable program")
            << browser << allBrowsers.mid(2) << u"google-chrome-stable"_s << u""_s;
        QTest::newRow("browser: the handler of its scheme")
            << browser << allBrowsers.mid(3) << u"chrome-scheme.desktop"_s << u"googlechrome://"_s;
        QTest::newRow("browser: the search page in the default browser")
            << browser << allBrowsers.mid(4) << u"browser.desktop"_s
            << u"https://www.google.com/"_s;
        QTest::newRow("browser: no browser at all")
            << browser << QStringList{kPlayer} << u""_s << u""_s;

        const int spotify = int(Target::SpotifyApp);
        const QStringList allSpotify{u"spotify.desktop"_s, u"com.spotify.Client.desktop"_s,
                                     u"spotify-links.desktop=x-scheme-handler/spotify"_s};
        QTest::newRow("player: its desktop id")
            << spotify << allSpotify << u"spotify.desktop"_s << u""_s;
        QTest::newRow("player: its sandboxed desktop id")
            << spotify << allSpotify.mid(1) << u"com.spotify.Client.desktop"_s << u""_s;
        QTest::newRow("player: the handler of its links")
            << spotify << allSpotify.mid(2) << u"spotify-links.desktop"_s << u"spotify:"_s;
        QTest::newRow("player: nothing to start, no web page either")
            << spotify << QStringList{kBrowser, kBrowserDefault} << u""_s << u""_s;

        QTest::newRow("search page never tries the named browser")
            << int(Target::SearchHomePage) << allBrowsers << u"browser.desktop"_s
            << u"https://www.google.com/"_s;
        QTest::newRow("video page never tries the named browser")
            << int(Target::VideoHomePage) << allBrowsers << u"browser.desktop"_s
            << u"https://www.youtube.com/"_s;
    }

    void chainsStartTheFirstProgramFoundAndNothingElse()
    {
        QFETCH(int, target);
        QFETCH(QStringList, desktop);
        QFETCH(QString, started);
        QFETCH(QString, arguments);

        FakeAppRegistry apps;
        QVERIFY(apps.isIsolated());
        build(apps, desktop);
        QVERIFY(apps.waitUntilSeen());

        const AppLauncher::ChainResult result = AppLauncher::launch(Target(target));
        if (started.isEmpty()) {
            QCOMPARE(result.step, -1);
            QVERIFY(!result.launched());
            QVERIFY(apps.nothingLaunched());
            return;
        }
        QVERIFY(result.launched());
        QVERIFY2(apps.launchedOnly(started), qPrintable(apps.launchedNames().join(u' ')));
        QCOMPARE(apps.launches(started), QStringList{arguments});

        // Asked afresh each time: once the program is gone the next one is found.
        if (desktop.first().endsWith(".desktop"_L1) && started == desktop.first()) {
            apps.removeApp(started);
            QVERIFY(apps.waitUntilSeen());
            const AppLauncher::ChainResult next = AppLauncher::launch(Target(target));
            QCOMPARE(next.step, result.step + 1);
            QTRY_COMPARE(apps.launchedNames().size(), 2);
        }
    }

    void onlyWebPagesOpenInTheBrowser_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("opens");
        QTest::newRow("https page") << u"https://example.org/a?b=c"_s << true;
        QTest::newRow("http page") << u"http://example.org/"_s << true;
        QTest::newRow("a local file") << u"file:///etc/passwd"_s << false;
        QTest::newRow("another scheme") << u"googlechrome://"_s << false;
        QTest::newRow("no host") << u"https:///path"_s << false;
        QTest::newRow("not a URL") << u"https://exa mple.org"_s << false;
    }

    void onlyWebPagesOpenInTheBrowser()
    {
        QFETCH(QString, url);
        QFETCH(bool, opens);
        FakeAppRegistry apps;
        build(apps, {kBrowser, kBrowserDefault, kChromeScheme,
                     u"files.desktop=inode/directory,text/plain,x-scheme-handler/file"_s});
        QVERIFY(apps.waitUntilSeen());

        const AppLauncher::Outcome outcome =
            AppLauncher::launch({AppLauncher::Step::Kind::WebPage, url});
        QCOMPARE(outcome == AppLauncher::Outcome::Launched, opens);
        if (opens)
            QVERIFY(apps.launchedOnly(u"browser.desktop"_s));
        else
            QVERIFY(apps.nothingLaunched());
    }

    void schemeHandlersAreCheckedBeforeUse()
    {
        FakeAppRegistry apps;
        build(apps, {kBrowser, kBrowserDefault});
        QVERIFY(apps.waitUntilSeen());
        QVERIFY(AppLauncher::hasSchemeHandler("https"_L1));
        QVERIFY(!AppLauncher::hasSchemeHandler("googlechrome"_L1));
        QCOMPARE(AppLauncher::openWithSchemeHandler(QUrl("googlechrome://"_L1)),
                 AppLauncher::Outcome::Missing);
        QCOMPARE(AppLauncher::launchExecutable("../bin/sh"_L1), AppLauncher::Outcome::Missing);
        QVERIFY(apps.nothingLaunched());
    }
};

PONDSILL_TEST(AppLauncherTest)
#include "app_launcher_test.moc"
