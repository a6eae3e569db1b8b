#pragma once

struct RoomPieces;

// Hands the room the quick-view cards of this folder, one entry of RoomPieces::cards each.
void addQuickViewCards(RoomPieces& pieces);
