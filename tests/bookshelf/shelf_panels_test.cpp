#include "bookshelf/bookshelf_drawer_view.h"
#include "bookshelf/bookshelf_view.h"
#include "bookshelf/shelf_flyout_popover_view.h"
#include "kit/button_item.h"
#include "kit/scroll_area.h"
#include "shelf_room.h"
#include "state/app_state.h"
#include "storage/storage_manager.h"
#include "support/test_registry.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// The buttons among an item's children, in the order they were made.
QList<ButtonItem*> buttonsOf(QGraphicsItem* item)
{
    QList<ButtonItem*> buttons;
    for (QGraphicsItem* child : item->childItems()) {
        if (auto* b = dynamic_cast<ButtonItem*>(child))
            buttons << b;
    }
    return buttons;
}

// A shelf of `count` links to files and a folder "Arsip" of three files and a hidden one.
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

QUrl shelfEntry(ShelfRoom& room, const QString& name)
{
    return QUrl::fromLocalFile(room.shelfPath(name));
}
} // namespace

// The drawer listing the shelf and the popover beside it.
class ShelfPanelsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // More than both shelves hold: the drawer lists every one, newest first, and scrolls.
    void theDrawerListsEveryEntry()
    {
        ShelfRoom room(shelfOf(30));
        room.appState().setShowBookshelfDrawer(true);
        const int standing =
            int(room.shelf().shelfItems(0).size() + room.shelf().shelfItems(1).size());
        QCOMPARE(room.storage().bookshelfItems().size(), 31);
        QVERIFY(standing < 31);
        const QList<QUrl> rows = room.drawer()->rows();
        const ItemURLs& items = room.storage().bookshelfItems();
        QCOMPARE(rows.size(), 31);
        QCOMPARE(QSet<QUrl>(rows.begin(), rows.end()), QSet<QUrl>(items.begin(), items.end()));
        QVERIFY(room.drawer()->list()->maximumOffset() > 0);
    }

    void aDropOnTheDrawerGoesOntoTheShelfOnly()
    {
        ShelfRoom room;
        room.appState().setShowBookshelfDrawer(true);
        BookshelfDrawerView* drawer = room.drawer();
        const QPointF middle = room.centreOf(drawer);
        const QString file = room.home().writeFile(u"Desktop/baru.txt"_s, "x");
        auto data = fileDrag({file});
        QCOMPARE(room.dropAt(middle, data.get(), Qt::MoveAction), Qt::IgnoreAction);
        QCOMPARE(room.dropAt(middle, data.get()), Qt::CopyAction);
        QTRY_VERIFY(QFileInfo(room.shelfPath(u"baru.txt"_s)).isSymLink());
        QVERIFY(QFileInfo(file).isFile());
        QVERIFY(QDir(room.carpetPath()).isEmpty());
        QVERIFY(room.appState().showBookshelfDrawer());
        QTRY_COMPARE(room.drawer()->rows().size(), 1);
    }

    // From row A to row B, whichever event comes first, only B is lit; a popover that
    // closes or shows another folder leaves nothing lit.
    void theHoverFollowsThePointer_data()
    {
        QTest::addColumn<bool>("enterFirst");
        QTest::newRow("B entered before A is left") << true;
        QTest::newRow("A left before B is entered") << false;
    }
    void theHoverFollowsThePointer()
    {
        QFETCH(bool, enterFirst);
        ShelfRoom room(shelfOf(3));
        const QUrl folder = shelfEntry(room, u"Arsip"_s);
        room.appState().setActiveShelfPopoverURL(folder);
        ShelfFlyoutPopoverView* popover = room.popover();
        QStringList names;
        for (const QUrl& url : popover->listing())
            names << url.fileName();
        names.sort();
        QCOMPARE(names, (QStringList{u"catatan"_s, u"foto.JPG"_s, u"lagu.mp3"_s}));
        const QUrl a = popover->listing()[0];
        const QUrl b = popover->listing()[1];
        popover->row(a)->gestures().hoverEnter(nullptr);
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::optional(a));
        if (enterFirst) {
            popover->row(b)->gestures().hoverEnter(nullptr);
            popover->row(a)->gestures().hoverLeave(nullptr);
        } else {
            popover->row(a)->gestures().hoverLeave(nullptr);
            popover->row(b)->gestures().hoverEnter(nullptr);
        }
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::optional(b));

        room.appState().setActiveShelfPopoverURL(std::nullopt);
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::nullopt);
        room.appState().setActiveShelfPopoverURL(folder);
        QTRY_VERIFY(room.popover());
        room.popover()->row(a)->gestures().hoverEnter(nullptr);
        room.appState().setActiveShelfPopoverURL(shelfEntry(room, u"a.txt"_s));
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::nullopt);
    }

    void aRowThrownAwayGoesToTheTrash()
    {
        ShelfRoom room(shelfOf(3));
        room.appState().setActiveShelfPopoverURL(shelfEntry(room, u"Arsip"_s));
        ShelfFlyoutPopoverView* popover = room.popover();
        const QUrl song = QUrl::fromLocalFile(room.shelfPath(u"Arsip/lagu.mp3"_s));
        QVERIFY(popover->row(song));
        popover->row(song)->gestures().hoverEnter(nullptr);

        QVERIFY(chooseFrom(popover->row(song), u"Salin Nama File"_s));
        QCOMPARE(QGuiApplication::clipboard()->text(), u"lagu.mp3"_s);
        QVERIFY(chooseFrom(popover->row(song), u"Buang ke Tempat Sampah"_s));

        QVERIFY(!popover->row(song));
        QVERIFY(!popover->listing().contains(song));
        QCOMPARE(room.appState().hoveredFlyoutURL(), std::nullopt);
        QVERIFY(room.appState().activeShelfPopoverURL()); // still open
        const QString trashed = room.trashFilesPath(u"lagu.mp3"_s);
        QVERIFY(QFileInfo(trashed).isFile());
        QFile info(room.home().dataHome() + u"/Trash/info/lagu.mp3.trashinfo"_s);
        QVERIFY(info.open(QIODevice::ReadOnly));
        QVERIFY(info.readAll().contains(
            "Path=" +
            QUrl::toPercentEncoding(room.home().path() + u"/Desktop/Arsip/lagu.mp3"_s, "/")));
    }

    // The drawer's row and the popover's card work on the entry, never on the user's file;
    // which of them closes its panel.
    void theEntryActions_data()
    {
        QTest::addColumn<bool>("inDrawer");
        QTest::addColumn<QString>("button"); // the popover's title, or the row's button index
        QTest::addColumn<QString>("does");   // open, reveal, floor, desktop, nothing
        QTest::addColumn<bool>("closes");
        QTest::newRow("drawer: Buka") << true << u"0"_s << u"open"_s << true;
        QTest::newRow("drawer: Finder") << true << u"1"_s << u"reveal"_s << false;
        QTest::newRow("drawer: to the floor") << true << u"2"_s << u"floor"_s << false;
        QTest::newRow("drawer: back to the desktop") << true << u"3"_s << u"desktop"_s << false;
        QTest::newRow("card: Buka") << false << u"Buka"_s << u"open"_s << true;
        QTest::newRow("card: Finder") << false << u"Finder"_s << u"reveal"_s << false;
        QTest::newRow("card: to the floor") << false << u"Ke Lantai"_s << u"floor"_s << true;
        QTest::newRow("card: back to the desktop")
            << false << u"Kembalikan"_s << u"desktop"_s << true;
        QTest::newRow("card: close") << false << u"Tutup"_s << u"nothing"_s << true;
    }
    void theEntryActions()
    {
        QFETCH(bool, inDrawer);
        QFETCH(QString, button);
        QFETCH(QString, does);
        QFETCH(bool, closes);
        ShelfRoom room([](TempHome& home) {
            threeBooks(home);
            sparseFile(home.path() + u"/Desktop/b.pdf"_s, 10'000'000);
        });
        const QUrl entry = shelfEntry(room, u"b.pdf"_s);
        auto isOpen = [&] {
            return inDrawer ? room.appState().showBookshelfDrawer()
                            : room.appState().activeShelfPopoverURL().has_value();
        };
        if (inDrawer) {
            room.appState().setShowBookshelfDrawer(true);
            RoomItem* row = room.drawer()->row(entry);
            QVERIFY(row);
            room.click(room.centreOf(buttonsOf(row).value(button.toInt())));
        } else {
            room.appState().setActiveShelfPopoverURL(entry);
            ShelfFlyoutPopoverView* popover = room.popover();
            QVERIFY(popover && !popover->isFolder());
            // The size of the file the link stands for, not the link's few bytes.
            QCOMPARE(popover->sizeLine(), u"10 MB • Buku / File"_s);
            room.click(room.centreOf(popover->button(button)));
        }
        QTRY_COMPARE(isOpen(), !closes);
        QCOMPARE(room.opened, does == u"open" ? QStringList{entry.toLocalFile()} : QStringList());
        QCOMPARE(room.revealed,
                 does == u"reveal" ? QStringList{entry.toLocalFile()} : QStringList());
        QCOMPARE(QFileInfo(room.carpetPath(u"b.pdf"_s)).isSymLink(), does == u"floor");
        QCOMPARE(QFileInfo::exists(entry.toLocalFile()), does != u"floor" && does != u"desktop");
        if (inDrawer && (does == u"floor" || does == u"desktop"))
            QTRY_VERIFY(!room.drawer()->rows().contains(entry));
        QVERIFY(QFileInfo(room.home().path() + u"/Desktop/b.pdf"_s).isFile());
    }
};

PONDSILL_TEST(ShelfPanelsTest)
#include "shelf_panels_test.moc"
