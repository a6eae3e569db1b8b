#include "kit/cached_shadow_effect.h"
#include "room/effects/arabic_rug_view.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/carpet_cloth_folds_view.h"
#include "room/effects/carpet_geometry.h"
#include "room/effects/carpet_lump_view.h"
#include "room/effects/carpet_mat_body_view.h"
#include "room/effects/rug_fringe_edge.h"
#include "room/effects/rug_ornaments.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/painted_frames.h"
#include "support/test_registry.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLineF>
#include <QPainter>
#include <QTest>

using namespace CarpetGeometry;

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

class CarpetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rugLayout()
    {
        // At rest the folds keep still wherever the rug was dragged to; dragged, they ripple.
        QCOMPARE(folds(rugSize, false, 35)[1].shift, 0.0);
        const QList<Fold> a = folds(rugSize, true, 40);
        const QList<Fold> b = folds(rugSize, true, 80);
        for (int i = 0; i < a.size(); ++i)
            QVERIFY(a[i].shift != b[i].shift && a[i].shift != a[(i + 1) % a.size()].shift);
        // A fold turns about its own centre, so it does not wander off at rest.
        const Fold fold = folds(rugSize, false, 0)[2];
        const QPointF centre = fold.shade.united(fold.light).center();
        QVERIFY(QLineF(fold.transform().map(centre), centre).length() < 1e-9);
        // Stars in a row 490 wide, none within the medallion.
        QVERIFY(!RugLayout::fieldStars().isEmpty());
        for (const QPointF& star : RugLayout::fieldStars())
            QVERIFY(star.y() == 0 &&
                    std::abs(star.x()) > ArabicCentralMedallion::size.width() / 2 &&
                    std::abs(star.x()) + ArabicFieldStar::size.width() / 2 <= 245.0);
    }

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
        body.setItemCount(10); // never more than three
        QCOMPARE(body.lumps().size(), 3);
    }

    void burningRugGlowsWithoutBlurringEachFrameAndTakesNoPointer()
    {
        CarpetScene carpet(true);
        CarpetMatBodyView& body = *carpet.body;
        // The bumps lie over the flames; the flames are not part of the rug they light.
        body.setItemCount(3);
        QVERIFY(body.lumps().first()->parentItem()->zValue() >=
                body.fire()->parentItem()->zValue());
        QVERIFY(!body.rug()->isAncestorOf(body.fire()->fireView()));
        // Clicks on the medallion, a star, the folds, the fringe or the flames belong to
        // the carpet.
        const QList<QGraphicsItem*> onRug = carpet.scene.items(QRectF(-330, -90, 660, 180));
        QVERIFY(onRug.size() > 10);
        for (QGraphicsItem* item : onRug)
            QVERIFY(item->acceptedMouseButtons() == Qt::NoButton && !item->acceptHoverEvents() &&
                    !item->acceptDrops() && item->toolTip().isEmpty());

        QGraphicsView view(&carpet.scene);
        view.resize(700, 220);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* glow = qobject_cast<CachedShadowEffect*>(body.rug()->graphicsEffect());
        QTRY_VERIFY(glow && glow->renderCount() >= 1);
        const int renders = glow->renderCount();
        waitForFrames(view.viewport(), 10); // ten frames of flames
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
        QVERIFY(dragged.lightness() < resting.lightness() - 5);
        for (int dx = 120; dx <= 480; dx += 120) {
            carpet.floor.setCarpetDragOffset(QSizeF(dx, 0));
            carpet.pixelAt(QPointF());
        }
        QCOMPARE(rug.leadingFringe()->swing(), -5.0);
        QCOMPARE(rug.trailingFringe()->swing(), 5.0);
        carpet.floor.setCarpetDragging(false);
        carpet.floor.setCarpetDragOffset(QSizeF(0, 0));
        carpet.pixelAt(QPointF());
        QCOMPARE((QList<double>{carpet.body->scale(), rug.leadingFringe()->swing(),
                                rug.trailingFringe()->swing(), double(rug.cacheRenderCount())}),
                 (QList<double>{1, 0, 0, 1}));
    }
};

PONDSILL_TEST(CarpetTest)
#include "carpet_test.moc"
