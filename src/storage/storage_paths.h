#pragma once

#include <QString>

// Where the room keeps people's files: "Documents/RidezozEvar" in the home folder, joined
// literally whatever the locale, with its three sub-folders.
struct StoragePaths {
    QString home;
    QString root;
    QString album;
    QString bookshelf;
    QString carpet;
    QString desktop;

    static StoragePaths forHome(const QString& home);
};
