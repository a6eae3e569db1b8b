#include "room/room_pieces.h"

#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "cards/room_cards.h"
#include "cards/wall_cards.h"
#include "corkboard/corkboard_view.h"
#include "corkboard/karsumo_sticker_view.h"
#include "desk/desk_lamp_view.h"
#include "desk/spotify_mini_player_view.h"
#include "desk/vintage_radio_view.h"
#include "desk/workstation_desk_view.h"
#include "desk/workstation_monitor_view.h"
#include "kit/colors.h"
#include "kit/panel_backdrop.h"
#include "kit/room_item.h"
#include "objects/guitar_view.h"
#include "objects/potted_plant_view.h"
#include "objects/sandal_jepit_view.h"
#include "objects/trash_can_view.h"
#include "platform/file_manager_reveal.h"
#include "platform/spotify_service.h"
#include "platform/user_trash.h"
#include "room/asset_loader.h"
#include "room/effects/room_fire_atmosphere_view.h"
#include "room/floor/floor_drop_highlight_overlay.h"
#include "room/floor/magic_carpet_view.h"
#include "room/theme_picker_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "wall/analog_wall_clock_view.h"
#include "wall/desktop_award_plaque_view.h"
#include "wall/photo_gallery_view.h"
#include "wall/presidential_portrait_view.h"

#include <QPainter>

namespace {
// A room-sized layer that only draws: the night dimming.
class FillLayer : public RoomItem {
public:
    explicit FillLayer(QColor color) : m_color(color) {}
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->fillRect(rect(), m_color);
    }

private:
    QColor m_color;
};

// The bare card surface a card lies on until the card's own view is supplied.
class EmptyCardView : public RoomItem {
public:
    EmptyCardView()
    {
        setSize(QSizeF(280, 220));
        new PanelBackdrop(PanelSurface::card(), this);
    }
};

// A view made from the room's state alone (or from nothing), made when the room asks for it.
template <class View, class... Args> std::function<RoomItem*()> made(Args&... args)
{
    return [&args...]() -> RoomItem* { return new View(args...); };
}

std::optional<QString> openWhen(bool open)
{
    // A layer with nothing to tell its openings apart is the same layer while it stays open.
    return open ? std::optional(QStringLiteral("open")) : std::nullopt;
}

QString cardIdentity(const ActiveDesktopQuickView& v)
{
    QString id = QString::number(int(v.kind()));
    // The messaging card is one card for both of its cases.
    if (v.kind() == ActiveDesktopQuickView::Whatsapp)
        id = QString::number(int(ActiveDesktopQuickView::Mail));
    if (v.kind() == ActiveDesktopQuickView::Photo)
        id += QLatin1Char(':') + QString::number(v.slot());
    if (v.kind() == ActiveDesktopQuickView::CarpetItem)
        id += QLatin1Char(':') + v.url().toString();
    return id;
}

// How a popup grows out of the furniture at its side: scaled from `scale` about `anchor`,
// moved by `offset` and faded. A panel takes one for its way in and a slighter one for its
// way out.
Transition growFrom(UnitPoint anchor, qreal scale, QPointF offset)
{
    return Transition::scaled(scale, anchor)
        .combined(Transition::offsetBy(offset))
        .combined(Transition::opacity());
}

std::vector<RoomPanel> roomPanels()
{
    std::vector<RoomPanel> panels;

    panels.push_back(RoomPanel{
        .name = RoomPanels::dimming,
        .z = 22,
        .placement = PanelPlacement::Cover,
        .appFields = {&AppState::lampOnChanged, &AppState::isFireModeActiveChanged},
        .shown =
            [](const RoomPanelContext& c) {
                return openWhen(!c.app.lampOn() && !c.app.isFireModeActive());
            },
        .make = [](const RoomPanelContext&, RoomPanel::Close) -> RoomItem* {
            return new FillLayer(Colors::black(0.65));
        },
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::fireAtmosphere,
        .z = 24,
        .placement = PanelPlacement::Cover,
        .appFields = {&AppState::isFireModeActiveChanged},
        .shown = [](const RoomPanelContext& c) { return openWhen(c.app.isFireModeActive()); },
        .make = [](const RoomPanelContext& c, RoomPanel::Close) -> RoomItem* {
            return new RoomFireAtmosphereView(c.app);
        },
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::shelfPopover,
        .z = 45,
        .appFields = {&AppState::activeShelfPopoverURLChanged, &AppState::activeShelfIndexChanged},
        .shown = [](const RoomPanelContext& c) -> std::optional<QString> {
            // The popover is built for the upper shelf or for one of the lower ones.
            if (const auto& url = c.app.activeShelfPopoverURL())
                return url->toString() + QLatin1Char('|') +
                       QString::number(c.app.activeShelfIndex() > 0 ? 1 : 0);
            return std::nullopt;
        },
        .dismiss = [](const RoomPanelContext& c) { c.app.setActiveShelfPopoverURL(std::nullopt); },
        .centre =
            [](const RoomPanelContext& c) {
                return c.geometry.shelfPopoverCentre(c.app.activeShelfIndex());
            },
        .in = growFrom(UnitPoint::leading(), 0.86, QPointF(-14, 0)),
        .out = growFrom(UnitPoint::leading(), 0.92, QPointF(-6, 0)),
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::bookshelfDrawer,
        .z = 45,
        .appFields = {&AppState::showBookshelfDrawerChanged},
        .shown = [](const RoomPanelContext& c) { return openWhen(c.app.showBookshelfDrawer()); },
        .dismiss = [](const RoomPanelContext& c) { c.app.setShowBookshelfDrawer(false); },
        .centre = [](const RoomPanelContext& c) { return c.geometry.drawerCentre(); },
        .in = growFrom(UnitPoint::leading(), 0.88, QPointF(-16, 0)),
        .out = growFrom(UnitPoint::leading(), 0.92, QPointF(-8, 0)),
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::miniPlayer,
        .z = 45,
        .appFields = {&AppState::showSpotifyPopupChanged},
        .shown = [](const RoomPanelContext& c) { return openWhen(c.app.showSpotifyPopup()); },
        .dismiss = [](const RoomPanelContext& c) { c.app.setShowSpotifyPopup(false); },
        .centre = [](const RoomPanelContext& c) { return c.geometry.miniPlayerCentre(); },
        .in = growFrom(UnitPoint::bottom(), 0.86, QPointF(0, 12)),
        .out = growFrom(UnitPoint::bottom(), 0.92, QPointF(0, 6)),
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::themePicker,
        .z = 40,
        .placement = PanelPlacement::Sheet,
        .appFields = {&AppState::showThemePickerChanged},
        .shown = [](const RoomPanelContext& c) { return openWhen(c.app.showThemePicker()); },
        .dismiss = [](const RoomPanelContext& c) { c.app.setShowThemePicker(false); },
        .make = [](const RoomPanelContext& c, RoomPanel::Close) -> RoomItem* {
            AppState& app = c.app;
            ThemePickerView::Bindings bindings;
            bindings.currentTheme = [&app] { return app.currentTheme(); };
            bindings.setCurrentTheme = [&app](RoomTheme theme) { app.setCurrentTheme(theme); };
            bindings.setPresented = [&app](bool shown) { app.setShowThemePicker(shown); };
            auto* picker = new ThemePickerView(std::move(bindings), c.assets);
            QObject::connect(&app, &AppState::currentThemeChanged, picker,
                             &ThemePickerView::refresh);
            return picker;
        },
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::quickView,
        .z = 50,
        .appFields = {&AppState::activeQuickViewChanged},
        .shown = [](const RoomPanelContext& c) -> std::optional<QString> {
            if (const auto& card = c.app.activeQuickView())
                return cardIdentity(*card);
            return std::nullopt;
        },
        .dismiss = [](const RoomPanelContext& c) { c.app.setActiveQuickView(std::nullopt); },
        .centre =
            [](const RoomPanelContext& c) {
                return c.geometry.quickViewCentre(
                    c.app.activeQuickView().value_or(ActiveDesktopQuickView()));
            },
        .in = Transition::scaled(0.86)
                  .combined(Transition::offsetBy(QPointF(0, 10)))
                  .combined(Transition::opacity()),
        .out = Transition::scaled(0.9)
                   .combined(Transition::offsetBy(QPointF(0, 4)))
                   .combined(Transition::opacity()),
        .make = [](const RoomPanelContext& c, RoomPanel::Close close) -> RoomItem* {
            const ActiveDesktopQuickView card =
                c.app.activeQuickView().value_or(ActiveDesktopQuickView());
            auto kind = card.kind();
            if (kind == ActiveDesktopQuickView::Whatsapp)
                kind = ActiveDesktopQuickView::Mail;
            const auto found = c.pieces.cards.find(kind);
            RoomItem* view = nullptr;
            if (found != c.pieces.cards.end() && found->second)
                view = found->second(card, std::move(close));
            return view ? view : new EmptyCardView;
        },
    });

    panels.push_back(RoomPanel{
        .name = RoomPanels::floorDropHighlight,
        .z = 48,
        .placement = PanelPlacement::Cover,
        .floorFields = {&FloorInteractionState::isFloorTargetedChanged},
        .shown = [](const RoomPanelContext& c) { return openWhen(c.floor.isFloorTargeted()); },
    });

    return panels;
}
} // namespace

RoomPieces::RoomPieces() : panels(roomPanels()) {}

RoomPanel& RoomPieces::panel(const QString& name)
{
    for (RoomPanel& p : panels) {
        if (p.name == name)
            return p;
    }
    qFatal("no room panel named %s", qPrintable(name));
}

const RoomPanel* RoomPieces::findPanel(const QString& name) const
{
    for (const RoomPanel& p : panels) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

// Each piece of the room hands its view in here, for example:
//   pieces.furniture[int(Furniture::TrashCan)] = [&] { return new TrashCanView(...); };
//   pieces.panel(RoomPanels::bookshelfDrawer).make = [](const RoomPanelContext&, Close) {...};
//   pieces.cards[ActiveDesktopQuickView::Clock] = [](const ActiveDesktopQuickView&, Close) {...};
// and a new layer over the room is one more entry: pieces.panels.push_back(RoomPanel{...}).
RoomPieces RoomPieces::standard(AppState& appState)
{
    RoomPieces pieces;
    pieces.floor = [&appState]() -> RoomItem* {
        return new MagicCarpetView(StorageManager::shared(), FloorInteractionState::shared(),
                                   appState);
    };
    pieces.panel(RoomPanels::floorDropHighlight).make = [](const RoomPanelContext&, Close) {
        return new FloorDropHighlightOverlay;
    };
    pieces.panel(RoomPanels::miniPlayer).make = [](const RoomPanelContext& c, Close) -> RoomItem* {
        AppState& app = c.app;
        // The card's own close button hides it at once; a click beside it closes it with
        // the room's closing spring.
        return new SpotifyMiniPlayerView(SpotifyService::shared(),
                                         [&app] { app.setShowSpotifyPopup(false); });
    };
    pieces.furniture[int(Furniture::Radio)] = [&appState]() -> RoomItem* {
        return new VintageRadioView(SpotifyService::shared(), appState);
    };
    pieces.furniture[int(Furniture::DeskLamp)] = made<DeskLampView>(appState);
    pieces.furniture[int(Furniture::PhotoGallery)] = [&appState]() -> RoomItem* {
        return new PhotoGalleryView(StorageManager::shared(), appState);
    };
    pieces.furniture[int(Furniture::PresidentPortrait)] = [&appState]() -> RoomItem* {
        return new PresidentialPortraitView(PresidentialPortraitType::President, appState);
    };
    pieces.furniture[int(Furniture::VicePresidentPortrait)] = [&appState]() -> RoomItem* {
        return new PresidentialPortraitView(PresidentialPortraitType::VicePresident, appState);
    };
    pieces.furniture[int(Furniture::WallClock)] = made<AnalogWallClockView>(appState);
    pieces.furniture[int(Furniture::Corkboard)] = [&appState]() -> RoomItem* {
        return new CorkboardView(StorageManager::shared(), appState, [&appState]() -> RoomItem* {
            return new KarsumoStickerView(appState, 52, 35);
        });
    };
    pieces.furniture[int(Furniture::Bookshelf)] = [&appState]() -> RoomItem* {
        return new BookshelfView(StorageManager::shared(), appState);
    };
    pieces.furniture[int(Furniture::QuennetPlaque)] = [&appState]() -> RoomItem* {
        return new DesktopAwardPlaqueView(DesktopAwardPlaqueView::quennet(), appState,
                                          AssetLoader::shared());
    };
    pieces.furniture[int(Furniture::TolvanePlaque)] = [&appState]() -> RoomItem* {
        return new DesktopAwardPlaqueView(DesktopAwardPlaqueView::tolvane(), appState,
                                          AssetLoader::shared());
    };
    pieces.furniture[int(Furniture::AcousticGuitar)] = made<AcousticGuitarView>(appState);
    pieces.furniture[int(Furniture::StratocasterGuitar)] = made<StratocasterGuitarView>(appState);
    pieces.furniture[int(Furniture::PottedPlant)] = made<PottedPlantView>();
    pieces.furniture[int(Furniture::Sandals)] = made<SandalJepitView>(appState);
    pieces.furniture[int(Furniture::TrashCan)] = [&appState]() -> RoomItem* {
        return new TrashCanView(StorageManager::shared(), appState, UserTrash::shared());
    };
    pieces.furniture[int(Furniture::Desk)] = made<WorkstationDeskView>();
    pieces.furniture[int(Furniture::Monitor)] = [&appState]() -> RoomItem* {
        return new WorkstationMonitorView(appState, FileManagerReveal::shared(),
                                          AssetLoader::shared());
    };
    pieces.panel(RoomPanels::bookshelfDrawer).make = [](const RoomPanelContext&, Close close) {
        return new BookshelfDrawerView(StorageManager::shared(), std::move(close));
    };
    pieces.panel(RoomPanels::shelfPopover).make = [](const RoomPanelContext& c, Close close) {
        const QUrl url = c.app.activeShelfPopoverURL().value_or(QUrl());
        return new ShelfFlyoutPopoverView(url, c.app.activeShelfIndex(), c.app,
                                          StorageManager::shared(), std::move(close));
    };
    WallCards::furnish(pieces);
    addQuickViewCards(pieces);
    return pieces;
}
