#pragma once

class QDBusConnection;

// Whether the desktop has a tray, asked anew each time. Qt's own check remembers its first
// answer about the D-Bus tray (StatusNotifierItem) for the life of the process, so a tray
// that starts after the room would never be used; Qt is asked only once one is there.
namespace SystemTray {
// A StatusNotifierWatcher runs on `bus` and a host has registered with it.
bool hasStatusNotifierHost(const QDBusConnection& bus);
// An X tray (XEmbed) owns the tray selection of the display's first screen.
bool hasX11Tray();
// Either kind of tray is there for a QSystemTrayIcon to go into.
bool isAvailable(const QDBusConnection& bus);

inline constexpr const char* watcherService = "org.kde.StatusNotifierWatcher";
inline constexpr const char* watcherPath = "/StatusNotifierWatcher";
} // namespace SystemTray
