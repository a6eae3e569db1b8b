#include "bookshelf/shelf_drop.h"

#include "kit/drops.h"
#include "storage/dropped_url_reader.h"
#include "storage/storage_manager.h"

#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>
#include <QPointer>

namespace {
bool accepts(QGraphicsSceneDragDropEvent* event)
{
    return event->mimeData() && !DroppedURLReader::read(*event->mimeData()).isEmpty() &&
           Drops::proposeCopyOrLink(event);
}

void addToShelf(StorageManager& storage, QGraphicsSceneDragDropEvent* event)
{
    // The files are read after the drop returns; the storage may be gone by then.
    QPointer<StorageManager> guarded(&storage);
    StorageManager::loadDroppedURL(*event->mimeData(), [guarded](const QUrl& url) {
        if (guarded)
            guarded->addToBookshelf(url);
    });
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
