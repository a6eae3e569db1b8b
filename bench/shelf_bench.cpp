// What a big folder on the shelf costs the room: its popover opened on a folder of 100,000
// files (the time until the listing shows, the longest the GUI thread was kept from its
// events, and the memory it takes), then scrolled to its end. Then what a busy shelf costs
// while the drawer is open: "Kembalikan Semua" with 600 entries, 150 files dropped onto the
// drawer with 600 entries, and 150 files dropped onto the shelf with the folder of 100,000
// files on it (each: the time until the shelf's list has followed and the longest stall).
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target pondsill-bench-shelf
//   xvfb-run -a -s "-screen 0 1440x900x24" build-release/bench/pondsill-bench-shelf
//
// The case runs in a process of its own on a scratch home folder, so its peak memory is its
// own and the real home is never touched. `--files N` sets the folder's size, `--case
// popover|restore-all|drop|drop-big` runs one case (all by default). With
// BENCH_WHY=1 every new longest stall names its receiver and event type on standard error.
#include "app/interactive_desktop_window.h"
#include "bench_application.h"
#include "bench_case.h"
#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "kit/scroll_area.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

// The room in a window with the drawer open, the shelf holding 600 entries of the Desktop
// (put there as the room puts them) and, for drop-big, the folder of `files` files. Runs
// `act` from the event loop, as a click or a drop would, and reports when the shelf's list
// holds `expected` entries and the longest stall until the GUI has settled after it.
int runBusyShelf(const QString& home, const QByteArray& name)
{
    QSettings settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"),
                       QSettings::IniFormat);
    AppState state(&settings);
    StorageManager& storage = StorageManager::shared();
    const bool big = name == "drop-big";
    if (!big) {
        for (const QString& path : makeFiles(home, QStringLiteral("Desktop"), 600))
            storage.addToBookshelf(QUrl::fromLocalFile(path));
    }
    const QStringList dropped =
        name == "restore-all" ? QStringList() : makeFiles(home, QStringLiteral("Unduhan"), 150);
    InteractiveDesktopWindow window;
    auto* view = new RoomView(state, FloorInteractionState::shared(), &storage,
                              AssetLoader::shared(), RoomPieces::standard(state));
    window.setContent(view);
    window.resize(1440, 900);
    window.show();
    state.setShowBookshelfDrawer(true);
    BenchCase::spin(3000);
    const qsizetype before = storage.bookshelfItems().size();
    const qsizetype expected = name == "restore-all" ? 0 : before + dropped.size();

    app().longestStall = 0;
    QElapsedTimer timer;
    timer.start();
    QTimer::singleShot(0, &storage, [&storage, &name, &dropped] {
        if (name == "restore-all") {
            storage.returnAllBookshelfItemsToDesktop();
            return;
        }
        // As a drop hands its files over: each one queued on the GUI thread.
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : dropped)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        StorageManager::loadDroppedURL(
            data, [&storage](const QUrl& url) { storage.addToBookshelf(url); });
    });
    double followed = -1;
    while (timer.elapsed() < 300'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (storage.bookshelfItems().size() == expected) {
            followed = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    // The drawer and the shelf follow on their workers: until they are done too.
    const auto drawer = [view] {
        return qobject_cast<BookshelfDrawerView*>(
            view->root()->overlayPanel(RoomPanels::bookshelfDrawer));
    };
    double shown = -1;
    while (timer.elapsed() < 300'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (drawer() && drawer()->rows().size() == expected) {
            shown = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    BenchCase::spin(500);
    std::printf("%s: %lld -> %lld entries, list followed after %.1f ms, drawer after %.1f ms, "
                "longest stall %.1f ms\n",
                name.constData(), qint64(before), qint64(expected), followed, shown,
                app().longestStall);
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
    app().longestStall = 0;
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
    std::printf("open: listed after %.1f ms, longest stall %.1f ms, rss +%.1f MB, peak rss "
                "%.1f MB (before opening %.1f MB)\n",
                listed, app().longestStall, statusMB("VmRSS:") - rssBefore, statusMB("VmHWM:"),
                rssBefore);

    if (ShelfFlyoutPopoverView* shown = popover(); shown && shown->list()) {
        app().longestStall = 0;
        QTimer::singleShot(0, shown,
                           [shown] { shown->list()->scrollTo(shown->list()->maximumOffset()); });
        BenchCase::spin(500);
        std::printf("scroll to the end: longest stall %.1f ms\n", app().longestStall);
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
    if (!home.isEmpty())
        BenchCase::useHome(home);
    BenchApplication application(argc, argv);
    if (!home.isEmpty())
        return chosen == "popover" ? runPopover(home, files) : runBusyShelf(home, chosen);

    for (const QByteArray name : {"popover", "restore-all", "drop", "drop-big"}) {
        if (!chosen.isEmpty() && chosen != name)
            continue;
        QTemporaryDir scratch;
        if (name == "popover" || name == "drop-big")
            seed(scratch.path(), files);
        if (name == "popover")
            std::printf("a folder of %d files on the shelf, its popover opened\n", files);
        const QByteArrayList lines = BenchCase::runChild(
            {QStringLiteral("--home"), scratch.path(), QStringLiteral("--files"),
             QString::number(files), QStringLiteral("--case"), QString::fromLatin1(name)});
        for (const QByteArray& line : lines)
            std::printf("%s\n", line.constData());
    }
    return 0;
}
