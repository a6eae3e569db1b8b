#include "desk/floating_notes_view.h"
#include "floor_room.h"
#include "kit/animation_clock.h"
#include "kit/cached_shadow_effect.h"
#include "room/desktop_root_view.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/room_fire_atmosphere_view.h"
#include "room/fire_layers.h"
#include "room/furniture_slot.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/painted_frames.h"
#include "support/test_registry.h"

#include <QElapsedTimer>
#include <QGraphicsEffect>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPaintEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// A piece that takes clicks, as most furniture will, counting them in `clicks`.
RoomItem* clickablePiece(int* clicks = nullptr)
{
    auto* item = new RoomItem;
    item->gestures().onTap([clicks] {
        if (clicks)
            ++*clicks;
    });
    return item;
}

// A panel of a fixed size that takes no clicks of its own.
RoomItem* sized(QSizeF size)
{
    auto* item = new RoomItem;
    item->setSize(size);
    return item;
}

// Waits until the room has painted `frames` more frames.
void waitForFrames(RoomView& view, int frames)
{
    waitForFrames(view.viewport(), frames);
}

// Paints whatever the room has waiting (a change reaches the view and its repaint in a few
// hand-overs of posted events), so that what is painted next is the next change's alone.
void paintWhatIsWaiting()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// A tile waits at most this many frames unchanged before it is made.
constexpr int kLongestTileWait = 30;
// The frames of one rise of the radio's notes, at their 30 a second.
constexpr int kNotesFramesARise = int(FloatingNotes::cycleSeconds * 30);

// Waits until the room keeps pictures and has made no new one for `frames` frames painted
// over at least `seconds`: false when tiles were still being made after ten times as many
// frames (something keeps changing under them). The fades of the room come to rest first:
// while a piece fades, its tiles change on every frame and none is made.
bool waitForSteadyTiles(RoomView& view, int frames = kLongestTileWait + 10, double seconds = 0)
{
    const FireLayers& layers = view.fireLayers();
    if (!QTest::qWaitFor([] { return !AnimationClock::shared().isRunning(); }, 20000) ||
        !QTest::qWaitFor([&] { return layers.keptTiles() > 0; }, 20000))
        return false;
    const PaintedFrames painted(view.viewport());
    int made = layers.madeTiles();
    int since = 0;
    QElapsedTimer quiet;
    quiet.start();
    bool steady = false;
    (void)QTest::qWaitFor(
        [&] {
            if (layers.madeTiles() != made) {
                made = layers.madeTiles();
                since = painted.frames;
                quiet.restart();
            }
            steady = painted.frames - since >= frames && quiet.elapsed() >= seconds * 1000;
            return steady || painted.frames >= 10 * frames;
        },
        60000);
    return steady;
}

// The largest difference of any channel of any pixel of two pictures of one size.
int largestDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            for (int shift : {0, 8, 16, 24})
                largest = std::max(largest, std::abs(int((p[column] >> shift) & 0xff) -
                                                     int((q[column] >> shift) & 0xff)));
        }
    }
    return largest;
}

// Everything a widget paints, united, from the moment it is made.
class PaintedArea : public QObject {
public:
    explicit PaintedArea(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

qint64 pixels(const QRegion& region)
{
    qint64 count = 0;
    for (const QRect& r : region)
        count += qint64(r.width()) * r.height();
    return count;
}

} // namespace

// The floor's room with stand-in pieces that record what they were made for.
class DesktopRootViewTest : public QObject {
    Q_OBJECT
    QList<ActiveDesktopQuickView> m_cardsMade;
    std::unique_ptr<FloorRoom> m_room;

    DesktopRootView& root() { return m_room->root(); }
    AppState& state() { return m_room->appState(); }
    FloorInteractionState& floor() { return m_room->floorState(); }
    void furnish(RoomPieces& p)
    {
        for (Furniture piece : {Furniture::TrashCan, Furniture::Desk, Furniture::Monitor})
            p.furniture[int(piece)] = [] { return clickablePiece(); };
        for (const auto& [name, size] : {std::pair{RoomPanels::shelfPopover, QSizeF(287, 300)},
                                         {RoomPanels::bookshelfDrawer, QSizeF(400, 300)},
                                         {RoomPanels::miniPlayer, QSizeF(260, 120)}})
            p.panel(name).make = [size](const RoomPanelContext&, RoomPieces::Close) {
                return sized(size);
            };
        for (auto kind : {ActiveDesktopQuickView::Trash, ActiveDesktopQuickView::Clock,
                          ActiveDesktopQuickView::Mail, ActiveDesktopQuickView::TolvanePlaque}) {
            p.cards[kind] = [this](const ActiveDesktopQuickView& card, RoomPieces::Close) {
                m_cardsMade.append(card);
                return sized(QSizeF(280, 200));
            };
        }
    }

    QPointF panelCentre(const QString& which)
    {
        RoomItem* p = root().overlayPanel(which);
        return p ? p->mapToItem(&root(), p->rect().center()) : QPointF(-1, -1);
    }

    void setGate(const QString& which, bool on)
    {
        const QUrl book = QUrl::fromLocalFile(u"/tmp/Rak/Buku"_s);
        const std::map<QString, std::function<void()>> gates = {
            {RoomPanels::dimming, [&] { state().setLampOn(!on); }},
            {RoomPanels::fireAtmosphere, [&] { state().setFireModeActive(on); }},
            {RoomPanels::shelfPopover,
             [&] { state().setActiveShelfPopoverURL(on ? std::optional(book) : std::nullopt); }},
            {RoomPanels::bookshelfDrawer, [&] { state().setShowBookshelfDrawer(on); }},
            {RoomPanels::miniPlayer, [&] { state().setShowSpotifyPopup(on); }},
            {RoomPanels::themePicker, [&] { state().setShowThemePicker(on); }},
            {RoomPanels::quickView,
             [&] {
                 state().setActiveQuickView(on ? std::optional(ActiveDesktopQuickView::trash())
                                               : std::nullopt);
             }},
            {RoomPanels::floorDropHighlight, [&] { floor().setFloorTargeted(on); }},
        };
        gates.at(which)();
    }

private Q_SLOTS:
    void init()
    {
        m_cardsMade.clear();
        m_room = std::make_unique<FloorRoom>(QMap<QString, QPointF>{},
                                             [this](FloorRoom&, RoomPieces& p) { furnish(p); });
    }
    void cleanup() { m_room.reset(); }

    void layersFollowTheirGates_data()
    {
        QTest::addColumn<QString>("which");
        for (const RoomPanel& panel : RoomPieces().panels)
            QTest::newRow(qPrintable(panel.name)) << panel.name;
    }
    void layersFollowTheirGates()
    {
        QFETCH(QString, which);
        for (const RoomPanel& panel : root().panels())
            QVERIFY(!root().overlay(panel.name));
        setGate(which, true);
        for (const RoomPanel& panel : root().panels()) {
            QCOMPARE(bool(root().overlay(panel.name)), panel.name == which);
            QCOMPARE(bool(root().overlayPanel(panel.name)), panel.name == which);
        }
        setGate(which, false);
        QVERIFY(!root().overlay(which));
    }

    void fireFramesShowWhatAFullRepaintDraws()
    {
        // Fire mode repaints hundreds of scattered areas a frame (flames, sparks, embers),
        // each painted on its own: the window must show what a repaint of the whole room
        // draws, with no trail of a spark and no area left out (to a step of rounding: the
        // burning room is laid down from pictures kept between its moving parts).
        state().setFireModeActive(true);
        waitForFrames(m_room->view(), 10);
        // The frame in progress is painted to the end; no timer fires in between.
        for (int i = 0; i < 5; ++i)
            QCoreApplication::sendPostedEvents();
        QWindow* window = m_room->view().windowHandle();
        const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
        m_room->view().setFireLayersUsed(false);
        const QImage whole = m_room->view().grab().toImage();
        QCOMPARE(shown.size(), whole.size());
        const int difference = largestDifference(shown.convertToFormat(QImage::Format_RGB32),
                                                 whole.convertToFormat(QImage::Format_RGB32));
        QVERIFY2(difference <= 1, qPrintable(QString::number(difference)));
    }

    // The burning room is laid down from pictures kept between the fire's moving parts: a
    // frame must show what the view paints on its own at that moment (to a step of rounding),
    // also after anything under, between or over the flames changed.
    void fireFramesFromKeptPicturesMatchTheView_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change :
             {"none", "added over flames", "moved", "recoloured", "removed", "changing every frame",
              "burning piece hidden", "burning piece removed"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void fireFramesFromKeptPicturesMatchTheView()
    {
        QFETCH(QString, change);
        RoomView& view = m_room->view();
        QGraphicsScene& scene = *view.scene();
        state().setFireModeActive(true);
        // As far as the room lets it: under a part that changes on every frame, no tile
        // settles.
        const auto settle = [&] { (void)waitForSteadyTiles(view); };
        settle();
        QVERIFY(view.fireLayers().isActive());
        QVERIFY(view.fireLayers().keptTiles() > 0);

        QList<AssetFireEffectView*> fires;
        for (QGraphicsItem* item : scene.items()) {
            if (auto* fire = dynamic_cast<AssetFireEffectView*>(item); fire && fire->isDrawing())
                fires.append(fire);
        }
        QVERIFY(!fires.isEmpty());
        // A still item between the pieces and the smoke, across the first piece's flames.
        const QRectF flames = fires.first()->sceneBoundingRect();
        auto* still = new QGraphicsRectItem(QRectF(0, 0, 90, 50), &root());
        still->setBrush(QColor(20, 120, 200, 180));
        still->setZValue(23);
        still->setPos(flames.left() + 10, flames.bottom() - 40);
        if (change == QLatin1String("none")) {
            delete still;
        } else {
            settle();
            if (change == QLatin1String("moved"))
                still->moveBy(40, -20);
            else if (change == QLatin1String("recoloured"))
                still->setBrush(QColor(200, 240, 20, 220));
            else if (change == QLatin1String("removed"))
                delete still;
            else if (change == QLatin1String("burning piece hidden"))
                fires.first()->parentItem()->parentItem()->setVisible(false);
            else if (change == QLatin1String("changing every frame")) {
                // Dropped again and again, the tiles under it wait longer each time.
                QTimer flicker;
                int step = 0;
                connect(&flicker, &QTimer::timeout, this,
                        [&] { still->setBrush(QColor(20 + 10 * (++step % 20), 120, 200, 180)); });
                flicker.start(15);
                settle();
            }
        }
        settle();

        // One moment of the fire, laid down from the kept pictures and then by the view.
        const auto frame = [&] {
            for (AssetFireEffectView* fire : fires)
                fire->setTime(800000000.5);
            for (QGraphicsItem* item : scene.items()) {
                if (auto* atmosphere = dynamic_cast<RoomFireAtmosphereView*>(item))
                    atmosphere->setTime(800000000.5);
            }
            view.viewport()->repaint();
            QWindow* window = view.windowHandle();
            return window->screen()->grabWindow(window->winId()).toImage();
        };
        const int kept = view.fireLayers().keptTiles();
        QVERIFY(kept > 0);
        const QImage laid = frame();
        view.setFireLayersUsed(false);
        QCOMPARE(view.fireLayers().keptTiles(), 0);
        const QImage painted = frame();
        view.setFireLayersUsed(true);
        QCOMPARE(laid.size(), painted.size());
        QVERIFY2(largestDifference(laid, painted) <= 1,
                 qPrintable(QStringLiteral("largest difference %1 with %2 tiles kept")
                                .arg(largestDifference(laid, painted))
                                .arg(kept)));
    }

    // Laying the room out when it is first shown (or at a new size) must not leave its
    // pieces marked as moved: the first small change after (the clock's tick) would repaint
    // the whole window again.
    void aSmallChangeAfterTheRoomIsLaidOutRepaintsOnlyItself_data()
    {
        QTest::addColumn<QSize>("resizedBy");
        QTest::newRow("shown") << QSize(0, 0);
        QTest::newRow("resized") << QSize(-40, -30);
    }
    void aSmallChangeAfterTheRoomIsLaidOutRepaintsOnlyItself()
    {
        QFETCH(QSize, resizedBy);
        RoomView& view = m_room->view();
        view.resize(view.size() + resizedBy);
        QTRY_COMPARE(root().size(), QSizeF(view.viewport()->size()));
        paintWhatIsWaiting();
        const PaintedArea area(view.viewport());
        auto* dot = new QGraphicsRectItem(QRectF(0, 0, 4, 4), &root());
        dot->setPos(100, 100);
        dot->setZValue(50);
        QTRY_VERIFY(!area.painted.isEmpty());
        paintWhatIsWaiting();
        QVERIFY2(pixels(area.painted) < 400,
                 qPrintable(QStringLiteral("%1 pixels repainted in %2 rectangles")
                                .arg(pixels(area.painted))
                                .arg(area.painted.rectCount())));
    }

    // While music plays, the room round the radio's rising notes is kept as still pictures
    // and each frame lays the notes over them: a frame must show what the view paints on its
    // own at that moment (to a step of rounding), also after something over or under them
    // changed; the pictures go when the music stops.
    void risingNotesFromKeptPicturesMatchTheView_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"none", "covered", "notes moved", "changing every frame"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void risingNotesFromKeptPicturesMatchTheView()
    {
        QFETCH(QString, change);
        RoomView& view = m_room->view();
        auto* notes = new FloatingNotesView(state(), &root());
        notes->setPos(640, 330);
        notes->setZValue(30);
        QVERIFY(!view.fireLayers().isActive());
        notes->setPlaying(true);
        QVERIFY(notes->isShowingNotes());
        QVERIFY(view.fireLayers().isActive());
        QTRY_VERIFY(view.fireLayers().keptTiles() > 0);
        if (change == QLatin1String("none")) {
            // Each note reaches all its tiles within one rise.
            QVERIFY(waitForSteadyTiles(view, kNotesFramesARise, FloatingNotes::cycleSeconds));
        }
        const int made = view.fireLayers().madeTiles();

        // A still item over the notes, or one that changes on every frame beside them.
        QTimer flicker;
        int step = 0;
        if (change != QLatin1String("none")) {
            auto* still = new QGraphicsRectItem(QRectF(0, 0, 40, 30), &root());
            still->setBrush(QColor(20, 120, 200, 180));
            still->setZValue(31);
            still->setPos(notes->pos() + QPointF(10, -10));
            connect(&flicker, &QTimer::timeout, this, [&, still] {
                still->setBrush(QColor(20 + 10 * (++step % 20), 120, 200, 180));
            });
        }
        if (change == QLatin1String("notes moved"))
            notes->moveBy(-30, 12);
        else if (change == QLatin1String("changing every frame"))
            flicker.start(15);
        waitForFrames(view, 20);
        if (change == QLatin1String("none")) {
            // Nothing but the notes changed: no tile was made again.
            QCOMPARE(view.fireLayers().madeTiles(), made);
        }

        const auto frame = [&] {
            notes->showAt(QDateTime::fromMSecsSinceEpoch(1700000000370, Qt::UTC));
            view.viewport()->repaint();
            QWindow* window = view.windowHandle();
            return window->screen()->grabWindow(window->winId()).toImage();
        };
        const QImage laid = frame();
        view.setFireLayersUsed(false);
        const QImage painted = frame();
        view.setFireLayersUsed(true);
        QCOMPARE(laid.size(), painted.size());
        QVERIFY2(
            largestDifference(laid, painted) <= 1,
            qPrintable(
                QStringLiteral("largest difference %1").arg(largestDifference(laid, painted))));

        notes->setPlaying(false);
        QVERIFY(!view.fireLayers().isActive());
        QCOMPARE(view.fireLayers().keptTiles(), 0);
    }

    // A tile is worth making only where a moving part repaints: a change elsewhere while the
    // layers are on (a clock's hand away from the notes) is painted by the view, not kept.
    void onlyTilesAMovingPartReachesAreMade()
    {
        RoomView& view = m_room->view();
        auto* notes = new FloatingNotesView(state(), &root());
        notes->setPos(640, 330);
        notes->setPlaying(true);
        // Each note reaches all its tiles within one rise.
        QVERIFY(waitForSteadyTiles(view, kNotesFramesARise, FloatingNotes::cycleSeconds));
        const int made = view.fireLayers().madeTiles();
        auto* hand = new QGraphicsRectItem(QRectF(0, 0, 6, 40), &root());
        hand->setBrush(Qt::black);
        hand->setPos(100, 100);
        for (int tick = 0; tick < 4; ++tick) {
            hand->setRotation(6 * tick);
            waitForFrames(view, 5);
        }
        QCOMPARE(view.fireLayers().madeTiles(), made);
    }

    void aSteadyFireKeepsItsTiles()
    {
        // Nothing in the room but the fire changes: once made, no tile is made again (each
        // would cost as much as painting it the old way).
        RoomView& view = m_room->view();
        state().setFireModeActive(true);
        QVERIFY(waitForSteadyTiles(view));
        const int made = view.fireLayers().madeTiles();
        QVERIFY(made > 0);
        waitForFrames(view, 20);
        QCOMPARE(view.fireLayers().madeTiles(), made);
        QVERIFY(view.fireLayers().keptTiles() > 0);
    }

    void aPieceUnderSomethingThatTicksIsNotBlurredOnEveryTick()
    {
        // A clock's hands change once a second: the tiles round them are dropped and made
        // again each time, and the burning pieces those tiles show must keep their glows
        // rather than draw and blur them again on every tick.
        RoomView& view = m_room->view();
        state().setFireModeActive(true);
        QVERIFY(waitForSteadyTiles(view));
        const CachedShadowEffect* glow = nullptr;
        QGraphicsItem* piece = nullptr;
        for (QGraphicsItem* item : view.scene()->items()) {
            if (auto* effect = qobject_cast<CachedShadowEffect*>(item->graphicsEffect())) {
                glow = effect;
                piece = item;
                break;
            }
        }
        QVERIFY(glow);
        auto* hand = new QGraphicsRectItem(QRectF(0, 0, 6, 30), &root());
        hand->setZValue(60);
        hand->setPos(piece->mapToItem(&root(), piece->boundingRect().center()));
        int ticks = 0;
        const auto tick = [&] {
            hand->setBrush(QColor(20 + 40 * (++ticks % 5), 30, 30));
            waitForFrames(view, 8);
        };
        // The first change after the tiles were made finds the glow let go.
        tick();
        tick();
        const int blurred = glow->renderCount();
        for (int i = 0; i < 4; ++i)
            tick();
        QCOMPARE(glow->renderCount(), blurred);
        QVERIFY(view.fireLayers().keptTiles() > 0);
    }

    // Also while music plays: the layers stay on round the radio's notes, but what they kept
    // of the burning room goes with the fire.
    void fireLetsItsPicturesGoWhenItIsOut_data()
    {
        QTest::addColumn<bool>("music");
        QTest::newRow("quiet room") << false;
        QTest::newRow("music playing") << true;
    }
    void fireLetsItsPicturesGoWhenItIsOut()
    {
        QFETCH(bool, music);
        RoomView& view = m_room->view();
        auto* notes = new FloatingNotesView(state(), &root());
        notes->setPos(640, 330);
        notes->setPlaying(music);
        state().setFireModeActive(true);
        QTRY_VERIFY_WITH_TIMEOUT(view.fireLayers().keptBytes() > 0, 20000);
        state().setFireModeActive(false);
        QCOMPARE(view.fireLayers().isActive(), music);
        QCOMPARE(view.fireLayers().keptTiles(), 0);
        QCOMPARE(view.fireLayers().keptBytes(), 0);
    }

    // A panel opens at its place and follows a new size; a click on it, while it is still
    // coming in, keeps it; a click outside closes it.
    void panelsSitInPlaceAndCloseOnClicksOutside_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QList<QPointF>>("centres"); // in a room of 1440 x 900, of 1000 x 700
        QTest::addColumn<QPointF>("outside");        // in the smaller room
        const RoomGeometry big(QSizeF(1440, 900)), small(QSizeF(1000, 700));
        const auto card = ActiveDesktopQuickView::trash();
        QTest::newRow("card") << RoomPanels::quickView
                              << QList{big.quickViewCentre(card), small.quickViewCentre(card)}
                              << QPointF(20, 20);
        QTest::newRow("shelf popover")
            << RoomPanels::shelfPopover
            << QList{big.shelfPopoverCentre(3), small.shelfPopoverCentre(3)} << QPointF(990, 690);
        QTest::newRow("theme picker")
            << RoomPanels::themePicker << QList{QPointF(720, 450), QPointF(500, 350)}
            << QPointF(50, 50);
    }
    void panelsSitInPlaceAndCloseOnClicksOutside()
    {
        QFETCH(QString, which);
        QFETCH(QList<QPointF>, centres);
        QFETCH(QPointF, outside);
        state().setActiveShelfIndex(3);
        setGate(which, true);
        QCOMPARE(panelCentre(which), centres[0]);
        m_room->view().resize(1000, 700);
        QTRY_COMPARE(root().size(), QSizeF(1000, 700));
        QCOMPARE(panelCentre(which), centres[1]);

        QGraphicsObject* layer = root().overlay(which);
        setGate(which, false);
        AnimationClock::shared().setManual(true);
        setGate(which, true);
        AnimationClock::shared().advance(0.05);
        AnimationClock::shared().setManual(false);
        QVERIFY(root().overlay(which) != layer);
        m_room->click(panelCentre(which));
        QVERIFY(root().overlay(which));
        std::optional<Animation> closedWith;
        connect(&state(), &AppState::activeQuickViewChanged, this,
                [&] { closedWith = currentAnimation(); });
        m_room->click(outside);
        QVERIFY(!root().overlay(which));
        QCOMPARE(state().currentTheme(), RoomTheme::library());
        QCOMPARE(closedWith, which == RoomPanels::quickView
                                 ? std::optional(AppState::quickViewCloseSpring)
                                 : std::nullopt);
    }

    // Mail and WhatsApp share one card, which stays as it is; another card replaces it.
    void aCardIsMadeAgainOnlyForAnotherCard()
    {
        using Card = ActiveDesktopQuickView;
        state().setActiveQuickView(Card::mail());
        QGraphicsObject* mail = root().overlay(RoomPanels::quickView);
        state().setActiveQuickView(Card::whatsapp());
        QCOMPARE(root().overlay(RoomPanels::quickView), mail);
        state().setActiveQuickView(Card::tolvanePlaque());
        QVERIFY(root().overlay(RoomPanels::quickView) != mail);
        QCOMPARE(m_cardsMade, (QList<Card>{Card::mail(), Card::tolvanePlaque()}));
    }

    // The night and the fire only draw: clicks reach the room and the pieces below them (the
    // desk is drawn but never hit), and a dragged floor file travels above them. Fire mode
    // burns every piece; the pieces with a view glow, also one handed in while burning.
    void theNightAndTheFire()
    {
        QCOMPARE(root().slot(Furniture::Desk)->view()->acceptedMouseButtons(), Qt::NoButton);
        floor().setSelectedFileNames({u"a.txt"_s});
        state().setLampOn(false);
        m_room->click(QPointF(700, 800));
        QVERIFY(floor().selectedFileNames().isEmpty());
        floor().setDraggingFloorFileName(u"a.txt"_s);
        const qreal dragging = root().floorLayer()->zValue();
        for (int i = 0; i < kFurnitureCount; ++i)
            QVERIFY(dragging > root().slot(Furniture(i))->zValue());
        QVERIFY(dragging > root().overlay(RoomPanels::dimming)->zValue());
        floor().setDraggingFloorFileName(std::nullopt);

        int clicks = 0;
        root().slot(Furniture::TrashCan)->setView(clickablePiece(&clicks));
        state().setFireModeActive(true); // flames over the can, the atmosphere over the room
        QVERIFY(!root().overlay(RoomPanels::dimming)); // the fire takes the night's dimming away
        QVERIFY(dragging > root().overlay(RoomPanels::fireAtmosphere)->zValue());
        m_room->click(root().geometry().trashCentre());
        QCOMPARE(clicks, 1);
        for (int i = 0; i < kFurnitureCount; ++i)
            QVERIFY(root().slot(Furniture(i))->fire()->isActive());
        FurnitureSlot& sandals = *root().slot(Furniture::Sandals);
        QVERIFY(root().slot(Furniture::TrashCan)->fire()->isGlowing());
        QVERIFY(!sandals.fire()->isGlowing()); // no view yet
        for (int i = 0; i < 2; ++i) {
            sandals.setView(clickablePiece());
            QVERIFY(sandals.fire()->isGlowing());
        }
        state().setFireModeActive(false);
        QVERIFY(!sandals.fire()->isActive() && !sandals.fire()->isGlowing());
        QVERIFY(!sandals.view()->graphicsEffect());
    }
};

PONDSILL_TEST(DesktopRootViewTest)
#include "desktop_root_view_test.moc"
