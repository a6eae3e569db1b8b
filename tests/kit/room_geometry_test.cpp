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
} // namespace

class RoomGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wallAtTheDesignSize()
    {
        const RoomGeometry g(QSizeF(1440, 900));
        QVERIFY(near(g.shelfCentre(), QPointF(241.632, 333.45)));
        const RoomFrame clock = g.frame(Furniture::WallClock);
        QVERIFY(near(clock.centre, QPointF(241.632, 126.9)));
        // The monitor keeps its proportion, its bottom 10.5 scaled points above the desk top.
        const RoomFrame m = g.frame(Furniture::Monitor);
        QVERIFY(std::abs(m.size.width() / m.size.height() - 175.0 / 170.0) < 1e-9);
        QVERIFY(std::abs(m.rect().bottom() - (g.deskTopY() - 10.5 * m.size.width() / 175)) < 1e-9);
    }

    void frameSizes_data()
    {
        QTest::addColumn<QSizeF>("room");
        QTest::addColumn<int>("piece");
        QTest::addColumn<QSizeF>("size");
        const int clock = int(Furniture::WallClock);
        const int plaque = int(Furniture::QuennetPlaque);
        const qreal plaqueAspect = 0.7931034482758621;
        // The wall unit takes the smaller side; the plaque stops growing at 142.
        QTest::newRow("clock, height decides") << QSizeF(1440, 900) << clock << QSizeF(97.2, 97.2);
        QTest::newRow("clock, width decides") << QSizeF(1000, 900) << clock << QSizeF(68, 68);
        QTest::newRow("plaque at 900")
            << QSizeF(1440, 900) << plaque << QSizeF(plaqueAspect * 124.2, 124.2);
        QTest::newRow("plaque at 1029")
            << QSizeF(1440, 1029) << plaque << QSizeF(plaqueAspect * 142, 142);
        QTest::newRow("plaque at 1440")
            << QSizeF(1440, 1440) << plaque << QSizeF(plaqueAspect * 142, 142);
    }
    void frameSizes()
    {
        QFETCH(QSizeF, room);
        QFETCH(int, piece);
        QFETCH(QSizeF, size);
        const QSizeF got = RoomGeometry(room).frame(Furniture(piece)).size;
        QVERIFY2(near(QPointF(got.width(), got.height()), QPointF(size.width(), size.height())),
                 qPrintable(QStringLiteral("%1 x %2").arg(got.width()).arg(got.height())));
    }

    void popoverCentre_data()
    {
        QTest::addColumn<QSizeF>("room");
        QTest::addColumn<int>("index");
        QTest::addColumn<qreal>("y");
        // by - bh/2 + f bh - 35, f = 0.488 for the upper shelf, 0.922 for any below.
        QTest::newRow("upper shelf") << QSizeF(1440, 900) << 0 << 295.3612;
        QTest::newRow("negative index") << QSizeF(1440, 900) << -1 << 295.3612;
        QTest::newRow("lower shelf") << QSizeF(1440, 900) << 1 << 407.0728;
        QTest::newRow("short room: upper bound wins") << QSizeF(1440, 250) << 0 << 110.0;
    }
    void popoverCentre()
    {
        QFETCH(QSizeF, room);
        QFETCH(int, index);
        QFETCH(qreal, y);
        const QPointF c = RoomGeometry(room).shelfPopoverCentre(index);
        QVERIFY2(std::abs(c.y() - y) < 1e-6, qPrintable(QString::number(c.y(), 'f', 6)));
        QCOMPARE(c.x(), 0.208 * room.width() + 143.5);
    }

    void cardCentres_data()
    {
        using V = ActiveDesktopQuickView;
        QTest::addColumn<QSizeF>("room");
        QTest::addColumn<ActiveDesktopQuickView>("card");
        QTest::addColumn<QPointF>("centre");
        const QSizeF design(1440, 900);
        // Desk top at 1440 x 900: 585 - 0.335 * 1440 * 0.4972972972972973 / 2.
        const qreal Y = 585 - 0.335 * 1440 * 0.4972972972972973 / 2;
        QTest::newRow("photo") << design << V::photo(3) << QPointF(1057, 288);
        QTest::newRow("carpet item")
            << design << V::carpetItem(QUrl(QStringLiteral("file:///a"))) << QPointF(717.12, 657);
        QTest::newRow("clock") << design << V::clock() << QPointF(241.632, 260.5);
        QTest::newRow("calendar") << design << V::calendar() << QPointF(861.168, 298.62);
        QTest::newRow("monitor") << design << V::monitor() << QPointF(717.12, Y - 110);
        QTest::newRow("mail") << design << V::mail() << QPointF(673.92, Y - 95);
        QTest::newRow("whatsapp") << design << V::whatsapp() << QPointF(673.92, Y - 95);
        QTest::newRow("trash") << design << V::trash() << QPointF(1019.52, 546.5);
        QTest::newRow("guitar") << design << V::guitar() << QPointF(1125, 576);
        QTest::newRow("acoustic guitar") << design << V::acousticGuitar() << QPointF(267.48, 576);
        QTest::newRow("quennet plaque") << design << V::quennetPlaque() << QPointF(590.4, Y - 120);
        QTest::newRow("tolvane plaque") << design << V::tolvanePlaque() << QPointF(846.72, Y - 120);
        // 200 x 200: W - 140 = 60 lies below the lower bound 140, and the upper bound wins.
        const QSizeF small(200, 200);
        QTest::newRow("small: photo x") << small << V::photo(0) << QPointF(60, 64);
        QTest::newRow("small: clock both") << small << V::clock() << QPointF(60, 60);
        QTest::newRow("small: calendar has no upper x")
            << small << V::calendar() << QPointF(140, 60);
        QTest::newRow("small: monitor lower y") << small << V::monitor() << QPointF(99.6, 150);
    }
    void cardCentres()
    {
        QFETCH(QSizeF, room);
        QFETCH(ActiveDesktopQuickView, card);
        QFETCH(QPointF, centre);
        const QPointF c = RoomGeometry(room).quickViewCentre(card);
        QVERIFY2(near(c, centre), qPrintable(QStringLiteral("%1, %2").arg(c.x()).arg(c.y())));
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
            using V = ActiveDesktopQuickView;
            for (const V& card : {V::photo(0), V::carpetItem(QUrl()), V::clock(), V::calendar(),
                                  V::monitor(), V::mail(), V::whatsapp(), V::trash(), V::guitar(),
                                  V::acousticGuitar(), V::quennetPlaque(), V::tolvanePlaque()})
                QVERIFY(finite(g.quickViewCentre(card)));
            QVERIFY(finite(g.normalisedFloorPoint(QPointF(10, 10))));
            QVERIFY(finite(g.shelfPopoverCentre(0)));
            QVERIFY(finite(g.drawerCentre()));
            QVERIFY(finite(g.miniPlayerCentre()));
            // The grown photo wall of an empty room is 60 x 60 round (-30, -30).
            QCOMPARE(RoomGeometry::photoSlotIndex(QPointF(3, 3), g.photoWallTarget()), 3);
        }
    }

    void dropTargets_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("shelf");
        QTest::addColumn<bool>("trash");
        const RoomGeometry g(QSizeF(1440, 900));
        const QPointF shelfLeftEdge(g.shelfRect().left(), g.shelfCentre().y());
        const QPointF trash = g.trashCentre();
        QTest::newRow("25 left of the shelf") << shelfLeftEdge - QPointF(25, 0) << true << false;
        QTest::newRow("35 left of the shelf") << shelfLeftEdge - QPointF(35, 0) << false << false;
        QTest::newRow("right edge of the target is outside")
            << QPointF(g.shelfTarget().right(), g.shelfCentre().y()) << false << false;
        QTest::newRow("trash at 84.9") << trash + QPointF(84.9, 0) << false << true;
        QTest::newRow("trash at exactly 85") << trash + QPointF(0, 85) << false << false;
    }
    void dropTargets()
    {
        QFETCH(QPointF, point);
        QFETCH(bool, shelf);
        QFETCH(bool, trash);
        const RoomGeometry g(QSizeF(1440, 900));
        QCOMPARE(g.isOnShelfTarget(point), shelf);
        QCOMPARE(g.isOnTrashTarget(point), trash);
    }

    void photoSlot_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<int>("slot");
        const QRectF r(100, 100, 200, 300);
        QTest::newRow("top left") << QPointF(110, 110) << r << 0;
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
