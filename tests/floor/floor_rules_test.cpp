#include "kit/room_geometry.h"
#include "room/floor/floor_rules.h"
#include "support/test_registry.h"

#include <QTest>

#include <cmath>

using namespace FloorRules;

namespace {
const RoomGeometry room(QSizeF(1440, 900));
using Release = FloorRelease::Target;
using Drop = FloorDrop::Target;
} // namespace

class FloorRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void release_data()
    {
        QTest::addColumn<QPointF>("centre");
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<bool>("isImage");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("slot");

        const QRectF shelf = room.shelfTarget();
        const QPointF floor(700, 800);
        const QPointF trash = room.trashCentre();
        QTest::newRow("pointer on the shelf, centre on the floor")
            << floor << QPointF(241, 333) << false << int(Release::Bookshelf) << -1;
        QTest::newRow("centre on the shelf, pointer on the floor")
            << QPointF(241, 333) << floor << false << int(Release::Bookshelf) << -1;
        QTest::newRow("25 left of the shelf's edge")
            << QPointF(shelf.left() + 5, 333) << floor << false << int(Release::Bookshelf) << -1;
        QTest::newRow("the grown shelf's right edge is outside")
            << QPointF(shelf.right(), 333) << floor << false << int(Release::Floor) << -1;
        QTest::newRow("an image in the gallery's top right")
            << QPointF(1300, 100) << floor << true << int(Release::PhotoFrame) << 1;
        QTest::newRow("the centre's frame wins over the pointer's")
            << QPointF(1100, 450) << QPointF(1300, 100) << true << int(Release::PhotoFrame) << 4;
        QTest::newRow("the pointer's frame when the centre is outside")
            << floor << QPointF(1100, 250) << true << int(Release::PhotoFrame) << 2;
        QTest::newRow("a non-image over the gallery lies on the floor")
            << QPointF(1300, 100) << QPointF(1300, 100) << false << int(Release::Floor) << -1;
        QTest::newRow("trash at 84.9")
            << trash + QPointF(84.9, 0) << floor << false << int(Release::Trash) << -1;
        QTest::newRow("trash at exactly 85 is outside")
            << trash + QPointF(0, 85) << floor << false << int(Release::Floor) << -1;
        QTest::newRow("pointer in the trash circle")
            << floor << trash + QPointF(-60, 60) << true << int(Release::Trash) << -1;
    }

    void release()
    {
        QFETCH(QPointF, centre);
        QFETCH(QPointF, pointer);
        QFETCH(bool, isImage);
        QFETCH(int, target);
        QFETCH(int, slot);
        const FloorRelease r = floorReleaseTarget(room, centre, pointer, isImage);
        QCOMPARE(int(r.target), target);
        QCOMPARE(r.slot, slot);
    }

    void priorityWhereTargetsOverlap()
    {
        // A narrow room: the grown shelf reaches into the trash circle.
        const RoomGeometry narrow(QSizeF(200, 300));
        const QPointF shelfAndTrash(85, 183);
        QVERIFY(narrow.isOnShelfTarget(shelfAndTrash) && narrow.isOnTrashTarget(shelfAndTrash));
        QCOMPARE(floorReleaseTarget(narrow, shelfAndTrash, shelfAndTrash, false).target,
                 Release::Bookshelf);
        QCOMPARE(dropTargetAt(narrow, shelfAndTrash).target, Drop::Trash);

        // A low room: the trash circle reaches into the grown photo wall.
        const RoomGeometry low(QSizeF(1440, 300));
        const QPointF wallAndTrash(1022.4, 190);
        QVERIFY(low.isOnPhotoWallTarget(wallAndTrash) && low.isOnTrashTarget(wallAndTrash));
        QCOMPARE(floorReleaseTarget(low, wallAndTrash, wallAndTrash, true).target,
                 Release::PhotoFrame);
        QCOMPARE(floorReleaseTarget(low, wallAndTrash, wallAndTrash, false).target, Release::Trash);
        QCOMPARE(dropTargetAt(low, wallAndTrash).target, Drop::Trash);
    }

    void drop_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QPointF>("floorPoint");

        const QPointF trash = room.trashCentre();
        QTest::newRow("84.9 from the trash centre")
            << trash + QPointF(-84.9, 0) << int(Drop::Trash) << -1 << QPointF(937.5 / 1440, 0.738);
        QTest::newRow("85.0 from the trash centre")
            << trash + QPointF(-85, 0) << int(Drop::Floor) << -1 << QPointF(937.4 / 1440, 0.738);
        QTest::newRow("25 left of the shelf")
            << QPointF(241.632 - 175.968 - 25, 333.45) << int(Drop::Bookshelf) << -1
            << QPointF(0.04, 333.45 / 900);
        QTest::newRow("35 left of the shelf")
            << QPointF(241.632 - 175.968 - 35, 333.45) << int(Drop::Floor) << -1
            << QPointF(0.04, 333.45 / 900);
        QTest::newRow("top third, right half of the photo wall")
            << QPointF(1300, 100) << int(Drop::PhotoWall) << 1
            << QPointF(1300 / 1440.0, 0.11111111111111112);
        QTest::newRow("bottom left frame") << QPointF(1050, 480) << int(Drop::PhotoWall) << 4
                                           << QPointF(1050 / 1440.0, 480 / 900.0);
        QTest::newRow("top-left corner")
            << QPointF(0, 0) << int(Drop::Floor) << -1 << QPointF(0.04, 0.06);
        QTest::newRow("beyond the bottom right")
            << QPointF(1500, 950) << int(Drop::Floor) << -1 << QPointF(0.96, 0.92);
    }

    void drop()
    {
        QFETCH(QPointF, point);
        QFETCH(int, target);
        QFETCH(int, slot);
        QFETCH(QPointF, floorPoint);
        const FloorDrop d = dropTargetAt(room, point);
        QCOMPARE(int(d.target), target);
        QCOMPARE(d.slot, slot);
        QCOMPARE(d.floorPoint, floorPoint);
    }

    void targetedSlotFollowsCentreThenPointer()
    {
        const RoomGeometry& t = room;
        QCOMPARE(targetedPhotoSlot(t, QPointF(1300, 100), QPointF(1100, 450), true), 1);
        QCOMPARE(targetedPhotoSlot(t, QPointF(700, 800), QPointF(1100, 450), true), 4);
        QCOMPARE(targetedPhotoSlot(t, QPointF(1300, 100), QPointF(1300, 100), false), -1);
        QCOMPARE(targetedPhotoSlot(t, QPointF(700, 800), QPointF(700, 800), true), -1);
    }

    void carpetCover_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("covered");

        // Carpet centre (700, 700): the rectangle runs x 395...1005, y 650...750.
        QTest::newRow("centre") << QPointF(700, 700) << true;
        QTest::newRow("left edge") << QPointF(395, 700) << true;
        QTest::newRow("top edge") << QPointF(700, 650) << true;
        QTest::newRow("top-left corner") << QPointF(395, 650) << true;
        QTest::newRow("right edge") << QPointF(1005, 700) << false;
        QTest::newRow("bottom edge") << QPointF(700, 750) << false;
        QTest::newRow("just inside the right edge") << QPointF(1004.99, 749.99) << true;
        QTest::newRow("left of it") << QPointF(394.99, 700) << false;
    }

    void carpetCover()
    {
        QFETCH(QPointF, point);
        QFETCH(bool, covered);
        QCOMPARE(isCoveredByCarpet(point, QPointF(700, 700)), covered);
    }

    void carpetBand_data()
    {
        QTest::addColumn<QPointF>("centre");
        QTest::addColumn<QSizeF>("room");
        QTest::addColumn<QPointF>("clamped");

        const QSizeF room(1440, 900);
        QTest::newRow("inside the band") << QPointF(700, 700) << room << QPointF(700, 700);
        QTest::newRow("far beyond the bottom right")
            << QPointF(5000, 5000) << room << QPointF(0.82 * 1440, 0.86 * 900);
        QTest::newRow("far beyond the top left")
            << QPointF(-5000, -5000) << room << QPointF(0.18 * 1440, 0.70 * 900);
        QTest::newRow("zero-sized room") << QPointF(10, 10) << QSizeF(0, 0) << QPointF(0, 0);
    }

    void carpetBand()
    {
        QFETCH(QPointF, centre);
        QFETCH(QSizeF, room);
        QFETCH(QPointF, clamped);
        QCOMPARE(clampCarpetCentre(centre, room), clamped);
    }

    void marquee_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPointF>("current");
        QTest::addColumn<bool>("hit");

        // The file lies at (500, 500): its box runs 464...536 both ways.
        QTest::newRow("around it") << QPointF(400, 400) << QPointF(600, 600) << true;
        QTest::newRow("dragged up and left") << QPointF(600, 600) << QPointF(535, 535) << true;
        QTest::newRow("one point into the box") << QPointF(300, 300) << QPointF(465, 465) << true;
        QTest::newRow("touching the box's edge only")
            << QPointF(300, 300) << QPointF(464, 464) << false;
        QTest::newRow("a vertical line through it")
            << QPointF(500, 300) << QPointF(500, 700) << true;
        QTest::newRow("a horizontal line through it")
            << QPointF(300, 480) << QPointF(700, 480) << true;
        QTest::newRow("a point inside it") << QPointF(510, 510) << QPointF(510, 510) << true;
        QTest::newRow("beside it") << QPointF(540, 300) << QPointF(700, 700) << false;
    }

    void marquee()
    {
        QFETCH(QPointF, start);
        QFETCH(QPointF, current);
        QFETCH(bool, hit);
        const QRectF rect = marqueeRect(start, current);
        QVERIFY(rect.width() >= 1 && rect.height() >= 1);
        QCOMPARE(marqueeHits(rect, QPointF(500, 500)), hit);
    }

    void groupMoves()
    {
        const QSet<QString> three{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("b")};
        QCOMPARE(namesToMove(QStringLiteral("a"), true, three),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        // An unselected file moves alone, whatever else is selected.
        QCOMPARE(namesToMove(QStringLiteral("d"), false, three), QStringList{QStringLiteral("d")});
        // A file selected alone is no group.
        QCOMPARE(namesToMove(QStringLiteral("a"), true, {QStringLiteral("a")}),
                 QStringList{QStringLiteral("a")});
    }
};

PONDSILL_TEST(FloorRulesTest)
#include "floor_rules_test.moc"
