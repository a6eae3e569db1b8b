#include "floor_room.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/magic_carpet_view.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QFileInfo>
#include <QGraphicsItem>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QMap<QString, QPointF> seeded()
{
    return {{u"a.txt"_s, QPointF(0.40, 0.50)},
            {u"b.txt"_s, QPointF(0.50, 0.50)},
            {u"under.txt"_s, QPointF(0.50, 0.83)},
            {u"edge.txt"_s, QPointF(0.20, 0.83)}};
}

// The carpet's centre at its default place in a 1440 x 900 room, and a spot on it where no
// file lies (a file shown over the lifted carpet takes the pointer where it lies).
const QPointF carpetCentre(0.498 * 1440, 0.82 * 900);
const QPointF carpetSpot = carpetCentre + QPointF(-200, 0);

QStringList titles(QMenu& menu)
{
    QStringList list;
    for (QAction* action : menu.actions())
        list << (action->isSeparator() ? u"-"_s : action->text());
    return list;
}

QAction* actionTitled(QMenu& menu, const QString& title)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}
} // namespace

// The marquee and the click on the empty room.
class FloorMarqueeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selectsWhatItTouches_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QStringList>("selected");

        // a.txt lies at (576, 450): its box runs 540...612 and 414...486.
        QTest::newRow("round both files")
            << QPointF(500, 380) << QPointF(800, 520) << QStringList{u"a.txt"_s, u"b.txt"_s};
        QTest::newRow("one point into a's box")
            << QPointF(300, 300) << QPointF(541, 415) << QStringList{u"a.txt"_s};
        QTest::newRow("stopping at a's box")
            << QPointF(300, 300) << QPointF(540, 414) << QStringList{};
        QTest::newRow("a line-thin marquee")
            << QPointF(576, 300) << QPointF(576, 600) << QStringList{u"a.txt"_s};
        // Started beside the carpet, reaching under it.
        QTest::newRow("the covered file too")
            << QPointF(380, 640) << QPointF(800, 760) << QStringList{u"under.txt"_s};
    }

    void selectsWhatItTouches()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QStringList, selected);
        FloorRoom room(seeded());
        room.press(from);
        room.moveTo(from + (to - from) / 2);
        room.moveTo(to);
        QVERIFY(room.floorState().isMarqueeSelecting());
        room.release(to);
        QStringList names = room.floorState().selectedFileNames().values();
        names.sort();
        QCOMPARE(names, selected);
        QVERIFY(!room.floorState().isMarqueeSelecting());
        QVERIFY(!room.floorState().marqueeStart());
    }

    void anUnchangedMarqueePublishesNothing()
    {
        FloorRoom room(seeded());
        room.press(QPointF(500, 380));
        room.moveTo(QPointF(650, 520));
        int published = 0;
        QObject::connect(&room.floorState(), &FloorInteractionState::selectedFileNamesChanged,
                         [&] { ++published; });
        room.moveTo(QPointF(660, 520));
        room.moveTo(QPointF(670, 530));
        QCOMPARE(published, 0);
        room.release(QPointF(670, 530));
    }

    void aShortReleaseClearsAndLowers_data()
    {
        QTest::addColumn<qreal>("distance");
        QTest::addColumn<bool>("click");
        QTest::newRow("no movement") << 0.0 << true;
        QTest::newRow("3.9 points") << 3.9 << true;
        QTest::newRow("4 points") << 4.0 << false;
    }

    void aShortReleaseClearsAndLowers()
    {
        QFETCH(qreal, distance);
        QFETCH(bool, click);
        FloorRoom room(seeded());
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        room.floorState().setCarpetLifted(true);
        const QPointF from(300, 200);
        room.drag(from, from + QPointF(0, distance));
        QCOMPARE(room.floorState().isCarpetLifted(), !click);
        // A longer drag is a marquee: what it touched (nothing here) is the selection.
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
    }
};

// The movable carpet: lifting, dragging, hiding what it covers, and its menu.
class FloorCarpetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coveredFilesShowOnlyWhileLifted()
    {
        FloorRoom room(seeded());
        QCOMPARE(room.floor().coveredCount(), 1);
        QVERIFY(!room.floor().floorItem(u"under.txt"_s));
        QVERIFY(room.floor().floorItem(u"edge.txt"_s));
        room.click(carpetSpot);
        QVERIFY(room.floorState().isCarpetLifted());
        FloorItemView* under = room.floor().floorItem(u"under.txt"_s);
        QVERIFY(under);
        QVERIFY(under->isCovered());
        QCOMPARE(under->parentItem()->zValue(), 25.0);
        room.click(carpetSpot);
        QVERIFY(!room.floorState().isCarpetLifted());
        QVERIFY(!room.floor().floorItem(u"under.txt"_s));
    }

    void aFivePointDragIsAClick()
    {
        FloorRoom room(seeded());
        const QPointF before = room.storedCarpetPosition();
        room.drag(carpetSpot, carpetSpot + QPointF(3, 4));
        QVERIFY(room.floorState().isCarpetLifted());
        QCOMPARE(room.storedCarpetPosition(), before);
        QCOMPARE(room.floorState().carpetDragOffset(), QSizeF(0, 0));
        // With files selected, the click lets them go and leaves the carpet as it is.
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        room.drag(carpetSpot, carpetSpot + QPointF(3, 4));
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
        QVERIFY(room.floorState().isCarpetLifted());
    }

    void aLongDragIsClampedAndSaved()
    {
        FloorRoom room(seeded());
        room.drag(carpetCentre, carpetCentre + QPointF(3000, 3000), 10);
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.82, 0.86));
        QCOMPARE(room.storage().carpetPositionNorm(), (StoredPosition{0.82, 0.86}));
        QVERIFY(!room.floorState().isCarpetDragging());
        QCOMPARE(room.floorState().carpetDragOffset(), QSizeF(0, 0));
        QVERIFY(!room.floorState().isCarpetLifted());
    }

    void theCoveredSetFollowsTheDragLive()
    {
        FloorRoom room(seeded());
        room.press(carpetCentre);
        // 400 to the left: under.txt comes out, edge.txt (at x 288) goes under.
        room.moveTo(carpetCentre + QPointF(-200, 0));
        room.moveTo(carpetCentre + QPointF(-400, 0));
        QVERIFY(room.floorState().isCarpetDragging());
        QVERIFY(room.floor().floorItem(u"under.txt"_s));
        QVERIFY(!room.floor().floorItem(u"edge.txt"_s));
        QCOMPARE(room.floor().coveredCount(), 1);
        // Nothing is stored before the release.
        QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));
        room.release(carpetCentre + QPointF(-400, 0));
        QCOMPARE(room.storedCarpetPosition(), QPointF((carpetCentre.x() - 400) / 1440, 0.82));
        QVERIFY(!room.floor().floorItem(u"edge.txt"_s));
    }

    void theMenuActsAsItSays()
    {
        FloorRoom room(seeded());
        MovableCarpetMatView* carpet = room.floor().carpet();
        {
            QMenu menu;
            carpet->populateContextMenu(menu);
            QCOMPARE(titles(menu), (QStringList{u"Buka / Intip Karpet (Perlihatkan File)"_s,
                                                u"Pilih File untuk Disembunyikan..."_s,
                                                u"Kembalikan Karpet ke Posisi Tengah"_s,
                                                u"Rapikan File di Bawah Karpet"_s,
                                                u"Sebarkan Semua File ke Lantai Rumput"_s, u"-"_s,
                                                u"Kembalikan Semua File ke Desktop"_s, u"-"_s,
                                                u"Buka Folder Karpet di Finder"_s}));
            actionTitled(menu, u"Buka / Intip Karpet (Perlihatkan File)"_s)->trigger();
            QVERIFY(room.floorState().isCarpetLifted());
        }
        {
            room.storage().setCarpetPosition(0.3, 0.75);
            QMenu menu;
            carpet->populateContextMenu(menu);
            QCOMPARE(menu.actions().first()->text(), u"Tutup Karpet (Sembunyikan File)"_s);
            actionTitled(menu, u"Kembalikan Karpet ke Posisi Tengah"_s)->trigger();
            QCOMPARE(room.storedCarpetPosition(), QPointF(0.498, 0.82));
        }
        {
            QMenu menu;
            carpet->populateContextMenu(menu);
            actionTitled(menu, u"Sebarkan Semua File ke Lantai Rumput"_s)->trigger();
            QVERIFY(room.storedPositions().isEmpty());
        }
        {
            QMenu menu;
            carpet->populateContextMenu(menu);
            actionTitled(menu, u"Kembalikan Semua File ke Desktop"_s)->trigger();
            QVERIFY(QFileInfo(room.home().path() + u"/Desktop/a.txt"_s).isFile());
            QVERIFY(room.storage().carpetItems().isEmpty());
        }
        {
            // Without files there is nothing to send back.
            QMenu menu;
            carpet->populateContextMenu(menu);
            QVERIFY(!actionTitled(menu, u"Kembalikan Semua File ke Desktop"_s));
            QCOMPARE(titles(menu).count(u"-"_s), 1);
        }
    }
};

// A floor file's menu and the bar of the selection.
class FloorSelectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theFileMenuFollowsTheSelection()
    {
        FloorRoom room(seeded());
        FloorItemView* a = room.floor().floorItem(u"a.txt"_s);
        {
            QMenu menu;
            a->populateContextMenu(menu);
            QCOMPARE(titles(menu),
                     (QStringList{u"Pilih File Ini (Blok)"_s, u"Buka a.txt"_s,
                                  u"Masukkan ke Rak Buku"_s, u"Kembalikan ke Desktop"_s,
                                  u"Tampilkan di Finder"_s, u"-"_s, u"Buang ke Tempat Sampah"_s}));
            actionTitled(menu, u"Pilih File Ini (Blok)"_s)->trigger();
        }
        {
            // Selected alone: no group entries.
            QMenu menu;
            a->populateContextMenu(menu);
            QCOMPARE(menu.actions().first()->text(), u"Lepas Pilihan (Unselect)"_s);
        }
        room.floorState().toggleSelection(u"b.txt"_s);
        {
            QMenu menu;
            a->populateContextMenu(menu);
            QCOMPARE(titles(menu).mid(0, 4), (QStringList{u"Masukkan 2 File ke Rak Buku"_s,
                                                          u"Buang 2 File ke Tempat Sampah"_s,
                                                          u"Lepas Blok Pilihan"_s, u"-"_s}));
            actionTitled(menu, u"Masukkan 2 File ke Rak Buku"_s)->trigger();
        }
        QVERIFY(QFileInfo(room.shelfPath(u"a.txt"_s)).isFile());
        QVERIFY(QFileInfo(room.shelfPath(u"b.txt"_s)).isFile());
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
    }

    void namesAreShownLiterally()
    {
        FloorRoom room({{u"Tom & Jerry <b>.txt"_s, QPointF(0.3, 0.3)}});
        FloorItemView* file = room.floor().floorItem(u"Tom & Jerry <b>.txt"_s);
        QVERIFY(file);
        QMenu menu;
        file->populateContextMenu(menu);
        QAction* open = menu.actions().at(1);
        QCOMPARE(open->text(), u"Buka Tom && Jerry <b>.txt"_s);
        // The tool tip is escaped markup: the name shows as it is.
        QVERIFY(file->toolTip().contains(u"Tom &amp; Jerry &lt;b&gt;.txt"_s));
    }

    void theBarShowsWhileFilesAreSelected()
    {
        FloorRoom room(seeded());
        QVERIFY(!room.floor().actionBar());
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        FloorMultiSelectActionBar* bar = room.floor().actionBar();
        QVERIFY(bar);
        QCOMPARE(bar->countText(), u"1 File Dipilih"_s);
        QCOMPARE(bar->parentItem()->zValue(), 50.0);
        QCOMPARE(bar->centre(), QPointF(720, 792));

        // A file drag or a carpet drag hides it; the end of the drag brings it back.
        room.press(FloorRoom::at(QPointF(0.5, 0.5)));
        room.moveTo(FloorRoom::at(QPointF(0.5, 0.5)) + QPointF(0, -50));
        QVERIFY(!room.floor().actionBar());
        room.release(FloorRoom::at(QPointF(0.5, 0.5)) + QPointF(0, -50));
        QVERIFY(room.floor().actionBar());

        room.floorState().toggleSelection(u"b.txt"_s);
        QCOMPARE(room.floor().actionBar()->countText(), u"2 File Dipilih"_s);
        room.click(room.floor().actionBar()->addButton()->sceneBoundingRect().center());
        QVERIFY(QFileInfo(room.shelfPath(u"a.txt"_s)).isFile());
        QVERIFY(QFileInfo(room.shelfPath(u"b.txt"_s)).isFile());
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
    }
};

PONDSILL_TEST(FloorMarqueeTest)
PONDSILL_TEST(FloorCarpetTest)
PONDSILL_TEST(FloorSelectionTest)
#include "floor_carpet_test.moc"
