#include "floor_room.h"

#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/floor/floor_drop_highlight_overlay.h"
#include "room/floor/magic_carpet_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QTest>

namespace {
QJsonObject position(QPointF p)
{
    return QJsonObject{{QStringLiteral("x"), p.x()}, {QStringLiteral("y"), p.y()}};
}
} // namespace

FloorRoom::FloorRoom(const QMap<QString, QPointF>& files)
{
    QJsonObject items;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        m_home.writeFile(QStringLiteral("Documents/RidezozEvar/Karpet/") + it.key(),
                         "content of " + it.key().toUtf8());
        items.insert(it.key(), position(it.value()));
    }
    const QJsonObject layout{{QStringLiteral("carpetPosition"), position(QPointF(0.498, 0.82))},
                             {QStringLiteral("itemPositions"), items}};
    m_home.writeFile(QStringLiteral("Documents/RidezozEvar/floor_positions.json"),
                     QJsonDocument(layout).toJson(QJsonDocument::Compact));

    m_settings = std::make_unique<QSettings>(m_home.configHome() + QStringLiteral("/room.conf"),
                                             QSettings::IniFormat);
    m_appState = std::make_unique<AppState>(m_settings.get());
    m_floorState = std::make_unique<FloorInteractionState>();
    m_storage = std::make_unique<StorageManager>(m_home.path());
    // The layout is handed over on the event loop after start-up.
    QCoreApplication::processEvents();

    m_assets = std::make_unique<AssetLoader>(AssetLoader::Locations{{}, {m_noImages.path()}});
    RoomPieces pieces;
    pieces.floor = [this]() -> RoomItem* {
        m_floor = new MagicCarpetView(*m_storage, *m_floorState, *m_appState);
        return m_floor;
    };
    pieces.floorDropHighlight = [] { return new FloorDropHighlightOverlay; };
    m_view = std::make_unique<RoomView>(*m_appState, *m_floorState, m_storage.get(), *m_assets,
                                        std::move(pieces));
    m_view->resize(width, height);
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        qWarning("the room view was not exposed");
}

FloorRoom::~FloorRoom()
{
    // Drops still being read land before the room goes.
    QCoreApplication::processEvents();
    m_view.reset();
    // Queued reloads of the storage must not outlive it.
    m_storage.reset();
    QCoreApplication::processEvents();
}

DesktopRootView& FloorRoom::root()
{
    return *m_view->root();
}

QGraphicsScene& FloorRoom::scene()
{
    return *m_view->scene();
}

QString FloorRoom::storagePath() const
{
    return m_home.path() + QStringLiteral("/Documents/RidezozEvar");
}

QString FloorRoom::carpetPath(const QString& name) const
{
    return storagePath() + QStringLiteral("/Karpet/") + name;
}

QString FloorRoom::shelfPath(const QString& name) const
{
    return storagePath() + QStringLiteral("/Rak/") + name;
}

QString FloorRoom::albumPath(const QString& name) const
{
    return storagePath() + QStringLiteral("/Album/") + name;
}

QString FloorRoom::trashFilesPath(const QString& name) const
{
    return m_home.dataHome() + QStringLiteral("/Trash/files/") + name;
}

QMap<QString, QPointF> FloorRoom::storedPositions() const
{
    QFile file(storagePath() + QStringLiteral("/floor_positions.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject items =
        QJsonDocument::fromJson(file.readAll()).object().value(u"itemPositions").toObject();
    QMap<QString, QPointF> positions;
    for (auto it = items.begin(); it != items.end(); ++it) {
        const QJsonObject p = it.value().toObject();
        positions.insert(it.key(), QPointF(p.value(u"x").toDouble(), p.value(u"y").toDouble()));
    }
    return positions;
}

QPointF FloorRoom::storedCarpetPosition() const
{
    QFile file(storagePath() + QStringLiteral("/floor_positions.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject p =
        QJsonDocument::fromJson(file.readAll()).object().value(u"carpetPosition").toObject();
    return QPointF(p.value(u"x").toDouble(), p.value(u"y").toDouble());
}

void FloorRoom::sendMouse(QEvent::Type type, QPointF at, Qt::MouseButton button)
{
    // Scene events carry exact positions: a view would round them to whole pixels.
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setScreenPos(at.toPoint());
    event.setLastScenePos(m_lastPos);
    event.setLastScreenPos(m_lastPos.toPoint());
    event.setButtonDownScenePos(Qt::LeftButton, m_pressPos);
    event.setButtonDownScreenPos(Qt::LeftButton, m_pressPos.toPoint());
    event.setButton(button);
    event.setButtons(m_buttons);
    event.setAccepted(false);
    QApplication::sendEvent(m_view->scene(), &event);
    m_lastPos = at;
}

void FloorRoom::press(QPointF at)
{
    m_pressPos = at;
    m_lastPos = at;
    m_buttons = Qt::LeftButton;
    sendMouse(QEvent::GraphicsSceneMousePress, at, Qt::LeftButton);
}

void FloorRoom::moveTo(QPointF at)
{
    sendMouse(QEvent::GraphicsSceneMouseMove, at, Qt::NoButton);
}

void FloorRoom::release(QPointF at)
{
    moveTo(at);
    m_buttons = Qt::NoButton;
    sendMouse(QEvent::GraphicsSceneMouseRelease, at, Qt::LeftButton);
}

void FloorRoom::click(QPointF at)
{
    press(at);
    release(at);
}

void FloorRoom::drag(QPointF from, QPointF to, int steps)
{
    press(from);
    for (int i = 1; i <= steps; ++i)
        moveTo(from + (to - from) * qreal(i) / steps);
    release(to);
}

void FloorRoom::sendDrag(QEvent::Type type, QPointF at, QMimeData* data, Qt::DropActions actions,
                         QGraphicsSceneDragDropEvent* out)
{
    QGraphicsSceneDragDropEvent event(type);
    event.setScenePos(at);
    event.setScreenPos(at.toPoint());
    event.setMimeData(data);
    event.setPossibleActions(actions);
    event.setProposedAction(actions & Qt::CopyAction ? Qt::CopyAction : Qt::MoveAction);
    event.setDropAction(event.proposedAction());
    event.setAccepted(false);
    QApplication::sendEvent(m_view->scene(), &event);
    if (out) {
        out->setAccepted(event.isAccepted());
        out->setDropAction(event.dropAction());
    }
}

void FloorRoom::dragOver(QPointF at, QMimeData* data)
{
    sendDrag(QEvent::GraphicsSceneDragEnter, at, data, Qt::CopyAction | Qt::MoveAction);
    sendDrag(QEvent::GraphicsSceneDragMove, at, data, Qt::CopyAction | Qt::MoveAction);
}

void FloorRoom::dragLeave(QMimeData* data)
{
    sendDrag(QEvent::GraphicsSceneDragLeave, QPointF(-10, -10), data,
             Qt::CopyAction | Qt::MoveAction);
}

Qt::DropAction FloorRoom::dropAt(QPointF at, QMimeData* data, Qt::DropActions actions)
{
    sendDrag(QEvent::GraphicsSceneDragEnter, at, data, actions);
    sendDrag(QEvent::GraphicsSceneDragMove, at, data, actions);
    QGraphicsSceneDragDropEvent result(QEvent::GraphicsSceneDrop);
    sendDrag(QEvent::GraphicsSceneDrop, at, data, actions, &result);
    return result.isAccepted() ? result.dropAction() : Qt::IgnoreAction;
}
