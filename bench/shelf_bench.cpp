// What a big folder on the shelf costs the room: its popover opened on a folder of 100,000
// files (the time until the listing shows, the longest the GUI thread was kept from its
// events, and the memory it takes), then scrolled to its end. Then what a busy shelf costs:
// "Kembalikan Semua" with the drawer open and 110, 600, 1,000 or 10,000 entries on the
// shelf (the 10,000 as files stored on it); 110, 150, 1,000 or 10,000 files dropped onto
// the open drawer (drop) or onto the cabinet (drop-shelf) with 600 entries; and 150 files
// dropped onto the drawer with the folder of 100,000 files on the shelf (drop-big). Each:
// the time until the storage's list, the shelf and the drawer have followed, the longest
// single event, and the longest unanswered: how long a click or a key waited at worst until
// all had settled (a 10 ms timer's lateness), which also counts back-to-back events that
// each are short.
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target pondsill-bench-shelf
//   xvfb-run -a -s "-screen 0 1440x900x24" build-release/bench/pondsill-bench-shelf
//
// The case runs in a process of its own on a scratch home folder, so its peak memory is its
// own and the real home is never touched. `--files N` sets the big folder's size, `--case
// popover|restore-all|drop|drop-shelf|drop-big` runs one case (all by default), `--count N`
// one size of it. With BENCH_WHY=1 every new longest stall names its receiver and event
// type on standard error.
#include "app/interactive_desktop_window.h"
#include "bench_application.h"
#include "bench_case.h"
#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "kit/scroll_area.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A line of /proc/self/status in MB ("VmRSS", "VmHWM").
double statusMB(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key)) + 1).trimmed().split(' ').value(0).toDouble() /
                   1024;
    }
    return -1;
}

// A folder "Besar" of `files` empty files, on the shelf through a link.
void seed(const QString& home, int files)
{
    const QString folder = home + QStringLiteral("/Besar/");
    QDir().mkpath(folder);
    QDir().mkpath(storageFolder(home) + QStringLiteral("Rak"));
    static const char* const kinds[] = {"txt", "pdf", "jpg", "png", "odt", "mp3", "zip", "ods"};
    for (int i = 0; i < files; ++i) {
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("berkas %1.%2")
                                                               .arg(i, 6, 10, QLatin1Char('0'))
                                                               .arg(QLatin1String(kinds[i % 8])));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    QFile::link(home + QStringLiteral("/Besar"), storageFolder(home) + QStringLiteral("Rak/Besar"));
}

// `count` empty files in home/`folder`.
QStringList makeFiles(const QString& home, const QString& folder, int count)
{
    QDir().mkpath(home + QLatin1Char('/') + folder);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = home + QLatin1Char('/') + folder +
                             QStringLiteral("/file %1.txt").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("x");
        paths << path;
    }
    return paths;
}

// `count` files stored on the shelf itself, each remembering the Desktop as where it came
// from, as a file moved onto the shelf does: the room's way for a shelf of 10,000, which
// adding them one by one would take hours to fill.
void storeOnShelf(const QString& home, int count)
{
    const QString shelf = storageFolder(home) + QStringLiteral("Rak/");
    QDir().mkpath(shelf);
    QDir().mkpath(home + QStringLiteral("/Desktop"));
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("file %1.txt").arg(i, 5, 10, QLatin1Char('0'));
        QFile f(shelf + name);
        if (f.open(QIODevice::WriteOnly))
            f.write("x");
        f.close();
        StorageManager::writeOriginAttributes(QUrl::fromLocalFile(shelf + name),
                                              home + QStringLiteral("/Desktop/") + name);
    }
}

// An outside drag of `urls` dropped at `at` (room points), as the window system hands it to
// the scene: enter, move, drop.
void dropOnto(QGraphicsScene& scene, QPointF at, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    for (const QEvent::Type type : {QEvent::GraphicsSceneDragEnter, QEvent::GraphicsSceneDragMove,
                                    QEvent::GraphicsSceneDrop}) {
        QGraphicsSceneDragDropEvent event(type);
        event.setScenePos(at);
        event.setScreenPos(at.toPoint());
        event.setMimeData(&data);
        event.setPossibleActions(Qt::CopyAction | Qt::MoveAction);
        event.setProposedAction(Qt::CopyAction);
        event.setDropAction(Qt::CopyAction);
        event.setAccepted(false);
        QApplication::sendEvent(&scene, &event);
    }
}

// The room in a window, the shelf holding `entries` entries and, for drop-big, the folder of
// `files` files. restore-all: "Kembalikan Semua" with the drawer open; drop: `count` files
// dropped onto the open drawer; drop-shelf: onto the cabinet, the drawer closed. Each act
// runs from the event loop, as a click or a drop would. Reports when the storage's list, the
// shelf and the drawer have followed, the longest single event and the longest a 10 ms timer
// (a click, a key) waited until everything has settled.
int runBusyShelf(const QString& home, const QByteArray& name, int count)
{
    const bool big = name == "drop-big";
    const bool restore = name == "restore-all";
    const bool ontoShelf = name == "drop-shelf";
    // With restore-all `count` is what the shelf holds; otherwise what is dropped onto 600.
    const int entries = big ? 0 : restore ? count : 600;
    const bool stored = entries > 1000;
    if (stored)
        storeOnShelf(home, entries);
    QSettings settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"),
                       QSettings::IniFormat);
    AppState state(&settings);
    StorageManager& storage = StorageManager::shared();
    if (!big && !stored) {
        for (const QString& path : makeFiles(home, QStringLiteral("Desktop"), entries))
            storage.addToBookshelf(QUrl::fromLocalFile(path));
    }
    const QStringList dropped =
        restore ? QStringList() : makeFiles(home, QStringLiteral("Unduhan"), count);
    InteractiveDesktopWindow window;
    auto* view = new RoomView(state, FloorInteractionState::shared(), &storage,
                              AssetLoader::shared(), RoomPieces::standard(state));
    window.setContent(view);
    window.resize(1440, 900);
    window.show();
    state.setShowBookshelfDrawer(!ontoShelf);
    const auto drawer = [view] {
        return qobject_cast<BookshelfDrawerView*>(
            view->root()->overlayPanel(RoomPanels::bookshelfDrawer));
    };
    auto* shelf = static_cast<BookshelfView*>(view->root()->slot(Furniture::Bookshelf)->view());
    const qsizetype before = storage.bookshelfItems().size();
    const qsizetype expected = restore ? 0 : before + dropped.size();
    const auto shelfShows = [shelf](qsizetype n) {
        return shelf->badgeCount() == n && !shelf->isMeasuring();
    };
    const auto drawerShows = [&drawer](qsizetype n) {
        return drawer() && !drawer()->isReading() && drawer()->rows().size() == n;
    };
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 600'000 &&
           !(shelfShows(before) && (ontoShelf || drawerShows(before))))
        BenchCase::spin(50);
    BenchCase::spin(1000);

    app().resetAnswer();
    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(0, &storage, [&] {
        if (restore) {
            storage.returnAllBookshelfItemsToDesktop();
            return;
        }
        QList<QUrl> urls;
        for (const QString& path : dropped)
            urls << QUrl::fromLocalFile(path);
        const QPointF at = ontoShelf ? shelf->mapToScene(shelf->boundingRect().center())
                                     : drawer()->mapToScene(drawer()->boundingRect().center());
        dropOnto(*view->scene(), at, urls);
    });
    double followed = -1, shelfFollowed = -1, drawerFollowed = ontoShelf ? 0 : -1;
    const qint64 limit = 300'000;
    while (timer.elapsed() < limit && (followed < 0 || shelfFollowed < 0 || drawerFollowed < 0)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double now = timer.nsecsElapsed() / 1e6;
        if (followed < 0 && storage.bookshelfItems().size() == expected)
            followed = now;
        if (followed >= 0 && shelfFollowed < 0 && shelfShows(expected))
            shelfFollowed = now;
        if (followed >= 0 && drawerFollowed < 0 && drawerShows(expected))
            drawerFollowed = now;
    }
    BenchCase::spin(500);
    std::printf("%s %d: %lld -> %lld entries%s, list followed after %.1f ms, shelf after %.1f "
                "ms, drawer after %.1f ms, longest stall %.1f ms, longest unanswered %.1f ms\n",
                name.constData(), count, qint64(before), qint64(expected),
                stored ? " (stored files)" : "", followed, shelfFollowed,
                ontoShelf ? 0.0 : drawerFollowed, app().longestStall, app().longestUnanswered());
    return followed >= 0 ? 0 : 1;
}

int runPopover(const QString& home, int files)
{
    QSettings settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"),
                       QSettings::IniFormat);
    AppState state(&settings);
    InteractiveDesktopWindow window;
    auto* view = new RoomView(state, FloorInteractionState::shared(), &StorageManager::shared(),
                              AssetLoader::shared(), RoomPieces::standard(state));
    window.setContent(view);
    window.resize(1440, 900);
    window.show();
    BenchCase::spin(2000);

    const auto popover = [view] {
        return qobject_cast<ShelfFlyoutPopoverView*>(
            view->root()->overlayPanel(RoomPanels::shelfPopover));
    };
    const double rssBefore = statusMB("VmRSS:");
    app().resetAnswer();
    QElapsedTimer timer;
    timer.start();
    // From the event loop, as a click would: a stall it causes is counted.
    QTimer::singleShot(0, &state, [&state, home] {
        state.setActiveShelfPopoverURL(
            QUrl::fromLocalFile(storageFolder(home) + QStringLiteral("Rak/Besar")));
    });
    double listed = -1;
    while (timer.elapsed() < 120'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (popover() && popover()->listing().size() == files) {
            listed = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    BenchCase::spin(500);
    std::printf("open: listed after %.1f ms, longest stall %.1f ms, longest unanswered %.1f ms, "
                "rss +%.1f MB, peak rss %.1f MB (before opening %.1f MB)\n",
                listed, app().longestStall, app().longestUnanswered(),
                statusMB("VmRSS:") - rssBefore, statusMB("VmHWM:"), rssBefore);

    if (ShelfFlyoutPopoverView* shown = popover(); shown && shown->list()) {
        app().resetAnswer();
        QTimer::singleShot(0, shown,
                           [shown] { shown->list()->scrollTo(shown->list()->maximumOffset()); });
        BenchCase::spin(500);
        std::printf("scroll to the end: longest stall %.1f ms, longest unanswered %.1f ms\n",
                    app().longestStall, app().longestUnanswered());
    }
    return listed >= 0 ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    const auto options = BenchCase::options(argc, argv);
    const QString home = QString::fromLocal8Bit(options.value("--home"));
    const int files = options.value("--files", "100000").toInt();
    const QByteArray chosen = options.value("--case");
    const QByteArray counted = options.value("--count");
    if (!home.isEmpty())
        BenchCase::useHome(home);
    BenchApplication application(argc, argv);
    if (!home.isEmpty())
        return chosen == "popover" ? runPopover(home, files)
                                   : runBusyShelf(home, chosen, counted.toInt());

    struct Run {
        const char* name;
        QList<int> counts;
    };
    const Run runs[] = {{"popover", {0}},
                        {"restore-all", {110, 600, 1000, 10000}},
                        {"drop", {110, 150, 1000, 10000}},
                        {"drop-shelf", {110, 150, 1000, 10000}},
                        {"drop-big", {150}}};
    for (const Run& run : runs) {
        const QByteArray name(run.name);
        if (!chosen.isEmpty() && chosen != name)
            continue;
        for (const int count : run.counts) {
            if (!counted.isEmpty() && counted.toInt() != count)
                continue;
            QTemporaryDir scratch;
            if (name == "popover" || name == "drop-big")
                seed(scratch.path(), files);
            if (name == "popover")
                std::printf("a folder of %d files on the shelf, its popover opened\n", files);
            const QByteArrayList lines = BenchCase::runChild(
                {QStringLiteral("--home"), scratch.path(), QStringLiteral("--files"),
                 QString::number(files), QStringLiteral("--case"), QString::fromLatin1(name),
                 QStringLiteral("--count"), QString::number(count)});
            for (const QByteArray& line : lines)
                std::printf("%s\n", line.constData());
            std::fflush(stdout);
        }
    }
    return 0;
}
