#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QUrl>

#include <array>
#include <cstdint>
#include <optional>

// How a shelf entry looks, worked out from the entry itself: a folder stands as an archive
// box, anything else as a book. Widths, colours and styles follow from a hash of the name
// that is the same in every run, so a book keeps its look after a restart; heights follow
// from the size or the number of entries. Everything that reads the disk is here, and the
// shelf reads it once per change of its list, never while it paints.
namespace ShelfMetrics {

// A 64-bit FNV-1a hash of the name's UTF-8 bytes: unsigned, so no overflow and no
// negative remainders whatever the name.
std::uint64_t lookHash(const QString& name);

// An existing directory (links followed) whose extension is not ".app".
bool isFolderItem(const QString& path);
// The names in the folder, hidden ones and dangling links included; 0 when unreadable.
int folderEntryCount(const QString& path);
// The same count; nothing when the folder cannot be listed.
std::optional<int> folderEntries(const QString& path);
// The size of what the entry stands for: through a link the target's size, the link's own
// only when the target is gone; 0 when nothing can be read.
qint64 itemSize(const QString& path);

// 64, 72 or 80 for a folder of `entryCount` names; a book's width from the hash.
qreal shelfItemWidth(bool isFolder, int entryCount, std::uint64_t hash);
// 65 (about) to 101 by the item's size; an ".app" entry that reports little is measured
// by its executable, else taken as 40 MiB.
qreal bookHeightForFile(const QString& path);
qreal bookHeightForSize(qint64 size);
// 66 for an empty folder to 102 from 36 entries on.
qreal boxHeight(int entryCount);

// The spine colours, styles and tilt by the book's place: shelf 0 (upper) or 1 and its
// position on that shelf.
const std::array<QColor, 10>& bookSpinePalette();
QColor spineColor(std::uint64_t hash, int shelfIndex, int itemIndex);
int spineStyle(std::uint64_t hash, int shelfIndex, int itemIndex); // 0 to 4
int boxStyle(int shelfIndex, int itemIndex);                       // 0 to 3
// Degrees, clockwise: only spine style 4 leans, +3 for an odd hash, -3 for an even one.
qreal bookTilt(int spineStyle, std::uint64_t hash);
// The name without its last extension; a dot-file keeps its whole name.
QString bookTitle(const QString& name);
qreal titleFontSize(qreal bookWidth);

// One shelf entry as measured.
struct Entry {
    QUrl url;
    QString name;
    std::uint64_t hash = 0;
    bool isFolder = false;
    int entryCount = 0;
    // False for a folder that cannot be listed: its count says nothing.
    bool readable = true;
    qreal width = 0;
    qreal bookHeight = 0;

    qreal height() const { return isFolder ? boxHeight(entryCount) : bookHeight; }
    friend bool operator==(const Entry&, const Entry&) = default;
};
Entry measure(const QUrl& url);

// The entries that stand on each shelf, by index into `widths`, upper shelf first. The
// upper shelf fills first; the first item that no longer fits on the lower one and every
// later item find no place. An item wider than a shelf still stands on an empty one.
struct Distribution {
    QList<int> shelves[2];
};
Distribution distribute(const QList<qreal>& widths, qreal rowWidth);
inline constexpr qreal kItemSpacing = 1.5;

} // namespace ShelfMetrics
