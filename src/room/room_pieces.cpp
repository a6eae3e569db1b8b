#include "room/room_pieces.h"

#include "state/app_state.h"

// Each piece of the room hands its view in here, for example:
//   pieces.furniture[int(Furniture::TrashCan)] = [&] { return new TrashCanView(...); };
//   pieces.quickView = [](const ActiveDesktopQuickView& card, RoomPieces::Close close) {...};
RoomPieces RoomPieces::standard(AppState& appState)
{
    Q_UNUSED(appState);
    RoomPieces pieces;
    return pieces;
}
