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
// What the room shows of the music: title | artists | album | playing | running.
QString mirror(const SpotifyService& s)
{
    return QStringList{s.trackTitle(), s.artistName(), s.albumName(),
                       s.isPlaying() ? u"playing"_s : QString(),
                       s.isSpotifyRunning() ? u"running"_s : QString()}
        .join(u'|');
}

QVariantMap changed(const QString& title, const QStringList& artists, const QString& status = {})
{
    QVariantMap properties{
        {u"Metadata"_s, QVariant::fromValue(FakeMprisPlayer::track(title, artists))}};
    if (!status.isEmpty())
        properties.insert(u"PlaybackStatus"_s, status);
    return properties;
}

const QString kNotRunning = u"Spotify Tidak Aktif|Klik untuk membuka|||"_s;
const QString kNoTrack = u"Spotify Terbuka|Pilih lagu untuk memutar|||running"_s;
} // namespace

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
        QTest::addColumn<QString>("expected");
        const QVariantMap song =
            FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s, u"Teman"_s}, u"Album Satu"_s);
        QTest::newRow("not running") << false << false << QString() << QVariantMap() << kNotRunning;
        QTest::newRow("running, no track")
            << true << false << u"Stopped"_s << QVariantMap() << kNoTrack;
        QTest::newRow("running, no player interface")
            << true << true << u"Stopped"_s << QVariantMap() << kNoTrack;
        QTest::newRow("playing") << true << false << u"Playing"_s << song
                                 << u"Bunga|Karsumo, Teman|Album Satu|playing|running"_s;
        QTest::newRow("stopped, no album")
            << true << false << u"Stopped"_s << FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s})
            << u"Bunga|Karsumo|||running"_s;
        QTest::newRow("separator in the title")
            << true << false << u"Paused"_s
            << FakeMprisPlayer::track(u"a|||b|||c|||playing"_s, {u"x"_s}, u"y"_s)
            << u"a|||b|||c|||playing|x|y||running"_s;
    }
    void statusRuns()
    {
        QFETCH(bool, playerRuns);
        QFETCH(bool, withoutPlayerInterface);
        QFETCH(QString, status);
        QFETCH(QVariantMap, metadata);
        std::unique_ptr<FakeMprisPlayer> player;
        if (playerRuns) {
            player = std::make_unique<FakeMprisPlayer>();
            QVERIFY(player->registered);
            player->status = status;
            player->metadata = metadata;
            player->withoutPlayerInterface = withoutPlayerInterface;
        }
        SpotifyService service(QDBusConnection::sessionBus(), quickMusicOptions());
        QCOMPARE(mirror(service), u"Tidak Ada Lagu|Spotify Siap|||"_s); // until the first answer
        QVERIFY(musicSettled(service));
        QTEST(mirror(service), "expected");
    }

    void notificationsFromThePlayerOnlyUntilItQuits()
    {
        auto player = std::make_unique<FakeMprisPlayer>();
        FakeMprisPlayer other(u"org.mpris.MediaPlayer2.vlc"_s);
        QVERIFY(other.registered);
        SpotifyService service(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(service));
        QCOMPARE(mirror(service), kNoTrack);
        QSignalSpy titles(&service, &SpotifyService::trackTitleChanged);
        player->notify({{u"Metadata"_s, QVariant::fromValue(FakeMprisPlayer::track(
                                            u"Satu"_s, {u"A"_s, u"B"_s}, u"Album"_s))},
                        {u"PlaybackStatus"_s, u"Playing"_s}});
        QVERIFY(titles.wait());
        QCOMPARE(mirror(service), u"Satu|A, B|Album|playing|running"_s);
        // Metadata comes whole: an album left out is gone.
        player->notify(changed(u"Dua"_s, {}));
        QVERIFY(titles.wait());
        QCOMPARE(mirror(service), u"Dua|||playing|running"_s);
        // Another player's news never moves the mirror.
        other.notify(changed(u"Lain"_s, {}, u"Paused"_s));
        QVERIFY(!titles.wait(300));
        QCOMPARE(mirror(service), u"Dua|||playing|running"_s);
        // Properties said to have changed, without their values: a status run reads them.
        player->metadata = FakeMprisPlayer::track(u"Tiga"_s, {u"C"_s});
        player->status = u"Paused"_s;
        player->notify({}, {u"Metadata"_s});
        QVERIFY(titles.wait());
        QCOMPARE(mirror(service), u"Tiga|C|||running"_s);
        // An answer older than a notification, or one that comes after its run gave up,
        // changes nothing.
        for (const int delayMs : {150, 1000}) {
            player->getAllDelayMs = delayMs;
            player->status = u"Playing"_s; // what the late answer says
            service.refreshNowPlaying();
            if (delayMs < 300)
                player->notify(changed(u"Baru"_s, {}, u"Paused"_s));
            QTest::qWait(delayMs + 300);
            QCOMPARE(mirror(service), u"Baru||||running"_s);
        }
        player.reset();
        QTRY_VERIFY(!service.isSpotifyRunning());
        QCOMPARE(mirror(service), kNotRunning);
    }

    void commandsReachThePlayerOpeningItFirst()
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
        QCOMPARE(mirror(service), kNotRunning);
        service.playPause();
        QCOMPARE(opened, 1);
        QTRY_COMPARE(player->commands, QStringList{u"PlayPause"_s});
        QTRY_VERIFY(service.isPlaying()); // the refresh follows each command
        service.nextTrack();
        QTRY_COMPARE(service.trackTitle(), u"Lagu Berikutnya"_s);
        service.previousTrack();
        QTRY_COMPARE(player->commands, (QStringList{u"PlayPause"_s, u"Next"_s, u"Previous"_s}));
        service.openSpotify();
        QCOMPARE(opened, 2);
    }
};

PONDSILL_TEST(SpotifyServiceTest)
#include "spotify_service_test.moc"
