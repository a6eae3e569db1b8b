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
// A carpet body alone in a scene, the carpet's centre at the scene's origin.
struct CarpetScene {
    AppState app{nullptr};
    FloorInteractionState floor;
    QGraphicsScene scene{-350, -110, 700, 220};
    CarpetMatBodyView* body = nullptr;

    explicit CarpetScene(bool burning = false)
    {
        app.setFireModeActive(burning);
        body = new CarpetMatBodyView(app, floor);
        scene.addItem(body);
    }

    QColor pixelAt(QPointF bodyPoint)
    {
        QImage image(700, 220, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        scene.render(&p, QRectF(), scene.sceneRect());
        return image.pixelColor((body->mapToScene(bodyPoint) + QPointF(350, 110)).toPoint());
    }
};
} // namespace

class CarpetViewsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bumpsShrinkAwayWhenTheCarpetLifts()
    {
        CarpetScene carpet;
        CarpetMatBodyView& body = *carpet.body;
        body.setItemCount(3);
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

    void nothingOfTheRugTakesThePointer()
    {
        // Clicks on the medallion, a star, the folds or the fringe belong to the carpet.
        CarpetScene carpet(true);
        carpet.body->setItemCount(3);
        int hits = 0;
        for (double x = -330; x <= 330; x += 5) {
            for (double y = -90; y <= 90; y += 5) {
                for (QGraphicsItem* item : carpet.scene.items(QPointF(x, y))) {
                    ++hits;
                    QCOMPARE(item->acceptedMouseButtons(), Qt::NoButton);
                    QVERIFY(!item->acceptHoverEvents() && !item->acceptDrops());
                    QVERIFY(item->toolTip().isEmpty());
                }
            }
        }
        QVERIFY(hits > 1000);
    }

    void burningRugGlowsWithoutBlurringEachFrame()
    {
        CarpetScene carpet(true);
        CarpetMatBodyView& body = *carpet.body;
        // The bumps lie over the flames; the flames are not part of the rug they light.
        body.setItemCount(1);
        QVERIFY(body.lumps().first()->parentItem()->zValue() >=
                body.fire()->parentItem()->zValue());
        QVERIFY(!body.rug()->isAncestorOf(body.fire()->fireView()));

        QGraphicsView view(&carpet.scene);
        view.resize(700, 220);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* glow = qobject_cast<CachedShadowEffect*>(body.rug()->graphicsEffect());
        QVERIFY(glow);
        QTRY_VERIFY(glow->renderCount() >= 1);
        const int renders = glow->renderCount();
        QTest::qWait(300); // about ten frames of flames
        QCOMPARE(glow->renderCount(), renders);

        carpet.app.setFireModeActive(false);
        QVERIFY(!body.rug()->graphicsEffect());
    }

    void whileDragged()
    {
        // The body shrinks a little, the folds darken the weave more and the fringes swing
        // back from the way it goes; the rug's still layers are drawn once for the drag.
        CarpetScene carpet;
        ArabicRugView& rug = *carpet.body->rug();
        const QPointF onFirstFold =
            carpet.body->mapFromItem(rug.folds(), QPointF(0.07 * 610 + 0.028 * 610, 30));
        const QColor resting = carpet.pixelAt(onFirstFold);
        carpet.floor.setCarpetDragging(true);
        QCOMPARE(carpet.body->scale(), 0.985);
        carpet.floor.setCarpetDragOffset(QSizeF(0.001, 0)); // before the folds ripple away
        const QColor dragged = carpet.pixelAt(onFirstFold);
        QVERIFY2(dragged.lightness() < resting.lightness() - 5,
                 qPrintable(QStringLiteral("%1 %2").arg(resting.name(), dragged.name())));
        for (int dx = 120; dx <= 480; dx += 120) {
            carpet.floor.setCarpetDragOffset(QSizeF(dx, 0));
            carpet.pixelAt(QPointF());
        }
        QCOMPARE(rug.leadingFringe()->swing(), -5.0);
        QCOMPARE(rug.trailingFringe()->swing(), 5.0);
        carpet.floor.setCarpetDragging(false);
        carpet.floor.setCarpetDragOffset(QSizeF(0, 0));
        carpet.pixelAt(QPointF());
        QCOMPARE(carpet.body->scale(), 1.0);
        QCOMPARE(rug.leadingFringe()->swing(), 0.0);
        QCOMPARE(rug.trailingFringe()->swing(), 0.0);
        QCOMPARE(rug.cacheRenderCount(), 1);
    }
};

PONDSILL_TEST(CarpetViewsTest)
#include "carpet_views_test.moc"
