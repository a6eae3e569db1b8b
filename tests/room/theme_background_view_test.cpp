#include "room/asset_loader.h"
#include "room/theme_background_view.h"
#include "state/tolvane_colors.h"
#include "support/test_registry.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

class ThemeBackgroundViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fallbackCounts_data()
    {
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<int>("stripes");
        QTest::addColumn<int>("panels");
        QTest::addColumn<int>("seams");
        QTest::newRow("1440 x 900") << QSizeF(1440, 900) << 42 << 10 << 10;
        QTest::newRow("100 x 300") << QSizeF(100, 300) << 4 << 1 << 4;
        QTest::newRow("empty") << QSizeF(0, 0) << 2 << 1 << 1;
    }
    void fallbackCounts()
    {
        QFETCH(QSizeF, size);
        QFETCH(int, stripes);
        QFETCH(int, panels);
        QFETCH(int, seams);
        const auto room = ThemeBackgroundView::fallbackRoom(size);
        QCOMPARE(room.stripes.size(), stripes);
        QCOMPARE(room.panels.size(), panels);
        QCOMPARE(room.seams.size(), seams);
    }

    void fallbackBands()
    {
        const QSizeF size(1440, 900);
        const auto room = ThemeBackgroundView::fallbackRoom(size);
        // The stripes overhang both edges by the same amount.
        const qreal left = -room.stripes.first().left();
        const qreal right = room.stripes.last().right() - size.width();
        QVERIFY(left > 0);
        QCOMPARE(left, right);
        // The wall sits on the floor, the rail on the wainscot, the wainscot on the floor.
        QCOMPARE(room.floor.top(), 0.72 * 900);
        QCOMPARE(room.floor.bottom(), 900.0);
        QCOMPARE(room.rail.bottom(), room.wainscot.top());
        QCOMPARE(room.wainscot.bottom(), room.floor.top());
        QCOMPARE(room.wainscot.height(), 0.2592 * 900);
        // Panels share the row between margins of 20, 24 apart.
        QCOMPARE(room.panels.first().left(), 20.0);
        QVERIFY(std::abs(room.panels.last().right() - 1420) < 1e-9);
    }

    void drawsTheFallbackWithoutAnImage()
    {
        QTemporaryDir empty;
        AssetLoader assets({{}, {empty.path()}});
        ThemeBackgroundView view(RoomTheme::library(), assets);
        view.setSize(QSizeF(100, 300));
        QImage canvas(100, 300, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        view.paint(&p, nullptr, nullptr);
        p.end();
        // The leftmost stripe (x -22 to 14) is dark, the next one (14 to 50) is the wall's blue.
        const QColor blue = TOLVANEColors::electricBlue();
        QVERIFY(qBlue(canvas.pixel(5, 20)) < blue.blue() - 40);
        QCOMPARE(canvas.pixelColor(30, 20), blue);
        // The boards at the bottom.
        QCOMPARE(qRed(canvas.pixel(50, 290)), 181);
    }

    void drawsTheImageScaledToFill()
    {
        QTemporaryDir dir;
        QImage image(40, 10, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(dir.path() + QStringLiteral("/background.png")));
        AssetLoader assets({{}, {dir.path()}});
        ThemeBackgroundView view(RoomTheme::library(), assets);
        view.setSize(QSizeF(100, 300));
        QImage canvas(100, 300, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        view.paint(&p, nullptr, nullptr);
        p.end();
        // Wider than the room once it fills the height: every corner is covered.
        for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 299), QPoint(99, 299)})
            QCOMPARE(canvas.pixelColor(corner), QColor(Qt::green));
    }
};

PONDSILL_TEST(ThemeBackgroundViewTest)
#include "theme_background_view_test.moc"
