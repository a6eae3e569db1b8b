#pragma once

class QThreadPool;

// Where the program's own slow work runs (copies across devices, folder listings, picture
// decoding, the desktop's icons), apart from the threads Qt draws with.
//
// Qt's raster engine hands every fill taller than about a hundred rows, and every large
// image conversion, to Qt's global pool in pieces and waits for them in the middle of a
// paint. A long copy queued on that pool would hold the room's painting up until it ended,
// so none of our jobs go there.
namespace BackgroundWork {

// The pool for the program's own jobs, asked for on the GUI thread. It waits for what it
// runs before the application object goes, as Qt's global pool does.
QThreadPool* pool();

// The program's other pools (one writer's, the Trash's) are made known here for as long as
// they live, so letThreadsGo reaches them.
void track(QThreadPool* pool);
void untrack(QThreadPool* pool);

// Has Qt's global pool, the program's pool and every tracked one finish their jobs and let
// their threads go, and waits until no thread of any pool is left in the process, however
// far it had got with ending. A process forked without exec afterwards (the tests that run
// work as another user) then inherits no thread that might have held a lock of the
// allocator's as it forked, nor a pool counting threads it does not have. False when some
// pool's thread was still there after ten seconds.
bool letThreadsGo();

// Leaves the raster engine one helper thread. The room draws many caches of a few hundred
// rows: spread over every core, each fill wakes up to eight threads and waits for them, and
// the hand-overs cost more processor time than the drawing they share (about a quarter of
// the room's start-up). Nothing the room draws while it animates is split at all.
void settlePaintingHelpers();

} // namespace BackgroundWork
