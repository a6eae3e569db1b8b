#include "bookshelf/shelf_drop.h"

#include "kit/drops.h"
#include "storage/dropped_url_reader.h"
#include "storage/storage_manager.h"

#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>

namespace {
bool accepts(QGraphicsSceneDragDropEvent* event)
{
    return event->mimeData() && !DroppedURLReader::read(*event->mimeData()).isEmpty() &&
           Drops::proposeCopyOrLink(event);
}

void addToShelf(StorageManager& storage, QGraphicsSceneDragDropEvent* event)
{
    // All of the drop goes to the storage at once: it places the files a slice at a time
    // on later turns and lists the shelf once, so the shelf and the drawer follow once per
    // drop, however many files it holds.
    storage.addDroppedToBookshelf(DroppedURLReader::read(*event->mimeData()));
}
} // namespace

namespace ShelfDrop {
Drops::Target target(StorageManager& storage, std::function<void(bool)> setTargeted)
{
    return Drops::Target(
        accepts, [&storage](QGraphicsSceneDragDropEvent* event) { addToShelf(storage, event); },
        std::move(setTargeted));
}
} // namespace ShelfDrop
