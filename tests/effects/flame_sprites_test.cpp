#include "room/effects/fire_geometry.h"
#include "room/effects/flame_sprites.h"
#include "support/test_registry.h"

#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <cmath>

using namespace FireGeometry;

namespace {
// A piece 300 wide with flames 30 high along its bottom edge, as the fire view draws them.
constexpr double kFlameHeight = 30;
const QSizeF kPiece(300, 80);
const FlameRow kRow = flameRow(kPiece.width());
const FlameLayer kAtRest = flameLayer(Edge::Base, kPiece, kFlameHeight, 0);

QList<FlameSprites::Layer> rowLayers()
{
    FlameSprites::Layer outer;
    outer.shapeAt = [](double phase) {
        return rowFlameOuter(Edge::Base, kRow, kFlameHeight, phase);
    };
    outer.gradientFrom = kAtRest.baseline;
    outer.gradientTo = kAtRest.outerGradientTo;
    outer.stops = {{0, QColor(242, 46, 10, 224)}, {1, QColor(255, 122, 15, 217)}};
    FlameSprites::Layer inner;
    inner.shapeAt = [](double phase) {
        return rowFlameInner(Edge::Base, kRow, kFlameHeight, phase);
    };
    inner.gradientFrom = kAtRest.baseline;
    inner.gradientTo = kAtRest.innerGradientTo;
    inner.stops = {{0, QColor(255, 166, 31)}, {1, QColor(255, 245, 166, 242)}};
    return {outer, inner};
}

QList<double> footX()
{
    QList<double> x;
    for (int i = 0; i < kRow.count; ++i)
        x.append(kRow.centreX(i));
    return x;
}

QImage canvas()
{
    QImage image(700, 500, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void paintSprites(FlameSprites& sprites, QImage& image, const QTransform& transform, double t)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(transform);
    sprites.paint(p, flameBand(Edge::Base, kPiece, kFlameHeight), kAtRest.baseline, footX(),
                  [t](int i) { return rowFlamePhase(Edge::Base, i, t); });
}

// The same row filled as outlines: every layer one path, coloured by its gradient.
QImage paintOutlines(const QTransform& transform, double t)
{
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(transform);
    const FlameLayer layer = flameLayer(Edge::Base, kPiece, kFlameHeight, t);
    const QList<FlameSprites::Layer> layers = rowLayers();
    const QPainterPath paths[] = {layer.outer, layer.inner};
    for (int l = 0; l < 2; ++l) {
        QLinearGradient g(QPointF(0, layers[l].gradientFrom), QPointF(0, layers[l].gradientTo));
        g.setStops(layers[l].stops);
        p.fillPath(paths[l], g);
    }
    return image;
}
} // namespace

class FlameSpritesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void looksLikeTheFilledOutlines_data()
    {
        QTest::addColumn<QTransform>("transform");

        QTest::newRow("on whole pixels") << QTransform::fromTranslate(100, 200);
        QTest::newRow("between pixels") << QTransform::fromTranslate(100.37, 200.61);
        QTest::newRow("at twice the scale") << QTransform::fromTranslate(20.3, 40.45).scale(2, 2);
        QTest::newRow("turned") << QTransform::fromTranslate(150, 150).rotate(12);
        QTest::newRow("in perspective") << QTransform(1, 0, 0, 0.3, 0.8, 0.0012, 120, 150, 1);
    }
    void looksLikeTheFilledOutlines()
    {
        QFETCH(QTransform, transform);

        FlameSprites sprites;
        sprites.setLayers(rowLayers());
        for (double t : {0.0, 0.37, 1.9}) {
            QImage drawn = canvas();
            paintSprites(sprites, drawn, transform, t);
            const QImage filled = paintOutlines(transform, t);
            // Outlines may move by part of a pixel (a flame by up to half a pixel sideways);
            // colours and shapes must not change. A missing layer differs by about 20.
            qint64 difference = 0;
            qint64 covered = 0;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) {
                    const QRgb a = drawn.pixel(x, y);
                    const QRgb b = filled.pixel(x, y);
                    if (qAlpha(a) == 0 && qAlpha(b) == 0)
                        continue;
                    ++covered;
                    difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                  std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
                }
            }
            QVERIFY(covered > 1000);
            const double mean = double(difference) / (4 * covered);
            QVERIFY2(mean < 8,
                     qPrintable(QStringLiteral("t %1: mean difference %2").arg(t).arg(mean)));
        }
    }

    void drawsEachMaskOnce()
    {
        FlameSprites sprites;
        sprites.setLayers(rowLayers());
        QImage image = canvas();
        const QTransform at = QTransform::fromTranslate(100.25, 200.5);
        paintSprites(sprites, image, at, 0.8);
        const int drawn = sprites.maskCount();
        QVERIFY(drawn > 0);
        QVERIFY(drawn <= 2 * kRow.count);
        // The same frame again, and the same phases one flicker later: nothing new to draw.
        paintSprites(sprites, image, at, 0.8);
        paintSprites(sprites, image, at, 0.8 + flickerPeriod / 7);
        QCOMPARE(sprites.maskCount(), drawn);
        // A whole flicker of frames draws no more masks than there are steps.
        for (int frame = 0; frame < 120; ++frame)
            paintSprites(sprites, image, at, frame / 30.0);
        QVERIFY(sprites.maskCount() <= sprites.stepCount(0) + sprites.stepCount(1));
        QVERIFY(sprites.maskCount() > drawn);
    }
};

PONDSILL_TEST(FlameSpritesTest)
#include "flame_sprites_test.moc"
