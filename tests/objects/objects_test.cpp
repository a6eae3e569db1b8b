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
// The room with the four objects; the sandals count their three openers.
struct ObjectsRoom {
    QStringList sandalCalls;
    FloorRoom room{
        {}, [this](FloorRoom& r, RoomPieces& pieces) {
            pieces.furniture[int(Furniture::AcousticGuitar)] = [&r] {
                return new AcousticGuitarView(r.appState());
            };
            pieces.furniture[int(Furniture::StratocasterGuitar)] = [&r] {
                return new StratocasterGuitarView(r.appState());
            };
            pieces.furniture[int(Furniture::PottedPlant)] = [] { return new PottedPlantView; };
            pieces.furniture[int(Furniture::Sandals)] = [this, &r] {
                return new SandalJepitView(r.appState(), {[this] { sandalCalls << u"browser"_s; },
                                                          [this] { sandalCalls << u"search"_s; },
                                                          [this] { sandalCalls << u"video"_s; }});
            };
        }};
    RoomItem& piece(Furniture f) { return *room.root().slot(f)->view(); }
};
} // namespace

class RoomObjectsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A click, also on the frame's transparent corner, opens the guitar's card once no second click
    // came; a double click starts the first music program found, once, and no card.
    void guitarClicks_data()
    {
        QTest::addColumn<int>("guitar");
        QTest::addColumn<ActiveDesktopQuickView>("card");
        QTest::newRow("acoustic") << int(Furniture::AcousticGuitar)
                                  << ActiveDesktopQuickView::acousticGuitar();
        QTest::newRow("electric") << int(Furniture::StratocasterGuitar)
                                  << ActiveDesktopQuickView::guitar();
    }
    void guitarClicks()
    {
        QFETCH(int, guitar);
        QFETCH(ActiveDesktopQuickView, card);
        FakeAppRegistry apps;
        apps.addApp(u"org.gnome.Rhythmbox3.desktop"_s);
        apps.addApp(u"org.kde.elisa.desktop"_s);
        QVERIFY(apps.waitUntilSeen());
        ObjectsRoom objects;
        ManualClock clock; // the card's moves finish where the test says, loaded or not
        AppState& app = objects.room.appState();
        SceneInput input(objects.room.view());
        RoomItem& piece = objects.piece(Furniture(guitar));
        const QPointF corner =
            piece.mapToScene(QPointF(0.03 * piece.size().width(), 0.02 * piece.size().height()));
        input.click(corner);
        QCOMPARE(app.activeQuickView(), std::nullopt); // waits for a possible second click
        QTRY_COMPARE(app.activeQuickView(), std::optional(card));
        clock.settle(); // the card has come in: the click lands beside it
        input.click(corner);
        QTRY_COMPARE(app.activeQuickView(), std::nullopt);
        clock.settle();
        QVERIFY(apps.nothingLaunched());

        input.doubleClick(piece.mapToScene(piece.rect().center()));
        QVERIFY(apps.launchedOnly(u"org.gnome.Rhythmbox3.desktop"_s));
        QTest::qWait(QApplication::doubleClickInterval() + 80);
        QCOMPARE(apps.launches(u"org.gnome.Rhythmbox3.desktop"_s).size(), 1);
        QCOMPARE(app.activeQuickView(), std::nullopt);
    }

    // Hovering lifts the pair but moves no edge of what takes the pointer; an undrawn corner of the
    // rectangle starts the browser, the frame outside it not (the acoustic guitar's frame stands
    // over its left edge). The menu: browser, search page, video page.
    void sandalsTakeThePointerOnTheirWholeRectangleAlone()
    {
        ObjectsRoom objects;
        ManualClock clock;
        AppState& app = objects.room.appState();
        RoomItem& sandals = objects.piece(Furniture::Sandals);
        SceneInput input(objects.room.view());
        const QRectF hit = sandals.shape().boundingRect();
        input.hover(sandals.mapToScene(hit.center()));
        QVERIFY(app.isHoveringSandal());
        clock.settle();
        QCOMPARE(sandals.shape().boundingRect(), hit);
        input.click(sandals.mapToScene(hit.topRight() + QPointF(-1, 1)));
        input.click(sandals.mapToScene(QPointF(sandals.size().width() - 1, 1)));
        QCOMPARE(objects.sandalCalls, QStringList{u"browser"_s});
        input.hover(QPointF(5, 5));
        QVERIFY(!app.isHoveringSandal());
        const std::unique_ptr<QMenu> menu = sandals.gestures().makeContextMenu();
        for (QAction* action : menu->actions())
            action->trigger();
        QCOMPARE(objects.sandalCalls,
                 (QStringList{u"browser"_s, u"browser"_s, u"search"_s, u"video"_s}));
    }

    // Still objects are drawn once per size; the plant's leaves stay inside what is repainted, and
    // it takes no pointer.
    void stillObjectsDrawOncePerSizeAndWhole()
    {
        ObjectsRoom objects;
        auto& guitar = static_cast<GuitarView&>(objects.piece(Furniture::AcousticGuitar));
        QImage image(200, 500, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        for (int i = 0; i < 3; ++i)
            guitar.paint(&painter, nullptr, nullptr);
        QCOMPARE(guitar.drawingCache().renderCount(), 1);
        guitar.setSize(guitar.size() * 0.8);
        guitar.paint(&painter, nullptr, nullptr);
        QCOMPARE(guitar.drawingCache().renderCount(), 2);

        auto& plant = static_cast<PottedPlantView&>(objects.piece(Furniture::PottedPlant));
        for (const QPainterPath& leaf : PottedPlantDrawing::placedLeaves(plant.size()))
            QVERIFY(plant.boundingRect().contains(leaf.boundingRect()));
        QCOMPARE(plant.acceptedMouseButtons(), Qt::NoButton);
    }
};

PONDSILL_TEST(RoomObjectsTest)
#include "objects_test.moc"
