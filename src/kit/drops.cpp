#include "kit/drops.h"

#include <QGraphicsSceneDragDropEvent>

namespace Drops {
bool proposeCopyOrLink(QGraphicsSceneDragDropEvent* event)
{
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    return true;
}

Target::Target(std::function<bool(Event*)> accepts, std::function<void(Event*)> drop,
               std::function<void(bool)> setTargeted)
    : m_accepts(std::move(accepts)), m_drop(std::move(drop)), m_setTargeted(std::move(setTargeted))
{
}

void Target::enter(Event* event)
{
    move(event);
}

void Target::move(Event* event)
{
    const bool accepted = m_accepts(event);
    event->setAccepted(accepted);
    // Set on every move: the room below clears its own flag when the drag leaves it for this
    // item, which may come after this item's enter.
    if (accepted)
        target(true);
}

void Target::leave()
{
    target(false);
}

void Target::drop(Event* event)
{
    target(false);
    if (!m_accepts(event)) {
        event->ignore();
        return;
    }
    event->accept();
    m_drop(event);
}

void Target::target(bool targeted) const
{
    if (m_setTargeted)
        m_setTargeted(targeted);
}
} // namespace Drops
