#include "kit/perspective.h"
#include "support/test_registry.h"

#include <QTest>

class PerspectiveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tiltLeansTheTopAway()
    {
        const QRectF rug(0, 0, 600, 100);
        const QTransform t = tiltedAboutX(50, rug.center(), perspectiveDistance(600, 100, 0.55));
        const QPolygonF drawn = t.map(QPolygonF(rug));
        QVERIFY(drawn[1].x() - drawn[0].x() < 600); // the top edge is narrower
        QVERIFY(drawn[2].x() - drawn[3].x() > 600); // the bottom edge is wider
        QVERIFY(drawn[2].y() - drawn[1].y() < 100); // foreshortened
        QCOMPARE(t.map(rug.center()), rug.center());
        // No turn, or no distance, changes nothing.
        QVERIFY(tiltedAboutX(0, QPointF(40, 50), 600).isIdentity());
        QCOMPARE(tiltedAboutX(30, QPointF(0, 0), 0).map(QPointF(10, 10)).x(), 10.0);
    }
};

PONDSILL_TEST(PerspectiveTest)
#include "perspective_test.moc"
