#pragma once

#include "platform/file_operations.h"

#include <QString>

#include <functional>
#include <optional>

// Moving one entry of the user's to a free place, the way a file manager's move does.
namespace ItemMoves {

// Moves the entry at `from` (a symbolic link as the link) to `to`, which must be free;
// nothing is ever replaced. Only across file systems is the item copied instead (links
// as links, user attributes kept) and the original removed once the copy is whole; an
// original that cannot be removed keeps its place and the copy goes again, so an item
// never ends up in two places. A link with a relative destination is made afresh at `to`
// with the destination that reaches the same entry from there.
// `arrived` runs as soon as the item stands at `to`, before any original is removed.
FileOperations::Result move(const QString& from, const QString& to,
                            const std::function<void()>& arrived = {});

// The destination text that a relative link at `linkPath` would need at `newPath` to
// reach what it reaches now; nothing when the link's destination is absolute or unread.
std::optional<QString> relativeDestinationFrom(const QString& linkPath, const QString& newPath);

} // namespace ItemMoves
