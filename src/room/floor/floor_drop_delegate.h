#pragma once

#include "room/desktop_root_view.h"

class AppState;
class FloorInteractionState;
class QMimeData;
class StorageManager;

// Takes what other programs drag into the room where no piece takes it itself: while the
// drag moves it lights the trash can, the shelf or the photo frame under the pointer and
// shows the floor's highlight; on the drop each local file goes to the Trash, onto the
// shelf, into the frame (images only) or under the carpet at the drop point. The room
// takes a drop as a copy, never as a move: a program that moved would delete its side.
class FloorDropDelegate : public RoomDropTarget {
public:
    FloorDropDelegate(StorageManager& storage, FloorInteractionState& floorState,
                      AppState& appState);

    // The drag names files (a URL list, or text that may name one).
    bool validateDrop(const QMimeData& data) override;
    void dropEntered(const QMimeData& data) override;
    void dropUpdated(QPointF location, const RoomGeometry& room, const QMimeData& data) override;
    void dropExited() override;
    // False only when the drag names nothing that could be a file; the files themselves
    // are moved once they have been read.
    bool performDrop(QPointF location, const RoomGeometry& room, const QMimeData& data) override;

private:
    void clearFlags();

    StorageManager& m_storage;
    FloorInteractionState& m_floorState;
    AppState& m_appState;
};
