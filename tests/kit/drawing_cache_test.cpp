#include "kit/drawing_cache.h"
#include "support/test_registry.h"

#include <QPainter>
#include <QTest>

#include <algorithm>

class DrawingCacheTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A drawing that scales a little while it moves (a can leaning towards a drag) must not
    // be drawn again on every frame, yet stays sharp when the room is shown enlarged.
    void drawsOncePerLookAndSharpness_data()
    {
        QTest::addColumn<QList<qreal>>("scales");
        QTest::addColumn<int>("renders");
        QTest::newRow("still") << QList<qreal>{1, 1, 1} << 1;
        QTest::newRow("a slight grow and back") << QList<qreal>{1, 1.01, 1.02, 1.04, 1.02, 1} << 2;
        QTest::newRow("shown twice as large") << QList<qreal>{1, 2, 2} << 2;
        QTest::newRow("shrunk: never below the device's ratio") << QList<qreal>{0.5, 0.8, 1} << 1;
    }
    void drawsOncePerLookAndSharpness()
    {
        QFETCH(QList<qreal>, scales);
        QFETCH(int, renders);
        DrawingCache cache;
        QImage target(200, 200, QImage::Format_ARGB32_Premultiplied);
        QSize drawnSize;
        for (qreal scale : scales) {
            QPainter painter(&target);
            painter.scale(scale, scale);
            cache.paint(painter, QRectF(0, 0, 50, 40), 0, [&](QPainter& p) {
                drawnSize = QSize(p.device()->width(), p.device()->height());
                p.fillRect(QRectF(0, 0, 50, 40), Qt::red);
            });
        }
        QCOMPARE(cache.renderCount(), renders);
        // The last pixmap drawn has the pixels of the largest scale it was made for.
        const qreal largest = std::max(1.0, *std::max_element(scales.begin(), scales.end()));
        QVERIFY(drawnSize.width() >= 50 * largest - 1);
    }

    void aNewSizeDrawsAgain()
    {
        DrawingCache cache;
        QImage target(200, 200, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&target);
        int draws = 0;
        const auto draw = [&draws](QPainter&) { ++draws; };
        cache.paint(painter, QRectF(0, 0, 50, 40), 0, draw);
        cache.paint(painter, QRectF(0, 0, 50, 40), 1, draw);
        cache.paint(painter, QRectF(0, 0, 50, 40), 0, draw);
        QCOMPARE(draws, 2);
        cache.paint(painter, QRectF(0, 0, 60, 40), 0, draw);
        QCOMPARE(draws, 3);
    }
};

PONDSILL_TEST(DrawingCacheTest)
#include "drawing_cache_test.moc"
