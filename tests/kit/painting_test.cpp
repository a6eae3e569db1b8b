#include "kit/colors.h"
#include "kit/painting.h"
#include "support/test_registry.h"

#include <QPainter>
#include <QTest>

#include <cmath>

class PaintingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void continuousCornersStayInsideAndReachEverySide_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<qreal>("radius");
        QTest::newRow("card") << QRectF(10, 20, 260, 240) << 10.0;
        QTest::newRow("radius beyond half the side") << QRectF(0, 0, 40, 20) << 30.0;
        QTest::newRow("exactly half: a capsule") << QRectF(0, 0, 80, 20) << 10.0;
        QTest::newRow("tiny") << QRectF(0, 0, 2, 2) << 6.0;
    }
    void continuousCornersStayInsideAndReachEverySide()
    {
        QFETCH(QRectF, rect);
        QFETCH(qreal, radius);
        const QPainterPath path = Painting::continuousRoundedRect(rect, radius);
        const QRectF bounds = path.boundingRect();
        for (const QPointF& corner :
             {bounds.topLeft() - rect.topLeft(), bounds.bottomRight() - rect.bottomRight()})
            QVERIFY(std::abs(corner.x()) < 1e-3 && std::abs(corner.y()) < 1e-3);
        QVERIFY(path.contains(rect.center()));
        QVERIFY(!path.contains(rect.topLeft() + QPointF(0.2, 0.2)));
        // One closed outline without jumps between the curves and the arcs.
        const QPolygonF outline = path.toFillPolygon();
        for (int i = 1; i < outline.size(); ++i) {
            const QPointF step = outline[i] - outline[i - 1];
            QVERIFY(std::hypot(step.x(), step.y()) <= std::max(rect.width(), rect.height()));
            QVERIFY(std::isfinite(outline[i].x()) && std::isfinite(outline[i].y()));
        }
    }

    void picturesFillTheirPlaceKeepingProportions_data()
    {
        QTest::addColumn<QSizeF>("source");
        QTest::addColumn<QRectF>("target");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("wide picture overhangs left and right")
            << QSizeF(400, 100) << QRectF(10, 10, 200, 100) << QRectF(-90, 10, 400, 100);
        QTest::newRow("tall picture overhangs top and bottom")
            << QSizeF(100, 400) << QRectF(0, 0, 200, 100) << QRectF(0, -350, 200, 800);
        QTest::newRow("same proportions, enlarged")
            << QSizeF(16, 9) << QRectF(0, 0, 1440, 810) << QRectF(0, 0, 1440, 810);
    }
    void picturesFillTheirPlaceKeepingProportions()
    {
        QFETCH(QSizeF, source);
        QFETCH(QRectF, target);
        QFETCH(QRectF, expected);
        const QRectF drawn = Painting::aspectFillRect(source, target);
        QCOMPARE(drawn, expected);
        QVERIFY(drawn.contains(target));
    }

    void shadowIsBlurredOncePerShapeAndStyle()
    {
        QPainterPath shape;
        shape.addRect(QRectF(0, 0, 40, 40));
        const QColor black = Colors::black(0.5);
        ShapeShadow shadow;
        QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        shadow.paint(p, shape, ShadowStyle{black, 8, QPointF(0, 4)});
        shadow.paint(p, shape, ShadowStyle{black, 8, QPointF(0, 9)});
        QCOMPARE(shadow.renderCount(), 1); // a new offset only moves the image
        shadow.paint(p, shape, ShadowStyle{black, 4, QPointF(0, 4)});
        QCOMPARE(shadow.renderCount(), 2);
        p.scale(2, 2);
        shadow.paint(p, shape, ShadowStyle{black, 4, QPointF(0, 4)});
        QCOMPARE(shadow.renderCount(), 3); // sharp at the new scale
        p.end();
        // Darkest under the shape, offset downwards.
        QVERIFY(qGray(canvas.pixel(20, 40)) < qGray(canvas.pixel(20, 2)));
    }
};

PONDSILL_TEST(PaintingTest)
#include "painting_test.moc"
