#include "room/effects/carpet_geometry.h"
#include "room/effects/rug_ornaments.h"
#include "support/test_registry.h"

#include <QTest>

using namespace CarpetGeometry;

class CarpetGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bumpsForCoveredFiles_data()
    {
        QTest::addColumn<int>("covered");
        QTest::addColumn<bool>("lifted");
        QTest::addColumn<int>("bumps");
        QTest::newRow("nothing covered") << 0 << false << 0;
        QTest::newRow("two files") << 2 << false << 2;
        QTest::newRow("ten files still three bumps") << 10 << false << 3;
        QTest::newRow("lifted with three files") << 3 << true << 0;
    }
    void bumpsForCoveredFiles()
    {
        QFETCH(int, covered);
        QFETCH(bool, lifted);
        QFETCH(int, bumps);
        const QList<QPointF> places = {{-80, -6}, {15, 8}, {95, -4}};
        QCOMPARE(lumpCentres(covered, lifted), places.mid(0, bumps));
    }

    void foldsRestTiltedAndRippleWhileDragged()
    {
        // At rest the folds keep still wherever the rug was dragged to; dragged, they ripple.
        QCOMPARE(folds(rugSize, false, 35)[1].shift, 0.0);
        const QList<Fold> a = folds(rugSize, true, 40);
        const QList<Fold> b = folds(rugSize, true, 80);
        for (int i = 0; i < a.size(); ++i)
            QVERIFY(a[i].shift != b[i].shift);
        QVERIFY(a[0].shift != a[1].shift); // neighbours out of step
        // A fold turns about its own centre, so it does not wander off at rest.
        const Fold fold = folds(rugSize, false, 0)[2];
        const QPointF centre = fold.shade.united(fold.light).center();
        const QPointF turned = fold.transform().map(centre);
        QVERIFY(std::abs(turned.x() - centre.x()) < 1e-9 &&
                std::abs(turned.y() - centre.y()) < 1e-9);
    }

    void starsLeaveTheMiddleToTheMedallion()
    {
        // Stars in a row 490 wide, none within the medallion.
        const QList<QPointF> stars = RugLayout::fieldStars();
        QVERIFY(!stars.isEmpty());
        for (const QPointF& star : stars) {
            QCOMPARE(star.y(), 0.0);
            QVERIFY(std::abs(star.x()) > ArabicCentralMedallion::size.width() / 2);
            QVERIFY(std::abs(star.x()) + ArabicFieldStar::size.width() / 2 <= 245.0);
        }
    }
};

PONDSILL_TEST(CarpetGeometryTest)
#include "carpet_geometry_test.moc"
