#include "room/effects/fire_geometry.h"
#include "support/test_registry.h"

#include <QTest>

using namespace FireGeometry;

class FireGeometryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

PONDSILL_TEST(FireGeometryTest)
#include "fire_geometry_test.moc"
