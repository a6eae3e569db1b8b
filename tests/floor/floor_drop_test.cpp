#include "floor_room.h"
#include "kit/room_geometry.h"
#include "room/floor/floor_rules.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "support/test_registry.h"

#include <QDir>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const RoomGeometry geometry(QSizeF(1440, 900));
const QPointF trashCentre = geometry.trashCentre();
using Release = FloorRules::FloorRelease::Target;
// The shelf's drawn left edge at its middle height.
const QPointF shelfLeftEdge(241.632 - 0.2444 * 1440 / 2, 333.45);
} // namespace

// Where files dragged in from other programs, or floor files let go, end up.
class FloorDropTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whereADropGoes_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QStringList>("desktop"); // the files dragged from the Desktop
        QTest::addColumn<QString>("text");        // offered as text instead of their URLs
        QTest::addColumn<bool>("moveOnly");
        QTest::addColumn<QStringList>("after"); // FloorRoom::files() once it has landed

        const auto row = [](const char* name, QPointF at, const char* desktop, const char* text,
                            bool moveOnly, const char* after) {
            QTest::newRow(name) << at << names(desktop) << QString::fromUtf8(text) << moveOnly
                                << names(after);
        };
        const QPointF p(300, 600);
        row("84.9 from the trash centre", trashCentre + QPointF(-84.9, 0), "x.txt", "", false,
            "Trash/x.txt");
        // The shelf links to the file where it is; a framed photo is a copy.
        row("25 left of the shelf", shelfLeftEdge + QPointF(-25, 0), "x.txt", "", false,
            "Desktop/x.txt Rak/x.txt@");
        row("a PNG on the photo wall", {1300, 100}, "x.png", "", false,
            "Album/frame_1.png Desktop/x.png");
        row("a PDF on the photo wall", {1300, 100}, "x.pdf", "", false, "Karpet/x.pdf");
        row("the bottom-right corner", {1439, 899}, "x.txt", "", false, "Karpet/x.txt");
        row("three files at one point", p, "1.txt 2.txt 3.txt", "", false,
            "Karpet/1.txt Karpet/2.txt Karpet/3.txt");
        // A drop is never taken as a move: the files must stay where they came from.
        row("offered only as a move", p, "x.txt", "", true, "Desktop/x.txt");
        // Of text, only an absolute local path names a file, whatever folder the program
        // runs in.
        row("an absolute path", p, "x.txt", "HOME/Desktop/x.txt", false, "Karpet/x.txt");
        for (const char* text : {"Desktop/x.txt", "~/Desktop/x.txt",
                                 "https://example.invalid/x.txt", "file://elsewhere/Desktop/x.txt"})
            row(text, p, "x.txt", text, false, "Desktop/x.txt");
    }

    void whereADropGoes()
    {
        QFETCH(QPointF, at);
        QFETCH(QStringList, desktop);
        QFETCH(QString, text);
        QFETCH(bool, moveOnly);
        QFETCH(QStringList, after);
        FloorRoom room({});
        QStringList sources;
        for (const QString& name : desktop)
            sources << room.home().writeFile(
                u"Desktop/"_s + name, name.endsWith(u".png") ? pictureBytes("desktop") : "desktop");
        auto data = fileDrag(sources);
        if (!text.isEmpty()) {
            data = std::make_unique<QMimeData>();
            data->setText(text.replace(u"HOME"_s, room.home().path()));
        }
        const bool refused = after == QStringList{u"Desktop/x.txt"_s};
        const QString before = QDir::currentPath();
        QDir::setCurrent(room.home().path());
        QCOMPARE(room.dropAt(at, data.get(),
                             moveOnly ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction),
                 refused ? Qt::IgnoreAction : Qt::CopyAction);
        QTest::qWait(50);
        QDir::setCurrent(before);
        QTRY_COMPARE(room.files(), after);
        QVERIFY(!room.floorState().isFloorTargeted());
        QMap<QString, QPointF> stored;
        for (const QString& file : after.filter(u"Karpet/"_s))
            stored.insert(file.mid(7), QPointF(std::clamp(at.x() / 1440, 0.04, 0.96),
                                               std::clamp(at.y() / 900, 0.06, 0.92)));
        QCOMPARE(room.storedPositions(), stored);
    }

    // A floor file let go: the pointer or the file's centre may name the target.
    void release_data()
    {
        QTest::addColumn<QPointF>("centre");
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("slot");

        const QRectF shelf = geometry.shelfTarget();
        const QPointF floor(700, 800), onShelf(241, 333);
        QTest::newRow("pointer on the shelf, centre on the floor")
            << floor << onShelf << int(Release::Bookshelf) << -1;
        QTest::newRow("centre on the shelf, pointer on the floor")
            << onShelf << floor << int(Release::Bookshelf) << -1;
        QTest::newRow("the grown shelf's right edge is outside")
            << QPointF(shelf.right(), 333) << floor << int(Release::Floor) << -1;
        QTest::newRow("the centre's frame wins over the pointer's")
            << QPointF(1100, 450) << QPointF(1300, 100) << int(Release::PhotoFrame) << 4;
        QTest::newRow("the pointer's frame when the centre is outside")
            << floor << QPointF(1100, 250) << int(Release::PhotoFrame) << 2;
        QTest::newRow("trash at exactly 85 is outside")
            << trashCentre + QPointF(0, 85) << floor << int(Release::Floor) << -1;
        QTest::newRow("centre in the trash circle, pointer on the shelf")
            << trashCentre << onShelf << int(Release::Bookshelf) << -1;
        QTest::newRow("pointer in the trash circle")
            << floor << trashCentre + QPointF(-60, 60) << int(Release::Trash) << -1;
    }

    void release()
    {
        QFETCH(QPointF, centre);
        QFETCH(QPointF, pointer);
        QFETCH(int, target);
        QFETCH(int, slot);
        const auto r = FloorRules::floorReleaseTarget(geometry, centre, pointer, true);
        QCOMPARE(int(r.target), target);
        QCOMPARE(r.slot, slot);
        // The frame lit while dragging is the one the file would go into.
        QCOMPARE(FloorRules::targetedPhotoSlot(geometry, centre, pointer, true), slot);
    }

    // Where the shelf's and the trash can's targets overlap (only a very small window brings
    // them together), an item dropped from outside goes to the Trash and a dragged floor file
    // to the shelf.
    void overlapOfShelfAndTrash()
    {
        int overlapping = 0;
        for (const QSizeF size : {QSizeF(200, 150), QSizeF(250, 250)}) {
            const RoomGeometry small(size);
            for (qreal x = 0; x < size.width(); x += 2) {
                for (qreal y = 0; y < size.height(); y += 2) {
                    const QPointF p(x, y);
                    if (!small.isOnTrashTarget(p) || !small.isOnShelfTarget(p))
                        continue;
                    ++overlapping;
                    QCOMPARE(int(FloorRules::dropTargetAt(small, p).target),
                             int(FloorRules::FloorDrop::Target::Trash));
                    QCOMPARE(int(FloorRules::floorReleaseTarget(small, p, p, true).target),
                             int(Release::Bookshelf));
                }
            }
        }
        QVERIFY(overlapping > 0);
    }
};

PONDSILL_TEST(FloorDropTest)
#include "floor_drop_test.moc"
