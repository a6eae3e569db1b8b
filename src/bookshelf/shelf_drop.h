#pragma once

#include "kit/drops.h"

class QGraphicsSceneDragDropEvent;
class StorageManager;

// Drags from other programs onto the shelf (the cabinet and the drawer take them alike).
namespace ShelfDrop {
// Whether the drag names at least one local file and can be taken as a copy or a link
// (which it is then set to); a drag offered only as a move is refused.
bool accepts(QGraphicsSceneDragDropEvent* event);
// Every local file of the drop goes onto the shelf, later, on the GUI thread.
void addToShelf(StorageManager& storage, QGraphicsSceneDragDropEvent* event);
// A drop target that takes what `accepts` takes and puts it onto the shelf.
Drops::Target target(StorageManager& storage, std::function<void(bool)> setTargeted = {});
} // namespace ShelfDrop
