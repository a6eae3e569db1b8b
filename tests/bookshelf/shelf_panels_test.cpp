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

    // Only "Buka" closes the drawer; the others work on the entry and leave it open.
    void theDrawerRowActions_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Buka") << 0 << true;
        QTest::newRow("Tampilkan di Finder") << 1 << false;
        QTest::newRow("Keluarkan ke Lantai Rumput") << 2 << false;
        QTest::newRow("Kembalikan ke Desktop") << 3 << false;
    }
    void theDrawerRowActions()
    {
        QFETCH(int, button);
        QFETCH(bool, closes);
        ShelfRoom room(threeBooks);
        room.appState().setShowBookshelfDrawer(true);
        const QUrl entry = shelfEntry(room, u"b.pdf"_s);
        RoomItem* row = room.drawer()->row(entry);
        QVERIFY(row);
        room.click(room.centreOf(buttonsOf(row).value(button)));
        QTRY_COMPARE(room.appState().showBookshelfDrawer(), !closes);
        const QString desktop = room.home().path() + u"/Desktop/b.pdf"_s;
        switch (button) {
        case 0:
            QCOMPARE(room.opened, QStringList{entry.toLocalFile()});
            break;
        case 1:
            QCOMPARE(room.revealed, QStringList{entry.toLocalFile()});
            break;
        case 2:
            QVERIFY(QFileInfo(room.carpetPath(u"b.pdf"_s)).isSymLink());
            QTRY_VERIFY(!room.drawer()->rows().contains(entry));
            break;
        case 3:
            QVERIFY(!QFileInfo::exists(entry.toLocalFile()));
            QTRY_VERIFY(!room.drawer()->rows().contains(entry));
            break;
        }
        QVERIFY(QFileInfo(desktop).isFile()); // the user's file never moves
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

    void thePopoverOfAFolder_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("four entries, one hidden")
            << u"full"_s << QStringList{u"foto.JPG"_s, u"lagu.mp3"_s, u"catatan"_s};
        QTest::newRow("only hidden names") << u"hidden"_s << QStringList{};
        QTest::newRow("empty") << u"empty"_s << QStringList{};
    }
    void thePopoverOfAFolder()
    {
        QFETCH(QString, make);
        QFETCH(QStringList, listed);
        ShelfRoom room([make](TempHome& home) {
            const QString folder = home.makeDir(u"Desktop/Map"_s);
            if (make == u"full") {
                for (const QString& name : {u"foto.JPG"_s, u"lagu.mp3"_s, u"catatan"_s})
                    writeFile(folder + u"/"_s + name);
            }
            if (make != u"empty")
                writeFile(folder + u"/.rahasia"_s);
            QDir().mkpath(home.path() + u"/Documents/RidezozEvar/Rak"_s);
            QFile::link(folder, home.path() + u"/Documents/RidezozEvar/Rak/Map"_s);
        });
        room.appState().setActiveShelfPopoverURL(shelfEntry(room, u"Map"_s));
        ShelfFlyoutPopoverView* popover = room.popover();
        QVERIFY(popover && popover->isFolder());
        QStringList names;
        for (const QUrl& url : popover->listing())
            names << url.fileName();
        names.sort();
        listed.sort();
        QCOMPARE(names, listed);
        QCOMPARE(popover->list() != nullptr, !listed.isEmpty());
        QVERIFY(popover->size().height() <= 41 + ShelfFlyoutPopoverView::kListMaxHeight + 1);
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
        QCOMPARE(popover->listing().size(), 3);
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

    void theFileCardActions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Buka") << u"Buka"_s << true;
        QTest::newRow("Finder") << u"Finder"_s << false;
        QTest::newRow("Ke Lantai") << u"Ke Lantai"_s << true;
        QTest::newRow("back to the desktop") << u"Kembalikan"_s << true;
        QTest::newRow("the close button") << u"Tutup"_s << true;
    }
    void theFileCardActions()
    {
        QFETCH(QString, button);
        QFETCH(bool, closes);
        ShelfRoom room([](TempHome& home) {
            threeBooks(home);
            sparseFile(home.path() + u"/Desktop/b.pdf"_s, 10'000'000);
        });
        const QUrl entry = shelfEntry(room, u"b.pdf"_s);
        room.appState().setActiveShelfPopoverURL(entry);
        ShelfFlyoutPopoverView* popover = room.popover();
        QVERIFY(popover && !popover->isFolder());
        // The size of the file the link stands for, not the link's few bytes.
        QCOMPARE(popover->sizeLine(), u"10 MB • Buku / File"_s);
        room.click(room.centreOf(popover->button(button)));
        QTRY_COMPARE(room.appState().activeShelfPopoverURL().has_value(), !closes);
        if (button == u"Buka")
            QCOMPARE(room.opened, QStringList{entry.toLocalFile()});
        if (button == u"Finder")
            QCOMPARE(room.revealed, QStringList{entry.toLocalFile()});
        if (button == u"Ke Lantai")
            QVERIFY(QFileInfo(room.carpetPath(u"b.pdf"_s)).isSymLink());
        if (button == u"Kembalikan")
            QVERIFY(!QFileInfo::exists(entry.toLocalFile()));
        QVERIFY(QFileInfo(room.home().path() + u"/Desktop/b.pdf"_s).isFile());
    }
};

PONDSILL_TEST(ShelfPanelsTest)
#include "shelf_panels_test.moc"
