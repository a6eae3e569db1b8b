#pragma once

#include "floor_room.h"
#include "kit/room_geometry.h"
#include "support/fake_prompts.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

class PhotoFrameItemView;
class PhotoGalleryView;
class RoomItem;

using namespace Qt::StringLiterals;

// The room with its floor and the photo wall, on a fresh home whose album holds nothing
// until a test puts photos there. Open panels are answered by `prompts`.
class WallRoom : public FloorRoom {
public:
    explicit WallRoom(const QMap<QString, QPointF>& floorFiles = {});
    ~WallRoom();

    PhotoGalleryView& gallery() { return *m_gallery; }
    // The view of a piece of furniture: the wall also has its clock and portraits.
    RoomItem& piece(Furniture furniture);
    PhotoFrameItemView& frame(int slot);
    // The centre of a frame's photo area, in room points.
    QPointF photoCentre(int slot);

    // Writes a real picture into the album as the slot's photo and reloads the slots.
    QString framePhoto(int slot, const QString& extension = u"png"_s);
    // photo_transforms.json as it is on disk, by slot: scale, rotation, offsetX, offsetY.
    QMap<int, QList<double>> storedTransforms() const;
    QStringList albumEntries() const;

    FakePrompts prompts;

private:
    PhotoGalleryView* m_gallery = nullptr;
};

// A fresh folder made the current one for the test's lifetime, where plaques look for logos.
struct CurrentFolder {
    CurrentFolder() { QDir::setCurrent(folder.path()); }
    ~CurrentFolder() { QDir::setCurrent(saved); }
    QString filePath(const QString& name) const { return folder.filePath(name); }

    QString saved = QDir::currentPath();
    QTemporaryDir folder;
};

// A picture file at `path` in the format its extension names.
QString writePicture(const QString& path);
