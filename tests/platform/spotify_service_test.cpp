#include "platform/spotify_service.h"
#include "support/fake_mpris_player.h"
#include "support/quick_music.h"
#include "support/test_registry.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
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

using TextMap = QMap<QString, QString>;

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

    // Anyone can own the player's name and send any type: what is not what it should be
    // counts as absent, whether a status run reads it or a notification brings it.
    void valuesOfTheWrongTypeAreAbsent_data()
    {
        qDBusRegisterMetaType<TextMap>();
        qDBusRegisterMetaType<QList<QVariantMap>>();
        qDBusRegisterMetaType<QList<int>>();
        QTest::addColumn<QVariant>("metadata");
        QTest::addColumn<QVariant>("status");
        QTest::addColumn<QString>("expected"); // after a status run
        QTest::addColumn<QString>("notified"); // after the same in a notification
        const QVariant playing(u"Playing"_s);
        const QString openPlaying = u"Spotify Terbuka|Pilih lagu untuk memutar||playing|running"_s;
        QTest::newRow("metadata of texts to texts")
            << QVariant::fromValue(TextMap{{u"xesam:title"_s, u"Bunga"_s}}) << playing << kNoTrack
            << openPlaying;
        QTest::newRow("metadata a text")
            << QVariant(u"Bunga"_s) << playing << kNoTrack << openPlaying;
        QTest::newRow("metadata a number") << QVariant(7) << playing << kNoTrack << openPlaying;
        QTest::newRow("metadata a list of maps")
            << QVariant::fromValue(QList<QVariantMap>{{{u"xesam:title"_s, u"Bunga"_s}}}) << playing
            << kNoTrack << openPlaying;
        QTest::newRow("title a number")
            << QVariant(QVariantMap{{u"xesam:title"_s, 7}}) << playing << kNoTrack << openPlaying;
        QTest::newRow("artists numbers, album a list")
            << QVariant(QVariantMap{{u"xesam:title"_s, u"Bunga"_s},
                                    {u"xesam:artist"_s, QVariant::fromValue(QList<int>{1, 2})},
                                    {u"xesam:album"_s, QStringList{u"A"_s}}})
            << playing << u"Bunga|||playing|running"_s << u"Bunga|||playing|running"_s;
        QTest::newRow("one artist as a text")
            << QVariant(QVariantMap{{u"xesam:title"_s, u"Bunga"_s}, {u"xesam:artist"_s, u"K"_s}})
            << playing << u"Bunga|K||playing|running"_s << u"Bunga|K||playing|running"_s;
        QTest::newRow("status a list")
            << QVariant(FakeMprisPlayer::track(u"Bunga"_s, {u"K"_s})) << QVariant(QStringList{})
            << u"Bunga|K|||running"_s << u"Bunga|K|||running"_s;
    }
    void valuesOfTheWrongTypeAreAbsent()
    {
        QFETCH(QVariant, metadata);
        QFETCH(QVariant, status);
        FakeMprisPlayer player;
        QVERIFY(player.registered);
        player.metadataValue = metadata;
        player.statusValue = status;
        SpotifyService service(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(service));
        QTEST(mirror(service), "expected");

        player.notify(changed(u"Dua"_s, {u"B"_s}, u"Playing"_s));
        QTRY_COMPARE(mirror(service), u"Dua|B||playing|running"_s);
        player.notify({{u"Metadata"_s, metadata}, {u"PlaybackStatus"_s, status}});
        QFETCH(QString, notified);
        QTRY_COMPARE(mirror(service), notified);
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

    // A command given while the player was opened goes to it when it comes soon after; one
    // that comes much later starts as it is.
    void aCommandWaitsForThePlayerOnlyAWhile_data()
    {
        QTest::addColumn<qint64>("comesAfterMs");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("at once") << qint64(0) << QStringList{u"PlayPause"_s};
        QTest::newRow("9 s later") << qint64(9000) << QStringList{u"PlayPause"_s};
        QTest::newRow("11 s later") << qint64(11000) << QStringList();
        QTest::newRow("a minute later") << qint64(60000) << QStringList();
    }
    void aCommandWaitsForThePlayerOnlyAWhile()
    {
        QFETCH(qint64, comesAfterMs);
        // The player of an earlier case is gone for good before this one starts.
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            SpotifyService::playerName));
        qint64 now = 1000;
        auto options = quickMusicOptions([] { return true; }); // starts, comes later
        options.clock = [&now] { return now; };
        SpotifyService service(QDBusConnection::sessionBus(), options);
        QVERIFY(musicSettled(service));
        QCOMPARE(mirror(service), kNotRunning);
        service.playPause();
        now += comesAfterMs;
        FakeMprisPlayer player;
        QVERIFY(player.registered);
        // The newcomer is read after any command it gets.
        QTRY_VERIFY(service.isSpotifyRunning());
        QTEST(player.commands, "commands");
    }

    // Texts are kept at a length a card can show, whatever the player sends, and what did not
    // change announces nothing: a huge title that comes again and again costs nothing more.
    void longTextsAreCutAndRepeatsAreQuiet_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("artists");
        QTest::addColumn<int>("titleLength");
        QTest::addColumn<int>("artistLength");
        const QString clef = u"\U0001D11E"_s; // two UTF-16 units
        QTest::newRow("short") << u"Bunga"_s << QStringList{u"A"_s, u"B"_s} << 5 << 4;
        QTest::newRow("huge title")
            << QString(5 * 1024 * 1024, u'x') << QStringList{u"A"_s} << 1000 << 1;
        QTest::newRow("exactly the limit") << QString(1000, u'x') << QStringList() << 1000 << 0;
        QTest::newRow("a character across the limit")
            << QString(999, u'x') + clef << QStringList() << 999 << 0;
        QTest::newRow("many artists") << u"Bunga"_s << QStringList(200000, u"Teman"_s) << 5 << 1000;
        QTest::newRow("one huge artist")
            << u"Bunga"_s << QStringList{QString(3000000, u'y'), u"B"_s} << 5 << 1000;
    }
    void longTextsAreCutAndRepeatsAreQuiet()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, artists);
        FakeMprisPlayer player;
        player.status = u"Playing"_s;
        player.metadata = FakeMprisPlayer::track(title, artists, title);
        // Megabytes through the bus take their time on a loaded machine.
        auto options = quickMusicOptions();
        options.statusTimeoutMs = 10000;
        SpotifyService service(QDBusConnection::sessionBus(), options);
        QVERIFY(musicSettled(service, 15000));
        QTEST(int(service.trackTitle().size()), "titleLength");
        QTEST(int(service.artistName().size()), "artistLength");
        QCOMPARE(service.albumName(), service.trackTitle());
        QVERIFY(title.startsWith(service.trackTitle()));

        QSignalSpy titles(&service, &SpotifyService::trackTitleChanged);
        QSignalSpy artistNames(&service, &SpotifyService::artistNameChanged);
        QSignalSpy albums(&service, &SpotifyService::albumNameChanged);
        QSignalSpy playing(&service, &SpotifyService::isPlayingChanged);
        QSignalSpy running(&service, &SpotifyService::isSpotifyRunningChanged);
        for (int i = 0; i < 3; ++i)
            player.notify({{u"Metadata"_s, QVariant::fromValue(player.metadata)},
                           {u"PlaybackStatus"_s, u"Playing"_s}});
        player.notify({}, {u"Metadata"_s}); // read once the ones before it were taken in
        QVERIFY(musicSettled(service, 15000));
        QCOMPARE(titles.count() + artistNames.count() + albums.count() + playing.count() +
                     running.count(),
                 0);
        player.notify(changed(u"Dua"_s, artists, u"Playing"_s));
        QVERIFY(titles.wait(15000));
        QCOMPARE(titles.count() + albums.count() + artistNames.count() + playing.count(), 2);
    }

    // However many notifications say the state changed without saying how, one status run
    // is under way at a time and at most one more follows it.
    void floodsOfInvalidationsAreReadOnce()
    {
        FakeMprisPlayer player;
        player.getAllDelayMs = 1500; // every signal has come before the first answer
        auto options = quickMusicOptions();
        options.statusTimeoutMs = 5000;
        SpotifyService service(QDBusConnection::sessionBus(), options);
        QVERIFY(musicSettled(service));
        const int before = player.statusReads;
        player.metadata = FakeMprisPlayer::track(u"Banjir"_s, {});
        for (int i = 0; i < 2000; ++i)
            player.notify({}, {u"Metadata"_s, u"PlaybackStatus"_s});
        QTRY_COMPARE(service.trackTitle(), u"Banjir"_s);
        QTest::qWait(1700); // room for any further run to show itself
        QVERIFY2(player.statusReads - before <= 2, qPrintable(QString::number(player.statusReads)));
        QVERIFY(player.statusReads - before >= 1);
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
