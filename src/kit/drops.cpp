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
} // namespace Drops
