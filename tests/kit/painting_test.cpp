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
        QTest::newRow("picker") << QRectF(0, 0, 320, 400) << 12.0;
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
        QVERIFY2(std::abs(bounds.left() - rect.left()) < 1e-3 &&
                     std::abs(bounds.right() - rect.right()) < 1e-3 &&
                     std::abs(bounds.top() - rect.top()) < 1e-3 &&
                     std::abs(bounds.bottom() - rect.bottom()) < 1e-3,
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(bounds.left())
                                .arg(bounds.top())
                                .arg(bounds.right())
                                .arg(bounds.bottom())));
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

    void continuousCornerStartsFurtherAlongTheSide()
    {
        // Where a circular corner of radius 10 has already reached the top side, the
        // continuous one is still curving away from it.
        const QRectF r(0, 0, 200, 100);
        const QPointF probe(10, 0.05);
        QPainterPath circular;
        circular.addRoundedRect(r, 10, 10);
        QVERIFY(circular.contains(probe));
        QVERIFY(!Painting::continuousRoundedRect(r, 10).contains(probe));
        QVERIFY(Painting::continuousRoundedRect(r, 10).contains(QPointF(16.5, 0.01)));
    }

    void capsuleEnds()
    {
        const QPainterPath p = Painting::capsule(QRectF(0, 0, 100, 20));
        QVERIFY(p.contains(QPointF(10, 10)));
        QVERIFY(!p.contains(QPointF(1, 1)));
        QVERIFY(Painting::capsule(QRectF()).isEmpty());
    }

    void gradientsSpreadTheirColours()
    {
        const QLinearGradient g =
            Painting::linearGradient(QPointF(0, 0), QPointF(0, 10), {Qt::red, Qt::green, Qt::blue});
        QCOMPARE(g.stops().size(), 3);
        QCOMPARE(g.stops().at(1).first, 0.5);
        const QRadialGradient r =
            Painting::radialGradient(QPointF(0, 0), 70, 700, {Qt::red, Qt::blue});
        QCOMPARE(r.stops().first().first, 0.1); // starts at the start radius
        QCOMPARE(r.stops().last().first, 1.0);
    }

    void srgbColours()
    {
        const QColor brown = Colors::srgb(0.32, 0.2, 0.12, 0.95);
        QCOMPARE(brown.red(), 82);
        QCOMPARE(brown.green(), 51);
        QCOMPARE(brown.alphaF(), 0.95f);
        QVERIFY(std::abs(Colors::withOpacity(Colors::black(0.5), 0.5).alphaF() - 0.25f) < 1e-3);
    }

    void shadowIsBlurredOncePerShapeAndStyle()
    {
        QPainterPath shape;
        shape.addRect(QRectF(0, 0, 40, 40));
        const ShadowStyle style{Colors::black(0.5), 8, QPointF(0, 4)};
        ShapeShadow shadow;
        QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        shadow.paint(p, shape, style);
        shadow.paint(p, shape, ShadowStyle{Colors::black(0.5), 8, QPointF(0, 9)});
        QCOMPARE(shadow.renderCount(), 1); // a new offset only moves the image
        shadow.paint(p, shape, ShadowStyle{Colors::black(0.5), 4, QPointF(0, 4)});
        QCOMPARE(shadow.renderCount(), 2);
        p.scale(2, 2);
        shadow.paint(p, shape, ShadowStyle{Colors::black(0.5), 4, QPointF(0, 4)});
        QCOMPARE(shadow.renderCount(), 3); // sharp at the new scale
        p.end();
        // Darkest under the shape, offset downwards.
        QVERIFY(qGray(canvas.pixel(20, 40)) < qGray(canvas.pixel(20, 2)));
    }
};

PONDSILL_TEST(PaintingTest)
#include "painting_test.moc"
