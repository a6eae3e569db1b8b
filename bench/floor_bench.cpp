// What the floor costs: one frame of the room at rest, while a file is dragged and in fire
// mode, the start-up with many files in the carpet folder, and fire mode's processor time.
//
//   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build-release --target pondsill-bench-floor
//   xvfb-run -a -s "-screen 0 1440x900x24" build-release/bench/pondsill-bench-floor
//
// Each case runs in a process of its own (peak memory only grows) with a scratch home
// folder, so the real one is never touched. `--case NAME --files N` runs one case alone
// (on a scratch home seeded with N files):
//   frames    a full repaint of the still room, the processor time of 2 s at rest, a file
//             dragged round the floor (each frame's painted area beside the area the file
//             covered before and after the step) and fire mode's frames
//   startup   (--size WxH: a window of that size, 1440x900 unless given; a room picture drawn
//             for another size is kept under $XDG_CACHE_HOME, the scratch home's unless set)
//             the first paint, the processor time until the room is quiet (less than 10 ms
//             in a second), the peak memory, how many times each file was drawn, the paints
//             and the area they covered, and the processor time before the room was built,
//             while it was built and from then to the end of its first paint
//   fire      the share of one core fire mode takes and the area each repaint covers,
//             measured over --seconds (default 5)
//             after --warm-up seconds (default 1.5; the flames draw each step of their
//             flicker once, so until about 25 s have passed they cost a little more), beside
//             a reference in the same process: a bare window showing a picture of the room
//             that lays the same rectangles down 30 times a second with plain image copies.
//             `--dump DIR` writes the room at a few fixed moments of the fire instead
//             (fire-N.png), to compare two builds' flames pixel by pixel, and the same
//             moments painted by the view alone, without the fire's kept pictures
//             (plain-N.png).
//   memory    the resident memory at rest, its peak while the fire burns (--seconds) and
//             20 s after it is put out
//   idle      the share of one core the still room takes over --seconds (the clock ticks)
//   drag      one file dragged round the floor at a mouse's rate (125 moves a second) over
//             --seconds: the share of one core, a move's and a paint's time, the area each
//             paint covers beside the area the icon covers before and after a step, and the
//             drop's cost; with --files 110 and 10000 it shows whether a drag grows with the
//             floor
//   marquee   a marquee drawn over every file at a mouse's rate (125 moves a second over
//             --seconds, default 2) and the selection cleared by a click on the bare floor,
//             then the same over the floor's left half: the processor time of the gesture,
//             after its release and of the clearing, the longest the GUI thread left a 10 ms
//             heartbeat waiting (and the longest single event) in each, and the resident
//             memory before, at the release and after clearing
//   radio     the share of one core while the radio plays (its notes rise), beside the
//             same reference as fire's and the bare window laying one 8 x 8 rectangle down
//             30 times a second (what any repaint at that rate costs)
//   reference the start-up of a bare full-screen window showing one picture of the room
//             (what `startup` is compared with)
//   startup-pairs  five `startup` and `reference` pairs, one after the other, and the median
//             ratio of their processor time until quiet (as the full run gives it)
#include "app/interactive_desktop_window.h"
#include "bare_floor.h"
#include "bench_application.h"
#include "bench_case.h"
#include "room/asset_loader.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/floor_item_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "room/theme_background_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include "desk/floating_notes_view.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/room_fire_atmosphere_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGraphicsScene>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {
QElapsedTimer sinceStart;

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The memory resident now, in megabytes.
double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::getpagesize()) / (1024 * 1024) : 0;
}

// The resident set's high-water mark (VmHWM), or 0.
double highWaterMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

double peakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

// Times every paint of the room's viewport and adds up the area it covered; the longest
// stall and the heartbeat come from the shared application.
class FloorBenchApplication : public BenchApplication {
public:
    using BenchApplication::BenchApplication;

    int paints = 0;
    double paintSeconds = 0;
    double paintedArea = 0;
    double firstPaintEnd = -1;
    // The processor time used up to the end of the first paint.
    double firstPaintCpu = -1;
    // The regions of the latest paints, oldest first, and how long each took, when asked to
    // keep them.
    bool keepRegions = false;
    QList<QRegion> regions;
    std::vector<double> paintTimes;

    void reset()
    {
        paints = 0;
        paintSeconds = 0;
        paintedArea = 0;
        regions.clear();
        paintTimes.clear();
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || receiver != viewport)
            return BenchApplication::notify(receiver, event);
        for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
            paintedArea += double(r.width()) * r.height();
        if (keepRegions)
            regions.append(static_cast<QPaintEvent*>(event)->region());
        QElapsedTimer timer;
        timer.start();
        const bool result = BenchApplication::notify(receiver, event);
        paintSeconds += timer.nsecsElapsed() / 1e9;
        if (keepRegions)
            paintTimes.push_back(timer.nsecsElapsed() / 1e6);
        ++paints;
        if (firstPaintEnd < 0)
            firstPaintEnd = sinceStart.nsecsElapsed() / 1e9;
        if (firstPaintCpu < 0)
            firstPaintCpu = cpuSeconds();
        return result;
    }
};

using BenchCase::spin;

// Waits until the room has used less than 10 ms of processor time in a whole second (at
// most `limit` seconds) and returns the processor time used up to the start of that second.
double cpuUntilQuiet(double limit)
{
    std::vector<double> samples{cpuSeconds()};
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < limit * 1000) {
        spin(100);
        samples.push_back(cpuSeconds());
        if (samples.size() > 10 && samples.back() - samples[samples.size() - 11] < 0.01)
            return samples[samples.size() - 11];
    }
    return samples.back();
}

// `count` files of a few kinds in the carpet folder, at their default places.
void seedCarpet(const QString& home, int count)
{
    const QString carpet = home + QStringLiteral("/Documents/RidezozEvar/Karpet/");
    QDir().mkpath(carpet);
    static const char* const kinds[] = {"txt", "pdf", "jpg", "png", "odt", "mp3", "zip", "ods"};
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("berkas %1.%2")
                                 .arg(i, 5, 10, QLatin1Char('0'))
                                 .arg(QLatin1String(kinds[i % 8]));
        if (i % 25 == 24) {
            QDir().mkpath(carpet + QStringLiteral("map %1").arg(i, 5, 10, QLatin1Char('0')));
            continue;
        }
        QFile file(carpet + name);
        if (file.open(QIODevice::WriteOnly))
            file.write("pondsill");
    }
}

struct Room {
    QSettings settings;
    AppState state;
    InteractiveDesktopWindow window;
    RoomView* view = nullptr;

    // The room out of sight, as the program hides it: its animations stop, so they do not
    // count towards what a reference measured after it costs.
    void hide()
    {
        window.hide();
        state.setWindowVisible(false);
    }

    explicit Room(const QString& home, QSize size = {1440, 900})
        : settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"), QSettings::IniFormat),
          state(&settings)
    {
        view = new RoomView(state, FloorInteractionState::shared(), &StorageManager::shared(),
                            AssetLoader::shared(), RoomPieces::standard(state));
        app().viewport = view->viewport();
        window.setContent(view);
        window.resize(size);
        window.show();
    }

    void mouse(QEvent::Type type, QPointF scene, Qt::MouseButtons buttons)
    {
        BenchCase::sendMouse(*view, type, scene, buttons);
    }

    // The file lying on top at its own centre, nearest the middle of the floor.
    FloorItemView* fileToDrag() const
    {
        std::vector<std::pair<qreal, FloorItemView*>> files;
        for (QGraphicsItem* item : view->scene()->items()) {
            auto* file = dynamic_cast<FloorItemView*>(item);
            if (!file || !file->isVisible() || !file->isEnabled() || file->isUnderMouse())
                continue;
            const QPointF centre = file->sceneBoundingRect().center();
            files.emplace_back(std::abs(centre.x() - 500) + std::abs(centre.y() - 700), file);
        }
        std::sort(files.begin(), files.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        // The file on top at the nearest one's centre: a hit test walks the floor's files,
        // thousands of them on a full floor, and most of them lie under others there.
        if (!files.empty()) {
            const QPointF centre = files.front().second->sceneBoundingRect().center();
            for (QGraphicsItem* hit = view->scene()->itemAt(centre, QTransform()); hit;
                 hit = hit->parentItem()) {
                if (auto* file = dynamic_cast<FloorItemView*>(hit))
                    return file;
            }
        }
        return files.empty() ? nullptr : files.front().second;
    }
};

FloorBenchApplication& floorApp()
{
    return *static_cast<FloorBenchApplication*>(qApp);
}

// A bare window showing one picture: what laying the room's repaints down costs with
// nothing but plain image copies.
class PictureWindow : public QWidget {
public:
    explicit PictureWindow(QImage picture) : m_picture(std::move(picture))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QElapsedTimer timer;
        timer.start();
        {
            QPainter p(this);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            for (const QRect& r : event->region())
                p.drawImage(r.topLeft(), m_picture, r);
        }
        paintTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (firstPaintEnd < 0)
            firstPaintEnd = sinceStart.nsecsElapsed() / 1e9;
    }

    double firstPaintEnd = -1;
    // How long each paint took, in milliseconds.
    std::vector<double> paintTimes;

private:
    QImage m_picture;
};

QImage roomPicture(Room& room)
{
    return room.view->viewport()->grab().toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
}

// The median and the lower quartile of `times`; zeros for none.
std::pair<double, double> medianAndQuartile(std::vector<double> times)
{
    if (times.empty())
        return {0, 0};
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() / 4]};
}

// Lays the painted regions recorded in `regions` down again, one a frame at 30 frames a
// second, on a bare window showing `picture`, for `seconds`; returns the processor time, and
// how long each paint took (milliseconds) in `paintTimes` when given.
double referenceFrames(const QImage& picture, const QList<QRegion>& regions, double seconds,
                       std::vector<double>* paintTimes = nullptr)
{
    PictureWindow window(picture);
    window.resize(picture.size());
    window.show();
    spin(500);
    qsizetype next = 0;
    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, &window, [&] {
        if (regions.isEmpty())
            return;
        window.update(regions[next]);
        next = (next + 1) % regions.size();
    });
    frames.start(1000 / 30);
    window.paintTimes.clear();
    const double start = cpuSeconds();
    spin(int(seconds * 1000));
    const double cpu = cpuSeconds() - start;
    if (paintTimes)
        *paintTimes = window.paintTimes;
    return cpu;
}

QList<AssetFireEffectView*> fires(Room& room)
{
    QList<AssetFireEffectView*> found;
    for (QGraphicsItem* item : room.view->scene()->items()) {
        if (auto* fire = dynamic_cast<AssetFireEffectView*>(item))
            found.append(fire);
    }
    return found;
}

// The room at a few fixed moments of the fire, each frame drawn whole: laid down from the
// fire's kept pictures (fire-N.png), then as the view paints it on its own (plain-N.png).
int dumpFire(Room& room, const QString& folder)
{
    QDir().mkpath(folder);
    const QList<AssetFireEffectView*> burning = fires(room);
    for (const QString& kind : {QStringLiteral("fire"), QStringLiteral("plain")}) {
        room.view->setFireLayersUsed(kind == QLatin1String("fire"));
        for (int i = 0; i < 8; ++i) {
            // Moments a few frames apart, and some far enough apart to show other flicker
            // steps.
            const double moment = 800000000.0 + i * (i < 4 ? 1.0 / 30 : 1.7);
            for (AssetFireEffectView* fire : burning)
                fire->setTime(moment);
            for (QGraphicsItem* item : room.view->scene()->items()) {
                if (auto* atmosphere = dynamic_cast<RoomFireAtmosphereView*>(item))
                    atmosphere->setTime(moment);
            }
            const QImage frame = roomPicture(room);
            if (!frame.save(folder + QStringLiteral("/%1-%2.png").arg(kind).arg(i)))
                return 1;
        }
    }
    std::printf("fire: %lld burning pieces written to %s\n", qint64(burning.size()),
                qPrintable(folder));
    return 0;
}

int runMemory(const QString& home, double seconds)
{
    Room room(home);
    cpuUntilQuiet(120);
    spin(1000);
    const double before = residentMegabytes();
    // The kernel's high-water mark starts again from here, where the system allows it.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    const bool highWater = clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
    clearRefs.close();
    room.state.setFireModeActive(true);
    double burning = before;
    QElapsedTimer timer;
    timer.start();
    // Often enough to see what lighting the fire takes for a moment, not only what it keeps.
    while (timer.elapsed() < seconds * 1000) {
        spin(10);
        burning = std::max(burning, residentMegabytes());
    }
    const double peak = highWater ? highWaterMegabytes() : 0;
    room.state.setFireModeActive(false);
    spin(20000);
    const double after = residentMegabytes();
    std::printf("memory: %.0f MB at rest, %+.1f MB at most while burning %.0f s, %+.1f MB 20 s "
                "after the fire is out\n",
                before, burning - before, seconds, after - before);
    if (highWater)
        std::printf("memory: %+.1f MB at the kernel's high-water mark while burning (every "
                    "allocation, however brief)\n",
                    peak - before);
    return 0;
}

int runIdle(const QString& home, double seconds)
{
    Room room(home);
    cpuUntilQuiet(120);
    floorApp().reset();
    const double start = cpuSeconds();
    spin(int(seconds * 1000));
    std::printf("idle: %.2f %% of one core, %d paints, %.2f ms painting per paint\n",
                (cpuSeconds() - start) / seconds * 100, floorApp().paints,
                floorApp().paints ? floorApp().paintSeconds * 1000 / floorApp().paints : 0.0);
    return 0;
}

int runRadio(const QString& home, double seconds)
{
    Room room(home);
    cpuUntilQuiet(120);
    int notes = 0;
    for (QGraphicsItem* item : room.view->scene()->items()) {
        if (auto* view = dynamic_cast<FloatingNotesView*>(item)) {
            // As the radio does when its player starts.
            view->setPlaying(true);
            view->setVisible(true);
            ++notes;
        }
    }
    spin(1000);
    floorApp().reset();
    floorApp().keepRegions = true;
    const double start = cpuSeconds();
    spin(int(seconds * 1000));
    const double radioCpu = cpuSeconds() - start;
    floorApp().keepRegions = false;
    const int paints = floorApp().paints;
    const double area = floorApp().paintedArea;
    const QList<QRegion> regions = floorApp().regions;
    const double paintMs = floorApp().paintSeconds * 1000;
    qsizetype rects = 0;
    for (const QRegion& region : regions)
        rects += region.rectCount();

    const QImage picture = roomPicture(room);
    room.hide();
    const double referenceCpu = referenceFrames(picture, regions, seconds);
    // What any repaint 30 times a second costs the bare window, however little it lays down.
    const double floorCpu = referenceFrames(picture, {QRegion(0, 0, 8, 8)}, seconds);
    std::printf("radio: %d notes views, %.2f %% of one core, %.0f paints a second, %.0f px in "
                "%.1f rectangles and %.2f ms per paint; reference (the same rectangles copied) "
                "%.2f %% of one core, one 8 x 8 rectangle copied %.2f %%\n",
                notes, radioCpu / seconds * 100, paints / seconds, paints ? area / paints : 0.0,
                paints ? double(rects) / paints : 0.0, paints ? paintMs / paints : 0.0,
                referenceCpu / seconds * 100, floorCpu / seconds * 100);
    return 0;
}

int runReference(const QString& picturePath)
{
    // A picture as a cached room would hold it: decoded once, then laid down whole.
    QImage picture(picturePath);
    if (picture.isNull()) {
        picture = QImage(1440, 900, QImage::Format_ARGB32_Premultiplied);
        picture.fill(QColor(60, 50, 40));
    }
    PictureWindow window(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    window.resize(1440, 900);
    window.show();
    const double quietCpu = cpuUntilQuiet(120);
    std::printf("reference: first paint %.3f s, cpu until quiet %.3f s, peak memory %.0f MB\n",
                window.firstPaintEnd, quietCpu, peakMegabytes());
    return 0;
}

int runFrames(const QString& home)
{
    Room room(home);
    cpuUntilQuiet(60);

    // A full repaint of the still room, as an expose costs.
    std::vector<double> full;
    for (int i = 0; i < 20; ++i) {
        floorApp().reset();
        room.view->viewport()->repaint();
        full.push_back(floorApp().paintSeconds * 1000);
    }
    std::sort(full.begin(), full.end());
    std::printf("frames: full repaint at rest %.2f ms (median of 20)\n", full[full.size() / 2]);

    const double restStart = cpuSeconds();
    floorApp().reset();
    spin(2000);
    std::printf("frames: at rest %.1f %% of one core, %d paints in 2 s\n",
                (cpuSeconds() - restStart) / 2 * 100, floorApp().paints);

    FloorItemView* file = room.fileToDrag();
    if (!file) {
        std::printf("frames: no file to drag\n");
        return 1;
    }
    const QPointF from = file->sceneBoundingRect().center();
    room.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    room.mouse(QEvent::MouseMove, from + QPointF(4, 0), Qt::LeftButton);
    spin(300);
    std::vector<double> ms;
    std::vector<double> ratio;
    double area = 0;
    const double dragStart = cpuSeconds();
    QElapsedTimer dragTimer;
    dragTimer.start();
    for (int step = 1; step <= 120; ++step) {
        const QRectF before = room.view->mapFromScene(file->sceneBoundingRect()).boundingRect();
        const qreal a = step * 0.05;
        floorApp().reset();
        room.mouse(QEvent::MouseMove,
                   from + QPointF(4, 0) + QPointF(260 * std::sin(a), -120 * (1 - std::cos(a))),
                   Qt::LeftButton);
        spin(16);
        const QRectF after = room.view->mapFromScene(file->sceneBoundingRect()).boundingRect();
        const QRectF moved = before.united(after);
        ms.push_back(floorApp().paintSeconds * 1000);
        area += floorApp().paintedArea;
        ratio.push_back(floorApp().paintedArea / (moved.width() * moved.height()));
    }
    const double dragCpu = (cpuSeconds() - dragStart) / (dragTimer.elapsed() / 1000.0);
    room.mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
    std::sort(ms.begin(), ms.end());
    std::sort(ratio.begin(), ratio.end());
    std::printf("frames: drag %.2f ms per frame (median), %.0f px painted per frame, painted / "
                "moved area %.2f (median) %.2f (max), %.1f %% of one core\n",
                ms[ms.size() / 2], area / double(ms.size()), ratio[ratio.size() / 2], ratio.back(),
                dragCpu * 100);
    cpuUntilQuiet(10);

    room.state.setFireModeActive(true);
    spin(1500);
    floorApp().reset();
    const double fireStart = cpuSeconds();
    spin(3000);
    const double fireCpu = cpuSeconds() - fireStart;
    std::printf("frames: fire %d paints in 3 s, %.2f ms painting per frame, %.0f px per frame, "
                "%.1f %% of one core\n",
                floorApp().paints,
                floorApp().paints ? floorApp().paintSeconds * 1000 / floorApp().paints : 0.0,
                floorApp().paints ? floorApp().paintedArea / floorApp().paints : 0.0,
                fireCpu / 3 * 100);
    return 0;
}

// One file dragged round the floor for `seconds` at a mouse's rate, with the press, the moves
// and the release sent through the view as the window system sends them: the share of one
// core the drag takes, what a move and a paint cost and how much each paint covers beside
// the dragged icon's own area before and after a step.
int runDrag(const QString& home, double seconds)
{
    Room room(home);
    cpuUntilQuiet(120);
    FloorItemView* file = room.fileToDrag();
    if (!file) {
        std::printf("drag: no file to drag\n");
        return 1;
    }
    const QPointF from = file->sceneBoundingRect().center();
    room.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    room.mouse(QEvent::MouseMove, from + QPointF(4, 0), Qt::LeftButton);
    // The lift itself (the file leaves the floor's picture) is not what a move costs.
    spin(500);

    // 125 moves a second, a lap of the loop every four seconds: over the floor, clear of the
    // shelf, the photo wall and the trash can.
    constexpr int moveMilliseconds = 8;
    int step = 0;
    double moveSeconds = 0;
    double iconArea = 0;
    QPointF pointer = from;
    QTimer moves;
    moves.setTimerType(Qt::PreciseTimer);
    QObject::connect(&moves, &QTimer::timeout, [&] {
        const double a = ++step * moveMilliseconds / 4000.0 * 2 * M_PI;
        pointer = from + QPointF(4, 0) + QPointF(220 * std::sin(a), -110 * (1 - std::cos(a)));
        QElapsedTimer timer;
        timer.start();
        room.mouse(QEvent::MouseMove, pointer, Qt::LeftButton);
        moveSeconds += timer.nsecsElapsed() / 1e9;
        const QRect icon = room.view->mapFromScene(file->sceneBoundingRect()).boundingRect();
        iconArea += double(icon.width()) * icon.height();
    });
    floorApp().reset();
    floorApp().keepRegions = true;
    moves.start(moveMilliseconds);
    // For a profiler attached to this process: only the moves from here on.
    std::fprintf(stderr, "drag: moving\n");
    const double start = cpuSeconds();
    spin(int(seconds * 1000));
    const double cpu = cpuSeconds() - start;
    moves.stop();
    floorApp().keepRegions = false;
    const int paints = floorApp().paints;
    const double area = floorApp().paintedArea;
    const auto [paintMedian, paintQuartile] = medianAndQuartile(floorApp().paintTimes);

    floorApp().reset();
    QElapsedTimer dropTimer;
    dropTimer.start();
    const double dropStart = cpuSeconds();
    room.mouse(QEvent::MouseButtonRelease, pointer, Qt::NoButton);
    const double dropMs = dropTimer.nsecsElapsed() / 1e6;
    spin(300);
    const double dropCpu = cpuSeconds() - dropStart;

    std::printf("drag: %.1f %% of one core, %.0f moves and %.0f paints a second, a move %.3f ms, "
                "a paint %.2f ms (median) %.2f ms (lower quartile), %.0f px per paint beside "
                "%.0f px the icon covers before and after a step\n",
                cpu / seconds * 100, step / seconds, paints / seconds,
                step ? moveSeconds * 1000 / step : 0.0, paintMedian, paintQuartile,
                paints ? area / paints : 0.0, step ? 2 * iconArea / step : 0.0);
    std::printf("drag: the drop %.2f ms, %.1f ms of processor time with its repaints\n", dropMs,
                dropCpu * 1000);
    return 0;
}

// A marquee drawn from the bare floor's top-left corner to `to` at a mouse's rate (a press,
// 125 moves a second for `seconds`, the release), then the selection cleared by a click on
// the bare floor: the processor time of the gesture, of the room catching up after it and of
// the clearing, the longest the GUI thread left a 10 ms heartbeat waiting and the longest
// single event in each, and the resident memory before, at the release and once the
// selection is cleared. Lines start with `label`.
void marqueeOnce(Room& room, const QPointF& from, const QPointF& to, double seconds,
                 const char* label)
{
    const int files = int(StorageManager::shared().carpetItems().size());
    const double before = residentMegabytes();

    // For a profiler attached to this process: the gesture starts.
    std::fprintf(stderr, "marquee: %s drawing\n", label);
    const double gestureStart = cpuSeconds();
    floorApp().resetAnswer();
    floorApp().reset();
    room.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    constexpr int moveMilliseconds = 8;
    const int steps = std::max(1, int(seconds * 1000 / moveMilliseconds));
    int step = 0;
    QEventLoop gesture;
    QTimer moves;
    moves.setTimerType(Qt::PreciseTimer);
    QObject::connect(&moves, &QTimer::timeout, [&] {
        ++step;
        room.mouse(QEvent::MouseMove, from + (to - from) * (double(step) / steps), Qt::LeftButton);
        if (step >= steps) {
            moves.stop();
            gesture.quit();
        }
    });
    moves.start(moveMilliseconds);
    gesture.exec();
    room.mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    const double gestureCpu = cpuSeconds() - gestureStart;
    const double gestureUnanswered = floorApp().longestUnanswered();
    const double gestureStall = floorApp().longestStall;
    const int selected = int(FloorInteractionState::shared().selectedFileNames().size());
    const int paints = floorApp().paints;
    const double paintMs = floorApp().paintSeconds * 1000;
    const double paintedArea = floorApp().paintedArea;

    // The room catching up with the release: its repaints, anything left to do.
    floorApp().resetAnswer();
    const double afterStart = cpuSeconds();
    const double quiet = cpuUntilQuiet(30);
    const double afterCpu = quiet - afterStart;
    const double afterUnanswered = floorApp().longestUnanswered();
    const double afterStall = floorApp().longestStall;
    const double atRelease = residentMegabytes();

    // A click on the bare floor lets the selection go.
    std::fprintf(stderr, "marquee: %s clearing\n", label);
    floorApp().resetAnswer();
    const double clearStart = cpuSeconds();
    room.mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    room.mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
    const double clearQuiet = cpuUntilQuiet(30);
    const double clearCpu = clearQuiet - clearStart;
    const double clearUnanswered = floorApp().longestUnanswered();
    const double clearStall = floorApp().longestStall;
    spin(2000);
    const double cleared = residentMegabytes();
    const int left = int(FloorInteractionState::shared().selectedFileNames().size());

    std::printf("marquee %s: %d of %d files selected in %d moves, gesture %.3f s of processor "
                "time, %.3f s more after the release; unanswered %.0f ms during it, %.0f ms "
                "after; longest event %.0f ms during, %.0f ms after\n",
                label, selected, files, step, gestureCpu, afterCpu, gestureUnanswered,
                afterUnanswered, gestureStall, afterStall);
    std::printf("marquee %s: during the gesture %d paints, %.2f ms and %.0f px per paint\n", label,
                paints, paints ? paintMs / paints : 0.0, paints ? paintedArea / paints : 0.0);
    std::printf("marquee %s: clearing (%d left selected) %.3f s of processor time, unanswered "
                "%.0f ms, longest event %.0f ms; resident memory %.0f MB before, %.0f MB at the "
                "release, %.0f MB after clearing\n",
                label, left, clearCpu, clearUnanswered, clearStall, before, atRelease, cleared);
}

// A marquee over every file of the floor, then one over its left half (a marquee whose edge
// runs through the files), each let go by a click on the bare floor.
int runMarquee(const QString& home, double seconds)
{
    Room room(home);
    cpuUntilQuiet(120);
    spin(1000);
    // Where the files lie: the marquee covers every one's place with room to spare.
    StorageManager& storage = StorageManager::shared();
    QRectF places;
    const QSizeF size = room.view->viewport()->size();
    for (const QUrl& url : storage.carpetItems()) {
        const StoredPosition p = storage.carpetItemPosition(url.fileName());
        const QPointF point(p.x * size.width(), p.y * size.height());
        places |= QRectF(point, QSizeF(0.01, 0.01));
    }
    const std::optional<QPointF> from = BenchCase::bareFloorNear(
        *room.view->scene(), places.topLeft() - QPointF(40, 40), QPointF(-1, -1));
    if (!from) {
        std::printf("marquee: no bare floor to start from\n");
        return 1;
    }
    marqueeOnce(room, *from, places.bottomRight() + QPointF(40, 40), seconds, "whole floor");
    cpuUntilQuiet(30);
    marqueeOnce(room, *from, QPointF(places.center().x(), places.bottom() + 40), seconds,
                "half the floor");
    return 0;
}

int runStartup(const QString& home, const QString& picturePath, QSize size)
{
    // The processor time counts from the start of the process, as a user's launch does.
    const double beforeCpu = cpuSeconds();
    Room room(home, size);
    const double builtCpu = cpuSeconds();
    const double quietCpu = cpuUntilQuiet(120);
    // How often each file was drawn, where the floor keeps its files in one picture.
    int fileDraws = 0;
    int files = 0;
    for (QGraphicsItem* item : room.view->scene()->items()) {
        if (auto* layer = dynamic_cast<FloorFileLayer*>(item))
            fileDraws += layer->fileDrawCount();
        files += dynamic_cast<FloorItemView*>(item) ? 1 : 0;
    }
    std::printf("startup: first paint %.3f s, cpu until quiet %.3f s, peak memory %.0f MB, %.2f "
                "drawings per file, %d paints covering %.1f windows\n",
                floorApp().firstPaintEnd, quietCpu, peakMegabytes(),
                files ? double(fileDraws) / files : 0.0, floorApp().paints,
                floorApp().paintedArea / (double(size.width()) * size.height()));
    // Where the time went: the program's own start, building the room, its first paint.
    std::printf("startup: cpu before the room %.3f s, building it %.3f s, up to the end of its "
                "first paint %.3f s\n",
                beforeCpu, builtCpu - beforeCpu, floorApp().firstPaintCpu - builtCpu);
    if (!picturePath.isEmpty())
        roomPicture(room).save(picturePath);
    return 0;
}

int runFire(const QString& home, double seconds, double warmUp, const QString& dump)
{
    Room room(home);
    cpuUntilQuiet(120);
    room.state.setFireModeActive(true);
    spin(int(warmUp * 1000));
    if (!dump.isEmpty())
        return dumpFire(room, dump);
    const double start = cpuSeconds();
    floorApp().reset();
    floorApp().keepRegions = true;
    spin(int(seconds * 1000));
    const double fireCpu = cpuSeconds() - start;
    floorApp().keepRegions = false;
    const int paints = floorApp().paints;
    const double area = floorApp().paintedArea;
    const QList<QRegion> regions = floorApp().regions;
    const auto [paintMedian, paintQuartile] = medianAndQuartile(floorApp().paintTimes);

    const QImage picture = roomPicture(room);
    room.hide();
    std::vector<double> referenceTimes;
    const double referenceCpu = referenceFrames(picture, regions, seconds, &referenceTimes);
    const auto [referenceMedian, referenceQuartile] = medianAndQuartile(referenceTimes);
    std::printf("fire: %.1f %% of one core, %.0f paints a second, %.0f px per paint; reference "
                "(the same rectangles copied) %.1f %% of one core, ratio %.1f\n",
                fireCpu / seconds * 100, paints / seconds, paints ? area / paints : 0.0,
                referenceCpu / seconds * 100, referenceCpu > 0 ? fireCpu / referenceCpu : 0.0);
    // A paint's own time moves less with the machine's other load than the processor time of
    // the whole run, its lower quartile less still: the figures to compare two builds by.
    std::printf("fire: a paint %.2f ms (median), %.2f ms (lower quartile); the reference's "
                "%.2f ms, %.2f ms\n",
                paintMedian, paintQuartile, referenceMedian, referenceQuartile);
    return 0;
}

// Runs one case in a child process on its own scratch home, prints what it printed and
// returns it.
QByteArrayList runChild(const QString& name, int files, const QStringList& extra = {})
{
    QTemporaryDir home;
    seedCarpet(home.path(), files);
    const QByteArrayList lines = BenchCase::runChild(
        QStringList{QStringLiteral("--case"), name, QStringLiteral("--files"),
                    QString::number(files), QStringLiteral("--home"), home.path()} +
        extra);
    for (const QByteArray& line : lines)
        std::printf("%6d files  %s\n", files, line.constData());
    std::fflush(stdout);
    return lines;
}

// The number printed right after `label` in `lines`, or 0.
double valueAfter(const QByteArrayList& lines, const QByteArray& label)
{
    for (const QByteArray& line : lines) {
        const qsizetype at = line.indexOf(label);
        if (at >= 0)
            return std::atof(line.constData() + at + label.size());
    }
    return 0;
}

// The start-up beside a bare window showing the picture the room ended up showing. One
// start-up moves by a fifth with the machine's load: five pairs, one after the other, and
// the median of their ratios.
void compareStartup()
{
    QTemporaryDir pictures;
    const QStringList picture{QStringLiteral("--picture"),
                              pictures.filePath(QStringLiteral("room.png"))};
    const QByteArray quiet("cpu until quiet ");
    std::vector<double> ratios;
    for (int pair = 0; pair < 5; ++pair) {
        const double room = valueAfter(runChild(QStringLiteral("startup"), 110, picture), quiet);
        const double bare = valueAfter(runChild(QStringLiteral("reference"), 0, picture), quiet);
        if (room > 0 && bare > 0)
            ratios.push_back(room / bare);
    }
    std::sort(ratios.begin(), ratios.end());
    if (!ratios.empty())
        std::printf("   110 files  startup beside reference: cpu until quiet %.2fx (median of %zu "
                    "pairs, %.2fx to %.2fx)\n",
                    ratios[ratios.size() / 2], ratios.size(), ratios.front(), ratios.back());
}
} // namespace

int main(int argc, char** argv)
{
    sinceStart.start();
    const auto options = BenchCase::options(argc, argv);
    const QString caseName = QString::fromLocal8Bit(options.value("--case"));
    QString home = QString::fromLocal8Bit(options.value("--home"));
    const double seconds = options.value("--seconds", "5").toDouble();
    const double warmUp = options.value("--warm-up", "1.5").toDouble();
    if (caseName == QLatin1String("startup-pairs")) {
        QCoreApplication seeding(argc, argv);
        compareStartup();
        return 0;
    }
    // A case started by hand runs as the cases this program starts do: in a process of its
    // own on a scratch home seeded with --files files beforehand, so neither the real home
    // is touched nor the seeding counted in the case's time.
    if (!caseName.isEmpty() && home.isEmpty()) {
        QCoreApplication seeding(argc, argv);
        QStringList extra;
        for (const char* option : {"--seconds", "--warm-up", "--dump", "--picture", "--size"}) {
            if (options.contains(option))
                extra << QString::fromLatin1(option)
                      << QString::fromLocal8Bit(options.value(option));
        }
        runChild(caseName, options.value("--files", "0").toInt(), extra);
        return 0;
    }
    if (!home.isEmpty())
        BenchCase::useHome(home);
    FloorBenchApplication application(argc, argv);
    if (caseName == QLatin1String("frames"))
        return runFrames(home);
    if (caseName == QLatin1String("drag"))
        return runDrag(home, seconds);
    if (caseName == QLatin1String("marquee"))
        return runMarquee(home, options.value("--seconds", "2").toDouble());
    if (caseName == QLatin1String("startup")) {
        const QList<QByteArray> size = options.value("--size", "1440x900").split('x');
        return runStartup(home, QString::fromLocal8Bit(options.value("--picture")),
                          QSize(size.value(0).toInt(), size.value(1).toInt()));
    }
    if (caseName == QLatin1String("fire"))
        return runFire(home, seconds, warmUp, QString::fromLocal8Bit(options.value("--dump")));
    if (caseName == QLatin1String("memory"))
        return runMemory(home, options.value("--seconds", "10").toDouble());
    if (caseName == QLatin1String("idle"))
        return runIdle(home, options.value("--seconds", "10").toDouble());
    if (caseName == QLatin1String("radio"))
        return runRadio(home, seconds);
    if (caseName == QLatin1String("reference"))
        return runReference(QString::fromLocal8Bit(options.value("--picture")));
    if (!caseName.isEmpty() || home.isEmpty() == false) {
        std::fprintf(stderr, "pondsill-bench-floor: unknown case\n");
        return 2;
    }

    // Under xvfb-run the room draws through the X server, as on a desktop.
    std::printf("platform %s, window 1440 x 900\n", qPrintable(QGuiApplication::platformName()));
    runChild(QStringLiteral("frames"), 110);
    compareStartup();
    for (int files : {1000, 10000})
        runChild(QStringLiteral("startup"), files);
    for (int files : {110, 10000})
        runChild(QStringLiteral("idle"), files);
    for (int files : {110, 10000})
        runChild(QStringLiteral("drag"), files);
    for (int files : {110, 1000, 10000})
        runChild(QStringLiteral("marquee"), files);
    runChild(QStringLiteral("radio"), 110);
    for (int files : {110, 0})
        runChild(QStringLiteral("fire"), files);
    runChild(QStringLiteral("memory"), 110);
    return 0;
}
