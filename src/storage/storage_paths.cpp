#include "storage/storage_paths.h"

#include <QDir>

StoragePaths StoragePaths::forHome(const QString& home)
{
    StoragePaths p;
    p.home = QDir::cleanPath(home);
    p.root = p.home + QStringLiteral("/Documents/RidezozEvar");
    p.album = p.root + QStringLiteral("/Album");
    p.bookshelf = p.root + QStringLiteral("/Rak");
    p.carpet = p.root + QStringLiteral("/Karpet");
    p.desktop = p.home + QStringLiteral("/Desktop");
    return p;
}
