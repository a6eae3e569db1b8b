#include "storage/item_moves.h"

#include <cerrno>

namespace ItemMoves {

FileOperations::Result move(const QString& from, const QString& to,
                            const std::function<void()>& arrived)
{
    FileOperations::Result result = FileOperations::renameNoReplace(from, to);
    if (result.error == EXDEV) {
        result = FileOperations::copyItem(from, to);
        if (result) {
            if (arrived)
                arrived();
            // The copy is whole; a leftover of the original is not a loss.
            FileOperations::removeItem(from);
            return result;
        }
    }
    if (result && arrived)
        arrived();
    return result;
}

} // namespace ItemMoves
