#include "kit/symbols.h"

#include "kit/icon_theme.h"

#include <QCache>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace Symbols {
namespace {
struct Parsed {
    QString base;
    enum class Frame { None, Disc, Ring } frame = Frame::None;
    bool filled = false; // the ".fill" form of a glyph that has one of its own
};

Parsed parse(const QString& name)
{
    Parsed p;
    QString n = name;
    if (n.endsWith(QLatin1String(".circle.fill"))) {
        p.frame = Parsed::Frame::Disc;
        n.chop(12);
    } else if (n.endsWith(QLatin1String(".circle"))) {
        p.frame = Parsed::Frame::Ring;
        n.chop(7);
    }
    if (n.endsWith(QLatin1String(".fill"))) {
        n.chop(5);
        p.filled = true;
    }
    p.base = n;
    return p;
}

// The room's glyph names and the symbolic icons of the freedesktop theme that show the
// same thing. Glyphs missing here are drawn by hand or as a plain dot.
const QHash<QString, QString>& themeNames()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("xmark"), QStringLiteral("window-close-symbolic")},
        {QStringLiteral("checkmark"), QStringLiteral("object-select-symbolic")},
        {QStringLiteral("plus"), QStringLiteral("list-add-symbolic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("star"), QStringLiteral("starred-symbolic")},
        {QStringLiteral("heart"), QStringLiteral("emote-love-symbolic")},
        {QStringLiteral("folder"), QStringLiteral("folder-symbolic")},
        {QStringLiteral("archivebox"), QStringLiteral("package-x-generic-symbolic")},
        {QStringLiteral("doc"), QStringLiteral("x-office-document-symbolic")},
        {QStringLiteral("doc.text"), QStringLiteral("text-x-generic-symbolic")},
        {QStringLiteral("doc.richtext"), QStringLiteral("x-office-document-symbolic")},
        {QStringLiteral("music.note"), QStringLiteral("emblem-music-symbolic")},
        {QStringLiteral("music.quarternote.3"), QStringLiteral("emblem-music-symbolic")},
        {QStringLiteral("play"), QStringLiteral("media-playback-start-symbolic")},
        {QStringLiteral("pause"), QStringLiteral("media-playback-pause-symbolic")},
        {QStringLiteral("forward"), QStringLiteral("media-skip-forward-symbolic")},
        {QStringLiteral("backward"), QStringLiteral("media-skip-backward-symbolic")},
        {QStringLiteral("house"), QStringLiteral("user-home-symbolic")},
        {QStringLiteral("clock"), QStringLiteral("preferences-system-time-symbolic")},
        {QStringLiteral("calendar"), QStringLiteral("x-office-calendar-symbolic")},
        {QStringLiteral("macwindow"), QStringLiteral("window-maximize-symbolic")},
        {QStringLiteral("desktopcomputer"), QStringLiteral("computer-symbolic")},
        {QStringLiteral("clock.arrow.circlepath"), QStringLiteral("document-open-recent-symbolic")},
        {QStringLiteral("photo"), QStringLiteral("image-x-generic-symbolic")},
        {QStringLiteral("photo.on.rectangle.angled"), QStringLiteral("image-x-generic-symbolic")},
        {QStringLiteral("film"), QStringLiteral("video-x-generic-symbolic")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("system-search-symbolic")},
        {QStringLiteral("globe"), QStringLiteral("web-browser-symbolic")},
        {QStringLiteral("safari"), QStringLiteral("web-browser-symbolic")},
        {QStringLiteral("speaker.wave.2"), QStringLiteral("audio-volume-medium-symbolic")},
        {QStringLiteral("person.crop"), QStringLiteral("avatar-default-symbolic")},
        {QStringLiteral("phone.bubble"), QStringLiteral("call-start-symbolic")},
        {QStringLiteral("tray"), QStringLiteral("folder-download-symbolic")},
        {QStringLiteral("tray.and.arrow.down"), QStringLiteral("folder-download-symbolic")},
        {QStringLiteral("square.and.arrow.down"), QStringLiteral("document-save-symbolic")},
        {QStringLiteral("arrow.up.forward"), QStringLiteral("send-to-symbolic")},
        {QStringLiteral("arrow.up.forward.app"), QStringLiteral("send-to-symbolic")},
        {QStringLiteral("arrow.down"), QStringLiteral("go-down-symbolic")},
        {QStringLiteral("arrowshape.turn.up.backward"),
         QStringLiteral("mail-reply-sender-symbolic")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("view-refresh-symbolic")},
        {QStringLiteral("arrow.down.right.and.arrow.up.left"),
         QStringLiteral("view-restore-symbolic")},
        {QStringLiteral("arrow.down.forward.and.arrow.up.backward"),
         QStringLiteral("view-restore-symbolic")},
        {QStringLiteral("eye.slash"), QStringLiteral("view-conceal-symbolic")},
        {QStringLiteral("app"), QStringLiteral("view-app-grid-symbolic")},
        {QStringLiteral("guitars"), QStringLiteral("emblem-music-symbolic")},
    };
    return names;
}

// A painter's palette in a unit square: a rounded board with a thumb hole opening to its
// lower edge and three wells, shapes bold enough to read at nine pixels. Outlined with
// solid wells, or `filled` with the wells and the hole cut out.
void drawPalette(QPainter& p, const QRectF& r, const QColor& color, bool filled)
{
    const qreal w = r.width();
    auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * w, r.top() + y * w); };
    QPainterPath board;
    board.addEllipse(QRectF(at(0.06, 0.12), at(0.94, 0.88)));
    QPainterPath hole;
    hole.addEllipse(at(0.62, 0.66), 0.1 * w, 0.1 * w);
    hole.addRect(QRectF(at(0.6, 0.66), at(0.64, 0.92)));
    board = board.subtracted(hole);
    QPainterPath wells;
    const qreal well = 0.095 * w;
    for (const QPointF c : {at(0.3, 0.38), at(0.52, 0.29), at(0.74, 0.4), at(0.3, 0.62)})
        wells.addEllipse(c, well, well);
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(board.subtracted(wells));
        return;
    }
    p.setPen(
        QPen(color, std::max(w * 0.09, qreal(0.9)), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(board);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(wells);
}

// The palette drawn pixel by pixel for the two sizes a note's button shows it at (9 points,
// at one and two device pixels a point), where a drawing of curves blurs into a grey disc: a
// board with an arc of wells and the thumb notch at its lower right. '#' is the board's
// outline, 'w' a well; the filled form is the board with the wells and the notch left out.
struct PixelGlyph {
    int size;
    const char* rows;
};
constexpr PixelGlyph kPixelPalettes[] = {
    {9, "..#####.."
        ".#.....#."
        "#..w.w..#"
        "#.w.....#"
        "#.....##."
        "#....#..."
        "#....#..#"
        ".#....##."
        "..####..."},
    {18, "......######......"
         "....##########...."
         "...###......###..."
         "..##..........##.."
         ".##....ww.ww...##."
         ".##....ww.ww...##."
         "##...ww.....ww..##"
         "##...ww.....ww..##"
         "##.............###"
         "##............##.."
         "##...........##..."
         "##..........##...."
         "##..........##..##"
         ".##..........####."
         "..##..........##.."
         "...###......###..."
         "....##########...."
         "......######......"},
};

// Draws the palette of `px` pixels where one is drawn for that size. The filled form is every
// pixel the outline encloses (what cannot be reached from the edge without crossing it),
// but the wells.
bool drawPixelPalette(QImage& image, int px, const QColor& color, bool filled)
{
    const auto* glyph = std::find_if(std::begin(kPixelPalettes), std::end(kPixelPalettes),
                                     [px](const PixelGlyph& g) { return g.size == px; });
    if (glyph == std::end(kPixelPalettes) || image.width() != px || image.height() != px)
        return false;
    const auto at = [glyph, px](int x, int y) { return glyph->rows[y * px + x]; };
    std::vector<bool> outside(size_t(px * px), false);
    if (filled) {
        std::vector<QPoint> open;
        for (int i = 0; i < px; ++i) {
            for (const QPoint edge :
                 {QPoint(i, 0), QPoint(i, px - 1), QPoint(0, i), QPoint(px - 1, i)})
                open.push_back(edge);
        }
        while (!open.empty()) {
            const QPoint q = open.back();
            open.pop_back();
            if (q.x() < 0 || q.y() < 0 || q.x() >= px || q.y() >= px ||
                outside[size_t(q.y() * px + q.x())] || at(q.x(), q.y()) != '.')
                continue;
            outside[size_t(q.y() * px + q.x())] = true;
            for (const QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
                open.push_back(q + step);
        }
    }
    const QRgb ink = qPremultiply(color.rgba());
    for (int y = 0; y < px; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < px; ++x) {
            const char c = at(x, y);
            const bool inked = filled ? c != 'w' && !outside[size_t(y * px + x)] : c != '.';
            if (inked)
                line[x] = ink;
        }
    }
    return true;
}

// Glyphs drawn by hand in a unit square, for a theme that lacks them.
bool drawFallback(QPainter& p, const QString& base, bool filled, const QRectF& r,
                  const QColor& color)
{
    if (base == QLatin1String("paintpalette")) {
        drawPalette(p, r, color, filled);
        return true;
    }
    const qreal w = r.width();
    QPen pen(color, std::max(w * 0.12, qreal(1)), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    auto at = [&](qreal x, qreal y) { return QPointF(r.left() + x * w, r.top() + y * w); };
    p.setBrush(Qt::NoBrush);
    p.setPen(pen);
    if (base == QLatin1String("xmark")) {
        p.drawLine(at(0.22, 0.22), at(0.78, 0.78));
        p.drawLine(at(0.78, 0.22), at(0.22, 0.78));
        return true;
    }
    if (base == QLatin1String("checkmark")) {
        const QPointF points[] = {at(0.18, 0.52), at(0.42, 0.76), at(0.84, 0.26)};
        p.drawPolyline(points, 3);
        return true;
    }
    if (base == QLatin1String("plus")) {
        p.drawLine(at(0.5, 0.18), at(0.5, 0.82));
        p.drawLine(at(0.18, 0.5), at(0.82, 0.5));
        return true;
    }
    if (base == QLatin1String("play")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        const QPointF points[] = {at(0.25, 0.15), at(0.85, 0.5), at(0.25, 0.85)};
        p.drawPolygon(points, 3);
        return true;
    }
    if (base == QLatin1String("pause")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRect(QRectF(at(0.22, 0.15), at(0.42, 0.85)));
        p.drawRect(QRectF(at(0.58, 0.15), at(0.78, 0.85)));
        return true;
    }
    if (base == QLatin1String("flame")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        QPainterPath flame(at(0.5, 0.05));
        flame.cubicTo(at(0.95, 0.45), at(0.85, 0.95), at(0.5, 0.95));
        flame.cubicTo(at(0.15, 0.95), at(0.05, 0.55), at(0.5, 0.05));
        p.drawPath(flame);
        return true;
    }
    if (base == QLatin1String("sparkle")) {
        // A four-pointed star with curved sides.
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        QPainterPath star(at(0.5, 0.02));
        star.quadTo(at(0.56, 0.44), at(0.98, 0.5));
        star.quadTo(at(0.56, 0.56), at(0.5, 0.98));
        star.quadTo(at(0.44, 0.56), at(0.02, 0.5));
        star.quadTo(at(0.44, 0.44), at(0.5, 0.02));
        p.drawPath(star);
        return true;
    }
    if (base == QLatin1String("books.vertical")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRect(QRectF(at(0.12, 0.2), at(0.3, 0.88)));
        p.drawRect(QRectF(at(0.38, 0.12), at(0.56, 0.88)));
        p.save();
        p.translate(at(0.72, 0.88));
        p.rotate(-14);
        p.drawRect(QRectF(-0.09 * w, -0.62 * w, 0.18 * w, 0.62 * w));
        p.restore();
        return true;
    }
    if (base == QLatin1String("bird")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        QPainterPath bird(at(0.06, 0.62));
        bird.cubicTo(at(0.25, 0.42), at(0.5, 0.36), at(0.68, 0.4));
        bird.lineTo(at(0.94, 0.3));
        bird.lineTo(at(0.8, 0.5));
        bird.cubicTo(at(0.72, 0.78), at(0.38, 0.84), at(0.06, 0.62));
        bird.moveTo(at(0.32, 0.48));
        bird.lineTo(at(0.48, 0.12));
        bird.lineTo(at(0.62, 0.44));
        p.drawPath(bird);
        return true;
    }
    if (base == QLatin1String("trophy")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        QPainterPath cup(at(0.25, 0.12));
        cup.lineTo(at(0.75, 0.12));
        cup.cubicTo(at(0.75, 0.5), at(0.6, 0.6), at(0.5, 0.6));
        cup.cubicTo(at(0.4, 0.6), at(0.25, 0.5), at(0.25, 0.12));
        p.drawPath(cup);
        p.drawRect(QRectF(at(0.45, 0.58), at(0.55, 0.78)));
        p.drawRect(QRectF(at(0.3, 0.78), at(0.7, 0.88)));
        return true;
    }
    return false;
}

QImage glyph(const QString& base, bool filled, int px, const QColor& color)
{
    QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    if (base == QLatin1String("paintpalette") && drawPixelPalette(img, px, color, filled))
        return img;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QString theme = themeNames().value(base);
    if (!theme.isEmpty()) {
        IconTheme::ensureLoaded();
        const QIcon icon = QIcon::fromTheme(theme);
        if (!icon.isNull()) {
            const QPixmap pm = icon.pixmap(QSize(px, px));
            if (!pm.isNull()) {
                p.drawPixmap(QRect(0, 0, px, px), pm);
                p.setCompositionMode(QPainter::CompositionMode_SourceIn);
                p.fillRect(img.rect(), color);
                return img;
            }
        }
    }
    if (!drawFallback(p, base, filled, QRectF(0, 0, px, px), color)) {
        // Unknown: a plain dot keeps the layout honest without pretending to be a glyph.
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(px * 0.3, px * 0.3, px * 0.4, px * 0.4));
    }
    return img;
}

QCache<QString, QImage>& cache()
{
    static QCache<QString, QImage> images(256);
    return images;
}
} // namespace

QImage image(const QString& name, int pixelSize, const QColor& color)
{
    const int px = std::clamp(pixelSize, 1, 1024);
    const QString key = name + QLatin1Char('|') + QString::number(px) + QLatin1Char('|') +
                        QString::number(color.rgba64(), 16);
    if (const QImage* hit = cache().object(key))
        return *hit;

    const Parsed parsed = parse(name);
    QImage result;
    if (parsed.frame == Parsed::Frame::None) {
        result = glyph(parsed.base, parsed.filled, px, color);
    } else {
        result = QImage(px, px, QImage::Format_ARGB32_Premultiplied);
        result.fill(Qt::transparent);
        QPainter p(&result);
        p.setRenderHint(QPainter::Antialiasing);
        const int inner = std::max(1, int(std::lround(px * 0.56)));
        const QPoint innerAt((px - inner) / 2, (px - inner) / 2);
        if (parsed.frame == Parsed::Frame::Disc) {
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawEllipse(QRectF(0, 0, px, px));
            // The glyph is cut out of the disc, so whatever lies below shows through.
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.drawImage(innerAt, glyph(parsed.base, parsed.filled, inner, Qt::black));
        } else {
            const qreal line = std::max(px * 0.08, 1.0);
            p.setPen(QPen(color, line));
            p.drawEllipse(QRectF(line / 2, line / 2, px - line, px - line));
            p.drawImage(innerAt, glyph(parsed.base, parsed.filled, inner, color));
        }
    }
    cache().insert(key, new QImage(result));
    return result;
}

void paint(QPainter& painter, const QString& name, const QRectF& rect, const QColor& color)
{
    const qreal side = std::min(rect.width(), rect.height());
    if (!(side > 0))
        return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    const QTransform& world = painter.worldTransform();
    const qreal scale = std::max(std::hypot(world.m11(), world.m12()), qreal(0.01));
    const int px = int(std::ceil(side * dpr * scale));
    QImage img = image(name, px, color);
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, img);
    painter.restore();
}

void paintOnPixelGrid(QPainter& painter, const QString& name, const QRectF& rect,
                      const QColor& color)
{
    const QTransform device = painter.deviceTransform();
    const qreal side = std::min(rect.width(), rect.height());
    if (device.type() > QTransform::TxScale || !(side > 0) ||
        !qFuzzyCompare(std::abs(device.m11()), std::abs(device.m22()))) {
        paint(painter, name, rect, color);
        return;
    }
    // The glyph's box in device pixels, whole: its side rounded, its corner on a pixel.
    const qreal scale = std::abs(device.m11());
    const int px = std::max(1, int(std::lround(side * scale)));
    const QPointF centre = device.map(rect.center());
    const QPoint corner(int(std::lround(centre.x() - px / 2.0)),
                        int(std::lround(centre.y() - px / 2.0)));
    const QImage img = image(name, px, color);
    // Back to the device's own units (its pixel ratio stays), one image pixel to a pixel.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRectF(QPointF(corner) / ratio, QSizeF(px, px) / ratio), img);
    painter.restore();
}

void clearCache()
{
    cache().clear();
}
} // namespace Symbols
