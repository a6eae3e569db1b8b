#include "cards/award_plaque_quick_view.h"
#include "cards/carpet_item_quick_view.h"
#include "cards/photo_frame_quick_view.h"
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
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

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
// A room with a photo in frame 1, and the card of a frame with its closes counted.
struct CardRoom {
    CardRoom() { room.framePhoto(1); }
    std::unique_ptr<PhotoFrameQuickView> card(int slot)
    {
        return std::make_unique<PhotoFrameQuickView>(
            slot, [this] { ++closed; }, room.storage());
    }
    QList<double> stored() const { return room.storedTransforms().value(1); }
    QString transformsFile() const { return room.storagePath(u"photo_transforms.json"_s); }

    WallRoom room;
    int closed = 0;
};
} // namespace

class CardsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // "Ke Desktop" moves the file into a Desktop folder made for it and closes the card; the
    // card reads the file afresh on every change the storage publishes.
    void carpetCardMovesToTheDesktopAndReadsAfresh()
    {
        CarpetCard c(u"surat.odt"_s, "12345");
        QVERIFY(c.card.infoText().startsWith(u"Ukuran: 5 byte • Diubah: "_s));
        QVERIFY(!c.card.infoText().endsWith(u"-"_s));
        QVERIFY(!QFileInfo::exists(c.home.path() + u"/Desktop"_s));
        c.card.button(u"Ke Desktop"_s)->click();
        QCOMPARE(c.closed, 1);
        QVERIFY(!QFileInfo::exists(c.path));
        QCOMPARE(contentOf(c.home.path() + u"/Desktop/surat.odt"_s), QByteArray("12345"));
        c.storage.refreshCarpetItems();
        QCOMPARE(c.card.infoText(), u"Ukuran: - • Diubah: -"_s);
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
    // Showing a value is not choosing it: nothing is written until a control is used, then
    // each use is written at once, a zoom step as its exact scale.
    void controlsWriteOnlyWhenUsed()
    {
        CardRoom c;
        c.room.storage().setPhotoTransform(1, 1.0, 270, 0, 0);
        QFile::remove(c.transformsFile());
        auto card = c.card(1);
        QVERIFY(card->showsPhoto());
        QCOMPARE(card->rotationSlider()->value(), 36);
        QVERIFY(!QFile::exists(c.transformsFile()));
        card->button(u"+90°"_s)->click(); // a quarter turn stays within a turn
        QCOMPARE(c.stored(), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(PhotoFrameQuickView::quarterTurn(-95), -5.0);
        QCOMPARE(PhotoFrameQuickView::quarterTurn(1e20), std::fmod(std::trunc(1e20 + 90), 360.0));
        QVERIFY(std::isnan(PhotoFrameQuickView::quarterTurn(std::nan(""))));
        for (int press = 1; press <= 3; ++press) {
            card->button(u"▶"_s)->click();
            QCOMPARE(c.stored(), (QList<double>{1, 0, 8.0 * press, 0}));
        }
        card->button(u"▲"_s)->click();
        QCOMPARE(c.stored(), (QList<double>{1, 0, 24, -8}));
        card->zoomSlider()->setValue(37);
        QCOMPARE(c.stored(), (QList<double>{2.35, 0, 24, -8}));
        QFile::remove(c.transformsFile());
        card->button(u"Reset"_s)->click();
        card->button(u"Reset"_s)->click();
        QCOMPARE(c.stored(), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(c.closed, 0);
    }

    // A photo that cannot be decoded still gets a card, which only offers another photo.
    void aFrameWithoutThumbnailOnlyOffersAPhoto()
    {
        CardRoom c;
        writeFile(c.room.albumPath(u"frame_5.jpg"_s), "not a photo");
        c.room.storage().loadPhotoSlots();
        QTRY_VERIFY(!c.room.storage().isDecodingThumbnails());
        auto card = c.card(5);
        QVERIFY(!card->showsPhoto());
        QVERIFY(!card->zoomSlider());
        c.room.prompts.chosen = {};
        card->button(u"Pilih Foto..."_s)->click();
        QCOMPARE(c.room.prompts.panels.size(), 1);
        QCOMPARE(c.closed, 1);
    }

    void actionsDoTheirWorkThenClose()
    {
        CardRoom c;
        auto card = c.card(1);
        // "Ganti" dismissed without a choice keeps the photo.
        card->button(u"Ganti"_s)->click();
        QCOMPARE(c.closed, 1);
        QVERIFY(c.room.storage().photoSlots().contains(1));
        card->button(u"Ke Lantai"_s)->click();
        QCOMPARE(c.closed, 2);
        QVERIFY(!c.room.storage().photoSlots().contains(1));
        QVERIFY(QFile::exists(c.room.carpetPath(u"frame_1.png"_s)));
        // The card turns to its empty face once the photo has gone.
        QVERIFY(!card->showsPhoto());
        QVERIFY(card->button(u"Pilih Foto..."_s));
    }
};

PONDSILL_TEST(CardsTest)

#include "cards_test.moc"
