#include "kit/room_item.h"
#include "support/scene_input.h"
#include "support/test_registry.h"

#include <QAction>
#include <QGraphicsRectItem>
#include <QMenu>
#include <QStyleHints>
#include <QTest>

#include <memory>

namespace {
// A room of 400 x 300 on screen, and mouse input as the window system sends it.
struct Room {
    QGraphicsScene scene{0, 0, 400, 300};
    QGraphicsView view{&scene};
    SceneInput input{view};

    Room()
    {
        view.setFrameShape(QFrame::NoFrame);
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    RoomItem* addItem(QRectF frame, qreal z = 0)
    {
        auto* item = new RoomItem;
        item->setFrame(RoomFrame{frame.center(), frame.size()});
        item->setZValue(z);
        scene.addItem(item);
        return item;
    }
};
} // namespace

class GesturesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tapOnlyWhereAGestureIs()
    {
        Room room;
        int below = 0;
        int above = 0;
        room.addItem(QRectF(0, 0, 400, 300))->gestures().onTap([&] { ++below; });
        RoomItem* plain = room.addItem(QRectF(50, 50, 100, 100), 1); // draws, takes nothing
        room.input.click(QPointF(60, 60));
        QCOMPARE(below, 1);
        plain->gestures().onTap([&] { ++above; });
        room.input.click(QPointF(60, 60));
        QCOMPARE(QPoint(above, below), QPoint(1, 1));

        // Outside the hit shape the click goes below.
        QPainterPath circle;
        circle.addEllipse(QRectF(0, 0, 100, 100));
        plain->setHitShape(circle);
        room.input.click(QPointF(53, 53));
        QCOMPARE(QPoint(above, below), QPoint(1, 2));

        // A press that ends off the item is no tap.
        room.input.press(QPointF(100, 145));
        room.input.release(QPointF(100, 160));
        QCOMPARE(above, 1);

        // Hovering in and out, over an item that takes hovers only.
        QList<bool> hovers;
        room.addItem(QRectF(300, 200, 50, 50), 1)->gestures().onHover([&](bool inside) {
            hovers.append(inside);
        });
        room.input.hover(QPointF(10, 10));
        room.input.hover(QPointF(320, 220));
        room.input.hover(QPointF(10, 10));
        QCOMPARE(hovers, QList<bool>({true, false}));
    }

    void dragStartsAtItsMinimumDistance_data()
    {
        QTest::addColumn<qreal>("minimum");
        QTest::addColumn<qreal>("moved");
        QTest::addColumn<bool>("dragged");
        // The view delivers whole pixels.
        QTest::newRow("below the minimum") << 3.0 << 2.0 << false;
        QTest::newRow("at the minimum") << 3.0 << 3.0 << true;
        QTest::newRow("minimum zero: from the press") << 0.0 << 0.0 << true;
    }
    void dragStartsAtItsMinimumDistance()
    {
        QFETCH(qreal, minimum);
        QFETCH(qreal, moved);
        QFETCH(bool, dragged);
        Room room;
        int taps = 0;
        QList<DragValue> changes;
        std::optional<DragValue> end;
        RoomItem* item = room.addItem(QRectF(0, 0, 200, 200));
        item->gestures().onTap([&] { ++taps; });
        item->gestures().onDrag(
            minimum, [&](const DragValue& v) { changes.append(v); },
            [&](const DragValue& v) { end = v; });
        room.input.press(QPointF(20, 20));
        QCOMPARE(changes.size(), minimum == 0 ? 1 : 0);
        if (moved > 0)
            room.input.move(QPointF(20 + moved, 20));
        room.input.release(QPointF(20 + moved, 20));
        QCOMPARE(bool(end), dragged);
        QCOMPARE(taps, dragged ? 0 : 1);
        if (dragged) {
            QCOMPARE(changes.size(), 1);
            QCOMPARE(changes.first().startLocation, QPointF(20, 20));
            QCOMPARE(end->translation(), QPointF(moved, 0));
        }
    }

    void singleTapWaitsOnlyWhereDoubleTapIsHandled()
    {
        Room room;
        int singles = 0;
        int doubles = 0;
        room.addItem(QRectF(0, 0, 100, 100))->gestures().onTap([&] { ++singles; });
        room.input.click(QPointF(10, 10));
        QCOMPARE(singles, 1); // at once

        RoomItem* both = room.addItem(QRectF(200, 0, 100, 100));
        both->gestures().onTap([&] { ++singles; });
        both->gestures().onDoubleTap([&] { ++doubles; });
        room.input.doubleClick(QPointF(210, 10));
        QCOMPARE(doubles, 1);
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100);
        QCOMPARE(singles, 1); // the double tap was not also a single one

        room.input.click(QPointF(210, 10));
        QCOMPARE(singles, 1);
        QTRY_COMPARE(singles, 2); // after the double-click interval
    }

    void fileNamesAreShownLiterally()
    {
        Room room;
        bool opened = false;
        RoomItem* item = room.addItem(QRectF(0, 0, 50, 50));
        item->gestures().setToolTip(QStringLiteral("<b>laporan</b>.pdf: Geser"));
        QVERIFY(item->toolTip().contains(QStringLiteral("&lt;b&gt;laporan&lt;/b&gt;.pdf")));
        item->gestures().setContextMenu([&](QMenu& menu) {
            Gestures::addMenuAction(menu, QStringLiteral("Buka Tom & Jerry.txt"),
                                    [&] { opened = true; });
        });
        const std::unique_ptr<QMenu> menu = item->gestures().makeContextMenu();
        QAction* open = menu->actions().first();
        QCOMPARE(open->text(), QStringLiteral("Buka Tom && Jerry.txt"));
        QCOMPARE(open->iconText(), QStringLiteral("Buka Tom & Jerry.txt"));
        open->trigger();
        QVERIFY(opened);
    }

    void tapLayerClosesOnlyOutsideItsPanel()
    {
        Room room;
        int closes = 0;
        int roomTaps = 0;
        room.addItem(QRectF(0, 0, 400, 300))->gestures().onTap([&] { ++roomTaps; });
        auto* layer = new TapLayer([&] { ++closes; });
        layer->setSize(QSizeF(400, 300));
        layer->setZValue(50);
        room.scene.addItem(layer);
        auto* panel = new RoomItem(layer);
        panel->setFrame(RoomFrame{QPointF(200, 150), QSizeF(100, 80)});
        panel->gestures().onTap([] {});

        room.input.click(QPointF(200, 150));
        QCOMPARE(closes, 0);
        room.input.click(QPointF(20, 20));
        QCOMPARE(QPoint(closes, roomTaps), QPoint(1, 0)); // the room below got nothing

        // A panel that takes no clicks of its own still keeps them from the layer, also
        // inside a container without a shape.
        auto* holder = new QGraphicsRectItem(QRectF(), layer);
        auto* quiet = new RoomItem(holder);
        quiet->setFrame(RoomFrame{QPointF(50, 250), QSizeF(60, 40)});
        room.input.click(QPointF(50, 250));
        QCOMPARE(QPoint(closes, roomTaps), QPoint(1, 0));
    }
};

PONDSILL_TEST(GesturesTest)
#include "gestures_test.moc"
