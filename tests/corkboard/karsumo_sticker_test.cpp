// What the band sticker opens, checked against the programs a fake desktop starts.
#include "board_fixture.h"
#include "corkboard/karsumo_sticker_view.h"
#include "support/fake_app_registry.h"
#include "support/test_registry.h"

#include <QMenu>

namespace {
const QString kHandler = u"music-handler.desktop"_s;
const QString kBrowser = u"browser.desktop"_s;

void installDesktop(FakeAppRegistry& apps, bool musicHandler)
{
    apps.setDefault(u"x-scheme-handler/https"_s,
                    apps.addApp(kBrowser, {u"x-scheme-handler/https"_s}));
    if (musicHandler)
        apps.setDefault(u"x-scheme-handler/spotify"_s,
                        apps.addApp(kHandler, {u"x-scheme-handler/spotify"_s}));
}
} // namespace

class KarsumoStickerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The music application's search when a program handles its scheme, else the web
    // search; terms encoded so that blanks, "&", "/" and "?" stay part of the term.
    void searches_data()
    {
        QTest::addColumn<bool>("musicHandler");
        QTest::addColumn<QString>("term");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QString>("url");
        QTest::newRow("the band in the music application")
            << true << u"Karsumo"_s << kHandler << u"spotify:search:Karsumo"_s;
        QTest::newRow("a term with blanks and delimiters")
            << true << u"Karsumo Kopi & Hujan/Senja?"_s << kHandler
            << u"spotify:search:Karsumo%20Kopi%20%26%20Hujan%2FSenja%3F"_s;
        QTest::newRow("no handler: the web search")
            << false << u"Karsumo Kopi & Hujan"_s << kBrowser
            << u"https://open.spotify.com/search/Karsumo%20Kopi%20%26%20Hujan"_s;
        QTest::newRow("an empty term searches the band")
            << false << QString() << kBrowser << u"https://open.spotify.com/search/Karsumo"_s;
    }
    void searches()
    {
        QFETCH(bool, musicHandler);
        QFETCH(QString, term);
        QFETCH(QString, started);
        QFETCH(QString, url);
        FakeAppRegistry apps;
        QVERIFY(apps.isIsolated());
        installDesktop(apps, musicHandler);
        QVERIFY(apps.waitUntilSeen());
        QVERIFY(KarsumoSearch::searchSpotify(term).launched());
        QVERIFY2(apps.launchedOnly(started), qPrintable(apps.launchedNames().join(u' ')));
        QCOMPARE(apps.launches(started), QStringList{url});
    }

    // A click searches the band; the menu's song and video items search theirs; none of
    // them changes the room's state.
    void clickAndMenu()
    {
        FakeAppRegistry apps;
        installDesktop(apps, true);
        QVERIFY(apps.waitUntilSeen());
        TempHome home;
        QSettings prefs(home.configHome() + u"/p.ini"_s, QSettings::IniFormat);
        AppState state(&prefs);
        KarsumoStickerView sticker(state, 52, 35);
        sticker.gestures().makeContextMenu(); // builds without starting anything
        QVERIFY(apps.nothingLaunched());

        std::unique_ptr<QMenu> menu = sticker.gestures().makeContextMenu();
        QList<QAction*> items;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                items.append(action);
        }
        QCOMPARE(items.size(), 7);
        QCOMPARE(items.first()->text(), u"Putar Karsumo di Spotify"_s);
        QCOMPARE(items.last()->text(), u"Cari di YouTube"_s);
        items.at(4)->trigger(); // "Kopi & Hujan"
        QVERIFY(apps.waitForLaunch(kHandler));
        QCOMPARE(apps.launches(kHandler),
                 QStringList{u"spotify:search:Karsumo%20Kopi%20%26%20Hujan"_s});
        items.last()->trigger();
        QVERIFY(apps.waitForLaunch(kBrowser));
        QCOMPARE(apps.launches(kBrowser),
                 QStringList{u"https://www.youtube.com/results?search_query=Karsumo"_s});
        QVERIFY(!state.showSpotifyPopup());
    }
};

PONDSILL_TEST(KarsumoStickerTest)
#include "karsumo_sticker_test.moc"
