#include "floor_room.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/magic_carpet_view.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The carpet's centre at its default place in a 1440 x 900 room, and a spot on it where no
// file lies (a file shown over the lifted carpet takes the pointer where it lies).
const QPointF carpetCentre(0.498 * 1440, 0.82 * 900);
const QPointF carpetSpot = carpetCentre + QPointF(-200, 0);
} // namespace

// The marquee and the click on the empty room.
class FloorMarqueeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aDragOnTheEmptyRoom_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<bool>("lifted");
        QTest::addColumn<bool>("click");
        QTest::addColumn<QStringList>("selected");

        // a.txt lies at (576, 450): its box runs 540...612 and 414...486.
        QTest::newRow("round both files") << QPointF(500, 380) << QPointF(800, 520) << false
                                          << false << QStringList{u"a.txt"_s, u"b.txt"_s};
        QTest::newRow("stopping at a's box")
            << QPointF(300, 300) << QPointF(540, 414) << false << false << QStringList{};
        // Started beside the lowered carpet, reaching under it.
        QTest::newRow("the covered file too") << QPointF(380, 640) << QPointF(800, 760) << false
                                              << false << QStringList{u"under.txt"_s};
        // Shorter than 4 points a click: the selection goes and the lifted carpet comes down.
        const QPointF p(300, 200);
        QTest::newRow("no movement") << p << p << true << true << QStringList{};
        QTest::newRow("3.9 points") << p << p + QPointF(0, 3.9) << true << true << QStringList{};
        QTest::newRow("4 points") << p << p + QPointF(0, 4) << true << false << QStringList{};
    }

    void aDragOnTheEmptyRoom()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(bool, lifted);
        QFETCH(bool, click);
        QFETCH(QStringList, selected);
        FloorRoom room(seededFloor());
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        room.floorState().setCarpetLifted(lifted);
        room.drag(from, to);
        QStringList names = room.floorState().selectedFileNames().values();
        names.sort();
        QCOMPARE(names, selected);
        QCOMPARE(room.floorState().isCarpetLifted(), lifted && !click);
        QVERIFY(!room.floorState().isMarqueeSelecting());
    }
};

// The movable carpet: lifting, dragging, hiding what it covers, and its menu.
class FloorCarpetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aClickLiftsItAndShowsWhatItCovers()
    {
        FloorRoom room(seededFloor());
        QCOMPARE(room.floor().coveredCount(), 1);
        QVERIFY(!room.floor().floorItem(u"under.txt"_s));
        QVERIFY(room.floor().floorItem(u"edge.txt"_s));
        // Moved 5 points, short of 6: still a click, and the carpet stays where it is.
        room.drag(carpetSpot, carpetSpot + QPointF(3, 4));
        QVERIFY(room.floorState().isCarpetLifted());
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));
        QCOMPARE(room.floorState().carpetDragOffset(), QSizeF(0, 0));
        FloorItemView* under = room.floor().floorItem(u"under.txt"_s);
        QVERIFY(under && under->isCovered());
        QCOMPARE(under->parentItem()->zValue(), 25.0);
        // With files selected, the click lets them go and leaves the carpet as it is.
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        room.click(carpetSpot);
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
        QVERIFY(room.floorState().isCarpetLifted());
        room.click(carpetSpot);
        QVERIFY(!room.floorState().isCarpetLifted());
        QVERIFY(!room.floor().floorItem(u"under.txt"_s));
    }

    void aDragCoversLiveAndIsSavedClamped_data()
    {
        QTest::addColumn<QPointF>("by");
        QTest::addColumn<QPointF>("stored");
        QTest::addColumn<QStringList>("covered");
        // under.txt comes out, edge.txt (at x 288) goes under.
        QTest::newRow("400 to the left")
            << QPointF(-400, 0) << QPointF((carpetCentre.x() - 400) / 1440, 0.82)
            << QStringList{u"edge.txt"_s};
        QTest::newRow("far beyond the bottom right")
            << QPointF(3000, 3000) << QPointF(0.82, 0.86) << QStringList();
        QTest::newRow("far beyond the top left")
            << QPointF(-3000, -3000) << QPointF(0.18, 0.70) << QStringList();
    }

    void aDragCoversLiveAndIsSavedClamped()
    {
        QFETCH(QPointF, by);
        QFETCH(QPointF, stored);
        QFETCH(QStringList, covered);
        FloorRoom room(seededFloor());
        const auto checkCovered = [&] {
            QCOMPARE(room.floor().coveredCount(), covered.size());
            for (const QString& name : seededFloor().keys())
                QCOMPARE(!room.floor().floorItem(name), covered.contains(name));
        };
        room.press(carpetCentre);
        room.moveTo(carpetCentre + by / 2);
        room.moveTo(carpetCentre + by);
        QVERIFY(room.floorState().isCarpetDragging());
        checkCovered();
        // Nothing is stored before the release.
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));
        room.release(carpetCentre + by);
        QCOMPARE(room.storedCarpetPosition(), stored);
        QVERIFY(!room.floorState().isCarpetDragging());
        QCOMPARE(room.floorState().carpetDragOffset(), QSizeF(0, 0));
        QVERIFY(!room.floorState().isCarpetLifted());
        checkCovered();
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
        for (const QString& name : seededFloor().keys())
            QVERIFY(QFileInfo(room.home().path() + u"/Desktop/"_s + name).isFile());
        QVERIFY(room.storage().carpetItems().isEmpty());
        // Without files there is nothing to send back.
        QVERIFY(!menuTitles(carpet).contains(u"Kembalikan Semua File ke Desktop"_s));
    }
};

// A floor file's menu and the bar of the selection.
class FloorSelectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theMenuAndTheBarFollowTheSelection()
    {
        FloorRoom room(seededFloor());
        FloorItemView& a = *room.floor().floorItem(u"a.txt"_s);
        QVERIFY(!room.floor().actionBar());
        QVERIFY(chooseFromMenu(a, u"Pilih File Ini (Blok)"_s));
        // Selected alone: no group entries.
        QCOMPARE(menuTitles(a).constFirst(), u"Lepas Pilihan (Unselect)"_s);
        QCOMPARE(room.floor().actionBar()->countText(), u"1 File Dipilih"_s);
        QCOMPARE(room.floor().actionBar()->centre(), QPointF(720, 792));

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
        QVERIFY(QFileInfo(room.shelfPath(u"a.txt"_s)).isFile());
        QVERIFY(QFileInfo(room.shelfPath(u"b.txt"_s)).isFile());
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

PONDSILL_TEST(FloorMarqueeTest)
PONDSILL_TEST(FloorCarpetTest)
PONDSILL_TEST(FloorSelectionTest)
#include "floor_carpet_test.moc"
