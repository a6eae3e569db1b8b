#include "floor_room.h"
#include "kit/room_item.h"
#include "objects/guitar_view.h"
#include "objects/potted_plant_view.h"
#include "objects/sandal_jepit_view.h"
#include "room/desktop_root_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "support/fake_app_registry.h"
#include "support/manual_clock.h"
#include "support/scene_input.h"
#include "support/test_registry.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The room with the four objects; each guitar counts its music launches instead of
// starting anything, the sandals count their three openers.
struct ObjectsRoom {
    int acousticLaunches = 0;
    int electricLaunches = 0;
    QStringList sandalCalls;
    FloorRoom room{
        {}, [this](FloorRoom& r, RoomPieces& pieces) {
            pieces.furniture[int(Furniture::AcousticGuitar)] = [this, &r] {
                return new AcousticGuitarView(r.appState(), [this] { ++acousticLaunches; });
            };
            pieces.furniture[int(Furniture::StratocasterGuitar)] = [this, &r] {
                return new StratocasterGuitarView(r.appState(), [this] { ++electricLaunches; });
            };
            pieces.furniture[int(Furniture::PottedPlant)] = [] { return new PottedPlantView; };
            pieces.furniture[int(Furniture::Sandals)] = [this, &r] {
                return new SandalJepitView(r.appState(), {[this] { sandalCalls << u"browser"_s; },
                                                          [this] { sandalCalls << u"search"_s; },
                                                          [this] { sandalCalls << u"video"_s; }});
            };
        }};

    RoomItem& piece(Furniture f) { return *room.root().slot(f)->view(); }
    // A point of a piece given as fractions of its frame, in room points.
    QPointF at(Furniture f, qreal x, qreal y)
    {
        RoomItem& item = piece(f);
        return item.mapToScene(QPointF(x * item.size().width(), y * item.size().height()));
    }
    int launches(Furniture f) const
    {
        return f == Furniture::AcousticGuitar ? acousticLaunches : electricLaunches;
    }
};

// A single tap waits out the double-click interval on a real timer: after a double tap, no
// card may open once that interval is over.
void waitOutDoubleClick()
{
    QTest::qWait(QApplication::doubleClickInterval() + 80);
}
} // namespace

class RoomObjectsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void guitarClicksOpenTheirCardOrTheMusicProgram_data()
    {
        QTest::addColumn<int>("guitar");
        QTest::addColumn<ActiveDesktopQuickView>("card");
        QTest::newRow("acoustic") << int(Furniture::AcousticGuitar)
                                  << ActiveDesktopQuickView::acousticGuitar();
        QTest::newRow("electric") << int(Furniture::StratocasterGuitar)
                                  << ActiveDesktopQuickView::guitar();
    }

    void guitarClicksOpenTheirCardOrTheMusicProgram()
    {
        QFETCH(int, guitar);
        QFETCH(ActiveDesktopQuickView, card);
        const Furniture piece = Furniture(guitar);
        ObjectsRoom objects;
        ManualClock clock; // the card's moves finish where the test says, loaded or not
        AppState& app = objects.room.appState();
        SceneInput input(objects.room.view());
        // The transparent top-left corner of the frame counts as the guitar.
        const QPointF corner = objects.at(piece, 0.03, 0.02);

        input.click(corner);
        QCOMPARE(app.activeQuickView(), std::nullopt); // waits for a possible second click
        QTRY_COMPARE(app.activeQuickView(), std::optional(card));
        clock.settle(); // the card has come in: the click lands beside it
        input.click(corner);
        QTRY_COMPARE(app.activeQuickView(), std::nullopt);
        clock.settle();
        QCOMPARE(objects.launches(piece), 0);

        // A double click starts the music program once and opens no card.
        input.doubleClick(objects.at(piece, 0.5, 0.5));
        QCOMPARE(objects.launches(piece), 1);
        waitOutDoubleClick();
        QCOMPARE(objects.launches(piece), 1);
        QCOMPARE(app.activeQuickView(), std::nullopt);
    }

    void aDoubleClickStartsTheFirstMusicProgramFound()
    {
        FakeAppRegistry apps;
        apps.addApp(u"org.gnome.Rhythmbox3.desktop"_s);
        apps.addApp(u"org.kde.elisa.desktop"_s);
        QVERIFY(apps.waitUntilSeen());
        FloorRoom room({}, [](FloorRoom& r, RoomPieces& pieces) {
            pieces.furniture[int(Furniture::StratocasterGuitar)] = [&r] {
                return new StratocasterGuitarView(r.appState());
            };
        });
        RoomItem& guitar = *room.root().slot(Furniture::StratocasterGuitar)->view();
        SceneInput(room.view()).doubleClick(guitar.mapToScene(guitar.rect().center()));
        QVERIFY(apps.launchedOnly(u"org.gnome.Rhythmbox3.desktop"_s));
        waitOutDoubleClick();
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);
    }

    void sandalsTakeThePointerOnTheirWholeRectangleAlone()
    {
        ObjectsRoom objects;
        ManualClock clock;
        AppState& app = objects.room.appState();
        RoomItem& sandals = objects.piece(Furniture::Sandals);
        SceneInput input(objects.room.view());
        const QRectF hit = sandals.shape().boundingRect();

        // Hovering lifts the pair but moves no edge of what takes the pointer.
        input.hover(sandals.mapToScene(hit.center()));
        QVERIFY(app.isHoveringSandal());
        clock.settle();
        QCOMPARE(static_cast<SandalJepitView&>(sandals).lift(), 1.0);
        QCOMPARE(sandals.shape().boundingRect(), hit);

        // An undrawn corner of the rectangle starts the browser; the frame outside it not.
        // (The acoustic guitar's frame stands over the rectangle's left edge.)
        input.click(sandals.mapToScene(hit.topRight() + QPointF(-1, 1)));
        QCOMPARE(objects.sandalCalls, QStringList{u"browser"_s});
        input.click(sandals.mapToScene(QPointF(sandals.size().width() - 1, 1)));
        QCOMPARE(objects.sandalCalls, QStringList{u"browser"_s});
        input.hover(QPointF(5, 5));
        QVERIFY(!app.isHoveringSandal());

        // The menu: the browser, the search page, the video page.
        std::unique_ptr<QMenu> menu = sandals.gestures().makeContextMenu();
        for (QAction* action : menu->actions())
            action->trigger();
        QCOMPARE(objects.sandalCalls,
                 (QStringList{u"browser"_s, u"browser"_s, u"search"_s, u"video"_s}));
    }

    void thePlantIsDrawnWholeAndOnce()
    {
        ObjectsRoom objects;
        auto& plant = static_cast<PottedPlantView&>(objects.piece(Furniture::PottedPlant));
        // Leaves reach over the box's top and sides, and stay inside what is repainted.
        const QRectF box = plant.rect();
        bool reachesOut = false;
        for (const QPainterPath& leaf : PottedPlantDrawing::placedLeaves(plant.size())) {
            QVERIFY(plant.boundingRect().contains(leaf.boundingRect()));
            reachesOut |= !box.contains(leaf.boundingRect());
        }
        QVERIFY(reachesOut);
        QVERIFY(!plant.acceptHoverEvents());
        QCOMPARE(plant.acceptedMouseButtons(), Qt::NoButton);
    }

    void stillObjectsDrawOncePerSize()
    {
        ObjectsRoom objects;
        auto& guitar = static_cast<GuitarView&>(objects.piece(Furniture::AcousticGuitar));
        QImage image(200, 500, QImage::Format_ARGB32_Premultiplied);
        for (int i = 0; i < 3; ++i) {
            QPainter painter(&image);
            guitar.paint(&painter, nullptr, nullptr);
        }
        QCOMPARE(guitar.drawingCache().renderCount(), 1);
        guitar.setSize(guitar.size() * 0.8);
        QPainter painter(&image);
        guitar.paint(&painter, nullptr, nullptr);
        QCOMPARE(guitar.drawingCache().renderCount(), 2);
    }
};

PONDSILL_TEST(RoomObjectsTest)
#include "objects_test.moc"
