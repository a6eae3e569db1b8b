#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_item_view.h"
#include "kit/button_item.h"
#include "shelf_room.h"
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
// The cabinet's frame in the 1440 x 900 room: centre (241.632, 333.45), 351.936 x 257.4.
const QPointF cabinetCentre(241.632, 333.45);
// Above the books' tallest tops and left of the badge.
const QPointF emptyCabinet(150, 212);
} // namespace

// The cabinet in the room: files dropped on it, its entries clicked, its menus.
class BookshelfViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void droppedFilesBecomeLinksInOrder()
    {
        ShelfRoom room;
        QStringList sources;
        for (const QString& name : {u"one.txt"_s, u"two.txt"_s, u"three.txt"_s})
            sources << room.home().writeFile(u"Desktop/"_s + name, "keep me");
        auto data = fileDrag(sources);
        // From the floor onto the cabinet: the floor lets go, the cabinet lights up.
        room.dragOver(QPointF(700, 600), data.get());
        QVERIFY(room.floorState().isFloorTargeted());
        room.dragMoveTo(cabinetCentre, data.get());
        QVERIFY(room.appState().isBookshelfTargeted());
        QVERIFY(!room.floorState().isFloorTargeted());
        room.dragLeave(data.get());
        QVERIFY(!room.appState().isBookshelfTargeted());
        room.dragOver(cabinetCentre, data.get());
        QVERIFY(room.appState().isBookshelfTargeted());
        QCOMPARE(room.dropAt(cabinetCentre, data.get()), Qt::CopyAction);
        QTRY_COMPARE(room.shelfNames().size(), 3);
        for (const QString& source : sources) {
            const QFileInfo link(room.shelfPath(QFileInfo(source).fileName()));
            QVERIFY(link.isSymLink());
            QCOMPARE(link.symLinkTarget(), source);
            QVERIFY(QFileInfo(source).isFile()); // linked where it is, never moved
        }
        // Nothing fell through to the floor below the cabinet.
        QVERIFY(QDir(room.carpetPath()).isEmpty());
        QVERIFY(!room.appState().isBookshelfTargeted());
        QVERIFY(!room.floorState().isFloorTargeted());
        QTRY_COMPARE(room.shelf().shelfItems(0).size() + room.shelf().shelfItems(1).size(), 3);

        // A file of the floor is the room's own: it moves onto the shelf.
        const QString floorFile = writeFile(room.carpetPath(u"lantai.txt"_s), "floor");
        room.storage().reloadAll();
        data = fileDrag({floorFile});
        QCOMPARE(room.dropAt(cabinetCentre, data.get()), Qt::CopyAction);
        QTRY_VERIFY(QFileInfo(room.shelfPath(u"lantai.txt"_s)).isFile());
        QVERIFY(!QFileInfo::exists(floorFile));
    }

    // What the storage keeps for itself, and what is no local file, never goes on the shelf:
    // nothing changes on disk.
    void refusedDropsChangeNothing_data()
    {
        QTest::addColumn<QString>("dropped"); // relative to the home folder, or "kind:what"
        QTest::newRow("the storage folder") << u"Documents/RidezozEvar"_s;
        QTest::newRow("the folder that holds it") << u"Documents"_s;
        QTest::newRow("the home folder") << QString();
        QTest::newRow("the shelf folder") << u"Documents/RidezozEvar/Rak"_s;
        QTest::newRow("an entry of the shelf") << u"Documents/RidezozEvar/Rak/a.txt"_s;
        QTest::newRow("a file inside a folder on the shelf")
            << u"Documents/RidezozEvar/Rak/Map/dalam.txt"_s;
        QTest::newRow("the album") << u"Documents/RidezozEvar/Album"_s;
        QTest::newRow("the carpet folder") << u"Documents/RidezozEvar/Karpet"_s;
        QTest::newRow("a web address") << u"url:https://example.org/x.txt"_s;
        QTest::newRow("plain words") << u"text:tarik ini"_s;
        QTest::newRow("a relative path") << u"text:Desktop/x.txt"_s;
        QTest::newRow("offered only as a move") << u"move:Desktop/x.txt"_s;
    }
    void refusedDropsChangeNothing()
    {
        QFETCH(QString, dropped);
        ShelfRoom room([](TempHome& home) {
            threeBooks(home);
            home.writeFile(u"Documents/RidezozEvar/Rak/Map/dalam.txt"_s, "inside");
            home.writeFile(u"Desktop/x.txt"_s, "x");
        });
        const QStringList before = room.shelfNames();
        QCOMPARE(before.size(), 4);
        const QString kind = dropped.section(u':', 0, 0);
        const QString what = dropped.section(u':', 1);
        const QString local =
            QDir::cleanPath(room.home().path() + u"/"_s + (kind == u"move" ? what : dropped));
        auto data = fileDrag({local});
        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        if (kind == u"url") {
            data->setUrls({QUrl(what)});
        } else if (kind == u"text") {
            data = std::make_unique<QMimeData>();
            data->setText(what);
        } else if (kind == u"move") {
            actions = Qt::MoveAction;
        }
        if (dropped.contains(u':')) {
            room.dragOver(cabinetCentre, data.get(), actions);
            QVERIFY(!room.appState().isBookshelfTargeted());
        }
        room.dropAt(cabinetCentre, data.get(), actions);
        QTest::qWait(50);
        QCOMPARE(room.shelfNames(), before);
        QCOMPARE(room.listedNames(), before);
        QVERIFY(QDir(room.carpetPath()).isEmpty());
        QVERIFY(QFileInfo::exists(room.storagePath(u"Rak"_s)));
        QVERIFY(QFileInfo(room.home().path() + u"/Desktop/x.txt"_s).isFile());
    }

    void aClickOnAnEntryTogglesItsPopover()
    {
        ShelfRoom room(threeBooks);
        QCOMPARE(room.shelf().shelfItems(0).size(), 3);
        const QUrl first = room.shelf().shelfItems(0)[0]->entry().url;
        const QUrl second = room.shelf().shelfItems(0)[1]->entry().url;

        room.click(room.centreOf(0, 0));
        QTRY_COMPARE(room.appState().activeShelfPopoverURL(), std::optional(first));
        QCOMPARE(room.appState().activeShelfIndex(), 0);
        // The popover's tap layer now covers the room: a click anywhere closes it.
        room.click(room.centreOf(0, 1));
        QTRY_COMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);

        // What an entry's click does while another panel is open: it takes the popover over.
        room.appState().setShowBookshelfDrawer(true);
        room.appState().setActiveShelfPopoverURL(first);
        room.shelf().shelfItems(0)[1]->toggleFlyout();
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::optional(second));
        QVERIFY(!room.appState().showBookshelfDrawer());
        room.shelf().shelfItems(0)[1]->toggleFlyout();
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);
        QVERIFY(room.opened.isEmpty());
    }

    void aDoubleClickOpensTheEntryOnce()
    {
        ShelfRoom room(threeBooks);
        room.doubleClick(room.centreOf(0, 2));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(room.opened, QStringList{room.shelfPath(u"c.odt"_s)});
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);
    }

    void theCabinetAndItsBadgeOpenTheDrawer_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("where"); // cabinet, badge
        QTest::newRow("an empty part of the cabinet") << false << u"cabinet"_s;
        QTest::newRow("the hint of an empty shelf") << true << u"hint"_s;
        QTest::newRow("the badge") << false << u"badge"_s;
    }
    void theCabinetAndItsBadgeOpenTheDrawer()
    {
        QFETCH(bool, empty);
        QFETCH(QString, where);
        ShelfRoom room(empty ? std::function<void(TempHome&)>() : threeBooks);
        QPointF at = emptyCabinet;
        if (where == u"hint") {
            QVERIFY(room.shelf().emptyHint()->isVisible());
            at = room.shelf().emptyHint()->mapToScene(room.shelf().emptyHint()->rect().center());
        } else if (where == u"badge") {
            at = room.shelf().badge()->mapToScene(room.shelf().badge()->rect().center());
        }
        room.click(at);
        QTRY_VERIFY(room.appState().showBookshelfDrawer());
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);
    }

    void theEntryMenuMovesItToTheFloor()
    {
        ShelfRoom room(threeBooks);
        ShelfItemView* book = room.shelf().shelfItems(0)[1];
        // Another entry's popover closes too.
        room.appState().setActiveShelfPopoverURL(room.shelf().shelfItems(0)[0]->entry().url);
        QVERIFY(chooseFrom(book, u"Keluarkan ke Lantai Rumput"_s));
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);
        QVERIFY(QFileInfo(room.carpetPath(u"b.pdf"_s)).isSymLink());
        QVERIFY(!QFileInfo::exists(room.shelfPath(u"b.pdf"_s)));
        QVERIFY(QFileInfo(room.home().path() + u"/Desktop/b.pdf"_s).isFile());
        QTRY_COMPARE(room.shelf().shelfItems(0).size(), 2);

        QVERIFY(chooseFrom(room.shelf().shelfItems(0)[0], u"Tampilkan di Finder"_s));
        QCOMPARE(room.revealed, QStringList{room.shelfPath(u"a.txt"_s)});
    }
};

PONDSILL_TEST(BookshelfViewTest)
#include "bookshelf_view_test.moc"
