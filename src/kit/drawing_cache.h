#pragma once

#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QGraphicsItem;
class QPainter;

// A still drawing kept as pixmaps: one per look (`state`, any number the view chooses) and
// pixel ratio at the current area. A look is drawn once and blitted afterwards; a new area
// (a resize) drops them all. The ratio is rounded up to a quarter, so an item that scales
// a little as it moves is drawn once for each end, not on every frame.
class DrawingCache {
public:
    // Paints `area` (item coordinates, shadows and overhang included) for `state`, calling
    // `draw` with a painter in item coordinates when the pixmap is missing.
    void paint(QPainter& painter, const QRectF& area, int state,
               const std::function<void(QPainter&)>& draw);
    // The same at a pixel ratio of the caller's choosing: for a layer drawn through a
    // transform that changes every frame (a tilt in perspective).
    void paint(QPainter& painter, const QRectF& area, int state, qreal pixelRatio,
               const std::function<void(QPainter&)>& draw);
    void clear();

    // How many pixmaps were drawn, for tests.
    int renderCount() const { return m_renders; }

private:
    QRectF m_area;
    std::map<std::pair<int, int>, QPixmap> m_pixmaps; // by state and ratio in quarters
    int m_renders = 0;
};

// An image laid through a transform that can turn it or show it in perspective, resampled
// as the raster engine's smooth transform does (bilinear), into an image of device pixels.
// Where each device pixel samples the source is worked out once per transform and size, so
// laying a new image of the same size through the same transform (a new frame of flames
// on a rug that lies still) is a lookup and a blend of four pixels per device pixel, with
// no projective arithmetic and no hand-off to other threads. A turn without perspective
// seen for the first time (a note tilted anew on every frame) is laid straight, without
// writing that table: it is kept only for a transform seen twice running.
class TransformedImageWarp {
public:
    // Writes `source`, stretched over `area` (item coordinates) and seen through `toPixels`
    // (item coordinates to the pixels of `out`), into `out`; pixels of `out` that see
    // nothing of the source are left as they are.
    void paint(const QImage& source, const QRectF& area, const QTransform& toPixels, QImage& out);

private:
    QTransform m_toPixels;
    QRectF m_area;
    QSize m_sourceSize;
    QSize m_outSize;
    // Per pixel of `out`, the source position sampled in 16.16 fixed point, or -1.
    std::vector<std::int32_t> m_x;
    std::vector<std::int32_t> m_y;
};

// A still drawing kept in device pixels for the painter's whole device transform, turns
// and perspective included: drawn again only when that transform, the area or `state`
// changes, and otherwise one untransformed blit at whole device pixels. For what sits under
// a transform the raster engine would otherwise resample on every paint (a piece lying on
// the floor in perspective), and for a picture that several exposed parts of one frame
// share.
class DevicePixelsCache {
public:
    // Paints `area` (item coordinates, overhang included) as `draw` paints it through the
    // painter's transform, with the painter's render hints.
    void paint(QPainter& painter, const QRectF& area, qint64 state,
               const std::function<void(QPainter&)>& draw);
    // Paints `image` stretched over `area` through the painter's transform, resampled as
    // the smooth transform does; `state` names what the image shows (a new frame).
    void paintImage(QPainter& painter, const QRectF& area, qint64 state, const QImage& image);

    int renderCount() const { return m_renders; }
    // Lets the pixels go; the next paint draws them anew.
    void clear() { m_image = QImage(); }

private:
    // True when the pixels kept are those of `area` at `state` through `device`.
    bool holds(const QTransform& device, const QRectF& area, qint64 state) const;
    // Clears the pixels for a new picture and notes what it shows; false when the picture
    // would be larger than any screen (then nothing is kept).
    bool startPicture(const QTransform& device, const QRectF& area, qint64 state);
    // From the item's coordinates to the kept pixels.
    QTransform toPixels() const;

    TransformedImageWarp m_warp;
    QImage m_image;
    QTransform m_device;
    QRectF m_area;
    qint64 m_state = 0;
    QPoint m_origin;
    int m_renders = 0;
};

// Still drawings that many views show alike (the paper of a pile of notes: one look for
// each colour, pattern and height), kept once for the whole program in a bounded cache
// instead of once per view. A look is drawn at the painter's scale and laid on whole device
// pixels; through a painter that turns or shears it, it is drawn straight.
namespace SharedDrawings {
// Paints `area` (item coordinates, shadows included) as `draw` paints it. `look` names
// everything the drawing shows apart from the area and the scale.
void paint(QPainter& painter, const QRectF& area, const QByteArray& look,
           const std::function<void(QPainter&)>& draw);
// How many drawings were made, for tests.
int renderCount();
} // namespace SharedDrawings

// Hands the memory that drawings dropped a moment ago freed back to the system, once the
// event loop has nothing else to do: a drawing made of many small pieces (the masks of a
// fire's flames) leaves the heap full of free blocks the allocator would otherwise keep
// for the rest of the run. Any number of calls before then release once.
void releaseFreedDrawingsSoon();

// A transparent image of `size` on memory of its own: only the rows drawn on take memory,
// and all of it goes back to the system the moment the last copy of the image goes,
// whatever the heap keeps. For a large scratch picture drawn on a part at a time.
QImage scratchImage(QSize size, QImage::Format format);

// Runs `draw` where Qt's raster engine draws each fill whole, and waits for it: on the
// engine's own helper thread (Qt's global thread pool). On any other thread the engine hands
// every fill of a hundred rows or so to that pool in pieces and waits for each, and a drawing
// made of many large fills (a guitar, a plant) costs more in those hand-overs than in the
// drawing. `draw` must draw only into images it owns or is handed, never into pixmaps or
// widgets. It may read the calling thread's objects, since that thread waits meanwhile, but
// must not make them emit, post or start timers. A pixmap made and dropped on the way (a theme
// icon's, for a symbol) is fine: Qt's raster pixmaps are images, and its pixmap cache only
// misses off the GUI thread. Called on the helper thread itself, it draws in place.
void drawOnPaintingHelper(const std::function<void()>& draw);

// Draws what `draw` paints through `device` (a painter's whole device transform) into
// `picture`, whose top-left corner lies on the device pixel `at`, with the render hints and
// font of `like`, on the painting helper. `draw` follows the rules of drawOnPaintingHelper.
void drawInDevicePixels(QImage& picture, const QPoint& at, const QTransform& device,
                        const QPainter& like, const std::function<void(QPainter&)>& draw);

// Paints `item` as `draw` paints it (item coordinates, `area` with overhang included),
// through the painter's transform. An item kept in device pixels by Qt
// (DeviceCoordinateCache) is painted into a pixmap of its own, clear to begin with: there
// the drawing is made on the painting helper into a clear picture of device pixels, and the
// picture is laid over the pixmap, the same pixels with each fill drawn whole. Anywhere else
// it is drawn straight: a finished picture laid over something already drawn could round a
// translucent pixel differently. `draw` follows the rules of drawOnPaintingHelper.
void paintFillsWhole(const QGraphicsItem& item, QPainter& painter, const QRectF& area,
                     const std::function<void(QPainter&)>& draw);
