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
} // namespace

class CardsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // "Ke Desktop" moves the file into a Desktop folder made for it and closes the card; the card
    // reads the file afresh on every change the storage publishes.
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

    void carpetCardSizesFollowLinksAndSkipFolders()
    {
        QTemporaryDir dir;
        const QString target = writeFile(dir.filePath(u"target.bin"_s), QByteArray(1500, 'x'));
        QFile::link(target, dir.filePath(u"link"_s));
        QFile::link(dir.filePath(u"gone"_s), dir.filePath(u"dangling"_s));
        QStringList sizes;
        for (const QString& name : {u"target.bin"_s, u"link"_s, u"dangling"_s, u"."_s})
            sizes << CarpetItemQuickView::fileSizeText(QUrl::fromLocalFile(dir.filePath(name)));
        const QString size = Formats::byteCount(1500);
        QCOMPARE(sizes, (QStringList{size, size, u"-"_s, u"-"_s}));
    }

    // Each plaque opens its own card in the card frame, a case that is no plaque none; without a
    // logo both buttons of the card only close.
    void plaqueCards()
    {
        RoomPieces pieces;
        WallCards::furnish(pieces);
        const auto& make = pieces.cards.at(ActiveDesktopQuickView::TolvanePlaque);
        std::unique_ptr<RoomItem> card(make(ActiveDesktopQuickView::tolvanePlaque(), [] {}));
        auto* frame = qobject_cast<DesktopQuickViewCard*>(card.get());
        QVERIFY(frame);
        QCOMPARE(frame->title(), u"Plakat Tolvane Studio"_s);
        QVERIFY(!make(ActiveDesktopQuickView::trash(), [] {}));
        FakeAppRegistry apps;
        QVERIFY(apps.waitUntilSeen());
        QTemporaryDir none;
        AssetLoader assets({{}, {none.path()}});
        CurrentFolder folder;
        Q_UNUSED(folder);
        int closed = 0;
        AwardPlaqueQuickView plaque(
            u"Plakat Quennet"_s, u"Plakat Penghargaan Resmi Quennet"_s, u"plaque_quennet"_s,
            u"quennet logoo.svg"_s, [&] { ++closed; }, assets);
        QVERIFY(!plaque.showsPicture());
        plaque.openButton()->click();
        plaque.revealButton()->click();
        QCOMPARE(closed, 2);
        QVERIFY(apps.nothingLaunched());
    }
    // Showing a value is not choosing it: nothing is written until a control is used, then each use
    // is written at once, a zoom step as its exact scale. The actions do their work, then close; a
    // photo that cannot be decoded still gets a card, which only offers another.
    void photoCard()
    {
        WallRoom room;
        room.framePhoto(1);
        int closed = 0;
        const auto cardOf = [&](int slot) {
            return std::make_unique<PhotoFrameQuickView>(
                slot, [&closed] { ++closed; }, room.storage());
        };
        const auto stored = [&room] { return room.storedTransforms().value(1); };
        const QString file = room.storagePath(u"photo_transforms.json"_s);
        room.storage().setPhotoTransform(1, 1.0, 270, 0, 0);
        QFile::remove(file);
        auto card = cardOf(1);
        QVERIFY(card->showsPhoto());
        QCOMPARE(card->rotationSlider()->value(), 36);
        QVERIFY(!QFile::exists(file));
        card->button(u"+90°"_s)->click(); // a quarter turn stays within a turn
        QCOMPARE(stored(), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(PhotoFrameQuickView::quarterTurn(-95), -5.0);
        QCOMPARE(PhotoFrameQuickView::quarterTurn(1e20), std::fmod(std::trunc(1e20 + 90), 360.0));
        QVERIFY(std::isnan(PhotoFrameQuickView::quarterTurn(std::nan(""))));
        for (int press = 1; press <= 3; ++press) {
            card->button(u"▶"_s)->click();
            QCOMPARE(stored(), (QList<double>{1, 0, 8.0 * press, 0}));
        }
        card->button(u"▲"_s)->click();
        QCOMPARE(stored(), (QList<double>{1, 0, 24, -8}));
        card->zoomSlider()->setValue(37);
        QCOMPARE(stored(), (QList<double>{2.35, 0, 24, -8}));
        QFile::remove(file);
        card->button(u"Reset"_s)->click();
        card->button(u"Reset"_s)->click();
        QCOMPARE(stored(), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(closed, 0);

        card->button(u"Ganti"_s)->click(); // dismissed without a choice: the photo stays
        QCOMPARE(closed, 1);
        QVERIFY(room.storage().photoSlots().contains(1));
        card->button(u"Ke Lantai"_s)->click();
        QCOMPARE(closed, 2);
        QVERIFY(!room.storage().photoSlots().contains(1));
        QVERIFY(QFile::exists(room.carpetPath(u"frame_1.png"_s)));
        // The card turns to its empty face once the photo has gone.
        QVERIFY(!card->showsPhoto());
        QVERIFY(card->button(u"Pilih Foto..."_s));

        writeFile(room.albumPath(u"frame_5.jpg"_s), "not a photo");
        room.storage().loadPhotoSlots();
        QTRY_VERIFY(!room.storage().isDecodingThumbnails());
        auto broken = cardOf(5);
        QVERIFY(!broken->showsPhoto());
        QVERIFY(!broken->zoomSlider());
        broken->button(u"Pilih Foto..."_s)->click();
        QCOMPARE(room.prompts.panels.size(), 2);
        QCOMPARE(closed, 3);
    }
};

PONDSILL_TEST(CardsTest)

#include "cards_test.moc"
