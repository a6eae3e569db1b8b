#pragma once

#include "kit/room_geometry.h"
#include "state/active_desktop_quick_view.h"

#include <QUrl>

#include <array>
#include <functional>

class AppState;
class RoomItem;

// The views the room is furnished with. The room lays out a slot for every piece and every
// overlay; each piece of the program supplies its view here (room_pieces.cpp), and a view
// that is not supplied leaves its place empty. Every factory makes a new view; the room
// owns what it gets.
struct RoomPieces {
    using Close = std::function<void()>;

    // One view per piece of furniture, framed to its slot.
    std::array<std::function<RoomItem*()>, kFurnitureCount> furniture;
    // The grass floor over the whole room, with its files and the carpet.
    std::function<RoomItem*()> floor;
    // Panels over the room. Each sizes itself; the room centres it on its place.
    std::function<RoomItem*(const QUrl& folder, int shelfIndex, Close close)> shelfPopover;
    std::function<RoomItem*(Close close)> bookshelfDrawer;
    std::function<RoomItem*(Close close)> miniPlayer;
    std::function<RoomItem*(const ActiveDesktopQuickView& card, Close close)> quickView;
    // Shown while something from another program is dragged over the floor.
    std::function<RoomItem*()> floorDropHighlight;

    // What the program furnishes the room with.
    static RoomPieces standard(AppState& appState);
};
