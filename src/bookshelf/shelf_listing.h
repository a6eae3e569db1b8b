#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// What the drawer and the popover list and say about entries: their order, kind, size and
// age. Every date is read once per listing into a sort key, never inside a comparison.
namespace ShelfListing {

// When the entry itself last changed (a link's own time, not its target's); nothing when
// it cannot be read.
std::optional<QDateTime> modificationTime(const QString& path);

// `urls` newest first by modificationTime, a stable sort: equal times keep the given
// order, entries without a time come last in it.
QList<QUrl> newestFirst(const QList<QUrl>& urls);

// A folder's visible entries (hidden names left out) newest first, addressed under
// `folder` as given (through a link, under the link's path). Empty when it cannot be read,
// which `readable` then tells.
QList<QUrl> folderContents(const QString& folder, bool* readable = nullptr);

// "Dokumen" without an extension, "Aplikasi" for ".app", else the upper-cased extension.
QString kind(const QString& name);
// The drawer's line under a name: "Kardus Arsip • 4 file", "Buku • PDF • 10 MB" (the
// size of what a link points to; the link's own only when that is gone); a folder that
// cannot be listed says so instead of a count.
QString drawerSubtitle(const QString& path);
// "5 mnt lalu" and the like, from the entry's own time; "Baru saja" when it has none.
QString drawerRelativeDate(const QString& path, const QDateTime& now);
// The file card's size line: "1,5 MB • Buku / File".
QString fileCardSizeLine(const QString& path);

// The glyph and colour of an entry of a folder listing, by its extension.
struct Icon {
    QString symbol;
    QColor color;
};
Icon iconFor(const QString& name);

bool isApplication(const QString& name);

// One row of the drawer, read from the disk.
struct DrawerLine {
    QUrl url;
    QString name;
    bool isFolder = false;
    bool isApp = false;
    QString subtitle;
    QString time;
    friend bool operator==(const DrawerLine&, const DrawerLine&) = default;
};
// The drawer's rows for `urls`, newest first. Reads every entry (a folder is listed to be
// counted): meant for a worker thread.
QList<DrawerLine> drawerLines(const QList<QUrl>& urls, const QDateTime& now);

} // namespace ShelfListing
