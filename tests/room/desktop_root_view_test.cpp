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
#include <memory>

namespace {
using Overlay = DesktopRootView::Overlay;

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
} // namespace

class DesktopRootViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<FloorInteractionState> m_floor;
    std::unique_ptr<StorageManager> m_storage;
    std::unique_ptr<QTemporaryDir> m_noImages;
    std::unique_ptr<AssetLoader> m_assets;
    std::unique_ptr<RoomView> m_view;
    std::unique_ptr<SceneInput> m_input;

    QList<ActiveDesktopQuickView> m_cardsMade;
    QList<int> m_shelfIndexes;

    RoomPieces pieces()
    {
        RoomPieces p;
        p.furniture[int(Furniture::TrashCan)] = [] { return clickablePiece(); };
        p.furniture[int(Furniture::Desk)] = [] { return clickablePiece(); };
        p.furniture[int(Furniture::Monitor)] = [] { return clickablePiece(); };
        p.floorDropHighlight = [] { return clickablePiece(); };
        p.shelfPopover = [this](const QUrl&, int index, RoomPieces::Close) {
            m_shelfIndexes.append(index);
            return panel(QSizeF(287, 300));
        };
        p.bookshelfDrawer = [](RoomPieces::Close) { return panel(QSizeF(400, 300)); };
        p.miniPlayer = [](RoomPieces::Close) { return panel(QSizeF(260, 120)); };
        p.quickView = [this](const ActiveDesktopQuickView& card, RoomPieces::Close) {
            m_cardsMade.append(card);
            return panel(QSizeF(280, 200));
        };
        return p;
    }

    DesktopRootView& root() { return *m_view->root(); }
    QPointF panelCentre(Overlay which)
    {
        RoomItem* p = root().overlayPanel(which);
        return p ? p->mapToItem(&root(), p->rect().center()) : QPointF(-1, -1);
    }

    void setGate(int which, bool on)
    {
        switch (Overlay(which)) {
        case Overlay::Dimming:
            m_state->setLampOn(!on);
            break;
        case Overlay::FireAtmosphere:
            m_state->setFireModeActive(on);
            break;
        case Overlay::ShelfPopover:
            m_state->setActiveShelfPopoverURL(
                on ? std::optional(QUrl::fromLocalFile(QStringLiteral("/tmp/Rak/Buku")))
                   : std::nullopt);
            break;
        case Overlay::BookshelfDrawer:
            m_state->setShowBookshelfDrawer(on);
            break;
        case Overlay::MiniPlayer:
            m_state->setShowSpotifyPopup(on);
            break;
        case Overlay::ThemePicker:
            m_state->setShowThemePicker(on);
            break;
        case Overlay::QuickView:
            m_state->setActiveQuickView(on ? std::optional(ActiveDesktopQuickView::trash())
                                           : std::nullopt);
            break;
        case Overlay::FloorDropHighlight:
            m_floor->setFloorTargeted(on);
            break;
        }
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_settings = std::make_unique<QSettings>(m_home->configHome() + QStringLiteral("/p.ini"),
                                                 QSettings::IniFormat);
        m_state = std::make_unique<AppState>(m_settings.get());
        m_floor = std::make_unique<FloorInteractionState>();
        m_storage = std::make_unique<StorageManager>(m_home->path());
        m_noImages = std::make_unique<QTemporaryDir>();
        m_assets = std::make_unique<AssetLoader>(AssetLoader::Locations{{}, {m_noImages->path()}});
        m_cardsMade.clear();
        m_shelfIndexes.clear();
        m_view =
            std::make_unique<RoomView>(*m_state, *m_floor, m_storage.get(), *m_assets, pieces());
        m_view->resize(1440, 900);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QCOMPARE(root().size(), QSizeF(1440, 900));
        m_input = std::make_unique<SceneInput>(*m_view);
    }

    void cleanup()
    {
        m_input.reset();
        m_view.reset();
    }

    void layersFollowTheirGates_data()
    {
        QTest::addColumn<int>("which");
        for (int i = 0; i < DesktopRootView::kOverlayCount; ++i)
            QTest::newRow(qPrintable(QStringLiteral("overlay %1").arg(i))) << i;
    }
    void layersFollowTheirGates()
    {
        QFETCH(int, which);
        for (int i = 0; i < DesktopRootView::kOverlayCount; ++i)
            QVERIFY(!root().overlay(Overlay(i)));
        setGate(which, true);
        for (int i = 0; i < DesktopRootView::kOverlayCount; ++i) {
            // Fire mode lays the atmosphere and takes the night's dimming away.
            const bool expected = i == which;
            QVERIFY2(bool(root().overlay(Overlay(i))) == expected,
                     qPrintable(QStringLiteral("overlay %1").arg(i)));
        }
        QCOMPARE(root().overlay(Overlay(which))->zValue(),
                 DesktopRootView::overlayZ(Overlay(which)));
        setGate(which, false);
        QVERIFY(!root().overlay(Overlay(which)));
    }

    void noDimmingInFireMode()
    {
        m_state->setLampOn(false);
        QVERIFY(root().overlay(Overlay::Dimming));
        m_state->setFireModeActive(true);
        QVERIFY(!root().overlay(Overlay::Dimming));
        QVERIFY(root().overlay(Overlay::FireAtmosphere));
    }

    void stacking()
    {
        const qreal floor = root().floorLayer()->zValue();
        for (Furniture piece : {Furniture::StratocasterGuitar, Furniture::AcousticGuitar,
                                Furniture::TrashCan, Furniture::Sandals})
            QVERIFY(floor > root().slot(piece)->zValue());
        QVERIFY(floor < root().slot(Furniture::WallClock)->zValue());

        // A dragged floor file travels above every piece and above the night and the fire.
        m_floor->setDraggingFloorFileName(QStringLiteral("a.txt"));
        const qreal dragging = root().floorLayer()->zValue();
        for (int i = 0; i < kFurnitureCount; ++i)
            QVERIFY(dragging > root().slot(Furniture(i))->zValue());
        QVERIFY(dragging > DesktopRootView::overlayZ(Overlay::Dimming));
        QVERIFY(dragging > DesktopRootView::overlayZ(Overlay::FireAtmosphere));
        m_floor->setDraggingFloorFileName(std::nullopt);
        QCOMPARE(root().floorLayer()->zValue(), floor);

        // A card lies over the picker, the drop highlight over everything but a card.
        m_state->setShowThemePicker(true);
        m_state->setActiveQuickView(ActiveDesktopQuickView::clock());
        m_floor->setFloorTargeted(true);
        QVERIFY(root().overlay(Overlay::QuickView)->zValue() >
                root().overlay(Overlay::FloorDropHighlight)->zValue());
        QVERIFY(root().overlay(Overlay::FloorDropHighlight)->zValue() >
                root().overlay(Overlay::ThemePicker)->zValue());
    }

    void nightAndFireTakeNoClicks()
    {
        m_floor->setSelectedFileNames({QStringLiteral("a.txt")});
        m_state->setLampOn(false);
        m_input->click(QPointF(700, 800));
        QVERIFY(m_floor->selectedFileNames().isEmpty()); // the room below got the click

        int clicks = 0;
        root().slot(Furniture::TrashCan)->setView(clickablePiece(&clicks));
        m_state->setFireModeActive(true); // flames over the can, the atmosphere over the room
        m_input->click(root().geometry().trashCentre());
        QCOMPARE(clicks, 1);
    }

    void cardClosesOnClicksOutsideOnly()
    {
        AnimationClock::shared().setManual(true);
        m_state->toggleQuickView(ActiveDesktopQuickView::trash());
        QVERIFY(root().overlay(Overlay::QuickView));
        AnimationClock::shared().advance(0.05); // the card is on its way in
        AnimationClock::shared().setManual(false);
        const QPointF centre = panelCentre(Overlay::QuickView);
        m_input->click(centre);
        QVERIFY(m_state->activeQuickView());

        std::optional<Animation> closedWith;
        connect(m_state.get(), &AppState::activeQuickViewChanged, this,
                [&] { closedWith = currentAnimation(); });
        m_input->click(QPointF(20, 20));
        QVERIFY(!m_state->activeQuickView());
        QVERIFY(closedWith);
        QCOMPARE(*closedWith, AppState::quickViewCloseSpring);
        QVERIFY(!root().overlay(Overlay::QuickView));
    }

    void cardsLandAtTheirCentres_data()
    {
        QTest::addColumn<ActiveDesktopQuickView>("card");
        QTest::newRow("clock") << ActiveDesktopQuickView::clock();
        QTest::newRow("photo 4") << ActiveDesktopQuickView::photo(4);
        QTest::newRow("acoustic guitar") << ActiveDesktopQuickView::acousticGuitar();
        QTest::newRow("tolvane plaque") << ActiveDesktopQuickView::tolvanePlaque();
    }
    void cardsLandAtTheirCentres()
    {
        QFETCH(ActiveDesktopQuickView, card);
        m_state->setActiveQuickView(card);
        QCOMPARE(m_cardsMade.size(), 1);
        QVERIFY(m_cardsMade.first() == card);
        QCOMPARE(panelCentre(Overlay::QuickView), root().geometry().quickViewCentre(card));
        // A new size moves it along.
        m_view->resize(1000, 700);
        QTRY_COMPARE(root().size(), QSizeF(1000, 700));
        QCOMPARE(panelCentre(Overlay::QuickView), root().geometry().quickViewCentre(card));
    }

    void mailAndWhatsappAreOneCard()
    {
        m_state->setActiveQuickView(ActiveDesktopQuickView::mail());
        const QPointF mail = panelCentre(Overlay::QuickView);
        QGraphicsObject* layer = root().overlay(Overlay::QuickView);
        m_state->setActiveQuickView(ActiveDesktopQuickView::whatsapp());
        QCOMPARE(panelCentre(Overlay::QuickView), mail);
        QCOMPARE(root().overlay(Overlay::QuickView), layer); // the same card stays
    }

    void popoverPassesTheShelf_data()
    {
        QTest::addColumn<int>("activeIndex");
        QTest::addColumn<int>("passed");
        QTest::newRow("upper shelf") << 0 << 0;
        QTest::newRow("second shelf") << 1 << 1;
        QTest::newRow("fourth shelf") << 3 << 1;
    }
    void popoverPassesTheShelf()
    {
        QFETCH(int, activeIndex);
        QFETCH(int, passed);
        m_state->setActiveShelfIndex(activeIndex);
        setGate(int(Overlay::ShelfPopover), true);
        QCOMPARE(m_shelfIndexes, QList<int>{passed});
        QCOMPARE(panelCentre(Overlay::ShelfPopover),
                 root().geometry().shelfPopoverCentre(activeIndex));
        // A click outside closes it inside the close spring.
        m_input->click(QPointF(1400, 880));
        QVERIFY(!m_state->activeShelfPopoverURL());
    }

    void pickerSitsOverItsBackdrop()
    {
        m_state->setShowThemePicker(true);
        auto* picker = qobject_cast<ThemePickerView*>(root().overlayPanel(Overlay::ThemePicker));
        QVERIFY(picker);
        const QPointF centre = picker->mapToItem(&root(), picker->rect().center());
        QCOMPARE(centre, QPointF(720, 450));
        // On the sheet but on no button: it stays. On the backdrop: it goes.
        m_input->click(picker->mapToScene(QPointF(160, picker->size().height() - 20)) -
                       QPointF(120, 0));
        QVERIFY(m_state->showThemePicker());
        m_input->click(QPointF(50, 50));
        QVERIFY(!m_state->showThemePicker());
        QCOMPARE(m_state->currentTheme(), RoomTheme::library());
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
        QFile file(m_storage->paths().carpet + QStringLiteral("/laporan.pdf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        m_storage->refreshCarpetItems();
        QTRY_COMPARE(m_storage->carpetItems().size(), 1);
        FloorPositions positions;
        positions.insert(QStringLiteral("laporan.pdf"), StoredPosition{0.5, 0.5});
        m_storage->setFloorItemPositions(positions);

        m_floor->setSelectedFileNames({QStringLiteral("other.txt")});
        m_floor->setCarpetLifted(true);
        std::optional<Animation> lowered;
        connect(m_floor.get(), &FloorInteractionState::isCarpetLiftedChanged, this,
                [&] { lowered = currentAnimation(); });

        // From just left of the file's box towards it.
        const QPointF from(640, 450);
        m_input->press(from);
        m_input->move(from + QPointF(moved, 0));
        if (!click)
            QVERIFY(m_floor->isMarqueeSelecting());
        m_input->release(from + QPointF(moved, 0));

        QVERIFY(!m_floor->isMarqueeSelecting());
        QVERIFY(!m_floor->marqueeStart() && !m_floor->marqueeCurrent());
        if (click) {
            QVERIFY(m_floor->selectedFileNames().isEmpty());
            QVERIFY(!m_floor->isCarpetLifted());
            QVERIFY(lowered);
            QCOMPARE(*lowered, Animation::spring(0.35, 0.75));
        } else {
            QCOMPARE(m_floor->selectedFileNames(), QSet<QString>{QStringLiteral("laporan.pdf")});
            QVERIFY(m_floor->isCarpetLifted());
        }
    }

    void furnitureViewsFillTheirSlots()
    {
        const RoomGeometry g = root().geometry();
        RoomItem* trash = root().slot(Furniture::TrashCan)->view();
        QVERIFY(trash);
        QCOMPARE(trash->mapRectToItem(&root(), trash->rect()), g.frame(Furniture::TrashCan).rect());
        // The monitor is laid out at 175 x 170 and scaled into its frame.
        RoomItem* monitor = root().slot(Furniture::Monitor)->view();
        QCOMPARE(monitor->size(), QSizeF(175, 170));
        const QRectF mapped = monitor->mapRectToItem(&root(), monitor->rect());
        const QRectF frame = g.frame(Furniture::Monitor).rect();
        QVERIFY(std::abs(mapped.width() - frame.width()) < 1e-6);
        QVERIFY(std::abs(mapped.center().y() - frame.center().y()) < 1e-6);
        // The desk is drawn but never hit, though its view asked for clicks.
        QCOMPARE(root().slot(Furniture::Desk)->view()->acceptedMouseButtons(), Qt::NoButton);
        QCOMPARE(root().slot(Furniture::Sandals)->fireHeight(), 22.0);
        QCOMPARE(root().slot(Furniture::Desk)->fireHeight(), 42.0);
    }

    void fireModeBurnsEveryPiece()
    {
        AnimationClock::shared().setManual(true);
        m_state->toggleFireMode();
        for (int i = 0; i < kFurnitureCount; ++i) {
            FurnitureSlot* s = root().slot(Furniture(i));
            QVERIFY(s->fire()->isActive());
            QCOMPARE(s->fire()
                         ->fireView()
                         ->mapRectToItem(&root(), QRectF(QPointF(), s->size()))
                         .center(),
                     root().geometry().frame(Furniture(i)).centre);
        }
        // The pieces with a view glow; the flames fade in with the fire's own animation.
        BurningFireModifier* trash = root().slot(Furniture::TrashCan)->fire();
        QVERIFY(trash->isGlowing());
        QVERIFY(!root().slot(Furniture::Sandals)->fire()->isGlowing()); // no view yet
        QVERIFY(trash->fireView()->parentItem()->opacity() < 0.01);
        AnimationClock::shared().advance(0.6);
        QCOMPARE(trash->fireView()->parentItem()->opacity(), 1.0);

        m_state->setFireModeActive(false);
        AnimationClock::shared().setManual(false);
        QVERIFY(!trash->isActive());
        QVERIFY(!trash->isGlowing());
        QVERIFY(!root().slot(Furniture::TrashCan)->view()->graphicsEffect());

        // A piece handed in while burning glows too; the one it replaces lets go.
        m_state->setFireModeActive(true);
        root().slot(Furniture::Sandals)->setView(clickablePiece());
        QVERIFY(root().slot(Furniture::Sandals)->fire()->isGlowing());
        root().slot(Furniture::Sandals)->setView(clickablePiece());
        QVERIFY(root().slot(Furniture::Sandals)->fire()->isGlowing());
    }

    void emptyRoomStaysFinite()
    {
        m_state->setActiveQuickView(ActiveDesktopQuickView::guitar());
        m_state->setShowThemePicker(true);
        root().setSize(QSizeF(0, 0));
        const QPointF card = panelCentre(Overlay::QuickView);
        QVERIFY(std::isfinite(card.x()) && std::isfinite(card.y()));
        for (int i = 0; i < kFurnitureCount; ++i) {
            const QPointF p = root().slot(Furniture(i))->pos();
            QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()));
        }
    }
};

PONDSILL_TEST(DesktopRootViewTest)
#include "desktop_root_view_test.moc"
