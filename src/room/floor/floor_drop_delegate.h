#pragma once

#include <QPointF>
#include <QSizeF>

class AppState;
class FloorInteractionState;
class QGraphicsSceneDragDropEvent;
class QMimeData;
class StorageManager;

// Takes what other programs drag into the room: while the drag moves it lights the trash
// can, the shelf or the photo frame under the pointer and shows the floor's highlight; on
// the drop each local file goes to the Trash, onto the shelf, into the frame (images only)
// or under the carpet at the drop point. A drop is taken as a copy, never as a move: a
// program that moved would delete its side of the file.
class FloorDropDelegate {
public:
    FloorDropDelegate(QSizeF screenSize, StorageManager& storage, FloorInteractionState& floorState,
                      AppState& appState);

    // The drag names files (a URL list, or text that may name one).
    static bool validateDrop(const QMimeData& data);
    void dropEntered();
    void dropUpdated(QPointF location);
    void dropExited();
    // False only when the drag names nothing that could be a file; the files themselves
    // are moved once they have been read.
    bool performDrop(QPointF location, const QMimeData& data);

    // The scene's drag events over the room, answered by the rules above.
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event);
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event);
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event);
    void dropEvent(QGraphicsSceneDragDropEvent* event);

private:
    void clearFlags();
    static bool proposeCopy(QGraphicsSceneDragDropEvent* event);

    QSizeF m_screenSize;
    StorageManager& m_storage;
    FloorInteractionState& m_floorState;
    AppState& m_appState;
};
