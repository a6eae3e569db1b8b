#include "floor_room.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/magic_carpet_view.h"
#include "room/room_view.h"
#include "state/floor_interaction_state.h"
#include "support/manual_clock.h"
#include "support/test_registry.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The seeded floor with `count` files more in rows between y 0.3 and 0.7.
QMap<QString, QPointF> floorOf(int count)
{
    QMap<QString, QPointF> files = seededFloor();
    const int columns = 40;
    for (int i = 0; i < count; ++i) {
        files.insert(u"0 berkas %1.txt"_s.arg(i, 5, 10, QLatin1Char('0')),
                     QPointF(0.1 + 0.8 * (i % columns) / columns,
                             0.3 + 0.4 * (i / columns) / std::max(1, count / columns)));
    }
    return files;
}

void paintRoom(FloorRoom& room)
{
    QImage image(FloorRoom::width, FloorRoom::height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    room.floor().scene()->render(&painter);
}

// The floor's files that keep an image of their own, but for the one under the pointer.
int filesWithImages(FloorRoom& room)
{
    const std::optional<QString> hovered = room.floorState().hoveredFloorFileName();
    int holding = 0;
    for (QGraphicsItem* item : room.floor().scene()->items()) {
        if (auto* file = dynamic_cast<FloorItemView*>(item))
            holding += file->holdsSprite() && file->itemURL().fileName() != hovered ? 1 : 0;
    }
    return holding;
}
} // namespace

// What a gesture on a crowded floor costs, counted: a floor of thousands is neither laid out
// again nor drawn again for a few files.
class FloorGestureWorkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A file, or a selection, dragged and dropped elsewhere on the floor: the drag's start,
    // its end and the new stored places lay out the files it moved, not the floor.
    void aDropLaysOutOnlyTheFilesItMoved_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("one file among 1000") << 1000 << QStringList();
        QTest::newRow("three selected among 1000") << 1000 << names("a.txt b.txt c.txt");
        QTest::newRow("one file on the seeded floor") << 0 << QStringList();
    }
    void aDropLaysOutOnlyTheFilesItMoved()
    {
        QFETCH(int, count);
        QFETCH(QStringList, selected);
        const ManualClock clock;
        FloorRoom room(floorOf(count));
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        room.floorState().setSelectedFileNames(QSet<QString>(selected.begin(), selected.end()));
        ManualClock::settle();
        const QString name = u"a.txt"_s;
        const qsizetype moving = std::max<qsizetype>(1, selected.size());
        const QPointF from = placeOf(name);
        const QPointF to = from + QPointF(60, -140);
        const int before = room.floor().fileLayouts();
        room.drag(from, to, 6);
        ManualClock::settle();
        // Laid out where the drag starts, where it ends and where they now lie.
        QVERIFY2(
            room.floor().fileLayouts() - before <= 3 * moving,
            qPrintable(u"%1 layouts for %2 files moved"_s.arg(room.floor().fileLayouts() - before)
                           .arg(moving)));
        QCOMPARE(room.floor().floorItem(name)->centre(), to);
        QCOMPARE(room.storedPositions().value(name),
                 QPointF(to.x() / FloorRoom::width, to.y() / FloorRoom::height));
    }

    // A marquee over a crowded floor, step by step: each step lays out and draws only the
    // files it took in or let go, and the selected files lie in one picture instead of each
    // keeping an image of its own. Once the selection is let go that picture goes too.
    void aMarqueeStepTouchesOnlyTheFilesItTookInOrLetGo_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("the seeded floor") << 0;
        QTest::newRow("400 files more") << 400;
        QTest::newRow("1600 files more") << 1600;
    }
    void aMarqueeStepTouchesOnlyTheFilesItTookInOrLetGo()
    {
        QFETCH(int, count);
        const ManualClock clock;
        FloorRoom room(floorOf(count));
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        ManualClock::settle();
        paintRoom(room);
        FloorInteractionState& state = room.floorState();
        FloorFileLayer& selection = *room.floor().selectionLayer();

        // Over the whole floor and half way back, from the bare top-left corner.
        const QPointF start(20, 60);
        QList<QPointF> steps;
        for (int i = 1; i <= 10; ++i)
            steps << start + (QPointF(1420, 880) - start) * (i / 10.0);
        for (int i = 1; i <= 4; ++i)
            steps << QPointF(1420, 880) - QPointF(140, 90) * i;
        const int looksBefore = FloorItemView::lookBaseDrawCount();
        room.press(start);
        int taken = 0;
        for (const QPointF& at : steps) {
            const int layouts = room.floor().fileLayouts();
            const int draws = selection.fileDrawCount();
            QSignalSpy changes(&state, &FloorInteractionState::selectedFileNamesChanged);
            room.moveTo(at);
            paintRoom(room);
            const qsizetype added = changes.isEmpty() ? 0 : state.selectionAdded().size();
            const qsizetype removed = changes.isEmpty() ? 0 : state.selectionRemoved().size();
            QVERIFY(changes.size() <= 1);
            QVERIFY2(room.floor().fileLayouts() - layouts <= added + removed,
                     qPrintable(u"%1 layouts for %2 files taken in and %3 let go"_s
                                    .arg(room.floor().fileLayouts() - layouts)
                                    .arg(added)
                                    .arg(removed)));
            // A file taken in is drawn once over the selection's picture (unless the lowered
            // carpet hides it); one let go has its neighbours drawn again there.
            if (removed == 0)
                QVERIFY(selection.fileDrawCount() - draws <= int(added));
            QCOMPARE(filesWithImages(room), 0);
            taken += int(added);
        }
        QVERIFY(taken > count);
        QVERIFY(!state.selectedFileNames().isEmpty());
        // The added files share their icon and label size: each look is drawn once and
        // copied for the others, which only have their names written on.
        QVERIFY2(FloorItemView::lookBaseDrawCount() - looksBefore <= 32,
                 qPrintable(u"%1 looks drawn for %2 files taken in"_s
                                .arg(FloorItemView::lookBaseDrawCount() - looksBefore)
                                .arg(taken)));
        room.release(steps.last());
        ManualClock::settle();
        paintRoom(room);
        QCOMPARE(filesWithImages(room), 0);
        QVERIFY(selection.holdsPicture());

        // A click on the bare floor lets the selection go, and its picture with it: its files
        // go back into the resting files' picture, a slice on each turn of the event loop
        // when they are many, under the selection's picture, which goes once they all lie
        // there.
        FloorFileLayer& resting = *room.floor().fileLayer();
        const qsizetype letGo = state.selectedFileNames().size();
        const int restingDraws = resting.fileDrawCount();
        room.click(start);
        ManualClock::settle();
        QVERIFY(state.selectedFileNames().isEmpty());
        const int selectionRepairs = selection.repairSliceCount();
        int turns = 0;
        do {
            int draws = resting.fileDrawCount();
            paintRoom(room);
            QVERIFY(resting.fileDrawCount() - draws <= FloorFileLayer::filesPerSlice);
            QCOMPARE(selection.holdsPicture(), resting.isRepairing());
            // Meanwhile it shows the files as they were selected, untouched.
            if (selection.holdsPicture())
                QCOMPARE(selection.repairSliceCount(), selectionRepairs);
            draws = resting.fileDrawCount();
            QCoreApplication::processEvents();
            QVERIFY(resting.fileDrawCount() - draws <= FloorFileLayer::filesPerSlice);
        } while (resting.isRepairing() && ++turns < 100);
        paintRoom(room);
        QVERIFY(resting.fileDrawCount() - restingDraws >= letGo);
        QCOMPARE(filesWithImages(room), 0);
        QVERIFY(!selection.holdsPicture());
    }
};

PONDSILL_TEST(FloorGestureWorkTest)
#include "floor_gesture_work_test.moc"
