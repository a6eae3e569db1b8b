#include "room/asset_loader.h"
#include "room/theme_background_view.h"
#include "room/theme_picker_view.h"
#include "state/tolvane_colors.h"
#include "support/test_registry.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

// The room's images: where they are found, how they are cached, how the background and the
// theme picker use them.
class RoomImagesTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    AssetLoader::Locations locations() const
    {
        return {{m_dir.path() + u"/missing"_s, m_dir.path() + u"/bundle"_s},
                {m_dir.path() + u"/data"_s}};
    }
    // Writes a one-colour image of `size` to `path` (relative to the temporary folder).
    void writeImage(const QString& path, QColor color, QSize size = QSize(4, 4))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        QVERIFY(image.save(m_dir.filePath(path), "PNG"));
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        for (const char* sub : {"/bundle", "/data"})
            QDir().mkpath(m_dir.path() + QLatin1StringView(sub));
    }

    // A name found is kept under the name asked for; a name not found is searched for again.
    void hitsAreCachedAsAskedAndMissesNever()
    {
        const QString bg = u"background"_s;
        writeImage(u"data/background.png"_s, Qt::red);
        AssetLoader loader(locations());
        QVERIFY(loader.image(bg) && loader.image(u"background.png"_s));
        QFile::remove(m_dir.filePath(u"data/background.png"_s));
        QVERIFY(loader.image(bg)); // not read again: the file is gone
        QCOMPARE(loader.searchCount(), 2);
        loader.clearCache();
        QVERIFY(!loader.image(bg));
        writeImage(u"data/background.jpg"_s, Qt::green);
        QVERIFY(loader.image(bg));
        QCOMPARE(loader.searchCount(), 4);
    }

    // Which of two files a name finds (red the first, blue the second), if any: a name never
    // reaches out of the image folders.
    void searchOrder_data()
    {
        QTest::addColumn<QString>("first"); // relative to the temporary folder
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("found");
        const QColor red(Qt::red), blue(Qt::blue), none;
        QTest::newRow("bundle before the data folder") << "bundle/background.png"
                                                       << "data/background.png"
                                                       << "background" << red;
        QTest::newRow("png before jpg") << "data/background.png"
                                        << "data/background.jpg"
                                        << "background.jpeg" << red;
        QTest::newRow("bundle file by its own name first") << "bundle/plaque_quennet"
                                                           << "bundle/plaque_quennet.png"
                                                           << "plaque_quennet" << red;
        QTest::newRow("a picture named by another format") << "data/background.jpg"
                                                           << "data/other.png"
                                                           << "background" << red;
        QTest::newRow("an unreadable file is skipped") << "bundle/background.png!"
                                                       << "data/background.png"
                                                       << "background" << blue;
        for (const char* name : {"../secret", "../secret.png", "ABSOLUTE/secret"})
            QTest::newRow(name) << "secret.png"
                                << "x.png" << name << none;
    }
    void searchOrder()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, name);
        QFETCH(QColor, found);
        if (first.endsWith(u'!')) {
            QFile bad(m_dir.filePath(first.chopped(1)));
            QVERIFY(bad.open(QIODevice::WriteOnly));
            bad.write("not an image");
        } else {
            writeImage(first, Qt::red);
        }
        writeImage(second, Qt::blue);
        const auto image =
            AssetLoader(locations()).image(name.replace(u"ABSOLUTE"_s, m_dir.path()));
        QCOMPARE(image ? image->pixelColor(0, 0) : QColor(), found);
    }

    // 1400 x 1000 x 4 is 5.6 MB: three of them pass the cache's 16 MiB.
    void theCacheKeepsToItsCost()
    {
        AssetLoader loader(locations());
        for (int i = 0; i < 3; ++i) {
            writeImage(u"data/img%1.png"_s.arg(i), Qt::red, QSize(1400, 1000));
            QVERIFY(loader.image(u"img%1"_s.arg(i)));
        }
        QCOMPARE(loader.cachedCount(), 2);
        QVERIFY(loader.cachedCost() <= AssetLoader::costLimit);
        QVERIFY(!loader.isCached(u"img0"_s) && loader.isCached(u"img2"_s));
    }

    // The background of a 100 x 300 room: the drawn wall without an image, else the image
    // scaled to fill it.
    void theBackgroundDrawsTheImageOrTheWall()
    {
        const auto render = [this] {
            AssetLoader assets(locations());
            ThemeBackgroundView view(RoomTheme::library(), assets);
            view.setSize(QSizeF(100, 300));
            QImage canvas(100, 300, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::white);
            QPainter p(&canvas);
            view.paint(&p, nullptr, nullptr);
            return canvas;
        };
        QCOMPARE(render().pixelColor(30, 20), TOLVANEColors::electricBlue()); // the wall
        writeImage(u"data/background.png"_s, Qt::green, QSize(40, 10));
        const QImage canvas = render();
        // Wider than the room once it fills the height: every corner is covered.
        for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 299), QPoint(99, 299)})
            QCOMPARE(canvas.pixelColor(corner), QColor(Qt::green));
    }

    // Painted for a view, the background is kept as an opaque picture and copied: it shows
    // what it shows drawn straight, and a new size draws it anew, not stretched or stale.
    // A picture of the window's own size is kept as it was decoded, not drawn again.
    void theBackgroundKeptForAViewShowsWhatItDraws_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::newRow("drawn wall") << QSize();
        QTest::newRow("picture") << QSize(40, 25);
        QTest::newRow("picture the window's size") << QSize(160, 300);
        QTest::newRow("picture a pixel narrower") << QSize(159, 300);
    }
    void theBackgroundKeptForAViewShowsWhatItDraws()
    {
        QFETCH(QSize, picture);
        if (picture.isValid()) {
            // Rows of two colours, so a picture laid a pixel off shows.
            QImage image(picture, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixelColor(x, y, (x + y) % 3 ? Qt::darkCyan : Qt::yellow);
            QVERIFY(image.save(m_dir.filePath(u"data/background.png"_s)));
        }
        AssetLoader assets(locations());
        ThemeBackgroundView view(RoomTheme::library(), assets);
        QWidget viewport;
        const auto paint = [&](QSize size, QWidget* widget) {
            QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::white);
            QPainter p(&canvas);
            p.setRenderHint(QPainter::Antialiasing);
            view.paint(&p, nullptr, widget);
            return canvas;
        };
        for (const QSize size : {QSize(160, 300), QSize(230, 140)}) {
            view.setSize(size);
            const QImage kept = paint(size, &viewport);
            QCOMPARE(kept, paint(size, nullptr));
            QCOMPARE(paint(size, &viewport), kept);
        }
    }

    // A window with more pixels than the picture takes its "@2x" twin where one lies beside
    // it; a window the picture covers, or a missing twin, keeps the picture itself.
    void theSharperTwinServesLargerWindows_data()
    {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<bool>("twin");
        QTest::addColumn<QColor>("seen");
        const QColor red(Qt::red), green(Qt::green);
        QTest::newRow("as large as the picture") << QSize(40, 25) << true << red;
        QTest::newRow("smaller than the picture") << QSize(20, 12) << true << red;
        QTest::newRow("twice the picture") << QSize(80, 50) << true << green;
        QTest::newRow("twice, no twin") << QSize(80, 50) << false << red;
    }
    void theSharperTwinServesLargerWindows()
    {
        QFETCH(QSize, room);
        QFETCH(bool, twin);
        QFETCH(QColor, seen);
        writeImage(u"data/background.png"_s, Qt::red, QSize(40, 25));
        if (twin)
            writeImage(u"data/background@2x.png"_s, Qt::green, QSize(80, 50));
        AssetLoader assets(locations());
        ThemeBackgroundView view(RoomTheme::library(), assets);
        view.setSize(room);
        QImage canvas(room, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&canvas);
        view.paint(&p, nullptr, nullptr);
        QCOMPARE(canvas.pixelColor(room.width() / 2, room.height() / 2), seen);
    }

    // The one card sets its theme, as often as it is chosen, and leaves the picker open; the
    // close symbol and "Selesai" only close it.
    void onlyThePickersCardSetsTheTheme_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("writes");
        QTest::newRow("the card twice") << "card" << 2;
        QTest::newRow("close symbol") << "close" << 0;
        QTest::newRow("Selesai") << "done" << 0;
    }
    void onlyThePickersCardSetsTheTheme()
    {
        QFETCH(QString, button);
        QFETCH(int, writes);
        AssetLoader assets(locations());
        bool presented = true;
        int themeWrites = 0;
        ThemePickerView picker({[] { return RoomTheme::library(); },
                                [&](RoomTheme t) { themeWrites += t == RoomTheme::library(); },
                                [&](bool on) { presented = on; }},
                               assets);
        QCOMPARE(picker.cards().size(), 1);
        ThemeCardView* card = picker.cards().first();
        QVERIFY(card->isSelected());
        QVERIFY(picker.rect().contains(card->mapRectToParent(card->rect())));
        for (int i = 0; i < writes; ++i)
            card->click();
        if (button != u"card")
            (button == u"done" ? picker.doneButton() : picker.closeButton())->click();
        QCOMPARE(themeWrites, writes);
        QCOMPARE(presented, writes > 0);
        QVERIFY(card->isSelected());
    }
};

PONDSILL_TEST(RoomImagesTest)
#include "room_images_test.moc"
