#include "kit/cached_shadow_effect.h"
#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/fitted_text.h"
#include "kit/painting.h"
#include "kit/panel_backdrop.h"
#include "kit/perspective.h"
#include "kit/soft_shadow.h"
#include "kit/symbols.h"
#include "kit/transition.h"
#include "kit/units.h"
#include "kit/visual_effect_view.h"
#include "support/test_registry.h"

#include <QFile>
#include <QFontInfo>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {
const QString kLabel = QStringLiteral("Laporan Keuangan 2024.pdf");

void forEachPixel(const QImage& image, const std::function<void(int, int, QRgb)>& visit)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            visit(x, y, image.pixel(x, y));
    }
}

// How wide and tall the ink of the label drawn at a design size is.
QSize labelInk(qreal designPoints, bool atBaseline = false)
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
    forEachPixel(image,
                 [&](int x, int y, QRgb p) { ink |= qAlpha(p) ? QRect(x, y, 1, 1) : QRect(); });
    return ink.size();
}
// A room red on the left and blue on the right of x = 200, with a layer over it that
// holds a 200 x 100 panel coming in from 100 points to the right. The panel holds a
// green square of its own.
struct BackdropRoom {
    QGraphicsScene scene{0, 0, 400, 300};
    QGraphicsRectItem* left = scene.addRect(0, 0, 200, 300, Qt::NoPen, Qt::red);
    QGraphicsRectItem* right = scene.addRect(200, 0, 200, 300, Qt::NoPen, Qt::blue);
    TransitionItem* motion = new TransitionItem(Transition::offsetBy(QPointF(100, 0)));
    RoomItem* panel = new RoomItem(motion);
    PanelBackdrop* backdrop;

    BackdropRoom()
    {
        motion->setZValue(10);
        scene.addItem(motion);
        panel->setPos(100, 100);
        panel->setSize(QSizeF(200, 100));
        (new QGraphicsRectItem(0, 0, 20, 20, panel))->setBrush(Qt::green);
        PanelSurface surface;
        surface.cornerRadius = 0;
        backdrop = new PanelBackdrop(surface, panel);
    }

    QColor pixel(QPointF at)
    {
        QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter painter(&image);
        scene.render(&painter, QRectF(0, 0, 400, 300), QRectF(0, 0, 400, 300));
        return image.pixelColor(at.toPoint());
    }
};

// A rectangle that counts how often it is drawn.
class CountedRect : public QGraphicsRectItem {
public:
    using QGraphicsRectItem::QGraphicsRectItem;
    int paints = 0;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override
    {
        ++paints;
        QGraphicsRectItem::paint(painter, option, widget);
    }
};
} // namespace

// A piece of translucent overlapping shapes, painted straight or through paintFillsWhole,
// noting the thread it was drawn on.
class HelperPiece : public QGraphicsItem {
public:
    explicit HelperPiece(bool throughHelper) : m_throughHelper(throughHelper) {}
    QRectF boundingRect() const override { return QRectF(-5, -5, 170, 130); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const auto draw = [this](QPainter& p) {
            drawnOn = QThread::currentThread();
            // Asked for again from the helper: drawn in place, not waited for forever.
            drawOnPaintingHelper([] {});
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(200, 40, 20, 150));
            p.drawEllipse(QRectF(0, 0, 120, 110));
            p.fillRect(
                QRectF(30, 20, 130, 90),
                Painting::linearGradient(QPointF(30, 20), QPointF(160, 110),
                                         {QColor(20, 90, 230, 170), QColor(255, 255, 255, 40)}));
            p.setPen(QPen(QColor(10, 10, 10, 200), 2.5));
            p.drawText(QPointF(20, 60), QStringLiteral("Tarik Foto"));
        };
        if (m_throughHelper)
            paintFillsWhole(*this, *painter, boundingRect(), draw);
        else
            draw(*painter);
    }
    QThread* drawnOn = nullptr;

private:
    bool m_throughHelper;
};

class DrawingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void continuousCornersStayInsideAndReachEverySide_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<qreal>("radius");
        QTest::newRow("card") << QRectF(10, 20, 260, 240) << 10.0;
        QTest::newRow("radius beyond half the side") << QRectF(0, 0, 40, 20) << 30.0;
        QTest::newRow("exactly half: a capsule") << QRectF(0, 0, 80, 20) << 10.0;
        QTest::newRow("tiny") << QRectF(0, 0, 2, 2) << 6.0;
    }
    void continuousCornersStayInsideAndReachEverySide()
    {
        QFETCH(QRectF, rect);
        QFETCH(qreal, radius);
        const QPainterPath path = Painting::continuousRoundedRect(rect, radius);
        const QRectF bounds = path.boundingRect();
        for (const QPointF& corner :
             {bounds.topLeft() - rect.topLeft(), bounds.bottomRight() - rect.bottomRight()})
            QVERIFY(std::abs(corner.x()) < 1e-3 && std::abs(corner.y()) < 1e-3);
        QVERIFY(path.contains(rect.center()));
        QVERIFY(!path.contains(rect.topLeft() + QPointF(0.2, 0.2)));
        // One closed outline without jumps between the curves and the arcs.
        const QPolygonF outline = path.toFillPolygon();
        for (int i = 1; i < outline.size(); ++i) {
            const QPointF step = outline[i] - outline[i - 1];
            QVERIFY(std::hypot(step.x(), step.y()) <= std::max(rect.width(), rect.height()));
            QVERIFY(std::isfinite(outline[i].x()) && std::isfinite(outline[i].y()));
        }
    }

    void picturesFillTheirPlaceKeepingProportions_data()
    {
        QTest::addColumn<QSizeF>("source");
        QTest::addColumn<QRectF>("target");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("wide picture overhangs left and right")
            << QSizeF(400, 100) << QRectF(10, 10, 200, 100) << QRectF(-90, 10, 400, 100);
        QTest::newRow("tall picture overhangs top and bottom")
            << QSizeF(100, 400) << QRectF(0, 0, 200, 100) << QRectF(0, -350, 200, 800);
        QTest::newRow("same proportions, enlarged")
            << QSizeF(16, 9) << QRectF(0, 0, 1440, 810) << QRectF(0, 0, 1440, 810);
    }
    void picturesFillTheirPlaceKeepingProportions()
    {
        QFETCH(QSizeF, source);
        QFETCH(QRectF, target);
        const QRectF drawn = Painting::aspectFillRect(source, target);
        QTEST(drawn, "expected");
        QVERIFY(drawn.contains(target));
    }

    // A picture with clear corners (an arched plaque) takes the pointer where it shows, scaled
    // into its place, and nowhere else.
    void opaqueOutlineFollowsWhatShows_data()
    {
        QTest::addColumn<QRectF>("target");
        QTest::newRow("enlarged") << QRectF(100, 50, 80, 100);
        QTest::newRow("reduced") << QRectF(-10, 0, 20, 25);
    }
    void opaqueOutlineFollowsWhatShows()
    {
        QFETCH(QRectF, target);
        // An arch over a rectangle, with a faint halo that does not count.
        QImage picture(40, 50, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        p.fillRect(QRectF(0, 0, 40, 50), QColor(255, 200, 0, 60));
        QPainterPath arch;
        arch.addEllipse(QRectF(4, 0, 32, 32));
        arch.addRect(QRectF(4, 16, 32, 34));
        p.fillPath(arch.simplified(), Qt::black);
        p.end();
        const QPainterPath outline = Painting::opaqueOutline(picture, target);
        auto at = [&](qreal x, qreal y) {
            return QPointF(target.left() + x / 40 * target.width(),
                           target.top() + y / 50 * target.height());
        };
        for (QPointF shown : {at(20, 25), at(20, 3), at(6, 45), at(34, 45), at(8, 20)})
            QVERIFY(outline.contains(shown));
        for (QPointF clear : {at(1, 1), at(39, 1), at(2, 25), at(38, 45), at(7, 4)})
            QVERIFY(!outline.contains(clear));
        QVERIFY(Painting::opaqueOutline(QImage(), target).isEmpty());
    }

    void shapeShadowIsBlurredOncePerShapeAndStyle()
    {
        QPainterPath shape;
        shape.addRect(QRectF(0, 0, 40, 40));
        const QColor black = Colors::black(0.5);
        ShapeShadow shadow;
        QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter p(&canvas);
        shadow.paint(p, shape, ShadowStyle{black, 8, QPointF(0, 4)});
        shadow.paint(p, shape, ShadowStyle{black, 8, QPointF(0, 9)});
        QCOMPARE(shadow.renderCount(), 1); // a new offset only moves the image
        shadow.paint(p, shape, ShadowStyle{black, 4, QPointF(0, 4)});
        QCOMPARE(shadow.renderCount(), 2);
        p.scale(2, 2);
        shadow.paint(p, shape, ShadowStyle{black, 4, QPointF(0, 4)});
        QCOMPARE(shadow.renderCount(), 3); // sharp at the new scale
        p.end();
        // Darkest under the shape, offset downwards.
        QVERIFY(qGray(canvas.pixel(20, 40)) < qGray(canvas.pixel(20, 2)));
    }

    void softShadowBlursWithinItsSpread_data()
    {
        QTest::addColumn<qreal>("radius");
        QTest::addColumn<qreal>("dpr");
        QTest::addColumn<QColor>("color");
        const QColor black(Qt::black);
        QTest::newRow("radius 0") << 0.0 << 1.0 << black;
        QTest::newRow("radius 3 at 2x") << 3.0 << 2.0 << black;
        QTest::newRow("radius 4, half-transparent orange")
            << 4.0 << 1.0 << QColor::fromRgbF(1, 0.35f, 0.05f, 0.5f);
        QTest::newRow("radius 8") << 8.0 << 1.0 << black;
        QTest::newRow("radius 18") << 18.0 << 1.0 << black;
    }
    void softShadowBlursWithinItsSpread()
    {
        QFETCH(qreal, radius);
        QFETCH(qreal, dpr);
        QFETCH(QColor, color);
        QPainterPath square;
        square.addRect(10, 20, 30, 30);
        QPointF topLeft;
        const QImage shadow = SoftShadow::ofPath(square, radius, color, dpr, &topLeft);
        const int spread = SoftShadow::spread(radius);
        QCOMPARE(std::pair(shadow.devicePixelRatio(), topLeft),
                 std::pair(dpr, QPointF(10 - spread, 20 - spread)));
        QCOMPARE(shadow.size(), (QSizeF(30 + 2 * spread, 30 + 2 * spread) * dpr).toSize());

        // A blur moves alpha about but neither makes nor loses it, and none of it is cut
        // off at the image's edge.
        double sum = 0;
        int edge = 0;
        forEachPixel(shadow, [&](int x, int y, QRgb p) {
            sum += qAlpha(p);
            if (x == 0 || y == 0 || x == shadow.width() - 1 || y == shadow.height() - 1)
                edge = std::max(edge, qAlpha(p));
        });
        const double solid = 30 * 30 * dpr * dpr * 255 * color.alphaF();
        QVERIFY2(std::abs(sum - solid) < 0.02 * solid, qPrintable(QString::number(sum / solid)));
        QVERIFY(radius == 0 || edge <= 3);

        // Symmetric about the square's centre; a blur much smaller than the square leaves
        // its middle in the full colour and softens its edge.
        const QPoint centre(shadow.width() / 2, shadow.height() / 2);
        if (radius <= 8) {
            const QColor middle = shadow.pixelColor(centre);
            QVERIFY(std::abs(middle.alphaF() - color.alphaF()) < 0.01);
            QVERIFY(std::abs(middle.greenF() - color.greenF()) < 0.02);
        }
        const int inset = int(spread * dpr);
        const int near = qAlpha(shadow.pixel(inset, centre.y()));
        const int far = qAlpha(shadow.pixel(shadow.width() - 1 - inset, centre.y()));
        QVERIFY(std::abs(near - far) <= 2);
        if (radius >= 2)
            QVERIFY2(near > 60 * color.alphaF() && near < 200, qPrintable(QString::number(near)));
    }

    // Every shadow in the room is this blur: each pixel, each byte of it, is the rounded mean
    // of the box around it, a row at a time then a column at a time, three boxes in a row,
    // whatever the image's size and padding. Noise has a different value almost everywhere;
    // a shape (what the room blurs) is a flat fill, where only the values near an edge or
    // the image's border change, rows repeat and whole rows stay clear.
    void blurIsExactlyThreeBoxesAlongRowsAndColumns_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("sigma");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QString>("pattern");
        const auto alpha = QImage::Format_Alpha8;
        const auto argb = QImage::Format_ARGB32_Premultiplied;
        const QString noise = QStringLiteral("noise");
        QTest::newRow("one pixel") << QSize(1, 1) << 2.0 << alpha << noise;
        QTest::newRow("odd width, padded rows") << QSize(37, 23) << 1.5 << alpha << noise;
        QTest::newRow("box wider than the image") << QSize(5, 40) << 12.0 << alpha << noise;
        QTest::newRow("box taller than the image") << QSize(60, 3) << 9.0 << alpha << noise;
        QTest::newRow("large soft shadow") << QSize(90, 70) << 7.3 << alpha << noise;
        QTest::newRow("colour, four channels") << QSize(31, 17) << 2.6 << argb << noise;
        QTest::newRow("colour, box wider than the image") << QSize(4, 9) << 6.0 << argb << noise;
        // Boxes over 185 pixels wide are averaged by a table, not a multiplication.
        QTest::newRow("box of over 185 pixels") << QSize(230, 12) << 100.0 << alpha << noise;
        QTest::newRow("rounded fill in a clear margin")
            << QSize(83, 41) << 2.5 << alpha << QStringLiteral("rounded");
        QTest::newRow("fill up to the border")
            << QSize(40, 30) << 1.5 << alpha << QStringLiteral("border");
        QTest::newRow("bars, repeated rows and clear ones")
            << QSize(61, 47) << 3.0 << alpha << QStringLiteral("bars");
        QTest::newRow("one dot in a clear image")
            << QSize(29, 31) << 2.0 << alpha << QStringLiteral("dot");
        QTest::newRow("clear image") << QSize(16, 9) << 2.0 << alpha << QStringLiteral("clear");
        QTest::newRow("colour, rounded fill")
            << QSize(45, 33) << 2.0 << argb << QStringLiteral("rounded");
        QTest::newRow("colour, fill up to the border")
            << QSize(21, 19) << 1.25 << argb << QStringLiteral("border");
        QTest::newRow("wide box over a fill up to the border")
            << QSize(200, 14) << 100.0 << alpha << QStringLiteral("border");
    }
    void blurIsExactlyThreeBoxesAlongRowsAndColumns()
    {
        QFETCH(QSize, size);
        QFETCH(double, sigma);
        QFETCH(QImage::Format, format);
        QFETCH(QString, pattern);
        QImage image(size, format);
        const int channels = image.depth() / 8;
        quint32 seed = 7;
        if (pattern == QLatin1String("noise")) {
            for (int y = 0; y < size.height(); ++y) {
                uchar* line = image.scanLine(y);
                for (int x = 0; x < size.width(); ++x) {
                    seed = seed * 1664525u + 1013904223u;
                    // Premultiplied: no colour byte above its pixel's alpha.
                    const int a = (seed >> 24) % 3 == 0 ? 0 : int(seed >> 24);
                    for (int c = 0; c < channels; ++c)
                        line[x * channels + c] = uchar(
                            channels == 1 || c == 3 ? a : (int(seed >> (8 * c)) & 0xff) % (a + 1));
                }
            }
        } else {
            // Drawn as the room draws a silhouette: antialiased edges round a flat inside.
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(200, 120, 40, 230));
            const QRectF all(0, 0, size.width(), size.height());
            if (pattern == QLatin1String("rounded")) {
                p.drawRoundedRect(all.adjusted(6.3, 5.6, -7.2, -6.1), 6, 6);
            } else if (pattern == QLatin1String("border")) {
                p.fillRect(all, QColor(90, 30, 10, 180));
                p.drawEllipse(all.adjusted(4, 3, -5, -3));
            } else if (pattern == QLatin1String("bars")) {
                p.fillRect(QRectF(3, 4, 50, 9), Qt::black);
                p.fillRect(QRectF(10.5, 20, 40, 12), Qt::black);
                p.fillRect(QRectF(0, 38, 61, 3.5), Qt::black);
            } else if (pattern == QLatin1String("dot")) {
                p.drawEllipse(QRectF(13.2, 14.6, 1.7, 1.9));
            }
        }

        // The plain sums, each window added up anew.
        std::vector<std::vector<int>> values(size_t(size.height()),
                                             std::vector<int>(size_t(size.width() * channels)));
        for (int y = 0; y < size.height(); ++y) {
            for (int i = 0; i < size.width() * channels; ++i)
                values[size_t(y)][size_t(i)] = image.constScanLine(y)[i];
        }
        const auto box = [&](int r, bool alongRows) {
            auto out = values;
            const int count = alongRows ? size.width() : size.height();
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    for (int c = 0; c < channels; ++c) {
                        int sum = 0;
                        const int at = alongRows ? x : y;
                        for (int k = std::max(0, at - r); k <= std::min(count - 1, at + r); ++k)
                            sum += alongRows ? values[size_t(y)][size_t(k * channels + c)]
                                             : values[size_t(k)][size_t(x * channels + c)];
                        out[size_t(y)][size_t(x * channels + c)] = (sum + r) / (2 * r + 1);
                    }
                }
            }
            values = out;
        };
        for (int r : SoftShadow::boxRadii(sigma)) {
            box(r, true);
            box(r, false);
        }

        SoftShadow::blurInPlace(image, sigma);
        QCOMPARE(image.format(), format);
        for (int y = 0; y < size.height(); ++y) {
            for (int i = 0; i < size.width() * channels; ++i) {
                if (image.constScanLine(y)[i] != values[size_t(y)][size_t(i)])
                    QFAIL(qPrintable(QStringLiteral("byte %1 of row %2: %3, not %4")
                                         .arg(i)
                                         .arg(y)
                                         .arg(image.constScanLine(y)[i])
                                         .arg(values[size_t(y)][size_t(i)])));
            }
        }
    }

    // A shadow is its blurred coverage tinted with its colour, byte for byte as the raster
    // engine's SourceIn fill tints it, whatever the silhouette's format.
    void shadowsAreTintedAsAPainterTintsThem_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<qreal>("dpr");
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("black") << QColor(Qt::black) << premultiplied << 1.0;
        QTest::newRow("translucent orange, fractions")
            << QColor::fromRgbF(1, 0.35f, 0.05f, 0.5f) << premultiplied << 1.0;
        QTest::newRow("faint blue at 2x") << QColor(40, 90, 200, 31) << premultiplied << 2.0;
        QTest::newRow("opaque white") << QColor(Qt::white) << premultiplied << 1.0;
        QTest::newRow("straight alpha") << QColor(120, 20, 60, 200) << QImage::Format_ARGB32 << 1.0;
        QTest::newRow("coverage only") << QColor(0, 0, 0, 77) << QImage::Format_Alpha8 << 1.0;
        QTest::newRow("no alpha") << QColor(10, 200, 30, 128) << QImage::Format_RGB32 << 1.0;
    }
    void shadowsAreTintedAsAPainterTintsThem()
    {
        QFETCH(QColor, color);
        QFETCH(QImage::Format, format);
        QFETCH(qreal, dpr);
        QImage silhouette(37, 23, QImage::Format_ARGB32_Premultiplied);
        silhouette.fill(Qt::transparent);
        {
            QPainter p(&silhouette);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(90, 160, 40, 210));
            p.drawEllipse(QRectF(3.3, 2.7, 29, 17));
        }
        silhouette = silhouette.convertToFormat(format);
        silhouette.setDevicePixelRatio(dpr);
        const qreal radius = 3;
        const QImage shadow = SoftShadow::blurred(silhouette, radius, color);

        const int pad = int(std::ceil(SoftShadow::spread(radius) * dpr));
        QImage mask(silhouette.width() + 2 * pad, silhouette.height() + 2 * pad,
                    QImage::Format_Alpha8);
        mask.fill(0);
        QImage coverage = silhouette.convertToFormat(QImage::Format_Alpha8);
        coverage.setDevicePixelRatio(1);
        QPainter(&mask).drawImage(pad, pad, coverage);
        SoftShadow::blurInPlace(mask, radius / 2 * dpr);
        QImage expected(mask.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter p(&expected);
            p.drawImage(0, 0, mask);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(expected.rect(), color);
        }
        expected.setDevicePixelRatio(dpr);
        QCOMPARE(shadow, expected);
        QCOMPARE(shadow.devicePixelRatio(), dpr);
    }

    // A row of coverage laid in one colour gives, in every lane width and at any length or
    // alignment, the pixels the raster engine gives for that colour tinted by the coverage
    // and laid over them; the pixels either side are left alone.
    // A frame's many repainted areas are handed to the view as one region: it must cover
    // exactly what they cover, no pixel more or less, in a region's own sorted form.
    void rectanglesUniteAsRegionsDo_data()
    {
        QTest::addColumn<QList<QRect>>("rects");
        QTest::newRow("none") << QList<QRect>{};
        QTest::newRow("one") << QList<QRect>{{10, 20, 30, 40}};
        QTest::newRow("nested") << QList<QRect>{{0, 0, 100, 100}, {10, 10, 20, 20}};
        QTest::newRow("touching side by side") << QList<QRect>{{0, 0, 10, 10}, {10, 0, 10, 10}};
        QTest::newRow("touching above and below")
            << QList<QRect>{{0, 0, 10, 10}, {0, 10, 10, 10}, {0, 20, 12, 10}};
        QTest::newRow("crossing") << QList<QRect>{{0, 40, 100, 20}, {40, 0, 20, 100}};
        QTest::newRow("same twice") << QList<QRect>{{5, 5, 8, 8}, {5, 5, 8, 8}};
        QTest::newRow("empty among them")
            << QList<QRect>{{0, 0, 0, 10}, {3, 3, 4, 4}, QRect(), {50, 50, 1, 1}};
        QTest::newRow("left of and above the origin")
            << QList<QRect>{{-20, -30, 25, 35}, {-2, -2, 4, 4}};
        // As a burning room names them: long bands of flames and dots drifting about them.
        QList<QRect> frame;
        quint32 seed = 12345;
        const auto next = [&seed](int below) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 8) % quint32(below));
        };
        for (int i = 0; i < 30; ++i)
            frame.append(QRect(next(1400), next(880), 40 + next(400), 20 + next(60)));
        for (int i = 0; i < 120; ++i)
            frame.append(QRect(next(1430), next(890), 7 + next(3), 7 + next(3)));
        QTest::newRow("fire frame") << frame;
    }
    void rectanglesUniteAsRegionsDo()
    {
        QFETCH(QList<QRect>, rects);
        QRegion expected;
        for (const QRect& r : rects)
            expected += r;
        const QRegion united = Painting::unitedRects(rects.constData(), rects.size());
        QVERIFY((united ^ expected).isEmpty());
        QCOMPARE(united.boundingRect(), expected.boundingRect());
        // Sorted by row and then column, no two overlapping or touching side by side.
        const QList<QRect> parts(united.begin(), united.end());
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QRect& a = parts[i - 1];
            const QRect& b = parts[i];
            QVERIFY(a.top() < b.top() ||
                    (a.top() == b.top() && a.bottom() == b.bottom() && a.right() + 1 < b.left()));
            QVERIFY(a.top() == b.top() || a.bottom() < b.top());
        }
    }

    void coverageIsLaidInColourAsThePainterLaysIt_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QColor>("colour");
        const QColor flame = QColor::fromRgbF(0.95f, 0.18f, 0.04f, 0.88f);
        QTest::newRow("nothing") << 0 << 0 << flame;
        QTest::newRow("one pixel") << 1 << 1 << flame;
        QTest::newRow("three") << 3 << 0 << flame;
        QTest::newRow("four, off the lanes") << 4 << 3 << flame;
        QTest::newRow("seven") << 7 << 1 << flame;
        QTest::newRow("eight") << 8 << 0 << flame;
        QTest::newRow("nine, off the lanes") << 9 << 5 << flame;
        QTest::newRow("a flame's row, opaque") << 19 << 2 << QColor(255, 245, 165);
        QTest::newRow("a long row, faint") << 67 << 1 << QColor(30, 140, 250, 9);
        QTest::newRow("a long row, clear") << 40 << 0 << QColor(Qt::transparent);
    }
    void coverageIsLaidInColourAsThePainterLaysIt()
    {
        QFETCH(int, count);
        QFETCH(int, offset);
        QFETCH(QColor, colour);
        // Coverage from none to full, with whole runs of each among the steps.
        const int width = count + offset + 5;
        QImage coverage(width, 1, QImage::Format_Alpha8);
        coverage.fill(0);
        for (int x = 0; x < count; ++x) {
            const int k = x * 37 % 23;
            coverage.scanLine(0)[offset + x] = uchar(k < 4 ? 0 : k > 18 ? 255 : k * 11 + x);
        }
        // What lies below: premultiplied pixels of every opacity, from clear to opaque.
        QImage below(width, 1, QImage::Format_ARGB32_Premultiplied);
        for (int x = 0; x < width; ++x) {
            const int alpha = x * 53 % 256;
            reinterpret_cast<QRgb*>(below.scanLine(0))[x] =
                qPremultiply(qRgba(x * 29 % 256, 255 - x * 7 % 256, x * 13 % 256, alpha));
        }

        QImage laid = below;
        Colors::layInColour(reinterpret_cast<QRgb*>(laid.scanLine(0)) + offset,
                            coverage.constScanLine(0) + offset, count, qPremultiply(colour.rgba()));

        QImage tinted(width, 1, QImage::Format_ARGB32_Premultiplied);
        tinted.fill(Qt::transparent);
        {
            QPainter p(&tinted);
            p.drawImage(0, 0, coverage);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(tinted.rect(), colour);
        }
        QImage expected = below;
        QPainter(&expected).drawImage(QRect(offset, 0, count, 1), tinted,
                                      QRect(offset, 0, count, 1));
        QCOMPARE(laid, expected);
    }

    // A cached picture laid down at any point, through any painter, shows the same pixels
    // as drawImage and drawPixmap show, and leaves the painter as it found it.
    void picturesLandOnTheSamePixels_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<int>("hints");
        QTest::addColumn<bool>("pixmap");
        QTest::addColumn<qreal>("pictureRatio");
        const int smooth = QPainter::Antialiasing | QPainter::SmoothPixmapTransform;
        const auto shift = QTransform::fromTranslate;
        QTest::newRow("whole pixels") << QPointF(12, 7) << QTransform() << 0 << false << 1.0;
        QTest::newRow("whole pixels, smoothed")
            << QPointF(12, 7) << QTransform() << smooth << false << 1.0;
        QTest::newRow("between pixels") << QPointF(12.3, 7.6) << QTransform() << 0 << false << 1.0;
        QTest::newRow("halves, smoothed")
            << QPointF(12.5, 7.5) << QTransform() << smooth << false << 1.0;
        QTest::newRow("negative halves")
            << QPointF(-3.5, -0.5) << QTransform() << smooth << false << 1.0;
        QTest::newRow("shifted painter")
            << QPointF(4.25, 9.75) << shift(10.6, 3.3) << smooth << false << 1.0;
        QTest::newRow("pixmap between pixels")
            << QPointF(12.3, 7.6) << shift(0.5, 0.25) << smooth << true << 1.0;
        QTest::newRow("scaled painter")
            << QPointF(3.3, 2.2) << QTransform::fromScale(1.5, 1.5) << smooth << false << 1.0;
        QTest::newRow("rotated painter")
            << QPointF(30.5, 2.5) << QTransform().rotate(20) << smooth << true << 1.0;
        QTest::newRow("picture at 2x")
            << QPointF(5.5, 4.25) << QTransform() << smooth << false << 2.0;
    }
    void picturesLandOnTheSamePixels()
    {
        QFETCH(QPointF, at);
        QFETCH(QTransform, transform);
        QFETCH(int, hints);
        QFETCH(bool, pixmap);
        QFETCH(qreal, pictureRatio);
        // Tall enough that the raster engine would share a slow blend between threads.
        QImage picture(41, 130, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const int a = (x * 37 + y * 11) % 256;
                picture.setPixel(x, y, qPremultiply(qRgba((x * 13) % 256, (y * 7) % 256, 90, a)));
            }
        }
        picture.setDevicePixelRatio(pictureRatio);
        const QPixmap asPixmap = QPixmap::fromImage(picture);

        const auto paint = [&](bool nearest) {
            QImage canvas(120, 180, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(QColor(30, 60, 90));
            QPainter p(&canvas);
            p.setRenderHints(QPainter::RenderHints(hints));
            p.setTransform(transform);
            if (nearest && pixmap)
                Painting::drawOnNearestPixel(p, at, asPixmap);
            else if (nearest)
                Painting::drawOnNearestPixel(p, at, picture);
            else if (pixmap)
                p.drawPixmap(at, asPixmap);
            else
                p.drawImage(at, picture);
            // Whatever comes next is drawn as before.
            p.fillRect(QRectF(1.5, 1.5, 9, 9), QColor(200, 10, 10, 120));
            return std::tuple(canvas, p.transform(), int(p.renderHints()));
        };
        QCOMPARE(paint(true), paint(false));
    }

    // A drawing that scales a little while it moves (a can leaning towards a drag) must not
    // be drawn again on every frame, yet stays sharp when the room is shown enlarged; another
    // look is drawn once, a new size drops them all.
    void drawingCacheDrawsOncePerLookAndSharpness_data()
    {
        QTest::addColumn<QList<qreal>>("scales");
        QTest::addColumn<int>("renders");
        QTest::newRow("still") << QList<qreal>{1, 1, 1} << 1;
        QTest::newRow("a slight grow and back") << QList<qreal>{1, 1.01, 1.02, 1.04, 1.02, 1} << 2;
        QTest::newRow("shown twice as large") << QList<qreal>{1, 2, 2} << 2;
        QTest::newRow("shrunk: never below the device's ratio") << QList<qreal>{0.5, 0.8, 1} << 1;
    }
    void drawingCacheDrawsOncePerLookAndSharpness()
    {
        QFETCH(QList<qreal>, scales);
        QFETCH(int, renders);
        DrawingCache cache;
        QImage target(200, 200, QImage::Format_ARGB32_Premultiplied);
        QSize drawnSize;
        const auto draw = [&](QPainter& p) {
            drawnSize = QSize(p.device()->width(), p.device()->height());
            p.fillRect(QRectF(0, 0, 50, 40), Qt::red);
        };
        for (qreal scale : scales) {
            QPainter painter(&target);
            painter.scale(scale, scale);
            cache.paint(painter, QRectF(0, 0, 50, 40), 0, draw);
        }
        QCOMPARE(cache.renderCount(), renders);
        // The last pixmap drawn has the pixels of the largest scale it was made for.
        const qreal largest = std::max(1.0, *std::max_element(scales.begin(), scales.end()));
        QVERIFY(drawnSize.width() >= 50 * largest - 1);
        QPainter painter(&target);
        cache.paint(painter, QRectF(0, 0, 50, 40), 1, draw);
        cache.paint(painter, QRectF(0, 0, 50, 40), 0, draw);
        QCOMPARE(cache.renderCount(), renders + 1);
        cache.paint(painter, QRectF(0, 0, 60, 40), 0, draw);
        QCOMPARE(cache.renderCount(), renders + 2);
    }

    // A piece Qt keeps in device pixels is painted into its clear picture on the painting
    // helper and shows exactly what it shows painted straight, wherever it lies; a piece Qt
    // does not keep is painted straight, on the GUI thread.
    void piecesKeptByQtArePaintedOnTheHelperToTheSamePixels_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<qreal>("turn");
        QTest::addColumn<bool>("kept");
        QTest::newRow("on whole pixels") << QPointF(20, 30) << 0.0 << true;
        QTest::newRow("between pixels") << QPointF(20.4, 30.7) << 0.0 << true;
        QTest::newRow("turned") << QPointF(40.4, 20.7) << 17.0 << true;
        QTest::newRow("not kept") << QPointF(20.4, 30.7) << 0.0 << false;
    }
    void piecesKeptByQtArePaintedOnTheHelperToTheSamePixels()
    {
        QFETCH(QPointF, at);
        QFETCH(qreal, turn);
        QFETCH(bool, kept);
        const auto show = [&](bool throughHelper, QThread** drawnOn) {
            QGraphicsScene scene(0, 0, 240, 200);
            scene.setBackgroundBrush(QColor(230, 220, 180));
            auto* piece = new HelperPiece(throughHelper);
            piece->setCacheMode(kept ? QGraphicsItem::DeviceCoordinateCache
                                     : QGraphicsItem::NoCache);
            piece->setPos(at);
            piece->setRotation(turn);
            scene.addItem(piece);
            QGraphicsView view(&scene);
            view.setFrameShape(QFrame::NoFrame);
            view.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            view.resize(240, 200);
            const QImage shown = view.grab().toImage();
            *drawnOn = piece->drawnOn;
            return shown;
        };
        // One helper, as the room leaves the pool.
        QThreadPool* pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        pool->setMaxThreadCount(1);
        QThread* straightOn = nullptr;
        QThread* helperOn = nullptr;
        const QImage straight = show(false, &straightOn);
        const QImage throughHelper = show(true, &helperOn);
        pool->setMaxThreadCount(threads);
        QCOMPARE(throughHelper, straight);
        QCOMPARE(straightOn, QThread::currentThread());
        QCOMPARE(helperOn == QThread::currentThread(), !kept);
    }

    void warpedImageLooksAsTheSmoothTransformDrawsIt_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::newRow("in perspective") << QTransform(1, 0, 0, 0.3, 0.8, 0.0012, 20, 15, 1);
        QTest::newRow("turned") << QTransform::fromTranslate(90, 10).rotate(23);
        QTest::newRow("shrunk between pixels")
            << QTransform::fromTranslate(10.3, 20.7).scale(0.45, 0.6);
        // A note rising over the radio: turned a little the other way, grown and between
        // pixels, anew on every frame.
        QTest::newRow("tilted and grown between pixels")
            << QTransform::fromTranslate(30.4, 12.6).rotate(-11.5).scale(1.15, 1.15);
    }
    void warpedImageLooksAsTheSmoothTransformDrawsIt()
    {
        QFETCH(QTransform, transform);
        // A picture with sharp edges and smooth ramps, at twice the size it is laid over.
        QImage source(240, 120, QImage::Format_ARGB32_Premultiplied);
        source.fill(Qt::transparent);
        {
            QPainter p(&source);
            p.setRenderHint(QPainter::Antialiasing);
            QLinearGradient ramp(0, 0, 240, 120);
            ramp.setStops({{0, QColor(255, 40, 0, 230)}, {1, QColor(255, 220, 90, 120)}});
            p.setBrush(ramp);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRectF(10, 8, 150, 100));
            p.fillRect(QRectF(150, 30, 70, 50), QColor(20, 90, 240));
        }
        const QRectF area(5, 5, 120, 60);
        QImage expected(240, 160, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        {
            QPainter p(&expected);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.setTransform(transform);
            p.drawImage(area, source);
        }
        QImage warped(expected.size(), QImage::Format_ARGB32_Premultiplied);
        warped.fill(Qt::transparent);
        TransformedImageWarp warp;
        warp.paint(source, area, transform, warped);
        // Away from the picture's outline (where the engine's own edge antialiasing differs
        // by design), the same pixels: within rounding on the whole, and within a few
        // levels where a sharp edge inside the picture falls between two samples.
        const QPolygonF outline = transform.map(QPolygonF(area));
        qint64 compared = 0;
        qint64 total = 0;
        int worst = 0;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                bool inside = true;
                for (const QPointF& d :
                     {QPointF(-2, -2), QPointF(2, -2), QPointF(-2, 2), QPointF(2, 2)})
                    inside = inside && outline.containsPoint(centre + d, Qt::OddEvenFill);
                if (!inside)
                    continue;
                const QRgb a = expected.pixel(x, y);
                const QRgb b = warped.pixel(x, y);
                for (int shift : {0, 8, 16, 24}) {
                    const int d = std::abs(int((a >> shift) & 255) - int((b >> shift) & 255));
                    worst = std::max(worst, d);
                    total += d;
                    ++compared;
                }
            }
        }
        QVERIFY(compared > 4000);
        QVERIFY2(total <= compared / 2 && worst <= 16,
                 qPrintable(
                     QStringLiteral("mean %1, worst %2").arg(double(total) / compared).arg(worst)));
        // Laid again through the same transform, now through the table the warp keeps for
        // a transform seen twice (a turn seen once is laid without one): the same pixels.
        QImage again(expected.size(), QImage::Format_ARGB32_Premultiplied);
        again.fill(Qt::transparent);
        warp.paint(source, area, transform, again);
        QCOMPARE(again, warped);
    }

    // A picture laid through the device-pixel cache (a note rising over the radio, a frame
    // of flames on the rug) shows the warp of it laid on whole device pixels, is warped once
    // per transform and frame, and leaves the painter as it found it.
    void imagesLaidThroughTheCacheAreWarpedOnce_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<bool>("fits");
        QTest::newRow("turned between pixels")
            << QTransform::fromTranslate(30.4, 12.6).rotate(-11.5).scale(1.15, 1.15) << true;
        QTest::newRow("shrunk") << QTransform::fromTranslate(10.3, 20.7).scale(0.45, 0.6) << true;
        QTest::newRow("in perspective") << QTransform(1, 0, 0, 0.3, 0.8, 0.0012, 20, 15, 1) << true;
        QTest::newRow("larger than any screen") << QTransform::fromScale(500, 500) << false;
    }
    void imagesLaidThroughTheCacheAreWarpedOnce()
    {
        QFETCH(QTransform, transform);
        QFETCH(bool, fits);
        QImage source(60, 40, QImage::Format_ARGB32_Premultiplied);
        source.fill(Qt::transparent);
        {
            QPainter p(&source);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(QColor(250, 200, 40, 220));
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRectF(4, 4, 50, 30));
        }
        const QRectF area(-10, -6, 20, 12);
        const auto canvas = [] {
            QImage image(120, 90, QImage::Format_ARGB32_Premultiplied);
            image.fill(QColor(20, 30, 40));
            return image;
        };

        DevicePixelsCache cache;
        QImage laid = canvas();
        {
            QPainter p(&laid);
            p.setTransform(transform);
            const QPainter::RenderHints hints = p.renderHints();
            cache.paintImage(p, area, 7, source);
            QCOMPARE(p.renderHints(), hints); // as it found it
            QCOMPARE(p.transform(), transform);
        }
        if (!fits) {
            QCOMPARE(cache.renderCount(), 0); // drawn as it is, nothing kept
            return;
        }
        QCOMPARE(cache.renderCount(), 1);

        // By hand: the warp into an image of the device pixels the area covers, laid there.
        const QRect pixels = transform.mapRect(area).toAlignedRect().adjusted(-1, -1, 1, 1);
        QImage warped(pixels.size(), QImage::Format_ARGB32_Premultiplied);
        warped.fill(Qt::transparent);
        TransformedImageWarp warp;
        warp.paint(source, area,
                   transform * QTransform::fromTranslate(-pixels.left(), -pixels.top()), warped);
        QImage expected = canvas();
        QPainter(&expected).drawImage(pixels.topLeft(), warped);
        QCOMPARE(laid, expected);

        // The same frame again is the pixels kept; a new frame is warped anew, and the same
        // frame elsewhere too.
        QImage again = canvas();
        QPainter p(&again);
        p.setTransform(transform);
        cache.paintImage(p, area, 7, source);
        QCOMPARE(cache.renderCount(), 1);
        cache.paintImage(p, area, 8, source);
        p.translate(3, 0);
        cache.paintImage(p, area, 8, source);
        QCOMPARE(cache.renderCount(), 3);
    }

    void cachedShadowEffectBlursOnlyWhenTheItemChanges()
    {
        QGraphicsScene scene(0, 0, 200, 200);
        auto* piece = scene.addRect(50, 50, 60, 60, Qt::NoPen, Qt::blue);
        auto* effect = new CachedShadowEffect(QColor(255, 90, 10), 8, QPointF(0, 0));
        piece->setGraphicsEffect(effect);
        // Something animated over the piece, as the flames are.
        auto* flames = scene.addRect(40, 40, 80, 20, Qt::NoPen, QColor(255, 0, 0, 100));
        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.setBackgroundBrush(Qt::black);
        view.resize(200, 200);
        QImage frame;
        const QList<QColor> colors{Qt::blue, Qt::blue, Qt::green};
        for (int i = 0; i < colors.size(); ++i) {
            flames->setBrush(QColor(255, 40 * i, 0, 100));
            piece->setBrush(colors[i]);
            frame = view.grab().toImage();
            QCOMPARE(frame.pixelColor(80, 100), colors[i]); // the piece itself is drawn
            if (i == 0) // the glow shows beside the piece, fading outwards
                QVERIFY(frame.pixelColor(80, 112).red() >
                        std::max(50, frame.pixelColor(80, 120).red()));
        }
        QCOMPARE(effect->renderCount(), 2); // once blue, once green
    }

    // A large scratch picture is transparent, takes memory only for the rows drawn on, and
    // what was copied from it outlives it.
    void scratchImagesTakeOnlyWhatIsDrawn()
    {
        const auto resident = [] {
            QFile statm(u"/proc/self/statm"_s);
            return statm.open(QIODevice::ReadOnly)
                       ? statm.readAll().split(' ').value(1).toLongLong() * ::getpagesize()
                       : 0;
        };
        const qint64 before = resident();
        QImage canvas = scratchImage(QSize(8192, 8192), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(canvas.size(), QSize(8192, 8192));
        QCOMPARE(canvas.format(), QImage::Format_ARGB32_Premultiplied);
        {
            QPainter p(&canvas);
            p.fillRect(QRect(100, 4000, 128, 128), QColor(10, 200, 30));
        }
        // 256 MB in all; the 128 rows drawn on are 4 MB.
        QVERIFY2(resident() - before < 32 * 1024 * 1024,
                 qPrintable(QString::number((resident() - before) / 1024)));
        QCOMPARE(canvas.pixel(0, 0), 0u);
        QCOMPARE(canvas.pixel(8191, 8191), 0u);
        const QImage tile = canvas.copy(100, 4000, 128, 128);
        canvas = QImage();
        QCOMPARE(tile.pixelColor(64, 64), QColor(10, 200, 30));
        QVERIFY(scratchImage(QSize(0, 10), QImage::Format_ARGB32_Premultiplied).isNull());
    }

    // The picture stands in for the item and its children while something else repaints
    // over them, shows every change of a child at once, and is left out while turned off.
    void pictureKeptUntilTheItemOrAChildChanges()
    {
        QGraphicsScene scene(0, 0, 200, 200);
        auto* piece = new CountedRect(50, 50, 60, 60);
        piece->setPen(Qt::NoPen);
        piece->setBrush(Qt::blue);
        scene.addItem(piece);
        auto* child = new CountedRect(60, 60, 20, 20, piece);
        child->setPen(Qt::NoPen);
        child->setBrush(Qt::yellow);
        auto* effect = new CachedPictureEffect;
        piece->setGraphicsEffect(effect);
        auto* over = scene.addRect(40, 40, 80, 20, Qt::NoPen, QColor(255, 0, 0, 100));

        QGraphicsView view(&scene);
        view.setFrameShape(QFrame::NoFrame);
        view.resize(200, 200);
        view.grab();
        const int first = piece->paints;
        for (int i = 0; i < 4; ++i) {
            over->setBrush(QColor(255, 40 * i, 0, 100));
            view.grab();
        }
        QCOMPARE(piece->paints, first);

        child->setBrush(Qt::green);
        QImage frame = view.grab().toImage();
        QCOMPARE(frame.pixelColor(70, 70), QColor(Qt::green));
        QCOMPARE(frame.pixelColor(100, 100), QColor(Qt::blue));

        effect->setEnabled(false);
        const int direct = piece->paints;
        view.grab();
        view.grab();
        QCOMPARE(piece->paints, direct + 2);
    }

    void glyphsDrawInTheirColour_data()
    {
        QTest::addColumn<QString>("name");
        // A few of the room's glyphs, one the kit does not know, and the close button's disc,
        // cut out to show what lies below it.
        for (const char* name : {"trash.fill", "xmark", "folder.fill", "flame.fill", "pause.fill",
                                 "no.such.glyph", "xmark.circle.fill"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void glyphsDrawInTheirColour()
    {
        QFETCH(QString, name);
        const QColor blue(0x12, 0x0C, 0xD6);
        const QImage image = Symbols::image(name, 40, blue);
        QCOMPARE(image.size(), QSize(40, 40));
        int coloured = 0;
        forEachPixel(image, [&](int, int, QRgb p) {
            coloured += qAlpha(p) > 200 && (p & 0xffffff) == (blue.rgb() & 0xffffff);
        });
        QVERIFY(coloured > 10);
        if (name == QLatin1String("xmark.circle.fill")) {
            QCOMPARE(qAlpha(image.pixel(20, 20)), 0);
            QCOMPARE(qAlpha(image.pixel(20, 4)), 255);
            QCOMPARE(qAlpha(image.pixel(1, 1)), 0);
        }
    }

    void tiltLeansTheTopAway()
    {
        const QRectF rug(0, 0, 600, 100);
        const QTransform t = tiltedAboutX(50, rug.center(), perspectiveDistance(600, 100, 0.55));
        const QPolygonF drawn = t.map(QPolygonF(rug));
        QVERIFY(drawn[1].x() - drawn[0].x() < 600); // the top edge is narrower
        QVERIFY(drawn[2].x() - drawn[3].x() > 600); // the bottom edge is wider
        QVERIFY(drawn[2].y() - drawn[1].y() < 100); // foreshortened
        QCOMPARE(t.map(rug.center()), rug.center());
        // No turn, or no distance, changes nothing.
        QVERIFY(tiltedAboutX(0, QPointF(40, 50), 600).isIdentity());
        QCOMPARE(tiltedAboutX(30, QPointF(0, 0), 0).map(QPointF(10, 10)).x(), 10.0);
    }

    // A design point is a device-independent pixel, and fractional sizes are kept: a 9.5-point
    // label is measured and drawn smaller than a 10-point one and larger than a 9-point one.
    void fontSizesAreDesignPixelsAndKeepFractions_data()
    {
        QTest::addColumn<qreal>("size");
        QTest::newRow("9.5") << 9.5;
        QTest::newRow("12.25") << 12.25;
    }
    void fontSizesAreDesignPixelsAndKeepFractions()
    {
        QFETCH(qreal, size);
        const qreal below = std::floor(size);
        const qreal above = std::ceil(size);
        QCOMPARE(QFontInfo(Units::systemFont(below)).pixelSize(), int(below));
        const auto advance = [](qreal points) {
            return DesignFont::system(points).horizontalAdvance(kLabel);
        };
        QVERIFY(advance(size) > advance(below) && advance(size) < advance(above));
        QVERIFY(labelInk(size).width() > labelInk(below).width());
        QVERIFY(labelInk(size).width() < labelInk(above).width());
        // What is measured is what is drawn, in a box or from a baseline.
        QVERIFY(std::abs(labelInk(size).width() - advance(size)) < 3);
        QVERIFY(std::abs(labelInk(size, true).width() - advance(size)) < 3);
        QVERIFY(std::abs(labelInk(size, true).height() - labelInk(size).height()) <= 1);
        // Shrunk to fit a box that wide, a larger label keeps a size between whole ones.
        FittedText::Options shrink;
        shrink.minimumScale = 0.5;
        const FittedText::Layout fitted = FittedText::fit(kLabel, DesignFont::system(above + 1),
                                                          QSizeF(advance(size), 40), shrink);
        QCOMPARE(fitted.lines, QStringList{kLabel});
        QVERIFY(fitted.font.designPoints() != std::round(fitted.font.designPoints()));
        QVERIFY(fitted.font.horizontalAdvance(kLabel) <= advance(size));
    }

    void panelBackdropShowsTheRoomBehindItsRestingPlaceAndTakesOnePicture()
    {
        BackdropRoom room; // not appeared: 100 points to the right of its place
        VisualEffectView* material = room.backdrop->material();
        QTRY_COMPARE(material->captureCount(), 1);
        // Coming in, the picture is of its resting place, drawn where it was taken: left of the
        // panel's middle, which is over the blue half now, blue shows.
        const QColor moving = room.pixel(QPointF(260, 150));
        QVERIFY2(moving.blue() > 200 && moving.red() < 30, qPrintable(moving.name()));
        room.motion->appear(); // outside a transaction: at rest at once
        // Over the red and blue edge both colours show, blurred together; the panel's own
        // green square is not part of what lies behind it.
        const QColor edge = room.pixel(QPointF(200, 150));
        QVERIFY(edge.red() > 60 && edge.blue() > 60 && edge.green() < 10);
        // Whatever changes behind, the picture stays the one taken.
        room.left->setBrush(Qt::yellow);
        for (int i = 0; i < 3; ++i)
            room.pixel(QPointF(130, 150));
        QCoreApplication::processEvents();
        QCOMPARE(material->captureCount(), 1);
        QCOMPARE(room.pixel(QPointF(130, 150)), QColor(Qt::red));
        // Laid somewhere else, it looks again, once.
        room.panel->setPos(0, 100);
        room.pixel(QPointF(130, 150));
        QTRY_COMPARE(material->captureCount(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(material->captureCount(), 2);
        QCOMPARE(room.pixel(QPointF(50, 150)), QColor(Qt::yellow));
    }
};

PONDSILL_TEST(DrawingTest)
#include "drawing_test.moc"
