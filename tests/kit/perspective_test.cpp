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
        const qreal top = drawn[1].x() - drawn[0].x();
        const qreal bottom = drawn[2].x() - drawn[3].x();
        QVERIFY(top < 600 && bottom > 600);
        QVERIFY(drawn[2].y() - drawn[1].y() < 100); // foreshortened
        QCOMPARE(t.map(rug.center()), rug.center());
        // Turned the other way about the top edge, the bottom leans away.
        const QTransform back =
            tiltedAboutX(-26, QPointF(300, 0), perspectiveDistance(600, 100, 1));
        QCOMPARE(back.map(QPointF(300, 0)), QPointF(300, 0));
        QVERIFY(back.map(QPointF(600, 100)).x() - back.map(QPointF(0, 100)).x() < 600);
    }

    void noTurnChangesNothing()
    {
        QVERIFY(tiltedAboutX(0, QPointF(40, 50), 600).isIdentity());
        QVERIFY(tiltedAboutX(30, QPointF(0, 0), 0).map(QPointF(10, 10)).x() == 10);
    }
};

PONDSILL_TEST(PerspectiveTest)
#include "perspective_test.moc"
