#include "cards/award_plaque_quick_view.h"
#include "cards/carpet_item_quick_view.h"
#include "cards/quick_view_card.h"
#include "cards/wall_cards.h"
#include "kit/button_item.h"
#include "kit/formats.h"
#include "room/asset_loader.h"
#include "room/room_pieces.h"
#include "storage/storage_manager.h"
#include "support/fake_app_registry.h"
#include "support/temp_home.h"
#include "support/test_registry.h"
#include "wall_room.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// A file on the carpet of a temporary home, and its card with the closes counted.
struct CarpetCard {
    explicit CarpetCard(const QString& name, const QByteArray& content)
        : path(home.writeFile(u"Documents/RidezozEvar/Karpet/"_s + name, content))
    {
    }
    TempHome home;
    QString path;
    StorageManager storage{home.path()};
    int closed = 0;
    CarpetItemQuickView card{QUrl::fromLocalFile(path), [this] { ++closed; }, storage};
};
} // namespace

class CardsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void carpetCardReadsTheFileAfreshOnEveryChange()
    {
        CarpetCard c(u"nota.txt"_s, "12345");
        QVERIFY(c.card.infoText().startsWith(u"Ukuran: 5 byte • Diubah: "_s));
        QVERIFY(!c.card.infoText().endsWith(u"-"_s));
        // Deleted behind the room's back: the next change the storage publishes shows it.
        QFile::remove(c.path);
        c.storage.refreshCarpetItems();
        QCOMPARE(c.card.infoText(), u"Ukuran: - • Diubah: -"_s);
        QCOMPARE(c.closed, 0);
    }

    void carpetCardSizesFollowLinksAndSkipFolders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("size");
        QTest::newRow("file") << u"file"_s << Formats::byteCount(1500);
        QTest::newRow("link to a file") << u"link"_s << Formats::byteCount(1500);
        QTest::newRow("dangling link") << u"dangling"_s << u"-"_s;
        QTest::newRow("folder") << u"folder"_s << u"-"_s;
    }
    void carpetCardSizesFollowLinksAndSkipFolders()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString target = writeFile(dir.filePath(u"target.bin"_s), QByteArray(1500, 'x'));
        const QString item = dir.filePath(u"item"_s);
        if (kind == u"file"_s)
            QFile::copy(target, item);
        else if (kind == u"link"_s)
            QFile::link(target, item);
        else if (kind == u"dangling"_s)
            QFile::link(dir.filePath(u"gone"_s), item);
        else
            QDir().mkpath(item);
        QTEST(CarpetItemQuickView::fileSizeText(QUrl::fromLocalFile(item)), "size");
    }

    // With no Desktop folder the file goes to one made for it, and the card closes.
    void keDesktopMakesTheDesktopFolder()
    {
        CarpetCard c(u"surat.odt"_s, "surat");
        QVERIFY(!QFileInfo::exists(c.home.path() + u"/Desktop"_s));
        c.card.button(u"Ke Desktop"_s)->click();
        QCOMPARE(c.closed, 1);
        QVERIFY(!QFileInfo::exists(c.path));
        QCOMPARE(contentOf(c.home.path() + u"/Desktop/surat.odt"_s), QByteArray("surat"));
    }

    // Each plaque opens its own card in the card frame; a case that is no plaque gets none.
    void plaqueCasesOpenTheirCards()
    {
        RoomPieces pieces;
        WallCards::furnish(pieces);
        const auto& make = pieces.cards.at(ActiveDesktopQuickView::TolvanePlaque);
        std::unique_ptr<RoomItem> card(make(ActiveDesktopQuickView::tolvanePlaque(), [] {}));
        auto* frame = qobject_cast<DesktopQuickViewCard*>(card.get());
        QVERIFY(frame);
        QCOMPARE(frame->title(), u"Plakat Tolvane Studio"_s);
        QVERIFY(!make(ActiveDesktopQuickView::trash(), [] {}));
    }

    // The plaque test opens a logo that exists; without one both buttons only close.
    void plaqueCardButtonsOnlyCloseWithoutALogo()
    {
        FakeAppRegistry apps;
        QVERIFY(apps.waitUntilSeen());
        QTemporaryDir none;
        AssetLoader assets({{}, {none.path()}});
        CurrentFolder folder;
        Q_UNUSED(folder);
        int closed = 0;
        AwardPlaqueQuickView card(
            u"Plakat Quennet"_s, u"Plakat Penghargaan Resmi Quennet"_s, u"plaque_quennet"_s,
            u"quennet logoo.svg"_s, [&] { ++closed; }, assets);
        QVERIFY(!card.showsPicture());
        card.openButton()->click();
        card.revealButton()->click();
        QCOMPARE(closed, 2);
        QVERIFY(apps.nothingLaunched());
    }
};

PONDSILL_TEST(CardsTest)

#include "cards_test.moc"
