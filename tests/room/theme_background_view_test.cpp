#include "room/asset_loader.h"
#include "room/theme_background_view.h"
#include "state/tolvane_colors.h"
#include "support/test_registry.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

class ThemeBackgroundViewTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The background of a 100 x 300 room: the drawn wall without an image, else the image
    // scaled to fill it.
    void drawsTheImageOrTheFallback()
    {
        QTemporaryDir dir;
        const auto render = [&dir] {
            AssetLoader assets({{}, {dir.path()}});
            ThemeBackgroundView view(RoomTheme::library(), assets);
            view.setSize(QSizeF(100, 300));
            QImage canvas(100, 300, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::white);
            QPainter p(&canvas);
            view.paint(&p, nullptr, nullptr);
            return canvas;
        };
        QImage canvas = render();
        // The leftmost stripe (x -22 to 14) is dark, the next one (14 to 50) is the wall's blue.
        const QColor blue = TOLVANEColors::electricBlue();
        QVERIFY(qBlue(canvas.pixel(5, 20)) < blue.blue() - 40);
        QCOMPARE(canvas.pixelColor(30, 20), blue);
        QCOMPARE(qRed(canvas.pixel(50, 290)), 181); // the boards at the bottom

        QImage image(40, 10, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(dir.path() + QStringLiteral("/background.png")));
        canvas = render();
        // Wider than the room once it fills the height: every corner is covered.
        for (QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 299), QPoint(99, 299)})
            QCOMPARE(canvas.pixelColor(corner), QColor(Qt::green));
    }
};

PONDSILL_TEST(ThemeBackgroundViewTest)
#include "theme_background_view_test.moc"
