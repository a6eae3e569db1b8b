#include "room/asset_loader.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "support/fake_app_registry.h"
#include "support/painted_look.h"
#include "support/scene_input.h"
#include "support/temp_home.h"
#include "support/test_registry.h"
#include "wall/analog_wall_clock_view.h"
#include "wall/desktop_award_plaque_view.h"
#include "wall/plaque_logo.h"
#include "wall/portrait_drawing.h"
#include "wall/presidential_portrait_view.h"
#include "wall/wall_calendar_view.h"
#include "wall_room.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

class WallPiecesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A second a step only while someone can watch, else a minute; the seconds hand is there only
    // while the window can be seen. Fractions of a second never move a hand.
    void clockTicksOnlyAsOftenAsItCanBeSeen()
    {
        AppState state(nullptr);
        AnalogWallClockView clock(state);
        state.setAppActive(true);
        for (const auto& [visible, lowPower, interval] :
             {std::tuple{true, false, 1.0}, {false, false, 60.0}, {true, true, 60.0}}) {
            state.setWindowVisible(visible);
            state.setLowPower(lowPower);
            QCOMPARE(clock.timeLine().interval(), interval);
            QVERIFY(clock.timeLine().isRunning());
            QCOMPARE(clock.showsSecondsHand(), visible);
        }
        const AnalogWallClockView::Angles a = AnalogWallClockView::angles(QTime(23, 59, 59, 900));
        QCOMPARE(a.hour, 359.99166666666667);
        QCOMPARE(a.minute, 359.9);
        QCOMPARE(a.second, 354.0);
    }

    // A double click starts a clock program only: there is nothing else to fall back on, and it
    // never opens the card; a click opens the card.
    void clockClicks()
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
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(room.appState().activeQuickView(), std::nullopt);

        room.click(centre);
        QTRY_COMPARE(room.appState().activeQuickView(),
                     std::optional(ActiveDesktopQuickView::clock()));
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

    // The two portraits share the one fire switch, over their whole rectangles; the pointing hand
    // goes with the pointer, also when the fire starts under it.
    void portraitsShareTheOneFireSwitch()
    {
        WallRoom room;
        auto& left =
            static_cast<PresidentialPortraitView&>(room.piece(Furniture::PresidentPortrait));
        auto& right =
            static_cast<PresidentialPortraitView&>(room.piece(Furniture::VicePresidentPortrait));
        SceneInput input(room.view());
        QWidget* viewport = room.view().viewport();
        input.hover(left.mapToScene(QPointF(0.5, 0.5)));
        QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
        input.click(left.mapToScene(QPointF(0.5, 0.5)));
        QVERIFY(room.appState().isFireModeActive());
        QVERIFY(right.toolTip().contains(u"(Klik untuk memadamkan api)"_s));
        input.hover(FloorRoom::at({0.5, 0.5}));
        QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
        input.click(right.mapToScene(right.rect().center()));
        QVERIFY(!room.appState().isFireModeActive());
        QVERIFY(left.toolTip().contains(u"(Klik untuk mengaktifkan rahasia kebakaran!)"_s));
    }

    // The nameplates show their names and titles whole at the sizes people's screens have: a
    // name too long for its plate shrinks (down to 70 %) before it would be cut.
    void nameplatesShowTheirTextsWhole_data()
    {
        QTest::addColumn<QSize>("screen");
        for (QSize screen :
             {QSize(1366, 768), QSize(1920, 1080), QSize(1280, 1024), QSize(2560, 1080)})
            QTest::addRow("%dx%d", screen.width(), screen.height()) << screen;
    }
    void nameplatesShowTheirTextsWhole()
    {
        QFETCH(QSize, screen);
        WallRoom room;
        room.view().resize(screen);
        QTRY_COMPARE(room.root().size(), QSizeF(screen));
        for (auto [piece, type] :
             {std::pair{Furniture::PresidentPortrait, PresidentialPortraitType::President},
              {Furniture::VicePresidentPortrait, PresidentialPortraitType::VicePresident}}) {
            RoomItem& portrait = room.piece(piece);
            QStringList drawn;
            for (const PaintedText& t : PaintedLook::texts(portrait))
                drawn << t.text;
            QCOMPARE(drawn, (QStringList{PresidentialPortraitView::nameplateName(type),
                                         PresidentialPortraitView::shortTitle(type)}));
        }
    }

    // Whatever the size, a portrait draws inside its opening; point-sized details that outgrow a
    // small canvas are cut at its edges, and no part turns negative.
    void portraitsDrawInsideTheirOpening()
    {
        const QSizeF size(9, 7);
        for (const QSizeF each : {size, QSizeF(0, 0)})
            for (const QRectF& part : {PresidentialPortraitView::pictureRect(each),
                                       PresidentialPortraitView::nameplateRect(each)})
                QVERIFY(part.width() >= 0 && part.height() >= 0);
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.translate(50, 50);
        PortraitDrawing::draw(p, size, PresidentialPortraitType::VicePresident);
        QVERIFY(qAlpha(image.pixel(51, 51)) != 0);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillRect(QRectF(QPointF(), size), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        AppState state(nullptr);
        PresidentialPortraitView portrait(PresidentialPortraitType::President, state);
        portrait.setSize(QSizeF(0, 0));
        portrait.paint(&p, nullptr, nullptr);
        p.end();
        QImage blank(image.size(), image.format());
        blank.fill(Qt::transparent);
        QCOMPARE(image, blank); // nothing outside the opening, nothing at no size
    }
    // Folders first, then the three places within each; a folder bearing the name is no logo.
    void logoLookupKeepsItsOrder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("expected");
        const QString name = u"quennet logoo.svg"_s;
        QTest::newRow("resources' Logos before resources' Assets")
            << QStringList{u"res/Assets/Logos/"_s + name, u"res/Assets/"_s + name, u"cwd/"_s + name}
            << QStringList{} << u"res/Assets/Logos/"_s + name;
        QTest::newRow("resources before the current folder")
            << QStringList{u"res/"_s + name, u"cwd/Assets/Logos/"_s + name} << QStringList{}
            << u"res/"_s + name;
        QTest::newRow("a folder of that name is skipped")
            << QStringList{u"home/"_s + name} << QStringList{u"res/Assets/Logos/"_s + name}
            << u"home/"_s + name;
        QTest::newRow("nowhere: one named in the current folder")
            << QStringList{} << QStringList{} << QString();
    }
    void logoLookupKeepsItsOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QString, expected);
        QTemporaryDir root;
        for (const QString& file : files)
            writeFile(root.filePath(file), "<svg/>");
        for (const QString& folder : folders)
            QDir().mkpath(root.filePath(folder));
        const QStringList bases = {root.filePath(u"res"_s), root.filePath(u"cwd"_s),
                                   root.filePath(u"home"_s)};
        const QString name = u"quennet logoo.svg"_s;
        QCOMPARE(PlaqueLogo::resolve(name, bases),
                 expected.isEmpty() ? QDir::current().filePath(name) : root.filePath(expected));
        QCOMPARE(PlaqueLogo::find(name, bases),
                 expected.isEmpty() ? std::nullopt : std::optional(root.filePath(expected)));
    }

    // Moving straight from one plaque to the other, whichever event comes first; clicks open,
    // switch and close the cards. Without its picture a plaque draws nothing, yet takes the pointer
    // over its frame; a double click opens the logo only when there is one.
    void plaques()
    {
        FakeAppRegistry apps;
        apps.setDefault(u"image/svg+xml"_s, apps.addApp(u"viewer.desktop"_s, {u"image/svg+xml"_s}));
        QVERIFY(apps.waitUntilSeen());
        AppState state(nullptr);
        QTemporaryDir none;
        AssetLoader assets({{}, {none.path()}}); // finds no pictures
        DesktopAwardPlaqueView left(DesktopAwardPlaqueView::quennet(), state, assets);
        DesktopAwardPlaqueView right(DesktopAwardPlaqueView::tolvane(), state, assets);
        left.hoverChanged(true);
        right.hoverChanged(true); // entry, then exit
        left.hoverChanged(false);
        QVERIFY(right.isHovered() && !left.isHovered());
        right.hoverChanged(false); // exit, then entry
        left.hoverChanged(true);
        QVERIFY(left.isHovered() && !right.isHovered());

        left.setSize(QSizeF(80, 100)); // without its picture it still takes the pointer
        QVERIFY(left.contains(QPointF(2, 2)));
        QVERIFY(left.acceptedMouseButtons() & Qt::LeftButton);
        left.hoverChanged(false);
        QCOMPARE(state.hoveredPlaque(), std::nullopt);

        left.toggleQuickView();
        QCOMPARE(state.activeQuickView(), std::optional(ActiveDesktopQuickView::quennetPlaque()));
        right.toggleQuickView();
        QCOMPARE(state.activeQuickView(), std::optional(ActiveDesktopQuickView::tolvanePlaque()));
        right.toggleQuickView();
        QCOMPARE(state.activeQuickView(), std::nullopt);

        CurrentFolder folder;
        right.openLogoFile();
        QVERIFY(apps.nothingLaunched());
        writeFile(folder.filePath(u"Assets/tolvane logo.svg"_s), "<svg/>");
        right.openLogoFile();
        QVERIFY(apps.launchedOnly(u"viewer.desktop"_s));
        QCOMPARE(state.activeQuickView(), std::nullopt);
    }
};

PONDSILL_TEST(WallPiecesTest)

#include "wall_pieces_test.moc"
