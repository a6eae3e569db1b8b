#pragma once

// Waiting for the room's work in the background (moves of many, copies on workers, drops onto
// the shelf, thumbnails) to end before a test looks at files or the screen.

#include "storage/storage_manager.h"

#include <QStringList>
#include <QTest>

#include <functional>
#include <source_location>

// Waits until `stillRunning` names nothing more. Work still running after `timeoutMs` fails
// the test at `where`, naming it: a stuck move shows up as itself rather than as a comparison
// that fails further on for no clear reason. Returns whether everything ended.
inline bool waitUntilSettled(const std::function<QStringList()>& stillRunning,
                             const std::source_location& where = std::source_location::current(),
                             int timeoutMs = 30000)
{
    QStringList running;
    if (QTest::qWaitFor(
            [&] {
                running = stillRunning();
                return running.isEmpty();
            },
            timeoutMs))
        return true;
    QTest::qFail(qPrintable(QStringLiteral("still running after %1 s: %2")
                                .arg(timeoutMs / 1000)
                                .arg(running.join(QStringLiteral(", ")))),
                 where.file_name(), int(where.line()));
    return false;
}

// The moves the storage service still has under way, in words.
inline QStringList movesStillRunning(const StorageManager& storage)
{
    QStringList running;
    if (storage.hasMovesInFlight())
        running << QStringLiteral("moves (a move of many, or a copy on a worker)");
    if (const qsizetype drops = storage.droppedItemsWaiting(); drops > 0)
        running << QStringLiteral("%1 drops onto the shelf waiting").arg(drops);
    return running;
}
