// The cabinet in the room, its drawer and the popover beside it: drops, clicks, menus; and how an
// entry of the shelf is measured, named, dated and ordered.
#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_drawings.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "bookshelf/shelf_item_view.h"
#include "bookshelf/shelf_listing.h"
#include "bookshelf/shelf_metrics.h"
#include "kit/button_item.h"
#include "kit/room_geometry.h"
#include "kit/room_picture.h"
#include "kit/scroll_area.h"
#include "room/room_view.h"
#include "shelf_room.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"
#include "support/manual_clock.h"
#include "support/plain_user.h"
#include "support/temp_home.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
// The cabinet's frame in the 1440 x 900 room: centre (241.632, 333.45), 351.936 x 257.4.
const QPointF cabinetCentre(241.632, 333.45);
// Above the books' tallest tops and left of the badge.
const QPointF emptyCabinet(150, 212);

// threeBooks, `count` - 3 more links and a folder "Arsip" of three files and a hidden one.
std::function<void(TempHome&)> shelfOf(int count)
{
    return [count](TempHome& home) {
        threeBooks(home);
        const QString shelf = home.path() + u"/Documents/RidezozEvar/Rak/"_s;
        for (int i = 3; i < count; ++i)
            QFile::link(home.writeFile(u"Desktop/buku %1.txt"_s.arg(i)),
                        shelf + u"buku %1.txt"_s.arg(i));
        const QString folder = home.makeDir(u"Desktop/Arsip"_s);
        for (const QString& name : {u"foto.JPG"_s, u"lagu.mp3"_s, u"catatan"_s, u".rahasia"_s})
            writeFile(folder + u"/"_s + name);
        QFile::link(folder, shelf + u"Arsip"_s);
    };
}

// Sets the entry's own modification time (a link's, not its target's).
void setTime(const QString& path, const QDateTime& when)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(when.toSecsSinceEpoch()), 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

// The item standing on either shelf for the entry of this name; null when none does.
ShelfItemView* standing(ShelfRoom& room, const QString& name)
{
    for (int shelf : {0, 1}) {
        for (ShelfItemView* item : room.shelf().shelfItems(shelf)) {
            if (item->entry().name == name)
                return item;
        }
    }
    return nullptr;
}

// Whether `lines` lay `label` out broken only between words (after a space, "_", "-" or "."),
// every character kept but for a last line that ends elided.
bool brokenBetweenWords(const QString& label, const QStringList& lines)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        const bool elided = line.endsWith(QChar(0x2026));
        if (elided && i + 1 != lines.size())
            return false;
        if (elided)
            line.chop(1);
        while (at < label.size() && label[at] == u' ')
            ++at;
        if (!QStringView(label).mid(at).startsWith(line))
            return false;
        at += line.size();
        if (elided)
            return true;
        if (i + 1 < lines.size() && at < label.size() && label[at] != u' ' &&
            !u"_-."_s.contains(label[at - 1]))
            return false;
    }
    return label.mid(at).trimmed().isEmpty();
}

QStringList names(const QList<QUrl>& urls)
{
    QStringList list;
    for (const QUrl& url : urls)
        list << url.fileName();
    return list;
}
} // namespace

class BookshelfTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Files dropped on the cabinet or the open drawer are linked where they are, never moved; a
    // file of the floor is the room's own and moves onto the shelf.
    void droppedFilesBecomeLinks()
    {
        ShelfRoom room;
        QStringList sources;
        for (const QString& name : {u"one.txt"_s, u"two.txt"_s, u"three.txt"_s})
            sources << room.home().writeFile(u"Desktop/"_s + name, "keep me");
        auto data = fileDrag(sources);
        // From the floor onto the cabinet: the floor lets go, the cabinet lights up.
        room.dragOver(QPointF(700, 600), data.get());
        room.dragMoveTo(cabinetCentre, data.get());
        QVERIFY(room.appState().isBookshelfTargeted());
        QVERIFY(!room.floorState().isFloorTargeted());
        room.dragLeave(data.get());
        QVERIFY(!room.appState().isBookshelfTargeted());
        QCOMPARE(room.dropAt(cabinetCentre, data.get()), Qt::CopyAction);
        QTRY_COMPARE(room.shelfNames().size(), 3);
        for (const QString& source : sources) {
            const QFileInfo link(room.shelfPath(QFileInfo(source).fileName()));
            QCOMPARE(link.symLinkTarget(), source);
            QVERIFY(QFileInfo(source).isFile());
        }
        QVERIFY(!room.appState().isBookshelfTargeted());
        QTRY_COMPARE(room.shelf().shelfItems(0).size() + room.shelf().shelfItems(1).size(), 3);

        const QString floorFile = writeFile(room.carpetPath(u"lantai.txt"_s), "floor");
        room.storage().reloadAll();
        data = fileDrag({floorFile});
        QCOMPARE(room.dropAt(cabinetCentre, data.get()), Qt::CopyAction);
        QTRY_VERIFY(QFileInfo(room.shelfPath(u"lantai.txt"_s)).isFile());
        QVERIFY(!QFileInfo::exists(floorFile));

        room.appState().setShowBookshelfDrawer(true);
        const QPointF drawer = room.centreOf(room.drawer());
        const QString late = room.home().writeFile(u"Desktop/baru.txt"_s, "x");
        data = fileDrag({late});
        QCOMPARE(room.dropAt(drawer, data.get(), Qt::MoveAction), Qt::IgnoreAction);
        QCOMPARE(room.dropAt(drawer, data.get()), Qt::CopyAction);
        QTRY_COMPARE(QFileInfo(room.shelfPath(u"baru.txt"_s)).symLinkTarget(), late);
        QVERIFY(QFileInfo(late).isFile());
        QVERIFY(room.appState().showBookshelfDrawer());
        QTRY_COMPARE(room.drawer()->rows().size(), 5);
        // Nothing fell through to the floor below.
        QVERIFY(QDir(room.carpetPath()).isEmpty());
    }

    // A drop of many files is one change of the shelf, however many files it holds: the storage
    // publishes its list once, the shelf measures once and the open drawer reads once, while the
    // files are placed a slice per turn of the loop, so the room takes its clicks in between.
    // The room's links are recorded as its own: sent back, they go, and the files stay.
    void aDropIsOneChange_data()
    {
        QTest::addColumn<bool>("ontoDrawer");
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("drops");
        QTest::newRow("150 onto the cabinet") << false << 150 << 1;
        QTest::newRow("150 onto the open drawer") << true << 150 << 1;
        QTest::newRow("two drops of 70 onto the drawer at once") << true << 70 << 2;
        QTest::newRow("one file onto the cabinet") << false << 1 << 1;
    }
    void aDropIsOneChange()
    {
        QFETCH(bool, ontoDrawer);
        QFETCH(int, files);
        QFETCH(int, drops);
        ShelfRoom room(shelfOf(30));
        room.appState().setShowBookshelfDrawer(ontoDrawer);
        room.settle();
        const qsizetype before = room.storage().bookshelfItems().size();
        const int measurings = room.shelf().measurings();
        const int readings = ontoDrawer ? room.drawer()->readings() : 0;
        const QList<RoomItem*> rows = ontoDrawer ? room.drawer()->rowItems() : QList<RoomItem*>();
        QSignalSpy published(&room.storage(), &StorageManager::bookshelfItemsChanged);

        QStringList sources;
        for (int d = 0; d < drops; ++d) {
            QStringList dropped;
            for (int i = 0; i < files; ++i)
                dropped << room.home().writeFile(u"Unduhan/%1 %2.txt"_s.arg(d).arg(i), "x");
            auto data = fileDrag(dropped);
            const QPointF at = ontoDrawer ? room.centreOf(room.drawer()) : cabinetCentre;
            QCOMPARE(room.dropAt(at, data.get()), Qt::CopyAction);
            sources << dropped;
        }
        // Placed a slice at a time, the loop turning in between: each time fewer wait.
        QList<qsizetype> waiting;
        while (room.storage().droppedItemsWaiting() > 0) {
            if (waiting.isEmpty() || waiting.back() != room.storage().droppedItemsWaiting())
                waiting << room.storage().droppedItemsWaiting();
            QCoreApplication::processEvents();
        }
        const qsizetype total = qsizetype(files) * drops;
        const qsizetype slices =
            (total + StorageManager::kDroppedSlice - 1) / StorageManager::kDroppedSlice;
        room.settle();

        QCOMPARE(room.storage().bookshelfItems().size(), before + total);
        QCOMPARE(published.size(), 1);
        QCOMPARE(room.shelf().measurings(), measurings + 1);
        QCOMPARE(room.shelf().badgeCount(), before + total);
        if (ontoDrawer) {
            QCOMPARE(room.drawer()->readings(), readings + 1);
            QCOMPARE(room.drawer()->rows().size(), before + total);
            QCOMPARE(room.drawer()->rowItems(), rows); // handed the entries, never rebuilt
        }
        QCOMPARE(waiting.size(), slices);
        // Each link is in the written record too, which the next start goes by.
        room.storage().flushWrites();
        const QByteArray record = contentOf(room.storagePath(u"shelf_links.json"_s));
        for (const QString& source : std::as_const(sources)) {
            const QString name = QFileInfo(source).fileName();
            QCOMPARE(QFileInfo(room.shelfPath(name)).symLinkTarget(), source);
            QVERIFY(record.contains("\"" + name.toUtf8() + "\""));
        }

        room.storage().returnAllBookshelfItemsToDesktop();
        room.settle();
        for (const QString& source : std::as_const(sources)) {
            const QString name = QFileInfo(source).fileName();
            QVERIFY(!QFileInfo::exists(room.shelfPath(name)));
            QVERIFY(QFileInfo(source).isFile());
            QVERIFY(!QFileInfo(room.trashFilesPath(name)).exists());
            QVERIFY(!QFileInfo(room.home().path() + u"/Desktop/"_s + name).exists());
        }
    }

    // However a drag from another program ends (dropped on the cabinet, carried on and dropped on
    // the floor, called off over the cabinet), its highlight goes without a trace: round the
    // cabinet's edge the window shows what it showed before the drag.
    void theDropHighlightLeavesNoTrace_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("dropped on the cabinet") << u"drop"_s;
        QTest::newRow("dropped on the floor") << u"floor"_s;
        QTest::newRow("called off over the cabinet") << u"cancel"_s;
    }
    void theDropHighlightLeavesNoTrace()
    {
        QFETCH(QString, end);
        const ManualClock clock;
        ShelfRoom room(threeBooks);
        const auto shown = [&room] {
            // Every transition at its end, the shelf showing what it read, then the repaints
            // asked for done: however loaded the machine, the window shows where it settles.
            ManualClock::settle();
            room.settle();
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
            return room.view().screen()->grabWindow(room.view().winId()).toImage();
        };
        // A band round the edge, from outside the frame's stroke to inside it.
        const QRect frame = room.shelf().mapRectToScene(room.shelf().rect()).toAlignedRect();
        const auto differing = [&frame](const QImage& a, const QImage& b) {
            int count = 0;
            for (int y = frame.top() - 5; y <= frame.bottom() + 5; ++y) {
                for (int x = frame.left() - 5; x <= frame.right() + 5; ++x) {
                    const bool band = !frame.adjusted(4, 4, -4, -4).contains(x, y);
                    count += band && a.pixel(x, y) != b.pixel(x, y);
                }
            }
            return count;
        };
        const QImage before = shown();
        auto data = fileDrag({room.home().writeFile(u"Desktop/baru.txt"_s, "x")});
        room.dragOver(cabinetCentre, data.get());
        QVERIFY(room.appState().isBookshelfTargeted());
        QVERIFY(differing(before, shown()) > 0); // lit
        if (end == u"drop") {
            room.dropAt(cabinetCentre, data.get());
        } else if (end == u"floor") {
            room.dragMoveTo(QPointF(700, 650), data.get());
            room.dropAt(QPointF(700, 650), data.get());
        } else {
            room.dragLeave(data.get());
        }
        QVERIFY(!room.appState().isBookshelfTargeted());
        QCOMPARE(differing(before, shown()), 0);
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
        room.settle();
        QCOMPARE(room.shelfNames(), before);
        QCOMPARE(room.storage().bookshelfItems().size(), before.size());
        QVERIFY(QDir(room.carpetPath()).isEmpty());
        QVERIFY(QFileInfo::exists(room.storagePath(u"Rak"_s)));
        QVERIFY(QFileInfo(room.home().path() + u"/Desktop/x.txt"_s).isFile());
    }

    // The hint of an empty shelf, an empty part of the cabinet and the badge open the drawer. A
    // click toggles an entry's popover, taking it over from another panel; a double click opens the
    // entry once and no popover.
    void clicks()
    {
        ShelfRoom room;
        QVERIFY(room.shelf().emptyHint()->isVisible());
        room.click(room.centreOf(room.shelf().emptyHint()));
        QTRY_VERIFY(room.appState().showBookshelfDrawer());
        threeBooks(room.home());
        room.storage().reloadAll();
        for (const QPointF at : {emptyCabinet, room.centreOf(room.shelf().badge())}) {
            room.appState().setShowBookshelfDrawer(false);
            room.click(at);
            QTRY_VERIFY(room.appState().showBookshelfDrawer());
        }
        QTRY_COMPARE(room.shelf().shelfItems(0).size(), 3);
        const QUrl first = room.shelf().shelfItems(0)[0]->entry().url;
        const QUrl second = room.shelf().shelfItems(0)[1]->entry().url;
        room.shelf().shelfItems(0)[1]->toggleFlyout();
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::optional(second));
        QVERIFY(!room.appState().showBookshelfDrawer());
        room.shelf().shelfItems(0)[1]->toggleFlyout();
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);

        room.click(room.centreOf(0, 0));
        QTRY_COMPARE(room.appState().activeShelfPopoverURL(), std::optional(first));
        QCOMPARE(room.appState().activeShelfIndex(), 0);
        // The popover's tap layer now covers the room: a click anywhere closes it.
        room.click(room.centreOf(0, 1));
        QTRY_COMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);
        QVERIFY(room.opened.isEmpty());
        room.doubleClick(room.centreOf(0, 2));
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QCOMPARE(room.opened, QStringList{room.shelfPath(u"c.odt"_s)});
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::nullopt);
    }

    // More than both shelves hold: the drawer lists every one and scrolls. In a folder's popover,
    // from row A to row B, whichever event comes first, only B is lit; a file thrown away from it
    // goes to the Trash, with where it came from.
    void theDrawerAndAFoldersPopover()
    {
        ShelfRoom room(shelfOf(30));
        room.appState().setShowBookshelfDrawer(true);
        room.settle();
        QVERIFY(room.shelf().shelfItems(0).size() + room.shelf().shelfItems(1).size() < 31);
        const QList<QUrl> rows = room.drawer()->rows();
        const ItemURLs& items = room.storage().bookshelfItems();
        QCOMPARE(rows.size(), 31);
        QCOMPARE(QSet<QUrl>(rows.begin(), rows.end()), QSet<QUrl>(items.begin(), items.end()));
        QVERIFY(room.drawer()->list()->maximumOffset() > 0);

        room.appState().setActiveShelfPopoverURL(QUrl::fromLocalFile(room.shelfPath(u"Arsip"_s)));
        ShelfFlyoutPopoverView* popover = room.popover();
        QTRY_VERIFY(!popover->isListing());
        const QUrl song = QUrl::fromLocalFile(room.shelfPath(u"Arsip/lagu.mp3"_s));
        const QUrl other = popover->listing()[popover->listing()[0] == song ? 1 : 0];
        popover->row(other)->gestures().hoverEnter(nullptr);
        popover->row(song)->gestures().hoverEnter(nullptr); // entered before A is left
        popover->row(other)->gestures().hoverLeave(nullptr);
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::optional(song));
        popover->row(song)->gestures().hoverLeave(nullptr); // left before B is entered
        popover->row(other)->gestures().hoverEnter(nullptr);
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::optional(other));
        popover->row(song)->gestures().hoverEnter(nullptr);
        popover->row(other)->gestures().hoverLeave(nullptr);

        QVERIFY(chooseFrom(popover->row(song), u"Buang ke Tempat Sampah"_s));
        QVERIFY(!popover->row(song));
        QVERIFY(!popover->listing().contains(song));
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::nullopt);
        QVERIFY(room.appState().activeShelfPopoverURL()); // still open
        QVERIFY(QFileInfo(room.trashFilesPath(u"lagu.mp3"_s)).isFile());
        QVERIFY(
            contentOf(room.home().dataHome() + u"/Trash/info/lagu.mp3.trashinfo"_s)
                .contains("Path=" + QUrl::toPercentEncoding(
                                        room.home().path() + u"/Desktop/Arsip/lagu.mp3"_s, "/")));
        // Another entry's popover leaves nothing lit.
        popover->row(other)->gestures().hoverEnter(nullptr);
        room.appState().setActiveShelfPopoverURL(QUrl::fromLocalFile(room.shelfPath(u"a.txt"_s)));
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::nullopt);
    }

    // The drawer's row, the popover's card and the entry's menu work on the entry, never on the
    // user's file; which of them closes its panel.
    void theEntryActions_data()
    {
        QTest::addColumn<QString>("where");  // drawer, card, menu
        QTest::addColumn<QString>("button"); // a title, or the drawer row's button index
        QTest::addColumn<QString>("does");   // open, reveal, floor, desktop, nothing
        QTest::addColumn<bool>("closes");
        QTest::newRow("drawer: Buka") << u"drawer"_s << u"0"_s << u"open"_s << true;
        QTest::newRow("drawer: Finder") << u"drawer"_s << u"1"_s << u"reveal"_s << false;
        QTest::newRow("drawer: to the floor") << u"drawer"_s << u"2"_s << u"floor"_s << false;
        QTest::newRow("drawer: to the desktop") << u"drawer"_s << u"3"_s << u"desktop"_s << false;
        QTest::newRow("card: Buka") << u"card"_s << u"Buka"_s << u"open"_s << true;
        QTest::newRow("card: Finder") << u"card"_s << u"Finder"_s << u"reveal"_s << false;
        QTest::newRow("card: to the floor") << u"card"_s << u"Ke Lantai"_s << u"floor"_s << true;
        QTest::newRow("card: to the desktop")
            << u"card"_s << u"Kembalikan"_s << u"desktop"_s << true;
        QTest::newRow("card: close") << u"card"_s << u"Tutup"_s << u"nothing"_s << true;
        // Another entry's popover closes too.
        QTest::newRow("menu: to the floor")
            << u"menu"_s << u"Keluarkan ke Lantai Rumput"_s << u"floor"_s << true;
        QTest::newRow("menu: Finder")
            << u"menu"_s << u"Tampilkan di Finder"_s << u"reveal"_s << false;
    }
    void theEntryActions()
    {
        QFETCH(QString, where);
        QFETCH(QString, button);
        QFETCH(QString, does);
        QFETCH(bool, closes);
        ShelfRoom room([](TempHome& home) {
            threeBooks(home);
            sparseFile(home.path() + u"/Desktop/b.pdf"_s, 10'000'000);
        });
        const QUrl entry = QUrl::fromLocalFile(room.shelfPath(u"b.pdf"_s));
        AppState& app = room.appState();
        if (where == u"drawer") {
            app.setShowBookshelfDrawer(true);
            room.settle();
            RoomItem* row = room.drawer()->row(entry);
            QVERIFY(row);
            QList<ButtonItem*> buttons;
            for (QGraphicsItem* child : row->childItems())
                if (auto* b = dynamic_cast<ButtonItem*>(child))
                    buttons << b;
            room.click(room.centreOf(buttons.value(button.toInt())));
        } else if (where == u"card") {
            app.setActiveShelfPopoverURL(entry);
            ShelfFlyoutPopoverView* popover = room.popover();
            QVERIFY(popover && !popover->isFolder());
            // The size of the file the link stands for, not the link's few bytes.
            QCOMPARE(popover->sizeLine(), u"10 MB • Buku / File"_s);
            room.click(room.centreOf(popover->button(button)));
        } else {
            app.setActiveShelfPopoverURL(QUrl::fromLocalFile(room.shelfPath(u"a.txt"_s)));
            ShelfItemView* book = nullptr;
            for (ShelfItemView* item : room.shelf().shelfItems(0))
                book = item->entry().url == entry ? item : book;
            QVERIFY(book && chooseFrom(book, button));
        }
        const bool moved = does == u"floor" || does == u"desktop";
        QTRY_COMPARE(where == u"drawer" ? app.showBookshelfDrawer()
                                        : app.activeShelfPopoverURL().has_value(),
                     !closes);
        QCOMPARE(room.opened, does == u"open" ? QStringList{entry.toLocalFile()} : QStringList());
        QCOMPARE(room.revealed,
                 does == u"reveal" ? QStringList{entry.toLocalFile()} : QStringList());
        QCOMPARE(QFileInfo(room.carpetPath(u"b.pdf"_s)).isSymLink(), does == u"floor");
        QCOMPARE(QFileInfo::exists(entry.toLocalFile()), !moved);
        QTRY_COMPARE(room.shelf().shelfItems(0).size(), moved ? 2 : 3);
        if (where == u"drawer" && moved)
            QTRY_VERIFY(!room.drawer()->rows().contains(entry));
        QVERIFY(QFileInfo(room.home().path() + u"/Desktop/b.pdf"_s).isFile());
    }
    // A shelf entry is nearly always a link: its size, height and subtitle are those of the file it
    // stands for; a folder is a box counting every name, hidden and dangling too.
    void entriesReadThroughLinks_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("subtitle"); // empty: not checked
        QTest::addColumn<qint64>("sizeAs");    // a book as tall as a file of this size
        QTest::addColumn<int>("entries");      // a box of this many names; -1: a book
        QTest::newRow("a link to a 10 MB file")
            << u"10000000"_s << u"Buku • PDF • 10 MB"_s << qint64(10'000'000) << -1;
        QTest::newRow("a link to a 5 GB file is as tall as the tallest")
            << u"5000000000"_s << QString() << qint64(100'000'000) << -1;
        QTest::newRow("a link whose file is gone: its own bytes")
            << u"dangling"_s << u"Buku • PDF • %1 byte"_s << qint64(-1) << -1;
        QTest::newRow("a link to a folder")
            << u"folder"_s << u"Kardus Arsip • 5 file"_s << qint64(0) << 5;
        QTest::newRow("an application folder is a book of its program")
            << u"app"_s << QString() << qint64(1'000'000) << -1;
    }
    void entriesReadThroughLinks()
    {
        QFETCH(QString, make);
        QFETCH(QString, subtitle);
        QFETCH(qint64, sizeAs);
        QFETCH(int, entries);
        TempHome home;
        const QString target = home.path() + u"/Desktop/laporan.pdf"_s;
        QString entry = home.path() + u"/Rak/laporan.pdf"_s;
        QDir().mkpath(home.path() + u"/Rak"_s);
        if (make == u"folder") {
            const QString folder = home.makeDir(u"Desktop/Proyek"_s);
            for (const QString& name : {u"a"_s, u"b"_s, u"c"_s, u".tersembunyi"_s})
                writeFile(folder + u"/"_s + name);
            QFile::link(folder + u"/gone"_s, folder + u"/dangling"_s);
            QFile::link(folder, entry = home.path() + u"/Rak/Proyek"_s);
        } else if (make == u"app") {
            entry = home.makeDir(u"Rak/Rekam.APP"_s);
            sparseFile(entry + u"/Contents/MacOS/Rekam"_s, 1'000'000);
        } else {
            QFile::link(sparseFile(target, make.toLongLong()), entry);
        }
        if (make == u"dangling") {
            QFile::remove(target);
            sizeAs = QFile::encodeName(target).size();
            subtitle = subtitle.arg(sizeAs);
        }
        if (!subtitle.isEmpty())
            QCOMPARE(ShelfListing::drawerSubtitle(entry), subtitle);
        const ShelfMetrics::Entry e = ShelfMetrics::measure(QUrl::fromLocalFile(entry));
        QCOMPARE(ShelfMetrics::isFolderItem(entry), entries >= 0);
        QCOMPARE(e.isFolder, entries >= 0);
        QCOMPARE(e.entryCount, std::max(entries, 0));
        if (entries >= 0)
            QVERIFY(e.height() > ShelfMetrics::boxHeight(0)); // the box grows with its names
        else
            QCOMPARE(e.bookHeight, ShelfMetrics::bookHeightForSize(sizeAs));
        QVERIFY(ShelfMetrics::bookHeightForSize(0) < ShelfMetrics::bookHeightForSize(1'000'000));
        QVERIFY(ShelfMetrics::bookHeightForSize(1'000'000) <
                ShelfMetrics::bookHeightForSize(100'000'000));
    }

    // A spine's title drops only the last extension; the drawer's kind names it. A book keeps its
    // look after a restart (FNV-1a, its published value), whatever its name.
    void titlesKindsAndLooks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("kind");
        QTest::newRow("two extensions") << u"a.tar.gz"_s << u"a.tar"_s << u"GZ"_s;
        QTest::newRow("a dot-file") << u".profile"_s << u".profile"_s << u"Dokumen"_s;
        QTest::newRow("an application") << u"Notes.App"_s << u"Notes"_s << u"Aplikasi"_s;
        QTest::newRow("emoji") << u"📚🗃️"_s << u"📚🗃️"_s << u"Dokumen"_s;
    }
    void titlesKindsAndLooks()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, kind);
        QCOMPARE(ShelfMetrics::bookTitle(name), title);
        QCOMPARE(ShelfListing::kind(name), kind);
        QCOMPARE(ShelfMetrics::lookHash(u"foobar"_s), 0x85944171f73967e8ULL);
        const auto& palette = ShelfMetrics::bookSpinePalette();
        const QColor spine = ShelfMetrics::spineColor(ShelfMetrics::lookHash(name), 1, 100000);
        QVERIFY(std::count(palette.begin(), palette.end(), spine));
    }

    // At every common screen shape each book and box stands on its board, where the room's
    // picture draws the board's top face, and the count badge lies on the cabinet.
    void theRowsStandOnTheBoardsAtEveryScreenShape_data()
    {
        QTest::addColumn<QSize>("size");
        for (const QSize size :
             {QSize(1024, 768), QSize(1280, 1024), QSize(1366, 768), QSize(1440, 900),
              QSize(1920, 1080), QSize(2560, 1080), QSize(3840, 2160)})
            QTest::addRow("%dx%d", size.width(), size.height()) << size;
    }
    void theRowsStandOnTheBoardsAtEveryScreenShape()
    {
        QFETCH(QSize, size);
        ShelfRoom room(shelfOf(60));
        room.view().resize(size);
        QTRY_COMPARE(room.root().size(), QSizeF(size));
        const RoomGeometry g(size);
        QTRY_VERIFY(!room.shelf().shelfItems(1).isEmpty());
        for (int row = 0; row < 2; ++row) {
            const qreal board = RoomPicture::boardTop(g, row);
            for (const ShelfItemView* item : room.shelf().shelfItems(row)) {
                const qreal bottom =
                    item->mapToScene(QPointF(item->size().width() / 2, item->size().height())).y();
                QVERIFY2(std::abs(bottom - board) <= 1,
                         qPrintable(u"%1 stands at %2, its board at %3"_s.arg(item->entry().name)
                                        .arg(bottom)
                                        .arg(board)));
            }
        }
        const QRectF badge = room.shelf().badge()->mapRectToScene(room.shelf().badge()->rect());
        QVERIFY(g.shelfRect().contains(badge));
    }

    // Rows 100 wide, 1.5 between items: the first item that does not fit goes down, and once the
    // lower row is full nothing more stands (the drawer still lists it).
    void distributionOverTwoShelves()
    {
        const ShelfMetrics::Distribution d = ShelfMetrics::distribute({60, 41, 60, 10}, 100);
        QCOMPARE(d.shelves[0], QList<int>{0});
        QCOMPARE(d.shelves[1], QList<int>{1});
    }

    // Newest first; equal times keep their order, what vanished goes last in its order.
    void newestFirst()
    {
        TempHome home;
        QList<QUrl> urls;
        const QStringList times{u"11:00"_s, u"gone"_s, u"12:00"_s,
                                u"11:00"_s, u"gone"_s, u"11:00"_s};
        for (int i = 0; i < times.size(); ++i) {
            const QString path = home.path() + u"/e%1"_s.arg(i);
            if (times[i] != u"gone")
                setTime(writeFile(path),
                        QDateTime(QDate(2026, 1, 5), QTime::fromString(times[i], u"HH:mm"_s)));
            urls << QUrl::fromLocalFile(path);
        }
        QCOMPARE(names(ShelfListing::newestFirst(urls)),
                 (QStringList{u"e2"_s, u"e0"_s, u"e3"_s, u"e5"_s, u"e1"_s, u"e4"_s}));
    }

    // What an entry measures follows what it stands for while the shelf's list stays the same: a
    // box counts what its folder holds now (also after a file is thrown away from its own
    // popover), a book stands as tall as its file is big now.
    void measuresFollowTheirEntries_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<qreal>("heightBefore");
        QTest::addColumn<qreal>("heightAfter");
        QTest::addColumn<int>("countAfter");
        const qreal box4 = ShelfMetrics::boxHeight(4);
        QTest::newRow("a file thrown away from the box's popover")
            << u"trash"_s << u"Arsip"_s << box4 << ShelfMetrics::boxHeight(3) << 3;
        QTest::newRow("a file saved into the folder")
            << u"add"_s << u"Arsip"_s << box4 << ShelfMetrics::boxHeight(5) << 5;
        QTest::newRow("a file deleted from the folder by another program")
            << u"delete"_s << u"Arsip"_s << box4 << ShelfMetrics::boxHeight(3) << 3;
        QTest::newRow("a shelved file grows")
            << u"grow"_s << u"a.txt"_s << ShelfMetrics::bookHeightForSize(4)
            << ShelfMetrics::bookHeightForSize(10'000'000) << 0;
        QTest::newRow("a shelved file is saved over by a rename")
            << u"replace"_s << u"a.txt"_s << ShelfMetrics::bookHeightForSize(4)
            << ShelfMetrics::bookHeightForSize(10'000'000) << 0;
    }
    void measuresFollowTheirEntries()
    {
        QFETCH(QString, change);
        QFETCH(QString, entry);
        QFETCH(qreal, heightBefore);
        QFETCH(qreal, heightAfter);
        QFETCH(int, countAfter);
        ShelfRoom room(shelfOf(3));
        const auto height = [&room, entry] {
            ShelfItemView* item = standing(room, entry);
            return item ? item->entry().height() : qreal(-1);
        };
        QCOMPARE(height(), heightBefore);
        const QString folder = room.home().path() + u"/Desktop/Arsip"_s;
        const QString file = room.home().path() + u"/Desktop/a.txt"_s;
        if (change == u"trash") {
            room.appState().setActiveShelfPopoverURL(
                QUrl::fromLocalFile(room.shelfPath(u"Arsip"_s)));
            ShelfFlyoutPopoverView* popover = room.popover();
            QTRY_VERIFY(!popover->isListing());
            QVERIFY(
                chooseFrom(popover->row(QUrl::fromLocalFile(room.shelfPath(u"Arsip/lagu.mp3"_s))),
                           u"Buang ke Tempat Sampah"_s));
            QVERIFY(QFileInfo(room.trashFilesPath(u"lagu.mp3"_s)).isFile());
        } else if (change == u"add") {
            writeFile(folder + u"/baru.txt"_s);
        } else if (change == u"delete") {
            QVERIFY(QFile::remove(folder + u"/catatan"_s));
        } else if (change == u"grow") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(10'000'000));
        } else {
            sparseFile(file + u".tmp"_s, 10'000'000);
            QVERIFY(::rename(QFile::encodeName(file + u".tmp"_s).constData(),
                             QFile::encodeName(file).constData()) == 0);
        }
        QTRY_COMPARE(height(), heightAfter);
        ShelfItemView* item = standing(room, entry);
        QCOMPARE(item->entry().entryCount, countAfter);
        if (item->entry().isFolder)
            QCOMPARE(item->boxFace().count, countAfter);
        QCOMPARE(item->size().height(), heightAfter);
        // Its neighbours keep their places: the list itself did not change.
        QCOMPARE(room.storage().bookshelfItems().size(), 4);

        // Watched still after the change: a second one shows as well.
        if (change == u"grow" || change == u"replace") {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(4));
            QTRY_COMPARE(height(), heightBefore);
        } else {
            writeFile(folder + u"/lagi.txt"_s);
            QTRY_COMPARE(standing(room, entry)->entry().entryCount, countAfter + 1);
        }
    }

    // The shelf, its badge and the open drawer follow what an entry leads to without a restart:
    // an item deleted, moved away or thrown away by another program leaves them (its link stays
    // until the next start's repair), and one made again stands again, measured anew.
    void theShelfFollowsWhatItsEntriesLeadTo_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("stands");
        QTest::addColumn<int>("count"); // a box's names afterwards; -1: not a box
        QTest::newRow("a shelved folder deleted") << u"delete"_s << u"Arsip"_s << false << -1;
        QTest::newRow("a shelved folder moved to the Trash")
            << u"trash"_s << u"Arsip"_s << false << -1;
        QTest::newRow("a shelved file deleted") << u"delete"_s << u"a.txt"_s << false << -1;
        QTest::newRow("a shelved folder deleted, then made again")
            << u"remake later"_s << u"Arsip"_s << true << 2;
        QTest::newRow("a shelved folder deleted and made again at once")
            << u"remake"_s << u"Arsip"_s << true << 2;
        QTest::newRow("a shelved folder moved away and back")
            << u"away and back"_s << u"Arsip"_s << true << 4;
    }
    void theShelfFollowsWhatItsEntriesLeadTo()
    {
        QFETCH(QString, change);
        QFETCH(QString, entry);
        QFETCH(bool, stands);
        QFETCH(int, count);
        ShelfRoom room(shelfOf(3));
        room.appState().setShowBookshelfDrawer(true);
        room.settle();
        QVERIFY(standing(room, entry));
        QCOMPARE(room.shelf().badgeCount(), 4);
        const QString target = room.home().path() + u"/Desktop/"_s + entry;
        const auto remake = [&target] {
            QDir().mkpath(target);
            writeFile(target + u"/satu"_s);
            writeFile(target + u"/dua"_s);
        };
        const auto left = [&room, entry] {
            room.settle();
            return !standing(room, entry) && room.shelf().badgeCount() == 3 && room.drawer() &&
                   room.drawer()->rows().size() == 3;
        };
        if (change == u"trash") {
            QVERIFY(FreedesktopTrash::shared().moveToTrash(target));
        } else if (change == u"away and back") {
            QVERIFY(QDir().rename(target, target + u" lama"_s));
            QTRY_VERIFY(left());
            QVERIFY(QDir().rename(target + u" lama"_s, target));
        } else {
            QVERIFY(QFileInfo(target).isDir() ? QDir(target).removeRecursively()
                                              : QFile::remove(target));
            if (change == u"remake later")
                QTRY_VERIFY(left());
            if (change.startsWith(u"remake"))
                remake();
        }
        if (!stands) {
            QTRY_VERIFY(left());
            // Only the room's own link is left, for the next start to clear.
            QVERIFY(QFileInfo(room.shelfPath(entry)).isSymLink());
            return;
        }
        QTRY_VERIFY(standing(room, entry) && standing(room, entry)->entry().isFolder &&
                    standing(room, entry)->entry().entryCount == count);
        QTRY_COMPARE(room.shelf().badgeCount(), 4);
        QTRY_VERIFY(room.drawer()->lines().size() == 4 &&
                    room.drawer()->lines().first().subtitle.endsWith(u"%1 file"_s.arg(count)) ==
                        (room.drawer()->lines().first().name == entry));
    }

    // The whole shelf folder moved away by another program: the shelf, its badge and the drawer
    // empty, the folder is made again and takes new entries; what it held is where it went.
    void theShelfFolderMovedAway()
    {
        ShelfRoom room(shelfOf(3));
        room.appState().setShowBookshelfDrawer(true);
        room.settle();
        const QString moved = room.home().path() + u"/Rak lama"_s;
        QVERIFY(QDir().rename(room.shelfPath().chopped(1), moved));
        QTRY_VERIFY(room.storage().bookshelfItems().isEmpty());
        room.settle();
        QCOMPARE(room.shelf().badgeCount(), 0);
        QVERIFY(room.shelf().shelfItems(0).isEmpty() && room.shelf().shelfItems(1).isEmpty());
        QTRY_VERIFY(room.drawer()->rows().isEmpty());
        QVERIFY(QFileInfo(room.shelfPath()).isDir());
        QCOMPARE(QDir(moved).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 4);
        room.storage().addToBookshelf(
            QUrl::fromLocalFile(room.home().path() + u"/Desktop/a.txt"_s));
        QTRY_COMPARE(room.storage().bookshelfItems().size(), 1);
        QTRY_COMPARE(room.shelf().badgeCount(), 1);
    }

    // A shelved folder that cannot be listed is not shown as empty: its box, its drawer row and
    // its popover say that it cannot be read. Run as a user whom the folder's mode binds.
    void anUnreadableFolderIsNotEmpty_data()
    {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("count");
        QTest::newRow("an empty folder") << true << u"0 file"_s;
        QTest::newRow("a folder that cannot be read") << false << u"Isi tidak dapat dibaca"_s;
    }
    void anUnreadableFolderIsNotEmpty()
    {
        QFETCH(bool, readable);
        QFETCH(QString, count);
        QTemporaryDir home;
        ::chmod(QFile::encodeName(home.path()).constData(), 0755);
        const QString folder = home.path() + u"/Desktop/Rahasia"_s;
        const QString entry = home.path() + u"/Rak/Rahasia"_s;
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(home.path() + u"/Rak"_s));
        QVERIFY(QFile::link(folder, entry));
        const PlainUserOutcome outcome = asPlainUser(home.path(), [&]() -> int {
            if (!readable && ::chmod(QFile::encodeName(folder).constData(), 0) != 0)
                return plainUserFailure(1, u"could not lock "_s + folder);
            const ShelfMetrics::Entry e = ShelfMetrics::measure(QUrl::fromLocalFile(entry));
            if (!e.isFolder || e.readable != readable || e.entryCount != 0)
                return plainUserFailure(
                    2, u"measured: folder %1, readable %2, %3 entries"_s.arg(e.isFolder)
                           .arg(e.readable)
                           .arg(e.entryCount));
            ShelfDrawings::BoxFace face;
            face.readable = e.readable;
            if (const QString line = ShelfDrawings::countLine(face); line != count)
                return plainUserFailure(3, u"the box says "_s + line);
            if (const QString subtitle = ShelfListing::drawerSubtitle(entry);
                subtitle != u"Kardus Arsip • "_s + count)
                return plainUserFailure(4, u"the drawer says "_s + subtitle);
            bool listed = !readable;
            if (!ShelfListing::folderContents(entry, &listed).isEmpty() || listed != readable)
                return plainUserFailure(5, u"listed: %1"_s.arg(listed));
            return 0;
        });
        QVERIFY2(outcome.succeeded(), outcome.report());
    }

    // The drawer keeps its few row items and hands them the entries anew when the shelf's list
    // changes: a click on a row is never lost to rows rebuilt under it.
    void theDrawersRowsAreUpdatedInPlace()
    {
        ShelfRoom room(shelfOf(30));
        room.appState().setShowBookshelfDrawer(true);
        room.settle();
        BookshelfDrawerView* drawer = room.drawer();
        const QList<RoomItem*> items = drawer->rowItems();
        QVERIFY2(items.size() < 12, qPrintable(QString::number(items.size())));
        QCOMPARE(drawer->rows().size(), 31);

        const QString added = room.home().writeFile(u"Desktop/baru.txt"_s, "new");
        room.storage().addToBookshelf(QUrl::fromLocalFile(added));
        room.storage().returnBookToDesktop(QUrl::fromLocalFile(room.shelfPath(u"a.txt"_s)));
        room.settle();
        QCOMPARE(drawer->rows().size(), 31);
        QCOMPARE(drawer->rows().first(), QUrl::fromLocalFile(room.shelfPath(u"baru.txt"_s)));
        QVERIFY(!drawer->rows().contains(QUrl::fromLocalFile(room.shelfPath(u"a.txt"_s))));
        QCOMPARE(drawer->rowItems(), items);
        // The row in view shows the new entry, and its button acts on it.
        RoomItem* row = drawer->row(drawer->rows().first());
        QVERIFY(row);
        room.click(room.centreOf(row->childItems().first()));
        QCOMPARE(room.opened, QStringList{room.shelfPath(u"baru.txt"_s)});
        // Scrolled to the end, the same items show the last entries.
        room.appState().setShowBookshelfDrawer(true);
        room.settle();
        drawer = room.drawer();
        drawer->list()->scrollTo(drawer->list()->maximumOffset());
        QVERIFY(drawer->row(drawer->rows().last()));
        QVERIFY(drawer->list()->sceneBoundingRect().contains(
            room.centreOf(drawer->row(drawer->rows().last()))));
    }

    // A folder's name on its box breaks between words, never inside one: after a space, or after
    // the "_", "-" or "." of a file name; what does not fit even at half size ends elided.
    void boxLabelsBreakBetweenWords_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("count");         // the folder's names: the box's size
        QTest::addColumn<QStringList>("lines"); // empty: not compared
        QTest::newRow("joined by an underscore")
            << u"Foto_Liburan"_s << 4 << QStringList{u"Foto_"_s, u"Liburan"_s};
        QTest::newRow("two words")
            << u"Laporan Keuangan"_s << 4 << QStringList{u"Laporan"_s, u"Keuangan"_s};
        QTest::newRow("joined by a hyphen")
            << u"arsip-proyek"_s << 4 << QStringList{u"arsip-"_s, u"proyek"_s};
        QTest::newRow("joined by a dot")
            << u"Surat.Kantor"_s << 4 << QStringList{u"Surat."_s, u"Kantor"_s};
        QTest::newRow("a short name") << u"Foto"_s << 0 << QStringList{u"Foto"_s};
        QTest::newRow("one long word")
            << u"Supercalifragilistikekspialidosius"_s << 4 << QStringList();
        QTest::newRow("many words")
            << u"Dokumen Penting Kantor Pusat Jakarta Tahun 2024 Lama"_s << 12 << QStringList();
        QTest::newRow("many underscores")
            << u"backup_2024_01_05_server_utama_harian_lengkap"_s << 40 << QStringList();
    }
    void boxLabelsBreakBetweenWords()
    {
        QFETCH(QString, label);
        QFETCH(int, count);
        QFETCH(QStringList, lines);
        for (int style = 0; style < 4; ++style) {
            ShelfDrawings::BoxFace face;
            face.width = ShelfMetrics::shelfItemWidth(true, count, 0);
            face.height = ShelfMetrics::boxHeight(count);
            face.label = label;
            face.count = count;
            face.style = style;
            const QStringList laid = ShelfDrawings::labelLines(face);
            QVERIFY2(laid.size() >= 1 && laid.size() <= 2, qPrintable(laid.join(u'|')));
            QVERIFY2(brokenBetweenWords(label, laid), qPrintable(laid.join(u'|')));
            if (!lines.isEmpty())
                QCOMPARE(laid, lines);
        }
    }

    // A folder of any size opens its popover at once: it is listed off the GUI thread and only
    // the rows in view are built, handed on as the list scrolls, each opening the entry it
    // shows. A popover closed before its listing came leaves nothing behind.
    void aBigFoldersPopover_data()
    {
        QTest::addColumn<int>("files");
        QTest::newRow("three") << 3;
        QTest::newRow("a screenful") << 9;
        QTest::newRow("three thousand") << 3000;
    }
    void aBigFoldersPopover()
    {
        QFETCH(int, files);
        const QDateTime start(QDate(2026, 1, 5), QTime(8, 0));
        ShelfRoom room([files, start](TempHome& home) {
            threeBooks(home);
            const QString folder = home.makeDir(u"Desktop/Besar"_s);
            // Written oldest last, so the newest is no accident of the folder's order.
            for (int i = files - 1; i >= 0; --i)
                setTime(writeFile(folder + u"/berkas %1.txt"_s.arg(i)), start.addSecs(60 * i));
            QFile::link(folder, home.path() + u"/Documents/RidezozEvar/Rak/Besar"_s);
        });
        const QUrl url = QUrl::fromLocalFile(room.shelfPath(u"Besar"_s));
        // Closed while it is being listed.
        room.appState().setActiveShelfPopoverURL(url);
        QVERIFY(room.popover());
        room.appState().setActiveShelfPopoverURL(std::nullopt);
        QTest::qWait(50);

        room.appState().setActiveShelfPopoverURL(url);
        ShelfFlyoutPopoverView* popover = room.popover();
        QTRY_VERIFY(!popover->isListing());
        const QList<QUrl>& listing = popover->listing();
        QCOMPARE(listing.size(), files);
        QCOMPARE(listing.first().fileName(), u"berkas %1.txt"_s.arg(files - 1));
        QCOMPARE(listing.last().fileName(), u"berkas 0.txt"_s);
        QVERIFY(popover->list()->size().height() <= ShelfFlyoutPopoverView::kListMaxHeight);
        QVERIFY2(popover->builtRows() <= std::min(files, 10),
                 qPrintable(QString::number(popover->builtRows())));

        const QRectF view = popover->list()->sceneBoundingRect();
        for (const bool toTheEnd : {false, true}) {
            popover->list()->scrollTo(toTheEnd ? popover->list()->maximumOffset() : 0);
            const QUrl shown = toTheEnd ? listing.last() : listing.first();
            RoomItem* row = popover->row(shown);
            QVERIFY2(row, qPrintable(shown.fileName()));
            QVERIFY(view.contains(room.centreOf(row)));
            room.opened.clear();
            room.click(room.centreOf(row));
            QCOMPARE(room.opened, QStringList{shown.toLocalFile()});
        }
        QVERIFY(popover->row(listing.last()));
        QCOMPARE(room.appState().activeShelfPopoverURL(), std::optional(url));
    }

    // A folder's contents, newest first and read through the shelf's link, without dot-files; a
    // folder that is gone lists nothing.
    void folderContents()
    {
        TempHome home;
        const QString folder = home.path() + u"/Map"_s;
        QVERIFY(ShelfListing::folderContents(folder).isEmpty());
        const QDate day(2026, 1, 5);
        setTime(writeFile(folder + u"/pagi.txt"_s), QDateTime(day, QTime(10, 0)));
        setTime(writeFile(folder + u"/siang.txt"_s), QDateTime(day, QTime(12, 0)));
        setTime(writeFile(folder + u"/malam.txt"_s), QDateTime(day, QTime(9, 0)));
        writeFile(folder + u"/.rahasia"_s);
        QDir().mkpath(folder + u"/Sub"_s);
        setTime(folder + u"/Sub"_s, QDateTime(day, QTime(11, 0)));
        const QString link = home.path() + u"/link"_s;
        QFile::link(folder, link);
        const QList<QUrl> urls = ShelfListing::folderContents(link);
        QCOMPARE(names(urls),
                 (QStringList{u"siang.txt"_s, u"Sub"_s, u"pagi.txt"_s, u"malam.txt"_s}));
        for (const QUrl& url : urls)
            QVERIFY(url.toLocalFile().startsWith(link + u"/"_s));
        // Ages are the entry's own (the link's), not its file's.
        const QDateTime now = QDateTime::currentDateTime();
        setTime(folder, now.addDays(-3));
        setTime(link, now.addSecs(-5 * 60));
        QCOMPARE(ShelfListing::drawerRelativeDate(link, now), u"5 mnt lalu"_s);
        QCOMPARE(ShelfListing::drawerRelativeDate(folder, now), u"3 hr lalu"_s);
        QCOMPARE(ShelfListing::drawerRelativeDate(home.path() + u"/gone"_s, now), u"Baru saja"_s);
    }
};

PONDSILL_TEST(BookshelfTest)
#include "bookshelf_view_test.moc"
