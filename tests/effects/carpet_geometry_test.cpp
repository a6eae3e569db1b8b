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
        QTest::newRow("one file") << 1 << false << 1;
        QTest::newRow("two files") << 2 << false << 2;
        QTest::newRow("three files") << 3 << false << 3;
        QTest::newRow("ten files still three bumps") << 10 << false << 3;
        QTest::newRow("lifted with three files") << 3 << true << 0;
        QTest::newRow("lifted with nothing") << 0 << true << 0;
    }
    void bumpsForCoveredFiles()
    {
        QFETCH(int, covered);
        QFETCH(bool, lifted);
        QFETCH(int, bumps);
        const QList<QPointF> centres = lumpCentres(covered, lifted);
        QCOMPARE(centres.size(), bumps);
        const QList<QPointF> places = {{-80, -6}, {15, 8}, {95, -4}};
        for (int i = 0; i < centres.size(); ++i)
            QCOMPARE(centres[i], places[i]);
    }

    void fringesSwingWithTheDrag_data()
    {
        QTest::addColumn<bool>("leading");
        QTest::addColumn<bool>("dragging");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("swing");
        QTest::newRow("240 right, leading") << true << true << 240.0 << -5.0;
        QTest::newRow("240 right, trailing") << false << true << 240.0 << 5.0;
        QTest::newRow("far right, leading") << true << true << 900.0 << -5.0;
        QTest::newRow("far right, trailing") << false << true << 900.0 << 5.0;
        QTest::newRow("240 left, leading") << true << true << -240.0 << 5.0;
        QTest::newRow("far left, trailing") << false << true << -500.0 << -5.0;
        QTest::newRow("half way, leading") << true << true << 120.0 << -2.5;
        QTest::newRow("not moved yet") << false << true << 0.0 << 0.0;
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

    void fringeCordLiesAgainstTheRug_data()
    {
        QTest::addColumn<bool>("leading");
        QTest::newRow("leading") << true;
        QTest::newRow("trailing") << false;
    }
    void fringeCordLiesAgainstTheRug()
    {
        QFETCH(bool, leading);
        const FringeLayout layout = fringeLayout(leading);
        const QRectF frame(QPointF(0, 0), fringeSize);
        QVERIFY(frame.contains(layout.cord));
        QVERIFY(frame.contains(layout.threads));
        QCOMPARE(layout.cord.height(), 148.0);
        // The rug lies right of the leading fringe and left of the trailing one; the cord is
        // on that side of the threads, and the threads swing about their edge at the cord.
        if (leading) {
            QVERIFY(layout.cord.left() >= layout.threads.right() - 1e-9);
            QCOMPARE(layout.swingAnchor.x(), layout.threads.right());
        } else {
            QVERIFY(layout.cord.right() <= layout.threads.left() + 1e-9);
            QCOMPARE(layout.swingAnchor.x(), layout.threads.left());
        }
        QCOMPARE(layout.swingAnchor.y(), 74.0);

        QCOMPARE(layout.thread.size(), 42);
        for (int i = 0; i < layout.thread.size(); ++i) {
            const QRectF& t = layout.thread[i];
            QVERIFY(layout.threads.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(t));
            QCOMPARE(t.height(), 1.4);
            QCOMPARE(t.width(), i % 3 == 0 ? 9.5 : 8.0);
            QCOMPARE(t.center().x(), layout.threads.center().x());
            if (i > 0)
                QVERIFY(qFuzzyCompare(t.top() - layout.thread[i - 1].bottom(), 2.1));
        }
        // The column is centred on the cord.
        QVERIFY(qFuzzyCompare(layout.threads.center().y(), 74.0));
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
    }

    void foldsSpreadEvenlyOverTheRug_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("the carpet") << rugSize;
        QTest::newRow("a smaller rug") << QSizeF(300, 80);
    }
    void foldsSpreadEvenlyOverTheRug()
    {
        QFETCH(QSizeF, size);
        const QList<Fold> row = folds(size, false, 0);
        const double w = size.width();
        QVERIFY(qFuzzyCompare(row.first().shade.left(), 0.07 * w));
        QVERIFY(qFuzzyCompare(row.last().light.right(), 0.93 * w));
        const double gap = row[1].shade.left() - row[0].light.right();
        for (int i = 0; i < row.size(); ++i) {
            QVERIFY(qFuzzyCompare(row[i].shade.width(), 0.038 * w));
            QVERIFY(qFuzzyCompare(row[i].light.width(), 0.042 * w));
            QCOMPARE(row[i].shade.right(), row[i].light.left());
            QVERIFY(qFuzzyCompare(row[i].shade.height(), 0.92 * size.height()));
            QVERIFY(qFuzzyCompare(row[i].shade.center().y(), size.height() / 2));
            if (i > 0)
                QVERIFY(qFuzzyCompare(row[i].shade.left() - row[i - 1].light.right(), gap));
        }
        // A fold turns about its own centre: the centre stays put at rest.
        const QPointF centre = row[2].shade.united(row[2].light).center();
        const QPointF moved = row[2].transform().map(centre);
        QVERIFY(std::abs(moved.x() - centre.x()) < 1e-9 && std::abs(moved.y() - centre.y()) < 1e-9);
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
        QVERIFY(qFuzzyCompare(shade->rect.width(), 0.22 * rugSize.width()));
        QCOMPARE(shade->rect.height(), rugSize.height());
        QVERIFY(qFuzzyCompare(shade->opacity, 0.24));
        QVERIFY(!dragShade(rugSize, false, dx).has_value());
    }

    void starRowLeavesTheMiddleToTheMedallion()
    {
        const QList<QPointF> stars = RugLayout::fieldStars();
        QCOMPARE(stars.size(), 8);
        QList<double> xs;
        for (const QPointF& star : stars) {
            QCOMPARE(star.y(), 0.0);
            xs.append(star.x());
        }
        QCOMPARE(xs, (QList<double>{-242, -192, -142, -92, 92, 142, 192, 242}));
        // The row is 490 wide and nothing sits within 45 of the centre.
        QCOMPARE(xs.last() + ArabicFieldStar::size.width() / 2, 245.0);
        for (double x : xs)
            QVERIFY(std::abs(x) > ArabicCentralMedallion::size.width() / 2);
    }

    void cornerPiecesSitInTheInnerFieldsCorners()
    {
        // On the carpet's rug the inner field is 576 x 122 about the centre.
        const QRectF innerField(-288, -61, 576, 122);
        const QList<RugLayout::Placement> corners = RugLayout::corners();
        QCOMPARE(corners.size(), 4);
        const QList<double> turns = {0, 90, 180, 270};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(corners[i].rotation, turns[i]);
            const QSizeF box = ArabicCornerSpandrel::size;
            // A quarter turn swaps the box's sides.
            const QSizeF turned = int(turns[i]) % 180 == 0 ? box : box.transposed();
            const QRectF r(corners[i].centre - QPointF(turned.width() / 2, turned.height() / 2),
                           turned);
            QVERIFY(innerField.contains(r));
        }
        QCOMPARE(corners[0].centre, QPointF(-270, -47));
        QCOMPARE(corners[2].centre, QPointF(270, 47));
    }
};

PONDSILL_TEST(CarpetGeometryTest)
#include "carpet_geometry_test.moc"
