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

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QSettings>
#include <QStyleHints>
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

// Waits out the double-click interval, after which a single click counts.
void waitForSingleClick()
{
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 60);
}
} // namespace

class WallPiecesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clockHandsStandAtTheTime_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<double>("hour");
        QTest::addColumn<double>("minute");
        QTest::addColumn<double>("second");
        QTest::newRow("15:30:00") << QTime(15, 30, 0) << 105.0 << 180.0 << 0.0;
        QTest::newRow("midnight") << QTime(0, 0, 0) << 0.0 << 0.0 << 0.0;
        QTest::newRow("noon") << QTime(12, 0, 0) << 0.0 << 0.0 << 0.0;
        QTest::newRow("03:15:30") << QTime(3, 15, 30) << 97.75 << 93.0 << 180.0;
        // Fractions of a second never move a hand.
        QTest::newRow("23:59:59.9")
            << QTime(23, 59, 59, 900) << 359.99166666666667 << 359.9 << 354.0;
    }
    void clockHandsStandAtTheTime()
    {
        QFETCH(QTime, time);
        const AnalogWallClockView::Angles a = AnalogWallClockView::angles(time);
        QTEST(a.hour, "hour");
        QTEST(a.minute, "minute");
        QTEST(a.second, "second");
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
        QTest::newRow("inactive") << true << false << false << 60.0;
        QTest::newRow("low power") << true << true << true << 60.0;
        QTest::newRow("hidden and low power") << false << false << true << 60.0;
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

    void clockTakesClicksOnItsCircleOnly()
    {
        AppState state(nullptr);
        AnalogWallClockView clock(state);
        clock.setSize(QSizeF(120, 80));
        QCOMPARE(clock.faceRect(), QRectF(20, 0, 80, 80));
        QVERIFY(clock.contains(QPointF(60, 40)));
        QVERIFY(!clock.contains(QPointF(22, 3)));
        QVERIFY(!clock.contains(QPointF(98, 78)));
    }

    void clockClickOpensAndClosesItsCard()
    {
        WallRoom room;
        RoomItem& clock = room.piece(Furniture::WallClock);
        const QPointF centre = clock.mapToScene(clock.rect().center());
        const QPointF corner = clock.mapToScene(QPointF(1, 1));
        room.click(corner);
        waitForSingleClick();
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);
        room.click(centre);
        waitForSingleClick();
        QCOMPARE(room.appState().activeQuickView(), std::optional(ActiveDesktopQuickView::clock()));
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
        QCOMPARE(PresidentialPortraitView::helpText(PresidentialPortraitType::VicePresident, false),
                 u"Wakil Presiden RI: Rahmat Santoso Hidayat (Klik untuk mengaktifkan rahasia "
                 "kebakaran!)"_s);
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

    void portraitsDrawInsideTheirOpening_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("president") << int(PresidentialPortraitType::President) << QSizeF(48, 64);
        QTest::newRow("vice-president")
            << int(PresidentialPortraitType::VicePresident) << QSizeF(48, 64);
        // Point-sized details outgrow a small canvas; they are cut at its edges.
        QTest::newRow("tiny") << int(PresidentialPortraitType::VicePresident) << QSizeF(9, 7);
    }
    void portraitsDrawInsideTheirOpening()
    {
        QFETCH(int, type);
        QFETCH(QSizeF, size);
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.translate(50, 50);
            PortraitDrawing::draw(p, size, PresidentialPortraitType(type));
        }
        QVERIFY(!paintsOutside(image, QRect(QPoint(50, 50), size.toSize())));
        QVERIFY(qAlpha(image.pixel(51, 51)) != 0);
    }

    void aTinyPortraitHasNoNegativeParts_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::newRow("12 x 19") << QSizeF(12, 19);
        QTest::newRow("zero") << QSizeF(0, 0);
        QTest::newRow("60 x 84") << QSizeF(60, 84);
    }
    void aTinyPortraitHasNoNegativeParts()
    {
        QFETCH(QSizeF, size);
        const QRectF picture = PresidentialPortraitView::pictureRect(size);
        const QRectF plate = PresidentialPortraitView::nameplateRect(size);
        QVERIFY(picture.width() >= 0 && picture.height() >= 0);
        QVERIFY(plate.width() >= 0 && plate.height() >= 0);
        AppState state(nullptr);
        PresidentialPortraitView portrait(PresidentialPortraitType::President, state);
        portrait.setSize(size);
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.translate(10, 10);
        portrait.paint(&p, nullptr, nullptr);
    }

    void calendarSpeaksIndonesianWhateverTheSystemSpeaks()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale::c());
        const QDate day(2025, 8, 17);
        QCOMPARE(WallCalendarView::monthText(day), u"AGUSTUS"_s);
        QCOMPARE(WallCalendarView::yearText(day), u"2025"_s);
        QCOMPARE(WallCalendarView::dayText(day), u"17"_s);
        QCOMPARE(WallCalendarView::weekdayText(day), u"Minggu"_s);
        QCOMPARE(WallCalendarView::weekdayText(QDate(2024, 1, 1)), u"Senin"_s);
        QCOMPARE(WallCalendarView::monthText(QDate(2024, 3, 1)), u"MARET"_s);
        QLocale::setDefault(saved);
    }

    void calendarReportsTheHover()
    {
        AppState state(nullptr);
        WallCalendarView calendar(state, QDateTime(QDate(2025, 8, 17), QTime(9, 0)));
        calendar.hoverChanged(true);
        QVERIFY(state.isHoveringWallCalendar());
        calendar.hoverChanged(false);
        QVERIFY(!state.isHoveringWallCalendar());
        QCOMPARE(calendar.shownDate(), QDate(2025, 8, 17));
    }

    void clockHangsTwelvePointsAboveTheCalendar()
    {
        AppState state(nullptr);
        WallClockCalendarView stack(state);
        stack.setSize(QSizeF(100, 212));
        const QRectF clock = stack.clock()->mapRectToParent(stack.clock()->rect());
        const QRectF calendar = stack.calendar()->mapRectToParent(stack.calendar()->rect());
        QCOMPARE(calendar.top() - clock.bottom(), 12.0);
        QCOMPARE(clock.top(), 0.0);
        QCOMPARE(calendar.bottom(), 212.0);
    }
};

PONDSILL_TEST(WallPiecesTest)

#include "wall_pieces_test.moc"
