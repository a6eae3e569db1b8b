#include "floor_room.h"
#include "platform/trash.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/magic_carpet_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QDir>
#include <QMimeData>
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
        QTest::addColumn<QStringList>("away"); // what left the carpet, as FloorRoom::files()
        QTest::addColumn<Layout>("stored");
        QTest::addColumn<QStringList>("after"); // the selection

        const auto row = [](const char* name, const char* selected, const char* file, QPointF to,
                            const char* away, const Layout& stored, const char* after) {
            QTest::newRow(name) << names(selected) << QString::fromUtf8(file) << to << names(away)
                                << stored << names(after);
        };
        const QString a = u"a.txt"_s, b = u"b.txt"_s, c = u"c.txt"_s, photo = u"photo.png"_s;
        const QPointF from = placeOf(a);
        row("onto the shelf", "", "a.txt", shelfCentre, "Rak/a.txt", seededWith({a}), "");
        row("into the trash", "", "b.txt", trashCentre, "Trash/b.txt", seededWith({b}), "");
        // A framed photo leaves the floor for the Trash; the frame holds a copy.
        row("an image onto a frame", "", "photo.png", galleryTopRight,
            "Album/frame_1.png Trash/photo.png", seededWith({photo}), "");
        row("the group onto the shelf", "a.txt b.txt c.txt", "b.txt", shelfCentre,
            "Rak/a.txt Rak/b.txt Rak/c.txt", seededWith({a, b, c}), "");
        row("the group into the trash", "a.txt b.txt c.txt", "a.txt", trashCentre,
            "Trash/a.txt Trash/b.txt Trash/c.txt", seededWith({a, b, c}), "");
        row("only the dragged image into the frame", "a.txt photo.png", "photo.png",
            galleryTopRight, "Album/frame_1.png Trash/photo.png", seededWith({photo}), "a.txt");
        row("a non-image over the gallery", "", "a.txt", galleryTopRight, "",
            seededWith({}, {{a, QPointF(1300.0 / 1440, 100.0 / 900)}}), "");
        row("beyond the floor, clamped", "", "c.txt", QPointF(1435, 3), "",
            seededWith({}, {{c, QPointF(0.96, 0.06)}}), "");
        // 600 points to the right: c.txt would leave the room and stops at the edge.
        row("the group, each clamped", "a.txt b.txt c.txt", "a.txt", from + QPointF(600, 0), "",
            seededWith({}, {{a, QPointF((576.0 + 600) / 1440, 0.5)},
                            {b, QPointF((720.0 + 600) / 1440, 0.5)},
                            {c, QPointF(0.96, 0.5)}}),
            "a.txt b.txt c.txt");
        row("an unselected file moves alone", "a.txt b.txt", "c.txt", placeOf(c) + QPointF(0, -100),
            "", seededWith({}, {{c, QPointF(0.6, 350.0 / 900)}}), "a.txt b.txt");
        // Shorter than 5 points a drag toggles the file's selection and moves nothing.
        row("a click does nothing", "", "a.txt", from, "", seededFloor(), "");
        row("2 points", "", "a.txt", from + QPointF(2, 0), "", seededFloor(), "a.txt");
        row("4.9 points", "b.txt", "a.txt", from + QPointF(4.9, 0), "", seededFloor(),
            "a.txt b.txt");
        row("4.9 points on a selected file", "a.txt", "a.txt", from + QPointF(4.9, 0), "",
            seededFloor(), "");
        row("5 points moves", "", "a.txt", from + QPointF(5, 0), "",
            seededWith({}, {{a, QPointF((576.0 + 5) / 1440, 0.5)}}), "");
    }

    void whereADraggedFileGoes()
    {
        QFETCH(QStringList, selected);
        QFETCH(QString, file);
        QFETCH(QPointF, to);
        QFETCH(QStringList, away);
        QFETCH(Layout, stored);
        QFETCH(QStringList, after);
        FloorRoom room(seededFloor());
        room.floorState().setSelectedFileNames(QSet<QString>(selected.begin(), selected.end()));
        room.drag(placeOf(file), to);

        QCOMPARE(room.storedPositions(), stored);
        for (const QString& name : stored.keys())
            away << u"Karpet/"_s + name;
        away.sort();
        QCOMPARE(room.files(), away);
        QCOMPARE(room.floorState().selectedFileNames(), QSet<QString>(after.begin(), after.end()));
        QVERIFY(!room.floorState().draggingFloorFileName());
    }

    // While a file is dragged, from the floor or from another program, the piece under it is
    // lit, one at a time, and nothing stays lit afterwards.
    void theTargetsFollowTheDrag_data()
    {
        QTest::addColumn<bool>("fromOutside");
        QTest::newRow("a floor file") << false;
        QTest::newRow("a file from another program") << true;
    }

    void theTargetsFollowTheDrag()
    {
        QFETCH(bool, fromOutside);
        FloorRoom room(seededFloor());
        AppState& app = room.appState();
        const auto lit = [&] {
            return QList<int>{app.isBookshelfTargeted(), app.isTrashTargeted(),
                              app.targetedPhotoSlot().value_or(-1),
                              room.floorState().isFloorTargeted()};
        };
        auto data = fileDrag({room.home().writeFile(u"Desktop/x.png"_s, pictureBytes("x"))});
        const QPointF photo = placeOf(u"photo.png"_s);
        room.floorState().setSelectedFileNames({u"a.txt"_s});
        if (!fromOutside) {
            room.press(photo);
            room.moveTo(photo + QPointF(3, 0));
            QCOMPARE(room.floorState().draggingFloorFileName(), u"photo.png"_s);
            // The selection rides along while the drag lasts, though only the dragged file
            // moves.
            QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(),
                     placeOf(u"a.txt"_s) + QPointF(3, 0));
        }
        const int outside = fromOutside;
        for (const auto& [at, expected] :
             {std::pair{shelfCentre, QList<int>{1, 0, -1, outside}},
              std::pair{QPointF(1100, 450), QList<int>{0, 0, 4, outside}},
              std::pair{trashCentre + QPointF(0, 40), QList<int>{0, 1, -1, outside}}}) {
            if (fromOutside)
                room.dragOver(at, data.get());
            else
                room.moveTo(at);
            QCOMPARE(lit(), expected);
        }
        if (fromOutside)
            room.dragLeave(data.get());
        else
            room.release(QPointF(700, 300));
        QCOMPARE(lit(), (QList<int>{0, 0, -1, 0}));
        QCOMPARE(room.floorState().floorFileDragTranslation(), QSizeF(0, 0));
        QCOMPARE(room.floor().floorItem(u"a.txt"_s)->centre(), placeOf(u"a.txt"_s));
    }

    // A move the Trash or the album refuses keeps every file, and its place, where it was.
    void aFailedMoveKeepsTheFiles_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"dragged into the trash", "the selection bar's trash button",
                                "dragged onto a frame", "the menu's frame entry"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void aFailedMoveKeepsTheFiles()
    {
        QFETCH(QString, how);
        FloorRoom room(seededFloor());
        RefusingTrash trash;
        room.storage().setTrash(&trash);
        // The album cannot take files: a plain file stands where its folder should be.
        QVERIFY(QDir(room.albumPath()).removeRecursively());
        room.home().writeFile(u"Documents/RidezozEvar/Album"_s, "not a folder");
        const QStringList before = room.files();
        const QString photo = u"photo.png"_s;
        room.floorState().setSelectedFileNames({u"a.txt"_s, photo});
        if (how.startsWith(u"dragged"_s))
            room.drag(placeOf(photo), how.contains(u"trash"_s) ? trashCentre : galleryTopRight);
        else if (how.contains(u"bar"_s))
            room.floor().trashSelection();
        else
            QVERIFY(chooseFromMenu(*room.floor().floorItem(photo), u"Pasang ke Bingkai Foto"_s));
        QCOMPARE(trash.refused.size(), how.contains(u"trash"_s) ? 2 : 0);
        QCOMPARE(room.files(), before);
        QCOMPARE(room.storedPositions(), seededFloor());
        QCOMPARE(room.floor().floorItem(photo)->centre(), placeOf(photo));
    }
};

PONDSILL_TEST(FloorFileDragTest)
#include "floor_scene_test.moc"
