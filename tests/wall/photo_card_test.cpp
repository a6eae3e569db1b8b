#include "cards/photo_frame_quick_view.h"
#include "kit/button_item.h"
#include "storage/storage_manager.h"
#include "support/temp_home.h"
#include "support/test_registry.h"
#include "wall_room.h"

#include <QFile>
#include <QSlider>
#include <QTest>

#include <cmath>
#include <limits>

namespace {
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

class PhotoCardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void quarterTurnKeepsWithinATurn_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("270") << 270.0 << 0.0;
        QTest::newRow("-95") << -95.0 << -5.0;
        QTest::newRow("far beyond any integer") << 1e20 << std::fmod(std::trunc(1e20 + 90), 360.0);
    }
    void quarterTurnKeepsWithinATurn()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QCOMPARE(PhotoFrameQuickView::quarterTurn(from), to);
        QVERIFY(std::isnan(PhotoFrameQuickView::quarterTurn(std::nan(""))));
        QVERIFY(
            std::isinf(PhotoFrameQuickView::quarterTurn(std::numeric_limits<double>::infinity())));
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
        card->button(u"+90°"_s)->click();
        QCOMPARE(c.stored(), (QList<double>{1, 0, 0, 0}));
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

PONDSILL_TEST(PhotoCardTest)

#include "photo_card_test.moc"
