// The desk, the computer, radio and lamp on it, the mini player and the desk pieces the room does
// not place.
#include "desk/desk_accessories.h"
#include "desk/desk_lamp_view.h"
#include "desk/floating_notes_view.h"
#include "desk/monitor_drawing.h"
#include "desk/spotify_mini_player_view.h"
#include "desk/vintage_radio_view.h"
#include "desk/workstation_desk_view.h"
#include "desk/workstation_monitor_view.h"
#include "kit/animation_clock.h"
#include "kit/button_item.h"
#include "platform/file_manager_reveal.h"
#include "platform/spotify_service.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/fake_app_registry.h"
#include "support/fake_mpris_player.h"
#include "support/quick_music.h"
#include "support/scene_input.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>

#include <memory>

using namespace Qt::StringLiterals;

namespace {
// The room on a temporary home, without images, with the music service's mini player, the lamp and
// a corkboard that counts its clicks, shown at `size`.
struct DeskRoom {
    DeskRoom(SpotifyService& music, QSize size) : music(music)
    {
        AnimationClock::shared().setManual(true);
        RoomPieces pieces;
        pieces.panel(RoomPanels::miniPlayer).make = [this](const RoomPanelContext&,
                                                           RoomPieces::Close) {
            return new SpotifyMiniPlayerView(this->music,
                                             [this] { state.setShowSpotifyPopup(false); });
        };
        pieces.furniture[int(Furniture::DeskLamp)] = [this]() -> RoomItem* {
            return new DeskLampView(state);
        };
        pieces.furniture[int(Furniture::Corkboard)] = [this]() -> RoomItem* {
            auto* board = new RoomItem;
            board->gestures().onTap([this] { ++boardClicks; });
            return board;
        };
        pieces.furniture[int(Furniture::Bookshelf)] = [this]() -> RoomItem* {
            auto* shelf = new RoomItem;
            shelf->gestures().onTap([this] { ++shelfClicks; });
            return shelf;
        };
        view = std::make_unique<RoomView>(state, floor, &storage, assets, std::move(pieces));
        view->resize(size);
        view->show();
    }
    ~DeskRoom() { AnimationClock::shared().setManual(false); }

    DesktopRootView& root() { return *view->root(); }
    SceneInput input() { return SceneInput(*view); }
    SpotifyMiniPlayerView* miniPlayer()
    {
        return dynamic_cast<SpotifyMiniPlayerView*>(root().overlayPanel(RoomPanels::miniPlayer));
    }
    // Lets every transition run to its end.
    void settle() { AnimationClock::shared().advance(2); }

    SpotifyService& music;
    int boardClicks = 0;
    int shelfClicks = 0;
    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
    FloorInteractionState floor;
    StorageManager storage{home.path()};
    QTemporaryDir noImages;
    AssetLoader assets{AssetLoader::Locations{{}, {noImages.path()}}};
    std::unique_ptr<RoomView> view;
};

// Records what would have been shown in the file manager.
class RecordingReveal : public FileManagerReveal {
public:
    RecordingReveal() : FileManagerReveal(QDBusConnection(u"none"_s)) {}
    void showItems(const QStringList& paths) override { shown.append(paths); }
    QList<QStringList> shown;
};

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

// A monitor at its design size in a scene of its own, with no wallpaper to find.
struct Monitor {
    Monitor() { AnimationClock::shared().setManual(true); }
    QImage render()
    {
        AnimationClock::shared().advance(3);
        QImage image(175, 170, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        stage.scene.render(&p, QRectF(0, 0, 175, 170), QRectF(0, 0, 175, 170));
        return image;
    }

    TempHome home;
    QSettings settings{home.configHome() + u"/p.ini"_s, QSettings::IniFormat};
    AppState state{&settings};
    RecordingReveal reveal;
    QTemporaryDir noImages;
    AssetLoader assets{AssetLoader::Locations{{}, {noImages.path()}}};
    WorkstationMonitorView* monitor = new WorkstationMonitorView(state, reveal, assets);
    Stage stage{monitor, {175, 170}};
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

class DeskTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
    }

    // The notes' clock ticks only while they play and the room can show them; the notes are
    // drawn the first time they show, and show at once.
    void notesTickOnlyWhenSeen()
    {
        AppState state(nullptr);
        auto* notes = new FloatingNotesView(state);
        Stage stage(notes, FloatingNotesView::viewSize);
        const auto inked = [&] {
            QImage image((notes->sceneBoundingRect().size() + QSizeF(80, 80)).toSize(),
                         QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            stage.scene.render(&p, QRectF(), notes->sceneBoundingRect().adjusted(-40, -40, 40, 40));
            p.end();
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += qAlpha(image.pixel(x, y)) > 0;
            return count;
        };
        QVERIFY(!notes->timeLine().isRunning()); // not playing
        QCOMPARE(inked(), 0);
        notes->setPlaying(true);
        QVERIFY(notes->timeLine().isRunning());
        QVERIFY(inked() > 200); // four notes and their glows
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

    // Clicks open and close the mini player, a double click the player; the menu and the mini
    // player drive the transport. The help text follows the player and is plain text, whatever the
    // title holds; the notes show, within what the radio repaints, only while it plays.
    void radioClicksAndHelp()
    {
        PausedSong song;
        song.player.metadata = FakeMprisPlayer::track(u"<b>Bunga</b> & <i>"_s, {u"Kar<br>sumo"_s});
        SpotifyService& music = song.music;
        QVERIFY(musicSettled(music));
        AppState state(nullptr);
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

        // The mini player drives the same player.
        using C = SpotifyMiniPlayerView::Control;
        bool closed = false;
        SpotifyMiniPlayerView card(music, [&closed] { closed = true; });
        QTRY_COMPARE(card.statusText(), u"Sedang Memutar"_s);
        card.button(C::Next)->click();
        QTRY_COMPARE(card.shownTitle(), u"Lagu Berikutnya"_s);
        menu.actions()[5]->trigger();
        card.button(C::PlayPause)->click();
        QTRY_VERIFY(!music.isPlaying());
        QVERIFY(!radio->notes()->isVisible());
        QVERIFY(!radio->notes()->timeLine().isRunning());
        QTRY_COMPARE(song.player.commands,
                     (QStringList{u"PlayPause"_s, u"Next"_s, u"Previous"_s, u"PlayPause"_s}));
        card.button(C::OpenPlayer)->click();
        QCOMPARE(song.opened, 3);
        QVERIFY(!closed); // opening the player leaves the card open
        card.button(C::Close)->click();
        QVERIFY(closed);
        QCOMPARE(actions, 0); // the room's action is never called
    }

    // What the card shows of each state of the player; the album line only when it adds something;
    // the button's help is plain text.
    void showsEachState_data()
    {
        QTest::addColumn<PlayerState>("player");
        QTest::addColumn<QString>("shown"); // status|title|artist|album|symbol|help
        const auto song = [](const QString& album) {
            return FakeMprisPlayer::track(u"Bunga"_s, {u"Karsumo"_s}, album);
        };
        QTest::newRow("not running")
            << PlayerState{}
            << u"Spotify Siap|Spotify Tidak Aktif|Klik untuk membuka||play.fill|Putar Lagu"_s;
        QTest::newRow("running, no track")
            << PlayerState{true, u"Stopped"_s, {}}
            << u"Jeda|Spotify Terbuka|Pilih lagu untuk memutar||play.fill|Putar Lagu"_s;
        QTest::newRow("playing")
            << PlayerState{true, u"Playing"_s, song(u"Album Satu"_s)}
            << u"Sedang Memutar|Bunga|Karsumo|Album Satu|pause.fill|Jeda Lagu"_s;
        QTest::newRow("album named as the title")
            << PlayerState{true, u"Paused"_s, song(u"Bunga"_s)}
            << u"Jeda|Bunga|Karsumo||play.fill|Putar Lagu"_s;
    }
    void showsEachState()
    {
        QFETCH(PlayerState, player);
        QFETCH(QString, shown);
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
                              QTextDocumentFragment::fromHtml(tip).toPlainText()})
                     .join(u'|'),
                 shown);
    }

    // Each showing of the mini player asks the player once, being told to show while shown nothing;
    // the card is placed by the room's rule, also in a room narrower than the card. A click on the
    // lamp switches the room's light and the stored preference; a click on the corkboard's corner,
    // which the lamp's label reaches over, stays the board's, and so does one on the shelf's side.
    void miniPlayerAndLampInTheRoom_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1440 x 900") << QSize(1440, 900);
        QTest::newRow("1280 x 800") << QSize(1280, 800);
        QTest::newRow("200 wide") << QSize(200, 900);
    }
    void miniPlayerAndLampInTheRoom()
    {
        QFETCH(QSize, size);
        FakeMprisPlayer player;
        SpotifyService music(QDBusConnection::sessionBus(), quickMusicOptions());
        QVERIFY(musicSettled(music));
        DeskRoom room(music, size);
        QVERIFY(QTest::qWaitForWindowExposed(room.view.get()));
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
        room.state.setShowSpotifyPopup(false);
        room.settle();
        if (size.width() < 1280)
            return;

        const RoomGeometry geometry{QSizeF(size)};
        const RoomFrame lamp = geometry.frame(Furniture::DeskLamp);
        QRectF label(QPointF(), DeskLampView::labelSize);
        label.moveCenter(lamp.centre);
        const QRectF overlap = label.intersected(geometry.frame(Furniture::Corkboard).rect());
        QVERIFY(!overlap.isEmpty());
        QVERIFY(room.state.lampOn());
        room.input().click(overlap.center());
        QTRY_COMPARE(room.boardClicks, 1);
        QVERIFY(room.state.lampOn());
        const QRectF shelfSide = label.intersected(geometry.frame(Furniture::Bookshelf).rect());
        QVERIFY(!shelfSide.isEmpty());
        room.input().click(shelfSide.center());
        QTRY_COMPARE(room.shelfClicks, 1);
        QVERIFY(room.state.lampOn());
        // On a clear part of the label, away from the lamp's own drawing; where the label reaches
        // over the shelf's side, that stays the shelf's.
        const qreal clearLeft =
            std::max(label.left(), geometry.frame(Furniture::Bookshelf).rect().right());
        room.input().click(QPointF(clearLeft + 4, label.bottom() - 4));
        QTRY_VERIFY(!room.state.lampOn());
        QCOMPARE(room.boardClicks, 1);
        room.settings.sync();
        QCOMPARE(QSettings(room.settings.fileName(), QSettings::IniFormat).value(u"lampOn"_s),
                 QVariant(false));
        room.input().click(lamp.centre);
        QTRY_VERIFY(room.state.lampOn());
    }
    // The screen on, off, and under the fire alert, told apart by a point of the wallpaper, one of
    // the dock, and the alert's flame.
    void monitorStates_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("fire");
        QTest::newRow("on") << true << false;
        QTest::newRow("off") << false << false;
        QTest::newRow("on in fire mode") << true << true;
    }
    void monitorStates()
    {
        QFETCH(bool, on);
        QFETCH(bool, fire);
        Monitor m;
        m.state.setMonitorScreenOn(on);
        m.state.setFireModeActive(fire);
        const QImage image = m.render();
        const QPointF screen = MonitorDrawing::kScreen.topLeft();
        const auto at = [&image](QPointF p) { return image.pixelColor(p.toPoint()); };
        const QColor wallpaper = at(screen + QPointF(150, 60));
        const QColor flame = at(MonitorDrawing::kScreen.center() + QPointF(0, -14));
        const QColor dock = at(screen + MonitorDrawing::dockRect().topLeft() + QPointF(7, 4));
        const int brightness = wallpaper.red() + wallpaper.green() + wallpaper.blue();
        QCOMPARE(flame.red() > 180 && flame.blue() < 90, fire);
        QCOMPARE(on, wallpaper.blue() > wallpaper.red() + (fire ? 0 : 40)); // the blue desktop
        QVERIFY(on && !fire ? dock.blue() > 180 : brightness < (fire ? 120 : 90)); // dark or dimmed
    }

    // A click toggles the screen once the double-click time has passed; the choice is in the
    // preferences at once and comes back at the next start. A double click only shows the home
    // folder, once. The menu's first item is named for the state it flips; then the card and the
    // home folder.
    void monitorClicksAndMenu()
    {
        Monitor m;
        SceneInput& input = m.stage.input;
        QVERIFY(m.state.isMonitorScreenOn()); // no stored choice: on
        input.click(QPointF(20, 160));        // beside the stand, inside the frame
        QTRY_VERIFY(!m.state.isMonitorScreenOn());
        QCOMPARE(m.settings.value(u"isMonitorScreenOn"_s).toBool(), false);
        QCOMPARE(m.monitor->helpText(), u"Layar iMac: Klik 1x untuk menyalakan layar"_s);
        QVERIFY(!AppState(&m.settings).isMonitorScreenOn());

        input.doubleClick(QPointF(87, 60));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(m.reveal.shown, QList<QStringList>{QStringList{QDir::homePath()}});
        QVERIFY(!m.state.isMonitorScreenOn()); // the double click left the screen as it was

        const auto choose = [&m](int item) {
            const std::unique_ptr<QMenu> menu = m.monitor->gestures().makeContextMenu();
            const QString text = menu->actions().at(item)->text();
            menu->actions().at(item)->trigger();
            return text;
        };
        QCOMPARE(choose(0), u"Nyalakan Layar Komputer"_s);
        QCOMPARE(choose(0), u"Matikan Layar Komputer"_s);
        QVERIFY(!m.state.isMonitorScreenOn());
        choose(1);
        QCOMPARE(m.state.activeQuickView(), ActiveDesktopQuickView::monitor());
        choose(1);
        QVERIFY(!m.state.activeQuickView()); // open already: closes
        choose(3);
        QCOMPARE(m.reveal.shown.size(), 2);
    }

    // The desk takes no pointer: a click over it reaches what lies beneath.
    void deskLetsClicksThrough()
    {
        auto* below = new RoomItem;
        int taps = 0;
        below->gestures().onTap([&taps] { ++taps; });
        Stage stage(below, {600, 300});
        auto* desk = new WorkstationDeskView;
        desk->setSize({555, 276});
        stage.scene.addItem(desk);
        stage.input.click(QPointF(100, 100));
        QTRY_COMPARE(taps, 1);
        QVERIFY(desk->toolTip().isEmpty());
    }

    // The envelope opens the desktop's mail handler; without one, "mailto:" is handed to the
    // desktop's opener and nothing is started through GIO.
    void envelopeOpensMail()
    {
        for (const bool handler : {true, false}) {
            FakeAppRegistry apps;
            if (handler)
                apps.setDefault(u"x-scheme-handler/mailto"_s,
                                apps.addApp(u"mail.desktop"_s, {u"x-scheme-handler/mailto"_s}));
            QVERIFY(apps.waitUntilSeen());
            QList<QUrl> handedOver;
            LetterEnvelopeView envelope([&handedOver] {
                openMail([&handedOver](const QUrl& url) { handedOver.append(url); });
            });
            envelope.click();
            if (handler) {
                QVERIFY(apps.launchedOnly(u"mail.desktop"_s));
                QCOMPARE(apps.launches(u"mail.desktop"_s), QStringList{u"mailto:"_s});
                QVERIFY(handedOver.isEmpty());
            } else {
                QVERIFY(apps.nothingLaunched());
                QCOMPARE(handedOver, QList<QUrl>{QUrl(u"mailto:"_s)});
            }
        }
    }
};

PONDSILL_TEST(DeskTest)
#include "desk_test.moc"
