#pragma once

class QGraphicsSceneDragDropEvent;

// Drags from other programs, as every drop target of the room takes them.
namespace Drops {
// Proposes a copy (else a link) and returns true; a drag offered only as a move is refused
// (false): a move tells the other program to delete its file.
bool proposeCopyOrLink(QGraphicsSceneDragDropEvent* event);
} // namespace Drops
