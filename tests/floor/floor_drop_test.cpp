#include "floor_room.h"
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

// Files on the Desktop, as a file manager would drag them.
QStringList desktopFiles(FloorRoom& room, const QStringList& names)
{
    QStringList paths;
    for (const QString& name : names)
        paths << room.home().writeFile(u"Desktop/"_s + name, name.endsWith(u".png")
                                                                 ? pictureBytes("from the desktop")
                                                                 : "from the desktop");
    return paths;
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
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("lands"); // trash, shelf, frame:N, floor or refused

        const QStringList text{u"x.txt"_s};
        QTest::newRow("84.9 from the trash centre")
            << trashCentre + QPointF(-84.9, 0) << text << u"trash"_s;
        QTest::newRow("25 left of the shelf")
            << shelfLeftEdge + QPointF(-25, 0) << text << u"shelf"_s;
        QTest::newRow("a PNG top right of the photo wall")
            << QPointF(1300, 100) << QStringList{u"x.png"_s} << u"frame:1"_s;
        QTest::newRow("a PDF on a frame")
            << QPointF(1300, 100) << QStringList{u"x.pdf"_s} << u"floor"_s;
        QTest::newRow("the bottom-right corner") << QPointF(1439, 899) << text << u"floor"_s;
        QTest::newRow("three files at one point")
            << QPointF(300, 600) << QStringList{u"one.txt"_s, u"two.txt"_s, u"three.txt"_s}
            << u"floor"_s;
        // A drop is never taken as a move: the files must stay where they came from.
        QTest::newRow("offered only as a move") << QPointF(300, 600) << text << u"refused"_s;
    }

    void whereADropGoes()
    {
        QFETCH(QPointF, at);
        QFETCH(QStringList, files);
        QFETCH(QString, lands);
        FloorRoom room({});
        const QStringList sources = desktopFiles(room, files);
        auto data = fileDrag(sources);
        const bool refused = lands == u"refused"_s;
        QCOMPARE(
            room.dropAt(at, data.get(), refused ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction),
            refused ? Qt::IgnoreAction : Qt::CopyAction);
        QVERIFY(!room.floorState().isFloorTargeted());

        QMap<QString, QPointF> stored;
        for (int i = 0; i < files.size(); ++i) {
            const QString& file = files[i];
            if (lands == u"trash"_s) {
                QTRY_VERIFY(isFile(room.trashFilesPath(file)));
            } else if (lands == u"shelf"_s) {
                QTRY_VERIFY(QFileInfo(room.shelfPath(file)).isSymLink());
                QVERIFY(isFile(sources[i])); // the shelf links to it where it is
            } else if (lands.startsWith(u"frame:"_s)) {
                QTRY_VERIFY(isFile(room.albumPath(u"frame_"_s + lands.mid(6) + u".png"_s)));
                QVERIFY(isFile(sources[i])); // a framed photo is a copy
            } else if (lands == u"floor"_s) {
                QTRY_VERIFY(isFile(room.carpetPath(file)));
                QVERIFY(!QFileInfo::exists(sources[i]));
                stored.insert(file, QPointF(std::clamp(at.x() / 1440, 0.04, 0.96),
                                            std::clamp(at.y() / 900, 0.06, 0.92)));
            } else {
                QTest::qWait(50);
                QVERIFY(isFile(sources[i]));
            }
        }
        QCOMPARE(room.storedPositions(), stored);
    }

    void onlyLocalFilesAreTakenFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::newRow("an absolute path") << u"%1/Desktop/keep.txt"_s << true;
        QTest::newRow("a relative path") << u"Desktop/keep.txt"_s << false;
        QTest::newRow("a home-relative path") << u"~/Desktop/keep.txt"_s << false;
        QTest::newRow("a web address") << u"https://example.invalid/keep.txt"_s << false;
        QTest::newRow("a remote file URL") << u"file://elsewhere/Desktop/keep.txt"_s << false;
    }

    void onlyLocalFilesAreTakenFromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, taken);
        FloorRoom room({});
        const QString source = desktopFiles(room, {u"keep.txt"_s}).constFirst();
        // Whatever folder the program runs in, a relative path names nothing.
        const QString before = QDir::currentPath();
        QDir::setCurrent(room.home().path());
        QMimeData data;
        data.setText(text.contains(u"%1"_s) ? text.arg(room.home().path()) : text);
        room.dropAt(QPointF(300, 600), &data);
        QTest::qWait(50);
        QDir::setCurrent(before);
        if (taken) {
            QTRY_VERIFY(isFile(room.carpetPath(u"keep.txt"_s)));
        } else {
            QVERIFY(isFile(source));
            QVERIFY(room.storage().carpetItems().isEmpty());
        }
    }

    void theHighlightAndTheFlagsFollowTheDrag()
    {
        FloorRoom room({});
        auto data = fileDrag(desktopFiles(room, {u"hover.png"_s}));
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
