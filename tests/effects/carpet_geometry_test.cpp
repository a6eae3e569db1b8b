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

    void fringesSwingWithTheDrag_data()
    {
        QTest::addColumn<bool>("leading");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("swing");
        QTest::newRow("far right, leading") << true << true << 900.0 << -5.0;
        QTest::newRow("far left, trailing") << false << true << -500.0 << -5.0;
        QTest::newRow("half way, leading") << true << true << 120.0 << -2.5;
        QTest::newRow("not dragging") << true << false << 300.0 << 0.0;
    }
    void fringesSwingWithTheDrag()
    {
        QFETCH(bool, leading);
        QFETCH(bool, dragging);
        QFETCH(double, dx);
        QFETCH(double, swing);
        QCOMPARE(fringeSwing(leading, dragging, dx) + 0.0, swing);
    }

    void foldsRestTiltedAndRippleWhileDragged()
    {
        for (double dx : {0.0, 35.0, -300.0}) {
            const QList<Fold> resting = folds(rugSize, false, dx);
            QCOMPARE(resting.size(), 6);
            for (int i = 0; i < resting.size(); ++i) {
                QCOMPARE(resting[i].tilt, i % 2 == 0 ? 0.6 : -0.6);
                QCOMPARE(resting[i].shift, 0.0);
            }
        }
        const QList<Fold> a = folds(rugSize, true, 40);
        const QList<Fold> b = folds(rugSize, true, 80);
        for (int i = 0; i < a.size(); ++i) {
            QCOMPARE(a[i].tilt, i % 2 == 0 ? 2.0 : -2.0);
            QVERIFY(std::abs(a[i].shift) <= 8);
            QVERIFY(a[i].shift != b[i].shift);
        }
        QVERIFY(a[0].shift != a[1].shift); // neighbours out of step
        // A fold turns about its own centre, so it does not wander off at rest.
        const Fold fold = folds(rugSize, false, 0)[2];
        const QPointF centre = fold.shade.united(fold.light).center();
        const QPointF turned = fold.transform().map(centre);
        QVERIFY(std::abs(turned.x() - centre.x()) < 1e-9 &&
                std::abs(turned.y() - centre.y()) < 1e-9);
    }

    void dragShadeSide_data()
    {
        QTest::addColumn<double>("dx");
        QTest::addColumn<bool>("darkOnLeft");
        QTest::addColumn<double>("centreX");
        QTest::newRow("not moved yet: leading side") << 0.0 << true << 0.12;
        QTest::newRow("to the right") << 50.0 << true << 0.12;
        QTest::newRow("to the left") << -0.5 << false << 0.88;
    }
    void dragShadeSide()
    {
        QFETCH(double, dx);
        QFETCH(bool, darkOnLeft);
        QFETCH(double, centreX);
        const auto shade = dragShade(rugSize, true, dx);
        QVERIFY(shade.has_value());
        QCOMPARE(shade->darkOnLeft, darkOnLeft);
        QVERIFY(qFuzzyCompare(shade->rect.center().x(), centreX * rugSize.width()));
        QVERIFY(!dragShade(rugSize, false, dx).has_value());
    }

    void starsLeaveTheMiddleToTheMedallion()
    {
        // Eight stars in a row 490 wide, none within the medallion.
        const QList<QPointF> stars = RugLayout::fieldStars();
        QCOMPARE(stars.size(), 8);
        for (const QPointF& star : stars) {
            QCOMPARE(star.y(), 0.0);
            QVERIFY(std::abs(star.x()) > ArabicCentralMedallion::size.width() / 2);
            QVERIFY(std::abs(star.x()) + ArabicFieldStar::size.width() / 2 <= 245.0);
        }
    }
};

PONDSILL_TEST(CarpetGeometryTest)
#include "carpet_geometry_test.moc"
