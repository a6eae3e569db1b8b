#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/fire_geometry.h"
#include "room/effects/room_fire_atmosphere_view.h"
#include "state/app_state.h"
#include "support/test_registry.h"

#include <QGraphicsBlurEffect>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {
int opaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0;
    return count;
}

QImage render(QGraphicsScene& scene)
{
    QImage image(scene.sceneRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    scene.render(&p, QRectF(), scene.sceneRect());
    return image;
}
} // namespace

class FireViewsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawsOnlyWhileTheRoomCanBeSeen_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("draws");

        QTest::newRow("seen") << QSizeF(100, 60) << true << true << true;
        QTest::newRow("window hidden") << QSizeF(100, 60) << false << true << false;
        QTest::newRow("application inactive") << QSizeF(100, 60) << true << false << false;
        QTest::newRow("4 points wide") << QSizeF(4, 60) << true << true << false;
        QTest::newRow("4 points high") << QSizeF(100, 4) << true << true << false;
    }
    void drawsOnlyWhileTheRoomCanBeSeen()
    {
        QFETCH(QSizeF, size);
        QFETCH(bool, visible);
        QFETCH(bool, active);
        QFETCH(bool, draws);

        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 300, 200);
        auto* fire = new AssetFireEffectView(state, 30, true, true);
        scene.addItem(fire);
        fire->setPos(100, 70);
        fire->setSize(size);

        state.setWindowVisible(visible);
        state.setAppActive(active);
        QCOMPARE(fire->timeLine().isRunning(), draws);
        QCOMPARE(opaquePixels(render(scene)) > 0, draws);
    }

    void burningPieceShowsFlamesAboveAndBelowIt()
    {
        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 300, 200);
        auto* fire = new AssetFireEffectView(state, 30, true, true);
        scene.addItem(fire);
        fire->setPos(100, 70);
        fire->setSize(QSizeF(100, 60));
        fire->setTime(0);
        const QImage image = render(scene);
        // Flames rise above the top edge and sparks above them; nothing beyond the glow
        // below the bottom edge or at the far sides.
        QVERIFY(qAlpha(image.pixel(110, 60)) > 0);
        QCOMPARE(qAlpha(image.pixel(150, 70 + 60 + 10)), 0);
        QCOMPARE(qAlpha(image.pixel(20, 100)), 0);
        QCOMPARE(qAlpha(image.pixel(290, 100)), 0);
        // The glow alone inside the piece is faint.
        QVERIFY(qAlpha(image.pixel(150, 100)) < 0.3 * 255);
    }

    void stopsWhenItCannotBeSeenInTheScene()
    {
        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 300, 200);
        auto* fire = new AssetFireEffectView(state, 30, true, true);
        QVERIFY(!fire->timeLine().isRunning()); // no scene, no size
        scene.addItem(fire);
        fire->setSize(QSizeF(100, 60));
        QVERIFY(fire->timeLine().isRunning());
        fire->hide();
        QVERIFY(!fire->timeLine().isRunning());
        fire->show();
        QVERIFY(fire->timeLine().isRunning());
        scene.removeItem(fire);
        QVERIFY(!fire->timeLine().isRunning());
        delete fire;
    }

    void modifierBurnsOnlyInFireMode()
    {
        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 400, 300);
        auto* holder = new QGraphicsRectItem;
        scene.addItem(holder);
        auto* piece = new QGraphicsRectItem(0, 0, 84, 114, holder);
        auto* modifier = new BurningFireModifier(state, 32, true, true, holder);
        modifier->setFrame(QRectF(0, 0, 84, 114));
        modifier->setContent(piece);
        QVERIFY(!modifier->isActive());
        QVERIFY(!modifier->fireView());
        QVERIFY(!piece->graphicsEffect());

        state.toggleFireMode();
        QVERIFY(modifier->isActive());
        QVERIFY(modifier->isGlowing());
        QCOMPARE(modifier->fireView()->size(), QSizeF(84, 114));
        QCOMPARE(modifier->fireView()->flameHeight(), 32.0);
        QVERIFY(modifier->fireView()->timeLine().isRunning());
        // Above the piece, and not a child of it (its frames must not re-render the piece).
        QVERIFY(modifier->zValue() > piece->zValue());
        QVERIFY(!piece->isAncestorOf(modifier->fireView()));
        QCOMPARE(modifier->fireView()->acceptedMouseButtons(), Qt::NoButton);

        state.toggleFireMode();
        QVERIFY(!modifier->isActive());
        QVERIFY(!modifier->fireView());
        QVERIFY(!piece->graphicsEffect());
        // The flames fade out, then nothing of the fire is left.
        QVERIFY(!modifier->childItems().isEmpty());
        QTRY_VERIFY(modifier->childItems().isEmpty());
    }

    void modifierLeavesAPiecesOwnEffectAlone()
    {
        AppState state(nullptr);
        state.setFireModeActive(true);
        QGraphicsRectItem holder;
        auto* piece = new QGraphicsRectItem(0, 0, 50, 50, &holder);
        auto* own = new QGraphicsBlurEffect;
        piece->setGraphicsEffect(own);
        auto* modifier = new BurningFireModifier(state, 22, true, true, &holder);
        modifier->setContent(piece);
        QVERIFY(modifier->isActive());
        QVERIFY(!modifier->isGlowing());
        state.setFireModeActive(false);
        QCOMPARE(piece->graphicsEffect(), own);
    }

    void modifierSurvivesItsPieceGoingFirst()
    {
        AppState state(nullptr);
        state.setFireModeActive(true);
        auto* holder = new QGraphicsRectItem;
        auto* piece = new QGraphicsRectItem(0, 0, 50, 50, holder);
        auto* modifier = new BurningFireModifier(state, 22, true, true, holder);
        modifier->setContent(piece);
        QVERIFY(modifier->isGlowing());
        // The holder deletes the piece (added first) before the modifier.
        delete holder;
    }

    void atmosphereDrawsItsFlamesOnlyWhileSeen()
    {
        AppState state(nullptr);
        QGraphicsScene scene(0, 0, 400, 300);
        auto* atmosphere = new RoomFireAtmosphereView(state);
        scene.addItem(atmosphere);
        atmosphere->setSize(QSizeF(400, 300));
        QVERIFY(atmosphere->timeLine().isRunning());
        QCOMPARE(atmosphere->acceptedMouseButtons(), Qt::NoButton);
        atmosphere->setTime(0);
        const QColor burning = render(scene).pixelColor(200, 297);
        state.setWindowVisible(false);
        const QColor hidden = render(scene).pixelColor(200, 297);
        // The wash stays, the flames along the floor go.
        QVERIFY(hidden.alpha() > 0);
        QVERIFY(burning.alpha() > hidden.alpha());
        QVERIFY(!atmosphere->timeLine().isRunning());
    }
};

PONDSILL_TEST(FireViewsTest)
#include "fire_views_test.moc"
