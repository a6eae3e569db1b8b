#include "storage/item_moves.h"

#include "storage/storage_manager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>

namespace ItemMoves {

namespace {
const QString kCopyPrefix = QStringLiteral(".pondsill-copy-");

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

// A link made afresh where its relative destination would otherwise lead elsewhere;
// nothing when the entry is no such link.
std::optional<Outcome> relink(const QString& from, const QString& to,
                              const std::function<void(const QString&)>& arrived)
{
    if (!FileOperations::isSymbolicLink(from))
        return std::nullopt;
    const std::optional<QString> text = FileOperations::readLink(from);
    const std::optional<QString> relinked = relativeDestinationFrom(from, to);
    if (!relinked || relinked == text)
        return std::nullopt;
    if (const FileOperations::Result removable = FileOperations::checkRemovable(from); !removable)
        return Outcome{removable, {}};
    if (const FileOperations::Result made = FileOperations::createSymbolicLink(*relinked, to);
        !made)
        return Outcome{made, {}};
    if (arrived)
        arrived(to);
    const FileOperations::Result removed = removeOriginal(from, to, false);
    return Outcome{removed, removed ? to : QString()};
}

// The copy across file systems: whole under a hidden name first, then in its place, then
// the original goes. With `anyFreeName`, a `to` taken meanwhile gives way to the next
// free name beside it.
Outcome copyAcross(const QString& from, const QString& to,
                   const std::function<void(const QString&)>& arrived, bool anyFreeName)
{
    const auto source = FileOperations::entryStatus(from);
    if (!source)
        return {FileOperations::Result{ENOENT}, {}};
    // Whether the original can go is known before anything is copied.
    if (const FileOperations::Result removable = FileOperations::checkRemovable(from); !removable)
        return {removable, {}};
    const QString folder = QFileInfo(to).absolutePath();
    const QString hidden = folder + QLatin1Char('/') + kCopyPrefix +
                           QString::number(QRandomGenerator::global()->generate64(), 36);
    if (const FileOperations::Result copied = FileOperations::copyItem(from, hidden); !copied)
        return {copied, {}};
    QString placed = to;
    FileOperations::Result result = FileOperations::renameNoReplace(hidden, placed);
    if (result.error == EEXIST && anyFreeName) {
        placed = StorageManager::uniqueDestinationPath(folder, QFileInfo(to).fileName());
        result = FileOperations::renameNoReplace(hidden, placed);
    }
    if (!result) {
        FileOperations::removeItem(hidden);
        return {result, {}};
    }
    if (arrived)
        arrived(placed);
    result = removeOriginal(from, placed, source->isDirectory);
    return {result, result ? placed : QString()};
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

bool isCopyUnderWay(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.pondsill-copy-[0-9a-z]+$"));
    return pattern.match(name).hasMatch();
}

FileOperations::Result move(const QString& from, const QString& to,
                            const std::function<void()>& arrived)
{
    const auto atPlace = [&arrived](const QString&) {
        if (arrived)
            arrived();
    };
    if (!FileOperations::entryExists(from))
        return FileOperations::Result{ENOENT};
    if (const std::optional<Outcome> relinked = relink(from, to, atPlace))
        return relinked->result;
    FileOperations::Result result = FileOperations::renameNoReplace(from, to);
    if (result.error == EXDEV)
        return copyAcross(from, to, atPlace, false).result;
    if (result)
        atPlace(to);
    return result;
}

void moveInBackground(const QString& from, const QString& to,
                      const std::function<void(const QString&)>& arrived, QObject* context,
                      const std::function<void(const Outcome&)>& done)
{
    const auto finish = [&done](const Outcome& outcome) {
        if (done)
            done(outcome);
    };
    if (!FileOperations::entryExists(from))
        return finish({FileOperations::Result{ENOENT}, {}});
    if (const std::optional<Outcome> relinked = relink(from, to, arrived))
        return finish(*relinked);
    const FileOperations::Result result = FileOperations::renameNoReplace(from, to);
    if (result.error != EXDEV) {
        if (result && arrived)
            arrived(to);
        return finish({result, result ? to : QString()});
    }
    // The worker reports through the application object, which outlives it; whether the
    // receiver still exists is asked on its own thread. The future need not be kept.
    QPointer<QObject> receiver(context);
    QObject* carrier = QCoreApplication::instance();
    (void)QtConcurrent::run([from, to, arrived, receiver, carrier, done] {
        const Outcome outcome = copyAcross(from, to, arrived, true);
        QMetaObject::invokeMethod(
            carrier,
            [receiver, done, outcome] {
                if (receiver && done)
                    done(outcome);
            },
            Qt::QueuedConnection);
    });
}

} // namespace ItemMoves
