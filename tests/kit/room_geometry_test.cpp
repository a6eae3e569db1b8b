#include "kit/formats.h"
#include "kit/room_geometry.h"
#include "support/test_registry.h"

#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {
bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}
} // namespace

class RoomGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every card and panel opens inside the room, at the design size and at narrower and
    // taller screens; the monitor stands on the desk. An empty or broken size stays finite.
    void panelsOpenInsideTheRoom_data()
    {
        QTest::addColumn<QSizeF>("room");
        QTest::newRow("1440 x 900") << QSizeF(1440, 900);
        QTest::newRow("1000 x 900") << QSizeF(1000, 900);
        QTest::newRow("1440 x 1440") << QSizeF(1440, 1440);
        QTest::newRow("empty") << QSizeF(0, 0);
        QTest::newRow("negative") << QSizeF(-5, -5);
        QTest::newRow("not a number") << QSizeF(qQNaN(), 10);
    }
    void panelsOpenInsideTheRoom()
    {
        QFETCH(QSizeF, room);
        const RoomGeometry g(room);
        const bool usable = room.width() > 0;
        const QRectF inside(QPointF(0, 0), room);
        using V = ActiveDesktopQuickView;
        QList<QPointF> centres{g.drawerCentre(), g.miniPlayerCentre()};
        for (const V& card :
             {V::photo(3), V::carpetItem(QUrl(u"file:///a"_s)), V::clock(), V::calendar(),
              V::monitor(), V::mail(), V::whatsapp(), V::trash(), V::guitar(), V::acousticGuitar(),
              V::quennetPlaque(), V::tolvanePlaque()})
            centres << g.quickViewCentre(card);
        for (int shelf : {-1, 0, 1})
            centres << g.shelfPopoverCentre(shelf);
        for (const QPointF& centre : centres)
            QVERIFY(usable ? inside.contains(centre) : finite(centre));
        for (int i = 0; i < kFurnitureCount; ++i) {
            const RoomFrame f = g.frame(Furniture(i));
            QVERIFY(finite(f.centre) && std::isfinite(f.size.width() + f.size.height()));
        }
        QVERIFY(finite(g.normalisedFloorPoint(QPointF(10, 10))));
        if (usable)
            QVERIFY(g.frame(Furniture::Monitor).rect().bottom() < g.deskTopY());
        else // the grown photo wall of an empty room is 60 x 60 round (-30, -30)
            QCOMPARE(RoomGeometry::photoSlotIndex(QPointF(3, 3), g.photoWallTarget()), 3);
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
        QTEST(RoomGeometry::photoSlotIndex(point, rect), "slot");
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
        const QPointF p = RoomGeometry(QSizeF(1440, 900)).normalisedFloorPoint(roomPoint);
        QVERIFY(std::abs(p.x() - normalised.x()) < 1e-6 && std::abs(p.y() - normalised.y()) < 1e-6);
    }

    // Byte counts and ages as the panels write them.
    void texts_data()
    {
        QTest::addColumn<bool>("age");     // else a byte count
        QTest::addColumn<qint64>("value"); // bytes, or seconds ago (negative: in the future)
        QTest::addColumn<QString>("text");
        const qint64 day = 86400;
        QTest::newRow("below a kilobyte") << false << qint64(999) << u"999 byte"_s;
        QTest::newRow("kilobytes are whole") << false << qint64(1499) << u"1 KB"_s;
        QTest::newRow("rounding up into megabytes") << false << qint64(999'600) << u"1 MB"_s;
        QTest::newRow("a megabyte and a half") << false << qint64(1'500'000) << u"1,5 MB"_s;
        QTest::newRow("terabytes") << false << qint64(4'260'000'000'000) << u"4,3 TB"_s;
        QTest::newRow("negative bytes") << false << qint64(-5) << u"0 byte"_s;
        QTest::newRow("now") << true << qint64(0) << u"0 dtk lalu"_s;
        QTest::newRow("59 seconds") << true << qint64(59) << u"59 dtk lalu"_s;
        QTest::newRow("a minute") << true << qint64(60) << u"1 mnt lalu"_s;
        QTest::newRow("a week") << true << 7 * day << u"1 mgg lalu"_s;
        QTest::newRow("29 days") << true << 29 * day << u"4 mgg lalu"_s;
        QTest::newRow("a year") << true << 365 * day << u"1 thn lalu"_s;
        QTest::newRow("in 3 minutes") << true << qint64(-3 * 60) << u"dalam 3 mnt"_s;
    }
    void texts()
    {
        QFETCH(bool, age);
        QFETCH(qint64, value);
        const QDateTime now(QDate(2026, 3, 1), QTime(12, 0));
        QTEST(age ? Formats::relativeTime(now.addSecs(-value), now) : Formats::byteCount(value),
              "text");
    }
};

PONDSILL_TEST(RoomGeometryTest)
#include "room_geometry_test.moc"
