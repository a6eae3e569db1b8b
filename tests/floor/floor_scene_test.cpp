#include "floor_room.h"
#include "platform/event_sounds.h"
#include "platform/trash.h"
#include "room/desktop_root_view.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/floor_multi_select_action_bar.h"
#include "room/floor/magic_carpet_view.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Where the files lie: three in a row, a photo, and one under the lowered carpet (the
// carpet's centre is (717.12, 738); it covers x 412.12...1022.12, y 688...788).
QMap<QString, QPointF> seeded()
{
    return {{u"a.txt"_s, QPointF(0.40, 0.50)},
            {u"b.txt"_s, QPointF(0.50, 0.50)},
            {u"c.txt"_s, QPointF(0.60, 0.50)},
            {u"photo.png"_s, QPointF(0.45, 0.62)},
            {u"under.txt"_s, QPointF(0.50, 0.83)}};
}

const QPointF shelfCentre(241.632, 333.45);
const QPointF trashCentre(1022.4, 664.2);
const QPointF galleryTopRight(1300, 100);

QPointF place(const QString& name)
{
    return FloorRoom::at(seeded().value(name));
}

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

class SilentSounds : public EventSounds {
public:
    void play(const QString&) override {}
};

} // namespace

// A floor file dragged about the room: onto the shelf, the trash can, a frame, the floor.
class FloorFileDragTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ontoTheShelf()
    {
        FloorRoom room(seeded());
        room.drag(place(u"a.txt"_s), shelfCentre);
        QVERIFY(QFileInfo(room.shelfPath(u"a.txt"_s)).isFile());
        QVERIFY(!exists(room.carpetPath(u"a.txt"_s)));
        QVERIFY(!room.storedPositions().contains(u"a.txt"_s));
        QVERIFY(!room.floorState().draggingFloorFileName());
        QVERIFY(!room.appState().isBookshelfTargeted());
    }

    void ontoTheTrashCan()
    {
        FloorRoom room(seeded());
        SilentSounds sounds;
        room.storage().setEventSounds(&sounds);
        room.drag(place(u"b.txt"_s), trashCentre);
        QVERIFY(QFileInfo(room.trashFilesPath(u"b.txt"_s)).isFile());
        QVERIFY(!exists(room.carpetPath(u"b.txt"_s)));
        QVERIFY(!room.storedPositions().contains(u"b.txt"_s));
    }

    void anImageOntoAFrame()
    {
        FloorRoom room(seeded());
        SilentSounds sounds;
        room.storage().setEventSounds(&sounds);
        room.drag(place(u"photo.png"_s), galleryTopRight);
        QVERIFY(QFileInfo(room.albumPath(u"frame_1.png"_s)).isFile());
        QVERIFY(!exists(room.carpetPath(u"photo.png"_s)));
        QVERIFY(QFileInfo(room.trashFilesPath(u"photo.png"_s)).isFile());
        QVERIFY(!room.storedPositions().contains(u"photo.png"_s));
    }

    void aNonImageOverTheGalleryLiesOnTheFloor()
    {
        FloorRoom room(seeded());
        room.drag(place(u"a.txt"_s), galleryTopRight);
        QVERIFY(QFileInfo(room.carpetPath(u"a.txt"_s)).isFile());
        QCOMPARE(room.storedPositions().value(u"a.txt"_s), QPointF(1300.0 / 1440, 100.0 / 900));
        QVERIFY(!room.appState().targetedPhotoSlot());
    }

    void releasedBeyondTheFloorIsClamped()
    {
        FloorRoom room(seeded());
        room.drag(place(u"c.txt"_s), QPointF(1435, 3));
        QCOMPARE(room.storedPositions().value(u"c.txt"_s), QPointF(0.96, 0.06));
        QVERIFY(room.floor().floorItem(u"c.txt"_s));
    }

    void theFlagsFollowTheDrag()
    {
        FloorRoom room(seeded());
        room.press(place(u"photo.png"_s));
        room.moveTo(place(u"photo.png"_s) + QPointF(3, 0));
        QCOMPARE(room.floorState().draggingFloorFileName(), u"photo.png"_s);
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
    }

    void shortDragsToggleTheSelection_data()
    {
        QTest::addColumn<qreal>("distance");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("2 points") << 2.0 << true;
        QTest::newRow("4.9 points") << 4.9 << true;
        QTest::newRow("5 points moves") << 5.0 << false;
    }

    void shortDragsToggleTheSelection()
    {
        QFETCH(qreal, distance);
        QFETCH(bool, toggles);
        FloorRoom room(seeded());
        const QPointF from = place(u"a.txt"_s);
        room.drag(from, from + QPointF(distance, 0));
        QCOMPARE(room.floorState().selectedFileNames().contains(u"a.txt"_s), toggles);
        const QPointF stored = room.storedPositions().value(u"a.txt"_s);
        if (toggles)
            QCOMPARE(stored, QPointF(0.40, 0.50));
        else
            QCOMPARE(stored, QPointF((from.x() + distance) / 1440, 0.50));
    }

    void aClickWithoutMovementDoesNothing()
    {
        FloorRoom room(seeded());
        room.click(place(u"a.txt"_s));
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
        QCOMPARE(room.storedPositions().value(u"a.txt"_s), QPointF(0.40, 0.50));
    }
};

// Several selected files moving together.
class FloorGroupMoveTest : public QObject {
    Q_OBJECT
private:
    static void selectThree(FloorRoom& room)
    {
        room.floorState().setSelectedFileNames({u"a.txt"_s, u"b.txt"_s, u"c.txt"_s});
    }

private Q_SLOTS:
    void theGroupGoesOntoTheShelf()
    {
        FloorRoom room(seeded());
        selectThree(room);
        room.drag(place(u"b.txt"_s), shelfCentre);
        for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s}) {
            QVERIFY2(QFileInfo(room.shelfPath(name)).isFile(), qPrintable(name));
            QVERIFY(!exists(room.carpetPath(name)));
        }
        QVERIFY(exists(room.carpetPath(u"photo.png"_s)));
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
    }

    void theGroupGoesIntoTheTrash()
    {
        FloorRoom room(seeded());
        SilentSounds sounds;
        room.storage().setEventSounds(&sounds);
        selectThree(room);
        room.drag(place(u"a.txt"_s), trashCentre);
        for (const QString& name : {u"a.txt"_s, u"b.txt"_s, u"c.txt"_s})
            QVERIFY2(QFileInfo(room.trashFilesPath(name)).isFile(), qPrintable(name));
        QVERIFY(room.storedPositions().keys() == (QStringList{u"photo.png"_s, u"under.txt"_s}));
    }

    void theGroupMovesAcrossTheFloorEachClamped()
    {
        FloorRoom room(seeded());
        selectThree(room);
        // 600 points to the right: c.txt would leave the room and stops at the edge.
        room.drag(place(u"a.txt"_s), place(u"a.txt"_s) + QPointF(600, 0));
        const QMap<QString, QPointF> stored = room.storedPositions();
        QCOMPARE(stored.value(u"a.txt"_s), QPointF((576.0 + 600) / 1440, 0.5));
        QCOMPARE(stored.value(u"b.txt"_s), QPointF((720.0 + 600) / 1440, 0.5));
        QCOMPARE(stored.value(u"c.txt"_s), QPointF(0.96, 0.5));
        QCOMPARE(stored.value(u"photo.png"_s), QPointF(0.45, 0.62));
    }

    void onlyTheDraggedImageGoesIntoTheFrame()
    {
        FloorRoom room(seeded());
        SilentSounds sounds;
        room.storage().setEventSounds(&sounds);
        room.floorState().setSelectedFileNames({u"a.txt"_s, u"photo.png"_s});
        room.drag(place(u"photo.png"_s), galleryTopRight);
        QVERIFY(QFileInfo(room.albumPath(u"frame_1.png"_s)).isFile());
        QVERIFY(!exists(room.carpetPath(u"photo.png"_s)));
        QVERIFY(QFileInfo(room.carpetPath(u"a.txt"_s)).isFile());
        QCOMPARE(room.floorState().selectedFileNames(), QSet<QString>{u"a.txt"_s});
    }

    void anUnselectedFileMovesAlone()
    {
        FloorRoom room(seeded());
        room.floorState().setSelectedFileNames({u"a.txt"_s, u"b.txt"_s});
        room.press(place(u"c.txt"_s));
        room.moveTo(place(u"c.txt"_s) + QPointF(0, -100));
        // The selection rides along while the drag lasts...
        QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(),
                 place(u"a.txt"_s) + QPointF(0, -100));
        room.release(place(u"c.txt"_s) + QPointF(0, -100));
        // ...but only the dragged file moves.
        QCOMPARE(room.storedPositions().value(u"c.txt"_s), QPointF(0.6, 350.0 / 900));
        QCOMPARE(room.storedPositions().value(u"a.txt"_s), QPointF(0.4, 0.5));
        QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(), place(u"a.txt"_s));
    }
};

// What must not be lost when a move fails.
class FloorFailureTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRefusedTrashLeavesTheFileInPlace()
    {
        FloorRoom room(seeded());
        RefusingTrash trash;
        room.storage().setTrash(&trash);
        room.floorState().setSelectedFileNames({u"a.txt"_s, u"b.txt"_s});
        room.drag(place(u"a.txt"_s), trashCentre);
        QCOMPARE(trash.refused.size(), 2);
        QVERIFY(QFileInfo(room.carpetPath(u"a.txt"_s)).isFile());
        QCOMPARE(room.storedPositions().value(u"a.txt"_s), QPointF(0.40, 0.50));
        QCOMPARE(room.storedPositions().value(u"b.txt"_s), QPointF(0.50, 0.50));
    }

    void aFailedFrameCopyLeavesThePhotoOnTheFloor()
    {
        FloorRoom room(seeded());
        // The album cannot take files: a plain file stands where its folder should be.
        QVERIFY(QDir(room.albumPath()).removeRecursively());
        room.home().writeFile(u"Documents/RidezozEvar/Album"_s, "not a folder");
        room.drag(place(u"photo.png"_s), galleryTopRight);
        QVERIFY(QFileInfo(room.carpetPath(u"photo.png"_s)).isFile());
        QVERIFY(!exists(room.trashFilesPath(u"photo.png"_s)));
        QCOMPARE(room.storedPositions().value(u"photo.png"_s), QPointF(0.45, 0.62));

        // The menu's "Pasang ke Bingkai Foto" keeps it as well.
        FloorItemView* photo = room.floor().floorItem(u"photo.png"_s);
        QVERIFY(photo);
        QMenu menu;
        photo->populateContextMenu(menu);
        const auto actions = menu.actions();
        const auto frame = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
            return a->text() == u"Pasang ke Bingkai Foto"_s;
        });
        QVERIFY(frame != actions.end());
        (*frame)->trigger();
        QVERIFY(QFileInfo(room.carpetPath(u"photo.png"_s)).isFile());
        QCOMPARE(room.storedPositions().value(u"photo.png"_s), QPointF(0.45, 0.62));
    }

    void theBarTrashesEachFileOnlyWhenItLeaves()
    {
        FloorRoom room(seeded());
        RefusingTrash trash;
        room.storage().setTrash(&trash);
        room.floorState().setSelectedFileNames({u"a.txt"_s, u"c.txt"_s});
        room.floor().trashSelection();
        QCOMPARE(trash.refused.size(), 2);
        QCOMPARE(room.storedPositions().value(u"c.txt"_s), QPointF(0.60, 0.50));
        QVERIFY(room.floorState().selectedFileNames().isEmpty());
    }
};

PONDSILL_TEST(FloorFileDragTest)
PONDSILL_TEST(FloorGroupMoveTest)
PONDSILL_TEST(FloorFailureTest)
#include "floor_scene_test.moc"
