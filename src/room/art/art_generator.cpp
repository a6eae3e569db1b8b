// Draws the room's own pictures and writes them into the folder given on the command line;
// the build runs it and compiles what it writes into the program:
//
//   background.pixels, background@2x.jpg  the room (wall, wainscot, floor, the framed cork
//                                       board and the bookshelf's cabinet) at 1440 x 900 and
//                                       twice
//   plaque_quennet.pixels, plaque_tolvane.pixels  the two award plaques on their stands
//   walpaper.pixels                     the computer's desktop picture
//   background.stamp                    a fingerprint of the room's drawing (the digest of
//                                       its pixels at 1440 x 900), which names the pictures
//                                       the program draws for other window sizes and keeps
//                                       on disk, so a changed drawing never shows an old one
//
// The opaque pictures are drawn for JPEG at quality 95 (the flat colours and gradients keep
// clean edges), the plaques for PNG. Those the room shows as it starts are kept as the
// pixels their JPEG or PNG decodes to (kit/picture_pixels.h): the room reads them where they
// lie in the program instead of decoding them, some 12 ms of its start. The sharper twin of
// the room, shown only on a denser screen, stays a JPEG: kept as pixels it would be 20 MB.
//
// The room is the program's own drawing of it (kit/room_picture.h) at 1440 x 900, the one it
// makes at run time for a window of another size. Nothing is random from run to run: the
// speckles and the planks come from a fixed sequence.
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/picture_pixels.h"
#include "kit/room_geometry.h"
#include "kit/room_picture.h"
#include "state/tolvane_colors.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace {
constexpr QSizeF kRoom = RoomPicture::kCarriedSize;
// The plaque frame's width to height.
constexpr qreal kPlaqueAspect = 0.7931034482758621;
constexpr QSizeF kPlaque{276, 348};
constexpr QSizeF kWallpaper{256, 160};

using namespace RoomPicture::Art;

const QColor kWoodLight = woodLight();
const QColor kWood = wood();
const QColor kWoodDark = woodDark();

// --- The logos (the same shapes as the SVG files shipped beside the program) -----------

// In a 100 x 100 box.
void paintQuennetLogo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(TOLVANEColors::electricBlue());
    p.drawEllipse(QPointF(50, 50), 48, 48);
    p.setBrush(Qt::NoBrush);
    QPen ring(TOLVANEColors::cleanWhite(), 12, Qt::SolidLine, Qt::RoundCap);
    p.setPen(ring);
    p.drawEllipse(QPointF(50, 47), 24, 24);
    p.drawLine(QPointF(60, 60), QPointF(75, 77));
    p.setPen(Qt::NoPen);
    p.setBrush(TOLVANEColors::highlighterGreen());
    p.drawEllipse(QPointF(76, 24), 8, 8);
}

void paintTolvaneLogo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(TOLVANEColors::ink());
    p.drawEllipse(QPointF(50, 50), 48, 48);
    p.setBrush(TOLVANEColors::highlighterGreen());
    p.drawRoundedRect(QRectF(24, 25, 52, 13), 3, 3);
    p.drawRoundedRect(QRectF(43.5, 25, 13, 50), 3, 3);
    p.setBrush(TOLVANEColors::pink());
    p.drawEllipse(QPointF(71, 68), 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(TOLVANEColors::cleanWhite(), 2.5));
    p.drawEllipse(QPointF(50, 50), 42, 42);
}

// --- The plaques -------------------------------------------------------------------------

struct PlaqueLook {
    QColor bodyLight, bodyDark;
    QColor trimLight, trimDark;
    std::function<void(QPainter&)> logo;
};

void paintPlaque(QPainter& p, const PlaqueLook& look)
{
    const qreal w = kPlaque.width(), h = kPlaque.height();
    p.setRenderHint(QPainter::Antialiasing);

    // The stand's contact shadow and the stand: a block with a bevelled top.
    p.setPen(Qt::NoPen);
    QPainterPath contact;
    contact.addEllipse(QRectF(18, h - 16, w - 36, 14));
    softShadow(p, contact, Colors::black(0.45), 6, {});
    const QRectF stand(26, h - 52, w - 52, 42);
    const QRectF standTop(stand.left() + 8, stand.top() - 10, stand.width() - 16, 12);
    p.setBrush(vertical(standTop, {shade(kWoodLight, 1.2), kWoodLight}));
    p.drawPath(Painting::continuousRoundedRect(standTop, 3));
    p.setBrush(vertical(stand, {kWood, kWoodDark, shade(kWoodDark, 0.7)}));
    p.drawPath(Painting::continuousRoundedRect(stand, 5));
    p.setBrush(Colors::white(0.18));
    p.drawRect(QRectF(stand.left() + 4, stand.top() + 1, stand.width() - 8, 1.5));

    // The plaque: an arched top, straight sides, set into the stand.
    const QRectF body(40, 10, w - 80, h - 64);
    QPainterPath shape;
    const qreal arch = 46;
    shape.moveTo(body.left(), body.bottom());
    shape.lineTo(body.left(), body.top() + arch);
    shape.cubicTo(body.left(), body.top() + 8, body.center().x() - 40, body.top(),
                  body.center().x(), body.top());
    shape.cubicTo(body.center().x() + 40, body.top(), body.right(), body.top() + 8, body.right(),
                  body.top() + arch);
    shape.lineTo(body.right(), body.bottom());
    shape.closeSubpath();
    softShadow(p, shape, Colors::black(0.4), 6, QPointF(0, 3));
    p.setBrush(Painting::linearGradient(body.topLeft(), body.bottomRight(),
                                        {look.bodyLight, look.bodyDark}));
    p.drawPath(shape);
    // The gilt trim: an outer band and an inner line.
    const QLinearGradient gilt =
        Painting::linearGradient(body.topLeft(), body.bottomRight(),
                                 {look.trimLight, look.trimDark, look.trimLight, look.trimDark});
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(gilt), 6));
    p.drawPath(shape);
    QTransform inset;
    inset.translate(body.center().x(), body.center().y());
    inset.scale((body.width() - 24) / body.width(), (body.height() - 24) / body.height());
    inset.translate(-body.center().x(), -body.center().y());
    p.setPen(QPen(QBrush(gilt), 1.6));
    p.drawPath(inset.map(shape));

    // The medallion with the logo.
    const QPointF centre(w / 2, body.top() + 86);
    const qreal radius = 58;
    p.setPen(Qt::NoPen);
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    softShadow(p, disc, Colors::black(0.45), 4, QPointF(0, 2));
    p.setBrush(Painting::linearGradient(centre - QPointF(radius, radius),
                                        centre + QPointF(radius, radius),
                                        {look.trimLight, look.trimDark, look.trimLight}));
    p.drawPath(disc);
    p.setBrush(Painting::linearGradient(centre + QPointF(radius, radius),
                                        centre - QPointF(radius, radius),
                                        {look.trimLight, look.trimDark}));
    p.drawEllipse(centre, radius - 5, radius - 5);
    p.save();
    p.translate(centre - QPointF(radius - 9, radius - 9));
    p.scale((radius - 9) * 2 / 100, (radius - 9) * 2 / 100);
    look.logo(p);
    p.restore();

    // The engraved plate: three lines of lettering, each cut dark with a lit lower edge.
    const QRectF plate(w / 2 - 70, body.top() + 168, 140, 72);
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::black(0.35));
    p.drawPath(Painting::continuousRoundedRect(plate.translated(0, 1.5), 4));
    p.setBrush(
        Painting::linearGradient(plate.topLeft(), plate.bottomRight(),
                                 {shade(look.trimLight, 1.05), look.trimDark, look.trimLight}));
    p.drawPath(Painting::continuousRoundedRect(plate, 4));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Colors::black(0.3), 1));
    p.drawPath(Painting::continuousRoundedRect(plate.adjusted(5, 5, -5, -5), 2));
    p.setPen(Qt::NoPen);
    const QColor cut = rgb(0.22, 0.14, 0.06, 0.7);
    const QColor lit = Colors::white(0.45);
    struct Line {
        qreal y, width, height;
    };
    for (const Line& line : {Line{plate.top() + 17, 92, 7}, Line{plate.top() + 33, 70, 4.5},
                             Line{plate.top() + 45, 82, 3.5}, Line{plate.top() + 55, 44, 3.5}}) {
        const QRectF bar(w / 2 - line.width / 2, line.y, line.width, line.height);
        p.setBrush(lit);
        p.drawPath(Painting::continuousRoundedRect(bar.translated(0, 1), line.height / 2));
        p.setBrush(cut);
        p.drawPath(Painting::continuousRoundedRect(bar, line.height / 2));
    }
    // Two small stars beside the title.
    for (const qreal x : {plate.left() + 14, plate.right() - 14}) {
        QPainterPath star;
        for (int i = 0; i < 10; ++i) {
            const qreal angle = M_PI / 2 + i * M_PI / 5;
            const qreal r = i % 2 == 0 ? 5 : 2.2;
            const QPointF pt(x + r * std::cos(angle), plate.top() + 20.5 - r * std::sin(angle));
            i == 0 ? star.moveTo(pt) : star.lineTo(pt);
        }
        star.closeSubpath();
        p.setBrush(cut);
        p.drawPath(star);
    }

    // A gloss across the upper left of the plaque.
    QPainterPath gloss;
    gloss.moveTo(body.left() + 6, body.top() + arch);
    gloss.cubicTo(body.left() + 6, body.top() + 14, body.center().x() - 34, body.top() + 6,
                  body.center().x(), body.top() + 6);
    gloss.lineTo(body.left() + 6, body.top() + 150);
    gloss.closeSubpath();
    p.setBrush(Painting::linearGradient(body.topLeft(), body.center(),
                                        {Colors::white(0.22), Colors::white(0.0)}));
    p.drawPath(gloss);
}

// --- The computer's desktop picture -----------------------------------------------------

void paintWallpaper(QPainter& p)
{
    const qreal w = kWallpaper.width(), h = kWallpaper.height();
    const QRectF all(0, 0, w, h);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(all, vertical(all, {TOLVANEColors::nightNavy(), rgb(0.07, 0.05, 0.42),
                                   TOLVANEColors::electricBlue()}));
    // A warm glow low on the right, a green one high on the left.
    p.fillRect(all, Painting::radialGradient(QPointF(0.78 * w, 0.82 * h), 0, 0.6 * w,
                                             {Colors::withOpacity(TOLVANEColors::pink(), 0.55),
                                              Colors::withOpacity(TOLVANEColors::pink(), 0.0)}));
    p.fillRect(all, Painting::radialGradient(
                        QPointF(0.15 * w, 0.2 * h), 0, 0.45 * w,
                        {Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.22),
                         Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.0)}));
    // Small stars in the dark upper half.
    Sequence stars(99);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        p.setBrush(Colors::white(stars.between(0.25, 0.8)));
        const qreal r = stars.between(0.4, 1.1);
        p.drawEllipse(QPointF(stars.next() * w, stars.next() * 0.5 * h), r, r);
    }
    // Rolling waves, back to front.
    struct Wave {
        qreal base, amplitude, length, phase;
        QColor top, bottom;
    };
    const Wave waves[] = {
        {0.58, 10, 0.9, 0.3, rgb(0.2, 0.17, 0.85, 0.85), rgb(0.1, 0.07, 0.6, 0.9)},
        {0.7, 12, 0.7, 1.9, rgb(0.55, 0.15, 0.85, 0.8), rgb(0.2, 0.08, 0.55, 0.9)},
        {0.82, 9, 1.1, 4.0, rgb(0.07, 0.05, 0.3), TOLVANEColors::nightNavy()},
    };
    for (const Wave& wave : waves) {
        QPainterPath path;
        path.moveTo(0, h);
        for (int x = 0; x <= int(w); x += 4) {
            const qreal y =
                wave.base * h +
                wave.amplitude * std::sin(x / (wave.length * w) * 2 * M_PI + wave.phase);
            path.lineTo(x, y);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        const QRectF r(0, wave.base * h - wave.amplitude, w, h);
        p.fillPath(path, vertical(r, {wave.top, wave.bottom}));
    }
    // A bright line riding the middle wave.
    QPainterPath line;
    for (int x = 0; x <= int(w); x += 4) {
        const qreal y = 0.64 * h + 11 * std::sin(x / (0.8 * w) * 2 * M_PI + 1.2);
        x == 0 ? line.moveTo(x, y) : line.lineTo(x, y);
    }
    p.strokePath(line, QPen(Colors::withOpacity(TOLVANEColors::highlighterGreen(), 0.8), 1.6));
    p.strokePath(line.translated(0, 5), QPen(Colors::white(0.25), 0.8));
}

// Writes the picture `draw` paints at `size` times `scale` as `name`: a ".jpg" or ".png" file,
// or for a ".pixels" name the pixels its JPEG (opaque) or PNG decodes to.
bool write(const QString& folder, const QString& name, QSizeF size, qreal scale,
           const std::function<void(QPainter&)>& draw, bool opaque = true)
{
    QImage image((size * scale).toSize(),
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.scale(scale, scale);
        draw(p);
    }
    const bool pixels = name.endsWith(QLatin1String(".pixels"));
    const bool jpeg = pixels ? opaque : name.endsWith(QLatin1String(".jpg"));
    const char* format = jpeg ? "jpg" : "png";
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, format, jpeg ? 95 : -1))
            encoded.clear();
    }
    QByteArray bytes = encoded;
    if (pixels && !encoded.isEmpty()) {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        bytes = PicturePixels::encode(reader.read());
    }
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}
bool writeStamp(const QString& folder, const QString& name, const QImage& picture)
{
    const QByteArray digest =
        QCryptographicHash::hash(PicturePixels::encode(picture), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(digest) != digest.size() || !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    // The palette and the shadows need no display; nothing here draws text.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString out = args.at(1);
    QDir().mkpath(out);
    static_assert(kPlaque.width() / kPlaque.height() > kPlaqueAspect - 0.001 &&
                  kPlaque.width() / kPlaque.height() < kPlaqueAspect + 0.001);

    const PlaqueLook quennet{rgb(0.55, 0.33, 0.18), rgb(0.28, 0.15, 0.07), rgb(0.98, 0.85, 0.5),
                             rgb(0.7, 0.5, 0.2), paintQuennetLogo};
    const PlaqueLook tolvane{rgb(0.16, 0.14, 0.3), TOLVANEColors::nightNavy(),
                             rgb(0.96, 0.88, 0.62), rgb(0.66, 0.52, 0.26), paintTolvaneLogo};
    bool ok = true;
    const auto paintRoom = [](QPainter& p) { RoomPicture::paint(p, RoomGeometry(kRoom)); };
    ok &= write(out, QStringLiteral("background.pixels"), kRoom, 1, paintRoom);
    ok &= write(out, QStringLiteral("background@2x.jpg"), kRoom, 2, paintRoom);
    ok &= writeStamp(out, QStringLiteral("background.stamp"), RoomPicture::draw(kRoom, 1));
    ok &= write(
        out, QStringLiteral("plaque_quennet.pixels"), kPlaque, 1,
        [&](QPainter& p) { paintPlaque(p, quennet); }, false);
    ok &= write(
        out, QStringLiteral("plaque_tolvane.pixels"), kPlaque, 1,
        [&](QPainter& p) { paintPlaque(p, tolvane); }, false);
    ok &= write(out, QStringLiteral("walpaper.pixels"), kWallpaper, 2, paintWallpaper);
    return ok ? 0 : 1;
}
