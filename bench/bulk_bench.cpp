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
//
// Every case runs at 110, 1,000 and 10,000 items (the shelf's also at 2,000) in a process of
// its own on a scratch home folder. `--case NAME` runs one case, `--files N` one size. With
// BENCH_WHY=1 every new longest stall names its receiver and event type on standard error.
#include "app/interactive_desktop_window.h"
#include "bench_application.h"
#include "bench_case.h"
#include "room/asset_loader.h"
#include "room/floor/floor_file_area.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/magic_carpet_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QDir>
#include <QElapsedTimer>
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

namespace {

const QByteArrayList kCases = {"floor-restore",       "shelf-to-floor",  "shelf-to-floor-links",
                               "shelf-to-floor-half", "shelf-restore",   "shelf-restore-links",
                               "shelf-restore-half",  "trash-selection", "selection-to-shelf",
                               "return-everything"};

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

    for (const QByteArray& name : kCases) {
        if (!chosen.isEmpty() && chosen != name)
            continue;
        const bool shelf = name.startsWith("shelf-");
        for (const int files : {110, 1000, 2000, 10000}) {
            if ((!size.isEmpty() && size.toInt() != files) || (files == 2000 && !shelf))
                continue;
            QTemporaryDir scratch;
            if (name == "floor-restore" || name == "trash-selection" ||
                name == "selection-to-shelf")
                seed(scratch.path(), QStringLiteral("Karpet"), files, 0);
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
