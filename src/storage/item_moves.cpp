#include "storage/item_moves.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace ItemMoves {

namespace {
// The folder that holds `path`, with links in it resolved, as the kernel walks it.
QString realFolderOf(const QString& path)
{
    const QString folder = QFileInfo(QDir::cleanPath(path)).absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? folder : canonical;
}

// Takes the original away once the item stands whole at `to`. When it cannot go, the
// item at `to` goes again: two copies would be left, and every later try would add one.
FileOperations::Result removeOriginal(const QString& from, const QString& to, bool isFolder)
{
    const FileOperations::Result removed = FileOperations::removeItem(from);
    if (removed)
        return removed;
    // A folder may be half removed by then and hold only part of the item: its whole copy
    // stays. The check before copying makes this rare.
    if (!isFolder)
        FileOperations::removeItem(to);
    return removed;
}
} // namespace

std::optional<QString> relativeDestinationFrom(const QString& linkPath, const QString& newPath)
{
    const std::optional<QString> text = FileOperations::readLink(linkPath);
    if (!text || text->isEmpty() || QDir::isAbsolutePath(*text))
        return std::nullopt;
    const QString target = QDir::cleanPath(realFolderOf(linkPath) + QLatin1Char('/') + *text);
    return QDir(realFolderOf(newPath)).relativeFilePath(target);
}

FileOperations::Result move(const QString& from, const QString& to,
                            const std::function<void()>& arrived)
{
    const auto source = FileOperations::entryStatus(from);
    if (!source)
        return FileOperations::Result{ENOENT};

    if (source->isSymbolicLink) {
        const std::optional<QString> text = FileOperations::readLink(from);
        const std::optional<QString> relinked = relativeDestinationFrom(from, to);
        if (relinked && relinked != text) {
            if (const FileOperations::Result removable = FileOperations::checkRemovable(from);
                !removable)
                return removable;
            if (const FileOperations::Result made =
                    FileOperations::createSymbolicLink(*relinked, to);
                !made)
                return made;
            if (arrived)
                arrived();
            return removeOriginal(from, to, false);
        }
    }

    FileOperations::Result result = FileOperations::renameNoReplace(from, to);
    if (result.error == EXDEV) {
        // Whether the original can go is known before anything is copied.
        if (const FileOperations::Result removable = FileOperations::checkRemovable(from);
            !removable)
            return removable;
        result = FileOperations::copyItem(from, to);
        if (!result)
            return result;
        if (arrived)
            arrived();
        return removeOriginal(from, to, source->isDirectory);
    }
    if (result && arrived)
        arrived();
    return result;
}

} // namespace ItemMoves
