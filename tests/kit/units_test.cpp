#include "kit/units.h"
#include "support/test_registry.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>

namespace {
const QString kLabel = QStringLiteral("Laporan Keuangan 2024.pdf");

// How wide and tall the ink of a label drawn at a design size is.
QSize inkSize(qreal designPoints, bool atBaseline = false)
{
    QImage image(400, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const DesignFont font = DesignFont::system(designPoints);
    if (atBaseline)
        font.drawText(painter, QPointF(4, 10 + font.ascent()), kLabel);
    else
        font.drawText(painter, image.rect(), Qt::AlignCenter, kLabel);
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.size();
}
} // namespace

class UnitsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Fractional sizes are kept: a 9.5-point label is measured and drawn smaller than a
    // 10-point one and larger than a 9-point one.
    void fractionalSizesKept_data()
    {
        QTest::addColumn<qreal>("size");
        QTest::newRow("9.5") << 9.5;
        QTest::newRow("12.25") << 12.25;
    }
    void fractionalSizesKept()
    {
        QFETCH(qreal, size);
        const qreal below = std::floor(size);
        const qreal above = std::ceil(size);
        const auto advance = [](qreal points) {
            return DesignFont::system(points).horizontalAdvance(kLabel);
        };
        QVERIFY(advance(size) > advance(below));
        QVERIFY(advance(size) < advance(above));
        QVERIFY(inkSize(size).width() > inkSize(below).width());
        QVERIFY(inkSize(size).width() < inkSize(above).width());
        // What is measured is what is drawn, in a box or from a baseline.
        QVERIFY(std::abs(inkSize(size).width() - advance(size)) < 3);
        QVERIFY(std::abs(inkSize(size, true).width() - advance(size)) < 3);
        QVERIFY(std::abs(inkSize(size, true).height() - inkSize(size).height()) <= 1);
    }

    // A design point is a device-independent pixel: a 12-point face is 12 pixels tall.
    void designPointIsAPixel()
    {
        QCOMPARE(QFontInfo(Units::systemFont(12)).pixelSize(), 12);
        QCOMPARE(QFontInfo(Units::systemFont(20, QFont::Bold)).pixelSize(), 20);
        QCOMPARE(DesignFont::system(12).scale(), 1.0);
    }
};

PONDSILL_TEST(UnitsTest)
#include "units_test.moc"
