#include "app/room_start.h"

#include "platform/quit_signals.h"
#include "storage/report_line.h"
#include "storage/storage_paths.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

std::optional<int> RoomStart::begin()
{
    QApplication::setApplicationName(QStringLiteral("Pondsill"));
    QApplication::setOrganizationName(QStringLiteral("Pondsill"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Hiding the room closes no window for good: only the menu's quit item ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // A room already runs on these files: bring it up instead of starting a second one,
    // whichever session bus this start has. This is also the way back to a hidden room where
    // the desktop has no tray.
    SingleInstance& instance = m_instance.emplace(QDBusConnection::sessionBus());
    instance.setStorageFolder(StoragePaths::forHome(QDir::homePath()).root);
    if (!instance.claim()) {
        if (instance.askRunningToShow())
            return 0;
        printReportLine(QStringLiteral("Ruangan Pondsill sudah berjalan, tetapi tidak menjawab "
                                       "permintaan untuk tampil (kunci: ") +
                        instance.lockPath() + QLatin1Char(')'));
        return 1;
    }

    // Ended by the session (logout) or a terminal, the room still saves on its way out.
    QuitSignals::install();
    QObject::connect(&instance, &SingleInstance::showRequested, &m_delegate,
                     &AppDelegate::showRoomRequested);
    QTimer::singleShot(0, &m_delegate, &AppDelegate::applicationDidFinishLaunching);
    return std::nullopt;
}
