// The desktop's own icons, which the room covers, and the desktop's switch that shows or
// hides them.
#include "storage/storage_manager.h"

#include "platform/background_work.h"
#include "platform/desktop_icons.h"
#include "storage/report_line.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {
void moveCovered(DesktopIcons& icons)
{
    QString error;
    const std::optional<QList<DesktopIcon>> listed = icons.icons(&error);
    if (!listed) {
        printReportLine(QStringLiteral("Pondsill: AppleScript error: ") + error);
        return;
    }
    // One item that will not move does not hold up the others.
    for (const DesktopIconMove& move : DesktopIcons::coveredIconMoves(*listed))
        icons.moveIcon(move.name, move.to);
}
} // namespace

void StorageManager::readDesktopIconsState()
{
    // A desktop without a switch leaves the flag as it is.
    if (const std::optional<bool> shown = desktopIcons()->iconsShown())
        setDesktopIconsHidden(!*shown);
}

void StorageManager::toggleDesktopIcons()
{
    const bool hidden = areDesktopIconsHidden();
    if (desktopIcons()->setIconsShown(hidden))
        setDesktopIconsHidden(!hidden);
}

void StorageManager::moveCoveredIcons()
{
    moveCovered(*desktopIcons());
}

void StorageManager::moveCoveredIconsInBackground()
{
    // The backend travels with the job, so it outlives this service if need be.
    (void)QtConcurrent::run(BackgroundWork::pool(),
                            [icons = desktopIcons()] { moveCovered(*icons); });
}
