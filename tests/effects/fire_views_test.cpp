#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/room_fire_atmosphere_view.h"
#include "state/app_state.h"
#include "support/test_registry.h"

#include <QGraphicsBlurEffect>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QTest>

namespace {
QImage render(QGraphicsScene& scene)
{
    QImage image(scene.sceneRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    scene.render(&p, QRectF(), scene.sceneRect());
    return image;
}

bool drawsAnything(QGraphicsScene& scene)
{
    const QImage image = render(scene);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

// A burning piece at (100, 70) in a 300 x 200 scene.
struct FireScene {
    AppState state{nullptr};
    QGraphicsScene scene{0, 0, 300, 200};
    AssetFireEffectView* fire = new AssetFireEffectView(state, 30, true, true);

    explicit FireScene(QSizeF size)
    {
        scene.addItem(fire);
        fire->setPos(100, 70);
        fire->setSize(size);
    }
};
} // namespace

class FireViewsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawsOnlyWhileTheRoomCanBeSeen_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<bool>("draws");
        QTest::newRow("seen") << QSizeF(100, 60) << true;
        QTest::newRow("4 points wide") << QSizeF(4, 60) << false;
        QTest::newRow("just over 4 points") << QSizeF(4.01, 4.01) << true;
    }
    void drawsOnlyWhileTheRoomCanBeSeen()
    {
        QFETCH(QSizeF, size);
        QFETCH(bool, draws);
        FireScene piece(size);
        QCOMPARE(piece.fire->timeLine().isRunning(), draws);
        QCOMPARE(drawsAnything(piece.scene), draws);
        piece.state.setAppActive(false);
        QVERIFY(!piece.fire->timeLine().isRunning());
        QVERIFY(!drawsAnything(piece.scene));
    }

    void runsWhileShownInTheScene()
    {
        FireScene piece(QSizeF(100, 60));
        QVERIFY(piece.fire->timeLine().isRunning());
        piece.fire->hide();
        QVERIFY(!piece.fire->timeLine().isRunning());
        piece.fire->show();
        QVERIFY(piece.fire->timeLine().isRunning());
        piece.scene.removeItem(piece.fire);
        QVERIFY(!piece.fire->timeLine().isRunning());
        delete piece.fire;
    }

    void burningPieceShowsFlamesAboveAndBelowIt()
    {
        FireScene piece(QSizeF(100, 60));
        piece.fire->setTime(0);
        const QImage image = render(piece.scene);
        // Flames rise above the top edge and sparks above them; nothing beyond the glow
        // below the bottom edge or at the far sides.
        QVERIFY(qAlpha(image.pixel(110, 60)) > 0);
        QCOMPARE(qAlpha(image.pixel(150, 70 + 60 + 10)), 0);
        QCOMPARE(qAlpha(image.pixel(20, 100)), 0);
        QCOMPARE(qAlpha(image.pixel(290, 100)), 0);
        // The glow alone inside the piece is faint.
        QVERIFY(qAlpha(image.pixel(150, 100)) < 0.3 * 255);
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
        QVERIFY(!modifier->fireView());

        state.toggleFireMode();
        QCOMPARE(modifier->fireView()->size(), QSizeF(84, 114));
        QVERIFY(modifier->fireView()->timeLine().isRunning());
        // Above the piece, and not a child of it (its frames must not re-render the piece).
        QVERIFY(modifier->zValue() > piece->zValue());
        QVERIFY(!piece->isAncestorOf(modifier->fireView()));
        QCOMPARE(modifier->fireView()->acceptedMouseButtons(), Qt::NoButton);

        state.toggleFireMode();
        QVERIFY(!modifier->fireView());
        QVERIFY(!piece->graphicsEffect());
        // The flames fade out, then nothing of the fire is left.
        QVERIFY(!modifier->childItems().isEmpty());
        QTRY_VERIFY(modifier->childItems().isEmpty());
    }

    void modifierKeepsToItsOwnGlow_data()
    {
        QTest::addColumn<bool>("ownEffect");
        QTest::newRow("a plain piece") << false;
        QTest::newRow("a piece with an effect of its own") << true;
    }
    void modifierKeepsToItsOwnGlow()
    {
        QFETCH(bool, ownEffect);
        AppState state(nullptr);
        auto* holder = new QGraphicsRectItem;
        auto* piece = new QGraphicsRectItem(0, 0, 50, 50, holder);
        auto* own = ownEffect ? new QGraphicsBlurEffect : nullptr;
        piece->setGraphicsEffect(own);
        auto* modifier = new BurningFireModifier(state, 22, true, true, holder);
        modifier->setContent(piece);
        state.setFireModeActive(true);
        QVERIFY(modifier->isActive());
        QCOMPARE(modifier->isGlowing(), !ownEffect);
        state.setFireModeActive(false);
        QCOMPARE(piece->graphicsEffect(), own);
        // Burning again when the holder deletes the piece (added first) before the modifier.
        state.setFireModeActive(true);
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
