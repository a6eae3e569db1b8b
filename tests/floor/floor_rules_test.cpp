#include "kit/room_geometry.h"
#include "room/floor/floor_rules.h"
#include "support/test_registry.h"

#include <QTest>

using namespace FloorRules;

namespace {
const RoomGeometry room(QSizeF(1440, 900));
using Release = FloorRelease::Target;
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
        QTest::newRow("the centre's frame wins over the pointer's")
            << QPointF(1100, 450) << QPointF(1300, 100) << true << int(Release::PhotoFrame) << 4;
        QTest::newRow("the pointer's frame when the centre is outside")
            << floor << QPointF(1100, 250) << true << int(Release::PhotoFrame) << 2;
        QTest::newRow("trash at 84.9")
            << trash + QPointF(84.9, 0) << floor << false << int(Release::Trash) << -1;
        QTest::newRow("trash at exactly 85 is outside")
            << trash + QPointF(0, 85) << floor << false << int(Release::Floor) << -1;
        QTest::newRow("centre in the trash circle, pointer on the shelf")
            << trash << QPointF(241, 333) << false << int(Release::Bookshelf) << -1;
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
        // The frame lit while dragging is the one the file would go into.
        QCOMPARE(targetedPhotoSlot(room, centre, pointer, isImage), slot);
    }

    // Where the shelf's and the trash can's targets overlap (only a very small window brings
    // them together), an item dropped from outside goes to the Trash and a dragged floor file
    // to the shelf.
    void overlapOfShelfAndTrash()
    {
        int overlapping = 0;
        for (const QSizeF size : {QSizeF(200, 150), QSizeF(250, 250)}) {
            const RoomGeometry small(size);
            for (qreal x = 0; x < size.width(); x += 2) {
                for (qreal y = 0; y < size.height(); y += 2) {
                    const QPointF p(x, y);
                    if (!small.isOnTrashTarget(p) || !small.isOnShelfTarget(p))
                        continue;
                    ++overlapping;
                    QCOMPARE(int(dropTargetAt(small, p).target), int(FloorDrop::Target::Trash));
                    QCOMPARE(int(floorReleaseTarget(small, p, p, true).target),
                             int(Release::Bookshelf));
                }
            }
        }
        QVERIFY(overlapping > 0);
    }
};

PONDSILL_TEST(FloorRulesTest)
#include "floor_rules_test.moc"
