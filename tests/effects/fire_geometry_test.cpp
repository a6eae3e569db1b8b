#include "room/effects/fire_geometry.h"
#include "support/test_registry.h"

#include <QTest>

using namespace FireGeometry;

class FireGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void flamesAndSparksPerWidth_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("spacing");
        QTest::addColumn<int>("flames");
        QTest::addColumn<int>("sparks");

        QTest::newRow("97.3 wide: a whole quotient is not rounded up") << 97.3 << 19.46 << 5 << 3;
        QTest::newRow("10 wide: never fewer than two") << 10.0 << 16.0 << 2 << 3;
        QTest::newRow("1000 wide: five sparks at most") << 1000.0 << 26.0 << 39 << 5;
    }
    void flamesAndSparksPerWidth()
    {
        QFETCH(double, width);
        QFETCH(double, spacing);
        QFETCH(int, flames);
        QFETCH(int, sparks);
        QCOMPARE(flameRow(width).spacing, spacing);
        const QSizeF size(width, 80);
        for (Edge edge : {Edge::Base, Edge::Top})
            QCOMPARE(flameLayer(edge, size, 30, 1234.5).flames.size(), flames);
        QCOMPARE(FireGeometry::sparks(size, 30, 1234.5).size(), sparks);
    }

    void flamesStandAlongTheirEdges()
    {
        // Base flames rise by up to F, top flames by up to 0.82 F, out of step.
        const double f = 30;
        for (double t : {0.0, 0.37, 812345678.9}) {
            const FlameLayer base = flameLayer(Edge::Base, QSizeF(100, 60), f, t);
            const FlameLayer top = flameLayer(Edge::Top, QSizeF(100, 60), f, t);
            for (int i = 0; i < 5; ++i) {
                QVERIFY(base.flames[i].height >= 0.4 * f - 1e-9 &&
                        base.flames[i].height <= f + 1e-9);
                QVERIFY(top.flames[i].height <= 0.82 * f + 1e-9);
            }
            QVERIFY(base.flames[0].height / f != top.flames[0].height / (0.82 * f));
        }
        // Neighbours overlap (1.1 spacing wide); the overlap near the feet is filled.
        QVERIFY(flameLayer(Edge::Base, QSizeF(100, 60), f, 0).outer.contains(QPointF(20, 60.5)));
        QVERIFY(atmosphereFlames(QSizeF(1440, 900), 0).contains(QPointF(18, 899.5)));
    }

    void everythingDrawnLiesInsideThePaintBounds_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<double>("flameHeight");
        QTest::newRow("sandals") << QSizeF(70, 70) << 22.0;
        QTest::newRow("bookshelf") << QSizeF(351.9, 257.4) << 40.0;
        QTest::newRow("rug") << QSizeF(634, 156) << 38.0;
        QTest::newRow("narrow") << QSizeF(5, 300) << 30.0;
    }
    void everythingDrawnLiesInsideThePaintBounds()
    {
        // Whatever a frame draws outside the area it repaints would never be wiped again.
        QFETCH(QSizeF, size);
        QFETCH(double, flameHeight);
        const QRectF bounds = paintBounds(size, flameHeight);
        QVERIFY(bounds.contains(glowRect(size)));
        for (int step = 0; step < 400; ++step) {
            const double t = 800000000.0 + step * 0.0137;
            for (Edge edge : {Edge::Base, Edge::Top}) {
                const FlameLayer layer = flameLayer(edge, size, flameHeight, t);
                const QRectF band = flameBand(edge, size, flameHeight);
                QVERIFY(bounds.contains(band));
                QVERIFY(band.contains(layer.outer.boundingRect()));
                QVERIFY(band.contains(layer.inner.boundingRect()));
            }
            for (const QRectF& spark : FireGeometry::sparks(size, flameHeight, t))
                QVERIFY2(bounds.contains(spark), qPrintable(QString::number(t)));
        }
    }

    void sparksRiseFromTheBottomToAboveTheFlames()
    {
        const double height = 30;
        double lowest = -1e9;
        double highest = 1e9;
        for (int step = 0; step < 2000; ++step) {
            for (const QRectF& spark :
                 FireGeometry::sparks(QSizeF(100, 60), height, step * 0.005)) {
                lowest = std::max(lowest, spark.top());
                highest = std::min(highest, spark.top());
            }
        }
        QVERIFY(lowest > 60 - 1.3 - 1 && lowest <= 60 - 1.3);
        QVERIFY(highest < -(height + 15) - 1.3 + 1 && highest >= -(height + 15) - 1.3);
    }

    void atmosphereFlamesPerRoomWidth_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<int>("flames");
        QTest::newRow("1440: 0 to 40") << 1440.0 << 41;
        QTest::newRow("36") << 36.0 << 2;
    }
    void atmosphereFlamesPerRoomWidth()
    {
        QFETCH(double, width);
        QFETCH(int, flames);
        const QSizeF room(width, 900);
        const QPainterPath path = atmosphereFlames(room, 5.5);
        QCOMPARE(path.toSubpathPolygons().size(), flames);
        // The flames stand on the floor and stay inside their band.
        QCOMPARE(path.boundingRect().bottom(), 900.0);
        QVERIFY(path.boundingRect().top() >= atmosphereFlameBand(room).top());
    }
};

PONDSILL_TEST(FireGeometryTest)
#include "fire_geometry_test.moc"
