#include "floor_room.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/magic_carpet_view.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The carpet's centre at its default place in a 1440 x 900 room, and a spot on it where no
// file lies (a file shown over the lifted carpet takes the pointer where it lies).
const QPointF carpetCentre(0.498 * 1440, 0.82 * 900);
const QPointF carpetSpot = carpetCentre + QPointF(-200, 0);
} // namespace

// Gestures on the floor and the carpet, the carpet's and a file's menus, the selection's bar.
class FloorCarpetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        row("3.9 points", p, {0, 3.9}, "a.txt lifted", "", false, home, "under.txt");
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
        QStringList names = state.selectedFileNames().values();
        names.sort();
        QCOMPARE(names, selected);
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

    void theMenuActsAsItSays()
    {
        FloorRoom room(seededFloor());
        MovableCarpetMatView& carpet = *room.floor().carpet();
        QVERIFY(chooseFromMenu(carpet, u"Buka / Intip Karpet (Perlihatkan File)"_s));
        QVERIFY(room.floorState().isCarpetLifted());
        QVERIFY(chooseFromMenu(carpet, u"Tutup Karpet (Sembunyikan File)"_s));
        QVERIFY(!room.floorState().isCarpetLifted());

        room.storage().setCarpetPosition(0.3, 0.75);
        QVERIFY(chooseFromMenu(carpet, u"Kembalikan Karpet ke Posisi Tengah"_s));
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));

        QVERIFY(chooseFromMenu(carpet, u"Sebarkan Semua File ke Lantai Rumput"_s));
        QVERIFY(room.storedPositions().isEmpty());

        QVERIFY(chooseFromMenu(carpet, u"Kembalikan Semua File ke Desktop"_s));
        QStringList back;
        for (const QString& name : seededFloor().keys())
            back << u"Desktop/"_s + name;
        QCOMPARE(room.files(), back);
        QVERIFY(room.storage().carpetItems().isEmpty());
        // Without files there is nothing to send back.
        QVERIFY(!menuTitles(carpet).contains(u"Kembalikan Semua File ke Desktop"_s));
    }

    void theMenuAndTheBarFollowTheSelection()
    {
        FloorRoom room(seededFloor());
        FloorItemView& a = *room.floor().floorItem(u"a.txt"_s);
        QVERIFY(!room.floor().actionBar());
        QVERIFY(chooseFromMenu(a, u"Pilih File Ini (Blok)"_s));
        // Selected alone: no group entries.
        QCOMPARE(menuTitles(a).constFirst(), u"Lepas Pilihan (Unselect)"_s);
        QCOMPARE(room.floor().actionBar()->countText(), u"1 File Dipilih"_s);

        // A file drag hides the bar; the end of the drag brings it back.
        room.press(placeOf(u"b.txt"_s));
        room.moveTo(placeOf(u"b.txt"_s) + QPointF(0, -50));
        QVERIFY(!room.floor().actionBar());
        room.release(placeOf(u"b.txt"_s) + QPointF(0, -50));
        QVERIFY(room.floor().actionBar());

        room.floorState().toggleSelection(u"b.txt"_s);
        QCOMPARE(room.floor().actionBar()->countText(), u"2 File Dipilih"_s);
        QCOMPARE(menuTitles(a).mid(0, 3),
                 (QStringList{u"Masukkan 2 File ke Rak Buku"_s, u"Buang 2 File ke Tempat Sampah"_s,
                              u"Lepas Blok Pilihan"_s}));
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
};

PONDSILL_TEST(FloorCarpetTest)
#include "floor_carpet_test.moc"
