// Renders the room window offscreen and writes a PNG, so anyone can look at the room
// without a display:
//
//   pondsill-snapshot [--size 1440x900] [--home DIR] [--state NAME]... [--hold SECONDS]
//                     [--crop X,Y,W,H [--zoom N]] --out room.png
//
// --crop keeps only that rectangle of the room (points), --zoom enlarges it N times, to look
// at a small piece closely.
//
// With --hold the room runs for that long before the picture is taken (run it on a real
// display, e.g. under xvfb-run with QT_QPA_PLATFORM=xcb) and the processor time it used in
// that while is printed: the way to measure what the room costs when idle or in fire mode.
//
// States: lamp-off, fire, picker, card:<clock|calendar|monitor|mail|whatsapp|trash|guitar|
// acoustic-guitar|quennet-plaque|tolvane-plaque|photo-N>, and slots (outlines every piece
// of furniture that has no view yet, to check the layout).
//
// Floor states: floor-files (a dozen files in the carpet folder, some under the carpet),
// carpet-lifted, carpet-drag (the carpet held mid-drag, 260 points to the right, its folds
// rippling and its fringes swung), floor-selected (three files and the selection bar),
// floor-marquee,
// drop-highlight, and floor-drag (with --hold: a file dragged round the floor the whole
// time, to measure what a drag costs).
//
// Object states: sandals-hover (the pointer over the sandals, the pair lifted), trash-hover
// (the pointer over the trash can), trash-target (a drag over it) and trash-full (three
// items in the Trash: the light, the paper).
//
// Wall states: photos:N (N drawn photos in the album, frames 0 to N-1), photo-zoom (frame 0's
// photo zoomed, turned and shifted), photo-hover:N (the pointer over frame N, its eject
// button showing), photo-target:N (a drag over frame N), clock-at:HH:MM:SS (the wall clock
// stopped at that time), calendar (a wall calendar and the clock over a calendar hung
// beside the photo wall, showing 17 August 2025 at 10:08:36), no-pictures (the room without
// the pictures the program ships: every piece draws its own stand-in),
// plaque-hover:<quennet|tolvane>, card:carpet-pdf (the card of a PDF lying on the floor, with the
// floor's files).
//
// Music states: mini-player (the mini player open over the radio), music:playing (a player on
// the session bus playing a song with a long title) and music:paused (paused on a song with
// its album); without a music state no player runs, so the radio is idle. With
// music:playing the radio's lamps glow and its notes float; lamp-off is the room at night.
// The music states need a session bus: run under dbus-run-session.
//
// Corkboard states: notes-six (six notes of different colours, fasteners, patterns and
// tilts), note-customizer (the first note with its customiser open), notes-unsaved (the
// board's mark that the notes cannot be saved), note-sheet (instead of the room: every
// colour with every fastener, the three patterns in turn, on a board the size of the window).
//
// Shelf states: shelf-books (twenty links to files of many sizes and three folders of 0, 4
// and 40 entries, more than both rows hold), shelf-drop (a drag held over the cabinet), and
// shelf-gallery (not the room: every spine style and box style at several widths, drawn
// larger with a larger --size). An empty shelf is the room with no shelf state.
// Panels of the shelf: drawer (the drawer, empty unless with shelf-books), drawer-scrolled
// (with shelf-books: the drawer's list scrolled to its middle), popover-folder (a folder of
// photos, films, music, archives, PDFs, notes and a sub-folder, more than its list shows),
// popover-empty (an empty folder) and popover-file (a PDF's card); the popovers bring
// shelf-books with them.
//
// Desk states: screen-off (the computer's screen switched off), desk-pieces (instead of the
// room: the desk pieces the room does not place, the alternative desk with the room's lamp
// and radio).
#include "app/interactive_desktop_window.h"
#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/shelf_drawings.h"
#include "bookshelf/shelf_metrics.h"
#include "corkboard/corkboard_view.h"
#include "desk/desk_accessories.h"
#include "desk/desk_lamp_view.h"
#include "desk/desk_view.h"
#include "desk/vintage_radio_view.h"
#include "desk/workstation_peripherals_view.h"
#include "kit/colors.h"
#include "kit/room_item.h"
#include "kit/scroll_area.h"
#include "kit/units.h"
#include "platform/spotify_service.h"
#include "room/asset_loader.h"
#include "room/desktop_root_view.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "room/theme_background_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/fake_mpris_player.h"
#include "wall/analog_wall_clock_view.h"
#include "wall/wall_calendar_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <optional>

namespace {
// What --help says of --state: keep it and the list at the head of this file true.
const char kStateHelp[] =
    "States (--state NAME, repeatable):\n"
    "  lamp-off, fire, picker, slots (outlines furniture that has no view yet)\n"
    "  card:NAME with NAME one of clock, calendar, monitor, mail, whatsapp, trash, guitar,\n"
    "    acoustic-guitar, quennet-plaque, tolvane-plaque, photo-N\n"
    "  floor-files, carpet-lifted, carpet-drag, floor-selected, floor-marquee,\n"
    "  drop-highlight, floor-drag (with --hold: a file dragged round the floor)\n"
    "  photos:N, photo-zoom, photo-hover:N, photo-target:N, clock-at:HH:MM:SS, calendar,\n"
    "  no-pictures, plaque-hover:quennet, plaque-hover:tolvane, card:carpet-pdf\n"
    "  notes-six, note-customizer, notes-unsaved, note-sheet\n"
    "  shelf-books, shelf-drop, shelf-gallery\n"
    "  sandals-hover, trash-hover, trash-target, trash-full\n"
    "  mini-player, music:playing, music:paused (under dbus-run-session)";

// A furniture slot's frame, outlined and named.
class SlotOutline : public RoomItem {
public:
    explicit SlotOutline(QString name) : m_name(std::move(name)) {}
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->fillRect(rect(), Colors::white(0.18));
        painter->setPen(QPen(Colors::srgb(0.9, 1, 0.37), 1.5, Qt::DashLine));
        painter->drawRect(rect().adjusted(0.75, 0.75, -0.75, -0.75));
        painter->setPen(Qt::white);
        painter->setFont(Units::systemFont(10, QFont::Bold));
        painter->drawText(rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap,
                          m_name);
    }

private:
    QString m_name;
};

const char* const kFurnitureNames[kFurnitureCount] = {
    "shelf",  "portrait", "clock", "portrait", "corkboard", "plant",    "desk",  "monitor", "lamp",
    "plaque", "plaque",   "radio", "gallery",  "guitar",    "acoustic", "trash", "sandals",
};

bool applyCard(AppState& state, const QString& name)
{
    using V = ActiveDesktopQuickView;
    static const std::map<QString, std::function<V()>> cards = {
        {QStringLiteral("clock"), &V::clock},
        {QStringLiteral("calendar"), &V::calendar},
        {QStringLiteral("monitor"), &V::monitor},
        {QStringLiteral("mail"), &V::mail},
        {QStringLiteral("whatsapp"), &V::whatsapp},
        {QStringLiteral("trash"), &V::trash},
        {QStringLiteral("guitar"), &V::guitar},
        {QStringLiteral("acoustic-guitar"), &V::acousticGuitar},
        {QStringLiteral("quennet-plaque"), &V::quennetPlaque},
        {QStringLiteral("tolvane-plaque"), &V::tolvanePlaque},
    };
    if (name.startsWith(QLatin1String("photo-"))) {
        bool ok = false;
        const int slot = name.mid(6).toInt(&ok);
        if (!ok)
            return false;
        state.setActiveQuickView(V::photo(slot));
        return true;
    }
    auto it = cards.find(name);
    if (it == cards.end())
        return false;
    state.setActiveQuickView(it->second());
    return true;
}

// A dozen files lying on the floor, four of them under the carpet at its middle.
void seedFloorFiles(const QString& home)
{
    const QString storage = home + QStringLiteral("/Documents/RidezozEvar");
    const std::pair<const char*, QPointF> files[] = {
        {"Laporan Keuangan 2024.pdf", {0.12, 0.62}},
        {"foto liburan.jpg", {0.22, 0.58}},
        {"catatan rapat.txt", {0.33, 0.64}},
        {"Proyek", {0.62, 0.6}},
        {"anggaran.xlsx", {0.8, 0.9}},
        {"musik.mp3", {0.9, 0.78}},
        {"presentasi.odp", {0.14, 0.88}},
        {"arsip.zip", {0.27, 0.9}},
        {"rahasia.txt", {0.42, 0.82}},
        {"draf novel.odt", {0.5, 0.83}},
        {"pajak.pdf", {0.57, 0.8}},
        {"kontrak & lampiran.pdf", {0.65, 0.84}},
    };
    QJsonObject items;
    for (const auto& [name, at] : files) {
        const QString path = storage + QStringLiteral("/Karpet/") + QString::fromUtf8(name);
        if (QString::fromUtf8(name) == QLatin1String("Proyek")) {
            QDir().mkpath(path);
        } else {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("pondsill");
        }
        items.insert(QString::fromUtf8(name),
                     QJsonObject{{QStringLiteral("x"), at.x()}, {QStringLiteral("y"), at.y()}});
    }
    const QJsonObject layout{
        {QStringLiteral("carpetPosition"),
         QJsonObject{{QStringLiteral("x"), 0.498}, {QStringLiteral("y"), 0.82}}},
        {QStringLiteral("itemPositions"), items}};
    QFile json(storage + QStringLiteral("/floor_positions.json"));
    if (json.open(QIODevice::WriteOnly))
        json.write(QJsonDocument(layout).toJson(QJsonDocument::Compact));
}

// A drawn landscape, so that a photo's turn and crop can be seen.
QImage landscape(int index)
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal hue = std::fmod(0.08 + 0.17 * index, 1.0);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor::fromHsvF(hue, 0.5, 0.95));
    sky.setColorAt(1, QColor::fromHsvF(hue, 0.15, 1.0));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 90));
    p.drawEllipse(QPointF(460, 120), 50, 50);
    p.setBrush(QColor::fromHsvF(std::fmod(hue + 0.3, 1.0), 0.6, 0.55));
    QPainterPath hills;
    hills.moveTo(0, 480);
    hills.lineTo(0, 330);
    hills.cubicTo(160, 250, 300, 380, 420, 300);
    hills.cubicTo(520, 240, 600, 300, 640, 280);
    hills.lineTo(640, 480);
    p.drawPath(hills);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawRect(40, 40, 90, 30);
    return image;
}

struct WallStates {
    bool carpetCard = false;
    bool noPictures = false;
    std::optional<ActiveDesktopQuickView> plaqueHover;
    std::optional<QTime> clockAt;
    bool calendar = false;
    int photos = 0;
    bool zoom = false;
    std::optional<int> hover;
    std::optional<int> target;
};

// photos:N, photo-zoom, photo-hover:N and photo-target:N.
bool parseWallState(const QString& name, WallStates* states)
{
    const auto number = [&name](const char* prefix, int* into) {
        if (!name.startsWith(QLatin1String(prefix)))
            return false;
        bool ok = false;
        const int n = name.mid(int(qstrlen(prefix))).toInt(&ok);
        if (!ok || n < 0 || n > 6)
            return false;
        *into = n;
        return true;
    };
    if (name.startsWith(QLatin1String("clock-at:"))) {
        states->clockAt = QTime::fromString(name.mid(9), QStringLiteral("HH:mm:ss"));
        return states->clockAt->isValid();
    }
    if (name == QLatin1String("card:carpet-pdf")) {
        states->carpetCard = true;
        return true;
    }
    if (name == QLatin1String("no-pictures")) {
        states->noPictures = true;
        return true;
    }
    if (name == QLatin1String("plaque-hover:quennet") ||
        name == QLatin1String("plaque-hover:tolvane")) {
        states->plaqueHover = name.endsWith(QLatin1String("quennet"))
                                  ? ActiveDesktopQuickView::quennetPlaque()
                                  : ActiveDesktopQuickView::tolvanePlaque();
        return true;
    }
    if (name == QLatin1String("calendar")) {
        states->calendar = true;
        return true;
    }
    int n = 0;
    if (number("photos:", &n)) {
        states->photos = n;
        return true;
    }
    if (name == QLatin1String("photo-zoom")) {
        states->zoom = true;
        return true;
    }
    if (number("photo-hover:", &n)) {
        states->hover = n;
        return true;
    }
    if (number("photo-target:", &n)) {
        states->target = n;
        return true;
    }
    return false;
}

void seedAlbum(const QString& home, const WallStates& wall)
{
    const QString storage = home + QStringLiteral("/Documents/RidezozEvar");
    QDir().mkpath(storage + QStringLiteral("/Album"));
    for (int i = 0; i < wall.photos; ++i)
        landscape(i).save(storage + QStringLiteral("/Album/frame_%1.jpg").arg(i), "JPG");
    if (wall.zoom) {
        const QJsonObject transforms{
            {QStringLiteral("0"), QJsonObject{{QStringLiteral("scale"), 1.6},
                                              {QStringLiteral("rotation"), 15.0},
                                              {QStringLiteral("offsetX"), 12.0},
                                              {QStringLiteral("offsetY"), -6.0}}}};
        QFile json(storage + QStringLiteral("/photo_transforms.json"));
        if (json.open(QIODevice::WriteOnly))
            json.write(QJsonDocument(transforms).toJson(QJsonDocument::Compact));
    }
}

// Links on the shelf to files of many sizes (sparse, so they cost no disk) and to three
// folders of 0, 4 and 40 entries, added a second apart so they stand in this order.
void seedShelf(const QString& home)
{
    const QString source = home + QStringLiteral("/Dokumen Contoh/");
    const QString shelf = home + QStringLiteral("/Documents/RidezozEvar/Rak/");
    QDir().mkpath(source);
    QDir().mkpath(shelf);
    const std::pair<const char*, qint64> files[] = {
        {"Laporan Tahunan 2024.pdf", 2'400'000},
        {"jadwal kuliah.xlsx", 48'000},
        {"surat lamaran.docx", 120'000},
        {"Tabungan.ods", 33'000},
        {"tiket pesawat.pdf", 410'000},
        {"Foto Wisuda.heic", 3'300'000},
        {"Notes.app", 0},
        {"wallpaper.png", 6'100'000},
        {"README", 300},
        {"Skripsi Final Revisi 3.docx", 850'000},
        {"foto keluarga.jpg", 4'100'000},
        {"arsip lama.tar.gz", 320'000'000},
        {"resep.txt", 1'200},
        {"Presentasi Klien.odp", 18'000'000},
        {".profile", 800},
        {"video pernikahan.mp4", 1'500'000'000},
        {"catatan.md", 9'000},
        {"Kontrak Sewa.pdf", 210'000},
        {"lagu favorit.mp3", 7'800'000},
        {"Buku Panduan Lengkap Sekali.pdf", 64'000'000},
        {"data.csv", 52'000},
        {"installer.iso", 3'900'000'000},
        {"kwitansi.png", 95'000},
        {"report.final.pdf", 1'000'000},
        {"puisi.txt", 2'000},
        {"Anggaran 2025.xlsx", 140'000},
        {"peta.svg", 30'000},
    };
    const std::pair<const char*, int> folders[] = {
        {"Folder Kosong", 0}, {"Proyek Rumah", 4}, {"Arsip Foto 2019", 40}};
    QStringList order;
    for (const auto& [name, size] : files) {
        if (QByteArray(name).endsWith(".app")) {
            QDir().mkpath(source + QString::fromUtf8(name));
        } else {
            QFile file(source + QString::fromUtf8(name));
            if (file.open(QIODevice::WriteOnly))
                file.resize(size);
        }
        order << QString::fromUtf8(name);
    }
    // The folders' entries of every kind the popover tells apart, a minute apart.
    const char* const kinds[] = {"jpg", "mp4", "mp3", "zip", "pdf", "txt", "PNG", "tar.gz"};
    for (const auto& [name, count] : folders) {
        const QString folder = source + QString::fromUtf8(name);
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i) {
            const QString entry =
                i == 5 ? folder + QStringLiteral("/Sub-folder Lama")
                       : folder + QStringLiteral("/berkas %1 dengan nama yang cukup panjang.%2")
                                      .arg(i)
                                      .arg(QLatin1String(kinds[i % 8]));
            if (i == 5) {
                QDir().mkpath(entry);
            } else {
                QFile file(entry);
                if (file.open(QIODevice::WriteOnly))
                    file.write("pondsill");
            }
            const timespec when[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 60 * (i * 7 % 40), 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(entry).constData(), when, 0);
        }
    }
    // Folders among the books, as people add them.
    order.insert(3, QString::fromUtf8(folders[0].first));
    order.insert(7, QString::fromUtf8(folders[1].first));
    order.insert(12, QString::fromUtf8(folders[2].first));
    const double now = double(QDateTime::currentSecsSinceEpoch());
    for (int i = 0; i < order.size(); ++i) {
        QFile::link(source + order[i], shelf + order[i]);
        StorageManager::writeOriginAttributes(QUrl::fromLocalFile(shelf + order[i]),
                                              source + order[i]);
        const QByteArray added = QByteArray::number(now - 1000 + i, 'f', 0);
        ::setxattr(QFile::encodeName(source + order[i]).constData(), "user.id.marrowick.added",
                   added.constData(), size_t(added.size()), 0);
    }
}

// Every spine style and box style at several widths, on a wall of the room's blue.
// Drawn at the scale of `size` to 1440 x 900, to look at the drawings up close.
QImage shelfGallery(QSize size)
{
    const qreal widths[] = {23, 24, 26, 29, 33};
    const qreal heights[] = {65.07, 80, 101};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Colors::srgb(0.07, 0.05, 0.45));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 1440.0, size.width() / 1440.0);
    p.translate(30, 30);
    const QString titles[] = {QStringLiteral("report.final"), QStringLiteral("README"),
                              QStringLiteral("Buku Panduan Lengkap Sekali")};
    for (int style = 0; style < 5; ++style) {
        qreal x = 0;
        for (int h = 0; h < 3; ++h) {
            for (int w = 0; w < 5; ++w) {
                ShelfDrawings::BookFace face;
                face.width = widths[w];
                face.height = heights[h];
                face.style = style;
                face.hash = std::uint64_t(w + 5 * h);
                face.color = ShelfMetrics::bookSpinePalette()[size_t((w + 3 * h + style) % 10)];
                face.title = titles[h];
                p.save();
                p.translate(x, 110 - face.height + style * 120);
                ShelfDrawings::paintBook(p, face);
                p.restore();
                x += face.width + 6;
            }
            x += 14;
        }
    }
    const int counts[] = {0, 4, 12, 40};
    const QString labels[] = {QStringLiteral("Kosong"), QStringLiteral("Proyek Rumah"),
                              QStringLiteral("Arsip Foto Liburan Keluarga 2019"),
                              QStringLiteral("Dokumen Kantor Lama Yang Sangat Panjang Sekali")};
    qreal x = 0;
    for (int style = 0; style < 4; ++style) {
        for (int c = 0; c < 4; ++c) {
            ShelfDrawings::BoxFace face;
            face.width = ShelfMetrics::shelfItemWidth(true, counts[c], 0);
            face.height = ShelfMetrics::boxHeight(counts[c]);
            face.label = labels[c];
            face.count = counts[c];
            face.style = style;
            face.seed = c;
            p.save();
            p.translate(x, 720 - face.height);
            ShelfDrawings::paintBox(p, face);
            p.restore();
            x += face.width + 8;
        }
        x += 10;
    }
    return image;
}

// The floor's states, set once the room is built.
bool applyFloorState(FloorInteractionState& floor, const QString& name)
{
    if (name == QLatin1String("carpet-lifted")) {
        floor.setCarpetLifted(true);
    } else if (name == QLatin1String("carpet-drag")) {
        floor.setCarpetDragging(true);
        floor.setCarpetDragOffset(QSizeF(260, 0));
    } else if (name == QLatin1String("floor-selected")) {
        floor.setSelectedFileNames({QStringLiteral("foto liburan.jpg"),
                                    QStringLiteral("catatan rapat.txt"), QStringLiteral("Proyek")});
    } else if (name == QLatin1String("floor-marquee")) {
        floor.setMarqueeSelecting(true);
        floor.setMarqueeStart(QPointF(120, 480));
        floor.setMarqueeCurrent(QPointF(520, 620));
        floor.setSelectedFileNames({QStringLiteral("Laporan Keuangan 2024.pdf"),
                                    QStringLiteral("foto liburan.jpg"),
                                    QStringLiteral("catatan rapat.txt")});
    } else if (name == QLatin1String("drop-highlight")) {
        floor.setFloorTargeted(true);
    } else {
        return name == QLatin1String("floor-files") || name == QLatin1String("floor-drag");
    }
    return true;
}

bool isFloorState(const QString& name)
{
    FloorInteractionState probe;
    return applyFloorState(probe, name);
}

// Drags the file at `from` round a circle on the floor for as long as the room runs, as a
// hand on the mouse would (about 60 moves a second).
void dragRoundTheFloor(QGraphicsView& view, QPointF from)
{
    QWidget* viewport = view.viewport();
    const auto send = [viewport, &view](QEvent::Type type, QPointF scene,
                                        Qt::MouseButtons buttons) {
        const QPointF p = view.mapFromScene(scene);
        QMouseEvent event(type, p, viewport->mapToGlobal(p.toPoint()),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    auto* timer = new QTimer(&view);
    auto* step = new int(0);
    QObject::connect(timer, &QTimer::timeout, &view, [send, from, step] {
        const qreal a = ++*step * 0.05;
        send(QEvent::MouseMove, from + QPointF(260 * std::sin(a), -120 * (1 - std::cos(a))),
             Qt::LeftButton);
    });
    QObject::connect(timer, &QObject::destroyed, [step] { delete step; });
    timer->start(16);
}

// notes.json with `notes`, before the storage service first reads it.
void seedNotes(const QString& home, const StickyNotes& notes)
{
    const QString path = home + QStringLiteral("/Documents/RidezozEvar/notes.json");
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(encodeStickyNotes(notes).value_or(QByteArray("[]")));
}

StickyNote seedNote(const QString& title, NoteColor color, PinStyle pin, PaperPattern pattern,
                    QPointF at, double rotation)
{
    StickyNote note;
    note.title = title;
    note.freeformText = QStringLiteral("Catatan %1, %2.").arg(displayName(color), displayName(pin));
    note.color = color;
    note.pinStyle = pin;
    note.pattern = pattern;
    note.x = at.x();
    note.y = at.y();
    note.rotation = rotation;
    return note;
}

StickyNotes sixNotes()
{
    return {seedNote(QStringLiteral("Belanja"), NoteColor::lime, PinStyle::pushpin,
                     PaperPattern::lined, {8, 54}, -4),
            seedNote(QStringLiteral("Ide lagu"), NoteColor::pink, PinStyle::washiTape,
                     PaperPattern::dots, {120, 60}, 0),
            seedNote(QStringLiteral("Tagihan"), NoteColor::blue, PinStyle::star,
                     PaperPattern::plain, {230, 56}, 4),
            seedNote(QStringLiteral("Rapat Senin"), NoteColor::dark, PinStyle::heart,
                     PaperPattern::lined, {14, 150}, 2),
            seedNote(QStringLiteral("Buku"), NoteColor::lavender, PinStyle::clip,
                     PaperPattern::dots, {124, 160}, -4),
            seedNote(QStringLiteral("Olahraga"), NoteColor::peach, PinStyle::pushpin,
                     PaperPattern::plain, {232, 150}, 0)};
}

// Ten colours down, five fasteners across.
StickyNotes noteSheet()
{
    StickyNotes notes;
    const QList<NoteColor>& colors = allNoteColors();
    const QList<PinStyle>& pins = allPinStyles();
    for (int row = 0; row < colors.size(); ++row) {
        for (int col = 0; col < pins.size(); ++col) {
            const PaperPattern pattern = allPaperPatterns().at((row + col) % 3);
            notes.append(
                seedNote(displayName(colors[row]) + QStringLiteral(" · ") + displayName(pattern),
                         colors[row], pins[col], pattern, {20 + col * 170.0, 60 + row * 82.0}, 0));
        }
    }
    return notes;
}

// Shows `scene` in a view of `size` and takes its picture.
QImage renderScene(QGraphicsScene& scene, QSize size)
{
    QGraphicsView view(&scene);
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(size);
    view.show();
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return view.grab().toImage();
}

// A music player on the session bus for the music states.
std::unique_ptr<FakeMprisPlayer> startMusic(const QString& state)
{
    auto player = std::make_unique<FakeMprisPlayer>();
    if (state == QLatin1String("music:playing")) {
        player->status = QStringLiteral("Playing");
        player->metadata = FakeMprisPlayer::track(
            QStringLiteral("Lagu yang Judulnya Panjang Sekali Sampai Tidak Muat di Kartu"),
            {QStringLiteral("Karsumo"), QStringLiteral("Teman Lama")},
            QStringLiteral("Album Pertama"));
    } else {
        player->status = QStringLiteral("Paused");
        player->metadata =
            FakeMprisPlayer::track(QStringLiteral("Bunga di Tepi Jalan"),
                                   {QStringLiteral("Karsumo")}, QStringLiteral("Album Pertama"));
    }
    return player;
}

// The contact sheet of notes: a board the size of the window over a cork colour.
QImage renderNoteSheet(AppState& state, QSize size)
{
    QGraphicsScene scene(QRectF(0, 0, size.width(), size.height()));
    scene.setBackgroundBrush(Colors::srgb(0.72, 0.55, 0.38));
    auto* board = new CorkboardView(StorageManager::shared(), state);
    board->setSize(QSizeF(size));
    scene.addItem(board);
    return renderScene(scene, size);
}

// The desk pieces the room does not place, on a floor colour: the alternative desk with
// the room's lamp and radio, the keyboard and mouse at three times their size, the
// envelope, a drawer front, the fan and the water dispenser.
QImage renderDeskPieces(AppState& state, QSize size)
{
    QGraphicsScene scene(QRectF(0, 0, size.width(), size.height()));
    scene.setBackgroundBrush(Colors::srgb(0.55, 0.42, 0.3));
    static bool popup = false;
    auto* desk = new DeskView(
        RoomTheme(),
        {[&state] { return !state.lampOn(); }, [&state](bool night) { state.setLampOn(!night); }},
        {[] { return popup; }, [](bool v) { popup = v; }},
        [&state](bool, std::function<void()>) -> RoomItem* {
            // The lamp stands on the desk by its clickable label, as it does in the room.
            auto* holder = new RoomItem;
            auto* lamp = new DeskLampView(state, holder);
            holder->setSize(DeskLampView::labelSize);
            lamp->setPos(-lamp->labelRect().topLeft());
            return holder;
        },
        [&state](std::function<void()> action) -> RoomItem* {
            // The radio stands by its drawing, 96 x 42 round the middle of its frame.
            auto* holder = new RoomItem;
            auto* radio =
                new VintageRadioView(SpotifyService::shared(), state, std::move(action), holder);
            holder->setSize(VintageRadioView::contentSize);
            radio->setPos(-radio->contentRect().topLeft());
            return holder;
        });
    desk->setPos(40, 60);
    scene.addItem(desk);
    auto place = [&scene](RoomItem* item, QPointF at) {
        item->setPos(at);
        scene.addItem(item);
    };
    place(new WorkstationPeripheralsView(3), {780, 80});
    place(new LetterEnvelopeView([] {}), {820, 200});
    place(new DrawerBox(Colors::srgb(0.92, 0.91, 0.89), 140), {920, 200});
    place(new StandingFanView, {800, 300});
    place(new WaterDispenserView, {900, 320});
    return renderScene(scene, size);
}

bool applyState(AppState& state, const QString& name)
{
    if (name == QLatin1String("lamp-off")) {
        state.setLampOn(false);
        return true;
    }
    if (name == QLatin1String("fire")) {
        state.setFireModeActive(true);
        return true;
    }
    if (name == QLatin1String("trash-hover")) {
        state.setHoveringTrash(true);
        return true;
    }
    if (name == QLatin1String("trash-target")) {
        state.setTrashTargeted(true);
        return true;
    }
    if (name == QLatin1String("trash-full"))
        return true; // the Trash is filled before the room starts
    if (name == QLatin1String("sandals-hover")) {
        state.setHoveringSandal(true);
        return true;
    }
    if (name == QLatin1String("screen-off")) {
        state.setMonitorScreenOn(false);
        return true;
    }
    if (name == QLatin1String("picker")) {
        state.setShowThemePicker(true);
        return true;
    }
    if (name == QLatin1String("shelf-drop")) {
        state.setBookshelfTargeted(true);
        return true;
    }
    if (name == QLatin1String("shelf-books"))
        return true; // seeded before the storage starts
    if (name == QLatin1String("drawer") || name == QLatin1String("drawer-scrolled")) {
        state.setShowBookshelfDrawer(true);
        return true;
    }
    if (name.startsWith(QLatin1String("popover-"))) {
        const std::map<QString, QString> entries = {
            {QStringLiteral("popover-folder"), QStringLiteral("Arsip Foto 2019")},
            {QStringLiteral("popover-empty"), QStringLiteral("Folder Kosong")},
            {QStringLiteral("popover-file"), QStringLiteral("report.final.pdf")},
        };
        const auto it = entries.find(name);
        if (it == entries.end())
            return false;
        state.setActiveShelfPopoverURL(QUrl::fromLocalFile(
            QDir::homePath() + QStringLiteral("/Documents/RidezozEvar/Rak/") + it->second));
        state.setActiveShelfIndex(name == QLatin1String("popover-file") ? 1 : 0);
        return true;
    }
    if (name.startsWith(QLatin1String("card:")))
        return applyCard(state, name.mid(5));
    if (name == QLatin1String("mini-player")) {
        state.setShowSpotifyPopup(true);
        return true;
    }
    return false;
}
} // namespace

// The pictures compiled into the program, taken out again.
static void hideShippedPictures()
{
    Q_CLEANUP_RESOURCE(room_art);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The home folder must be chosen before anything reads it.
    QString home;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--home")
            home = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir scratch;
    if (home.isEmpty())
        home = scratch.path();
    home = QDir(home).absolutePath();
    QDir().mkpath(home);
    ::setenv("HOME", QFile::encodeName(home).constData(), 1);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")).constData(),
             1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")).constData(),
             1);
    ::setenv("XDG_CACHE_HOME", QFile::encodeName(home + QStringLiteral("/.cache")).constData(), 1);

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the Pondsill room to a PNG.\n\n") +
                                     QString::fromUtf8(kStateHelp));
    parser.addHelpOption();
    QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Window size WxH."),
                                  QStringLiteral("WxH"), QStringLiteral("1440x900"));
    QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("Home folder to use."),
                                  QStringLiteral("dir"));
    QCommandLineOption stateOption(QStringLiteral("state"), QStringLiteral("A room state."),
                                   QStringLiteral("name"));
    QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("PNG to write."),
                                 QStringLiteral("file"), QStringLiteral("room.png"));
    QCommandLineOption holdOption(QStringLiteral("hold"),
                                  QStringLiteral("Run the room this long before the picture."),
                                  QStringLiteral("seconds"), QStringLiteral("0"));
    QCommandLineOption cropOption(QStringLiteral("crop"),
                                  QStringLiteral("Keep only this rectangle of the room."),
                                  QStringLiteral("X,Y,W,H"));
    QCommandLineOption zoomOption(QStringLiteral("zoom"), QStringLiteral("Enlarge N times."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    parser.addOptions(
        {sizeOption, homeOption, stateOption, outOption, holdOption, cropOption, zoomOption});
    parser.process(app);

    // Taken before the tool may change its current folder.
    const QString outPath = QFileInfo(parser.value(outOption)).absoluteFilePath();
    const QStringList size = parser.value(sizeOption).split(QLatin1Char('x'));
    const int width = size.value(0).toInt();
    const int height = size.value(1).toInt();
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "pondsill-snapshot: bad size\n");
        return 2;
    }

    QSettings settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"),
                       QSettings::IniFormat);
    AppState state(&settings);
    bool outlineSlots = false;
    QStringList floorStates;
    QStringList noteStates;
    WallStates wall;
    std::unique_ptr<FakeMprisPlayer> music;
    const QStringList states = parser.values(stateOption);
    if (states.contains(QStringLiteral("shelf-gallery")))
        return shelfGallery(QSize(width, height)).save(parser.value(outOption)) ? 0 : 1;
    for (const QString& name : states) {
        if (name == QLatin1String("music:playing") || name == QLatin1String("music:paused")) {
            if (!QDBusConnection::sessionBus().isConnected()) {
                std::fprintf(stderr, "pondsill-snapshot: %s needs a session bus\n",
                             qPrintable(name));
                return 2;
            }
            music = startMusic(name);
            continue;
        }
        if (name == QLatin1String("slots")) {
            outlineSlots = true;
            continue;
        }
        if (parseWallState(name, &wall))
            continue;
        if (name == QLatin1String("notes-six") || name == QLatin1String("note-customizer") ||
            name == QLatin1String("notes-unsaved") || name == QLatin1String("note-sheet") ||
            name == QLatin1String("desk-pieces")) {
            noteStates << name;
            continue;
        }
        if (isFloorState(name)) {
            floorStates << name;
            continue;
        }
        if (!applyState(state, name)) {
            std::fprintf(stderr, "pondsill-snapshot: unknown state %s\n", qPrintable(name));
            return 2;
        }
    }

    if (wall.carpetCard && !floorStates.contains(QStringLiteral("floor-files")))
        floorStates << QStringLiteral("floor-files");
    // The files must lie in the carpet folder before the storage service first looks.
    if (!floorStates.isEmpty())
        seedFloorFiles(home);
    if (wall.photos > 0 || wall.zoom)
        seedAlbum(home, wall);
    if (parser.values(stateOption).contains(QStringLiteral("trash-full"))) {
        for (const char* name : {"laporan lama.pdf", "foto buram.jpg", "catatan.txt"}) {
            QFile item(home + QStringLiteral("/.local/share/Trash/files/") +
                       QString::fromUtf8(name));
            QDir().mkpath(QFileInfo(item).absolutePath());
            if (item.open(QIODevice::WriteOnly))
                item.write("x");
        }
    }
    if (noteStates.contains(QStringLiteral("notes-six")))
        seedNotes(home, sixNotes());
    if (noteStates.contains(QStringLiteral("desk-pieces")))
        return renderDeskPieces(state, QSize(width, height)).save(parser.value(outOption)) ? 0 : 1;
    if (noteStates.contains(QStringLiteral("note-sheet"))) {
        seedNotes(home, noteSheet());
        const QImage sheet = renderNoteSheet(state, QSize(width, height));
        return sheet.save(outPath) ? 0 : 1;
    }
    if (wall.noPictures)
        hideShippedPictures();
    if (std::any_of(states.begin(), states.end(), [](const QString& name) {
            return name == QLatin1String("shelf-books") ||
                   name.startsWith(QLatin1String("popover-"));
        }))
        seedShelf(home);

    InteractiveDesktopWindow window;
    RoomPieces pieces = RoomPieces::standard(state);
    if (outlineSlots) {
        for (int i = 0; i < kFurnitureCount; ++i) {
            if (!pieces.furniture[size_t(i)]) {
                pieces.furniture[size_t(i)] = [i] {
                    return new SlotOutline(QString::fromLatin1(kFurnitureNames[i]));
                };
            }
        }
    }
    if (wall.clockAt) {
        const QDateTime at(QDate(2025, 8, 17), *wall.clockAt);
        pieces.furniture[int(Furniture::WallClock)] = [&state, at]() -> RoomItem* {
            return new AnalogWallClockView(state, at);
        };
    }
    auto* view = new RoomView(state, FloorInteractionState::shared(), &StorageManager::shared(),
                              AssetLoader::shared(), std::move(pieces));
    window.setContent(view);
    if (wall.calendar) {
        // Hung beside the photo wall: the room itself places neither.
        const QDateTime day(QDate(2025, 8, 17), QTime(10, 8, 36));
        auto* calendar = new WallCalendarView(state, day);
        calendar->setSize(QSizeF(104, 120));
        calendar->setCentre(QPointF(0.66 * width, 0.2 * height));
        view->scene()->addItem(calendar);
        auto* stack = new WallClockCalendarView(state);
        stack->setSize(QSizeF(104, 252));
        stack->setCentre(QPointF(0.66 * width, 0.52 * height));
        view->scene()->addItem(stack);
    }
    window.resize(width, height);
    window.show();
    for (const QString& name : floorStates)
        applyFloorState(FloorInteractionState::shared(), name);
    if (wall.hover)
        state.setHoveredPhotoSlot(*wall.hover);
    if (wall.plaqueHover)
        state.setHoveredPlaque(*wall.plaqueHover);
    if (wall.carpetCard)
        state.setActiveQuickView(ActiveDesktopQuickView::carpetItem(QUrl::fromLocalFile(
            home + QStringLiteral("/Documents/RidezozEvar/Karpet/Laporan Keuangan 2024.pdf"))));
    if (wall.target)
        state.setTargetedPhotoSlot(*wall.target);
    if (noteStates.contains(QStringLiteral("note-customizer")) &&
        !StorageManager::shared().stickyNotes().isEmpty())
        state.setActiveNoteCustomizerId(StorageManager::shared().stickyNotes().first().id);
    if (noteStates.contains(QStringLiteral("notes-unsaved")))
        StorageManager::shared().setNotesUnsaved(true);
    // Let layout and any entrance animation settle, and the room's picture be drawn for a
    // size it is not carried at.
    for (int i = 0; i < 50 || (i < 1000 && !view->root()->background()->showsPictureForSize());
         ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    if (states.contains(QStringLiteral("drawer-scrolled"))) {
        if (auto* drawer = qobject_cast<BookshelfDrawerView*>(
                view->root()->overlayPanel(RoomPanels::bookshelfDrawer))) {
            drawer->list()->scrollTo(drawer->list()->maximumOffset() / 2);
            QCoreApplication::processEvents();
        }
    }
    const double hold = parser.value(holdOption).toDouble();
    if (hold > 0 && floorStates.contains(QStringLiteral("floor-drag")))
        dragRoundTheFloor(*view, QPointF(0.33 * width, 0.64 * height));
    if (hold > 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        QTimer::singleShot(int(hold * 1000), &app, &QCoreApplication::quit);
        app.exec();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
        const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) +
                           seconds(after.ru_stime) - seconds(before.ru_stime);
        std::printf("cpu %.2f s over %.1f s (%.1f %% of one core)\n", cpu, hold, 100 * cpu / hold);
    }
    QImage image = window.grab().toImage();
    if (parser.isSet(cropOption)) {
        const QStringList r = parser.value(cropOption).split(QLatin1Char(','));
        if (r.size() == 4)
            image = image.copy(r[0].toInt(), r[1].toInt(), r[2].toInt(), r[3].toInt());
    }
    if (const int zoom = parser.value(zoomOption).toInt(); zoom > 1)
        image = image.scaled(image.size() * zoom, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!image.save(outPath)) {
        std::fprintf(stderr, "pondsill-snapshot: cannot write %s\n",
                     qPrintable(parser.value(outOption)));
        return 1;
    }
    return 0;
}
