#include "floor_room.h"
#include "kit/room_geometry.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/magic_carpet_view.h"
#include "room/room_view.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/manual_clock.h"
#include "support/settled.h"
#include "support/test_registry.h"

#include <QFile>
#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {
using Change = std::function<void(FloorRoom&)>;

QImage picture(FloorRoom& room)
{
    QImage image(FloorRoom::width, FloorRoom::height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    room.floor().scene()->render(&painter, QRectF(image.rect()),
                                 QRectF(0, 0, FloorRoom::width, FloorRoom::height));
    return image;
}

// The largest difference of a colour channel between two pictures of one size, leaving out
// the rounding of a tilted image drawn in a clipped part: a few steps of 255, and now and
// then a lone pixel on a sharp edge of a label a few more (20 was seen, once in some hundred
// runs on a loaded machine). A file left behind or drawn twice differs in hundreds of pixels
// by far more.
int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    int beyondRounding = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int difference =
                std::max({std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                          std::abs(qBlue(p[x]) - qBlue(q[x]))});
            largest = std::max(largest, difference);
            if (difference > 16)
                ++beyondRounding;
        }
    }
    return beyondRounding > 4 ? largest : 0;
}

// The seeded floor with `count` files more in rows over its middle, under and around a.txt
// (named to sort first, so the seeded files lie over them).
QMap<QString, QPointF> crowdedFloor(int count)
{
    QMap<QString, QPointF> files = seededFloor();
    const int columns = 50;
    for (int i = 0; i < count; ++i) {
        files.insert(u"0 berkas %1.txt"_s.arg(i, 5, 10, QLatin1Char('0')),
                     QPointF(0.1 + 0.8 * (i % columns) / columns,
                             0.3 + 0.4 * (i / columns) / std::max(1, count / columns)));
    }
    return files;
}

// The seeded floor with a pile of `count` files more, each a few pixels from the last, all of
// them over one another.
QMap<QString, QPointF> piledFloor(int count)
{
    QMap<QString, QPointF> files = seededFloor();
    for (int i = 0; i < count; ++i) {
        files.insert(u"0 tumpukan %1.txt"_s.arg(i, 4, 10, QLatin1Char('0')),
                     QPointF(0.25 + 0.002 * (i % 20), 0.3 + 0.003 * (i / 20)));
    }
    return files;
}

// Everything the view repainted while it lives, united.
class Repaints : public QObject {
public:
    explicit Repaints(QWidget* viewport) : m_viewport(viewport)
    {
        viewport->installEventFilter(this);
    }
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_viewport && event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QWidget* m_viewport;
};

// Lets the scene hand its changes to the view and the view repaint them.
void repaintNow()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Waits until the floor has drawn whatever it had waiting, in as many slices as it takes, so
// that what a step repaints next is the step's alone.
void drawnAsItStands(FloorRoom& room)
{
    repaintNow();
    waitUntilSettled([&room] {
        return room.floor().fileLayer()->needsRepair() ||
                       room.floor().selectionLayer()->needsRepair()
                   ? QStringList{QStringLiteral("the floor's pictures being drawn again")}
                   : QStringList();
    });
    repaintNow();
}

// The room drawn only over `area`, as a repaint of that area alone draws it.
QImage pictureOf(FloorRoom& room, const QRectF& area)
{
    QImage image(area.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    room.floor().scene()->render(&painter, QRectF(image.rect()), area);
    return image;
}
} // namespace

Q_DECLARE_METATYPE(Change)

// The resting files are drawn once into one picture of the floor: a floor seen, then changed
// (a file hovered, selected, dragged, covered or taken away), looks as one started that way.
class FloorFileLayerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aChangedFloorLooksAsIfItStartedThatWay_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<Change>("state");
        const Change none = [](FloorRoom&) {};
        const Change selectB = [](FloorRoom& r) {
            r.floorState().setSelectedFileNames({u"b.txt"_s});
        };
        QTest::newRow("selected") << selectB << QStringList() << selectB;
        QTest::newRow("selected, then not") << Change([selectB](FloorRoom& r) {
            selectB(r);
            picture(r);
            r.floorState().clearSelection();
        }) << QStringList() << none;
        QTest::newRow("hovered, then left") << Change([](FloorRoom& r) {
            r.floorState().setHoveredFloorFileName(u"photo.png"_s);
            picture(r);
            r.floorState().setHoveredFloorFileName(std::nullopt);
        }) << QStringList() << none;
        QTest::newRow("dragged away") << Change([](FloorRoom& r) {
            r.drag(placeOf(u"a.txt"_s), placeOf(u"a.txt"_s) + QPointF(0, 120));
        }) << QStringList() << Change([](FloorRoom& r) {
            // The pointer rests on it where it was let go.
            r.floorState().setHoveredFloorFileName(u"a.txt"_s);
        });
        QTest::newRow("new file dropped over one") << Change([](FloorRoom& r) {
            // Named to sort last, so a floor started with it also lays it on top.
            const QString source = r.home().writeFile(u"Unduhan/zz baru.txt"_s, "x");
            r.storage().hideUnderCarpet(QUrl::fromLocalFile(source), 0.505, 0.51);
        }) << QStringList() << none;
        QTest::newRow("taken out of the folder") << Change([](FloorRoom& r) {
            QFile::remove(r.carpetPath(u"c.txt"_s));
            r.storage().reloadAll();
        }) << QStringList{u"c.txt"_s} << none;
        const Change lift = [](FloorRoom& r) { r.floorState().setCarpetLifted(true); };
        QTest::newRow("carpet lifted") << lift << QStringList() << lift;
        const Change overB = [](FloorRoom& r) { r.storage().setCarpetPosition(0.5, 0.5); };
        QTest::newRow("carpet laid over files") << overB << QStringList() << overB;
    }
    void aChangedFloorLooksAsIfItStartedThatWay()
    {
        QFETCH(Change, change);
        QFETCH(QStringList, gone);
        QFETCH(Change, state);
        // Files glide to their places and fade in and out: both floors are pictured at rest,
        // however loaded the machine is.
        const ManualClock clock;
        QImage changed;
        // The fresh floor has the files where the changed one left them, to the last bit.
        QMap<QString, QPointF> files;
        {
            FloorRoom room(seededFloor());
            ManualClock::settle();
            picture(room);
            change(room);
            QCoreApplication::processEvents();
            ManualClock::settle();
            changed = picture(room);
            files = room.storedPositions();
        }
        for (const QString& name : gone)
            files.remove(name);
        FloorRoom fresh(files);
        ManualClock::settle();
        state(fresh);
        QCoreApplication::processEvents();
        ManualClock::settle();
        QCOMPARE(largestDifference(changed, picture(fresh)), 0);
    }

    // A repaint or a pointer far from the other files still finds a file that went there:
    // dragged into a corner, laid there by a drag, or arriving there.
    void aFileFarFromTheOthersStillShowsAndTakesThePointer_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("name");
        QTest::newRow("held in a corner") << Change([](FloorRoom& r) {
            r.press(placeOf(u"a.txt"_s));
            for (int i = 1; i <= 4; ++i)
                r.moveTo(placeOf(u"a.txt"_s) + (QPointF(70, 70) - placeOf(u"a.txt"_s)) * i / 4);
        }) << u"a.txt"_s;
        QTest::newRow("laid far away")
            << Change([](FloorRoom& r) { r.drag(placeOf(u"c.txt"_s), QPointF(1380, 850)); })
            << u"c.txt"_s;
        QTest::newRow("arriving far away") << Change([](FloorRoom& r) {
            const QString source = r.home().writeFile(u"Unduhan/jauh.txt"_s, "x");
            r.storage().hideUnderCarpet(QUrl::fromLocalFile(source), 0.04, 0.97);
        }) << u"jauh.txt"_s;
    }
    void aFileFarFromTheOthersStillShowsAndTakesThePointer()
    {
        QFETCH(Change, change);
        QFETCH(QString, name);
        FloorRoom room(seededFloor());
        QImage before = picture(room);
        change(room);
        QCoreApplication::processEvents();
        QTRY_VERIFY(room.floor().floorItem(name));
        FloorItemView* file = room.floor().floorItem(name);
        const QRectF place = file->sceneBoundingRect();
        const QPointF centre = place.center();
        QTRY_VERIFY(room.floor().scene()->items(centre).contains(file));
        // Drawn alone, the file's place shows what the whole room shows there, and that is
        // not the floor without it.
        const QImage whole = picture(room).copy(place.toAlignedRect());
        const QImage alone = pictureOf(room, QRectF(place.toAlignedRect()));
        QCOMPARE(largestDifference(alone, whole), 0);
        QVERIFY(largestDifference(alone, before.copy(place.toAlignedRect())) > 0);
    }

    // A file dragged over a crowded floor repaints, step by step, only where it was and where
    // it is, however many files lie around it (the resting ones are in the floor's picture),
    // and lands where it was let go, on top where it lies.
    void aDragRepaintsOnlyTheDraggedFile_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("selected");
        QTest::newRow("the seeded floor") << 0 << QStringList();
        QTest::newRow("400 files more") << 400 << QStringList();
        QTest::newRow("1500 files more") << 1500 << QStringList();
        QTest::newRow("1500 files more, three selected")
            << 1500 << QStringList{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s};
    }
    void aDragRepaintsOnlyTheDraggedFile()
    {
        QFETCH(int, count);
        QFETCH(QStringList, selected);
        const ManualClock clock;
        FloorRoom room(crowdedFloor(count));
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        room.floorState().setSelectedFileNames(QSet<QString>(selected.begin(), selected.end()));
        ManualClock::settle();
        drawnAsItStands(room);
        const QString name = u"a.txt"_s;
        const QStringList moving = selected.isEmpty() ? QStringList{name} : selected;
        const QPointF from = placeOf(name);
        const QPointF step(31, 9);
        const auto placesOf = [&] {
            QRegion places;
            for (const QString& m : moving) {
                // Qt widens a repaint by a couple of pixels for antialiasing.
                const FloorItemView* file = room.floor().floorItem(m);
                places += file->sceneBoundingRect()
                              .translated(room.floor().shownCentre(m) - file->centre())
                              .toAlignedRect()
                              .adjusted(-3, -3, 3, 3);
            }
            return places;
        };
        room.press(from);
        for (int i = 1; i <= 6; ++i) {
            const QRegion before = placesOf();
            const Repaints repaints(room.view().viewport());
            room.moveTo(from + step * i);
            repaintNow();
            // The first step lifts the floor over the furniture, which shows it anew.
            if (i == 1)
                continue;
            const QRegion outside = repaints.painted - before - placesOf();
            QVERIFY2(outside.isEmpty(), qPrintable(u"step %1 repainted %2 x %3 at (%4, %5)"_s.arg(i)
                                                       .arg(outside.boundingRect().width())
                                                       .arg(outside.boundingRect().height())
                                                       .arg(outside.boundingRect().x())
                                                       .arg(outside.boundingRect().y())));
            // What a repaint looks at: the dragged file, not the resting ones; the selection
            // following it is one picture.
            int drawn = 0;
            for (QGraphicsItem* item : room.floor().scene()->items()) {
                if (auto* file = dynamic_cast<FloorItemView*>(item))
                    drawn += file->isVisible() && file->effectiveOpacity() > 0 ? 1 : 0;
            }
            QCOMPARE(drawn, 1);
        }
        const QPointF landed = from + step * 6;
        room.release(landed);
        ManualClock::settle();
        drawnAsItStands(room);

        QMap<QString, QPointF> files = crowdedFloor(count);
        const QMap<QString, QPointF> stored = room.storedPositions();
        for (const QString& m : moving) {
            const QPointF at = placeOf(m) + landed - from;
            files.insert(m, QPointF(at.x() / FloorRoom::width, at.y() / FloorRoom::height));
            QCOMPARE(stored.value(m), files.value(m));
            FloorItemView* file = room.floor().floorItem(m);
            QVERIFY(file);
            QCOMPARE(file->centre(), at);
            // The pointer finds it there.
            QVERIFY(room.floor().scene()->items(at).contains(file));
        }
        // And each is drawn there as on a floor started that way, the selection that followed
        // as one picture too.
        const QImage moved = picture(room);
        FloorRoom fresh(files);
        QTRY_COMPARE(fresh.floor().pendingCount(), 0);
        fresh.floorState().setSelectedFileNames(room.floorState().selectedFileNames());
        // The pointer rests on it where it was let go.
        fresh.floorState().setHoveredFloorFileName(name);
        QCoreApplication::processEvents();
        ManualClock::settle();
        drawnAsItStands(fresh);
        const QImage expected = picture(fresh);
        for (const QString& m : moving) {
            const QRect place = room.floor().floorItem(m)->sceneBoundingRect().toAlignedRect();
            QCOMPARE(largestDifference(moved.copy(place), expected.copy(place)), 0);
        }
    }

    // A file lifted out of a pile of hundreds, resting or selected (the pointer over it, as
    // when it is pressed to be dragged), draws itself at once, while the pile is drawn again
    // without it a slice on each turn of the event loop; then the floor looks as if it
    // started that way.
    void aFileLiftedOutOfAPileIsDrawnOverItAtOnce_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::newRow("resting") << false;
        QTest::newRow("in a selection of the pile") << true;
    }
    void aFileLiftedOutOfAPileIsDrawnOverItAtOnce()
    {
        QFETCH(bool, selected);
        const ManualClock clock;
        const QMap<QString, QPointF> files = piledFloor(400);
        QSet<QString> selection;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (selected && it.key().startsWith(u"0 tumpukan"_s))
                selection.insert(it.key());
        }
        const QString name = u"0 tumpukan 0210.txt"_s;
        const auto lift = [&](FloorRoom& room) {
            room.floorState().setSelectedFileNames(selection);
            ManualClock::settle();
            drawnAsItStands(room);
            room.floorState().setHoveredFloorFileName(name);
        };
        FloorRoom room(files);
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        lift(room);
        FloorFileLayer& pile =
            selected ? *room.floor().selectionLayer() : *room.floor().fileLayer();
        const int before = pile.fileDrawCount();
        int turns = 0;
        do {
            const int draws = pile.fileDrawCount();
            const QImage shown = picture(room);
            QVERIFY2(pile.fileDrawCount() - draws <= FloorFileLayer::filesPerSlice,
                     qPrintable(u"%1 files drawn at once"_s.arg(pile.fileDrawCount() - draws)));
            QVERIFY(room.floor().floorItem(name)->isVisible());
            QCoreApplication::processEvents();
        } while (pile.needsRepair() && ++turns < 100);
        QVERIFY(pile.fileDrawCount() - before > FloorFileLayer::filesPerSlice);

        FloorRoom fresh(files);
        QTRY_COMPARE(fresh.floor().pendingCount(), 0);
        lift(fresh);
        drawnAsItStands(fresh);
        drawnAsItStands(room);
        QCOMPARE(largestDifference(picture(room), picture(fresh)), 0);
    }

    // A file dropped where it leaves the floor (onto the shelf) is wiped from the screen at
    // the place it was let go, far from the resting files.
    void aFileThatLeavesOnItsDropIsWipedWhereItWasLetGo()
    {
        const ManualClock clock;
        FloorRoom room(seededFloor());
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        ManualClock::settle();
        drawnAsItStands(room);
        const QString name = u"a.txt"_s;
        const QPointF from = placeOf(name);
        const QPointF shelf =
            RoomGeometry(QSizeF(FloorRoom::width, FloorRoom::height)).shelfRect().center();
        room.press(from);
        for (int i = 1; i <= 6; ++i) {
            room.moveTo(from + (shelf - from) * (i / 6.0));
            repaintNow();
        }
        const QRect last = room.floor().floorItem(name)->sceneBoundingRect().toAlignedRect();
        room.release(shelf);
        room.settle();
        repaintNow();
        // The floor sinks back under the furniture with the file still shown; then it goes.
        const Repaints repaints(room.view().viewport());
        ManualClock::settle();
        repaintNow();
        QVERIFY(QFileInfo::exists(room.shelfPath(name)));
        QVERIFY(!room.floor().floorItem(name));
        QVERIFY((QRegion(last) - repaints.painted).isEmpty());
    }

    // Hundreds of files arriving at once are given their views a batch at a time, the room
    // drawing between batches; in the end every file has its view and was drawn once.
    void manyNewFilesFillTheFloorInBatches()
    {
        FloorRoom room({});
        QStringList names;
        for (int i = 0; i < 700; ++i) {
            names << u"file %1.txt"_s.arg(i);
            room.home().writeFile(u"Documents/RidezozEvar/Karpet/"_s + names.last(), "x");
        }
        room.storage().reloadAll();
        QVERIFY(room.floor().pendingCount() > 0);
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        int shown = 0;
        for (const QString& name : names)
            shown += room.floor().floorItem(name) ? 1 : 0;
        QCOMPARE(shown + room.floor().coveredCount(), int(names.size()));
        picture(room);
        QCOMPARE(room.floor().fileLayer()->fileDrawCount(), shown);
    }
};

PONDSILL_TEST(FloorFileLayerTest)
#include "floor_layer_test.moc"
