#pragma once

#include "platform/trash.h"

// The Trash as the freedesktop Trash specification lays it out, so that file managers and
// trash-cli list and restore what the room throws away: the home trash under the XDG data
// home for items on its file system, $topdir/.Trash/$uid or $topdir/.Trash-$uid for items
// on other mounts. The info file is written first, then the item is renamed in; an item
// is never copied to another file system.
class FreedesktopTrash : public Trash {
public:
    // The home trash follows $XDG_DATA_HOME (else ~/.local/share) at the time of each call.
    FreedesktopTrash() = default;
    // A fixed home trash folder, for tests.
    explicit FreedesktopTrash(const QString& homeTrashPath);

    static FreedesktopTrash& shared();

    QString homeTrashPath() const;

    // Makes the Trash folder at `trashPath` with its files/ and info/ where they are missing,
    // each private to the user (0700), as a file manager expects to find them. True when
    // all three are folders of the user's; the Trash folder may be reached through a link.
    static bool makeFolders(const QString& trashPath);

    bool moveToTrash(const QString& path, QString* error = nullptr) override;

private:
    QString m_homeTrashPath;
};
