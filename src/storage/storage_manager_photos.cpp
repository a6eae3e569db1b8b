// The photo frames' album.
#include "storage/storage_manager.h"

void StorageManager::loadPhotoSlots()
{
    // The album's frames are not read yet: no frame shows a photo.
    setPhotoSlots({});
    setCachedPhotos({});
}
