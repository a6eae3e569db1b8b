#pragma once

#include "platform/desktop_icons.h"

typedef struct _GSettings GSettings;

// The desktops that draw the entries of the desktop folder at places kept in GIO's file
// metadata (gvfs), each under an attribute of its own ("x,y"): Cinnamon's file manager
// under "metadata::nemo-icon-position", MATE's under "metadata::caja-icon-position". Both
// keep only their own links (home, Trash, drives) in a key file of their own, not the
// folder's files. Icons are read and moved for the desktop that runs; elsewhere the
// backend says the desktop cannot be read. The show/hide switch is that desktop's
// GSettings key where it is installed.
class GioDesktopIcons : public DesktopIcons {
public:
    struct Switch {
        QString schema;
        QString key;
    };
    struct Desktop {
        QString name; // as XDG_CURRENT_DESKTOP names it
        QByteArray positionAttribute;
        Switch iconSwitch;
    };
    static QList<Desktop> knownDesktops();
    // The known desktop among `names` (the entries of XDG_CURRENT_DESKTOP, then the
    // session's name), matched without case and without an "X-" prefix.
    static std::optional<Desktop> desktopNamed(const QStringList& names);
    // The desktop this session runs, from the environment.
    static std::optional<Desktop> runningDesktop();

    // Without a known desktop, the switch is the first installed of the known ones.
    // `schemaDirectory`: compiled schemas looked up before the system's (for tests).
    explicit GioDesktopIcons(const QString& desktopFolder,
                             const std::optional<Desktop>& desktop = runningDesktop(),
                             const QString& schemaDirectory = {});
    ~GioDesktopIcons() override;
    GioDesktopIcons(const GioDesktopIcons&) = delete;
    GioDesktopIcons& operator=(const GioDesktopIcons&) = delete;

    std::optional<QList<DesktopIcon>> icons(QString* error) override;
    // The place is read back from the store, as the desktop reads it, before it counts.
    bool moveIcon(const QString& name, const QPoint& position) override;
    std::optional<bool> iconsShown() override;
    bool setIconsShown(bool shown) override;

private:
    QString m_folder;
    QByteArray m_positionAttribute;
    GSettings* m_settings = nullptr;
    QByteArray m_key;
};
