#pragma once

#include "platform/desktop_icons.h"

typedef struct _GSettings GSettings;

// The desktop of the file managers that keep icon positions in GIO file metadata: the
// entries of the desktop folder with "metadata::nautilus-icon-position" ("x,y"), and the
// desktop's GSettings switch for its icons where one is installed. Without the metadata
// store (gvfs) the desktop cannot be read; without a switch the icons cannot be hidden.
class GioDesktopIcons : public DesktopIcons {
public:
    struct Switch {
        QString schema;
        QString key;
    };
    // The switches of the desktops that still draw icons from these positions.
    static QList<Switch> knownSwitches();

    // `schemaDirectory`: compiled schemas looked up before the system's (for tests).
    explicit GioDesktopIcons(const QString& desktopFolder,
                             const QList<Switch>& switches = knownSwitches(),
                             const QString& schemaDirectory = {});
    ~GioDesktopIcons() override;
    GioDesktopIcons(const GioDesktopIcons&) = delete;
    GioDesktopIcons& operator=(const GioDesktopIcons&) = delete;

    std::optional<QList<DesktopIcon>> icons(QString* error) override;
    bool moveIcon(const QString& name, const QPoint& position) override;
    std::optional<bool> iconsShown() override;
    bool setIconsShown(bool shown) override;

private:
    QString m_folder;
    GSettings* m_settings = nullptr;
    QByteArray m_key;
};
