#pragma once

#include <functional>

class QGraphicsSceneDragDropEvent;

// Drags from other programs, as every drop target of the room takes them.
namespace Drops {
// Proposes a copy (else a link) and returns true; a drag offered only as a move is refused
// (false): a move tells the other program to delete its file.
bool proposeCopyOrLink(QGraphicsSceneDragDropEvent* event);

// The drag events of an item that takes drops: the item hands its drag events to it. A drag
// it accepts is taken (nothing below sees it) and lights the item up while over it; a drag
// it refuses is left to what lies below.
class Target {
public:
    using Event = QGraphicsSceneDragDropEvent;
    // `accepts` also sets the drop action (see proposeCopyOrLink); `setTargeted`, which may be
    // empty, is called on every move.
    Target(std::function<bool(Event*)> accepts, std::function<void(Event*)> drop,
           std::function<void(bool)> setTargeted = {});

    void enter(Event* event);
    void move(Event* event);
    void leave();
    void drop(Event* event);

private:
    void target(bool targeted) const;

    std::function<bool(Event*)> m_accepts;
    std::function<void(Event*)> m_drop;
    std::function<void(bool)> m_setTargeted;
};
} // namespace Drops
