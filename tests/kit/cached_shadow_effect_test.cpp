#include "kit/cached_shadow_effect.h"
#include "support/test_registry.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QTest>

class CachedShadowEffectTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void blursOnlyWhenTheItemChanges()
    {
        QGraphicsScene scene(0, 0, 200, 200);
        auto* piece = scene.addRect(50, 50, 60, 60, Qt::NoPen, Qt::blue);
        auto* effect = new CachedShadowEffect(QColor(255, 90, 10), 8, QPointF(0, 0));
        piece->setGraphicsEffect(effect);
        // Something animated over the piece, as the flames are.
        auto* flames = scene.addRect(40, 40, 80, 20, Qt::NoPen, QColor(255, 0, 0, 100));

        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.setBackgroundBrush(Qt::black);
        view.resize(200, 200);
        QImage frame = view.grab().toImage();
        QCOMPARE(effect->renderCount(), 1);

        for (int i = 0; i < 5; ++i) {
            flames->setBrush(QColor(255, 20 * i, 0, 100));
            frame = view.grab().toImage();
        }
        QCOMPARE(effect->renderCount(), 1);

        // The glow shows beside the piece, fading outwards, and the piece itself is drawn.
        QCOMPARE(frame.pixelColor(80, 100), QColor(Qt::blue));
        const QColor nearGlow = frame.pixelColor(80, 112);
        const QColor farGlow = frame.pixelColor(80, 120);
        QVERIFY(nearGlow.red() > farGlow.red());
        QVERIFY(nearGlow.red() > 50);

        piece->setBrush(Qt::green);
        frame = view.grab().toImage();
        QCOMPARE(effect->renderCount(), 2);
        QCOMPARE(frame.pixelColor(80, 100), QColor(Qt::green));
    }
};

PONDSILL_TEST(CachedShadowEffectTest)
#include "cached_shadow_effect_test.moc"
