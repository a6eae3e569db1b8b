#include "kit/cached_shadow_effect.h"
#include "room/effects/arabic_rug_view.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/carpet_cloth_folds_view.h"
#include "room/effects/carpet_lump_view.h"
#include "room/effects/carpet_mat_body_view.h"
#include "room/effects/rug_fringe_edge.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/test_registry.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QTest>

namespace {
QImage render(QGraphicsScene& scene)
{
    QImage image(scene.sceneRect().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    scene.render(&p, QRectF(), scene.sceneRect());
    return image;
}

// The scene spans the body centred in a 700 x 220 image.
QPointF toImage(QPointF bodyPoint)
{
    return bodyPoint + QPointF(350, 110);
}
} // namespace

class CarpetViewsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bumpsFollowCountAndLift_data()
    {
        QTest::addColumn<int>("covered");
        QTest::addColumn<bool>("lifted");
        QTest::addColumn<int>("bumps");
        QTest::newRow("none") << 0 << false << 0;
        QTest::newRow("two") << 2 << false << 2;
        QTest::newRow("ten") << 10 << false << 3;
        QTest::newRow("lifted") << 3 << true << 0;
    }
    void bumpsFollowCountAndLift()
    {
        QFETCH(int, covered);
        QFETCH(bool, lifted);
        QFETCH(int, bumps);
        AppState app(nullptr);
        FloorInteractionState floor;
        CarpetMatBodyView body(app, floor);
        body.setItemCount(covered);
        body.setLifted(lifted);
        QCOMPARE(body.lumps().size(), bumps);
        if (bumps > 0)
            QCOMPARE(body.lumps().first()->pos(), QPointF(-80, -6));
    }

    void bumpsShrinkAwayWhenTheCarpetLifts()
    {
        AppState app(nullptr);
        FloorInteractionState floor;
        CarpetMatBodyView body(app, floor);
        body.setItemCount(3);
        QCOMPARE(body.lumps().size(), 3);
        const auto children = [&] { return body.childItems().size(); };
        const int withBumps = children();

        withAnimation(Animation::spring(0.36, 0.72), [&] { body.setLifted(true); });
        QVERIFY(body.lumps().isEmpty());
        QCOMPARE(children(), withBumps); // still shrinking
        QTRY_COMPARE(children(), withBumps - 1);

        // Lowered again outside an animation: back at once, one per file as before.
        body.setLifted(false);
        QCOMPARE(body.lumps().size(), 3);
        body.setItemCount(1);
        QCOMPARE(body.lumps().size(), 1);
    }

    void bodyShrinksWhileDragged()
    {
        AppState app(nullptr);
        FloorInteractionState floor;
        CarpetMatBodyView body(app, floor);
        QCOMPARE(body.scale(), 1.0);
        floor.setCarpetDragging(true);
        QCOMPARE(body.scale(), 0.985);
        floor.setCarpetDragging(false);
        QCOMPARE(body.scale(), 1.0);
        // The frame the carpet lays the body out by: the rug with its fringes.
        QCOMPARE(body.boundingRect(), QRectF(-317, -78, 634, 156));
    }

    void nothingOfTheRugTakesThePointer()
    {
        // Clicks on the medallion, a star, the folds or the fringe belong to the carpet.
        AppState app(nullptr);
        app.setFireModeActive(true);
        FloorInteractionState floor;
        QGraphicsScene scene(-350, -110, 700, 220);
        auto* body = new CarpetMatBodyView(app, floor);
        scene.addItem(body);
        body->setItemCount(3);
        int hits = 0;
        for (double x = -330; x <= 330; x += 5) {
            for (double y = -90; y <= 90; y += 5) {
                for (QGraphicsItem* item : scene.items(QPointF(x, y))) {
                    ++hits;
                    QCOMPARE(item->acceptedMouseButtons(), Qt::NoButton);
                    QVERIFY(!item->acceptHoverEvents());
                    QVERIFY(!item->acceptDrops());
                    QVERIFY(item->toolTip().isEmpty());
                }
            }
        }
        QVERIFY(hits > 1000);
    }

    void rugBurnsInFireMode()
    {
        AppState app(nullptr);
        FloorInteractionState floor;
        CarpetMatBodyView body(app, floor);
        QVERIFY(!body.fire()->isActive());
        app.setFireModeActive(true);
        QVERIFY(body.fire()->isActive());
        QCOMPARE(body.fire()->fireView()->flameHeight(), 38.0);
        QCOMPARE(body.fire()->fireView()->size(), QSizeF(634, 156));
        // The bumps lie over the flames.
        body.setItemCount(1);
        QVERIFY(body.lumps().first()->topLevelItem() == &body);
        QVERIFY(body.lumps().first()->parentItem()->zValue() >=
                body.fire()->parentItem()->zValue());
        QVERIFY(body.fire()->parentItem()->isAncestorOf(body.fire()));
        QVERIFY(!body.rug()->isAncestorOf(body.fire()->fireView()));
    }

    void burningRugGlowsWithoutBlurringEachFrame()
    {
        AppState app(nullptr);
        app.setFireModeActive(true);
        FloorInteractionState floor;
        QGraphicsScene scene(-350, -110, 700, 220);
        auto* body = new CarpetMatBodyView(app, floor);
        scene.addItem(body);
        body->setItemCount(3);
        QGraphicsView view(&scene);
        view.resize(700, 220);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* glow = qobject_cast<CachedShadowEffect*>(body->rug()->graphicsEffect());
        QVERIFY(glow);
        QTRY_VERIFY(glow->renderCount() >= 1);
        const int renders = glow->renderCount();
        QTest::qWait(300); // about ten frames of flames
        QCOMPARE(glow->renderCount(), renders);
    }

    void stillLayersAreDrawnOnceWhileDragged()
    {
        AppState app(nullptr);
        FloorInteractionState floor;
        QGraphicsScene scene(-350, -110, 700, 220);
        auto* body = new CarpetMatBodyView(app, floor);
        scene.addItem(body);
        render(scene);
        floor.setCarpetDragging(true);
        for (int dx = 0; dx < 300; dx += 60) {
            floor.setCarpetDragOffset(QSizeF(dx, 0));
            render(scene);
        }
        floor.setCarpetDragging(false);
        render(scene);
        QCOMPARE(body->rug()->cacheRenderCount(), 1);
    }

    void foldsDarkenTheWeaveMoreWhileDragged()
    {
        AppState app(nullptr);
        FloorInteractionState floor;
        QGraphicsScene scene(-350, -110, 700, 220);
        auto* body = new CarpetMatBodyView(app, floor);
        scene.addItem(body);
        const QPointF onFirstFold =
            body->mapFromItem(body->rug()->folds(), QPointF(0.07 * 610 + 0.028 * 610, 30));
        const QColor resting = render(scene).pixelColor(toImage(onFirstFold).toPoint());
        floor.setCarpetDragging(true);
        floor.setCarpetDragOffset(QSizeF(0.001, 0));
        const QColor dragged = render(scene).pixelColor(toImage(onFirstFold * 0.985).toPoint());
        QVERIFY2(dragged.lightness() < resting.lightness() - 5,
                 qPrintable(QStringLiteral("%1 %2").arg(resting.name(), dragged.name())));
    }

    void fringesHangStraightAfterTheDrag()
    {
        FloorInteractionState floor;
        ArabicRugView rug(floor, 610, 156);
        floor.setCarpetDragging(true);
        floor.setCarpetDragOffset(QSizeF(-480, 0));
        QCOMPARE(rug.leadingFringe()->swing(), 5.0);
        QCOMPARE(rug.trailingFringe()->swing(), -5.0);
        floor.setCarpetDragging(false);
        floor.setCarpetDragOffset(QSizeF());
        QCOMPARE(rug.leadingFringe()->swing(), 0.0);
        QCOMPARE(rug.trailingFringe()->swing(), 0.0);
        // The fringes hang at the rug's two short ends.
        QCOMPARE(rug.leadingFringe()->pos(), QPointF(-317, -74));
        QCOMPARE(rug.trailingFringe()->pos(), QPointF(305, -74));
    }
};

PONDSILL_TEST(CarpetViewsTest)
#include "carpet_views_test.moc"
