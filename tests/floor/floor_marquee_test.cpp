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

// A marquee over a crowded floor, step by step: each step lays out and draws only the files
// it took in or let go (a floor of thousands is not laid out again at pointer rate), and the
// selected files lie in one picture instead of each keeping an image of its own. Once the
// selection is let go that picture goes too.
class FloorMarqueeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        room.release(steps.last());
        ManualClock::settle();
        paintRoom(room);
        QCOMPARE(filesWithImages(room), 0);
        QVERIFY(selection.holdsPicture());

        // A click on the bare floor lets the selection go, and its picture with it.
        room.click(start);
        ManualClock::settle();
        paintRoom(room);
        QVERIFY(state.selectedFileNames().isEmpty());
        QCOMPARE(filesWithImages(room), 0);
        QVERIFY(!selection.holdsPicture());
    }
};

PONDSILL_TEST(FloorMarqueeTest)
#include "floor_marquee_test.moc"
