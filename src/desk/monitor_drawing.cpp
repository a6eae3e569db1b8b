#include "desk/monitor_drawing.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/soft_shadow.h"
#include "kit/symbols.h"
#include "kit/units.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
using MonitorDrawing::kScreen;
using MonitorDrawing::kScreenRadius;

using Colors::greyLevel;
using Painting::drawingPen;
using Painting::verticalGradient;

// A gradient from the top-leading to the bottom-trailing corner with explicit stops.
QLinearGradient diagonal(const QRectF& r, std::initializer_list<std::pair<qreal, QColor>> stops)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    for (const auto& [at, color] : stops)
        g.setColorAt(at, color);
    return g;
}

QPainterPath screenShape(const QRectF& r)
{
    return Painting::continuousRoundedRect(r, kScreenRadius);
}

qreal channel(qreal v)
{
    return std::clamp(v, 0.0, 1.0);
}
} // namespace

namespace MonitorDrawing {
const std::array<QColor, 6>& dockColors()
{
    static const std::array<QColor, 6> colors = {
        Colors::srgb(0.18, 0.55, 0.95), Colors::srgb(0.95, 0.30, 0.25),
        Colors::srgb(0.20, 0.75, 0.45), Colors::srgb(0.98, 0.65, 0.15),
        Colors::srgb(0.60, 0.35, 0.85), Colors::srgb(0.30, 0.75, 0.85)};
    return colors;
}

QRectF dockRect()
{
    const qreal w = 5 + 6 * 4 + 5 * 3 + 5;
    const qreal h = 2 + 4 + 2;
    return QRectF((kScreen.width() - w) / 2, kScreen.height() - 4 - h, w, h);
}

QImage adjustedWallpaper(const QImage& wallpaper)
{
    // Darker and a little more contrast, worked out once for each of the 256 channel values.
    std::array<qreal, 256> contrast{};
    for (int i = 0; i < 256; ++i)
        contrast[size_t(i)] = (i / 255.0 - 0.06 - 0.5) * 1.03 + 0.5;
    // The nearest byte, halves rounded up as std::lround does for these non-negative values.
    const auto toByte = [](qreal v) {
        const qreal whole = std::floor(v);
        return int(whole) + (v - whole >= 0.5 ? 1 : 0);
    };
    QImage image = wallpaper.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            qreal c[3] = {contrast[size_t(qRed(row[x]))], contrast[size_t(qGreen(row[x]))],
                          contrast[size_t(qBlue(row[x]))]};
            // A little less saturated.
            const qreal luma = 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
            for (qreal& v : c)
                v = channel(luma + (v - luma) * 0.97);
            row[x] =
                qRgba(toByte(c[0] * 255), toByte(c[1] * 255), toByte(c[2] * 255), qAlpha(row[x]));
        }
    }
    return image;
}
} // namespace MonitorDrawing

MonitorLayer::MonitorLayer(Kind kind, QGraphicsItem* parent) : QGraphicsItem(parent), m_kind(kind)
{
    setCacheMode(DeviceCoordinateCache);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
}

void MonitorLayer::setWallpaper(const std::optional<QImage>& wallpaper)
{
    m_wallpaper =
        wallpaper ? std::optional(MonitorDrawing::adjustedWallpaper(*wallpaper)) : std::nullopt;
    update();
}

QRectF MonitorLayer::boundingRect() const
{
    if (m_kind == Kind::Body)
        return QRectF(QPointF(), MonitorDrawing::kSize).adjusted(-10, -8, 10, 12);
    return kScreen;
}

void MonitorLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    paintFillsWhole(*this, *painter, boundingRect(), [&](QPainter& p) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        switch (m_kind) {
        case Kind::Body:
            paintBody(p);
            break;
        case Kind::Desktop:
            paintDesktop(p);
            break;
        case Kind::FireAlert:
            paintFireAlert(p);
            break;
        case Kind::Glass:
            paintGlass(p);
            break;
        }
        p.restore();
    });
}

void MonitorLayer::paintBody(QPainter& p)
{
    const QRectF bezel(0, 0, 175, 114);
    const QRectF chin(0, 114, 175, 18);
    const QPainterPath bezelShape = Painting::continuousRoundedRect(bezel, 9);
    QPainterPath head = bezelShape;
    head.addRect(chin);
    m_headShadow.paint(p, head.simplified(), {Colors::black(0.18), 4, QPointF(0, 3)});
    m_bezelShadow.paint(p, bezelShape, {Colors::black(0.28), 6, QPointF(0, 3)});
    p.setPen(Qt::NoPen);
    p.setBrush(greyLevel(0.12));
    p.drawPath(bezelShape);
    p.setBrush(Colors::srgb(0.035, 0.04, 0.045));
    p.drawPath(screenShape(kScreen));

    // The chin and its small mark.
    p.fillRect(chin, verticalGradient(chin, {greyLevel(0.92), greyLevel(0.78)}));
    p.setBrush(Qt::NoBrush);
    p.setPen(drawingPen(Colors::white(0.6), 0.5));
    p.drawRect(chin);
    p.setPen(drawingPen(Colors::black(0.35), 1.2));
    p.drawEllipse(QRectF(chin.center().x() - 3, chin.center().y() - 3, 6, 6));

    // The stand: the neck, then the foot on the bottom edge.
    const QRectF neck(175 / 2.0 - 17, 132, 34, 24);
    m_neckShadow.paint(p,
                       [&neck] {
                           QPainterPath path;
                           path.addRect(neck);
                           return path;
                       }(),
                       {Colors::black(0.18), 2, QPointF(0, 1)});
    p.fillRect(neck, Painting::linearGradient(neck.topLeft(), neck.topRight(),
                                              {greyLevel(0.84), greyLevel(0.68), greyLevel(0.78)}));
    p.fillRect(QRectF(neck.left(), neck.top(), 1, neck.height()), Colors::white(0.55));
    p.fillRect(QRectF(neck.right() - 1, neck.top(), 1, neck.height()), Colors::black(0.22));

    const qreal bottom = 170;
    const QPainterPath footShadow =
        Painting::ellipse(QRectF(175 / 2.0 - 42, bottom - 8 + 2.5, 84, 8));
    m_footShadow.paint(p, footShadow, {Colors::black(0.32), 2.5, {}});
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::black(0.75));
    p.drawPath(Painting::capsule(QRectF(175 / 2.0 - 35, bottom - 3 + 1, 70, 3)));
    const QRectF plate(175 / 2.0 - 36, bottom - 14, 72, 11.5);
    const QRectF lip(plate.left(), plate.bottom(), 72, 2.5);
    const QPainterPath plateShape = Painting::continuousRoundedRect(plate, 2.5);
    p.setBrush(verticalGradient(plate, {greyLevel(0.95), greyLevel(0.84), greyLevel(0.89)}));
    p.drawPath(plateShape);
    p.setBrush(Qt::NoBrush);
    p.setPen(drawingPen(verticalGradient(plate, {Colors::white(0.95), greyLevel(0.75)}), 0.6));
    p.drawPath(plateShape);
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(lip, {greyLevel(0.76), greyLevel(0.6)}));
    p.drawPath(Painting::continuousRoundedRect(lip, 1.5));
}

void MonitorLayer::paintDesktop(QPainter& p)
{
    const QRectF r = kScreen;
    const QPainterPath shape = screenShape(r);
    p.setClipPath(shape);
    if (m_wallpaper && !m_wallpaper->isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(Painting::aspectFillRect(m_wallpaper->size(), r), *m_wallpaper);
    } else {
        p.fillPath(shape, diagonal(r, {{0, Colors::srgb(0.10, 0.18, 0.32)},
                                       {0.5, Colors::srgb(0.16, 0.28, 0.46)},
                                       {1, Colors::srgb(0.28, 0.38, 0.56)}}));
    }
    p.fillPath(shape, Painting::radialGradient(
                          r.center(), 45, 92,
                          {Qt::transparent, Colors::black(0.06), Colors::black(0.18)}));

    // The menu bar's three dots.
    const QColor dots[] = {Colors::srgb(1, 0.23, 0.19, 0.85), Colors::srgb(1, 0.8, 0, 0.85),
                           Colors::srgb(0.2, 0.78, 0.35, 0.85)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(dots[i]);
        p.drawEllipse(QRectF(r.left() + 6 + i * 6.5, r.top() + 5, 3.5, 3.5));
    }

    // The dock.
    const QRectF dock = MonitorDrawing::dockRect().translated(r.topLeft());
    const QPainterPath capsule = Painting::capsule(dock);
    m_dockShadow.paint(p, capsule, {Colors::black(0.25), 1, QPointF(0, 1)});
    p.setBrush(Colors::white(0.22));
    p.drawPath(capsule);
    p.setBrush(Qt::NoBrush);
    p.setPen(drawingPen(Colors::white(0.35), 0.5));
    p.drawPath(capsule);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(MonitorDrawing::dockColors().at(size_t(i)));
        p.drawPath(Painting::continuousRoundedRect(
            QRectF(dock.left() + 5 + i * 7, dock.top() + 2, 4, 4), 1));
    }
}

void MonitorLayer::paintFireAlert(QPainter& p)
{
    const QRectF r = kScreen;
    p.setClipPath(screenShape(r));
    p.fillRect(r, Colors::black(0.8));
    const DesignFont title = DesignFont::system(8.5, QFont::Black);
    const DesignFont subtitle = DesignFont::system(6.5, QFont::Bold);
    const qreal titleHeight = title.height();
    const qreal subtitleHeight = subtitle.height();
    const qreal total = 24 + 3 + titleHeight + 3 + subtitleHeight;
    qreal y = r.center().y() - total / 2;
    Symbols::paint(p, QStringLiteral("flame.fill"), QRectF(r.center().x() - 12, y, 24, 24),
                   Colors::srgb(1, 0.58, 0));
    y += 24 + 3;
    p.setPen(Colors::srgb(1, 0.23, 0.19));
    title.drawText(p, QRectF(r.left(), y, r.width(), titleHeight), Qt::AlignCenter,
                   QStringLiteral("FIRE ALERT"));
    y += titleHeight + 3;
    p.setPen(Colors::srgb(1, 0.8, 0));
    subtitle.drawText(p, QRectF(r.left(), y, r.width(), subtitleHeight), Qt::AlignCenter,
                      QStringLiteral("RUANGAN TERBAKAR"));
}

void MonitorLayer::paintGlass(QPainter& p)
{
    const QRectF r = kScreen;
    const QPainterPath shape = screenShape(r);
    p.setClipPath(shape);

    // Three soft light streaks, drawn once and blurred.
    const qreal dpr = Painting::cachePixelRatio(p);
    if (m_streaks.isNull() || !qFuzzyCompare(m_streaks.devicePixelRatio(), dpr)) {
        QImage streaks(QSize(int(std::ceil(r.width() * dpr)), int(std::ceil(r.height() * dpr))),
                       QImage::Format_ARGB32_Premultiplied);
        streaks.setDevicePixelRatio(dpr);
        streaks.fill(Qt::transparent);
        QPainter s(&streaks);
        s.setRenderHint(QPainter::Antialiasing);
        struct Streak {
            qreal width;
            std::initializer_list<std::pair<qreal, QColor>> stops;
        };
        const Streak list[] = {
            {32,
             {{0, Colors::white(0.30)}, {0.45, Colors::white(0.12)}, {0.9, Colors::white(0.01)}}},
            {16,
             {{0, Colors::white(0.20)}, {0.45, Colors::white(0.08)}, {0.85, Colors::white(0.01)}}},
            {40, {{0, Colors::white(0.10)}, {0.5, Colors::white(0.02)}, {0.8, Qt::transparent}}}};
        qreal x = (r.width() - (32 + 8 + 16 + 8 + 40)) / 2 - 22;
        for (const Streak& streak : list) {
            const QRectF band(-streak.width / 2, -85, streak.width, 170);
            QLinearGradient g(band.topLeft(), band.bottomLeft());
            for (const auto& [at, color] : streak.stops)
                g.setColorAt(at, color);
            s.save();
            s.translate(x + streak.width / 2, r.height() / 2 - 10);
            s.rotate(-32);
            s.fillRect(band, g);
            s.restore();
            x += streak.width + 8;
        }
        s.end();
        m_streaks = SoftShadow::blurred(streaks, 3, Qt::white);
    }
    const int spread = SoftShadow::spread(3);
    p.drawImage(r.topLeft() - QPointF(spread, spread), m_streaks);

    p.fillRect(r, Painting::radialGradient(r.topLeft(), 0, 90,
                                           {Colors::white(0.34), Colors::white(0.15),
                                            Colors::white(0.04), Qt::transparent}));
    p.fillRect(
        r, diagonal(
               r, {{0, Colors::white(0.22)}, {0.3, Colors::white(0.07)}, {0.62, Qt::transparent}}));
    p.fillRect(r, diagonal(r, {{0, Colors::srgb(0.48, 0.35, 0.95, 0.07)},
                               {0.35, Colors::srgb(0.15, 0.70, 0.85, 0.04)},
                               {0.75, Qt::transparent}}));
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(drawingPen(diagonal(r, {{0, Colors::white(0.65)},
                                     {0.25, Colors::white(0.26)},
                                     {0.55, Colors::white(0.05)},
                                     {0.8, Qt::transparent}}),
                        0.85));
    p.drawPath(shape);
}
