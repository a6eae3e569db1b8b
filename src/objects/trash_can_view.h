#pragma once

#include "kit/animated_value.h"
#include "kit/drawing_cache.h"
#include "kit/room_item.h"
#include "objects/trash_can_drawing.h"

#include <QList>
#include <QUrl>

class AppState;
class QMimeData;
class StorageManager;
class UserTrash;

// The pedal bin on the floor, where files leave the room: a file dropped on it goes to the
// Trash; a click opens or closes the trash card, a double click shows the Trash in the file
// manager. Its lid lifts under the pointer and opens wide under a drag, paper shows and the
// light turns orange while the Trash holds something.
class TrashCanView : public RoomItem {
    Q_OBJECT
public:
    TrashCanView(StorageManager& storage, AppState& appState, UserTrash& trash,
                 QGraphicsItem* parent = nullptr);

    // What of a drop the can throws away: existing local files and folders, named by file
    // URL or (as text) by a file URL or an absolute path. Never the home folder, "/", the
    // room's storage folder or its shelf, carpet and album folders, nor anything already in
    // a Trash.
    QList<QUrl> trashableItems(const QMimeData& data) const;

    // The status light as it shows now, and the help text (which tells when the Trash
    // cannot be read).
    TrashCanDrawing::Light statusLight() const;
    QString helpText() const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    void follow();
    void showHelp();
    void setTargeted(bool targeted);
    // Whether the drag over the can brings something to throw away, in a way the can takes.
    bool takes(QGraphicsSceneDragDropEvent* event) const;

    StorageManager& m_storage;
    AppState& m_appState;
    UserTrash& m_trash;
    // How far the can has gone into its targeted look (lid, then the rest) and how far the
    // lid has lifted for the pointer, each on its own spring.
    Animated<double> m_lidTargeted;
    Animated<double> m_targeted;
    Animated<double> m_lidHovered;
    // Whether the drag over the can holds something to throw away: looked at once, as the
    // drag enters, not at every move of the pointer.
    bool m_dragUsable = false;
    DrawingCache m_layers;
    DrawingCache m_lid;
    DrawingCache m_badge;
};
