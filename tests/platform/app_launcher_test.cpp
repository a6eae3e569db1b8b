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

        // Each chain as (desktop word, what it starts, its arguments): with the words before
        // a step removed, that step starts and nothing else.
        struct Step {
            QString word;
            QString started;
            QString arguments;
        };
        const auto addChain = [](const char* name, Target target, const QList<Step>& chain,
                                 const QStringList& extra, const QStringList& nothing) {
            QStringList desktop = extra;
            for (const Step& step : chain)
                desktop.insert(desktop.size() - extra.size(), step.word);
            for (qsizetype i = 0; i < chain.size(); ++i) {
                QTest::addRow("%s: %s", name, qPrintable(chain[i].started))
                    << int(target) << desktop.mid(i) << chain[i].started << chain[i].arguments;
            }
            QTest::addRow("%s: nothing to start", name) << int(target) << nothing << u""_s << u""_s;
        };
        addChain("music", Target::MusicApp,
                 {{u"lmms.desktop"_s, u"lmms.desktop"_s, {}},
                  {u"org.gnome.Rhythmbox3.desktop"_s, u"org.gnome.Rhythmbox3.desktop"_s, {}},
                  {u"org.kde.elisa.desktop"_s, u"org.kde.elisa.desktop"_s, {}},
                  {kPlayer, u"player.desktop"_s, {}}},
                 {kPlayerDefault}, {kBrowser});
        const QList<Step> browsers{
            {u"google-chrome.desktop"_s, u"google-chrome.desktop"_s, {}},
            {u"bin:google-chrome"_s, u"google-chrome"_s, {}},
            {u"bin:google-chrome-stable"_s, u"google-chrome-stable"_s, {}},
            {kChromeScheme, u"chrome-scheme.desktop"_s, u"googlechrome://"_s},
            {kBrowser, u"browser.desktop"_s, u"https://www.google.com/"_s}};
        addChain("browser", Target::Browser, browsers, {kBrowserDefault}, {kPlayer});
        // No web page stands in for the player.
        addChain("player", Target::SpotifyApp,
                 {{u"spotify.desktop"_s, u"spotify.desktop"_s, {}},
                  {u"com.spotify.Client.desktop"_s, u"com.spotify.Client.desktop"_s, {}},
                  {u"spotify-links.desktop=x-scheme-handler/spotify"_s, u"spotify-links.desktop"_s,
                   u"spotify:"_s}},
                 {}, {kBrowser, kBrowserDefault});

        QStringList allBrowsers{kBrowserDefault};
        for (const Step& step : browsers)
            allBrowsers.insert(allBrowsers.size() - 1, step.word);
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
