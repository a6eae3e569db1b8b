#include "floor_room.h"
#include "platform/trash.h"
#include "room/desktop_root_view.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/magic_carpet_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
using Layout = QMap<QString, QPointF>;

// The seeded layout with some files gone and some at new places.
Layout seededWith(const QStringList& gone, const Layout& moved = {})
{
    Layout layout = seededFloor();
    for (const QString& name : gone)
        layout.remove(name);
    layout.insert(moved);
    return layout;
}

const QPointF shelfCentre(241.632, 333.45);
const QPointF trashCentre(1022.4, 664.2);
const QPointF galleryTopRight(1300, 100);

bool exists(const QString& path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

class RefusingTrash : public Trash {
public:
    bool moveToTrash(const QString& path, QString* error) override
    {
        refused << path;
        if (error)
            *error = QStringLiteral("refused");
        return false;
    }
    QStringList refused;
};
} // namespace

// Floor files dragged about the room, alone or selected together.
class FloorFileDragTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whereADraggedFileGoes_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QString>("lands"); // shelf, trash, frame or floor
        QTest::addColumn<Layout>("stored");

        const QString a = u"a.txt"_s, b = u"b.txt"_s, c = u"c.txt"_s, photo = u"photo.png"_s;
        QTest::newRow("onto the shelf")
            << QStringList() << a << shelfCentre << u"shelf"_s << seededWith({a});
        QTest::newRow("into the trash")
            << QStringList() << b << trashCentre << u"trash"_s << seededWith({b});
        QTest::newRow("an image onto a frame")
            << QStringList() << photo << galleryTopRight << u"frame"_s << seededWith({photo});
        QTest::newRow("the group onto the shelf")
            << QStringList{a, b, c} << b << shelfCentre << u"shelf"_s << seededWith({a, b, c});
        QTest::newRow("the group into the trash")
            << QStringList{a, b, c} << a << trashCentre << u"trash"_s << seededWith({a, b, c});
        QTest::newRow("only the dragged image into the frame")
            << QStringList{a, photo} << photo << galleryTopRight << u"frame"_s
            << seededWith({photo});
        QTest::newRow("a non-image over the gallery")
            << QStringList() << a << galleryTopRight << u"floor"_s
            << seededWith({}, {{a, QPointF(1300.0 / 1440, 100.0 / 900)}});
        QTest::newRow("beyond the floor, clamped")
            << QStringList() << c << QPointF(1435, 3) << u"floor"_s
            << seededWith({}, {{c, QPointF(0.96, 0.06)}});
        // 600 points to the right: c.txt would leave the room and stops at the edge.
        QTest::newRow("the group, each clamped")
            << QStringList{a, b, c} << a << placeOf(a) + QPointF(600, 0) << u"floor"_s
            << seededWith({}, {{a, QPointF((576.0 + 600) / 1440, 0.5)},
                               {b, QPointF((720.0 + 600) / 1440, 0.5)},
                               {c, QPointF(0.96, 0.5)}});
        QTest::newRow("an unselected file moves alone")
            << QStringList{a, b} << c << placeOf(c) + QPointF(0, -100) << u"floor"_s
            << seededWith({}, {{c, QPointF(0.6, 350.0 / 900)}});
    }

    void whereADraggedFileGoes()
    {
        QFETCH(QStringList, selected);
        QFETCH(QString, file);
        QFETCH(QPointF, to);
        QFETCH(QString, lands);
        QFETCH(Layout, stored);
        FloorRoom room(seededFloor());
        room.floorState().setSelectedFileNames(QSet<QString>(selected.begin(), selected.end()));
        room.drag(placeOf(file), to);

        QCOMPARE(room.storedPositions(), stored);
        for (const QString& name : seededFloor().keys()) {
            QCOMPARE(exists(room.carpetPath(name)), stored.contains(name));
            if (!stored.contains(name))
                selected.removeAll(name);
        }
        const QString there = lands == u"shelf"_s   ? room.shelfPath(file)
                              : lands == u"floor"_s ? room.carpetPath(file)
                                                    : room.trashFilesPath(file);
        QVERIFY(exists(there));
        if (lands == u"frame"_s)
            QVERIFY(QFileInfo(room.albumPath(u"frame_1.png"_s)).isFile());
        QCOMPARE(room.floorState().selectedFileNames(),
                 QSet<QString>(selected.begin(), selected.end()));
        QVERIFY(!room.floorState().draggingFloorFileName());
        QVERIFY(!room.appState().isBookshelfTargeted());
        QVERIFY(!room.appState().isTrashTargeted());
        QVERIFY(!room.appState().targetedPhotoSlot());
    }

    void theFlagsFollowTheDrag()
    {
        FloorRoom room(seededFloor());
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        room.press(placeOf(u"photo.png"_s));
        room.moveTo(placeOf(u"photo.png"_s) + QPointF(3, 0));
        QCOMPARE(room.floorState().draggingFloorFileName(), u"photo.png"_s);
        // The selection rides along while the drag lasts, though only the dragged file moves.
        QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(), placeOf(u"a.txt"_s) + QPointF(3, 0));
        // The whole floor rides above the furniture while a file is dragged.
        QCOMPARE(room.root().floorLayer()->zValue(), 30.0);
        room.moveTo(shelfCentre);
        QVERIFY(room.appState().isBookshelfTargeted());
        room.moveTo(QPointF(1100, 450));
        QVERIFY(!room.appState().isBookshelfTargeted());
        QCOMPARE(room.appState().targetedPhotoSlot(), std::optional<int>(4));
        room.moveTo(trashCentre + QPointF(0, 40));
        QVERIFY(room.appState().isTrashTargeted());
        QVERIFY(!room.appState().targetedPhotoSlot());
        room.release(QPointF(700, 300));
        QVERIFY(!room.appState().isTrashTargeted());
        QCOMPARE(room.root().floorLayer()->zValue(), 20.0);
        QCOMPARE(room.floorState().floorFileDragTranslation(), QSizeF(0, 0));
        QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(), placeOf(u"a.txt"_s));
    }

    void shortDragsToggleTheSelection_data()
    {
        QTest::addColumn<qreal>("distance");
        QTest::addColumn<bool>("selects");
        QTest::addColumn<bool>("moves");
        QTest::newRow("a click does nothing") << 0.0 << false << false;
        QTest::newRow("2 points") << 2.0 << true << false;
        QTest::newRow("4.9 points") << 4.9 << true << false;
        QTest::newRow("5 points moves") << 5.0 << false << true;
    }

    void shortDragsToggleTheSelection()
    {
        QFETCH(qreal, distance);
        QFETCH(bool, selects);
        QFETCH(bool, moves);
        FloorRoom room(seededFloor());
        const QPointF from = placeOf(u"a.txt"_s);
        room.drag(from, from + QPointF(distance, 0));
        QCOMPARE(room.floorState().selectedFileNames().contains(u"a.txt"_s), selects);
        QCOMPARE(room.storedPositions().value(u"a.txt"_s),
                 QPointF(moves ? (from.x() + distance) / 1440 : 0.40, 0.50));
    }
};

// What must not be lost when a move fails.
class FloorFailureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRefusedTrashKeepsTheFiles_data()
    {
        QTest::addColumn<bool>("byTheBar");
        QTest::newRow("dragged onto the trash can") << false;
        QTest::newRow("the selection bar's trash button") << true;
    }

    void aRefusedTrashKeepsTheFiles()
    {
        QFETCH(bool, byTheBar);
        FloorRoom room(seededFloor());
        RefusingTrash trash;
        room.storage().setTrash(&trash);
        room.floorState().setSelectedFileNames({u"a.txt"_s, u"c.txt"_s});
        if (byTheBar)
            room.floor().trashSelection();
        else
            room.drag(placeOf(u"a.txt"_s), trashCentre);
        QCOMPARE(trash.refused.size(), 2);
        QVERIFY(QFileInfo(room.carpetPath(u"a.txt"_s)).isFile());
        QVERIFY(QFileInfo(room.carpetPath(u"c.txt"_s)).isFile());
        QCOMPARE(room.storedPositions(), seededFloor());
        QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(), placeOf(u"a.txt"_s));
    }

    void aFailedFrameCopyLeavesThePhotoOnTheFloor()
    {
        FloorRoom room(seededFloor());
        // The album cannot take files: a plain file stands where its folder should be.
        QVERIFY(QDir(room.albumPath()).removeRecursively());
        room.home().writeFile(u"Documents/RidezozEvar/Album"_s, "not a folder");
        room.drag(placeOf(u"photo.png"_s), galleryTopRight);
        QVERIFY(QFileInfo(room.carpetPath(u"photo.png"_s)).isFile());
        QVERIFY(!exists(room.trashFilesPath(u"photo.png"_s)));
        QCOMPARE(room.storedPositions(), seededFloor());

        // The menu's "Pasang ke Bingkai Foto" keeps it as well.
        QVERIFY(
            chooseFromMenu(*room.floor().floorItem(u"photo.png"_s), u"Pasang ke Bingkai Foto"_s));
        QVERIFY(QFileInfo(room.carpetPath(u"photo.png"_s)).isFile());
        QVERIFY(!exists(room.trashFilesPath(u"photo.png"_s)));
        QCOMPARE(room.storedPositions(), seededFloor());
    }
};

PONDSILL_TEST(FloorFileDragTest)
PONDSILL_TEST(FloorFailureTest)
#include "floor_scene_test.moc"
