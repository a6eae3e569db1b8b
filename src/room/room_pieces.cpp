#include "room/room_pieces.h"

#include "room/floor/floor_drop_highlight_overlay.h"
#include "room/floor/magic_carpet_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

// Each piece of the room hands its view in here, for example:
//   pieces.furniture[int(Furniture::TrashCan)] = [&] { return new TrashCanView(...); };
//   pieces.quickView = [](const ActiveDesktopQuickView& card, RoomPieces::Close close) {...};
RoomPieces RoomPieces::standard(AppState& appState)
{
    RoomPieces pieces;
    pieces.floor = [&appState]() -> RoomItem* {
        return new MagicCarpetView(StorageManager::shared(), FloorInteractionState::shared(),
                                   appState);
    };
    pieces.floorDropHighlight = [] { return new FloorDropHighlightOverlay; };
    return pieces;
}
