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
} // namespace

class RadioAndLampTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

    void radioClicks()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        PausedSong song;
        FakeMprisPlayer& player = song.player;
        SpotifyService& music = song.music;
        const int& opened = song.opened;
        QVERIFY(musicSettled(music));
        Prefs prefs;
        AppState& state = prefs.state;
        int actions = 0;
        auto* radio = new VintageRadioView(music, state, [&actions] { ++actions; });
        Stage stage(radio, QSizeF(80, 60));
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
        QCOMPARE(opened, 1);
        QVERIFY(!state.showSpotifyPopup());

        // The menu: the mini player alone, the player, a separator, the transport.
        QMenu menu;
        radio->populateContextMenu(menu);
        menu.actions()[0]->trigger();
        QVERIFY(state.showSpotifyPopup());
        QVERIFY(state.activeQuickView()); // the menu leaves the card open
        menu.actions()[1]->trigger();
        QCOMPARE(opened, 2);
        menu.actions()[3]->trigger();
        QTRY_VERIFY(music.isPlaying());
        menu.actions()[4]->trigger();
        menu.actions()[5]->trigger();
        QTRY_COMPARE(player.commands, (QStringList{u"PlayPause"_s, u"Next"_s, u"Previous"_s}));
        QMenu playing;
        radio->populateContextMenu(playing);
        QCOMPARE(playing.actions()[3]->text(), u"Jeda (Pause)"_s);
        QCOMPARE(actions, 0); // the room's action is never called
    }

    // The help text follows the player and is plain text, whatever the title holds.
    void radioHelpAndNotesFollowThePlayer()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        FakeMprisPlayer player;
        player.status = u"Paused"_s;
        player.metadata = FakeMprisPlayer::track(u"<b>Bunga</b> & <i>"_s, {u"Kar<br>sumo"_s});
        SpotifyService music(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(music));
        Prefs prefs;
        AppState& state = prefs.state;
        auto* radio = new VintageRadioView(music, state);
        Stage stage(radio, QSizeF(80, 60));
        QCOMPARE(plain(radio->toolTip()), u"Radio Spotify: Klik untuk memutar lagu"_s);
        QVERIFY(!radio->notes()->isVisible());
        player.notify({{u"PlaybackStatus"_s, u"Playing"_s}});
        QTRY_VERIFY(music.isPlaying());
        QCOMPARE(plain(radio->toolTip()), u"Radio: <b>Bunga</b> & <i> - Kar<br>sumo"_s);
        QVERIFY(radio->notes()->isVisible());
        QVERIFY(radio->notes()->timeLine().isRunning());
        // The notes are drawn within what the radio repaints.
        const QRectF box = radio->notes()->mapRectToParent(radio->notes()->rect());
        QVERIFY(radio->boundingRect().contains(box));
        player.notify({{u"PlaybackStatus"_s, u"Paused"_s}});
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
};

PONDSILL_TEST(RadioAndLampTest)
#include "radio_and_lamp_test.moc"
