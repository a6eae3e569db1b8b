#include "floor_room.h"
#include "platform/event_sounds.h"
#include "room/floor/floor_item_view.h"
#include "room/floor/magic_carpet_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QPointF trashCentre(1022.4, 664.2);
// The shelf's drawn left edge at its middle height.
const QPointF shelfLeftEdge(241.632 - 0.2444 * 1440 / 2, 333.45);

class SilentSounds : public EventSounds {
public:
    void play(const QString&) override {}
};

// Files on the Desktop, as a file manager would drag them.
QStringList desktopFiles(FloorRoom& room, const QStringList& names)
{
    QStringList paths;
    for (const QString& name : names)
        paths << room.home().writeFile(u"Desktop/"_s + name, "from the desktop");
    return paths;
}

std::unique_ptr<QMimeData> urls(const QStringList& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const QString& path : paths)
        list << QUrl::fromLocalFile(path);
    data->setUrls(list);
    return data;
}

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}
} // namespace

// Files dragged in from other programs.
class FloorDropTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void whereADropGoes_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("lands"); // trash, shelf, frame:N or floor

        QTest::newRow("84.9 from the trash centre")
            << trashCentre + QPointF(-84.9, 0) << u"x.txt"_s << u"trash"_s;
        QTest::newRow("85.0 from the trash centre")
            << trashCentre + QPointF(-85.0, 0) << u"x.txt"_s << u"floor"_s;
        QTest::newRow("25 left of the shelf")
            << shelfLeftEdge + QPointF(-25, 0) << u"x.txt"_s << u"shelf"_s;
        QTest::newRow("35 left of the shelf")
            << shelfLeftEdge + QPointF(-35, 0) << u"x.txt"_s << u"floor"_s;
        QTest::newRow("a PNG top right of the photo wall")
            << QPointF(1300, 100) << u"x.png"_s << u"frame:1"_s;
        QTest::newRow("a PDF on a frame") << QPointF(1300, 100) << u"x.pdf"_s << u"floor"_s;
    }

    void whereADropGoes()
    {
        QFETCH(QPointF, at);
        QFETCH(QString, file);
        QFETCH(QString, lands);
        FloorRoom room({});
        SilentSounds sounds;
        room.storage().setEventSounds(&sounds);
        const QString source = desktopFiles(room, {file}).constFirst();
        auto data = urls({source});
        QCOMPARE(room.dropAt(at, data.get()), Qt::CopyAction);
        QVERIFY(!room.floorState().isFloorTargeted());

        if (lands == u"trash"_s) {
            QTRY_VERIFY(isFile(room.trashFilesPath(file)));
        } else if (lands == u"shelf"_s) {
            QTRY_VERIFY(QFileInfo(room.shelfPath(file)).isSymLink());
            QVERIFY(isFile(source)); // the shelf links to it where it is
        } else if (lands.startsWith(u"frame:"_s)) {
            QTRY_VERIFY(isFile(room.albumPath(u"frame_"_s + lands.mid(6) + u".png"_s)));
            QVERIFY(isFile(source)); // a framed photo is a copy
        } else {
            QTRY_VERIFY(isFile(room.carpetPath(file)));
            QVERIFY(!QFileInfo::exists(source));
            const QPointF expected(std::clamp(at.x() / 1440, 0.04, 0.96),
                                   std::clamp(at.y() / 900, 0.06, 0.92));
            QCOMPARE(room.storedPositions().value(file), expected);
        }
    }

    void threeFilesLieAtOnePoint()
    {
        FloorRoom room({});
        const QStringList sources =
            desktopFiles(room, {u"one.txt"_s, u"two.txt"_s, u"three.txt"_s});
        auto data = urls(sources);
        QCOMPARE(room.dropAt(QPointF(300, 600), data.get()), Qt::CopyAction);
        QTRY_COMPARE(room.storedPositions().size(), 3);
        for (const QPointF& p : room.storedPositions())
            QCOMPARE(p, QPointF(300.0 / 1440, 600.0 / 900));
    }

    void aDropInTheTopLeftCornerIsClamped()
    {
        FloorRoom room({});
        auto data = urls(desktopFiles(room, {u"corner.txt"_s}));
        room.dropAt(QPointF(0, 0), data.get());
        QTRY_COMPARE(room.storedPositions().value(u"corner.txt"_s), QPointF(0.04, 0.06));
    }

    void onlyLocalFilesAreTaken_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("a relative path") << u"Desktop/keep.txt"_s;
        QTest::newRow("a home-relative path") << u"~/Desktop/keep.txt"_s;
        QTest::newRow("a web address") << u"https://example.invalid/keep.txt"_s;
        QTest::newRow("a remote file URL") << u"file://elsewhere/Desktop/keep.txt"_s;
    }

    void onlyLocalFilesAreTaken()
    {
        QFETCH(QString, text);
        FloorRoom room({});
        const QString source = desktopFiles(room, {u"keep.txt"_s}).constFirst();
        // Whatever folder the program runs in, a relative path names nothing.
        const QString before = QDir::currentPath();
        QDir::setCurrent(room.home().path());
        QMimeData data;
        data.setText(text);
        room.dropAt(QPointF(300, 600), &data);
        QTest::qWait(50);
        QDir::setCurrent(before);
        QVERIFY(isFile(source));
        QVERIFY(room.storage().carpetItems().isEmpty());
    }

    void anAbsolutePathAsTextIsTaken()
    {
        FloorRoom room({});
        const QString source = desktopFiles(room, {u"text.txt"_s}).constFirst();
        QMimeData data;
        data.setText(source);
        QCOMPARE(room.dropAt(QPointF(300, 600), &data), Qt::CopyAction);
        QTRY_VERIFY(isFile(room.carpetPath(u"text.txt"_s)));
    }

    void aDropIsNeverTakenAsAMove()
    {
        FloorRoom room({});
        const QString source = desktopFiles(room, {u"moved.txt"_s}).constFirst();
        auto data = urls({source});
        // Offered only as a move, the drop is refused and nothing happens.
        QCOMPARE(room.dropAt(QPointF(300, 600), data.get(), Qt::MoveAction), Qt::IgnoreAction);
        QTest::qWait(50);
        QVERIFY(isFile(source));
        // Offered as copy or move, it is taken as a copy.
        QCOMPARE(room.dropAt(QPointF(300, 600), data.get(), Qt::CopyAction | Qt::MoveAction),
                 Qt::CopyAction);
        QTRY_VERIFY(isFile(room.carpetPath(u"moved.txt"_s)));
    }

    void theHighlightAndTheFlagsFollowTheDrag()
    {
        FloorRoom room({});
        auto data = urls(desktopFiles(room, {u"hover.png"_s}));
        room.dragOver(QPointF(241, 333), data.get());
        QVERIFY(room.floorState().isFloorTargeted());
        QVERIFY(room.appState().isBookshelfTargeted());
        room.dragOver(QPointF(1300, 100), data.get());
        QVERIFY(!room.appState().isBookshelfTargeted());
        QCOMPARE(room.appState().targetedPhotoSlot(), std::optional<int>(1));
        room.dragLeave(data.get());
        QVERIFY(!room.floorState().isFloorTargeted());
        QVERIFY(!room.appState().targetedPhotoSlot());
        QVERIFY(!room.appState().isTrashTargeted());
    }
};

PONDSILL_TEST(FloorDropTest)
#include "floor_drop_test.moc"
