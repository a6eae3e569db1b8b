// What the storage service costs the room: a full reload beside a bare listing of the same
// folders, what a write of the room's own costs once the folder event arrives, and a drop
// on the floor with six large photos in the album.
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target pondsill-bench-storage
//   xvfb-run -a -s "-screen 0 1440x900x24" build-release/bench/pondsill-bench-storage
//
// Each case runs in a process of its own on a scratch home folder, so the real one is never
// touched. `--case NAME` runs one alone (on a home laid out for it):
//   reload  1,000 and 10,000 files in the carpet folder and 200 links on the shelf: the
//           median of a full reload beside the median of a bare listing of the same
//           folders (each folder's names and types as one readdir pass gives them), as a
//           ratio; then one floor position written and what the folder event
//           it causes costs (change signals, the longest stall of the GUI thread)
//   drop    six 12-megapixel photos in the album and 110 files on the floor: files dropped
//           on the floor one at a time, the time from each drop to the paint that shows the
//           file at its place, and the longest GUI-thread stall in the 1.5 s after it; a
//           full repaint of the still room (what the drop highlight leaving costs); then a
//           floor file dragged round the floor for 2 s and let go: the longest stall while
//           it moves and after it is let go
//   notes   2, then 10,000 notes of about 1 kB each in notes.json (10 MB), then a note of one
//           1 MB word (no place to break a line in it, as a pasted base64 text) under a
//           short one: the time
//           from start to the room's first paint, the peak memory, and what one key typed
//           into the top note costs (the change and its save, median of 9) with the longest
//           stall
// With BENCH_WHY=1 every new longest stall names its receiver and event type on standard
// error.
#include "app/interactive_desktop_window.h"
#include "bench_application.h"
#include "bench_case.h"
#include "corkboard/corkboard_notes.h"
#include "corkboard/corkboard_view.h"
#include "platform/file_operations.h"
#include "room/asset_loader.h"
#include "room/floor/floor_item_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSceneDragDropEvent>
#include <QImage>
#include <QMetaMethod>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using BenchCase::spin;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// `count` files in the carpet folder and `links` links on the shelf to files elsewhere.
void seedFolders(const QString& home, int count, int links)
{
    const QString root = storageFolder(home);
    for (const char* folder : {"Karpet", "Rak", "Album"})
        QDir().mkpath(root + QLatin1String(folder));
    QDir().mkpath(home + QStringLiteral("/Sumber"));
    static const char* const kinds[] = {"txt", "pdf", "jpg", "png", "odt", "mp3", "zip", "ods"};
    for (int i = 0; i < count; ++i) {
        writeFile(root + QStringLiteral("Karpet/berkas %1.%2")
                             .arg(i, 5, 10, QLatin1Char('0'))
                             .arg(QLatin1String(kinds[i % 8])),
                  "pondsill");
    }
    for (int i = 0; i < links; ++i) {
        const QString target = home + QStringLiteral("/Sumber/buku %1.pdf").arg(i);
        writeFile(target, "pondsill");
        QFile::link(target, root + QStringLiteral("Rak/buku %1.pdf").arg(i));
    }
}

// A photo of `width` x `height` with the fine detail of a real one, so it decodes as slowly.
QByteArray largePhoto(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed + 1));
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(48));
            line[x] = qRgb((x * 255 / width + noise) & 255, (y * 255 / height + noise) & 255,
                           (seed * 40 + noise) & 255);
        }
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 90);
    }
    return bytes;
}

// Counts the change signals of every published field of `object`.
class SignalCounter : public QObject {
    Q_OBJECT
public:
    int count = 0;
    explicit SignalCounter(QObject& object)
    {
        const QMetaObject* meta = object.metaObject();
        const QMetaMethod onChange = metaObject()->method(metaObject()->indexOfSlot("changed()"));
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            if (property.hasNotifySignal())
                connect(&object, property.notifySignal(), this, onChange);
        }
    }
    Q_INVOKABLE void changed() { ++count; }
};

int runReload(const QString& home, int files)
{
    const QString root = storageFolder(home);
    StorageManager storage(home);
    spin(500);

    const QStringList folders = {root + QStringLiteral("Karpet"), root + QStringLiteral("Rak"),
                                 root + QStringLiteral("Album")};
    std::vector<double> bare;
    std::vector<double> full;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        qsizetype seen = 0;
        for (const QString& folder : folders)
            seen += qsizetype(FileOperations::listFolder(folder, false)
                                  .value_or(std::vector<FileOperations::FolderEntry>())
                                  .size());
        bare.push_back(timer.nsecsElapsed() / 1e6);
        if (seen < files)
            std::printf("reload: the listing saw %lld entries\n", qlonglong(seen));
        timer.restart();
        storage.reloadAll();
        full.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double b = median(bare);
    const double f = median(full);
    std::printf("reload: bare listing %.2f ms, full reload %.2f ms, ratio %.1f\n", b, f, f / b);

    // One write of the room's own and the folder event it causes.
    SignalCounter counter(storage);
    app().longestStall = 0;
    storage.setFloorItemPosition(QStringLiteral("berkas 00001.pdf"), 0.4, 0.7);
    const int direct = counter.count;
    spin(600);
    std::printf("echo: one floor position written: %d change signals at once, %d from the "
                "folder event after it, longest stall %.1f ms\n",
                direct, counter.count - direct, app().longestStall);
    return 0;
}

struct Room {
    QSettings settings;
    AppState state;
    InteractiveDesktopWindow window;
    RoomView* view = nullptr;

    explicit Room(const QString& home)
        : settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"), QSettings::IniFormat),
          state(&settings)
    {
        view = new RoomView(state, FloorInteractionState::shared(), &StorageManager::shared(),
                            AssetLoader::shared(), RoomPieces::standard(state));
        app().viewport = view->viewport();
        window.setContent(view);
        window.resize(1440, 900);
        window.show();
    }

    bool drag(QEvent::Type type, QPointF at, QMimeData* data)
    {
        QGraphicsSceneDragDropEvent event(type);
        event.setScenePos(at);
        event.setScreenPos(at.toPoint());
        event.setMimeData(data);
        event.setPossibleActions(Qt::CopyAction);
        event.setProposedAction(Qt::CopyAction);
        event.setDropAction(Qt::CopyAction);
        event.setAccepted(false);
        QApplication::sendEvent(view->scene(), &event);
        return event.isAccepted();
    }

    void mouse(QEvent::Type type, QPointF scene, Qt::MouseButtons buttons)
    {
        BenchCase::sendMouse(*view, type, scene, buttons);
    }

    // The floor file showing `url`, at most `tolerance` points from `at`.
    FloorItemView* fileAt(const QUrl& url, QPointF at, qreal tolerance) const
    {
        for (QGraphicsItem* item : view->scene()->items()) {
            auto* file = dynamic_cast<FloorItemView*>(item);
            if (file && file->itemURL() == url && file->isVisible() &&
                QLineF(file->sceneBoundingRect().center(), at).length() < tolerance)
                return file;
        }
        return nullptr;
    }
};

int runDrop(const QString& home)
{
    Room room(home);
    spin(3000);

    std::vector<double> latencies;
    double worstStall = 0;
    for (int i = 0; i < 5; ++i) {
        const QString source = home + QStringLiteral("/Unduhan/laporan %1.pdf").arg(i);
        QDir().mkpath(home + QStringLiteral("/Unduhan"));
        writeFile(source, "pondsill");
        const QUrl landed = QUrl::fromLocalFile(storageFolder(home) +
                                                QStringLiteral("Karpet/laporan %1.pdf").arg(i));
        const QPointF at(160 + 70 * i, 845);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(source)});
        QElapsedTimer timer;
        double shown = -1;
        app().afterPaint = [&](const QRegion& region) {
            if (shown >= 0)
                return;
            FloorItemView* file = room.fileAt(landed, at, 60);
            if (file && region.intersects(
                            room.view->mapFromScene(file->sceneBoundingRect()).boundingRect()))
                shown = timer.nsecsElapsed() / 1e6;
        };
        room.drag(QEvent::GraphicsSceneDragEnter, at, &data);
        room.drag(QEvent::GraphicsSceneDragMove, at, &data);
        app().longestStall = 0;
        timer.start();
        room.drag(QEvent::GraphicsSceneDrop, at, &data);
        spin(1500);
        app().afterPaint = nullptr;
        latencies.push_back(shown);
        worstStall = std::max(worstStall, app().longestStall);
        std::printf("drop %d: drawn at its place after %.1f ms, longest stall %.1f ms\n", i + 1,
                    shown, app().longestStall);
    }
    std::printf("drop: median %.1f ms from drop to drawn, longest stall %.1f ms\n",
                median(latencies), worstStall);

    std::vector<double> full;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        room.view->viewport()->repaint();
        full.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("repaint: the whole still room %.1f ms (median of 20)\n", median(full));

    // One of the dropped files dragged round the floor, then let go a little further on.
    const QString name = QStringLiteral("laporan 2.pdf");
    const QPointF from(300, 845);
    const StoredPosition before = StorageManager::shared().carpetItemPosition(name);
    app().longestStall = 0;
    room.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int step = 1; step <= 120; ++step) {
        const qreal a = step * 0.05;
        room.mouse(QEvent::MouseMove, from + QPointF(200 * std::sin(a), -60 * (1 - std::cos(a))),
                   Qt::LeftButton);
        spin(16);
    }
    const double whileDragged = app().longestStall;
    app().longestStall = 0;
    room.mouse(QEvent::MouseButtonRelease, from + QPointF(180, -40), Qt::NoButton);
    spin(1500);
    const StoredPosition after = StorageManager::shared().carpetItemPosition(name);
    std::printf("drag: longest stall %.1f ms while dragged, %.1f ms after it was let go (%s)\n",
                whileDragged, app().longestStall,
                before.x != after.x || before.y != after.y ? "moved" : "did not move");
    return 0;
}

// `count` notes of about 1 kB each, scattered as the room places new ones.
void seedNotes(const QString& home, int count)
{
    QDir().mkpath(storageFolder(home));
    QRandomGenerator random(7);
    StickyNotes notes;
    notes.reserve(count);
    for (int i = 0; i < count; ++i) {
        StickyNote note;
        note.title = QStringLiteral("Catatan %1").arg(i);
        note.freeformText = QStringLiteral("Baris %1 dari catatan yang cukup panjang. ")
                                .arg(i)
                                .repeated(20)
                                .left(900);
        note.color = allNoteColors().at(int(random.bounded(7)));
        note.x = 20 + 160 * random.generateDouble();
        note.y = 54 + 96 * random.generateDouble();
        notes.append(note);
    }
    writeFile(storageFolder(home) + QStringLiteral("notes.json"), *encodeStickyNotes(notes));
}

// A note of one word of `chars` characters, under a short note.
void seedWordNote(const QString& home, int chars)
{
    QDir().mkpath(storageFolder(home));
    StickyNote word;
    word.title = QStringLiteral("Base64");
    QString text;
    text.reserve(chars);
    // Letters and digits only: no character of it is a place a line may break.
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int i = 0; i < chars; ++i)
        text += QLatin1Char(alphabet[(i * 7 + i / 62) % 62]);
    word.freeformText = text;
    word.x = 20;
    word.y = 60;
    StickyNote other;
    other.title = QStringLiteral("Catatan");
    other.freeformText = QStringLiteral("Baris pendek.");
    // Lying right over it: the board then asks how tall the note under it grows.
    other.x = 20;
    other.y = 60;
    writeFile(storageFolder(home) + QStringLiteral("notes.json"),
              *encodeStickyNotes({word, other}));
}

// The process's memory in MB: the peak (VmHWM) or now (VmRSS).
double memoryMB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

int runNotes(const QString& home, QElapsedTimer& started)
{
    double firstPaint = -1;
    app().afterPaint = [&](const QRegion&) {
        if (firstPaint < 0)
            firstPaint = started.nsecsElapsed() / 1e9;
    };
    Room room(home);
    while (firstPaint < 0)
        spin(10);
    app().afterPaint = nullptr;
    spin(2000);
    qsizetype views = 0;
    for (QGraphicsItem* item : room.view->scene()->items()) {
        if (auto* board = dynamic_cast<CorkboardView*>(item))
            views += board->noteViews().size();
    }
    std::printf("notes: %lld notes, %lld views, first paint %.2f s after start, memory %.0f MB "
                "(peak %.0f MB)\n",
                qlonglong(StorageManager::shared().stickyNotes().size()), qlonglong(views),
                firstPaint, memoryMB("VmRSS:"), memoryMB("VmHWM:"));

    CorkboardNotes notes(StorageManager::shared());
    const QUuid top = StorageManager::shared().stickyNotes().constLast().id;
    std::vector<double> keys;
    double worstStall = 0;
    for (int i = 0; i < 9; ++i) {
        app().longestStall = 0;
        QElapsedTimer timer;
        timer.start();
        notes.update(top, [](StickyNote& note) { note.freeformText += QLatin1Char('k'); });
        keys.push_back(timer.nsecsElapsed() / 1e6);
        spin(400);
        worstStall = std::max(worstStall, app().longestStall);
    }
    std::printf("notes: one key %.1f ms (median of 9), longest stall after it %.1f ms, memory "
                "%.0f MB (peak %.0f MB)\n",
                median(keys), worstStall, memoryMB("VmRSS:"), memoryMB("VmHWM:"));
    return 0;
}

void runChild(const QString& name, const QStringList& extra,
              const std::function<void(const QString&)>& seed)
{
    QTemporaryDir home;
    seed(home.path());
    const QByteArrayList lines = BenchCase::runChild(
        QStringList{QStringLiteral("--case"), name, QStringLiteral("--home"), home.path()} + extra);
    for (const QByteArray& line : lines)
        std::printf("%s\n", line.constData());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    const auto options = BenchCase::options(argc, argv);
    const QString caseName = QString::fromLocal8Bit(options.value("--case"));
    const QString home = QString::fromLocal8Bit(options.value("--home"));
    const int files = options.value("--files", "1000").toInt();
    QElapsedTimer started;
    started.start();
    if (!home.isEmpty())
        BenchCase::useHome(home);
    BenchApplication application(argc, argv);
    const bool reload = caseName.isEmpty() || caseName == QLatin1String("reload");
    const bool drop = caseName.isEmpty() || caseName == QLatin1String("drop");
    const bool notes = caseName.isEmpty() || caseName == QLatin1String("notes");
    if (!reload && !drop && !notes) {
        std::fprintf(stderr, "pondsill-bench-storage: unknown case\n");
        return 2;
    }
    if (!home.isEmpty())
        return reload ? runReload(home, files) : drop ? runDrop(home) : runNotes(home, started);

    if (reload) {
        for (int count : {1000, 10000}) {
            std::printf("%d files in Karpet, 200 links in Rak\n", count);
            runChild(QStringLiteral("reload"), {QStringLiteral("--files"), QString::number(count)},
                     [count](const QString& h) { seedFolders(h, count, 200); });
        }
    }
    if (notes) {
        // The room with two notes first: what 10,000 add to it.
        for (int count : {2, 10000}) {
            std::printf("%d notes in notes.json\n", count);
            runChild(QStringLiteral("notes"), {},
                     [count](const QString& h) { seedNotes(h, count); });
        }
        std::printf("a note of one 1,000,000-character word in notes.json\n");
        runChild(QStringLiteral("notes"), {}, [](const QString& h) { seedWordNote(h, 1'000'000); });
    }
    if (!drop)
        return 0;
    std::printf("six 12-megapixel photos in Album, 110 files in Karpet\n");
    std::vector<QByteArray> photos;
    for (int i = 0; i < 6; ++i)
        photos.push_back(largePhoto(4000, 3000, i));
    runChild(QStringLiteral("drop"), {}, [&photos](const QString& h) {
        seedFolders(h, 110, 0);
        for (int i = 0; i < 6; ++i)
            writeFile(storageFolder(h) + QStringLiteral("Album/frame_%1.jpg").arg(i),
                      photos[size_t(i)]);
    });
    return 0;
}

#include "storage_bench.moc"
