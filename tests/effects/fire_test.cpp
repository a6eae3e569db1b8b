#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/fire_part.h"
#include "room/effects/flame_sprites.h"
#include "room/effects/room_fire_atmosphere_view.h"
#include "state/app_state.h"
#include "support/test_registry.h"

#include <QGraphicsBlurEffect>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGraphicsItem>
#include <QTest>

#include <array>
#include <cmath>

using namespace FireGeometry;

namespace {
QImage render(QGraphicsScene& scene)
{
    QImage image(scene.sceneRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    scene.render(&p, QRectF(), scene.sceneRect());
    return image;
}

// How much is drawn: the alpha of every pixel, added up.
qint64 coverage(QGraphicsScene& scene)
{
    const QImage image = render(scene);
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qAlpha(image.pixel(x, y));
    return sum;
}

// A piece 300 wide with flames 30 high along its bottom edge, as the fire view draws them.
constexpr double kFlameHeight = 30;
const QSizeF kPiece(300, 80);
const FlameRow kRow = flameRow(kPiece.width());
const FlameLayer kAtRest = flameLayer(Edge::Base, kPiece, kFlameHeight, 0);

QList<FlameSprites::Layer> rowLayers()
{
    const auto layer = [](auto shape, double to, QGradientStops stops) {
        return FlameSprites::Layer{
            [shape](double phase) { return shape(Edge::Base, kRow, kFlameHeight, phase); },
            kAtRest.baseline, to, std::move(stops)};
    };
    return {layer(rowFlameOuter, kAtRest.outerGradientTo,
                  {{0, QColor(242, 46, 10, 224)}, {1, QColor(255, 122, 15, 217)}}),
            layer(rowFlameInner, kAtRest.innerGradientTo,
                  {{0, QColor(255, 166, 31)}, {1, QColor(255, 245, 166, 242)}})};
}

// The row at time t through `transform` as `sprites` draw it, or without them as filled
// outlines: every layer one path, coloured by its gradient.
QImage paintRow(const QTransform& transform, double t, FlameSprites* sprites = nullptr)
{
    QImage image(700, 500, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(transform);
    if (sprites) {
        QList<double> footX;
        for (int i = 0; i < kRow.count; ++i)
            footX.append(kRow.centreX(i));
        sprites->paint(
            p, flameBand(Edge::Base, kPiece, kFlameHeight), kAtRest.baseline, footX,
            [t](int i) { return rowFlamePhase(Edge::Base, i, t); }, t);
        return image;
    }
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

class FireTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void flamesOverlapAndFlickerOutOfStep()
    {
        // Neighbours overlap (1.1 spacing wide) and the overlap near the feet is filled, not
        // a gap; the top row does not flicker in step with the bottom one.
        QVERIFY(flameLayer(Edge::Base, QSizeF(100, 60), 30, 0).outer.contains(QPointF(20, 60.5)));
        QVERIFY(atmosphereFlames(QSizeF(1440, 900), 0).contains(QPointF(18, 899.5)));
        const FlameLayer base = flameLayer(Edge::Base, QSizeF(100, 60), 30, 0.37);
        const FlameLayer top = flameLayer(Edge::Top, QSizeF(100, 60), 30, 0.37);
        QVERIFY(base.flames[0].height / 30 != top.flames[0].height / (0.82 * 30));
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
                QVERIFY(band.contains(layer.outer.boundingRect() | layer.inner.boundingRect()));
            }
            for (const QRectF& spark : FireGeometry::sparks(size, flameHeight, t))
                QVERIFY2(bounds.contains(spark), qPrintable(QString::number(t)));
        }
    }
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
            const QImage drawn = paintRow(transform, t, &sprites);
            const QImage filled = paintRow(transform, t);
            // Outlines may move by part of a pixel (a flame by up to half a pixel sideways);
            // colours and shapes must not change. A missing layer differs by about 20.
            qint64 difference = 0;
            qint64 covered = 0;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x) {
                    const QRgb a = drawn.pixel(x, y);
                    const QRgb b = filled.pixel(x, y);
                    covered += qAlpha(a) || qAlpha(b);
                    for (int shift : {0, 8, 16, 24})
                        difference += std::abs(int((a >> shift) & 255) - int((b >> shift) & 255));
                }
            }
            QVERIFY2(covered > 1000 && difference < 8 * 4 * covered,
                     qPrintable(QString::number(t)));
        }
        // Each flame's outline is filled once per step of its flicker: the same phases one
        // flicker later draw nothing new.
        const int masks = sprites.maskCount();
        QVERIFY(masks > 0 && masks <= 3 * 2 * kRow.count);
        paintRow(transform, 0.37 + flickerPeriod / 7, &sprites);
        QCOMPARE(sprites.maskCount(), masks);
    }

    // Each flame is laid down with exactly the coverage of its own outline, filled where its
    // foot stands: the solid inside of a row as much as its soft edges, and a flame cut by
    // the band's side or bottom keeps the columns and rows that are left of it.
    void eachFlameCoversExactlyWhatItsOutlineDoes_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QList<double>>("footX");
        QTest::addColumn<int>("firstStep");
        QTest::addColumn<double>("cutFromTop");

        QTest::newRow("apart") << 1.0 << QList<double>{40, 90, 140, 190} << 0 << 0.0;
        QTest::newRow("overlapping") << 1.0 << QList<double>{60, 72, 84, 96, 240} << 5 << 0.0;
        QTest::newRow("cut by the band's sides") << 1.0 << QList<double>{-8, 150, 308} << 11 << 0.0;
        QTest::newRow("cut by the band's top") << 1.0 << QList<double>{40, 90, 140} << 2 << 14.0;
        QTest::newRow("two pixels to a point")
            << 2.0 << QList<double>{30, 47, 200, 301} << 3 << 0.0;
        QTest::newRow("rows wider than most") << 4.0 << QList<double>{30, 150} << 9 << 0.0;
    }
    void eachFlameCoversExactlyWhatItsOutlineDoes()
    {
        QFETCH(double, scale);
        QFETCH(QList<double>, footX);
        QFETCH(int, firstStep);
        QFETCH(double, cutFromTop);

        // Opaque white all the way up: a pixel's alpha is the coverage laid there.
        const auto shape = [](double phase) {
            return rowFlameOuter(Edge::Base, kRow, kFlameHeight, phase);
        };
        FlameSprites sprites;
        sprites.setLayers({FlameSprites::Layer{shape, 0, 1, {{0, Qt::white}, {1, Qt::white}}}});
        const QTransform at = QTransform::fromTranslate(100, 200).scale(scale, scale);
        // Lower than the band's bottom by a little, so that the feet are cut too.
        const double baseline = std::floor(kAtRest.baseline) + 3;
        const QRectF band =
            flameBand(Edge::Base, kPiece, kFlameHeight).adjusted(0, cutFromTop, 0, 0);
        const auto paint = [&](const std::function<double(int)>& phaseAt, double moment) {
            QImage image(1000, 600, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setTransform(at);
            sprites.paint(p, band, baseline, footX, phaseAt, moment);
            return image;
        };
        paint([](int) { return 0.0; }, 0);
        const int steps = sprites.stepCount(0);
        QVERIFY(steps >= 16);
        // Phases on the steps the masks are drawn at, a different one for each flame.
        const auto phaseOf = [&](int i) {
            return ((firstStep + 7 * i) % steps) * flickerPeriod / steps;
        };
        const QImage drawn = paint(phaseOf, 1);

        QImage filled(drawn.size(), QImage::Format_ARGB32_Premultiplied);
        filled.fill(Qt::transparent);
        QPainter p(&filled);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipRect(at.mapRect(band).toAlignedRect());
        for (int i = 0; i < footX.size(); ++i) {
            QPainterPath outline;
            addFlame(outline, QPointF(0, 0), shape(phaseOf(i)));
            p.setTransform(QTransform::fromTranslate(at.map(QPointF(footX[i], baseline)).x(),
                                                     at.map(QPointF(footX[i], baseline)).y())
                               .scale(scale, scale));
            p.fillPath(outline, Qt::white);
        }
        p.end();
        qint64 covered = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                covered += qAlpha(drawn.pixel(x, y)) == 255;
        }
        QVERIFY(covered > 200 * scale * scale);
        QCOMPARE(drawn, filled);
    }

    // A repaint of several areas paints a row of flames once for each: the frame composed for
    // a moment is laid down again for the next area, and composed anew for another moment or
    // another place, exactly as one paint of the whole row draws it.
    void aMomentIsComposedOnceWhereverItIsLaidDown_data()
    {
        QTest::addColumn<QTransform>("transform");

        QTest::newRow("on whole pixels") << QTransform::fromTranslate(100, 200);
        QTest::newRow("between pixels") << QTransform::fromTranslate(100.37, 200.61);
        QTest::newRow("in perspective") << QTransform(1, 0, 0, 0.3, 0.8, 0.0012, 120, 150, 1);
    }
    void aMomentIsComposedOnceWhereverItIsLaidDown()
    {
        QFETCH(QTransform, transform);

        const auto paintIn = [](FlameSprites& sprites, const QTransform& at, double t,
                                const QList<QRect>& areas) {
            QImage image(700, 500, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            QList<double> footX;
            for (int i = 0; i < kRow.count; ++i)
                footX.append(kRow.centreX(i));
            for (const QRect& area : areas) {
                p.resetTransform();
                p.setClipRect(area);
                p.setTransform(at);
                sprites.paint(
                    p, flameBand(Edge::Base, kPiece, kFlameHeight), kAtRest.baseline, footX,
                    [t](int i) { return rowFlamePhase(Edge::Base, i, t); }, t);
            }
            return image;
        };
        const QList<QRect> whole{QRect(0, 0, 700, 500)};
        const QList<QRect> parts{QRect(0, 0, 330, 500), QRect(330, 0, 370, 260),
                                 QRect(330, 260, 370, 240)};
        FlameSprites reused;
        reused.setLayers(rowLayers());
        for (const auto& [at, t] : {std::pair{transform, 0.37},
                                    {transform, 0.37 + 1.0 / 30},
                                    {transform, 1.9},
                                    {transform * QTransform::fromTranslate(13, 7), 1.9}}) {
            FlameSprites fresh;
            fresh.setLayers(rowLayers());
            QCOMPARE(paintIn(reused, at, t, parts), paintIn(fresh, at, t, whole));
        }
    }

    void rowsOfTheSameFlamesShareTheirMasksWhileAnyBurns()
    {
        // Every piece whose flames have one width and height draws the same masks: the rows
        // keep one set between them, which goes with the last of them.
        const auto layers = [](const QString& key) {
            QList<FlameSprites::Layer> keyed = rowLayers();
            for (qsizetype l = 0; l < keyed.size(); ++l)
                keyed[l].shapeKey = key + QString::number(l);
            return keyed;
        };
        const QTransform at = QTransform::fromTranslate(100, 200);
        int firstMoment = 0;
        {
            FlameSprites one;
            one.setLayers(layers(QStringLiteral("same ")));
            paintRow(at, 0, &one);
            firstMoment = one.maskCount();
            QVERIFY(firstMoment > 0);

            FlameSprites other;
            other.setLayers(layers(QStringLiteral("same ")));
            paintRow(at, 1.9, &other);
            QVERIFY(one.maskCount() > firstMoment);
            QCOMPARE(other.maskCount(), one.maskCount());

            FlameSprites unlike;
            unlike.setLayers(layers(QStringLiteral("unlike ")));
            const int before = one.maskCount();
            paintRow(at, 0, &unlike);
            QCOMPARE(unlike.maskCount(), firstMoment);
            QCOMPARE(one.maskCount(), before);
        }
        FlameSprites later;
        later.setLayers(layers(QStringLiteral("same ")));
        paintRow(at, 0, &later);
        QCOMPARE(later.maskCount(), firstMoment);
    }

    void dotsLandWhereTheirEllipsesDo_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::newRow("at one pixel a point") << QTransform();
        QTest::newRow("at two") << QTransform::fromScale(2, 2);
        QTest::newRow("at one and a half, moved")
            << QTransform::fromTranslate(0.4, 0.7).scale(1.5, 1.5);
        QTest::newRow("turned") << QTransform::fromTranslate(60, 0).rotate(15);
    }
    void dotsLandWhereTheirEllipsesDo()
    {
        // The dots come from images made once and copied onto whole pixels: each must still
        // sit where the ellipse would be filled, in its colour, however far between pixels.
        QFETCH(QTransform, transform);
        const QRectF dot(0.2, 0.1, 2.6, 2.6);
        const QColor color(255, 224, 77, 191);
        QList<QPointF> places;
        for (int k = 0; k < 8; ++k)
            places.append(QPointF(6 + 9.13 * k, 5 + 7.29 * k));
        const auto paint = [&](bool asEllipses) {
            QImage image(240, 240, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setTransform(transform);
            p.translate(3.3, 4.6);
            if (asEllipses) {
                p.setRenderHint(QPainter::Antialiasing);
                p.setPen(Qt::NoPen);
                p.setBrush(color);
                for (const QPointF& place : places)
                    p.drawEllipse(dot.translated(place));
            } else {
                FireDots dots(nullptr, dot, color, [] { return true; });
                dots.setArea(QRectF(0, 0, 90, 70));
                dots.setPlaces(places);
                QStyleOptionGraphicsItem option;
                option.exposedRect = dots.boundingRect();
                dots.paint(&p, &option, nullptr);
            }
            return image;
        };
        const QImage drawn = paint(false);
        const QImage filled = paint(true);
        for (const QPointF& place : places) {
            const QRect around = transform.mapRect(dot.translated(place + QPointF(3.3, 4.6)))
                                     .toAlignedRect()
                                     .adjusted(-3, -3, 3, 3);
            // Each image's weight and its centre in the pixels round the dot.
            const auto weigh = [&around](const QImage& image) {
                double sum[4] = {};
                QPointF centre;
                for (int y = around.top(); y <= around.bottom(); ++y) {
                    for (int x = around.left(); x <= around.right(); ++x) {
                        const QRgb c = image.pixel(x, y);
                        sum[0] += qAlpha(c);
                        sum[1] += qRed(c);
                        sum[2] += qGreen(c);
                        sum[3] += qBlue(c);
                        centre += qAlpha(c) * QPointF(x, y);
                    }
                }
                return std::pair(std::to_array(sum), sum[0] > 0 ? centre / sum[0] : QPointF());
            };
            const auto [drawnWeight, drawnCentre] = weigh(drawn);
            const auto [filledWeight, filledCentre] = weigh(filled);
            const QPointF off = drawnCentre - filledCentre;
            QVERIFY2(filledWeight[0] > 0 && std::hypot(off.x(), off.y()) < 0.5,
                     qPrintable(QStringLiteral("%1,%2 off by %3,%4")
                                    .arg(place.x())
                                    .arg(place.y())
                                    .arg(off.x())
                                    .arg(off.y())));
            for (int c = 0; c < 4; ++c)
                QVERIFY(std::abs(drawnWeight[size_t(c)] - filledWeight[size_t(c)]) <
                        0.05 * filledWeight[size_t(c)] + 1);
        }
    }

    void animatesOnlyWhileSeen_data()
    {
        QTest::addColumn<bool>("air");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("draws");
        QTest::newRow("a piece") << false << QSizeF(100, 60) << true;
        QTest::newRow("a piece 4 points wide") << false << QSizeF(4, 60) << false;
        QTest::newRow("just over 4 points") << false << QSizeF(4.01, 4.01) << true;
        QTest::newRow("the room's air") << true << QSizeF(300, 200) << true;
    }
    void animatesOnlyWhileSeen()
    {
        QFETCH(bool, air);
        QFETCH(QSizeF, size);
        QFETCH(bool, draws);
        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 300, 200);
        auto* fire = air ? nullptr : new AssetFireEffectView(state, 30, true, true);
        auto* atmosphere = air ? new RoomFireAtmosphereView(state) : nullptr;
        RoomItem* view = air ? static_cast<RoomItem*>(atmosphere) : fire;
        const TimeLine& line = air ? atmosphere->timeLine() : fire->timeLine();
        scene.addItem(view);
        view->setPos(air ? QPointF() : QPointF(100, 70));
        view->setSize(size);
        air ? atmosphere->setTime(0) : fire->setTime(0);
        QCOMPARE(line.isRunning(), draws);
        QCOMPARE(view->acceptedMouseButtons(), Qt::NoButton);
        // For the air: the floor flames' band, where the wash alone is fainter.
        const auto drawn = [&] {
            return air ? qAlpha(render(scene).pixel(150, 197)) : coverage(scene);
        };
        const qint64 seen = drawn();
        QCOMPARE(seen > 0, draws);
        if (size == QSizeF(100, 60)) {
            // Flames rise above the top edge and sparks above them; nothing beyond the glow
            // below the bottom edge or at the far sides; the glow alone inside is faint.
            const QImage image = render(scene);
            QVERIFY(qAlpha(image.pixel(110, 60)) > 0);
            QCOMPARE(qAlpha(image.pixel(150, 70 + 60 + 10)) + qAlpha(image.pixel(20, 100)) +
                         qAlpha(image.pixel(290, 100)),
                     0);
            QVERIFY(qAlpha(image.pixel(150, 100)) < 0.3 * 255);
        }
        view->hide();
        QVERIFY(!line.isRunning());
        view->show();
        QCOMPARE(line.isRunning(), draws);

        // Out of sight nothing ticks and the flames vanish; the room's air keeps its wash.
        state.setAppActive(false);
        QVERIFY(!line.isRunning());
        const qint64 hidden = drawn();
        QVERIFY(air ? hidden > 0 && hidden < seen : hidden == 0);
        state.setAppActive(true);
        scene.removeItem(view);
        QVERIFY(!line.isRunning());
        delete view;
    }

    // The wash is kept in pieces; laid down whole or a little at a time, through any part of
    // the window, it shows the one picture it was cut from, where the room lies.
    void theWashShowsOnePictureWhateverAPaintReaches_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QPointF>("at");
        QTest::newRow("at the window's corner") << QSizeF(300, 200) << 1.0 << QPointF();
        QTest::newRow("moved by whole pixels") << QSizeF(300, 200) << 1.0 << QPointF(7, 3);
        QTest::newRow("pieces cut short at the edges") << QSizeF(257, 130) << 1.0 << QPointF();
        QTest::newRow("a denser screen") << QSizeF(257, 130) << 2.0 << QPointF(3.5, 1);
        QTest::newRow("between pixels") << QSizeF(300, 200) << 1.0 << QPointF(0.5, 0.25);
    }
    void theWashShowsOnePictureWhateverAPaintReaches()
    {
        QFETCH(QSizeF, size);
        QFETCH(qreal, ratio);
        QFETCH(QPointF, at);
        AppState state(nullptr);
        RoomFireAtmosphereView air(state);
        air.setSize(size);
        const auto paint = [&](QPointF offset, const QList<QRectF>& areas) {
            QImage canvas(((size + QSizeF(10, 10)) * ratio).toSize(),
                          QImage::Format_ARGB32_Premultiplied);
            canvas.setDevicePixelRatio(ratio);
            canvas.fill(QColor(40, 90, 160));
            QPainter p(&canvas);
            p.translate(offset);
            QStyleOptionGraphicsItem option;
            for (const QRectF& area : areas) {
                p.setClipRect(area);
                option.exposedRect = area;
                air.paint(&p, &option, nullptr);
            }
            return canvas;
        };
        const QImage whole = paint(at, {air.boundingRect()});
        QList<QRectF> bits;
        for (qreal y = 0; y < size.height(); y += 29)
            for (qreal x = 0; x < size.width(); x += 41)
                bits.append(QRectF(x, y, 41, 29));
        QCOMPARE(paint(at, bits), whole);
        // Moved by whole device pixels, the same pixels moved.
        if (QPointF((at * ratio).toPoint()) == at * ratio && at != QPointF()) {
            const QImage atCorner = paint({}, {air.boundingRect()});
            const QPoint shift = (at * ratio).toPoint();
            const QRect room(QPoint(), (size * ratio).toSize());
            QCOMPARE(whole.copy(room.translated(shift)), atCorner.copy(room));
        }
    }

    void modifierBurnsAndGlowsOnlyInFireMode_data()
    {
        QTest::addColumn<bool>("ownEffect");
        QTest::newRow("a plain piece") << false;
        QTest::newRow("a piece with an effect of its own") << true;
    }
    void modifierBurnsAndGlowsOnlyInFireMode()
    {
        QFETCH(bool, ownEffect);
        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 400, 300);
        auto* holder = new QGraphicsRectItem;
        scene.addItem(holder);
        auto* piece = new QGraphicsRectItem(0, 0, 84, 114, holder);
        auto* own = ownEffect ? new QGraphicsBlurEffect : nullptr;
        piece->setGraphicsEffect(own);
        auto* modifier = new BurningFireModifier(state, 32, true, true, holder);
        modifier->setFrame(QRectF(0, 0, 84, 114));
        modifier->setContent(piece);
        QVERIFY(!modifier->fireView());
        state.toggleFireMode();
        QCOMPARE(modifier->fireView()->size(), QSizeF(84, 114));
        QVERIFY(modifier->fireView()->timeLine().isRunning());
        // A piece that carries an effect of its own keeps it and gets no glow.
        QCOMPARE(modifier->isGlowing(), !ownEffect);
        // Above the piece, and not a child of it (its frames must not re-render the piece).
        QVERIFY(modifier->zValue() > piece->zValue());
        QVERIFY(!piece->isAncestorOf(modifier->fireView()));

        state.toggleFireMode();
        QVERIFY(!modifier->fireView());
        QCOMPARE(piece->graphicsEffect(), own);
        // The flames fade out, then nothing of the fire is left.
        QVERIFY(!modifier->childItems().isEmpty());
        QTRY_VERIFY(modifier->childItems().isEmpty());
        // Burning again when the holder deletes the piece (added first) before the modifier.
        state.setFireModeActive(true);
        delete holder;
    }
};

PONDSILL_TEST(FireTest)
#include "fire_test.moc"
