#pragma once

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

// An item of the desktop as the desktop draws it: its name and its icon's position, in
// the desktop's coordinates (origin at the top left, y downwards).
struct DesktopIcon {
    QString name;
    QPoint position;
};

struct DesktopIconMove {
    QString name;
    QPoint to;
};

// The desktop's own icons, which the room's window covers: listing them, moving one, and
// the desktop's switch that shows or hides them all. Names are handed over as data and
// never become part of any script or command text.
class DesktopIcons {
public:
    virtual ~DesktopIcons() = default;

    // Every desktop item whose position is known, in the desktop's order; nothing (and
    // `error` set) when the desktop cannot be read. May run off the GUI thread.
    virtual std::optional<QList<DesktopIcon>> icons(QString* error) = 0;
    // Puts one item at `position`; false when it could not. May run off the GUI thread.
    virtual bool moveIcon(const QString& name, const QPoint& position) = 0;

    // Whether the desktop draws its icons; nothing when the desktop offers no such switch.
    virtual std::optional<bool> iconsShown() = 0;
    // Turns the icons on or off; false when nothing was changed.
    virtual bool setIconsShown(bool shown) = 0;

    // The parts of the desktop that the room's furniture covers.
    static bool isCovered(const QPoint& position);
    // Where each covered icon goes: a free column at the right, one row further down for
    // every covered icon, in the order given.
    static QList<DesktopIconMove> coveredIconMoves(const QList<DesktopIcon>& icons);
};
