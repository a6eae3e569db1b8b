#include "kit/panel_backdrop.h"
#include "kit/transition.h"
#include "kit/visual_effect_view.h"
#include "support/test_registry.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPainter>
#include <QTest>

namespace {
// A room red on the left and blue on the right of x = 200, with a layer over it that
// holds a 200 x 100 panel coming in from 100 points to the right. The panel holds a
// green square of its own.
struct Room {
    QGraphicsScene scene{0, 0, 400, 300};
    QGraphicsRectItem* left = scene.addRect(0, 0, 200, 300, Qt::NoPen, Qt::red);
    QGraphicsRectItem* right = scene.addRect(200, 0, 200, 300, Qt::NoPen, Qt::blue);
    TransitionItem* motion = new TransitionItem(Transition::offsetBy(QPointF(100, 0)));
    RoomItem* panel = new RoomItem(motion);
    PanelBackdrop* backdrop;

    Room()
    {
        motion->setZValue(10);
        scene.addItem(motion);
        panel->setPos(100, 100);
        panel->setSize(QSizeF(200, 100));
        (new QGraphicsRectItem(0, 0, 20, 20, panel))->setBrush(Qt::green);
        PanelSurface surface;
        surface.cornerRadius = 0;
        backdrop = new PanelBackdrop(surface, panel);
    }

    QColor pixel(QPointF at)
    {
        QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, 400, 300), QRectF(0, 0, 400, 300));
        return image.pixelColor(at.toPoint());
    }
};
} // namespace

class PanelBackdropTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheBlurredRoomBehindAndTakesOnePicture()
    {
        Room room;
        room.motion->appear(); // outside a transaction: at rest at once
        VisualEffectView* material = room.backdrop->material();
        QTRY_COMPARE(material->captureCount(), 1);
        // Over the red and blue edge both colours show, blurred together; the panel's own
        // green square is not part of what lies behind it.
        const QColor edge = room.pixel(QPointF(200, 150));
        QVERIFY(edge.red() > 60 && edge.blue() > 60 && edge.green() < 10);

        // Whatever changes behind, the picture stays the one taken.
        room.left->setBrush(Qt::yellow);
        for (int i = 0; i < 3; ++i)
            room.pixel(QPointF(130, 150));
        QCoreApplication::processEvents();
        QCOMPARE(material->captureCount(), 1);
        QCOMPARE(room.pixel(QPointF(130, 150)), QColor(Qt::red));

        // Laid somewhere else, it looks again, once.
        room.panel->setPos(0, 100);
        room.pixel(QPointF(130, 150));
        QTRY_COMPARE(material->captureCount(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(material->captureCount(), 2);
        QCOMPARE(room.pixel(QPointF(50, 150)), QColor(Qt::yellow));
    }

    void aPanelComingInShowsWhatLiesBehindItThen()
    {
        Room room; // not appeared: 100 points to the right of its place
        QTRY_COMPARE(room.backdrop->material()->captureCount(), 1);
        // The picture is of its resting place, drawn where it was taken: left of the panel's
        // middle, which is over the blue half now, blue shows.
        const QColor moving = room.pixel(QPointF(260, 150));
        QVERIFY2(moving.blue() > 200 && moving.red() < 30, qPrintable(moving.name()));
    }
};

PONDSILL_TEST(PanelBackdropTest)
#include "panel_backdrop_test.moc"
