#pragma once

#include "platform/file_operations.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class QObject;

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

// Where a move ended: its result, and where the item stands when it succeeded.
struct Outcome {
    FileOperations::Result result;
    QString placedAt;
};

// The same move, with a copy across file systems made on a worker thread, so that a large
// item does not hold up the room. The copy is made under a hidden name beside `to` and
// takes its place once whole; should `to` have been taken meanwhile, the item takes the
// next free name there. `arrived` is handed the item's new path before the original goes
// (on the worker for a copy: it may touch that item only). `done` runs on `context`'s
// thread: at once, inside this call, for a move within one file system, else once the
// copy has finished; never when `context` is gone by then.
void moveInBackground(const QString& from, const QString& to,
                      const std::function<void(const QString&)>& arrived, QObject* context,
                      const std::function<void(const Outcome&)>& done);

// Whether `name` is the hidden name of a copy under way: one a kill cut short may leave.
bool isCopyUnderWay(const QString& name);

// The destination (as bytes) that a relative link at `linkPath` would need at `newPath` to
// reach what it reaches now; nothing when the link's destination is absolute or unread.
std::optional<QByteArray> relativeDestinationFrom(const QString& linkPath, const QString& newPath);

// Keeps people's links reaching what they reach through a batch of moves: one move, or
// every item of a folder sent elsewhere, where a link may travel before or after its item.
// The links that may be touched are watched before any move begins; each move tells where
// its item went, and the watched links whose own place or whose item it moved are
// re-pointed at once where their item now stands, relative when they were written relative:
// a batch cut short at any step (a quit, a kill) leaves each link reaching its item. A link
// that still reaches its item keeps its text, one whose item is not where the moves left it
// is let be, and no item is ever moved for a link. Runs on one thread.
class LinkKeeper {
public:
    // Whether a link standing at `link` may be pointed at `target`.
    using Allowed = std::function<bool(const QString& link, const QString& target)>;
    explicit LinkKeeper(Allowed allowed = {});

    // Notes where the link at `path` leads now; anything that is no link is let be.
    void watch(const QString& path);
    // The move from `from` has ended with its item at `to`, or not moved when `to` is
    // empty.
    void finished(const QString& from, const QString& to);
    // How many moves mending has looked at so far, for tests: a link's own few, however many
    // the batch holds.
    qsizetype movesLookedAt() const { return m_movesLookedAt; }

private:
    struct Watched {
        QString at;     // where the link stands, as ItemPaths::realLocation gives it
        QString target; // where it leads, the same way
        QString text;   // its destination as written
        bool absolute = false;
        size_t seen = 0; // how many of the moves `at` and `target` have followed
        // Whether its text on disk is known to lead to `target`.
        bool leadsToTarget = true;
    };
    // Where the entry that stood at `path` stands after the moves from the `next`th on.
    QString afterMoves(const QString& path, size_t next = 0) const;
    // Follows the moves since the link was last looked at, and re-points it where needed.
    void mend(Watched& link);
    void index(size_t link, const QString& place);

    Allowed m_allowed;
    std::vector<Watched> m_links;
    QSet<QString> m_linkPlaces; // each watched link's `at`, noted once
    // The watched links by the places they stand at and lead to, ordered so that those at or
    // under a folder are found together; a place they have left since stays listed.
    std::map<QString, std::vector<size_t>> m_linksByPlace;
    std::vector<std::pair<QString, QString>> m_moves;
    // The moves by where they started, in the order they finished: a batch of thousands
    // looks up the few that concern a path instead of walking them all for every link.
    QHash<QString, std::vector<size_t>> m_movesFrom;
    mutable qsizetype m_movesLookedAt = 0;
};

} // namespace ItemMoves
