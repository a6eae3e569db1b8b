#pragma once

#include "kit/room_geometry.h"
#include "kit/transition.h"
#include "state/active_desktop_quick_view.h"

#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class AppState;
class AssetLoader;
class FloorInteractionState;
class RoomItem;
struct RoomPieces;

// What a panel's rules and factory may read: the shared state, the room's size and the
// pieces the room was furnished with.
struct RoomPanelContext {
    AppState& app;
    FloorInteractionState& floor;
    AssetLoader& assets;
    const RoomPieces& pieces;
    RoomGeometry geometry;
};

// How a panel lies over the room.
enum class PanelPlacement {
    // Fills the room and only draws: the pointer passes through (the night, the fire's glow).
    Cover,
    // Sizes itself and is centred on its place over a clear tap layer that closes it.
    Popup,
    // Centred on the room over a dimmed tap layer that closes it (ModalBackdrop).
    Sheet,
};

// One layer over the room: what opens it, where it sits, how it comes and goes and what
// it shows. The room makes the layer while `shown` names something and removes it when it
// names nothing; a different name replaces the layer (another card, another folder), the
// same name keeps it and only places it again.
struct RoomPanel {
    using Close = std::function<void()>;

    QString name;
    qreal z = 45;
    PanelPlacement placement = PanelPlacement::Popup;

    // The fields it watches: a change of any of them asks `shown` again.
    std::vector<void (AppState::*)()> appFields;
    std::vector<void (FloorInteractionState::*)()> floorFields;
    // What it shows while it is open, nothing while it is closed.
    std::function<std::optional<QString>(const RoomPanelContext&)> shown;
    // Closes it: the panel's close action and a click on its tap layer run this inside
    // AppState::quickViewCloseSpring.
    std::function<void(const RoomPanelContext&)> dismiss;

    // Where a popup's centre goes, in room points; asked again when the room's size or the
    // panel's size changes.
    std::function<QPointF(const RoomPanelContext&)> centre;
    Transition in = Transition::opacity();
    Transition out = Transition::opacity();

    // Makes the view, or nothing (the layer then stays empty).
    std::function<RoomItem*(const RoomPanelContext&, Close close)> make;
};

// The views the room is furnished with. The room lays out a slot for every piece and every
// panel; each piece of the program supplies its view here (room_pieces.cpp), and a view
// that is not supplied leaves its place empty. Every factory makes a new view; the room
// owns what it gets.
struct RoomPieces {
    using Close = RoomPanel::Close;
    using CardFactory = std::function<RoomItem*(const ActiveDesktopQuickView& card, Close close)>;

    // The room's own panels, with no views for the pieces' panels yet.
    RoomPieces();

    // One view per piece of furniture, framed to its slot.
    std::array<std::function<RoomItem*()>, kFurnitureCount> furniture;
    // The grass floor over the whole room, with its files and the carpet.
    std::function<RoomItem*()> floor;
    // The layers over the room, one entry each. A new panel is one more entry.
    std::vector<RoomPanel> panels;
    // The quick-view cards, one factory per kind; a card with none shows as an empty
    // card frame. The mail and WhatsApp cases share one card.
    std::map<ActiveDesktopQuickView::Kind, CardFactory> cards;

    // The entry named `name`; it must exist.
    RoomPanel& panel(const QString& name);
    const RoomPanel* findPanel(const QString& name) const;

    // What the program furnishes the room with.
    static RoomPieces standard(AppState& appState);
};

// The names of the room's own panels.
namespace RoomPanels {
inline const QString dimming = QStringLiteral("dimming");
inline const QString fireAtmosphere = QStringLiteral("fireAtmosphere");
inline const QString shelfPopover = QStringLiteral("shelfPopover");
inline const QString bookshelfDrawer = QStringLiteral("bookshelfDrawer");
inline const QString miniPlayer = QStringLiteral("miniPlayer");
inline const QString themePicker = QStringLiteral("themePicker");
inline const QString quickView = QStringLiteral("quickView");
inline const QString floorDropHighlight = QStringLiteral("floorDropHighlight");
} // namespace RoomPanels
