#include "kit/symbols.h"
#include "support/test_registry.h"

#include <QTest>

namespace {
int coloured(const QImage& image, QRgb rgb)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) > 200 && qRed(p) == qRed(rgb) && qGreen(p) == qGreen(rgb) &&
                qBlue(p) == qBlue(rgb))
                ++n;
        }
    return n;
}
} // namespace

class SymbolsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyRoomGlyphDrawsInItsColour_data()
    {
        QTest::addColumn<QString>("name");
        // A few of the room's glyphs, and one the kit does not know.
        for (const char* name :
             {"trash.fill", "xmark", "folder.fill", "flame.fill", "pause.fill", "no.such.glyph"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void everyRoomGlyphDrawsInItsColour()
    {
        QFETCH(QString, name);
        const QColor blue(0x12, 0x0C, 0xD6);
        const QImage image = Symbols::image(name, 32, blue);
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY2(coloured(image, blue.rgb()) > 10, qPrintable(name));
    }

    void discGlyphIsCutOut()
    {
        // The close button's glyph shows what lies below the disc.
        const QImage disc = Symbols::image(QStringLiteral("xmark.circle.fill"), 40, Qt::red);
        QCOMPARE(qAlpha(disc.pixel(20, 20)), 0);
        QCOMPARE(qAlpha(disc.pixel(20, 4)), 255);
        QCOMPARE(qAlpha(disc.pixel(1, 1)), 0);
    }
};

PONDSILL_TEST(SymbolsTest)
#include "symbols_test.moc"
