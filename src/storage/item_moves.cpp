#include "storage/item_moves.h"

#include "platform/background_work.h"
#include "storage/item_paths.h"
#include "storage/storage_manager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <utility>

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

QString hiddenNameIn(const QString& folder)
{
    return folder + QLatin1Char('/') + kCopyPrefix +
           QString::number(QRandomGenerator::global()->generate64(), 36);
}

// Where the link text `text` of a link standing at `linkPath` leads.
QString destinationOf(const QString& linkPath, const QString& text)
{
    if (QDir::isAbsolutePath(text))
        return ItemPaths::realLocation(text);
    return ItemPaths::realLocation(realFolderOf(linkPath) + QLatin1Char('/') + text);
}

// Gives the link at `path` the destination `text`: a new link beside it takes its place in
// one step, so the link is never missing.
bool repoint(const QString& path, const QString& text)
{
    const QString fresh = hiddenNameIn(QFileInfo(path).absolutePath());
    if (!FileOperations::createSymbolicLink(text, fresh))
        return false;
    if (FileOperations::isSymbolicLink(path) && FileOperations::renameReplacingLink(fresh, path))
        return true;
    FileOperations::removeItem(fresh);
    return false;
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
    const std::optional<QByteArray> text = FileOperations::readLinkBytes(from);
    const std::optional<QByteArray> relinked = relativeDestinationFrom(from, to);
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
    const QString hidden = hiddenNameIn(folder);
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

std::optional<QByteArray> relativeDestinationFrom(const QString& linkPath, const QString& newPath)
{
    const std::optional<QByteArray> text = FileOperations::readLinkBytes(linkPath);
    if (!text || text->isEmpty() || text->startsWith('/'))
        return std::nullopt;
    // Worked out on the bytes, each taken as the one Latin-1 character of its value: only
    // "/" and "." count in the arithmetic, and every byte comes back as it went, also in a
    // name that is no valid UTF-8.
    const auto asChars = [](const QString& path) {
        return QString::fromLatin1(QFile::encodeName(path));
    };
    const QString target = QDir::cleanPath(asChars(realFolderOf(linkPath)) + QLatin1Char('/') +
                                           QString::fromLatin1(*text));
    return QDir(asChars(realFolderOf(newPath))).relativeFilePath(target).toLatin1();
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
    (void)QtConcurrent::run(BackgroundWork::pool(), [from, to, arrived, receiver, carrier, done] {
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

LinkKeeper::LinkKeeper(Allowed allowed) : m_allowed(std::move(allowed)) {}

void LinkKeeper::watch(const QString& path)
{
    const std::optional<QString> text = FileOperations::readLink(path);
    if (!text || text->isEmpty())
        return;
    const QString at = ItemPaths::realLocation(path);
    if (m_linkPlaces.contains(at))
        return;
    m_linkPlaces.insert(at);
    // Watched late, a link whose item has moved meanwhile still names where the item was:
    // the batch's moves from its start lead on from there.
    m_links.push_back({at, destinationOf(path, *text), *text, QDir::isAbsolutePath(*text)});
    index(m_links.size() - 1, m_links.back().at);
    index(m_links.size() - 1, m_links.back().target);
}

void LinkKeeper::index(size_t link, const QString& place)
{
    std::vector<size_t>& links = m_linksByPlace[place];
    if (links.empty() || links.back() != link)
        links.push_back(link);
}

void LinkKeeper::finished(const QString& from, const QString& to)
{
    if (to.isEmpty())
        return;
    const QString source = ItemPaths::realLocation(from);
    m_moves.emplace_back(source, ItemPaths::realLocation(to));
    m_movesFrom[source].push_back(m_moves.size() - 1);
    // The links standing at or under what moved, or leading there, are mended now: a batch
    // of thousands looks at its few links only.
    std::vector<size_t> concerned;
    const auto collect = [&](auto first, auto last) {
        for (; first != last; ++first)
            concerned.insert(concerned.end(), first->second.begin(), first->second.end());
    };
    const auto exact = m_linksByPlace.find(source);
    if (exact != m_linksByPlace.end())
        collect(exact, std::next(exact));
    // Everything under the folder: its paths sort between "folder/" and "folder0".
    const QString under = source == QStringLiteral("/") ? source : source + QLatin1Char('/');
    QString past = under;
    past.back() = QChar(u'/' + 1);
    collect(m_linksByPlace.lower_bound(under), m_linksByPlace.lower_bound(past));
    std::sort(concerned.begin(), concerned.end());
    concerned.erase(std::unique(concerned.begin(), concerned.end()), concerned.end());
    for (const size_t link : concerned)
        mend(m_links[link]);
}

QString LinkKeeper::afterMoves(const QString& path, size_t next) const
{
    // The moves in the order they finished, each taking the place along when it started at
    // the place or at a folder holding it: only the moves from the place itself or from one
    // of its folders are looked at, the earliest not yet applied first.
    QString place = path;
    while (true) {
        size_t found = m_moves.size();
        const auto earliestFrom = [&](const QString& from) {
            const auto it = m_movesFrom.constFind(from);
            if (it == m_movesFrom.constEnd())
                return;
            const auto at = std::lower_bound(it->begin(), it->end(), next);
            if (at == it->end())
                return;
            ++m_movesLookedAt;
            if (*at < found)
                found = *at;
        };
        earliestFrom(place);
        for (qsizetype slash = place.indexOf(QLatin1Char('/')); slash >= 0;
             slash = place.indexOf(QLatin1Char('/'), slash + 1))
            earliestFrom(slash == 0 ? QStringLiteral("/") : place.left(slash));
        if (found == m_moves.size())
            return place;
        const auto& [from, to] = m_moves[found];
        place = place == from ? to : to + place.mid(from.size());
        next = found + 1;
    }
}

void LinkKeeper::mend(Watched& link)
{
    const QString at = afterMoves(link.at, link.seen);
    const QString target = afterMoves(link.target, link.seen);
    link.seen = m_moves.size();
    if (at == link.at && target == link.target)
        return; // neither moved: whatever it leads to now is none of the batch's doing
    const bool targetMoved = target != link.target;
    const size_t self = size_t(&link - m_links.data());
    if (at != link.at) {
        m_linkPlaces.remove(link.at);
        m_linkPlaces.insert(at);
        index(self, at);
    }
    if (targetMoved)
        index(self, target);
    link.at = at;
    link.target = target;
    // An absolute link leads where it led from wherever it stands: moving thousands of the
    // user's own links reads none of them again.
    if (link.absolute && !targetMoved && link.leadsToTarget)
        return;
    const std::optional<QString> text = FileOperations::readLink(at);
    link.leadsToTarget = text && !text->isEmpty() && destinationOf(at, *text) == target;
    if (!text || text->isEmpty() || destinationOf(at, *text) == target ||
        !FileOperations::entryExists(target) || (m_allowed && !m_allowed(at, target)))
        return;
    // The text it was written with, where that reaches the item again from here.
    QString fresh = link.text;
    if (destinationOf(at, fresh) != target)
        fresh = link.absolute ? target : QDir(realFolderOf(at)).relativeFilePath(target);
    link.leadsToTarget = repoint(at, fresh);
}

} // namespace ItemMoves
