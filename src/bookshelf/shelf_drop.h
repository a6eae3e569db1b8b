#pragma once

#include "kit/drops.h"

class StorageManager;

// Drags from other programs onto the shelf (the cabinet and the drawer take them alike).
namespace ShelfDrop {
// A drop target that takes a drag naming at least one local file, as a copy or a link (a
// drag offered only as a move is refused), and puts every local file of it onto the shelf,
// later, on the GUI thread.
Drops::Target target(StorageManager& storage, std::function<void(bool)> setTargeted = {});
} // namespace ShelfDrop
