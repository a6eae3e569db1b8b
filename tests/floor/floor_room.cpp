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
#include "support/bulk_slices.h"
#include "support/settled.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QJsonDocument>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

QMap<QString, QPointF> seededFloor()
{
    return {{u"a.txt"_s, QPointF(0.40, 0.50)},     {u"b.txt"_s, QPointF(0.50, 0.50)},
            {u"c.txt"_s, QPointF(0.60, 0.50)},     {u"photo.png"_s, QPointF(0.45, 0.62)},
            {u"under.txt"_s, QPointF(0.50, 0.83)}, {u"edge.txt"_s, QPointF(0.20, 0.83)}};
}

std::unique_ptr<QMimeData> fileDrag(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const QString& path : paths)
        list << QUrl::fromLocalFile(path);
    data->setUrls(list);
    return data;
}

namespace {
QJsonObject position(QPointF p)
{
    return QJsonObject{{u"x"_s, p.x()}, {u"y"_s, p.y()}};
}
QPointF position(const QJsonValue& p)
{
    return QPointF(p[u"x"].toDouble(), p[u"y"].toDouble());
}
} // namespace

FloorRoom::FloorRoom(const QMap<QString, QPointF>& files, const Furnish& furnish)
{
    QJsonObject items;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QByteArray content = "content of " + it.key().toUtf8();
        m_home.writeFile(u"Documents/RidezozEvar/Karpet/"_s + it.key(),
                         it.key().endsWith(u".png") ? pictureBytes(content) : content);
        items.insert(it.key(), position(it.value()));
    }
    const QJsonObject layout{{u"carpetPosition"_s, position(QPointF(0.498, 0.82))},
                             {u"itemPositions"_s, items}};
    m_home.writeFile(u"Documents/RidezozEvar/floor_positions.json"_s,
                     QJsonDocument(layout).toJson(QJsonDocument::Compact));

    m_settings =
        std::make_unique<QSettings>(m_home.configHome() + u"/room.conf"_s, QSettings::IniFormat);
    m_appState = std::make_unique<AppState>(m_settings.get());
    m_floorState = std::make_unique<FloorInteractionState>();
    m_storage = std::make_unique<StorageManager>(m_home.path());
    m_storage->setEventSounds(&m_sounds);
    m_storage->setBulkSliceItems(forcedBulkSliceItems());
    // The layout is handed over on the event loop after start-up.
    QCoreApplication::processEvents();

    m_assets = std::make_unique<AssetLoader>(AssetLoader::Locations{{}, {m_noImages.path()}});
    RoomPieces pieces;
    pieces.floor = [this]() -> RoomItem* {
        m_floor = new MagicCarpetView(*m_storage, *m_floorState, *m_appState);
        return m_floor;
    };
    pieces.panel(RoomPanels::floorDropHighlight).make =
        [](const RoomPanelContext&, RoomPieces::Close) { return new FloorDropHighlightOverlay; };
    if (furnish)
        furnish(*this, pieces);
    m_view = std::make_unique<RoomView>(*m_appState, *m_floorState, m_storage.get(), *m_assets,
                                        std::move(pieces));
    m_view->resize(width, height);
    m_view->show();
    if (!QTest::qWaitForWindowExposed(m_view.get()))
        QTest::qFail("the room view was not exposed", __FILE__, __LINE__);
}

FloorRoom::~FloorRoom()
{
    // Drops being read land first; queued reloads must not outlive the storage.
    QCoreApplication::processEvents();
    m_view.reset();
    m_storage.reset();
    QCoreApplication::processEvents();
}

DesktopRootView& FloorRoom::root()
{
    return *m_view->root();
}

QStringList FloorRoom::files() const
{
    QStringList found;
    const std::pair<QLatin1StringView, QString> folders[] = {
        {"Desktop/"_L1, m_home.path() + u"/Desktop"_s},
        {"Karpet/"_L1, carpetPath()},
        {"Rak/"_L1, shelfPath()},
        {"Album/"_L1, albumPath()},
        {"Trash/"_L1, trashFilesPath()}};
    for (const auto& [label, folder] : folders) {
        for (const QFileInfo& entry : QDir(folder).entryInfoList(
                 QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
            found << label + entry.fileName() + (entry.isSymLink() ? u"@"_s : QString());
    }
    found.sort();
    return found;
}

QJsonObject FloorRoom::storedLayout(const char* key) const
{
    m_storage->flushWrites();
    QFile file(storagePath(u"floor_positions.json"_s));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll())[QLatin1StringView(key)].toObject();
}

QMap<QString, QPointF> FloorRoom::storedPositions() const
{
    const QJsonObject items = storedLayout("itemPositions");
    QMap<QString, QPointF> positions;
    for (auto it = items.begin(); it != items.end(); ++it)
        positions.insert(it.key(), position(it.value()));
    return positions;
}

QPointF FloorRoom::storedCarpetPosition() const
{
    return position(storedLayout("carpetPosition"));
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
    m_pressPos = m_lastPos = at;
    m_buttons = Qt::LeftButton;
    sendMouse(QEvent::GraphicsSceneMousePress, at, Qt::LeftButton);
}

void FloorRoom::release(QPointF at)
{
    moveTo(at);
    m_buttons = Qt::NoButton;
    sendMouse(QEvent::GraphicsSceneMouseRelease, at, Qt::LeftButton);
    settle();
}

void FloorRoom::settle(const std::source_location& where)
{
    waitUntilSettled([this] { return movesStillRunning(storage()); }, where);
}

void FloorRoom::doubleClick(QPointF at)
{
    click(at);
    m_buttons = Qt::LeftButton;
    sendMouse(QEvent::GraphicsSceneMouseDoubleClick, at, Qt::LeftButton);
    m_buttons = Qt::NoButton;
    sendMouse(QEvent::GraphicsSceneMouseRelease, at, Qt::LeftButton);
    settle();
}

void FloorRoom::drag(QPointF from, QPointF to, int steps)
{
    press(from);
    for (int i = 1; i <= steps; ++i)
        moveTo(from + (to - from) * qreal(i) / steps);
    release(to);
}

Qt::DropAction FloorRoom::sendDrag(QEvent::Type type, QPointF at, QMimeData* data,
                                   Qt::DropActions actions)
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
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
}

void FloorRoom::dragOver(QPointF at, QMimeData* data, Qt::DropActions actions)
{
    sendDrag(QEvent::GraphicsSceneDragEnter, at, data, actions);
    sendDrag(QEvent::GraphicsSceneDragMove, at, data, actions);
}

Qt::DropAction FloorRoom::dropAt(QPointF at, QMimeData* data, Qt::DropActions actions)
{
    dragOver(at, data, actions);
    return sendDrag(QEvent::GraphicsSceneDrop, at, data, actions);
}
