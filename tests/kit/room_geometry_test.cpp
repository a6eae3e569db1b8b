#include "kit/room_geometry.h"
#include "support/test_registry.h"

#include <QTest>

#include <cmath>

namespace {
bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6;
}
bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}
// Every card the room opens.
QList<ActiveDesktopQuickView> allCards()
{
    using V = ActiveDesktopQuickView;
    return {V::photo(3),        V::carpetItem(QUrl(QStringLiteral("file:///a"))),
            V::clock(),         V::calendar(),
            V::monitor(),       V::mail(),
            V::whatsapp(),      V::trash(),
            V::guitar(),        V::acousticGuitar(),
            V::quennetPlaque(), V::tolvanePlaque()};
}
} // namespace

class RoomGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every card and panel opens inside the room, at the design size and at narrower and
    // taller screens; the monitor stands on the desk.
    void panelsOpenInsideTheRoom_data()
    {
        QTest::addColumn<QSizeF>("room");
        QTest::newRow("1440 x 900") << QSizeF(1440, 900);
        QTest::newRow("1000 x 900") << QSizeF(1000, 900);
        QTest::newRow("1440 x 1440") << QSizeF(1440, 1440);
    }
    void panelsOpenInsideTheRoom()
    {
        QFETCH(QSizeF, room);
        const RoomGeometry g(room);
        const QRectF inside(QPointF(0, 0), room);
        for (const ActiveDesktopQuickView& card : allCards())
            QVERIFY(inside.contains(g.quickViewCentre(card)));
        for (int shelf : {-1, 0, 1})
            QVERIFY(inside.contains(g.shelfPopoverCentre(shelf)));
        QVERIFY(inside.contains(g.drawerCentre()));
        QVERIFY(inside.contains(g.miniPlayerCentre()));
        const RoomFrame monitor = g.frame(Furniture::Monitor);
        QVERIFY(monitor.rect().bottom() < g.deskTopY());
        QVERIFY(std::abs(monitor.size.width() / monitor.size.height() - 175.0 / 170.0) < 1e-9);
    }

    void zeroSizedRoomStaysFinite()
    {
        for (const QSizeF& size : {QSizeF(0, 0), QSizeF(-5, -5), QSizeF(qQNaN(), 10)}) {
            const RoomGeometry g(size);
            for (int i = 0; i < kFurnitureCount; ++i) {
                const RoomFrame f = g.frame(Furniture(i));
                QVERIFY(finite(f.centre));
                QVERIFY(std::isfinite(f.size.width()) && std::isfinite(f.size.height()));
            }
            for (const ActiveDesktopQuickView& card : allCards())
                QVERIFY(finite(g.quickViewCentre(card)));
            QVERIFY(finite(g.normalisedFloorPoint(QPointF(10, 10))));
            QVERIFY(finite(g.shelfPopoverCentre(0)));
            QVERIFY(finite(g.drawerCentre()));
            QVERIFY(finite(g.miniPlayerCentre()));
            // The grown photo wall of an empty room is 60 x 60 round (-30, -30).
            QCOMPARE(RoomGeometry::photoSlotIndex(QPointF(3, 3), g.photoWallTarget()), 3);
        }
    }

    void photoSlot_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<int>("slot");
        const QRectF r(100, 100, 200, 300);
        QTest::newRow("vertical middle is left") << QPointF(200, 250) << r << 2;
        QTest::newRow("just right of the middle") << QPointF(200.01, 250) << r << 3;
        QTest::newRow("below the bottom edge") << QPointF(290, 900) << r << 5;
        QTest::newRow("zero height, raw distance 1")
            << QPointF(110, 101) << QRectF(100, 100, 200, 0) << 2;
        QTest::newRow("zero height, raw distance 0.5")
            << QPointF(110, 100.5) << QRectF(100, 100, 200, 0) << 0;
    }
    void photoSlot()
    {
        QFETCH(QPointF, point);
        QFETCH(QRectF, rect);
        QFETCH(int, slot);
        QCOMPARE(RoomGeometry::photoSlotIndex(point, rect), slot);
    }

    void floorPoints_data()
    {
        QTest::addColumn<QPointF>("roomPoint");
        QTest::addColumn<QPointF>("normalised");
        QTest::newRow("top-left corner") << QPointF(0, 0) << QPointF(0.04, 0.06);
        QTest::newRow("beyond bottom right") << QPointF(2000, 2000) << QPointF(0.96, 0.92);
        QTest::newRow("inside") << QPointF(720, 450) << QPointF(0.5, 0.5);
    }
    void floorPoints()
    {
        QFETCH(QPointF, roomPoint);
        QFETCH(QPointF, normalised);
        QVERIFY(near(RoomGeometry(QSizeF(1440, 900)).normalisedFloorPoint(roomPoint), normalised));
    }
};

PONDSILL_TEST(RoomGeometryTest)
#include "room_geometry_test.moc"
