// What the room's moves of many items at once cost, with the room showing them: every floor
// file sent back ("floor-restore"), every shelf entry laid on the floor ("shelf-to-floor",
// "Keluarkan Semua ke Lantai"), every shelf entry sent back ("shelf-restore", "Kembalikan
// Semua"), a floor selection of every file put in the Trash ("trash-selection") or on the
// shelf ("selection-to-shelf"), and everything sent back ("return-everything", half on the
// shelf and half on the floor). Each case prints the time until the room shows the result
// (the storage's lists followed and the floor's views made or gone), the longest a 10 ms
// timer waited past its time and the longest single event.
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPONDSILL_BUILD_TESTS=ON
//   cmake --build build-release --target pondsill-bench-bulk
//   xvfb-run -a -s "-screen 0 1440x900x24" build-release/bench/pondsill-bench-bulk
//
// The shelf's cases run on files stored on it, and again on links to the user's files
// ("-links": three of four the room's own, recorded in shelf_links.json as the room records
// them, the fourth a relative link of the user's) and on half files, half links ("-half").
// "shelf-to-floor-own" runs on links the user made themselves
// (absolute, to ~/stuff, recorded nowhere) with the bookshelf drawer open over the room.
//
// The floor's gestures on a selection of every file run as a person makes them, the mouse's
// press, moves (125 a second) and release sent through the view as the window system sends
// them: "drag-to-trash" drags a selected file to the trash can and lets go there (and
// "drag-one-to-trash" one file with nothing selected, what any drag costs), "marquee"
// draws one over every file, and "bar-trash" clicks the selection bar's trash button. They
// print the longest wait of each part of the gesture (a drag's start, its moves, the drop
// until the room shows the files gone) apart.
//
// Every case runs at 110, 1,000 and 10,000 items (the shelf's also at 2,000) in a process of
// its own on a scratch home folder. `--case NAME` runs one case, `--files N` one size. With
// BENCH_WHY=1 every new longest stall names its receiver and event type on standard error.
#include "app/interactive_desktop_window.h"
#include "bare_floor.h"
#include "bench_application.h"
#include "bench_case.h"
#include "bookshelf/bookshelf_drawer_view.h"
#include "kit/room_geometry.h"
#include "room/asset_loader.h"
#include "room/floor/floor_file_area.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/magic_carpet_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "room/theme_background_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGraphicsScene>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <vector>

namespace {

const QByteArrayList kCases = {"floor-restore",       "shelf-to-floor",  "shelf-to-floor-links",
                               "shelf-to-floor-half", "shelf-restore",   "shelf-restore-links",
                               "shelf-restore-half",  "trash-selection", "selection-to-shelf",
                               "return-everything"};
const QByteArrayList kGestureCases = {"drag-to-trash", "drag-one-to-trash", "marquee", "bar-trash"};
// The user's own links, with the drawer open.
const QByteArrayList kOwnLinkCases = {"shelf-to-floor-own"};

// `count` files in the storage folder's `folder`, each recording a folder of the home as
// where it came from, as the room's own moves leave them.
void seed(const QString& home, const QString& folder, int count, int from)
{
    const QString origin = home + QStringLiteral("/Asal/");
    QDir().mkpath(origin);
    const QString place = storageFolder(home) + folder + QLatin1Char('/');
    QDir().mkpath(place);
    static const char* const kinds[] = {"txt", "pdf", "jpg", "png", "odt", "mp3", "zip", "ods"};
    for (int i = from; i < from + count; ++i) {
        const QString name = QStringLiteral("berkas %1.%2")
                                 .arg(i, 5, 10, QLatin1Char('0'))
                                 .arg(QLatin1String(kinds[i % 8]));
        const QByteArray path = QFile::encodeName(place + name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            continue;
        (void)::write(fd, "pondsill", 8);
        ::close(fd);
        StorageManager::writeOriginAttributes(QUrl::fromLocalFile(place + name), origin + name);
    }
}

// `count` entries on the shelf, each a link to a file of the user's in ~/Dokumen: three of
// four the room's own (absolute, the file recording the link's destination as where it came
// from, and recorded in shelf_links.json), the fourth one of the user's, relative. With
// `every` above 1, only every `every`-th entry is a link and the others are files stored on
// the shelf.
void seedShelf(const QString& home, int count, int every)
{
    const QString shelf = storageFolder(home) + QStringLiteral("Rak/");
    const QString documents = home + QStringLiteral("/Dokumen/");
    QDir().mkpath(shelf);
    QDir().mkpath(documents);
    QJsonArray records;
    int links = 0;
    for (int i = 0; i < count; ++i) {
        if (i % every != 0) {
            seed(home, QStringLiteral("Rak"), 1, i);
            continue;
        }
        const QString name = QStringLiteral("tautan %1.txt").arg(i, 5, 10, QLatin1Char('0'));
        const QString target = documents + name;
        const QString link = shelf + name;
        QFile file(target);
        if (file.open(QIODevice::WriteOnly))
            file.write("pondsill");
        file.close();
        const bool roomOwn = links++ % 4 != 3;
        const QString text = roomOwn ? target : QStringLiteral("../../../Dokumen/") + name;
        if (::symlink(QFile::encodeName(text).constData(), QFile::encodeName(link).constData()) !=
            0)
            continue;
        if (!roomOwn)
            continue;
        StorageManager::writeOriginAttributes(QUrl::fromLocalFile(link), target);
        struct stat st {};
        if (::lstat(QFile::encodeName(link).constData(), &st) != 0)
            continue;
        records.append(QJsonObject{
            {QStringLiteral("name"), name},
            {QStringLiteral("text"), text},
            {QStringLiteral("inode"), QString::number(quint64(st.st_ino))},
            {QStringLiteral("changed"),
             QString::number(qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec)}});
    }
    QFile record(storageFolder(home) + QStringLiteral("shelf_links.json"));
    if (record.open(QIODevice::WriteOnly))
        record.write(QJsonDocument(QJsonObject{{QStringLiteral("links"), records}})
                         .toJson(QJsonDocument::Compact));
}

// `count` links the user made on the shelf, each absolute to a file of theirs in ~/stuff:
// nothing records them, so the room knows them only as links.
void seedOwnLinks(const QString& home, int count)
{
    const QString shelf = storageFolder(home) + QStringLiteral("Rak/");
    const QString stuff = home + QStringLiteral("/stuff/");
    QDir().mkpath(shelf);
    QDir().mkpath(stuff);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("punyaku %1.txt").arg(i, 5, 10, QLatin1Char('0'));
        QFile file(stuff + name);
        if (file.open(QIODevice::WriteOnly))
            file.write("pondsill");
        file.close();
        (void)::symlink(QFile::encodeName(stuff + name).constData(),
                        QFile::encodeName(shelf + name).constData());
    }
}

MagicCarpetView* floorOf(RoomView& view)
{
    for (QGraphicsItem* item : view.scene()->items()) {
        if (auto* floor = dynamic_cast<MagicCarpetView*>(item))
            return floor;
    }
    return nullptr;
}

// The floor's views: made for every listed file, and none left of those that went.
qsizetype floorViews(MagicCarpetView& floor)
{
    // The picture of the selected files lies among the lifted ones: no file's view.
    qsizetype lifted = 0;
    for (QGraphicsItem* item : floor.liftedArea()->childItems())
        lifted += dynamic_cast<FloorFileLayer*>(item) ? 0 : 1;
    return floor.pendingCount() + floor.fileArea()->childItems().size() + lifted;
}

// The longest waits of one part of a gesture.
struct Part {
    const char* name;
    double unanswered;
    double stall;
};

// Ends the part running now with its longest waits; the next one counts afresh.
void endPart(std::vector<Part>& parts, const char* name)
{
    parts.push_back({name, app().longestUnanswered(), app().longestStall});
    app().resetAnswer();
    // For a profiler recording this process on the monotonic clock: where each part ended.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "bulk: %s ended at %ld.%09ld\n", name, long(now.tv_sec), now.tv_nsec);
}

// Runs `fn` from a turn of the event loop, as the window system's events come, and returns
// once it has run.
void fromLoop(const std::function<void()>& fn)
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        fn();
        loop.quit();
    });
    loop.exec();
}

// The pointer, its button held, moved from `from` to `to` in `steps` moves at 125 a second.
void moveAlong(RoomView& view, QPointF from, QPointF to, int steps)
{
    QEventLoop loop;
    QTimer moves;
    moves.setTimerType(Qt::PreciseTimer);
    int step = 0;
    QObject::connect(&moves, &QTimer::timeout, &loop, [&] {
        ++step;
        BenchCase::sendMouse(view, QEvent::MouseMove, from + (to - from) * (double(step) / steps),
                             Qt::LeftButton);
        if (step >= steps) {
            moves.stop();
            loop.quit();
        }
    });
    moves.start(8);
    loop.exec();
}

// Runs the event loop until `done` holds; the milliseconds that took, or -1 after 15 minutes.
double waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 900'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (done())
            return timer.nsecsElapsed() / 1e6;
    }
    return -1;
}

// The file on top at its own centre, of those lying nearest the middle of the floor.
FloorItemView* fileOnTop(RoomView& view, MagicCarpetView& floor, StorageManager& storage)
{
    const QPointF middle(0.5 * view.viewport()->width(), 0.7 * view.viewport()->height());
    FloorItemView* nearest = nullptr;
    qreal best = 0;
    for (const QUrl& url : storage.carpetItems()) {
        FloorItemView* file = floor.floorItem(url.fileName());
        if (!file)
            continue;
        const QPointF centre = file->sceneBoundingRect().center();
        const qreal distance =
            std::abs(centre.x() - middle.x()) + std::abs(centre.y() - middle.y());
        if (!nearest || distance < best) {
            nearest = file;
            best = distance;
        }
    }
    if (!nearest)
        return nullptr;
    for (QGraphicsItem* hit =
             view.scene()->itemAt(nearest->sceneBoundingRect().center(), QTransform());
         hit; hit = hit->parentItem()) {
        if (auto* file = dynamic_cast<FloorItemView*>(hit))
            return file;
    }
    return nearest;
}

int runGesture(RoomView& view, MagicCarpetView& floor, const QByteArray& name, int files)
{
    StorageManager& storage = StorageManager::shared();
    FloorInteractionState& floorState = FloorInteractionState::shared();
    const auto allGone = [&] {
        return storage.carpetItems().isEmpty() && floorViews(floor) == 0 &&
               !storage.hasMovesInFlight();
    };
    if (name == "drag-to-trash" || name == "bar-trash") {
        QSet<QString> all;
        for (const QUrl& item : storage.carpetItems())
            all.insert(item.fileName());
        floorState.setSelectedFileNames(all);
    }
    BenchCase::spin(1500);

    std::vector<Part> parts;
    double shown = -1;
    endPart(parts, "rest");
    parts.clear();
    if (name.startsWith("drag-")) {
        FloorItemView* file = fileOnTop(view, floor, storage);
        if (!file)
            return 1;
        const QPointF from = file->sceneBoundingRect().center();
        const QPointF trash = RoomGeometry(view.viewport()->size()).trashCentre();
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton); });
        // Past the drag's minimum distance: the selection lifts and follows.
        moveAlong(view, from, from + QPointF(6, 0), 5);
        BenchCase::spin(100);
        endPart(parts, "start");
        moveAlong(view, from + QPointF(6, 0), trash, 60);
        BenchCase::spin(100);
        endPart(parts, "moves");
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonRelease, trash, Qt::NoButton); });
        // One file dragged alone leaves the rest.
        const qsizetype left = name == "drag-to-trash" ? 0 : files - 1;
        shown = waitUntil([&] {
            return storage.carpetItems().size() == left && floorViews(floor) == left &&
                   !storage.hasMovesInFlight();
        });
        BenchCase::spin(100);
        endPart(parts, "drop");
    } else if (name == "bar-trash") {
        FloorMultiSelectActionBar* bar = floor.actionBar();
        if (!bar)
            return 1;
        const QPointF button = bar->trashButton()->mapToScene(bar->trashButton()->rect().center());
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonPress, button, Qt::LeftButton); });
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonRelease, button, Qt::NoButton); });
        shown = waitUntil(allGone);
        BenchCase::spin(100);
        endPart(parts, "click");
    } else {
        // From the bare floor before the first file to past the last.
        QRectF places;
        const QSizeF size = view.viewport()->size();
        for (const QUrl& url : storage.carpetItems()) {
            const StoredPosition p = storage.carpetItemPosition(url.fileName());
            places |= QRectF(QPointF(p.x * size.width(), p.y * size.height()), QSizeF(0.01, 0.01));
        }
        const std::optional<QPointF> from = BenchCase::bareFloorNear(
            *view.scene(), places.topLeft() - QPointF(40, 40), QPointF(-1, -1));
        if (!from)
            return 1;
        const QPointF to = places.bottomRight() + QPointF(40, 40);
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonPress, *from, Qt::LeftButton); });
        moveAlong(view, *from, to, 125);
        BenchCase::spin(100);
        endPart(parts, "gesture");
        fromLoop([&] { BenchCase::sendMouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton); });
        shown = waitUntil([&] { return floorState.selectedFileNames().size() == files; });
        BenchCase::spin(300);
        endPart(parts, "release");
        // A click on the bare floor lets the selection go.
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonPress, *from, Qt::LeftButton); });
        fromLoop(
            [&] { BenchCase::sendMouse(view, QEvent::MouseButtonRelease, *from, Qt::NoButton); });
        waitUntil([&] { return floorState.selectedFileNames().isEmpty(); });
        BenchCase::spin(300);
        endPart(parts, "clearing");
    }
    std::printf("%-19s %6d items: shown after %9.1f ms", name.constData(), files, shown);
    for (const Part& part : parts)
        std::printf(", %s unanswered %.1f ms stall %.1f ms", part.name, part.unanswered,
                    part.stall);
    std::printf("\n");
    return shown >= 0 ? 0 : 1;
}

int runCase(const QString& home, const QByteArray& name, int files)
{
    QSettings settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"),
                       QSettings::IniFormat);
    AppState state(&settings);
    StorageManager& storage = StorageManager::shared();
    FloorInteractionState& floorState = FloorInteractionState::shared();
    InteractiveDesktopWindow window;
    auto* view = new RoomView(state, floorState, &storage, AssetLoader::shared(),
                              RoomPieces::standard(state));
    app().viewport = view->viewport();
    window.setContent(view);
    window.resize(1440, 900);
    window.show();
    MagicCarpetView* floor = floorOf(*view);
    if (!floor)
        return 1;
    // The room settled: every floor file has its view.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 120'000 &&
           (floor->pendingCount() > 0 || floorViews(*floor) < storage.carpetItems().size()))
        BenchCase::spin(50);
    if (name.endsWith("-own")) {
        // The drawer open and done reading its entries.
        state.setShowBookshelfDrawer(true);
        const auto drawer = [&]() -> BookshelfDrawerView* {
            for (QGraphicsItem* item : view->scene()->items()) {
                if (auto* found = dynamic_cast<BookshelfDrawerView*>(item))
                    return found;
            }
            return nullptr;
        };
        while (settling.elapsed() < 120'000 &&
               (!drawer() || drawer()->isReading() || drawer()->rows().size() < files))
            BenchCase::spin(50);
    }
    if (kGestureCases.contains(name))
        return runGesture(*view, *floor, name, files);
    if (name == "trash-selection" || name == "selection-to-shelf") {
        QSet<QString> all;
        for (const QUrl& item : storage.carpetItems())
            all.insert(item.fileName());
        floorState.setSelectedFileNames(all);
    }
    BenchCase::spin(1500);

    qsizetype shelfAfter = 0;
    qsizetype floorAfter = 0;
    if (name.startsWith("shelf-to-floor"))
        floorAfter = files;
    if (name == "selection-to-shelf")
        shelfAfter = files;

    app().resetAnswer();
    QElapsedTimer timer;
    timer.start();
    // From the event loop, as a click would: a stall it causes is counted.
    QTimer::singleShot(0, floor, [&] {
        if (name == "floor-restore")
            storage.restoreAllCarpetItemsToDesktop();
        else if (name.startsWith("shelf-to-floor"))
            storage.moveAllBookshelfItemsToCarpet();
        else if (name.startsWith("shelf-restore"))
            storage.returnAllBookshelfItemsToDesktop();
        else if (name == "trash-selection")
            floor->trashSelection();
        else if (name == "selection-to-shelf")
            floor->addSelectionToBookshelf();
        else
            storage.returnEverythingToOrigin();
    });
    double shown = -1;
    while (timer.elapsed() < 900'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (storage.bookshelfItems().size() == shelfAfter &&
            storage.carpetItems().size() == floorAfter && floorViews(*floor) == floorAfter &&
            !storage.hasMovesInFlight()) {
            shown = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    // The heartbeat learns how late it is only once it runs again.
    if (shown >= 0)
        BenchCase::spin(100);
    const double unanswered = app().longestUnanswered();
    const double stall = app().longestStall;
    std::printf("%-19s %6d items: shown after %9.1f ms, longest unanswered %7.1f ms, longest "
                "stall %7.1f ms\n",
                name.constData(), files, shown, unanswered, stall);
    return shown >= 0 ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    const auto options = BenchCase::options(argc, argv);
    const QString home = QString::fromLocal8Bit(options.value("--home"));
    const QByteArray chosen = options.value("--case");
    const QByteArray size = options.value("--files");
    if (!home.isEmpty())
        BenchCase::useHome(home);
    BenchApplication application(argc, argv);
    if (!home.isEmpty())
        return runCase(home, chosen, size.toInt());

    for (const QByteArray& name : kCases + kGestureCases + kOwnLinkCases) {
        if (!chosen.isEmpty() && chosen != name)
            continue;
        const bool shelf = name.startsWith("shelf-");
        for (const int files : {110, 1000, 2000, 10000}) {
            if ((!size.isEmpty() && size.toInt() != files) || (files == 2000 && !shelf))
                continue;
            QTemporaryDir scratch;
            if (name == "floor-restore" || name == "trash-selection" ||
                name == "selection-to-shelf" || kGestureCases.contains(name))
                seed(scratch.path(), QStringLiteral("Karpet"), files, 0);
            else if (name.endsWith("-own"))
                seedOwnLinks(scratch.path(), files);
            else if (name.endsWith("-links"))
                seedShelf(scratch.path(), files, 1);
            else if (name.endsWith("-half"))
                seedShelf(scratch.path(), files, 2);
            else if (shelf)
                seed(scratch.path(), QStringLiteral("Rak"), files, 0);
            else {
                seed(scratch.path(), QStringLiteral("Rak"), files / 2, 0);
                seed(scratch.path(), QStringLiteral("Karpet"), files - files / 2, files / 2);
            }
            const QByteArrayList lines = BenchCase::runChild(
                {QStringLiteral("--home"), scratch.path(), QStringLiteral("--files"),
                 QString::number(files), QStringLiteral("--case"), QString::fromLatin1(name)});
            for (const QByteArray& line : lines)
                std::printf("%s\n", line.constData());
            std::fflush(stdout);
        }
    }
    return 0;
}
