#include "kit/picture_pixels.h"
#include "support/test_registry.h"

#include <QPainter>
#include <QTest>
#include <QtEndian>

#include <cstring>

namespace {
QImage drawn(QSize size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(210, 90, 30, 170));
        p.setPen(QPen(QColor(20, 60, 200), 1.5));
        p.drawEllipse(QRectF(0.5, 0.5, size.width() - 1.5, size.height() - 1.2));
    }
    return image.convertToFormat(format);
}

// `data` with the header's field `index` (0 width, 1 height, 2 row bytes, 3 format) set.
QByteArray withField(QByteArray data, int index, quint32 value)
{
    qToLittleEndian(value, reinterpret_cast<uchar*>(data.data()) + 4 + 4 * index);
    return data;
}
} // namespace

// The room's own pictures are compiled in as their pixels and read where they lie: what is
// kept must come back as it was, and a damaged header must never make a picture that
// reaches past its data.
class PicturePixelsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keptPicturesComeBackAsTheyWere_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("opaque, as a JPEG decodes") << QSize(37, 21) << QImage::Format_RGB32;
        QTest::newRow("straight alpha, as a PNG decodes") << QSize(16, 9) << QImage::Format_ARGB32;
        QTest::newRow("premultiplied") << QSize(5, 40) << QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("coverage, rows padded") << QSize(3, 7) << QImage::Format_Alpha8;
        QTest::newRow("grey, one pixel") << QSize(1, 1) << QImage::Format_Grayscale8;
    }
    void keptPicturesComeBackAsTheyWere()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        const QImage image = drawn(size, format);
        const QByteArray data = PicturePixels::encode(image);
        const QImage kept = PicturePixels::view(data);
        QCOMPARE(kept.format(), format);
        QCOMPARE(kept.size(), size);
        QCOMPARE(kept, image);
        // Read where it lies (a byte array's data is aligned), not copied.
        QCOMPARE(static_cast<const void*>(kept.constBits()),
                 static_cast<const void*>(data.constData() + PicturePixels::headerSize));

        // Lying one byte off, its rows cannot be an image's: the same pixels, copied.
        QByteArray shifted(data.size() + 1, '\0');
        std::memcpy(shifted.data() + 1, data.constData(), size_t(data.size()));
        const QImage copied = PicturePixels::view(QByteArrayView(shifted).sliced(1));
        QCOMPARE(copied, image);
        QVERIFY(copied.constBits() != reinterpret_cast<const uchar*>(shifted.constData()) + 1 +
                                          PicturePixels::headerSize);
    }

    void damagedPicturesAreRefused_data()
    {
        const QByteArray good = PicturePixels::encode(drawn(QSize(6, 4), QImage::Format_RGB32));
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("half a header") << good.left(PicturePixels::headerSize / 2);
        QTest::newRow("a header alone") << good.left(PicturePixels::headerSize);
        QTest::newRow("another magic") << QByteArray(good).replace(0, 4, "PNG.");
        QTest::newRow("no width") << withField(good, 0, 0);
        QTest::newRow("no height") << withField(good, 1, 0);
        QTest::newRow("wider than any screen") << withField(good, 0, 0x10000000);
        QTest::newRow("taller than the data") << withField(good, 1, 5);
        QTest::newRow("rows too short for the width") << withField(good, 2, 20);
        QTest::newRow("rows not on word boundaries") << withField(good, 2, 26);
        QTest::newRow("a format it does not keep") << withField(good, 3, QImage::Format_Mono);
        QTest::newRow("a format that does not exist") << withField(good, 3, 0xffffffff);
        QTest::newRow("cut short by a byte") << good.chopped(1);
    }
    void damagedPicturesAreRefused()
    {
        QFETCH(QByteArray, data);
        QVERIFY(PicturePixels::view(data).isNull());
    }
};

PONDSILL_TEST(PicturePixelsTest)
#include "picture_pixels_test.moc"
