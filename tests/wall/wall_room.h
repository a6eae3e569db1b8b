#pragma once

#include "floor_room.h"
#include "kit/room_geometry.h"
#include "room/desktop_root_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "storage/layout_records.h"
#include "storage/storage_manager.h"
#include "support/fake_prompts.h"
#include "support/settled.h"
#include "wall/analog_wall_clock_view.h"
#include "wall/photo_frame_item_view.h"
#include "wall/photo_gallery_view.h"
#include "wall/presidential_portrait_view.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// A picture file at `path` in the format its extension names.
inline QString writePicture(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path);
    return path;
}

// The room with its floor, the photo wall, its clock and portraits, on a fresh home whose album
// holds nothing until a test puts photos there. Open panels are answered by `prompts`.
class WallRoom : public FloorRoom {
public:
    WallRoom()
        : FloorRoom({}, [](FloorRoom& room, RoomPieces& pieces) {
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
        storage().setUserPrompts(&prompts);
    }
    ~WallRoom() { storage().setUserPrompts(nullptr); }

    PhotoGalleryView& gallery()
    {
        return *static_cast<PhotoGalleryView*>(root().slot(Furniture::PhotoGallery)->view());
    }
    RoomItem& piece(Furniture furniture) { return *root().slot(furniture)->view(); }
    PhotoFrameItemView& frame(int slot) { return *gallery().frame(slot); }
    // The centre of a frame's photo area, in room points.
    QPointF photoCentre(int slot)
    {
        return frame(slot).mapToScene(frame(slot).photoAreaRect().center());
    }
    // Writes a picture into the album as the slot's photo and waits for its thumbnail.
    QString framePhoto(int slot, const QString& extension = u"png"_s)
    {
        const QString path = writePicture(albumPath(u"frame_%1.%2"_s.arg(slot).arg(extension)));
        storage().loadPhotoSlots();
        waitUntilSettled([this, slot] {
            return storage().isDecodingThumbnails()
                       ? QStringList{u"the thumbnail of frame %1 being decoded"_s.arg(slot)}
                       : QStringList();
        });
        return path;
    }
    // photo_transforms.json as it is on disk, by slot: scale, rotation, offsetX, offsetY.
    QMap<int, QList<double>> storedTransforms() const
    {
        QMap<int, QList<double>> all;
        const auto stored =
            decodePhotoTransforms(contentOf(storagePath(u"photo_transforms.json"_s)));
        for (const auto& [slot, t] : stored.value_or(PhotoTransforms()).asKeyValueRange())
            all.insert(slot, {t.scale, t.rotation, t.offsetX, t.offsetY});
        return all;
    }
    QStringList albumEntries() const
    {
        return QDir(albumPath()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    FakePrompts prompts;
};

// A fresh folder made the current one for the test's lifetime, where plaques look for logos.
struct CurrentFolder {
    CurrentFolder() { QDir::setCurrent(folder.path()); }
    ~CurrentFolder() { QDir::setCurrent(saved); }
    QString filePath(const QString& name) const { return folder.filePath(name); }

    QString saved = QDir::currentPath();
    QTemporaryDir folder;
};
