#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_item_view.h"
#include "desk/desk_lamp_view.h"
#include "floor_room.h"
#include "kit/room_item.h"
#include "objects/guitar_drawings.h"
#include "objects/guitar_view.h"
#include "objects/potted_plant_view.h"
#include "objects/sandal_jepit_view.h"
#include "objects/trash_can_drawing.h"
#include "objects/trash_can_view.h"
#include "platform/file_operations.h"
#include "platform/user_trash.h"
#include "room/desktop_root_view.h"
#include "room/effects/asset_fire_effect_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/floor/magic_carpet_view.h"
#include "room/floor/movable_carpet_mat_view.h"
#include "room/furniture_slot.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/fake_app_registry.h"
#include "support/manual_clock.h"
#include "support/scene_input.h"
#include "support/stdout_capture.h"
#include "support/test_registry.h"
#include "wall/photo_frame_item_view.h"
#include "wall/photo_gallery_view.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QTest>

#include <memory>

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

// The room with its trash can on a fresh home, whose Trash the can counts.
struct TrashRoom {
    std::unique_ptr<UserTrash> trash;
    FloorRoom room{{}, [this](FloorRoom& r, RoomPieces& pieces) {
                       trash = std::make_unique<UserTrash>(r.home().dataHome() + u"/Trash"_s);
                       pieces.furniture[int(Furniture::TrashCan)] = [this, &r] {
                           return new TrashCanView(r.storage(), r.appState(), *trash);
                       };
                   }};

    TrashCanView& can()
    {
        return static_cast<TrashCanView&>(*room.root().slot(Furniture::TrashCan)->view());
    }
    QPointF centre() { return can().mapToScene(can().rect().center()); }
    QStringList trashed() const
    {
        return FileOperations::listEntries(room.trashFilesPath(), true).value_or(QStringList());
    }
};

// The guitars' corner of the room: the shelf with books on both boards, the photo wall, the
// lamp and the two guitars standing over them.
struct GuitarCorner {
    using Furnish = std::function<void(FloorRoom&, RoomPieces&)>;
    explicit GuitarCorner(Furnish more = {}) : m_more(std::move(more)) {}
    Furnish m_more;
    FloorRoom room{{}, [this](FloorRoom& r, RoomPieces& pieces) {
                       if (m_more)
                           m_more(r, pieces);
                       for (int i = 0; i < 24; ++i)
                           QFile::link(r.home().writeFile(u"Desktop/buku %1.txt"_s.arg(i), "x"),
                                       r.shelfPath(u"buku %1.txt"_s.arg(i)));
                       r.storage().reloadAll();
                       pieces.furniture[int(Furniture::Bookshelf)] = [&r] {
                           return new BookshelfView(r.storage(), r.appState());
                       };
                       pieces.furniture[int(Furniture::PhotoGallery)] = [&r] {
                           return new PhotoGalleryView(r.storage(), r.appState());
                       };
                       pieces.furniture[int(Furniture::DeskLamp)] = [&r] {
                           return new DeskLampView(r.appState());
                       };
                       pieces.furniture[int(Furniture::AcousticGuitar)] = [&r] {
                           return new AcousticGuitarView(r.appState());
                       };
                       pieces.furniture[int(Furniture::StratocasterGuitar)] = [&r] {
                           return new StratocasterGuitarView(r.appState());
                       };
                   }};

    RoomItem& piece(Furniture f) { return *room.root().slot(f)->view(); }
    // What a left click at `at` reaches first: the topmost item that takes it.
    QGraphicsItem* takerAt(QPointF at)
    {
        for (QGraphicsItem* item :
             room.view().scene()->items(at, Qt::IntersectsItemShape, Qt::DescendingOrder)) {
            if (item->isVisible() && (item->acceptedMouseButtons() & Qt::LeftButton))
                return item;
        }
        return nullptr;
    }
    bool reaches(QPointF at, const QGraphicsItem& item)
    {
        QGraphicsItem* taker = takerAt(at);
        return taker && (taker == &item || item.isAncestorOf(taker));
    }
    void resize(QSize screen)
    {
        room.view().resize(screen);
        QTRY_COMPARE(room.root().size(), QSizeF(screen));
        // The shelf measures its entries on a worker thread: its books stand once it is done.
        auto& shelf = static_cast<BookshelfView&>(piece(Furniture::Bookshelf));
        QTRY_VERIFY(!shelf.isMeasuring() && !shelf.shelfItems(1).isEmpty());
    }
};

// The shelf's books, both guitars and the trash can on the floor beside the carpet.
struct ShelfGuitarsAndCan {
    std::unique_ptr<UserTrash> trash;
    GuitarCorner corner{[this](FloorRoom& r, RoomPieces& pieces) {
        trash = std::make_unique<UserTrash>(r.home().dataHome() + u"/Trash"_s);
        pieces.furniture[int(Furniture::TrashCan)] = [this, &r] {
            return new TrashCanView(r.storage(), r.appState(), *trash);
        };
    }};
};

std::unique_ptr<QMimeData> urlDrag(const QList<QUrl>& urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}
} // namespace

class RoomObjectsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The can's light tells an empty Trash from a full one, and from one it cannot read, which
    // is never shown as empty; it follows when the Trash can be read again.
    void theCansLightTellsAnUnreadableTrash_data()
    {
        QTest::addColumn<QString>("trash"); // unreadable, empty, one
        QTest::addColumn<int>("light");
        QTest::newRow("files/ cannot be listed")
            << u"unreadable"_s << int(TrashCanDrawing::Light::Unreadable);
        QTest::newRow("empty") << u"empty"_s << int(TrashCanDrawing::Light::Empty);
        QTest::newRow("one item") << u"one"_s << int(TrashCanDrawing::Light::Full);
    }
    void theCansLightTellsAnUnreadableTrash()
    {
        QFETCH(QString, trash);
        QFETCH(int, light);
        StdoutCapture out;
        TrashRoom t;
        const QString files = t.room.trashFilesPath();
        if (trash == u"unreadable")
            writeFile(files.chopped(1), "no folder");
        else if (trash == u"one")
            writeFile(files + u"old.txt"_s);
        t.trash->refresh();
        QCOMPARE(int(t.can().statusLight()), light);
        QCOMPARE(t.can().helpText().endsWith(u"\nIsi tidak dapat dibaca"_s),
                 trash == u"unreadable");
        if (trash != u"unreadable")
            return;
        QVERIFY(QFile::remove(files.chopped(1)));
        QVERIFY(QDir().mkpath(files));
        t.trash->refresh();
        QCOMPARE(t.can().statusLight(), TrashCanDrawing::Light::Empty);
        QVERIFY(!t.can().helpText().contains(u"Isi tidak dapat dibaca"_s));
    }

    // A click on the guitar opens its card once no second click came, a click on its frame's empty
    // corner nothing; a double click starts the first music program found, once, and no card.
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
        const QPointF body =
            piece.mapToScene(QPointF(0.5 * piece.size().width(), 0.82 * piece.size().height()));
        input.click(corner);
        QTest::qWait(QApplication::doubleClickInterval() + 80);
        QCOMPARE(app.activeQuickView(), std::nullopt);
        input.click(body);
        QCOMPARE(app.activeQuickView(), std::nullopt); // waits for a possible second click
        QTRY_COMPARE(app.activeQuickView(), std::optional(card));
        clock.settle(); // the card has come in: the click lands beside it
        input.click(body);
        QTRY_COMPARE(app.activeQuickView(), std::nullopt);
        clock.settle();
        QVERIFY(apps.nothingLaunched());

        input.doubleClick(piece.mapToScene(piece.rect().center()));
        QVERIFY(apps.launchedOnly(u"org.gnome.Rhythmbox3.desktop"_s));
        QTest::qWait(QApplication::doubleClickInterval() + 80);
        QCOMPARE(apps.launches(u"org.gnome.Rhythmbox3.desktop"_s).size(), 1);
        QCOMPARE(app.activeQuickView(), std::nullopt);
    }

    // Each guitar's frame stands over the shelf and the photo wall, and the lamp's label over the
    // shelf's side on a narrow screen: the books and boxes on the lower board, the bottom-right
    // photo frame and the shelf keep their clicks; the guitars take them on their body, neck and
    // headstock. In fire mode the guitars' rows of flames stand on the guitar, not on its frame.
    void clicksReachWhatIsDrawn_data()
    {
        QTest::addColumn<QSize>("screen");
        for (QSize screen : {QSize(1366, 768), QSize(1440, 900), QSize(1920, 1080),
                             QSize(1280, 1024), QSize(2560, 1080)})
            QTest::addRow("%dx%d", screen.width(), screen.height()) << screen;
    }
    void clicksReachWhatIsDrawn()
    {
        QFETCH(QSize, screen);
        GuitarCorner corner;
        corner.resize(screen);
        RoomItem& acoustic = corner.piece(Furniture::AcousticGuitar);
        RoomItem& electric = corner.piece(Furniture::StratocasterGuitar);
        auto& shelf = static_cast<BookshelfView&>(corner.piece(Furniture::Bookshelf));
        const qreal shelfMiddle = shelf.mapToScene(shelf.rect().center()).x();

        int booksUnderTheGuitar = 0;
        const QRectF guitarFrame = acoustic.sceneBoundingRect();
        for (ShelfItemView* book : shelf.shelfItems(1)) {
            const QRectF r = book->mapRectToScene(book->rect());
            if (r.center().x() > shelfMiddle)
                continue;
            for (QPointF at : {r.center(), QPointF(r.center().x(), r.top() + 0.2 * r.height()),
                               QPointF(r.left() + 2, r.bottom() - 4)}) {
                booksUnderTheGuitar += guitarFrame.contains(at);
                // The guitar's neck and headstock stand in front of a few books: there it is
                // the guitar's.
                const bool onGuitar = AcousticGuitarDrawing::outline(acoustic.size())
                                          .contains(acoustic.mapFromScene(at));
                QVERIFY2(
                    corner.reaches(at, onGuitar ? static_cast<QGraphicsItem&>(acoustic) : *book),
                    qPrintable(book->entry().name));
            }
        }
        QVERIFY(booksUnderTheGuitar > 0);

        auto& gallery = static_cast<PhotoGalleryView&>(corner.piece(Furniture::PhotoGallery));
        const PhotoFrameItemView& bottomRight = *gallery.frame(PhotoGalleryView::kFrameCount - 1);
        const QRectF photo = bottomRight.mapRectToScene(bottomRight.rect());
        QVERIFY(photo.intersects(electric.sceneBoundingRect()));
        for (qreal fx : {0.15, 0.5, 0.85})
            for (qreal fy : {0.15, 0.5, 0.85}) {
                const QPointF at(photo.left() + fx * photo.width(),
                                 photo.top() + fy * photo.height());
                // The guitar's neck runs down the frame: there it is the guitar's.
                const QGraphicsItem& expected = StratocasterDrawing::outline(electric.size())
                                                        .contains(electric.mapFromScene(at))
                                                    ? static_cast<const QGraphicsItem&>(electric)
                                                    : bottomRight;
                QVERIFY2(corner.reaches(at, expected), qPrintable(u"%1 %2"_s.arg(fx).arg(fy)));
            }

        for (RoomItem* guitar : {&acoustic, &electric}) {
            const QSizeF s = guitar->size();
            for (QPointF on : {QPointF(0.5, 0.8), QPointF(0.3, 0.78), QPointF(0.7, 0.78),
                               QPointF(0.5, 0.4), QPointF(0.5, 0.16)})
                QVERIFY(corner.reaches(guitar->mapToScene(on.x() * s.width(), on.y() * s.height()),
                                       *guitar));
        }

        const auto& lamp = static_cast<DeskLampView&>(corner.piece(Furniture::DeskLamp));
        const QRectF overShelf =
            lamp.mapRectToScene(lamp.labelRect()).intersected(shelf.sceneBoundingRect());
        if (!overShelf.isEmpty())
            QVERIFY(corner.reaches(overShelf.center(), shelf));

        corner.room.appState().setFireModeActive(true);
        for (Furniture f : {Furniture::AcousticGuitar, Furniture::StratocasterGuitar}) {
            FurnitureSlot& slot = *corner.room.root().slot(f);
            const QPainterPath outline = f == Furniture::AcousticGuitar
                                             ? AcousticGuitarDrawing::outline(slot.size())
                                             : StratocasterDrawing::outline(slot.size());
            QVERIFY(slot.fire()->fireView());
            for (auto edge : {FireGeometry::Edge::Top, FireGeometry::Edge::Base}) {
                const FireGeometry::Ledge ledge = slot.fire()->fireView()->ledge(edge);
                QVERIFY(ledge.row.count >= 1);
                for (int i = 0; i < ledge.row.count; ++i)
                    QVERIFY2(outline.contains(QPointF(ledge.footX(i), ledge.baseline)),
                             qPrintable(u"flame %1 at %2, %3"_s.arg(i)
                                            .arg(ledge.footX(i))
                                            .arg(ledge.baseline)));
            }
        }
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
    void droppedFilesGoToTheTrashOneByOne()
    {
        TrashRoom t;
        QList<QUrl> urls;
        for (const QString& name : {u"a.txt"_s, u"b folder"_s, u"c.pdf"_s, u"vanishing.txt"_s}) {
            const QString path = name.contains(u' ') ? t.room.home().makeDir(name)
                                                     : t.room.home().writeFile(name, "x");
            urls << QUrl::fromLocalFile(path);
        }
        const auto data = urlDrag(urls);
        StdoutCapture output;
        t.room.dragOver(t.centre(), data.get());
        QVERIFY(t.room.appState().isTrashTargeted());
        // The badge a drag brings stands above the frame and is repainted with the can.
        QVERIFY(TrashCanDrawing::look(true, false, 0).badge);
        QRectF badge = TrashCanDrawing::badgeRect();
        badge.moveCenter(QPointF(42, -6));
        QVERIFY(t.can().boundingRect().contains(badge));
        QCOMPARE(t.room.dropAt(t.centre(), data.get()), Qt::CopyAction);
        QVERIFY(!t.room.appState().isTrashTargeted());
        // One item goes missing before its turn: the others still go.
        QVERIFY(QFile::remove(urls.last().toLocalFile()));
        // Generous limits: the moves and the Trash's watcher are slow under the sanitizers on a
        // loaded machine, and the waits end as soon as the files are there.
        QTRY_COMPARE_WITH_TIMEOUT(t.trashed().size(), 3, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(t.trash->itemCount(), 3, 20000);
        QVERIFY(output.finish().contains(u"Pondsill: gagal membuang ke sampah: "_s));
        QCOMPARE(t.room.playedSounds(), QStringList(3, u"trash-empty"_s));
        // What trash-list, a freedesktop tool of its own, reads from this Trash.
        QProcess list;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_DATA_HOME"_s, t.room.home().dataHome());
        env.insert(u"HOME"_s, t.room.home().path());
        list.setProcessEnvironment(env);
        list.start(u"trash-list"_s, {});
        QVERIFY(list.waitForFinished(20000));
        const QStringList listed =
            QString::fromUtf8(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(listed.size(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(listed.filter(urls[i].toLocalFile()).size() == 1,
                     qPrintable(listed.join(u'\n')));
    }

    void refusesWhatItMustNotThrowAway_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("what");
        QTest::newRow("a relative name as text") << u"text"_s << u"Documents"_s;
        QTest::newRow("the home folder as text") << u"text"_s << u"<home>"_s;
        QTest::newRow("a web address") << u"url"_s << u"https://example.org/a.txt"_s;
        QTest::newRow("the storage folder") << u"url"_s << u"<storage>"_s;
        QTest::newRow("the carpet folder") << u"url"_s << u"<storage>/Karpet"_s;
        QTest::newRow("the shelf folder as text") << u"text"_s << u"<storage>/Rak"_s;
        QTest::newRow("the root folder") << u"url"_s << u"/"_s;
        QTest::newRow("an item already in the Trash") << u"url"_s << u"<trash>/old.txt"_s;
        QTest::newRow("a missing file") << u"url"_s << u"<home>/nothing-here.txt"_s;
        // The other program would delete its file.
        QTest::newRow("offered only as a move") << u"move"_s << u"<home>/Documents"_s;
    }

    void refusesWhatItMustNotThrowAway()
    {
        QFETCH(QString, kind);
        QFETCH(QString, what);
        TrashRoom t;
        t.room.home().makeDir(u"Documents"_s);
        writeFile(t.room.trashFilesPath(u"old.txt"_s));
        what.replace(u"<home>"_s, t.room.home().path())
            .replace(u"<storage>"_s, t.room.storagePath(QString()).chopped(1))
            .replace(u"<trash>"_s, t.room.trashFilesPath().chopped(1));
        auto data = urlDrag({what.startsWith(u'/') ? QUrl::fromLocalFile(what) : QUrl(what)});
        if (kind == u"text"_s) {
            data = std::make_unique<QMimeData>();
            data->setText(what);
        }
        const Qt::DropActions actions =
            kind == u"move"_s ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction;
        t.room.dragOver(t.centre(), data.get(), actions);
        QVERIFY(!t.room.appState().isTrashTargeted());
        QCOMPARE(t.room.dropAt(t.centre(), data.get(), actions), Qt::IgnoreAction);
        t.room.settle();
        QCOMPARE(t.trashed(), QStringList{u"old.txt"_s});
        QVERIFY(QFileInfo::exists(t.room.carpetPath()));
        QVERIFY(QFileInfo::exists(t.room.home().path() + u"/Documents"_s));
        QVERIFY(t.room.playedSounds().isEmpty());
    }

    // What shows of a piece takes its clicks: the can's lower half beside the rug (the
    // carpet's frame reaches over it), each guitar's stand (post, legs, feet), and the gaps
    // between books, which are the cabinet's.
    void whatShowsOfAPieceTakesItsClicks_data()
    {
        QTest::addColumn<QSize>("screen");
        for (QSize screen :
             {QSize(1366, 768), QSize(1920, 1080), QSize(1280, 1024), QSize(2560, 1080)})
            QTest::addRow("%dx%d", screen.width(), screen.height()) << screen;
    }
    void whatShowsOfAPieceTakesItsClicks()
    {
        QFETCH(QSize, screen);
        ShelfGuitarsAndCan room;
        GuitarCorner& corner = room.corner;
        corner.resize(screen);
        const auto name = [](QGraphicsItem* item) {
            QGraphicsObject* object = item ? item->toGraphicsObject() : nullptr;
            return object ? QString::fromLatin1(object->metaObject()->className()) : u"nothing"_s;
        };

        RoomItem& can = corner.piece(Furniture::TrashCan);
        const MovableCarpetMatView& carpet = *corner.room.floor().carpet();
        const QPainterPath rug = carpet.mapToScene(carpet.drawnRug());
        int besideTheRug = 0;
        for (qreal fy : {0.55, 0.7, 0.85, 0.97})
            for (qreal fx : {0.05, 0.3, 0.5, 0.7, 0.95}) {
                const QPointF at =
                    can.mapToScene(fx * can.size().width(), fy * can.size().height());
                if (rug.contains(at))
                    continue; // the rug lies over the can there
                besideTheRug += carpet.sceneBoundingRect().contains(at);
                QVERIFY2(corner.reaches(at, can),
                         qPrintable(u"%1, %2: %3"_s.arg(fx).arg(fy).arg(name(corner.takerAt(at)))));
            }
        if (screen == QSize(1366, 768))
            QVERIFY(besideTheRug > 0); // the carpet's frame reaches over the can here
        QVERIFY(corner.reaches(rug.boundingRect().center(), carpet));

        // Post, legs and feet, as fractions of each guitar's frame.
        const QList<std::pair<Furniture, QList<QPointF>>> stands{{Furniture::AcousticGuitar,
                                                                  {{0.5, 0.89},
                                                                   {0.41, 0.8925},
                                                                   {0.5, 0.93},
                                                                   {0.31, 0.9375},
                                                                   {0.69, 0.9375},
                                                                   {0.12, 0.975},
                                                                   {0.88, 0.975},
                                                                   {0.5, 0.965}}},
                                                                 {Furniture::StratocasterGuitar,
                                                                  {{0.539, 0.89},
                                                                   {0.33, 0.9375},
                                                                   {0.74, 0.9425},
                                                                   {0.539, 0.94},
                                                                   {0.12, 0.985},
                                                                   {0.94, 0.985},
                                                                   {0.539, 0.975}}}};
        for (const auto& [which, points] : stands) {
            RoomItem& guitar = corner.piece(which);
            for (QPointF f : points) {
                const QPointF at = guitar.mapToScene(f.x() * guitar.size().width(),
                                                     f.y() * guitar.size().height());
                QVERIFY2(corner.reaches(at, guitar),
                         qPrintable(
                             u"%1, %2: %3"_s.arg(f.x()).arg(f.y()).arg(name(corner.takerAt(at)))));
            }
        }

        // A click on the pixel in the gap whose square reaches the next book.
        auto& shelf = static_cast<BookshelfView&>(corner.piece(Furniture::Bookshelf));
        AppState& app = corner.room.appState();
        SceneInput input(corner.room.view());
        int gaps = 0;
        for (int board = 0; board < 2; ++board) {
            const QList<ShelfItemView*> books = shelf.shelfItems(board);
            for (qsizetype i = 1; i < books.size(); ++i) {
                const QRectF left = books[i - 1]->mapRectToScene(books[i - 1]->rect());
                const QRectF right = books[i]->mapRectToScene(books[i]->rect());
                qreal x = std::floor(right.left());
                if (x == right.left())
                    x = std::ceil(left.right());
                const QPointF at(x, std::round(std::max(left.top(), right.top()) +
                                               0.6 * std::min(left.height(), right.height())));
                QGraphicsItem* taker = corner.takerAt(at);
                if (taker == &corner.piece(Furniture::AcousticGuitar) ||
                    taker == &corner.piece(Furniture::StratocasterGuitar))
                    continue; // a guitar stands in front of it
                ++gaps;
                const QString where = u"between %1 and %2 at %3, %4: %5"_s.arg(i - 1)
                                          .arg(i)
                                          .arg(at.x())
                                          .arg(at.y())
                                          .arg(name(taker));
                QVERIFY2(taker == &shelf, qPrintable(where));
                input.click(at);
                QVERIFY2(app.showBookshelfDrawer(), qPrintable(where));
                app.setShowBookshelfDrawer(false);
            }
        }
        QVERIFY(gaps > 0);
    }

    void clicksOpenTheCardOrTheTrash()
    {
        FakeAppRegistry apps;
        apps.addApp(u"trash-viewer.desktop"_s, {u"x-scheme-handler/trash"_s});
        QVERIFY(apps.waitUntilSeen());
        TrashRoom t;
        ManualClock clock; // the card stands where the test put it, loaded or not
        AppState& app = t.room.appState();
        SceneInput input(t.room.view());
        // A corner of the frame the drawing leaves empty counts too.
        const QPointF corner = t.can().mapToScene(QPointF(2, 2));

        input.doubleClick(corner);
        QVERIFY(apps.launchedOnly(u"trash-viewer.desktop"_s));
        QCOMPARE(apps.launches(u"trash-viewer.desktop"_s), QStringList{u"trash:///"_s});
        QTest::qWait(QApplication::doubleClickInterval() + 80);
        QCOMPARE(app.activeQuickView(), std::nullopt);

        input.click(corner);
        QCOMPARE(app.activeQuickView(),
                 std::nullopt); // waits for a possible second click
        QTRY_COMPARE(app.activeQuickView(), std::optional(ActiveDesktopQuickView::trash()));
        clock.settle();
        // The open card covers the can's top; its foot is still there to click.
        input.click(t.can().mapToScene(QPointF(42, 105)));
        QTRY_COMPARE(app.activeQuickView(), std::nullopt);
    }
};

PONDSILL_TEST(RoomObjectsTest)
#include "objects_test.moc"
