#include "kit/drawing_cache.h"

#include "kit/painting.h"

#include <QCache>
#include <QGraphicsItem>
#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <utility>

void releaseFreedDrawingsSoon()
{
    static bool pending = false;
    if (pending)
        return;
    pending = true;
    QTimer::singleShot(0, [] {
        pending = false;
        ::malloc_trim(0);
    });
}

QImage scratchImage(QSize size, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth == 0)
        return {};
    const qsizetype bytesPerLine = (qsizetype(size.width()) * depth + 31) / 32 * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    // Fresh anonymous pages read as zero (transparent) and take memory only once written.
    void* pages =
        ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED) {
        QImage image(size, format);
        image.fill(0);
        return image;
    }
    return QImage(
        static_cast<uchar*>(pages), size.width(), size.height(), bytesPerLine, format,
        [](void* info) {
            auto* mapped = static_cast<std::pair<void*, size_t>*>(info);
            ::munmap(mapped->first, mapped->second);
            delete mapped;
        },
        new std::pair<void*, size_t>(pages, bytes));
}

namespace {
struct SharedLooks {
    // In bytes: some hundred looks of a note's size on a large screen.
    QCache<QByteArray, QImage> images{24 * 1024 * 1024};
    int renders = 0;
};

SharedLooks& sharedLooks()
{
    static SharedLooks looks;
    return looks;
}
} // namespace

void SharedDrawings::paint(QPainter& painter, const QRectF& area, const QByteArray& look,
                           const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    const QTransform device = painter.deviceTransform();
    if (device.type() > QTransform::TxScale || device.m11() <= 0 || device.m22() <= 0) {
        draw(painter);
        return;
    }
    const QSize pixels(int(std::ceil(area.width() * device.m11())),
                       int(std::ceil(area.height() * device.m22())));
    const qsizetype cost = qsizetype(pixels.width()) * pixels.height() * 4;
    SharedLooks& looks = sharedLooks();
    if (pixels.isEmpty() || cost > looks.images.maxCost() / 8) {
        draw(painter);
        return;
    }
    const QByteArray key =
        look + '|' + QByteArray::number(area.x(), 'g', 17) + ',' +
        QByteArray::number(area.y(), 'g', 17) + ',' + QByteArray::number(area.width(), 'g', 17) +
        ',' + QByteArray::number(area.height(), 'g', 17) + '|' +
        QByteArray::number(device.m11(), 'g', 17) + ',' + QByteArray::number(device.m22(), 'g', 17);
    QImage image;
    if (const QImage* known = looks.images.object(key)) {
        image = *known;
    } else {
        image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const QPainter::RenderHints hints = painter.renderHints();
        drawOnPaintingHelper([&] {
            QPainter p(&image);
            p.setRenderHints(hints);
            p.scale(device.m11(), device.m22());
            p.translate(-area.topLeft());
            draw(p);
        });
        // Set before the picture is shared: a shared image given another ratio is copied.
        image.setDevicePixelRatio(painter.device() ? painter.device()->devicePixelRatioF() : 1);
        looks.images.insert(key, new QImage(image), cost);
        ++looks.renders;
    }
    const QPointF at = device.map(area.topLeft());
    Painting::drawOnDevicePixels(painter, QPoint(qRound(at.x()), qRound(at.y())), image);
}

int SharedDrawings::renderCount()
{
    return sharedLooks().renders;
}

void DrawingCache::paint(QPainter& painter, const QRectF& area, int state,
                         const std::function<void(QPainter&)>& draw)
{
    paint(painter, area, state, Painting::cachePixelRatio(painter), draw);
}

void DrawingCache::paint(QPainter& painter, const QRectF& area, int state, qreal exactRatio,
                         const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    if (area != m_area) {
        m_pixmaps.clear();
        m_area = area;
    }
    const int quarters = std::max(4, int(std::ceil(exactRatio * 4 - 1e-6)));
    const qreal pixelRatio = quarters / 4.0;
    QPixmap& pixmap = m_pixmaps[{state, quarters}];
    if (pixmap.isNull()) {
        QImage image(int(std::ceil(area.width() * pixelRatio)),
                     int(std::ceil(area.height() * pixelRatio)),
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(pixelRatio);
        image.fill(Qt::transparent);
        drawOnPaintingHelper([&] {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.translate(-area.topLeft());
            draw(p);
        });
        pixmap = QPixmap::fromImage(std::move(image), Qt::NoFormatConversion);
        ++m_renders;
    }
    Painting::drawOnNearestPixel(painter, area.topLeft(), pixmap);
}

void DrawingCache::clear()
{
    m_pixmaps.clear();
    m_area = {};
}

namespace {
// The device pixels `area` reaches through `device`, one spare on every side for the edges'
// antialiasing; empty when larger than any screen (a piece seen almost edge on).
QRect pixelsReached(const QTransform& device, const QRectF& area)
{
    const QRect pixels = device.mapRect(area).toAlignedRect().adjusted(-1, -1, 1, 1);
    return pixels.width() > 8192 || pixels.height() > 8192 ? QRect() : pixels;
}
} // namespace

void drawInDevicePixels(QImage& picture, const QPoint& at, const QTransform& device,
                        const QPainter& like, const std::function<void(QPainter&)>& draw)
{
    const QPainter::RenderHints hints = like.renderHints();
    const QFont font = like.font();
    drawOnPaintingHelper([&] {
        QPainter p(&picture);
        p.setRenderHints(hints);
        p.setFont(font);
        p.setTransform(device * QTransform::fromTranslate(-at.x(), -at.y()));
        draw(p);
    });
}

bool DevicePixelsCache::holds(const QTransform& device, const QRectF& area, qint64 state) const
{
    return !m_image.isNull() && device == m_device && area == m_area && state == m_state;
}

bool DevicePixelsCache::startPicture(const QTransform& device, const QRectF& area, qint64 state)
{
    const QRect pixels = pixelsReached(device, area);
    if (pixels.isEmpty()) {
        m_image = QImage(); // drawn as it is
        return false;
    }
    if (m_image.size() != pixels.size())
        m_image = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
    m_device = device;
    m_area = area;
    m_state = state;
    m_origin = pixels.topLeft();
    ++m_renders;
    return true;
}

QTransform DevicePixelsCache::toPixels() const
{
    return m_device * QTransform::fromTranslate(-m_origin.x(), -m_origin.y());
}

void DevicePixelsCache::paint(QPainter& painter, const QRectF& area, qint64 state,
                              const std::function<void(QPainter&)>& draw)
{
    if (area.isEmpty())
        return;
    const QTransform device = painter.deviceTransform();
    if (!holds(device, area, state)) {
        if (!startPicture(device, area, state)) {
            draw(painter);
            return;
        }
        drawInDevicePixels(m_image, m_origin, device, painter, draw);
    }
    Painting::drawOnDevicePixels(painter, m_origin, m_image);
}

void DevicePixelsCache::paintImage(QPainter& painter, const QRectF& area, qint64 state,
                                   const QImage& image)
{
    if (area.isEmpty())
        return;
    const QTransform device = painter.deviceTransform();
    if (!holds(device, area, state)) {
        if (!startPicture(device, area, state)) {
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(area, image);
            painter.restore();
            return;
        }
        // Written through the warp's table into the cache's own pixels, just cleared: no
        // painter is opened on them (a note over the radio is laid anew on every frame).
        m_warp.paint(image, area, toPixels(), m_image);
    }
    Painting::drawOnDevicePixels(painter, m_origin, m_image);
}

namespace {
// x * (256 - a) + y * a on each byte of two premultiplied pixels, a in 0..256, as the
// raster engine interpolates.
inline QRgb mix256(QRgb x, QRgb y, uint a)
{
    const uint b = 256 - a;
    uint t = (x & 0xff00ff) * b + (y & 0xff00ff) * a;
    t = (t >> 8) & 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * b + ((y >> 8) & 0xff00ff) * a;
    return (x & 0xff00ff00) | t;
}
} // namespace

void TransformedImageWarp::paint(const QImage& source, const QRectF& area,
                                 const QTransform& toPixels, QImage& out)
{
    if (source.isNull() || out.isNull() || area.isEmpty() ||
        source.format() != QImage::Format_ARGB32_Premultiplied ||
        out.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const int w = out.width();
    const int h = out.height();
    const int sw = source.width();
    const int sh = source.height();
    bool invertible = false;
    const QTransform toItem = toPixels.inverted(&invertible);
    const double sx = sw / area.width();
    const double sy = sh / area.height();
    // Where the pixel (x, y) of `out` samples the source, in 16.16 fixed point; false where
    // it sees nothing of it. Without perspective (a glyph turned anew on every frame) the
    // place is worked out inline, as QTransform::map works it out, without its dispatch.
    const bool affine = toItem.isAffine();
    const auto sample = [&](int x, int y, std::int32_t& at16x, std::int32_t& at16y) {
        const double fx = x + 0.5;
        const double fy = y + 0.5;
        const QPointF item = affine ? QPointF(toItem.m11() * fx + toItem.m21() * fy + toItem.dx(),
                                              toItem.m12() * fx + toItem.m22() * fy + toItem.dy())
                                    : toItem.map(QPointF(fx, fy));
        // The source pixel's centre lies at its middle: sample half a pixel back.
        const double u = (item.x() - area.left()) * sx;
        const double v = (item.y() - area.top()) * sy;
        if (!(u >= 0 && u <= sw && v >= 0 && v <= sh))
            return false;
        // Both are at least 0: rounded half up, as lround would.
        at16x = std::int32_t(std::clamp(u - 0.5, 0.0, double(sw - 1)) * 65536 + 0.5);
        at16y = std::int32_t(std::clamp(v - 0.5, 0.0, double(sh - 1)) * 65536 + 0.5);
        return true;
    };
    const uchar* bits = source.constBits();
    const qsizetype line = source.bytesPerLine();
    const auto lay = [&](QRgb& pixel, std::int32_t at16x, std::int32_t at16y) {
        const int x0 = at16x >> 16;
        const int y0 = at16y >> 16;
        const int x1 = std::min(x0 + 1, sw - 1);
        const int y1 = std::min(y0 + 1, sh - 1);
        const uint fx = uint(at16x >> 8) & 0xff;
        const uint fy = uint(at16y >> 8) & 0xff;
        const QRgb* top = reinterpret_cast<const QRgb*>(bits + y0 * line);
        const QRgb* bottom = reinterpret_cast<const QRgb*>(bits + y1 * line);
        if ((top[x0] | top[x1] | bottom[x0] | bottom[x1]) == 0)
            return;
        pixel = mix256(mix256(top[x0], top[x1], fx), mix256(bottom[x0], bottom[x1], fx), fy);
    };
    // A transform seen for the first time is laid straight, without a table: one seen
    // again (a row of flames on a tilted piece, frame after frame) gets one then.
    const bool seen = toPixels == m_toPixels && area == m_area && source.size() == m_sourceSize &&
                      out.size() == m_outSize;
    if (!seen) {
        m_toPixels = toPixels;
        m_area = area;
        m_sourceSize = source.size();
        m_outSize = out.size();
        m_x.clear();
        m_y.clear();
    }
    if (!seen && affine && invertible) {
        // The source read in order first: the samples below walk it askew, where the
        // processor cannot see which lines come next, and a picture turned anew on every
        // frame (a note's) is cold each time. (A transform seen again lays a frame just drawn.)
        for (qsizetype at = 0; at < source.sizeInBytes(); at += 64)
            __builtin_prefetch(bits + at);
        for (int y = 0; y < h; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                std::int32_t at16x = 0;
                std::int32_t at16y = 0;
                if (sample(x, y, at16x, at16y))
                    lay(row[x], at16x, at16y);
            }
        }
        return;
    }
    if (m_x.size() != size_t(w) * size_t(h)) {
        // -1 where the pixel sees nothing of the source.
        m_x.assign(size_t(w) * size_t(h), -1);
        m_y.assign(size_t(w) * size_t(h), -1);
        if (invertible) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const size_t at = size_t(y) * size_t(w) + size_t(x);
                    sample(x, y, m_x[at], m_y[at]);
                }
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const std::int32_t* xs = m_x.data() + size_t(y) * size_t(w);
        const std::int32_t* ys = m_y.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            if (xs[x] >= 0)
                lay(row[x], xs[x], ys[x]);
        }
    }
}

void drawOnPaintingHelper(const std::function<void()>& draw)
{
    QThreadPool* helpers = QThreadPool::globalInstance();
    if (!helpers || helpers->contains(QThread::currentThread())) {
        draw();
        return;
    }
    QSemaphore done;
    helpers->start([&] {
        draw();
        done.release();
    });
    done.acquire();
}

void paintFillsWhole(const QGraphicsItem& item, QPainter& painter, const QRectF& area,
                     const std::function<void(QPainter&)>& draw)
{
    QPaintDevice* device = painter.device();
    const QTransform transform = painter.deviceTransform();
    const QRect pixels = pixelsReached(transform, area);
    // Qt fills an item's own cache through a painter on a pixmap, at full opacity and with
    // the default composition.
    if (item.cacheMode() != QGraphicsItem::DeviceCoordinateCache || !device ||
        device->devType() != QInternal::Pixmap || painter.opacity() != 1 ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver || pixels.isEmpty()) {
        draw(painter);
        return;
    }
    QImage picture(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    drawInDevicePixels(picture, pixels.topLeft(), transform, painter, draw);
    Painting::drawOnDevicePixels(painter, pixels.topLeft(), picture);
}
