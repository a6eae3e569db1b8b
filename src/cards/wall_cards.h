#pragma once

struct RoomPieces;

// Hands the room the cards of the photo frames, the floor's files and the award plaques.
namespace WallCards {
void furnish(RoomPieces& pieces);
} // namespace WallCards
