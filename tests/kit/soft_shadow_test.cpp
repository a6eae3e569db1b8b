#include "kit/soft_shadow.h"
#include "support/test_registry.h"

#include <QTest>

class SoftShadowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blursWithinItsSpread_data()
    {
        QTest::addColumn<qreal>("radius");
        QTest::addColumn<qreal>("dpr");
        QTest::newRow("radius 0") << 0.0 << 1.0;
        QTest::newRow("radius 3 at 2x") << 3.0 << 2.0;
        QTest::newRow("radius 8") << 8.0 << 1.0;
        QTest::newRow("radius 18") << 18.0 << 1.0;
    }
    void blursWithinItsSpread()
    {
        QFETCH(qreal, radius);
        QFETCH(qreal, dpr);
        QPainterPath square;
        square.addRect(10, 20, 30, 30);
        QPointF topLeft;
        const QImage shadow = SoftShadow::ofPath(square, radius, Qt::black, dpr, &topLeft);

        const int spread = SoftShadow::spread(radius);
        QCOMPARE(shadow.devicePixelRatio(), dpr);
        QCOMPARE(topLeft, QPointF(10 - spread, 20 - spread));
        QCOMPARE(shadow.size(), (QSizeF(30 + 2 * spread, 30 + 2 * spread) * dpr).toSize());

        // A blur moves alpha about but neither makes nor loses it, and none of it is cut
        // off at the image's edge.
        double sum = 0;
        int edge = 0;
        for (int y = 0; y < shadow.height(); ++y)
            for (int x = 0; x < shadow.width(); ++x) {
                sum += qAlpha(shadow.pixel(x, y));
                if (x == 0 || y == 0 || x == shadow.width() - 1 || y == shadow.height() - 1)
                    edge = std::max(edge, qAlpha(shadow.pixel(x, y)));
            }
        const double solid = 30 * 30 * dpr * dpr * 255;
        QVERIFY2(std::abs(sum - solid) < 0.02 * solid, qPrintable(QString::number(sum / solid)));
        if (radius > 0)
            QVERIFY(edge <= 3);

        // Symmetric about the square's centre; a blur much smaller than the square leaves
        // its middle solid and softens its edge.
        const QPoint centre(shadow.width() / 2, shadow.height() / 2);
        if (radius <= 8)
            QCOMPARE(qAlpha(shadow.pixel(centre)), 255);
        const int inset = int(spread * dpr);
        const int near = qAlpha(shadow.pixel(inset, centre.y()));
        const int far = qAlpha(shadow.pixel(shadow.width() - 1 - inset, centre.y()));
        QVERIFY(std::abs(near - far) <= 2);
        if (radius >= 2)
            QVERIFY2(near > 60 && near < 200, qPrintable(QString::number(near)));
    }

    void takesTheColoursOpacity()
    {
        QPainterPath square;
        square.addRect(0, 0, 40, 40);
        const QImage shadow =
            SoftShadow::ofPath(square, 4, QColor::fromRgbF(1, 0.35f, 0.05f, 0.5f), 1, nullptr);
        const QColor middle = shadow.pixelColor(shadow.width() / 2, shadow.height() / 2);
        QVERIFY(std::abs(middle.alphaF() - 0.5) < 0.01);
        QVERIFY(std::abs(middle.greenF() - 0.35) < 0.02);
    }
};

PONDSILL_TEST(SoftShadowTest)
#include "soft_shadow_test.moc"
