#pragma once

#include "platform/file_operations.h"

#include <QString>

#include <functional>

// Moving one entry of the user's to a free place, the way a file manager's move does.
namespace ItemMoves {

// Moves the entry at `from` (a symbolic link as the link) to `to`, which must be free;
// nothing is ever replaced. Only across file systems is the item copied instead (links
// as links, user attributes kept) and the original removed once the copy is whole.
// `arrived` runs as soon as the item stands at `to`, before any original is removed.
FileOperations::Result move(const QString& from, const QString& to,
                            const std::function<void()>& arrived = {});

} // namespace ItemMoves
