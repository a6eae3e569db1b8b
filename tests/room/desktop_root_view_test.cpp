#include "kit/animation_clock.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/furniture_slot.h"
#include "room/room_view.h"
#include "room/theme_picker_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/scene_input.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QGraphicsEffect>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

namespace {
const QString customizer = QStringLiteral("customizer");

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

// The room on a temporary home at 1440 x 900, without images, with stand-in pieces that
// record what they were made for.
struct Room {
    TempHome home;
    QSettings settings{home.configHome() + QStringLiteral("/p.ini"), QSettings::IniFormat};
    AppState state{&settings};
    FloorInteractionState floor;
    StorageManager storage{home.path()};
    QTemporaryDir noImages;
    AssetLoader assets{AssetLoader::Locations{{}, {noImages.path()}}};
    QList<ActiveDesktopQuickView> cardsMade;
    std::optional<Animation> customizerClosedWith;
    RoomView view{state, floor, &storage, assets, pieces()};
    SceneInput input{view};

    RoomPieces pieces()
    {
        RoomPieces p;
        for (Furniture piece : {Furniture::TrashCan, Furniture::Desk, Furniture::Monitor})
            p.furniture[int(piece)] = [] { return clickablePiece(); };
        p.panel(RoomPanels::floorDropHighlight).make =
            [](const RoomPanelContext&, RoomPieces::Close) { return clickablePiece(); };
        p.panel(RoomPanels::shelfPopover).make = panel(QSizeF(287, 300));
        p.panel(RoomPanels::bookshelfDrawer).make = panel(QSizeF(400, 300));
        p.panel(RoomPanels::miniPlayer).make = panel(QSizeF(260, 120));
        for (auto kind : {ActiveDesktopQuickView::Trash, ActiveDesktopQuickView::Clock,
                          ActiveDesktopQuickView::Mail, ActiveDesktopQuickView::TolvanePlaque}) {
            p.cards[kind] = [this](const ActiveDesktopQuickView& card, RoomPieces::Close) {
                cardsMade.append(card);
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
                    customizerClosedWith = currentAnimation();
                    c.app.setActiveNoteCustomizerId({});
                },
            .centre =
                [](const RoomPanelContext& c) {
                    return c.geometry.roomPoint({0.25, 0.25});
                },
            .make = panel(QSizeF(100, 80)),
        });
        return p;
    }

    DesktopRootView& root() { return *view.root(); }
    QPointF panelCentre(const QString& which)
    {
        RoomItem* p = root().overlayPanel(which);
        return p ? p->mapToItem(&root(), p->rect().center()) : QPointF(-1, -1);
    }

    void setGate(const QString& which, bool on)
    {
        const QUrl book = QUrl::fromLocalFile(QStringLiteral("/tmp/Rak/Buku"));
        const std::map<QString, std::function<void()>> gates = {
            {RoomPanels::dimming, [&] { state.setLampOn(!on); }},
            {RoomPanels::fireAtmosphere, [&] { state.setFireModeActive(on); }},
            {RoomPanels::shelfPopover,
             [&] { state.setActiveShelfPopoverURL(on ? std::optional(book) : std::nullopt); }},
            {RoomPanels::bookshelfDrawer, [&] { state.setShowBookshelfDrawer(on); }},
            {RoomPanels::miniPlayer, [&] { state.setShowSpotifyPopup(on); }},
            {RoomPanels::themePicker, [&] { state.setShowThemePicker(on); }},
            {RoomPanels::quickView,
             [&] {
                 state.setActiveQuickView(on ? std::optional(ActiveDesktopQuickView::trash())
                                             : std::nullopt);
             }},
            {RoomPanels::floorDropHighlight, [&] { floor.setFloorTargeted(on); }},
            {customizer,
             [&] { state.setActiveNoteCustomizerId(on ? QUuid::createUuid() : QUuid()); }},
        };
        gates.at(which)();
    }
};

using Centre = std::function<QPointF(const RoomGeometry&)>;
} // namespace

Q_DECLARE_METATYPE(Centre)

class DesktopRootViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Room> m_room;
    DesktopRootView& root() { return m_room->root(); }

private Q_SLOTS:
    void init()
    {
        m_room = std::make_unique<Room>();
        m_room->view.resize(1440, 900);
        m_room->view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_room->view));
        QCOMPARE(root().size(), QSizeF(1440, 900));
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
        m_room->setGate(which, true);
        for (const RoomPanel& panel : root().panels()) {
            QCOMPARE(bool(root().overlay(panel.name)), panel.name == which);
            QCOMPARE(bool(root().overlayPanel(panel.name)), panel.name == which);
        }
        m_room->setGate(which, false);
        QVERIFY(!root().overlay(which));
    }

    // A panel opens at its place and follows a new size; a click on it, while it is still
    // coming in, keeps it; a click outside closes it.
    void panelsSitInPlaceAndCloseOnClicksOutside_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<Centre>("centre");
        QTest::addColumn<QPointF>("outside");
        QTest::newRow("card") << RoomPanels::quickView << Centre([](const RoomGeometry& g) {
            return g.quickViewCentre(ActiveDesktopQuickView::trash());
        }) << QPointF(20, 20);
        QTest::newRow("shelf popover")
            << RoomPanels::shelfPopover
            << Centre([](const RoomGeometry& g) { return g.shelfPopoverCentre(3); })
            << QPointF(1400, 880);
        QTest::newRow("a piece's own panel") << customizer << Centre([](const RoomGeometry& g) {
            return g.roomPoint({0.25, 0.25});
        }) << QPointF(1000, 800);
        QTest::newRow("theme picker")
            << RoomPanels::themePicker << Centre([](const RoomGeometry& g) {
                   return g.roomPoint({0.5, 0.5});
               })
            << QPointF(50, 50);
    }
    void panelsSitInPlaceAndCloseOnClicksOutside()
    {
        QFETCH(QString, which);
        QFETCH(Centre, centre);
        QFETCH(QPointF, outside);
        m_room->state.setActiveShelfIndex(3);
        m_room->setGate(which, true);
        QCOMPARE(m_room->panelCentre(which), centre(root().geometry()));
        m_room->view.resize(1000, 700);
        QTRY_COMPARE(root().size(), QSizeF(1000, 700));
        QCOMPARE(m_room->panelCentre(which), centre(root().geometry()));
        m_room->view.resize(1440, 900);
        QTRY_COMPARE(root().size(), QSizeF(1440, 900));

        QGraphicsObject* layer = root().overlay(which);
        m_room->setGate(which, false);
        AnimationClock::shared().setManual(true);
        m_room->setGate(which, true);
        AnimationClock::shared().advance(0.05);
        AnimationClock::shared().setManual(false);
        QVERIFY(root().overlay(which) != layer);
        m_room->input.click(m_room->panelCentre(which));
        QVERIFY(root().overlay(which));
        m_room->input.click(outside);
        QVERIFY(!root().overlay(which));
        QCOMPARE(m_room->state.currentTheme(), RoomTheme::library());
        if (which == customizer)
            QCOMPARE(m_room->customizerClosedWith, std::optional(AppState::quickViewCloseSpring));
    }

    // Mail and WhatsApp share one card, which stays as it is; another card replaces it.
    void aCardIsMadeAgainOnlyForAnotherCard()
    {
        using Card = ActiveDesktopQuickView;
        m_room->state.setActiveQuickView(Card::mail());
        QGraphicsObject* mail = root().overlay(RoomPanels::quickView);
        m_room->state.setActiveQuickView(Card::whatsapp());
        QCOMPARE(root().overlay(RoomPanels::quickView), mail);
        m_room->state.setActiveQuickView(Card::tolvanePlaque());
        QVERIFY(root().overlay(RoomPanels::quickView) != mail);
        QCOMPARE(m_room->cardsMade, (QList<Card>{Card::mail(), Card::tolvanePlaque()}));
    }

    void stacking()
    {
        const qreal floor = root().floorLayer()->zValue();
        for (Furniture piece : {Furniture::StratocasterGuitar, Furniture::AcousticGuitar,
                                Furniture::TrashCan, Furniture::Sandals})
            QVERIFY(floor > root().slot(piece)->zValue());
        QVERIFY(floor < root().slot(Furniture::WallClock)->zValue());

        // A dragged floor file travels above every piece and above the night and the fire.
        m_room->floor.setDraggingFloorFileName(QStringLiteral("a.txt"));
        const qreal dragging = root().floorLayer()->zValue();
        for (int i = 0; i < kFurnitureCount; ++i)
            QVERIFY(dragging > root().slot(Furniture(i))->zValue());
        m_room->state.setLampOn(false);
        QVERIFY(dragging > root().overlay(RoomPanels::dimming)->zValue());
        m_room->state.setFireModeActive(true);
        QVERIFY(dragging > root().overlay(RoomPanels::fireAtmosphere)->zValue());
        m_room->state.setFireModeActive(false);
        m_room->floor.setDraggingFloorFileName(std::nullopt);
        QCOMPARE(root().floorLayer()->zValue(), floor);

        // A card lies over the picker, the drop highlight over everything but a card.
        m_room->state.setShowThemePicker(true);
        m_room->state.setActiveQuickView(ActiveDesktopQuickView::clock());
        m_room->floor.setFloorTargeted(true);
        QVERIFY(root().overlay(RoomPanels::quickView)->zValue() >
                root().overlay(RoomPanels::floorDropHighlight)->zValue());
        QVERIFY(root().overlay(RoomPanels::floorDropHighlight)->zValue() >
                root().overlay(RoomPanels::themePicker)->zValue());
    }

    // The night and the fire only draw; the desk is drawn but never hit.
    void nightFireAndDeskTakeNoClicks()
    {
        QCOMPARE(root().slot(Furniture::Desk)->view()->acceptedMouseButtons(), Qt::NoButton);
        m_room->floor.setSelectedFileNames({QStringLiteral("a.txt")});
        m_room->state.setLampOn(false);
        m_room->input.click(QPointF(700, 800));
        QVERIFY(m_room->floor.selectedFileNames().isEmpty()); // the room below got the click

        int clicks = 0;
        root().slot(Furniture::TrashCan)->setView(clickablePiece(&clicks));
        m_room->state.setFireModeActive(true); // flames over the can, the atmosphere over the room
        QVERIFY(!root().overlay(RoomPanels::dimming)); // the fire takes the night's dimming away
        QVERIFY(root().overlay(RoomPanels::fireAtmosphere));
        m_room->input.click(root().geometry().trashCentre());
        QCOMPARE(clicks, 1);
    }

    void fireModeBurnsEveryPiece()
    {
        AnimationClock::shared().setManual(true);
        m_room->state.toggleFireMode();
        for (int i = 0; i < kFurnitureCount; ++i)
            QVERIFY(root().slot(Furniture(i))->fire()->isActive());
        // The pieces with a view glow; the flames fade in with the fire's own animation.
        BurningFireModifier* trash = root().slot(Furniture::TrashCan)->fire();
        QVERIFY(trash->isGlowing());
        QVERIFY(!root().slot(Furniture::Sandals)->fire()->isGlowing()); // no view yet
        QVERIFY(trash->fireView()->parentItem()->opacity() < 0.01);
        AnimationClock::shared().advance(0.6);
        QCOMPARE(trash->fireView()->parentItem()->opacity(), 1.0);

        m_room->state.setFireModeActive(false);
        AnimationClock::shared().setManual(false);
        QVERIFY(!trash->isActive() && !trash->isGlowing());
        QVERIFY(!root().slot(Furniture::TrashCan)->view()->graphicsEffect());

        // A piece handed in while burning glows too, and so does the one that replaces it.
        m_room->state.setFireModeActive(true);
        for (int i = 0; i < 2; ++i) {
            root().slot(Furniture::Sandals)->setView(clickablePiece());
            QVERIFY(root().slot(Furniture::Sandals)->fire()->isGlowing());
        }
    }

    void emptyRoomStaysFinite()
    {
        m_room->state.setActiveQuickView(ActiveDesktopQuickView::guitar());
        m_room->state.setShowThemePicker(true);
        root().setSize(QSizeF(0, 0));
        QList<QPointF> points{m_room->panelCentre(RoomPanels::quickView)};
        for (int i = 0; i < kFurnitureCount; ++i)
            points << root().slot(Furniture(i))->pos();
        for (QPointF p : points)
            QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()));
    }
};

PONDSILL_TEST(DesktopRootViewTest)
#include "desktop_root_view_test.moc"
