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

#include <QFile>
#include <QGraphicsEffect>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

namespace {

// A piece that takes clicks, as most furniture will.
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
RoomItem* panel(QSizeF size)
{
    auto* item = new RoomItem;
    item->setSize(size);
    return item;
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
    RoomView view{state, floor, &storage, assets, pieces()};
    SceneInput input{view};

    RoomPieces pieces()
    {
        RoomPieces p;
        for (Furniture piece : {Furniture::TrashCan, Furniture::Desk, Furniture::Monitor})
            p.furniture[int(piece)] = [] { return clickablePiece(); };
        const auto fixed = [&p](const QString& name, QSizeF size) {
            p.panel(name).make = [size](const RoomPanelContext&, RoomPieces::Close) {
                return panel(size);
            };
        };
        p.panel(RoomPanels::floorDropHighlight).make =
            [](const RoomPanelContext&, RoomPieces::Close) { return clickablePiece(); };
        fixed(RoomPanels::shelfPopover, QSizeF(287, 300));
        fixed(RoomPanels::bookshelfDrawer, QSizeF(400, 300));
        fixed(RoomPanels::miniPlayer, QSizeF(260, 120));
        for (auto kind : {ActiveDesktopQuickView::Trash, ActiveDesktopQuickView::Clock,
                          ActiveDesktopQuickView::Mail, ActiveDesktopQuickView::TolvanePlaque}) {
            p.cards[kind] = [this](const ActiveDesktopQuickView& card, RoomPieces::Close) {
                cardsMade.append(card);
                return panel(QSizeF(280, 200));
            };
        }
        // A panel of a piece the room knows nothing of: one entry.
        p.panels.push_back(RoomPanel{
            .name = QStringLiteral("customizer"),
            .z = 46,
            .appFields = {&AppState::activeNoteCustomizerIdChanged},
            .shown = [](const RoomPanelContext& c) -> std::optional<QString> {
                if (const auto& id = c.app.activeNoteCustomizerId())
                    return id->toString();
                return std::nullopt;
            },
            .dismiss = [](const RoomPanelContext& c) { c.app.setActiveNoteCustomizerId({}); },
            .centre =
                [](const RoomPanelContext& c) {
                    return c.geometry.roomPoint({0.25, 0.25});
                },
            .make = [](const RoomPanelContext&,
                       RoomPieces::Close) { return panel(QSizeF(100, 80)); },
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
        };
        gates.at(which)();
    }
};
} // namespace

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

    void nightAndFireTakeNoClicks()
    {
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

    void cardClosesOnClicksOutsideOnly()
    {
        AnimationClock::shared().setManual(true);
        m_room->state.toggleQuickView(ActiveDesktopQuickView::trash());
        QVERIFY(root().overlay(RoomPanels::quickView));
        AnimationClock::shared().advance(0.05); // the card is on its way in
        AnimationClock::shared().setManual(false);
        m_room->input.click(m_room->panelCentre(RoomPanels::quickView));
        QVERIFY(m_room->state.activeQuickView());

        std::optional<Animation> closedWith;
        connect(&m_room->state, &AppState::activeQuickViewChanged, this,
                [&] { closedWith = currentAnimation(); });
        m_room->input.click(QPointF(20, 20));
        QVERIFY(!m_room->state.activeQuickView());
        QVERIFY(closedWith);
        QCOMPARE(*closedWith, AppState::quickViewCloseSpring);
        QVERIFY(!root().overlay(RoomPanels::quickView));
    }

    void cardsLandAtTheirCentres()
    {
        const auto card = ActiveDesktopQuickView::tolvanePlaque();
        m_room->state.setActiveQuickView(card);
        QCOMPARE(m_room->cardsMade, QList<ActiveDesktopQuickView>{card});
        QCOMPARE(m_room->panelCentre(RoomPanels::quickView),
                 root().geometry().quickViewCentre(card));
        // A new size moves it along.
        m_room->view.resize(1000, 700);
        QTRY_COMPARE(root().size(), QSizeF(1000, 700));
        QCOMPARE(m_room->panelCentre(RoomPanels::quickView),
                 root().geometry().quickViewCentre(card));

        // Mail and WhatsApp share one card, which stays where it is.
        m_room->state.setActiveQuickView(ActiveDesktopQuickView::mail());
        const QPointF mail = m_room->panelCentre(RoomPanels::quickView);
        QGraphicsObject* layer = root().overlay(RoomPanels::quickView);
        m_room->state.setActiveQuickView(ActiveDesktopQuickView::whatsapp());
        QCOMPARE(m_room->panelCentre(RoomPanels::quickView), mail);
        QCOMPARE(root().overlay(RoomPanels::quickView), layer);
    }

    void popoverSitsByItsShelf()
    {
        const int activeIndex = 3;
        m_room->state.setActiveShelfIndex(activeIndex);
        m_room->setGate(RoomPanels::shelfPopover, true);
        QCOMPARE(m_room->panelCentre(RoomPanels::shelfPopover),
                 root().geometry().shelfPopoverCentre(activeIndex));
        // A click outside closes it inside the close spring.
        m_room->input.click(QPointF(1400, 880));
        QVERIFY(!m_room->state.activeShelfPopoverURL());
    }

    void aPanelOfOneEntry()
    {
        const QString customizer = QStringLiteral("customizer");
        m_room->state.setActiveNoteCustomizerId(QUuid::createUuid());
        QGraphicsObject* layer = root().overlay(customizer);
        QVERIFY(layer);
        QCOMPARE(layer->zValue(), 46.0);
        QCOMPARE(m_room->panelCentre(customizer), QPointF(360, 225));
        // Another note replaces it; a click outside closes it inside the close spring.
        m_room->state.setActiveNoteCustomizerId(QUuid::createUuid());
        QVERIFY(root().overlay(customizer) != layer);
        std::optional<Animation> closedWith;
        connect(&m_room->state, &AppState::activeNoteCustomizerIdChanged, this,
                [&] { closedWith = currentAnimation(); });
        m_room->input.click(QPointF(1000, 800));
        QVERIFY(!m_room->state.activeNoteCustomizerId());
        QCOMPARE(closedWith, std::optional(AppState::quickViewCloseSpring));
        QVERIFY(!root().overlay(customizer));
    }

    void pickerSitsOverItsBackdrop()
    {
        m_room->state.setShowThemePicker(true);
        auto* picker = qobject_cast<ThemePickerView*>(root().overlayPanel(RoomPanels::themePicker));
        QVERIFY(picker);
        QCOMPARE(picker->mapToItem(&root(), picker->rect().center()), QPointF(720, 450));
        // On the sheet but on no button: it stays. On the backdrop: it goes.
        m_room->input.click(picker->mapToScene(QPointF(160, picker->size().height() - 20)) -
                            QPointF(120, 0));
        QVERIFY(m_room->state.showThemePicker());
        m_room->input.click(QPointF(50, 50));
        QVERIFY(!m_room->state.showThemePicker());
        QCOMPARE(m_room->state.currentTheme(), RoomTheme::library());
    }

    void backgroundReleaseRule_data()
    {
        QTest::addColumn<qreal>("moved");
        QTest::addColumn<bool>("click");
        QTest::newRow("still") << 0.0 << true;
        QTest::newRow("short drag") << 3.0 << true;
        QTest::newRow("marquee") << 60.0 << false;
    }
    void backgroundReleaseRule()
    {
        QFETCH(qreal, moved);
        QFETCH(bool, click);
        // One file on the floor at the room's middle.
        QVERIFY(QFile(m_room->storage.paths().carpet + QStringLiteral("/laporan.pdf"))
                    .open(QIODevice::WriteOnly));
        m_room->storage.refreshCarpetItems();
        QTRY_COMPARE(m_room->storage.carpetItems().size(), 1);
        m_room->storage.setFloorItemPositions({{QStringLiteral("laporan.pdf"), {0.5, 0.5}}});

        m_room->floor.setSelectedFileNames({QStringLiteral("other.txt")});
        m_room->floor.setCarpetLifted(true);
        std::optional<Animation> lowered;
        connect(&m_room->floor, &FloorInteractionState::isCarpetLiftedChanged, this,
                [&] { lowered = currentAnimation(); });

        // From just left of the file's box towards it.
        const QPointF from(640, 450);
        m_room->input.press(from);
        m_room->input.move(from + QPointF(moved, 0));
        if (!click)
            QVERIFY(m_room->floor.isMarqueeSelecting());
        m_room->input.release(from + QPointF(moved, 0));

        QVERIFY(!m_room->floor.isMarqueeSelecting());
        QVERIFY(!m_room->floor.marqueeStart() && !m_room->floor.marqueeCurrent());
        if (click) {
            QVERIFY(m_room->floor.selectedFileNames().isEmpty());
            QVERIFY(!m_room->floor.isCarpetLifted());
            QVERIFY(lowered);
            QCOMPARE(*lowered, Animation::spring(0.35, 0.75));
        } else {
            QCOMPARE(m_room->floor.selectedFileNames(),
                     QSet<QString>{QStringLiteral("laporan.pdf")});
            QVERIFY(m_room->floor.isCarpetLifted());
        }
    }

    void furnitureViewsFillTheirSlots()
    {
        const RoomGeometry g = root().geometry();
        // The monitor is laid out at 175 x 170 and scaled into its frame.
        RoomItem* monitor = root().slot(Furniture::Monitor)->view();
        QCOMPARE(monitor->size(), QSizeF(175, 170));
        const QRectF mapped = monitor->mapRectToItem(&root(), monitor->rect());
        const QRectF frame = g.frame(Furniture::Monitor).rect();
        QVERIFY(std::abs(mapped.width() - frame.width()) < 1e-6);
        QVERIFY(std::abs(mapped.center().y() - frame.center().y()) < 1e-6);
        // The desk is drawn but never hit, though its view asked for clicks.
        QCOMPARE(root().slot(Furniture::Desk)->view()->acceptedMouseButtons(), Qt::NoButton);
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
        QVERIFY(!trash->isActive());
        QVERIFY(!trash->isGlowing());
        QVERIFY(!root().slot(Furniture::TrashCan)->view()->graphicsEffect());

        // A piece handed in while burning glows too; the one it replaces lets go.
        m_room->state.setFireModeActive(true);
        root().slot(Furniture::Sandals)->setView(clickablePiece());
        QVERIFY(root().slot(Furniture::Sandals)->fire()->isGlowing());
        root().slot(Furniture::Sandals)->setView(clickablePiece());
        QVERIFY(root().slot(Furniture::Sandals)->fire()->isGlowing());
    }

    void emptyRoomStaysFinite()
    {
        m_room->state.setActiveQuickView(ActiveDesktopQuickView::guitar());
        m_room->state.setShowThemePicker(true);
        root().setSize(QSizeF(0, 0));
        const QPointF card = m_room->panelCentre(RoomPanels::quickView);
        QVERIFY(std::isfinite(card.x()) && std::isfinite(card.y()));
        for (int i = 0; i < kFurnitureCount; ++i) {
            const QPointF p = root().slot(Furniture(i))->pos();
            QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()));
        }
    }
};

PONDSILL_TEST(DesktopRootViewTest)
#include "desktop_root_view_test.moc"
