#include "cards/photo_frame_quick_view.h"
#include "kit/button_item.h"
#include "storage/storage_manager.h"
#include "support/fake_prompts.h"
#include "support/temp_home.h"
#include "support/test_registry.h"
#include "wall_room.h"

#include <QFile>
#include <QImage>
#include <QSlider>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {
// A home whose album holds a real photo in slot 1, and a card for a slot.
class CardHome {
public:
    CardHome()
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString album = home.path() + u"/Documents/RidezozEvar/Album"_s;
        writeFile(album + u"/frame_1.png"_s, {});
        image.save(album + u"/frame_1.png"_s);
        storage = std::make_unique<StorageManager>(home.path());
        storage->setUserPrompts(&prompts);
        waitForThumbnails();
    }
    // Thumbnails are decoded on a worker thread.
    void waitForThumbnails()
    {
        if (!QTest::qWaitFor([this] { return !storage->isDecodingThumbnails(); }))
            qWarning("the thumbnails did not arrive");
    }
    ~CardHome() { storage->setUserPrompts(nullptr); }

    std::unique_ptr<PhotoFrameQuickView> card(int slot)
    {
        return std::make_unique<PhotoFrameQuickView>(
            slot, [this] { ++closed; }, *storage);
    }
    QString transformsFile() const
    {
        return home.path() + u"/Documents/RidezozEvar/photo_transforms.json"_s;
    }
    QList<double> stored(int slot) const { return readTransforms(transformsFile()).value(slot); }

    TempHome home;
    FakePrompts prompts;
    std::unique_ptr<StorageManager> storage;
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
        QTest::newRow("0") << 0.0 << 90.0;
        QTest::newRow("180, past the slider's end") << 180.0 << 270.0;
        QTest::newRow("270") << 270.0 << 0.0;
        QTest::newRow("-95") << -95.0 << -5.0;
        QTest::newRow("92.5 drops its fraction") << 92.5 << 182.0;
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

    // Showing a value is not choosing it: nothing is written until a control is used.
    void aStoredAngleBeyondTheSliderIsShownNotRewritten()
    {
        CardHome h;
        h.storage->setPhotoTransform(1, 1.0, 270, 0, 0);
        QFile::remove(h.transformsFile());
        auto card = h.card(1);
        QVERIFY(card->showsPhoto());
        QCOMPARE(card->rotationSlider()->value(), 36);
        QVERIFY(!QFile::exists(h.transformsFile()));
        QCOMPARE(h.storage->transform(1).rotation, 270.0);
        card->button(u"+90°"_s)->click();
        QCOMPARE(h.stored(1), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(h.closed, 0);
    }

    void zoomStepsAreExact_data()
    {
        QTest::addColumn<int>("step");
        QTest::newRow("least") << 0;
        QTest::newRow("37") << 37;
        QTest::newRow("most") << 50;
    }
    void zoomStepsAreExact()
    {
        QFETCH(int, step);
        CardHome h;
        auto card = h.card(1);
        // From another step, so that the slider reports a change.
        card->zoomSlider()->setValue(step == 0 ? 1 : 0);
        card->zoomSlider()->setValue(step);
        QCOMPARE(h.storage->transform(1).scale, 0.5 + step * 0.05);
        QCOMPARE(h.stored(1).value(0), 0.5 + step * 0.05);
    }

    void nudgesAndResetAreWrittenEachTime()
    {
        CardHome h;
        auto card = h.card(1);
        for (int press = 1; press <= 3; ++press) {
            card->button(u"▶"_s)->click();
            QCOMPARE(h.stored(1), (QList<double>{1, 0, 8.0 * press, 0}));
        }
        card->button(u"▲"_s)->click();
        QCOMPARE(h.stored(1), (QList<double>{1, 0, 24, -8}));
        QFile::remove(h.transformsFile());
        card->button(u"Reset"_s)->click();
        card->button(u"Reset"_s)->click();
        QCOMPARE(h.stored(1), (QList<double>{1, 0, 0, 0}));
        QCOMPARE(h.closed, 0);
    }

    void aFrameWithoutThumbnailOnlyOffersAPhoto()
    {
        CardHome h;
        writeFile(h.home.path() + u"/Documents/RidezozEvar/Album/frame_5.jpg"_s, "not a photo");
        h.storage->loadPhotoSlots();
        h.waitForThumbnails();
        auto card = h.card(5);
        QCOMPARE(PhotoFrameQuickView::title(5), u"Bingkai Foto #6"_s);
        QVERIFY(!card->showsPhoto());
        QVERIFY(!card->zoomSlider());
        QVERIFY(!card->button(u"Preview"_s));
        QVERIFY(card->button(u"Pilih Foto..."_s));
        h.prompts.chosen = {};
        card->button(u"Pilih Foto..."_s)->click();
        QCOMPARE(h.prompts.panels.size(), 1);
        QCOMPARE(h.closed, 1);
    }

    void actionsDoTheirWorkThenClose()
    {
        CardHome h;
        auto card = h.card(1);
        // "Ganti" dismissed without a choice keeps the photo.
        card->button(u"Ganti"_s)->click();
        QCOMPARE(h.closed, 1);
        QVERIFY(h.storage->photoSlots().contains(1));
        card->button(u"Ke Lantai"_s)->click();
        QCOMPARE(h.closed, 2);
        QVERIFY(!h.storage->photoSlots().contains(1));
        QVERIFY(QFile::exists(h.home.path() + u"/Documents/RidezozEvar/Karpet/frame_1.png"_s));
        // The card turns to its empty face once the photo has gone.
        QVERIFY(!card->showsPhoto());
        QVERIFY(card->button(u"Pilih Foto..."_s));
    }
};

PONDSILL_TEST(PhotoCardTest)

#include "photo_card_test.moc"
