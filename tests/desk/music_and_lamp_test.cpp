#include "desk/desk_lamp_view.h"
#include "desk/floating_notes_view.h"
#include "desk/vintage_radio_view.h"
#include "desk_room.h"
#include "kit/button_item.h"
#include "support/test_registry.h"

#include <QAction>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMenu>
#include <QTextDocumentFragment>

namespace {
// A scene holding one view at (0, 0), shown for mouse input.
struct Stage {
    QGraphicsScene scene;
    QGraphicsView view{&scene};
    SceneInput input{view};

    explicit Stage(RoomItem* item, QSizeF size)
    {
        item->setSize(size);
        scene.addItem(item);
        scene.setSceneRect(-100, -100, size.width() + 200, size.height() + 200);
        view.resize(int(size.width()) + 240, int(size.height()) + 240);
        view.show();
    }
};

// The room's state over preferences in a temporary home.
struct Prefs {
    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
};

QString plain(const QString& toolTip)
{
    return QTextDocumentFragment::fromHtml(toolTip).toPlainText();
}
struct PlayerState {
    bool runs = false;
    QString status;
    QVariantMap metadata;
};
} // namespace

Q_DECLARE_METATYPE(PlayerState)

class MusicAndLampTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
    }

    // The notes' clock ticks only while they play and the room can show them.
    void notesTickOnlyWhenSeen()
    {
        Prefs prefs;
        AppState& state = prefs.state;
        auto* notes = new FloatingNotesView(state);
        Stage stage(notes, FloatingNotesView::viewSize);
        QVERIFY(!notes->timeLine().isRunning()); // not playing
        notes->setPlaying(true);
        QVERIFY(notes->timeLine().isRunning());
        QSignalSpy ticks(&notes->timeLine(), &TimeLine::tick);
        QTRY_VERIFY(ticks.count() > 2);

        const std::vector<std::function<void(bool)>> conditions = {
            [&](bool on) { state.setWindowVisible(on); },
            [&](bool on) { state.setAppActive(on); },
            [&](bool on) { state.setLowPower(!on); },
            [&](bool on) { notes->setPlaying(on); },
        };
        for (const auto& condition : conditions) {
            condition(false);
            QVERIFY(!notes->timeLine().isRunning());
            QVERIFY(!notes->isShowingNotes());
            condition(true);
            QVERIFY(notes->timeLine().isRunning());
            QVERIFY(notes->isShowingNotes());
        }
    }

    // Clicks open and close the mini player, a double click the player; the menu drives the
    // transport. The help text follows the player and is plain text, whatever the title
    // holds; the notes show, within what the radio repaints, only while it plays.
    void radioClicksAndHelp()
    {
        PausedSong song;
        song.player.metadata = FakeMprisPlayer::track(u"<b>Bunga</b> & <i>"_s, {u"Kar<br>sumo"_s});
        SpotifyService& music = song.music;
        QVERIFY(musicSettled(music));
        Prefs prefs;
        AppState& state = prefs.state;
        int actions = 0;
        auto* radio = new VintageRadioView(music, state, [&actions] { ++actions; });
        Stage stage(radio, QSizeF(80, 60));
        QCOMPARE(plain(radio->toolTip()), u"Radio Spotify: Klik untuk memutar lagu"_s);
        QVERIFY(!radio->notes()->isVisible());
        // The whole 96 x 42 drawing takes clicks, past the frame's sides too.
        const QPointF onRadio = radio->contentRect().topLeft() + QPointF(2, 2);
        QVERIFY(onRadio.x() < 0);

        // A click opens the mini player and closes a card and a shelf popover with it.
        state.setActiveQuickView(ActiveDesktopQuickView::clock());
        state.setActiveShelfPopoverURL(QUrl::fromLocalFile(u"/tmp/Rak/Buku"_s));
        stage.input.click(onRadio);
        QTRY_VERIFY(state.showSpotifyPopup());
        QVERIFY(!state.activeQuickView());
        QVERIFY(!state.activeShelfPopoverURL());
        // A second click closes it and leaves a card opened meanwhile alone.
        state.setActiveQuickView(ActiveDesktopQuickView::clock());
        stage.input.click(onRadio);
        QTRY_VERIFY(!state.showSpotifyPopup());
        QVERIFY(state.activeQuickView());

        // A double click opens the player once and leaves the mini player as it was.
        stage.input.doubleClick(onRadio);
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(song.opened, 1);
        QVERIFY(!state.showSpotifyPopup());

        // The menu: the mini player alone, the player, a separator, the transport.
        QMenu menu;
        radio->populateContextMenu(menu);
        menu.actions()[0]->trigger();
        QVERIFY(state.showSpotifyPopup());
        QVERIFY(state.activeQuickView()); // the menu leaves the card open
        menu.actions()[1]->trigger();
        QCOMPARE(song.opened, 2);
        menu.actions()[3]->trigger();
        QTRY_VERIFY(music.isPlaying());
        QCOMPARE(plain(radio->toolTip()), u"Radio: <b>Bunga</b> & <i> - Kar<br>sumo"_s);
        QVERIFY(radio->notes()->isVisible());
        QVERIFY(radio->notes()->timeLine().isRunning());
        QVERIFY(radio->boundingRect().contains(
            radio->notes()->mapRectToParent(radio->notes()->rect())));
        QMenu playing;
        radio->populateContextMenu(playing);
        QCOMPARE(playing.actions()[3]->text(), u"Jeda (Pause)"_s);
        menu.actions()[4]->trigger();
        menu.actions()[5]->trigger();
        QTRY_COMPARE(song.player.commands, (QStringList{u"PlayPause"_s, u"Next"_s, u"Previous"_s}));
        QCOMPARE(actions, 0); // the room's action is never called
        song.player.status = u"Paused"_s;
        song.player.notify({{u"PlaybackStatus"_s, u"Paused"_s}});
        QTRY_VERIFY(!music.isPlaying());
        QVERIFY(!radio->notes()->isVisible());
        QVERIFY(!radio->notes()->timeLine().isRunning());
    }

    // A click on the lamp switches the room's light and the stored preference; a click on
    // the corkboard's corner, which the lamp's label reaches over, stays the board's.
    void lampClicks_data()
    {
        QTest::addColumn<QSize>("roomSize");
        QTest::newRow("1440 x 900") << QSize(1440, 900);
        QTest::newRow("1280 x 800") << QSize(1280, 800);
    }
    void lampClicks()
    {
        QFETCH(QSize, roomSize);
        SpotifyService music(QDBusConnection(u"none"_s), quickMusicOptions());
        int boardClicks = 0;
        DeskRoom room(music, roomSize, [&boardClicks](RoomPieces& pieces, AppState& state) {
            pieces.furniture[int(Furniture::DeskLamp)] = [&state]() -> RoomItem* {
                return new DeskLampView(state);
            };
            pieces.furniture[int(Furniture::Corkboard)] = [&boardClicks]() -> RoomItem* {
                auto* board = new RoomItem;
                board->gestures().onTap([&boardClicks] { ++boardClicks; });
                return board;
            };
        });
        QVERIFY(QTest::qWaitForWindowExposed(room.view.get()));
        const RoomGeometry geometry{QSizeF(roomSize)};
        const RoomFrame lamp = geometry.frame(Furniture::DeskLamp);
        QRectF label(QPointF(), DeskLampView::labelSize);
        label.moveCenter(lamp.centre);
        const QRectF overlap = label.intersected(geometry.frame(Furniture::Corkboard).rect());
        QVERIFY(!overlap.isEmpty());

        QVERIFY(room.state.lampOn());
        room.input().click(overlap.center());
        QTRY_COMPARE(boardClicks, 1);
        QVERIFY(room.state.lampOn());

        // On a clear part of the label, away from the lamp's own drawing.
        room.input().click(QPointF(label.left() + 4, label.bottom() - 4));
        QTRY_VERIFY(!room.state.lampOn());
        QCOMPARE(boardClicks, 1);
        room.settings.sync();
        QSettings stored(room.settings.fileName(), QSettings::IniFormat);
        QCOMPARE(stored.value(u"lampOn"_s).toBool(), false);
        room.input().click(lamp.centre);
        QTRY_VERIFY(room.state.lampOn());
    }

    // What the card shows of each state of the player; the album line only when it adds
    // something; the button's help is plain text.
    void showsEachState_data()
    {
        QTest::addColumn<PlayerState>("player");
        QTest::addColumn<QStringList>("shown"); // status, title, artist, album, symbol, help
        const QVariantMap song =
            FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s}, u"Album Satu"_s);
        QTest::newRow("not running")
            << PlayerState{}
            << QStringList{u"Spotify Siap"_s, u"Spotify Tidak Aktif"_s, u"Klik untuk membuka"_s,
                           QString(),         u"play.fill"_s,           u"Putar Lagu"_s};
        QTest::newRow("running, no track")
            << PlayerState{true, u"Stopped"_s, {}}
            << QStringList{u"Jeda"_s, u"Spotify Terbuka"_s, u"Pilih lagu untuk memutar"_s,
                           QString(), u"play.fill"_s,       u"Putar Lagu"_s};
        QTest::newRow("playing") << PlayerState{true, u"Playing"_s, song}
                                 << QStringList{u"Sedang Memutar"_s, u"Bunga"_s,
                                                u"Karsumo"_s,        u"Album Satu"_s,
                                                u"pause.fill"_s,     u"Jeda Lagu"_s};
        QTest::newRow("album named as the title")
            << PlayerState{true, u"Paused"_s,
                           FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s}, u"Bunga"_s)}
            << QStringList{u"Jeda"_s, u"Bunga"_s,     u"Karsumo"_s,
                           QString(), u"play.fill"_s, u"Putar Lagu"_s};
    }
    void showsEachState()
    {
        QFETCH(PlayerState, player);
        QFETCH(QStringList, shown);
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
        const QString tip = view.button(SpotifyMiniPlayerView::Control::PlayPause)->toolTip();
        QCOMPARE((QStringList{view.statusText(), view.shownTitle(), view.shownArtist(),
                              view.shownAlbum().value_or(QString()), view.playPauseSymbol(),
                              QTextDocumentFragment::fromHtml(tip).toPlainText()}),
                 shown);
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

    // Each showing asks the player once; being told to show while shown asks nothing. The
    // card is placed by the room's rule, also in a room narrower than the card.
    void refreshesOnEachShowingOverTheRadio()
    {
        FakeMprisPlayer player;
        SpotifyService music(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(music));
        for (const QSize size : {QSize(1440, 900), QSize(200, 900)}) {
            DeskRoom room(music, size);
            const int before = player.statusReads;
            room.state.setShowSpotifyPopup(true);
            room.settle();
            SpotifyMiniPlayerView* view = room.miniPlayer();
            QVERIFY(view);
            const QPointF shown = view->mapToItem(&room.root(), view->rect().center());
            QVERIFY(QLineF(shown, RoomGeometry(QSizeF(size)).miniPlayerCentre()).length() < 0.01);
            QTRY_COMPARE(player.statusReads, before + 1);
            room.state.setShowSpotifyPopup(true);
            QTest::qWait(100);
            QCOMPARE(player.statusReads, before + 1);
            room.state.setShowSpotifyPopup(false);
            room.settle();
            room.state.setShowSpotifyPopup(true);
            QTRY_COMPARE(player.statusReads, before + 2);
        }
    }
};

PONDSILL_TEST(MusicAndLampTest)
#include "music_and_lamp_test.moc"
