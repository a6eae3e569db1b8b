#include "floor_room.h"
#include "kit/animation_clock.h"
#include "room/desktop_root_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/furniture_slot.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/test_registry.h"

#include <QGraphicsEffect>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

namespace {
const QString customizer = u"customizer"_s;

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
std::function<RoomItem*(const RoomPanelContext&, RoomPieces::Close)> panel(QSizeF size)
{
    return [size](const RoomPanelContext&, RoomPieces::Close) { return sized(size); };
}

} // namespace

// The floor's room with stand-in pieces that record what they were made for.
class DesktopRootViewTest : public QObject {
    Q_OBJECT
    QList<ActiveDesktopQuickView> m_cardsMade;
    std::optional<Animation> m_customizerClosedWith;
    std::unique_ptr<FloorRoom> m_room;

    DesktopRootView& root() { return m_room->root(); }
    AppState& state() { return m_room->appState(); }
    FloorInteractionState& floor() { return m_room->floorState(); }
    void furnish(RoomPieces& p)
    {
        for (Furniture piece : {Furniture::TrashCan, Furniture::Desk, Furniture::Monitor})
            p.furniture[int(piece)] = [] { return clickablePiece(); };
        p.panel(RoomPanels::shelfPopover).make = panel(QSizeF(287, 300));
        p.panel(RoomPanels::bookshelfDrawer).make = panel(QSizeF(400, 300));
        p.panel(RoomPanels::miniPlayer).make = panel(QSizeF(260, 120));
        for (auto kind : {ActiveDesktopQuickView::Trash, ActiveDesktopQuickView::Clock,
                          ActiveDesktopQuickView::Mail, ActiveDesktopQuickView::TolvanePlaque}) {
            p.cards[kind] = [this](const ActiveDesktopQuickView& card, RoomPieces::Close) {
                m_cardsMade.append(card);
                return sized(QSizeF(280, 200));
            };
        }
        // A panel of a piece the room knows nothing of: one entry.
        p.panels.push_back(RoomPanel{
            .name = customizer,
            .z = 46,
            .appFields = {&AppState::activeNoteCustomizerIdChanged},
            .shown = [](const RoomPanelContext& c) -> std::optional<QString> {
                if (const auto& id = c.app.activeNoteCustomizerId())
                    return id->toString();
                return std::nullopt;
            },
            .dismiss =
                [this](const RoomPanelContext& c) {
                    m_customizerClosedWith = currentAnimation();
                    c.app.setActiveNoteCustomizerId({});
                },
            .centre =
                [](const RoomPanelContext& c) {
                    return c.geometry.roomPoint({0.25, 0.25});
                },
            .make = panel(QSizeF(100, 80)),
        });
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
            {customizer,
             [&] { state().setActiveNoteCustomizerId(on ? QUuid::createUuid() : QUuid()); }},
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

    // A panel opens at its place and follows a new size; a click on it, while it is still
    // coming in, keeps it; a click outside closes it.
    void panelsSitInPlaceAndCloseOnClicksOutside_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QList<QPointF>>("centres"); // in a room of 1440 x 900, of 1000 x 700
        QTest::addColumn<QPointF>("outside");
        const RoomGeometry big(QSizeF(1440, 900)), small(QSizeF(1000, 700));
        const auto card = ActiveDesktopQuickView::trash();
        QTest::newRow("card") << RoomPanels::quickView
                              << QList{big.quickViewCentre(card), small.quickViewCentre(card)}
                              << QPointF(20, 20);
        QTest::newRow("shelf popover")
            << RoomPanels::shelfPopover
            << QList{big.shelfPopoverCentre(3), small.shelfPopoverCentre(3)} << QPointF(1400, 880);
        QTest::newRow("a piece's own panel")
            << customizer << QList{QPointF(360, 225), QPointF(250, 175)} << QPointF(1000, 800);
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
        m_room->view().resize(1440, 900);
        QTRY_COMPARE(root().size(), QSizeF(1440, 900));

        QGraphicsObject* layer = root().overlay(which);
        setGate(which, false);
        AnimationClock::shared().setManual(true);
        setGate(which, true);
        AnimationClock::shared().advance(0.05);
        AnimationClock::shared().setManual(false);
        QVERIFY(root().overlay(which) != layer);
        m_room->click(panelCentre(which));
        QVERIFY(root().overlay(which));
        m_room->click(outside);
        QVERIFY(!root().overlay(which));
        QCOMPARE(state().currentTheme(), RoomTheme::library());
        if (which == customizer)
            QCOMPARE(m_customizerClosedWith, std::optional(AppState::quickViewCloseSpring));
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

    // A dragged floor file travels above every piece and above the night and the fire; a
    // card lies over the drop highlight, which lies over the picker.
    void stacking()
    {
        const auto z = [this](const QString& overlay) { return root().overlay(overlay)->zValue(); };
        floor().setDraggingFloorFileName(u"a.txt"_s);
        state().setLampOn(false);
        const qreal dragging = root().floorLayer()->zValue();
        for (int i = 0; i < kFurnitureCount; ++i)
            QVERIFY(dragging > root().slot(Furniture(i))->zValue());
        QVERIFY(dragging > z(RoomPanels::dimming));
        state().setFireModeActive(true);
        QVERIFY(dragging > z(RoomPanels::fireAtmosphere));
        floor().setDraggingFloorFileName(std::nullopt);
        QVERIFY(root().floorLayer()->zValue() < root().slot(Furniture::WallClock)->zValue());

        state().setShowThemePicker(true);
        state().setActiveQuickView(ActiveDesktopQuickView::clock());
        floor().setFloorTargeted(true);
        QVERIFY(z(RoomPanels::quickView) > z(RoomPanels::floorDropHighlight));
        QVERIFY(z(RoomPanels::floorDropHighlight) > z(RoomPanels::themePicker));
    }

    // The night and the fire only draw; the desk is drawn but never hit.
    void nightFireAndDeskTakeNoClicks()
    {
        QCOMPARE(root().slot(Furniture::Desk)->view()->acceptedMouseButtons(), Qt::NoButton);
        floor().setSelectedFileNames({u"a.txt"_s});
        state().setLampOn(false);
        m_room->click(QPointF(700, 800));
        QVERIFY(floor().selectedFileNames().isEmpty()); // the room below got the click

        int clicks = 0;
        root().slot(Furniture::TrashCan)->setView(clickablePiece(&clicks));
        state().setFireModeActive(true); // flames over the can, the atmosphere over the room
        QVERIFY(!root().overlay(RoomPanels::dimming)); // the fire takes the night's dimming away
        QVERIFY(root().overlay(RoomPanels::fireAtmosphere));
        m_room->click(root().geometry().trashCentre());
        QCOMPARE(clicks, 1);
    }

    // Fire mode burns every piece; the pieces with a view glow, also one handed in while
    // burning, and let go of the glow when it ends.
    void fireModeBurnsEveryPiece()
    {
        state().setFireModeActive(true);
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
