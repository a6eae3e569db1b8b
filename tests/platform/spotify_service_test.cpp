#include "platform/spotify_service.h"
#include "support/fake_mpris_player.h"
#include "support/quick_music.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {
struct Mirror {
    QString title;
    QString artist;
    QString album;
    bool playing;
    bool running;
    bool operator==(const Mirror&) const = default;
};

char* toString(const Mirror& m)
{
    return QTest::toString(QStringList{m.title, m.artist, m.album, m.playing ? u"playing"_s : u""_s,
                                       m.running ? u"running"_s : u""_s}
                               .join(u" | "_s));
}

void compareMirror(const SpotifyService& s, const Mirror& expected)
{
    QCOMPARE((Mirror{s.trackTitle(), s.artistName(), s.albumName(), s.isPlaying(),
                     s.isSpotifyRunning()}),
             expected);
}

// A service that has read what `player` plays; null when it never settled.
std::unique_ptr<SpotifyService> settledOn(FakeMprisPlayer& player, const QString& status,
                                          const QString& title)
{
    player.status = status;
    player.metadata = FakeMprisPlayer::track(title, {u"Karsumo"_s});
    auto service =
        std::make_unique<SpotifyService>(QDBusConnection::sessionBus(), quickMusicOptions());
    return musicSettled(*service) ? std::move(service) : nullptr;
}

const Mirror kInitial{u"Tidak Ada Lagu"_s, u"Spotify Siap"_s, {}, false, false};
const Mirror kNotRunning{u"Spotify Tidak Aktif"_s, u"Klik untuk membuka"_s, {}, false, false};
const Mirror kNoTrack{u"Spotify Terbuka"_s, u"Pilih lagu untuk memutar"_s, {}, false, true};
} // namespace

Q_DECLARE_METATYPE(Mirror)

class SpotifyServiceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
    }

    void statusRuns_data()
    {
        QTest::addColumn<bool>("playerRuns");
        QTest::addColumn<bool>("withoutPlayerInterface");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QVariantMap>("metadata");
        QTest::addColumn<Mirror>("expected");
        const QVariantMap song =
            FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s, u"Teman"_s}, u"Album Satu"_s);
        QTest::newRow("not running") << false << false << QString() << QVariantMap() << kNotRunning;
        QTest::newRow("running, no track")
            << true << false << u"Stopped"_s << QVariantMap() << kNoTrack;
        QTest::newRow("running, no player interface")
            << true << true << u"Stopped"_s << QVariantMap() << kNoTrack;
        QTest::newRow("playing") << true << false << u"Playing"_s << song
                                 << Mirror{u"Bunga"_s, u"Karsumo, Teman"_s, u"Album Satu"_s, true,
                                           true};
        QTest::newRow("stopped, no album")
            << true << false << u"Stopped"_s << FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s})
            << Mirror{u"Bunga"_s, u"Karsumo"_s, {}, false, true};
        QTest::newRow("separator in the title")
            << true << false << u"Paused"_s
            << FakeMprisPlayer::track(u"a|||b|||c|||playing"_s, {u"x"_s}, u"y"_s)
            << Mirror{u"a|||b|||c|||playing"_s, u"x"_s, u"y"_s, false, true};
    }
    void statusRuns()
    {
        QFETCH(bool, playerRuns);
        QFETCH(bool, withoutPlayerInterface);
        QFETCH(QString, status);
        QFETCH(QVariantMap, metadata);
        QFETCH(Mirror, expected);
        std::unique_ptr<FakeMprisPlayer> player;
        if (playerRuns) {
            player = std::make_unique<FakeMprisPlayer>();
            QVERIFY(player->registered);
            player->status = status;
            player->metadata = metadata;
            player->withoutPlayerInterface = withoutPlayerInterface;
        }
        SpotifyService service(QDBusConnection::sessionBus(), quickMusicOptions());
        compareMirror(service, kInitial); // until the first answer
        QVERIFY(musicSettled(service));
        compareMirror(service, expected);
    }

    void failedRunChangesNothing()
    {
        FakeMprisPlayer player;
        const auto settled = settledOn(player, u"Playing"_s, u"Bunga"_s);
        QVERIFY(settled);
        SpotifyService& service = *settled;
        const Mirror before{u"Bunga"_s, u"Karsumo"_s, {}, true, true};
        compareMirror(service, before);
        // The player hangs: its answer comes after the run has given up.
        player.getAllDelayMs = 1000;
        player.status = u"Paused"_s;
        QSignalSpy anything(&service, &SpotifyService::isSpotifyRunningChanged);
        service.refreshNowPlaying();
        QTest::qWait(1300);
        QCOMPARE(anything.count(), 0);
        compareMirror(service, before);
    }

    void notificationsFromThePlayerOnly()
    {
        FakeMprisPlayer player;
        FakeMprisPlayer other(u"org.mpris.MediaPlayer2.vlc"_s);
        QVERIFY(other.registered);
        SpotifyService service(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(service));
        compareMirror(service, kNoTrack);

        QSignalSpy titles(&service, &SpotifyService::trackTitleChanged);
        player.notify({{u"Metadata"_s, QVariant::fromValue(FakeMprisPlayer::track(
                                           u"Satu"_s, {u"A"_s, u"B"_s}, u"Album"_s))},
                       {u"PlaybackStatus"_s, u"Playing"_s}});
        QVERIFY(titles.wait());
        compareMirror(service, {u"Satu"_s, u"A, B"_s, u"Album"_s, true, true});

        // Metadata comes whole: an album left out is gone.
        player.notify({{u"Metadata"_s, QVariant::fromValue(FakeMprisPlayer::track(u"Dua"_s, {}))}});
        QVERIFY(titles.wait());
        compareMirror(service, {u"Dua"_s, {}, {}, true, true});

        // Another player's news never moves the mirror.
        other.notify({{u"PlaybackStatus"_s, u"Paused"_s},
                      {u"Metadata"_s, QVariant::fromValue(FakeMprisPlayer::track(u"Lain"_s, {}))}});
        QVERIFY(!titles.wait(300));
        compareMirror(service, {u"Dua"_s, {}, {}, true, true});

        // Properties said to have changed, without their values: a status run reads them.
        player.metadata = FakeMprisPlayer::track(u"Tiga"_s, {u"C"_s});
        player.status = u"Paused"_s;
        player.notify({}, {u"Metadata"_s});
        QVERIFY(titles.wait());
        compareMirror(service, {u"Tiga"_s, u"C"_s, {}, false, true});
    }

    void playerQuittingResetsTheMirror()
    {
        auto player = std::make_unique<FakeMprisPlayer>();
        const auto settled = settledOn(*player, u"Playing"_s, u"Bunga"_s);
        QVERIFY(settled);
        SpotifyService& service = *settled;
        QVERIFY(service.isPlaying());
        player.reset();
        QTRY_VERIFY(!service.isSpotifyRunning());
        compareMirror(service, kNotRunning);
    }

    void commandsReachThePlayerAndTheRefreshFollows()
    {
        FakeMprisPlayer player;
        const auto settled = settledOn(player, u"Paused"_s, u"Bunga"_s);
        QVERIFY(settled);
        SpotifyService& service = *settled;
        service.playPause();
        QTRY_VERIFY(service.isPlaying());
        service.nextTrack();
        QTRY_COMPARE(service.trackTitle(), u"Lagu Berikutnya"_s);
        service.previousTrack();
        QTRY_COMPARE(player.commands, (QStringList{u"PlayPause"_s, u"Next"_s, u"Previous"_s}));
    }

    void slowAnswerOlderThanANotificationIsIgnored()
    {
        FakeMprisPlayer player;
        const auto settled = settledOn(player, u"Paused"_s, u"Lama"_s);
        QVERIFY(settled);
        SpotifyService& service = *settled;
        player.getAllDelayMs = 150; // slow, but within the run's time
        service.refreshNowPlaying();
        player.notify(
            {{u"PlaybackStatus"_s, u"Playing"_s},
             {u"Metadata"_s, QVariant::fromValue(FakeMprisPlayer::track(u"Baru"_s, {}))}});
        QTRY_COMPARE(service.trackTitle(), u"Baru"_s);
        QTest::qWait(400); // the old answer has come and gone
        compareMirror(service, {u"Baru"_s, {}, {}, true, true});
    }

    void commandWithoutPlayerOpensItFirst()
    {
        std::unique_ptr<FakeMprisPlayer> player;
        int opened = 0;
        SpotifyService service(QDBusConnection::sessionBus(), quickMusicOptions([&] {
                                   ++opened;
                                   player = std::make_unique<FakeMprisPlayer>();
                                   player->metadata = FakeMprisPlayer::track(u"Bunga"_s, {});
                                   return true;
                               }));
        QVERIFY(musicSettled(service));
        compareMirror(service, kNotRunning);
        service.playPause();
        QCOMPARE(opened, 1);
        QTRY_COMPARE(player->commands, QStringList{u"PlayPause"_s});
        QTRY_VERIFY(service.isPlaying());
        service.openSpotify();
        QCOMPARE(opened, 2);
    }
};

PONDSILL_TEST(SpotifyServiceTest)
#include "spotify_service_test.moc"
