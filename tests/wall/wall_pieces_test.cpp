#include "wall_room.h"

#include "room/room_view.h"
#include "state/app_state.h"
#include "support/fake_app_registry.h"
#include "support/scene_input.h"
#include "support/test_registry.h"
#include "wall/analog_wall_clock_view.h"
#include "wall/portrait_drawing.h"
#include "wall/presidential_portrait_view.h"
#include "wall/wall_calendar_view.h"

#include <QPainter>
#include <QTest>

namespace {
// Whether any pixel of `image` outside `inside` was painted.
bool paintsOutside(const QImage& image, const QRect& inside)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!inside.contains(x, y) && qAlpha(image.pixel(x, y)) != 0)
                return true;
        }
    }
    return false;
}

} // namespace

class WallPiecesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Fractions of a second never move a hand.
    void clockHandsStandAtTheTime()
    {
        const AnalogWallClockView::Angles a = AnalogWallClockView::angles(QTime(23, 59, 59, 900));
        QCOMPARE(a.hour, 359.99166666666667);
        QCOMPARE(a.minute, 359.9);
        QCOMPARE(a.second, 354.0);
    }

    // A second a step only while someone can watch, else a minute; the seconds hand is
    // there only while the window can be seen.
    void clockTicksOnlyAsOftenAsItCanBeSeen_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("lowPower");
        QTest::addColumn<double>("interval");
        QTest::newRow("seen") << true << true << false << 1.0;
        QTest::newRow("hidden") << false << true << false << 60.0;
        QTest::newRow("low power") << true << true << true << 60.0;
    }
    void clockTicksOnlyAsOftenAsItCanBeSeen()
    {
        QFETCH(bool, visible);
        QFETCH(bool, active);
        QFETCH(bool, lowPower);
        QFETCH(double, interval);
        AppState state(nullptr);
        AnalogWallClockView clock(state);
        state.setWindowVisible(visible);
        state.setAppActive(active);
        state.setLowPower(lowPower);
        QCOMPARE(clock.timeLine().interval(), interval);
        QVERIFY(clock.timeLine().isRunning());
        QCOMPARE(clock.showsSecondsHand(), visible);
    }

    void clockClickOpensAndClosesItsCard()
    {
        WallRoom room;
        RoomItem& clock = room.piece(Furniture::WallClock);
        const QPointF centre = clock.mapToScene(clock.rect().center());
        const QPointF corner = clock.mapToScene(QPointF(1, 1));
        room.click(corner);
        room.click(centre);
        QTRY_COMPARE(room.appState().activeQuickView(),
                     std::optional(ActiveDesktopQuickView::clock()));
    }

    // A double click starts a clock program only: there is nothing else to fall back on,
    // and it never opens the card.
    void clockDoubleClickStartsAClockProgramIfThereIsOne()
    {
        FakeAppRegistry apps;
        apps.addApp(u"org.kde.korganizer.desktop"_s, {u"text/calendar"_s});
        QVERIFY(apps.waitUntilSeen());
        WallRoom room;
        RoomItem& clock = room.piece(Furniture::WallClock);
        SceneInput input(room.view());
        const QPointF centre = clock.mapToScene(clock.rect().center());
        input.doubleClick(centre);
        QVERIFY(apps.nothingLaunched());
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);

        apps.addApp(u"org.kde.kclock.desktop"_s);
        QVERIFY(apps.waitUntilSeen());
        input.doubleClick(centre);
        QVERIFY(apps.launchedOnly(u"org.kde.kclock.desktop"_s));
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);
    }

    void calendarFallsBackOnTheCalendarFilesApplication()
    {
        FakeAppRegistry apps;
        WallCalendarView::openCalendarApp();
        QVERIFY(apps.nothingLaunched());
        apps.setDefault(u"text/calendar"_s,
                        apps.addApp(u"planner.desktop"_s, {u"text/calendar"_s}));
        QVERIFY(apps.waitUntilSeen());
        WallCalendarView::openCalendarApp();
        QVERIFY(apps.launchedOnly(u"planner.desktop"_s));
    }

    void portraitsShareTheOneFireSwitch()
    {
        WallRoom room;
        auto& left =
            static_cast<PresidentialPortraitView&>(room.piece(Furniture::PresidentPortrait));
        auto& right =
            static_cast<PresidentialPortraitView&>(room.piece(Furniture::VicePresidentPortrait));
        // A click in a corner counts: the whole rectangle takes it.
        room.click(left.mapToScene(QPointF(0.5, 0.5)));
        QVERIFY(room.appState().isFireModeActive());
        QVERIFY(right.toolTip().contains(u"(Klik untuk memadamkan api)"_s));
        room.click(right.mapToScene(right.rect().center()));
        QVERIFY(!room.appState().isFireModeActive());
        QVERIFY(left.toolTip().contains(u"(Klik untuk mengaktifkan rahasia kebakaran!)"_s));
    }

    // The pointing hand goes with the pointer, also when the fire starts under it.
    void portraitCursorIsLeftBehindNowhere()
    {
        WallRoom room;
        RoomItem& portrait = room.piece(Furniture::PresidentPortrait);
        SceneInput input(room.view());
        QWidget* viewport = room.view().viewport();
        input.hover(portrait.mapToScene(portrait.rect().center()));
        QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
        input.click(portrait.mapToScene(portrait.rect().center()));
        QVERIFY(room.appState().isFireModeActive());
        input.hover(FloorRoom::at({0.5, 0.5}));
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
    }

    // Whatever the size, a portrait draws inside its opening; point-sized details that
    // outgrow a small canvas are cut at its edges, and no part turns negative.
    void portraitsDrawInsideTheirOpening_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("tiny vice-president")
            << int(PresidentialPortraitType::VicePresident) << QSizeF(9, 7);
        QTest::newRow("zero") << int(PresidentialPortraitType::President) << QSizeF(0, 0);
    }
    void portraitsDrawInsideTheirOpening()
    {
        QFETCH(int, type);
        QFETCH(QSizeF, size);
        for (const QRectF& part : {PresidentialPortraitView::pictureRect(size),
                                   PresidentialPortraitView::nameplateRect(size)})
            QVERIFY(part.width() >= 0 && part.height() >= 0);
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.translate(50, 50);
            PortraitDrawing::draw(p, size, PresidentialPortraitType(type));
        }
        QVERIFY(!paintsOutside(image, QRect(QPoint(50, 50), size.toSize())));
        if (!size.isEmpty())
            QVERIFY(qAlpha(image.pixel(51, 51)) != 0);
        AppState state(nullptr);
        PresidentialPortraitView portrait(PresidentialPortraitType(type), state);
        portrait.setSize(size);
        QPainter p(&image);
        portrait.paint(&p, nullptr, nullptr);
    }
};

PONDSILL_TEST(WallPiecesTest)

#include "wall_pieces_test.moc"
