#include "wall_room.h"

#include "room/desktop_root_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "storage/storage_manager.h"
#include "wall/analog_wall_clock_view.h"
#include "wall/photo_frame_item_view.h"
#include "wall/photo_gallery_view.h"
#include "wall/presidential_portrait_view.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

WallRoom::WallRoom(const QMap<QString, QPointF>& floorFiles)
    : FloorRoom(floorFiles, [this](FloorRoom& room, RoomPieces& pieces) {
          pieces.furniture[int(Furniture::PhotoGallery)] = [&room]() -> RoomItem* {
              return new PhotoGalleryView(room.storage(), room.appState());
          };
          pieces.furniture[int(Furniture::PresidentPortrait)] = [&room]() -> RoomItem* {
              return new PresidentialPortraitView(PresidentialPortraitType::President,
                                                  room.appState());
          };
          pieces.furniture[int(Furniture::VicePresidentPortrait)] = [&room]() -> RoomItem* {
              return new PresidentialPortraitView(PresidentialPortraitType::VicePresident,
                                                  room.appState());
          };
          pieces.furniture[int(Furniture::WallClock)] = [&room]() -> RoomItem* {
              return new AnalogWallClockView(room.appState());
          };
      })
{
    m_gallery = static_cast<PhotoGalleryView*>(root().slot(Furniture::PhotoGallery)->view());
    storage().setUserPrompts(&prompts);
}

WallRoom::~WallRoom()
{
    storage().setUserPrompts(nullptr);
}

RoomItem& WallRoom::piece(Furniture furniture)
{
    return *root().slot(furniture)->view();
}

PhotoFrameItemView& WallRoom::frame(int slot)
{
    return *m_gallery->frame(slot);
}

QPointF WallRoom::photoCentre(int slot)
{
    PhotoFrameItemView& f = frame(slot);
    return f.mapToScene(f.photoAreaRect().center());
}

QString WallRoom::framePhoto(int slot, const QString& extension)
{
    const QString path = albumPath(u"frame_%1.%2"_s.arg(slot).arg(extension));
    writePicture(path);
    storage().loadPhotoSlots();
    // Thumbnails are decoded on a worker thread; the frame shows the photo once it is in.
    if (!QTest::qWaitFor([this] { return !storage().isDecodingThumbnails(); }))
        qWarning("the thumbnail of frame %d did not arrive", slot);
    return path;
}

QMap<int, QList<double>> WallRoom::storedTransforms() const
{
    QFile file(storagePath(u"photo_transforms.json"_s));
    QMap<int, QList<double>> transforms;
    if (!file.open(QIODevice::ReadOnly))
        return transforms;
    const QJsonObject all = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonObject t = it.value().toObject();
        transforms.insert(it.key().toInt(),
                          {t.value(u"scale").toDouble(), t.value(u"rotation").toDouble(),
                           t.value(u"offsetX").toDouble(), t.value(u"offsetY").toDouble()});
    }
    return transforms;
}

QStringList WallRoom::albumEntries() const
{
    return QDir(albumPath()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QString writePicture(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path);
    return path;
}
