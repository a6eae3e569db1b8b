#pragma once

#include "support/temp_home.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QMap>
#include <QPointF>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class AppState;
class AssetLoader;
class DesktopRootView;
class FloorInteractionState;
class MagicCarpetView;
class RoomView;
class QGraphicsSceneDragDropEvent;
class QMimeData;
class StorageManager;

// The room at 1440 x 900 with only its floor (the furniture's places stay empty),
// offscreen, on a fresh home folder whose carpet folder ("Karpet") holds the given files
// at the given normalised places. Gestures reach the scene as a person's mouse would send
// them, at exact points.
class FloorRoom {
public:
    static constexpr int width = 1440;
    static constexpr int height = 900;

    explicit FloorRoom(const QMap<QString, QPointF>& files);
    ~FloorRoom();

    TempHome& home() { return m_home; }
    StorageManager& storage() { return *m_storage; }
    FloorInteractionState& floorState() { return *m_floorState; }
    AppState& appState() { return *m_appState; }
    MagicCarpetView& floor() { return *m_floor; }
    DesktopRootView& root();
    QGraphicsScene& scene();

    QString storagePath() const;
    QString carpetPath(const QString& name = {}) const;
    QString shelfPath(const QString& name = {}) const;
    QString albumPath(const QString& name = {}) const;
    QString trashFilesPath(const QString& name = {}) const;
    // Room point of a normalised place.
    static QPointF at(QPointF normalised)
    {
        return {normalised.x() * width, normalised.y() * height};
    }

    // floor_positions.json as it is on disk: the file positions, and the carpet's.
    QMap<QString, QPointF> storedPositions() const;
    QPointF storedCarpetPosition() const;

    // The pointer: a press, moves in `steps` to the end, a release.
    void drag(QPointF from, QPointF to, int steps = 4);
    void click(QPointF at);
    void press(QPointF at);
    void moveTo(QPointF at);
    void release(QPointF at);
    // An outside drag of `data` to `at`, dropped there: how the room took it (IgnoreAction
    // when it refused).
    Qt::DropAction dropAt(QPointF at, QMimeData* data,
                          Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction);
    void dragOver(QPointF at, QMimeData* data);
    void dragLeave(QMimeData* data);

private:
    void sendMouse(QEvent::Type type, QPointF at, Qt::MouseButton button);
    void sendDrag(QEvent::Type type, QPointF at, QMimeData* data, Qt::DropActions actions,
                  QGraphicsSceneDragDropEvent* out = nullptr);

    TempHome m_home;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<FloorInteractionState> m_floorState;
    std::unique_ptr<StorageManager> m_storage;
    QTemporaryDir m_noImages;
    std::unique_ptr<AssetLoader> m_assets;
    std::unique_ptr<RoomView> m_view;
    MagicCarpetView* m_floor = nullptr;
    Qt::MouseButtons m_buttons;
    QPointF m_pressPos;
    QPointF m_lastPos;
};
