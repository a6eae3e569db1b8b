// A thousand floor files leaving at once: the floor lets them go together, without drawing
// any of them again, and the storage saves and lists once.
#include "floor_room.h"
#include "room/floor/floor_file_area.h"
#include "room/floor/floor_file_layer.h"
#include "room/floor/magic_carpet_view.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QFileInfo>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
constexpr int kFiles = 1000;

void paint(FloorRoom& room)
{
    QImage image(FloorRoom::width, FloorRoom::height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    room.floor().scene()->render(&painter, QRectF(image.rect()),
                                 QRectF(0, 0, FloorRoom::width, FloorRoom::height));
}

// Files spread over the left of the floor, clear of the carpet.
QMap<QString, QPointF> spreadFiles()
{
    QMap<QString, QPointF> files;
    for (int i = 0; i < kFiles; ++i)
        files.insert(u"berkas %1.txt"_s.arg(i, 4, 10, QLatin1Char('0')),
                     QPointF(0.05 + 0.3 * (i % 40) / 40.0, 0.7 + 0.2 * (i / 40) / 25.0));
    return files;
}
} // namespace

class FloorBulkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manyFilesLeaveTogether_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("whereTo"); // "shelf", "trash" or "desktop"
        QTest::newRow("the selection into the Trash") << u"bar trash"_s << u"trash"_s;
        QTest::newRow("the selection onto the shelf") << u"bar shelf"_s << u"shelf"_s;
        QTest::newRow("every file back to the Desktop") << u"restore all"_s << u"desktop"_s;
    }

    void manyFilesLeaveTogether()
    {
        QFETCH(QString, how);
        QFETCH(QString, whereTo);
        const QMap<QString, QPointF> files = spreadFiles();
        FloorRoom room(files);
        QTRY_COMPARE(room.floor().pendingCount(), 0);
        if (how.startsWith(u"bar"_s)) {
            const QStringList names = files.keys();
            room.floorState().setSelectedFileNames(QSet<QString>(names.begin(), names.end()));
        }
        paint(room);
        const int drawn = room.floor().fileLayer()->fileDrawCount();
        const auto drawing = [&room] {
            int count = 0;
            for (const QGraphicsItem* holder : room.floor().fileArea()->childItems()) {
                for (const QGraphicsItem* view : holder->childItems())
                    count += view->flags() & QGraphicsItem::ItemHasNoContents ? 0 : 1;
            }
            return count;
        };
        const int drawingBefore = drawing();
        const StorageManager::WorkCounts before = room.storage().workCounts();

        // Looked at after the first slice of the move, and again once it has ended.
        room.storage().setBulkSliceItems(100);
        if (how == u"bar trash")
            room.floor().trashSelection();
        else if (how == u"bar shelf")
            room.floor().addSelectionToBookshelf();
        else
            room.storage().restoreAllCarpetItemsToDesktop();
        QVERIFY(room.storage().hasMovesInFlight());
        int shown = 0;
        for (const QString& name : files.keys())
            shown += room.floor().floorItem(name) ? 1 : 0;
        QCOMPARE(shown, 0);
        // Hidden, their views gain nothing of their own for the scene to repaint (the pictures
        // they lay in draw their places again once), and the next turn, which holds the scene's
        // pass over them and the move's next slice, deletes none of them yet: with 10,000 files
        // each cost that turn tens of milliseconds.
        QCOMPARE(drawing(), drawingBefore);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(room.floor().fileArea()->childItems().size(), kFiles);
        paint(room);
        // Nor does the picture of the selected files show them any more.
        QVERIFY(!room.floor().selectionLayer()->holdsPicture());
        room.settle();
        paint(room);

        // None was drawn into the floor's picture again on its way out.
        QCOMPARE(room.floor().fileLayer()->fileDrawCount(), drawn);
        const StorageManager::WorkCounts& after = room.storage().workCounts();
        QCOMPARE(after.floorSaves - before.floorSaves, 1);
        QCOMPARE(after.carpetListings - before.carpetListings, 1);
        QCOMPARE(room.storage().carpetItems().size(), 0);
        int arrived = 0;
        for (const QString& name : files.keys()) {
            const QString at = whereTo == u"shelf"   ? room.shelfPath(name)
                               : whereTo == u"trash" ? room.trashFilesPath(name)
                                                     : room.home().path() + u"/Desktop/"_s + name;
            arrived += QFileInfo::exists(at) ? 1 : 0;
        }
        QCOMPARE(arrived, kFiles);
        QCOMPARE(room.storedPositions().size(), 0);
    }
};

PONDSILL_TEST(FloorBulkTest)
#include "floor_bulk_test.moc"
