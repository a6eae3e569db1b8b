#pragma once

#include "platform/event_sounds.h"
#include "support/temp_home.h"

#include <QEvent>
#include <QGraphicsScene>
#include <QJsonObject>
#include <QMap>
#include <QMenu>
#include <QPointF>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <source_location>

class AppState;
class AssetLoader;
class DesktopRootView;
class FloorInteractionState;
class MagicCarpetView;
class RoomView;
struct RoomPieces;
class QMimeData;
class StorageManager;

// The room at 1440 x 900 with only its floor unless furnished, offscreen and silent, on a
// fresh home whose carpet folder holds `files` at their normalised places. Gestures reach the
// scene as a mouse sends them, at exact points.
class FloorRoom {
public:
    static constexpr int width = 1440;
    static constexpr int height = 900;

    // Adds pieces to the room before it is built.
    using Furnish = std::function<void(FloorRoom& room, RoomPieces& pieces)>;

    explicit FloorRoom(const QMap<QString, QPointF>& files, const Furnish& furnish = {});
    ~FloorRoom();

    TempHome& home() { return m_home; }
    StorageManager& storage() { return *m_storage; }
    FloorInteractionState& floorState() { return *m_floorState; }
    AppState& appState() { return *m_appState; }
    MagicCarpetView& floor() { return *m_floor; }
    DesktopRootView& root();
    RoomView& view() { return *m_view; }

    QString storagePath(const QString& relative) const
    {
        return m_home.path() + QStringLiteral("/Documents/RidezozEvar/") + relative;
    }
    QString carpetPath(const QString& name = {}) const { return inStorage("Karpet/", name); }
    QString shelfPath(const QString& name = {}) const { return inStorage("Rak/", name); }
    QString albumPath(const QString& name = {}) const { return inStorage("Album/", name); }
    QString trashFilesPath(const QString& name = {}) const
    {
        return m_home.dataHome() + QStringLiteral("/Trash/files/") + name;
    }
    // What the Desktop, the carpet, the shelf, the album and the Trash hold, sorted, as
    // "Karpet/a.txt"; a link ends in "@".
    QStringList files() const;
    static QPointF at(QPointF normalised)
    {
        return {normalised.x() * width, normalised.y() * height};
    }

    // floor_positions.json as it is on disk.
    QMap<QString, QPointF> storedPositions() const;
    QPointF storedCarpetPosition() const;
    // The sounds the room asked for, in order.
    QStringList playedSounds() const { return m_sounds.played; }

    // The gestures and menu choices below return once the moves they started (a move of many
    // goes a slice per turn of the event loop) have ended; a drop returns at once, so that a
    // test may look at it a slice at a time (settle() waits for its end).
    void drag(QPointF from, QPointF to, int steps = 4);
    void click(QPointF at)
    {
        press(at);
        release(at);
    }
    void doubleClick(QPointF at);
    void press(QPointF at);
    void moveTo(QPointF at) { sendMouse(QEvent::GraphicsSceneMouseMove, at, Qt::NoButton); }
    void release(QPointF at);
    // Waits for the moves of many items, the drops onto the shelf and the copies the room
    // makes on workers (a photo being framed, a move from another file system) to land; fails
    // the test where it waited, naming what was still running, when they have not after 30 s.
    void settle(const std::source_location& where = std::source_location::current());
    // Chooses `title` from an item's context menu; false when it has no such entry.
    template <class Item> bool chooseFromMenu(Item& item, const QString& title);
    // An outside drag of `data` dropped at `at`: how the room took it (IgnoreAction when it
    // refused). dragMoveTo goes on with the same drag.
    Qt::DropAction dropAt(QPointF at, QMimeData* data, Qt::DropActions actions = copyOrMove);
    void dragOver(QPointF at, QMimeData* data, Qt::DropActions actions = copyOrMove);
    void dragMoveTo(QPointF at, QMimeData* data, Qt::DropActions actions = copyOrMove)
    {
        sendDrag(QEvent::GraphicsSceneDragMove, at, data, actions);
    }
    void dragLeave(QMimeData* data) { sendDrag(QEvent::GraphicsSceneDragLeave, {-10, -10}, data); }

private:
    static constexpr Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    class SilentSounds : public EventSounds {
    public:
        void play(const QString& eventId) override { played << eventId; }
        QStringList played;
    };

    QString inStorage(const char* folder, const QString& name) const
    {
        return storagePath(QLatin1StringView(folder) + name);
    }
    QJsonObject storedLayout(const char* key) const;
    void sendMouse(QEvent::Type type, QPointF at, Qt::MouseButton button);
    Qt::DropAction sendDrag(QEvent::Type type, QPointF at, QMimeData* data,
                            Qt::DropActions actions = copyOrMove);

    TempHome m_home;
    SilentSounds m_sounds;
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

// Three files in a row, a photo, and two along the carpet's row: under.txt under the lowered
// carpet (x 412...1022, y 688...788), edge.txt beside it.
QMap<QString, QPointF> seededFloor();
inline QPointF placeOf(const QString& name)
{
    return FloorRoom::at(seededFloor().value(name));
}

// "a.txt Rak/b.txt" as {"a.txt", "Rak/b.txt"}: how the tests' tables name files.
inline QStringList names(const char* spaced)
{
    return QString::fromUtf8(spaced).split(u' ', Qt::SkipEmptyParts);
}

// A drag of these files as a file manager offers it.
std::unique_ptr<QMimeData> fileDrag(const QStringList& paths);

// The titles of an item's context menu, separators as "-"; the entry titled `choose` is
// chosen.
template <class Item> QStringList menuTitles(Item& item, const QString& choose = {})
{
    QMenu menu;
    item.populateContextMenu(menu);
    QStringList titles;
    QAction* chosen = nullptr;
    for (QAction* action : menu.actions()) {
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (!choose.isEmpty() && action->text() == choose)
            chosen = action;
    }
    if (chosen)
        chosen->trigger();
    return titles;
}

template <class Item> bool FloorRoom::chooseFromMenu(Item& item, const QString& title)
{
    const bool found = menuTitles(item, title).contains(title);
    settle();
    return found;
}
