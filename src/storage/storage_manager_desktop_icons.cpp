// The desktop's own icons and the preference that shows or hides them.
#include "storage/storage_manager.h"

void StorageManager::readDesktopIconsState()
{
    // No desktop backend is consulted yet: its icons count as shown.
    setDesktopIconsHidden(false);
}
