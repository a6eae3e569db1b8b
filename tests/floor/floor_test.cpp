#include "app/desktop_window_manager.h"
#include "floor_room.h"
#include "kit/room_geometry.h"
#include "platform/trash.h"
#include "room/asset_loader.h"
#include "room/floor/file_icon_cache.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/floor_rules.h"
#include "room/floor/magic_carpet_view.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
using Layout = QMap<QString, QPointF>;

// The seeded layout with some files gone and some at new places.
Layout seededWith(const QStringList& gone, const Layout& moved = {})
{
    Layout layout = seededFloor();
    for (const QString& name : gone)
        layout.remove(name);
    layout.insert(moved);
    return layout;
}

const RoomGeometry geometry(QSizeF(1440, 900));
const QPointF shelfCentre = geometry.shelfCentre();
const QPointF trashCentre = geometry.trashCentre();
const QPointF galleryTopRight(1300, 100);
// The shelf's drawn left edge at its middle height.
const QPointF shelfLeftEdge(241.632 - 0.2444 * 1440 / 2, 333.45);
using Release = FloorRules::FloorRelease::Target;

// A Trash that takes nothing, counting what it was handed.
struct RefusingTrash : Trash {
    QStringList refused;
    bool moveToTrash(const QString& path, QString*) override
    {
        refused << path;
        return false;
    }
};
// The carpet's default centre, and a spot on it where no file lies.
const QPointF carpetCentre(0.498 * 1440, 0.82 * 900);
const QPointF carpetSpot = carpetCentre + QPointF(-200, 0);
} // namespace

// Floor files dragged about the room, alone or selected together, files dragged in from other
// programs, the carpet, the menus, the selection's bar and the files' icons.
class FloorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whereADraggedFileGoes_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QStringList>("away"); // what left the carpet, as FloorRoom::files()
        QTest::addColumn<Layout>("stored");
        QTest::addColumn<QStringList>("after"); // the selection

        const auto row = [](const char* name, const char* selected, const char* file, QPointF to,
                            const char* away, const Layout& stored, const char* after) {
            QTest::newRow(name) << names(selected) << QString::fromUtf8(file) << to << names(away)
                                << stored << names(after);
        };
        const QString a = u"a.txt"_s, b = u"b.txt"_s, c = u"c.txt"_s, photo = u"photo.png"_s;
        const QPointF from = placeOf(a);
        row("onto the shelf", "", "a.txt", shelfCentre, "Rak/a.txt", seededWith({a}), "");
        row("into the trash", "", "b.txt", trashCentre, "Trash/b.txt", seededWith({b}), "");
        // A framed photo leaves the floor for the Trash; the frame holds a copy.
        row("an image onto a frame", "", "photo.png", galleryTopRight,
            "Album/frame_1.png Trash/photo.png", seededWith({photo}), "");
        row("the group onto the shelf", "a.txt b.txt c.txt", "b.txt", shelfCentre,
            "Rak/a.txt Rak/b.txt Rak/c.txt", seededWith({a, b, c}), "");
        row("the group into the trash", "a.txt b.txt c.txt", "a.txt", trashCentre,
            "Trash/a.txt Trash/b.txt Trash/c.txt", seededWith({a, b, c}), "");
        row("only the dragged image into the frame", "a.txt photo.png", "photo.png",
            galleryTopRight, "Album/frame_1.png Trash/photo.png", seededWith({photo}), "a.txt");
        row("a non-image over the gallery", "", "a.txt", galleryTopRight, "",
            seededWith({}, {{a, QPointF(1300.0 / 1440, 100.0 / 900)}}), "");
        // 600 points to the right: c.txt would leave the room and stops at the edge.
        row("the group, each clamped", "a.txt b.txt c.txt", "a.txt", from + QPointF(600, 0), "",
            seededWith({}, {{a, QPointF((576.0 + 600) / 1440, 0.5)},
                            {b, QPointF((720.0 + 600) / 1440, 0.5)},
                            {c, QPointF(0.96, 0.5)}}),
            "a.txt b.txt c.txt");
        row("an unselected file moves alone", "a.txt b.txt", "c.txt", placeOf(c) + QPointF(0, -100),
            "", seededWith({}, {{c, QPointF(0.6, 350.0 / 900)}}), "a.txt b.txt");
        // Shorter than 5 points a drag toggles the file's selection and moves nothing.
        row("a click does nothing", "", "a.txt", from, "", seededFloor(), "");
        row("4.9 points", "b.txt", "a.txt", from + QPointF(4.9, 0), "", seededFloor(),
            "a.txt b.txt");
        row("4.9 points on a selected file", "a.txt", "a.txt", from + QPointF(4.9, 0), "",
            seededFloor(), "");
        row("5 points moves", "", "a.txt", from + QPointF(5, 0), "",
            seededWith({}, {{a, QPointF((576.0 + 5) / 1440, 0.5)}}), "");
    }

    void whereADraggedFileGoes()
    {
        QFETCH(QStringList, selected);
        QFETCH(QString, file);
        QFETCH(QPointF, to);
        QFETCH(QStringList, away);
        QFETCH(Layout, stored);
        QFETCH(QStringList, after);
        FloorRoom room(seededFloor());
        FloorInteractionState& state = room.floorState();
        const AppState& app = room.appState();
        const auto lit = [&] {
            return QList<bool>{app.isBookshelfTargeted(), app.isTrashTargeted(),
                               app.targetedPhotoSlot() == 1};
        };
        state.setSelectedFileNames(QSet<QString>(selected.begin(), selected.end()));
        const QPointF from = placeOf(file);
        room.press(from);
        room.moveTo((from + to) / 2);
        room.moveTo(to);
        // While it is dragged, the selection rides along and where it would go is lit.
        if (stored != seededFloor() || !away.isEmpty()) {
            QCOMPARE(state.draggingFloorFileName(), file);
            for (const QString& name : selected)
                QCOMPARE(room.floor().shownCentre(name), placeOf(name) + to - from);
        }
        const bool framed = !away.filter(u"Album/"_s).isEmpty();
        QCOMPARE(lit(), (QList<bool>{!away.filter(u"Rak/"_s).isEmpty(),
                                     !framed && !away.filter(u"Trash/"_s).isEmpty(), framed}));
        room.release(to);
        room.settle();

        QCOMPARE(lit(), QList<bool>(3, false));
        QCOMPARE(room.storedPositions(), stored);
        for (const QString& name : stored.keys()) {
            away << u"Karpet/"_s + name;
            if (FloorItemView* view = room.floor().floorItem(name))
                QCOMPARE(view->centre(), FloorRoom::at(stored[name]));
        }
        away.sort();
        QCOMPARE(room.files(), away);
        QCOMPARE(state.selectedFileNames(), QSet<QString>(after.begin(), after.end()));
        QVERIFY(!state.draggingFloorFileName());
        QCOMPARE(state.floorFileDragTranslation(), QSizeF(0, 0));
    }

    // A move the Trash or the album refuses keeps every file, and its place, where it was.
    void aFailedMoveKeepsTheFiles_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"dragged into the trash", "the selection bar's trash button",
                                "dragged onto a frame", "the menu's frame entry"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void aFailedMoveKeepsTheFiles()
    {
        QFETCH(QString, how);
        // Made before the room, so that it outlives any move the room still has in hand.
        RefusingTrash trash;
        FloorRoom room(seededFloor());
        room.storage().setTrash(&trash);
        // The album cannot take files: a plain file stands where its folder should be.
        QVERIFY(QDir(room.albumPath()).removeRecursively());
        room.home().writeFile(u"Documents/RidezozEvar/Album"_s, "not a folder");
        const QStringList before = room.files();
        const QString photo = u"photo.png"_s;
        room.floorState().setSelectedFileNames({u"a.txt"_s, photo});
        if (how.startsWith(u"dragged"_s))
            room.drag(placeOf(photo), how.contains(u"trash"_s) ? trashCentre : galleryTopRight);
        else if (how.contains(u"bar"_s))
            room.floor().trashSelection();
        else
            QVERIFY(
                room.chooseFromMenu(*room.floor().floorItem(photo), u"Pasang ke Bingkai Foto"_s));
        room.settle();
        QCOMPARE(trash.refused.size(), how.contains(u"trash"_s) ? 2 : 0);
        QCOMPARE(room.files(), before);
        QCOMPARE(room.storedPositions(), seededFloor());
        QCOMPARE(room.floor().floorItem(photo)->centre(), placeOf(photo));
    }

    void whereADropGoes_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QStringList>("desktop"); // the files dragged from the Desktop
        QTest::addColumn<QString>("text");        // offered as text instead of their URLs
        QTest::addColumn<bool>("moveOnly");
        QTest::addColumn<QStringList>("after"); // FloorRoom::files() once it has landed

        const auto row = [](const char* name, QPointF at, const char* desktop, const char* text,
                            bool moveOnly, const char* after) {
            QTest::newRow(name) << at << names(desktop) << QString::fromUtf8(text) << moveOnly
                                << names(after);
        };
        const QPointF p(300, 600);
        row("84.9 from the trash centre", trashCentre + QPointF(-84.9, 0), "x.txt", "", false,
            "Trash/x.txt");
        // The shelf links to the file where it is; a framed photo is a copy.
        row("25 left of the shelf", shelfLeftEdge + QPointF(-25, 0), "x.txt", "", false,
            "Desktop/x.txt Rak/x.txt@");
        row("a PNG on the photo wall", {1300, 100}, "x.png", "", false,
            "Album/frame_1.png Desktop/x.png");
        row("a PDF on the photo wall", {1300, 100}, "x.pdf", "", false, "Karpet/x.pdf");
        row("the bottom-right corner", {1439, 899}, "x.txt", "", false, "Karpet/x.txt");
        row("three files at one point", p, "1.txt 2.txt 3.txt", "", false,
            "Karpet/1.txt Karpet/2.txt Karpet/3.txt");
        // A drop is never taken as a move: the files must stay where they came from.
        row("offered only as a move", p, "x.txt", "", true, "Desktop/x.txt");
        // Of text, only an absolute local path names a file, whatever folder the program
        // runs in.
        row("an absolute path", p, "x.txt", "HOME/Desktop/x.txt", false, "Karpet/x.txt");
        row("a relative path", p, "x.txt", "Desktop/x.txt", false, "Desktop/x.txt");
    }

    void whereADropGoes()
    {
        QFETCH(QPointF, at);
        QFETCH(QStringList, desktop);
        QFETCH(QString, text);
        QFETCH(bool, moveOnly);
        QFETCH(QStringList, after);
        FloorRoom room({});
        QStringList sources;
        for (const QString& name : desktop)
            sources << room.home().writeFile(u"Desktop/"_s + name, pictureBytes("desktop"));
        auto data = fileDrag(sources);
        if (!text.isEmpty()) {
            data = std::make_unique<QMimeData>();
            data->setText(text.replace(u"HOME"_s, room.home().path()));
        }
        const bool refused = after == QStringList{u"Desktop/x.txt"_s};
        // In the home folder until the drop has landed, where a relative path would lead.
        const QString before = QDir::currentPath();
        QDir::setCurrent(room.home().path());
        const auto back = qScopeGuard([&before] { QDir::setCurrent(before); });
        QCOMPARE(room.dropAt(at, data.get(),
                             moveOnly ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction),
                 refused ? Qt::IgnoreAction : Qt::CopyAction);
        room.settle();
        QTRY_COMPARE(room.files(), after);
        QVERIFY(!room.floorState().isFloorTargeted());
        QMap<QString, QPointF> stored;
        for (const QString& file : after.filter(u"Karpet/"_s))
            stored.insert(file.mid(7), QPointF(std::clamp(at.x() / 1440, 0.04, 0.96),
                                               std::clamp(at.y() / 900, 0.06, 0.92)));
        QCOMPARE(room.storedPositions(), stored);
    }

    // A floor file let go: the pointer or the file's centre may name the target.
    void release_data()
    {
        QTest::addColumn<QPointF>("centre");
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("slot");

        const QPointF floor(700, 800), onShelf(241, 333);
        QTest::newRow("pointer on the shelf, centre on the floor")
            << floor << onShelf << int(Release::Bookshelf) << -1;
        QTest::newRow("centre on the shelf, pointer on the floor")
            << onShelf << floor << int(Release::Bookshelf) << -1;
        QTest::newRow("the centre's frame wins over the pointer's")
            << QPointF(1100, 450) << QPointF(1300, 100) << int(Release::PhotoFrame) << 4;
        QTest::newRow("the pointer's frame when the centre is outside")
            << floor << QPointF(1100, 250) << int(Release::PhotoFrame) << 2;
        QTest::newRow("centre in the trash circle, pointer on the shelf")
            << trashCentre << onShelf << int(Release::Bookshelf) << -1;
        QTest::newRow("pointer in the trash circle")
            << floor << trashCentre + QPointF(-60, 60) << int(Release::Trash) << -1;
    }

    void release()
    {
        QFETCH(QPointF, centre);
        QFETCH(QPointF, pointer);
        QFETCH(int, target);
        QFETCH(int, slot);
        const auto r = FloorRules::floorReleaseTarget(geometry, centre, pointer, true);
        QCOMPARE(int(r.target), target);
        QCOMPARE(r.slot, slot);
        // The frame lit while dragging is the one the file would go into.
        QCOMPARE(FloorRules::targetedPhotoSlot(geometry, centre, pointer, true), slot);
    }

    // Where the shelf's and the trash can's targets overlap (only a very small window brings
    // them together), an item dropped from outside goes to the Trash and a dragged floor file
    // to the shelf.
    void overlapOfShelfAndTrash()
    {
        int overlapping = 0;
        for (const RoomGeometry small : {RoomGeometry({200, 150}), RoomGeometry({250, 250})})
            for (qreal x = 0; x < small.width(); x += 2)
                for (qreal y = 0; y < small.height(); y += 2) {
                    const QPointF p(x, y);
                    if (!small.isOnTrashTarget(p) || !small.isOnShelfTarget(p))
                        continue;
                    ++overlapping;
                    QCOMPARE(int(FloorRules::dropTargetAt(small, p).target),
                             int(FloorRules::FloorDrop::Target::Trash));
                    QCOMPARE(int(FloorRules::floorReleaseTarget(small, p, p, true).target),
                             int(Release::Bookshelf));
                }
        QVERIFY(overlapping > 0);
    }

    // On the empty room a drag draws a marquee; shorter than 4 points it is a click that lets
    // the selection go and lays the carpet down. On the carpet, short of 6 points, a click
    // lifts it or lets the selection go; further, the carpet follows, covering what it goes
    // over as it goes, and is stored, clamped, once let go.
    void aDragOnTheRoom_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("by");
        QTest::addColumn<QString>("before"); // "a.txt" selected, the carpet "lifted"
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("lifted");
        QTest::addColumn<QPointF>("stored"); // the carpet's place
        QTest::addColumn<QStringList>("hidden");

        const auto row = [](const char* name, QPointF from, QPointF by, const char* before,
                            const char* selected, bool lifted, QPointF stored, const char* hidden) {
            QTest::newRow(name) << from << by << QString::fromUtf8(before) << names(selected)
                                << lifted << stored << names(hidden);
        };
        const QPointF p(300, 200), home(0.498, 0.82);
        row("a marquee round two files", {500, 380}, {300, 140}, "a.txt", "a.txt b.txt", false,
            home, "under.txt");
        row("a marquee reaching under the carpet", {380, 640}, {420, 120}, "a.txt", "under.txt",
            false, home, "under.txt");
        row("a click", p, {}, "a.txt lifted", "", false, home, "under.txt");
        row("4 points", p, {0, 4}, "a.txt lifted", "", true, home, "");
        row("5 points on the carpet", carpetSpot, {3, 4}, "", "", true, home, "");
        row("a click on the carpet with a selection", carpetSpot, {}, "a.txt", "", false, home,
            "under.txt");
        row("a click on the lifted carpet", carpetSpot, {}, "lifted", "", false, home, "under.txt");
        // under.txt comes out, edge.txt (at x 288) goes under.
        row("the carpet 400 to the left", carpetCentre, {-400, 0}, "", "", false,
            {(carpetCentre.x() - 400) / 1440, 0.82}, "edge.txt");
        row("the carpet far beyond the room", carpetCentre, {3000, 3000}, "", "", false,
            {0.82, 0.86}, "");
    }

    void aDragOnTheRoom()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, by);
        QFETCH(QString, before);
        QFETCH(QStringList, selected);
        QFETCH(bool, lifted);
        QFETCH(QPointF, stored);
        QFETCH(QStringList, hidden);
        FloorRoom room(seededFloor());
        FloorInteractionState& state = room.floorState();
        if (before.startsWith(u"a.txt"_s))
            state.setSelectedFileNames({u"a.txt"_s});
        state.setCarpetLifted(before.endsWith(u"lifted"_s));
        const auto hiddenNow = [&] {
            QStringList names;
            for (const QString& name : seededFloor().keys())
                if (!room.floor().floorItem(name))
                    names << name;
            return names;
        };
        room.press(from);
        room.moveTo(from + by / 2);
        room.moveTo(from + by);
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));
        if (stored != QPointF(0.498, 0.82))
            QCOMPARE(hiddenNow(), hidden);
        room.release(from + by);
        QCOMPARE(state.selectedFileNames(), QSet<QString>(selected.begin(), selected.end()));
        QCOMPARE(state.isCarpetLifted(), lifted);
        QCOMPARE(room.storedCarpetPosition(), stored);
        QCOMPARE(hiddenNow(), hidden);
        // The lifted carpet shows what it covers, marked as covered.
        if (lifted)
            QVERIFY(room.floor().floorItem(u"under.txt"_s)->isCovered());
        else
            QCOMPARE(room.floor().coveredCount(), hidden.size());
        QVERIFY(!state.isMarqueeSelecting() && !state.isCarpetDragging());
        QCOMPARE(state.carpetDragOffset(), QSizeF(0, 0));
    }

    // Files dragged onto the lowered carpet go under it, one taken out from under the lifted
    // carpet stays out when it is lowered: the count the carpet shows follows.
    void filesDraggedOntoOrOffTheCarpet_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("lifted");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("one laid on the carpet")
            << u"a.txt"_s << QStringList() << false << carpetSpot << names("a.txt under.txt");
        QTest::newRow("two selected laid on the carpet")
            << u"a.txt"_s << names("a.txt b.txt") << false << carpetSpot
            << names("a.txt b.txt under.txt");
        QTest::newRow("one taken from under the lifted carpet")
            << u"under.txt"_s << QStringList() << true << QPointF(720, 500) << QStringList();
    }
    void filesDraggedOntoOrOffTheCarpet()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, selected);
        QFETCH(bool, lifted);
        QFETCH(QPointF, to);
        QFETCH(QStringList, hidden);
        FloorRoom room(seededFloor());
        room.floorState().setSelectedFileNames(QSet<QString>(selected.begin(), selected.end()));
        room.floorState().setCarpetLifted(lifted);
        room.drag(placeOf(file), to);
        room.floorState().clearSelection();
        room.floorState().setCarpetLifted(false);
        QStringList hiddenNow;
        for (const QString& name : seededFloor().keys()) {
            if (!room.floor().floorItem(name))
                hiddenNow << name;
        }
        QCOMPARE(hiddenNow, hidden);
        QCOMPARE(room.floor().coveredCount(), hidden.size());
    }

    void theMenuActsAsItSays()
    {
        FloorRoom room(seededFloor());
        MovableCarpetMatView& carpet = *room.floor().carpet();
        QVERIFY(room.chooseFromMenu(carpet, u"Buka / Intip Karpet (Perlihatkan File)"_s));
        QVERIFY(room.floorState().isCarpetLifted());
        QVERIFY(room.chooseFromMenu(carpet, u"Tutup Karpet (Sembunyikan File)"_s));
        QVERIFY(!room.floorState().isCarpetLifted());

        room.storage().setCarpetPosition(0.3, 0.75);
        QVERIFY(room.chooseFromMenu(carpet, u"Kembalikan Karpet ke Posisi Tengah"_s));
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));

        QVERIFY(room.chooseFromMenu(carpet, u"Sebarkan Semua File ke Lantai Rumput"_s));
        QVERIFY(room.storedPositions().isEmpty());

        QVERIFY(room.chooseFromMenu(carpet, u"Kembalikan Semua File ke Desktop"_s));
        QCOMPARE(room.files(), names("Desktop/a.txt Desktop/b.txt Desktop/c.txt Desktop/edge.txt "
                                     "Desktop/photo.png Desktop/under.txt"));
        QVERIFY(room.storage().carpetItems().isEmpty());
        // Without files there is nothing to send back.
        QVERIFY(!menuTitles(carpet).contains(u"Kembalikan Semua File ke Desktop"_s));
    }

    // The pointer over a file shows its button that sends it back to the Desktop, and a
    // click there sends that one file and no other.
    void theHoveredFileGoesBackFromItsButton()
    {
        FloorRoom room({{u"a.txt"_s, {0.3, 0.7}}, {u"b.txt"_s, {0.7, 0.7}}});
        FloorItemView* file = room.floor().floorItem(u"a.txt"_s);
        QVERIFY(file);
        const auto buttons = [file] {
            QList<QGraphicsItem*> shown;
            for (QGraphicsItem* child : file->childItems()) {
                if (child->isVisible())
                    shown << child;
            }
            return shown;
        };
        QVERIFY(buttons().isEmpty());
        room.moveTo(file->mapToScene(file->boundingRect().center()));
        QTRY_COMPARE(room.floorState().hoveredFloorFileName(), std::optional(u"a.txt"_s));
        QCOMPARE(buttons().size(), 1);
        room.click(buttons().first()->mapToScene(buttons().first()->boundingRect().center()));
        room.settle();
        QCOMPARE(room.files(), names("Desktop/a.txt Karpet/b.txt"));
    }

    // A file chosen from its menu is selected and the bar counts it; the bar's button puts the
    // selection on the shelf.
    void theMenuAndTheBarFollowTheSelection()
    {
        FloorRoom room(seededFloor());
        FloorItemView& a = *room.floor().floorItem(u"a.txt"_s);
        QVERIFY(!room.floor().actionBar());
        QVERIFY(room.chooseFromMenu(a, u"Pilih File Ini (Blok)"_s));
        QCOMPARE(room.floor().actionBar()->countText(), u"1 File Dipilih"_s);
        // The bar is back once a file drag ends.
        room.drag(placeOf(u"b.txt"_s), placeOf(u"b.txt"_s) + QPointF(0, -50));
        QVERIFY(room.floor().actionBar());
        room.floorState().toggleSelection(u"b.txt"_s);
        QCOMPARE(room.floor().actionBar()->countText(), u"2 File Dipilih"_s);
        QCOMPARE(menuTitles(a).constFirst(), u"Masukkan 2 File ke Rak Buku"_s);
        room.click(room.floor().actionBar()->addButton()->sceneBoundingRect().center());
        QCOMPARE(room.files().filter(u"Rak/"_s), (QStringList{u"Rak/a.txt"_s, u"Rak/b.txt"_s}));
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
    }

    void namesAreShownLiterally()
    {
        FloorRoom room({{u"Tom & Jerry <b>.txt"_s, QPointF(0.3, 0.3)}});
        FloorItemView* file = room.floor().floorItem(u"Tom & Jerry <b>.txt"_s);
        QVERIFY(file);
        QCOMPARE(menuTitles(*file).value(1), u"Buka Tom && Jerry <b>.txt"_s);
        // The tool tip is escaped markup: the name shows as it is.
        QVERIFY(file->toolTip().contains(u"Tom &amp; Jerry &lt;b&gt;.txt"_s));
    }

    // Every file gets an icon: a folder, a PDF, a file of no known kind, a dangling link, a
    // path naming nothing. The shared caches of icons and images stay small, and the window
    // manager empties both.
    void iconsForEveryFileFromASmallCache()
    {
        TempHome home;
        const QString dangling = home.makeDir(u"Karpet"_s) + u"/gone.txt"_s;
        QVERIFY(QFile::link(home.path() + u"/nowhere.txt"_s, dangling));
        FileIconCache cache;
        for (const QString& path :
             {home.makeDir(u"Karpet/Album"_s), home.writeFile(u"Karpet/report.pdf"_s, "%PDF-1.4\n"),
              home.writeFile(u"Karpet/no-extension"_s, "\x01\x02\x03"), dangling,
              home.path() + u"/missing.md"_s})
            QVERIFY2(!cache.icon(QUrl::fromLocalFile(path)).isNull(), qPrintable(path));

        FileIconCache& icons = FileIconCache::shared();
        for (int i = 0; i < 33; ++i)
            icons.icon(QUrl::fromLocalFile(home.writeFile(u"Karpet/f%1.txt"_s.arg(i))));
        QCOMPARE(icons.count(), 32);
        AssetLoader::shared().storeInCache(QImage(2, 2, QImage::Format_RGB32), u"background"_s);
        DesktopWindowManager::emptyImageCaches();
        QCOMPARE(icons.count(), 0);
        QCOMPARE(AssetLoader::shared().cachedCount(), 0);
    }
};

PONDSILL_TEST(FloorTest)
#include "floor_test.moc"
