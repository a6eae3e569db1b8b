#include "room/theme_background_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "kit/room_picture.h"
#include "platform/background_work.h"
#include "room/asset_loader.h"
#include "state/tolvane_colors.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

ThemeBackgroundView::ThemeBackgroundView(RoomTheme theme, AssetLoader& assets,
                                         QGraphicsItem* parent)
    : RoomItem(parent), m_theme(theme), m_assets(assets)
{
}

void ThemeBackgroundView::setTheme(RoomTheme theme)
{
    m_theme = theme;
    m_picture = QImage();
    if (!m_storeGiven)
        m_store.reset();
    update();
}

void ThemeBackgroundView::setPictureStore(const RoomPictureStore& store)
{
    m_store = store;
    m_storeGiven = true;
    m_picture = QImage();
    update();
}

const RoomPictureStore& ThemeBackgroundView::store()
{
    if (!m_store)
        m_store = RoomPictureStore::standard(m_theme.backgroundImageName());
    return *m_store;
}

bool ThemeBackgroundView::showsPictureForSize() const
{
    return !m_wanted || (*m_wanted == m_sizedKey && !m_sized.isNull()) || *m_wanted == m_failed;
}

std::optional<ThemeBackgroundView::SizedKey> ThemeBackgroundView::sizedKey(qreal ratio) const
{
    const QSizeF room = size();
    if (room.isEmpty() || ratio <= 0 ||
        (room == RoomPicture::kCarriedSize && (ratio == 1 || ratio == 2)))
        return std::nullopt;
    const QString name = m_theme.backgroundImageName();
    // Only the room's own drawing is drawn again; a picture of any other kind is scaled.
    if (!m_assets.image(name) || RoomPictureStore::carriedStamp(name).isEmpty())
        return std::nullopt;
    return SizedKey{room, ratio, m_theme.id()};
}

const QImage* ThemeBackgroundView::pictureFor(const SizedKey& key)
{
    m_wanted = key;
    if (!m_sized.isNull() && m_sizedKey == key)
        return &m_sized;
    if (QImage kept = store().load(key.theme, key.room, key.ratio); !kept.isNull()) {
        m_sized = std::move(kept);
        m_sizedKey = key;
        return &m_sized;
    }
    // A size whose picture could not be made (no memory for it) keeps the stand-in.
    if (m_failed != key)
        drawInBackground(key);
    return nullptr;
}

void ThemeBackgroundView::drawInBackground(const SizedKey& key)
{
    // One drawing at a time: a window resized again meanwhile asks for its own size once
    // this one is done.
    if (m_drawing)
        return;
    m_drawing = true;
    auto* watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, key] {
        QImage drawn = watcher->result();
        watcher->deleteLater();
        m_drawing = false;
        if (!m_wanted)
            return;
        if (*m_wanted == key && !drawn.isNull()) {
            m_sized = std::move(drawn);
            m_sizedKey = key;
        } else if (drawn.isNull()) {
            m_failed = key;
        }
        // Laid again at the next paint, which asks for the size wanted now.
        m_picture = QImage();
        update();
        if (*m_wanted == key)
            Q_EMIT pictureForSizeShown();
    });
    // Started once the paint that asked for it is over, so the first frame shares no
    // processor time nor Qt's painting helper with it.
    QTimer::singleShot(0, watcher, [watcher, kept = store(), key] {
        watcher->setFuture(QtConcurrent::run(BackgroundWork::pool(), [kept, key] {
            QImage picture = RoomPicture::draw(key.room, key.ratio);
            picture.setDevicePixelRatio(1);
            kept.store(key.theme, key.room, key.ratio, picture);
            return picture;
        }));
    });
}

QColor ThemeBackgroundView::brown(qreal opacity)
{
    return Colors::srgb(0.32, 0.2, 0.12, opacity);
}

ThemeBackgroundView::FallbackRoom ThemeBackgroundView::fallbackRoom(QSizeF size)
{
    const qreal W = std::max(size.width(), qreal(0));
    const qreal H = std::max(size.height(), qreal(0));
    FallbackRoom room;

    // The wall: its contents sit on its bottom edge.
    room.wall = QRectF(0, 0, W, 0.72 * H);
    const int stripes = int(std::floor(W / 36)) + 2;
    const qreal rowWidth = stripes * 36.0;
    const qreal firstX = (W - rowWidth) / 2; // overhangs both edges equally
    for (int i = 0; i < stripes; ++i)
        room.stripes.append(QRectF(firstX + 36.0 * i, 0, 36, room.wall.height()));
    const qreal wainscotHeight = 0.36 * room.wall.height();
    room.wainscot = QRectF(0, room.wall.bottom() - wainscotHeight, W, wainscotHeight);
    room.rail = QRectF(0, room.wainscot.top() - 14, W, 14);

    const int panels = int(std::floor(W / 160)) + 1;
    const qreal rowInner = W - 40 - 24.0 * (panels - 1);
    const qreal panelWidth = std::max(rowInner / panels, qreal(0));
    const qreal panelHeight = std::max(wainscotHeight - 28, qreal(0));
    for (int i = 0; i < panels; ++i) {
        room.panels.append(
            QRectF(20 + i * (panelWidth + 24), room.wainscot.top() + 14, panelWidth, panelHeight));
    }

    // The floor, directly below the wall down to the bottom edge.
    room.floor = QRectF(0, room.wall.bottom(), W, H - room.wall.bottom());
    room.shadowLine = QRectF(0, room.floor.top(), W, 3);
    room.boards = QRectF(0, room.floor.top() + 3, W, std::max(room.floor.height() - 3, 0.0));
    const int seams = int(std::floor(0.28 * H / 28)) + 1;
    const qreal column = seams * 1.5 + (seams - 1) * 28.0;
    const qreal firstY = room.boards.top() + (room.boards.height() - column) / 2;
    for (int i = 0; i < seams; ++i)
        room.seams.append(QRectF(0, firstY + i * 29.5, W, 1.5));

    return room;
}

void ThemeBackgroundView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget* widget)
{
    const QRectF r = rect();
    if (r.isEmpty())
        return;
    // Redrawn only when the size, the theme or the view's scale changes; the room above it
    // moves freely. A picture kept with an alpha channel (as Qt keeps an item's cache) would
    // be blended into every repaint, row range by row range on other threads; an opaque one
    // is copied. As Qt's cache, it is kept only for a view: a picture of the scene made
    // outside one (a grab of part of it) draws the room straight, with its own hints.
    const QTransform device = painter->deviceTransform();
    const QRect pixels = device.mapRect(r).toAlignedRect();
    const QPainter::RenderHints hints = painter->renderHints();
    if (!widget || device.type() > QTransform::TxScale || pixels.width() > 16384 ||
        pixels.height() > 16384) {
        paintRoom(*painter);
        return;
    }
    if (m_picture.isNull() || device != m_pictureDevice || r != m_pictureRect ||
        hints != m_pictureHints) {
        QImage picture = pictureLyingWhole(device, pixels);
        if (picture.isNull()) {
            picture = QImage(pixels.size(), QImage::Format_RGB32);
            drawInDevicePixels(picture, pixels.topLeft(), device, *painter,
                               [this](QPainter& p) { paintRoom(p); });
        }
        m_picture = std::move(picture);
        m_pictureDevice = device;
        m_pictureRect = r;
        m_pictureHints = hints;
        m_pictureAt = pixels.topLeft();
    }
    Painting::drawOnDevicePixels(*painter, m_pictureAt, m_picture);
}

QImage ThemeBackgroundView::pictureLyingWhole(const QTransform& device, const QRect& pixels)
{
    // The room's own drawing for this size, when its pixels are the device's.
    if (const auto key = sizedKey(device.m11());
        key && device.type() <= QTransform::TxScale && device.m11() == device.m22()) {
        const QImage* sized = pictureFor(*key);
        if (sized && sized->size() == pixels.size() && device.mapRect(rect()) == QRectF(pixels))
            return *sized;
        return {};
    }
    m_wanted.reset();
    // Only a plain shift keeps the picture's pixels on the device's.
    if (device.type() > QTransform::TxTranslate)
        return {};
    const auto image = m_assets.image(m_theme.backgroundImageName());
    if (!image || image->format() != QImage::Format_RGB32 || image->size() != pixels.size() ||
        image->devicePixelRatio() != 1)
        return {};
    const QRectF target = Painting::aspectFillRect(image->deviceIndependentSize(), rect());
    return device.mapRect(target) == QRectF(pixels) ? *image : QImage();
}

void ThemeBackgroundView::paintRoom(QPainter& p) const
{
    const QRectF r = rect();
    // The bottom of the room: the view paints nothing under it.
    p.fillRect(r, Qt::black);
    const QString name = m_theme.backgroundImageName();
    if (const auto image = m_assets.image(name); image && !image->isNull()) {
        // The room drawn for this size when it has come, whatever the pixel ratio.
        if (!m_sized.isNull() && m_sizedKey.room == r.size() && m_sizedKey.theme == m_theme.id()) {
            p.save();
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(r, m_sized);
            p.restore();
            return;
        }
        // Scaled to fill, keeping its proportions, and cut to the window.
        const QRectF target = Painting::aspectFillRect(image->deviceIndependentSize(), r);
        QImage picture = *image;
        // A window with more pixels than the picture takes its sharper twin when one ships.
        if (target.width() * Painting::cachePixelRatio(p) > image->width() * 1.05) {
            if (const auto sharper = m_assets.image(name + QStringLiteral("@2x"));
                sharper && !sharper->isNull())
                picture = *sharper;
        }
        p.save();
        p.setClipRect(r);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, picture);
        p.restore();
        return;
    }
    paintFallback(p);
}

void ThemeBackgroundView::paintFallback(QPainter& p) const
{
    const FallbackRoom room = fallbackRoom(size());
    p.save();
    p.setPen(Qt::NoPen);

    p.save();
    p.setClipRect(room.wall);
    p.fillRect(room.wall, TOLVANEColors::electricBlue());
    const QColor navy = Colors::withOpacity(TOLVANEColors::nightNavy(), 0.35);
    for (int i = 0; i < room.stripes.size(); i += 2)
        p.fillRect(room.stripes.at(i), navy);
    // The rail's shadow falls on the wall; the wainscot covers what falls below it.
    QPainterPath rail;
    rail.addRect(room.rail);
    ShapeShadow shadow;
    shadow.paint(p, rail, ShadowStyle{Colors::black(0.35), 3, QPointF(0, 2)});
    p.fillRect(room.rail, brown(0.95));
    p.fillRect(room.wainscot, brown());
    p.setRenderHint(QPainter::Antialiasing);
    for (const QRectF& panel : room.panels) {
        const QPainterPath shape = Painting::continuousRoundedRect(panel, 6);
        p.fillPath(shape, brown(0.85));
        p.strokePath(shape, QPen(Colors::black(0.25), 3));
    }
    p.restore();

    p.save();
    p.setClipRect(room.floor);
    p.fillRect(room.shadowLine, Colors::black(0.3));
    p.fillRect(room.boards, Colors::srgb(0.71, 0.52, 0.34));
    for (const QRectF& seam : room.seams)
        p.fillRect(seam, Colors::black(0.18));
    p.restore();
    p.restore();
}
