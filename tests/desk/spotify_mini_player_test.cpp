#include "desk_room.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "support/test_registry.h"

#include <QTextDocumentFragment>

namespace {
struct PlayerState {
    bool runs = false;
    QString status;
    QVariantMap metadata;
};
} // namespace

Q_DECLARE_METATYPE(PlayerState)

class SpotifyMiniPlayerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
    }

    void showsEachState_data()
    {
        QTest::addColumn<PlayerState>("player");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("accent");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QString>("album"); // empty: no album line
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("help");
        const QVariantMap song =
            FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s}, u"Album Satu"_s);
        QTest::newRow("not running")
            << PlayerState{} << u"Spotify Siap"_s << false << u"Spotify Tidak Aktif"_s
            << u"Klik untuk membuka"_s << QString() << u"play.fill"_s << u"Putar Lagu"_s;
        QTest::newRow("running, no track")
            << PlayerState{true, u"Stopped"_s, {}} << u"Jeda"_s << false << u"Spotify Terbuka"_s
            << u"Pilih lagu untuk memutar"_s << QString() << u"play.fill"_s << u"Putar Lagu"_s;
        QTest::newRow("playing") << PlayerState{true, u"Playing"_s, song} << u"Sedang Memutar"_s
                                 << true << u"Bunga"_s << u"Karsumo"_s << u"Album Satu"_s
                                 << u"pause.fill"_s << u"Jeda Lagu"_s;
        QTest::newRow("album named as the title")
            << PlayerState{true, u"Paused"_s,
                           FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s}, u"Bunga"_s)}
            << u"Jeda"_s << false << u"Bunga"_s << u"Karsumo"_s << QString() << u"play.fill"_s
            << u"Putar Lagu"_s;
    }
    void showsEachState()
    {
        QFETCH(PlayerState, player);
        QFETCH(QString, status);
        QFETCH(bool, accent);
        QFETCH(QString, title);
        QFETCH(QString, artist);
        QFETCH(QString, album);
        QFETCH(QString, symbol);
        QFETCH(QString, help);
        std::unique_ptr<FakeMprisPlayer> fake;
        if (player.runs) {
            fake = std::make_unique<FakeMprisPlayer>();
            fake->status = player.status;
            fake->metadata = player.metadata;
        }
        SpotifyService music(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(music));
        SpotifyMiniPlayerView view(music, [] {});
        QVERIFY(musicSettled(music)); // its own refresh on showing
        QCOMPARE(view.statusText(), status);
        QCOMPARE(view.statusColor() == Colors::srgb(0.11, 0.84, 0.38), accent);
        QCOMPARE(view.shownTitle(), title);
        QCOMPARE(view.shownArtist(), artist);
        QCOMPARE(view.shownAlbum().value_or(QString()), album);
        QCOMPARE(view.playPauseSymbol(), symbol);
        const QString tip = view.button(SpotifyMiniPlayerView::Control::PlayPause)->toolTip();
        QCOMPARE(QTextDocumentFragment::fromHtml(tip).toPlainText(), help);
        QCOMPARE(view.size().width(), SpotifyMiniPlayerView::cardWidth);
    }

    void buttonsDriveThePlayer()
    {
        PausedSong song;
        FakeMprisPlayer& player = song.player;
        SpotifyService& music = song.music;
        const int& opened = song.opened;
        QVERIFY(musicSettled(music));
        bool closed = false;
        SpotifyMiniPlayerView view(music, [&closed] { closed = true; });
        using C = SpotifyMiniPlayerView::Control;
        view.button(C::PlayPause)->click();
        QTRY_COMPARE(view.statusText(), u"Sedang Memutar"_s);
        view.button(C::Next)->click();
        QTRY_COMPARE(view.shownTitle(), u"Lagu Berikutnya"_s);
        view.button(C::Previous)->click();
        QTRY_COMPARE(player.commands, (QStringList{u"PlayPause"_s, u"Next"_s, u"Previous"_s}));
        view.button(C::OpenPlayer)->click();
        QCOMPARE(opened, 1);
        QVERIFY(!closed); // opening the player leaves the card open
        view.button(C::Close)->click();
        QVERIFY(closed);
    }

    // Each showing asks the player once; being told to show while shown asks nothing.
    void refreshesOnEachShowing()
    {
        FakeMprisPlayer player;
        SpotifyService music(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(music));
        DeskRoom room(music);
        const int before = player.statusReads;
        room.state.setShowSpotifyPopup(true);
        QVERIFY(room.miniPlayer());
        QTRY_COMPARE(player.statusReads, before + 1);
        room.state.setShowSpotifyPopup(true);
        QTest::qWait(100);
        QCOMPARE(player.statusReads, before + 1);
        room.state.setShowSpotifyPopup(false);
        room.settle();
        room.state.setShowSpotifyPopup(true);
        QTRY_COMPARE(player.statusReads, before + 2);
    }

    // Placed by the room's rule, also in a room narrower than the card.
    void placedOverTheRadio_data()
    {
        QTest::addColumn<QSize>("room");
        QTest::newRow("1440 x 900") << QSize(1440, 900);
        QTest::newRow("200 wide") << QSize(200, 900);
    }
    void placedOverTheRadio()
    {
        QFETCH(QSize, room);
        SpotifyService music(QDBusConnection(u"none"_s), quickMusicOptions());
        DeskRoom desk(music, room);
        desk.state.setShowSpotifyPopup(true);
        desk.settle();
        SpotifyMiniPlayerView* view = desk.miniPlayer();
        QVERIFY(view);
        const QPointF shown = view->mapToItem(&desk.root(), view->rect().center());
        const QPointF expected = RoomGeometry(QSizeF(room)).miniPlayerCentre();
        QVERIFY2(QLineF(shown, expected).length() < 0.01,
                 qPrintable(u"%1, %2"_s.arg(shown.x()).arg(shown.y())));
    }
};

PONDSILL_TEST(SpotifyMiniPlayerTest)
#include "spotify_mini_player_test.moc"
