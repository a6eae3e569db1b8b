#pragma once

#include "kit/drawing_cache.h"
#include "room/effects/fire_geometry.h"

#include <QGradientStops>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <QTransform>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

// Rows of flames drawn from masks instead of filled outlines. A flame's outline is a
// function of its phase alone and repeats after FireGeometry::flickerPeriod, so each layer
// keeps one mask per phase step, filled the first time a flame reaches that step and blitted
// on every frame after; rasterising the curves anew for every flame of every frame is what
// fire mode would otherwise spend its time on. A step moves an outline by less than a device
// pixel. Each layer is composited as one shape (overlapping neighbours are flame once, not
// twice) and coloured by its gradient, as a filled path of all its flames would be.
//
// A frame is composed once, into an image of device pixels, and drawn untransformed at whole
// device pixels: repainting the same frame (a second exposed part of the row) is one blit.
class FlameSprites {
public:
    struct Layer {
        // The outline at a phase, about the foot at (0, 0), in item points.
        std::function<FireGeometry::FlameShape(double phase)> shapeAt;
        // The gradient runs from y = gradientFrom to y = gradientTo, in item points.
        double gradientFrom = 0;
        double gradientTo = 0;
        QGradientStops stops;
        // Layers whose outlines are the same function of the phase name it alike: all rows
        // of such flames drawn at one scale and baseline fraction share one set of masks,
        // kept while any of them is. Empty: the masks are this row's own.
        QString shapeKey;
    };

    // Layers are drawn in order, each over the previous. Drops every mask.
    void setLayers(QList<Layer> layers);

    // Draws flames whose feet stand on `baseline` at `footX`, flame i with `phaseAt(i)` in
    // every layer, within `band` (item points). `moment` names what the phases are for: the
    // same moment painted again at the same place (the next part of a repaint) lays the
    // frame composed for it down without working the phases out anew.
    void paint(QPainter& painter, const QRectF& band, double baseline, const QList<double>& footX,
               const std::function<double(int)>& phaseAt, double moment);

    // Masks drawn so far, in every layer.
    int maskCount() const;
    // Phase steps of a layer at the device scale last painted.
    int stepCount(int layer) const;

private:
    // The columns [first, last) of a row that hold anything, and within them the run
    // [solidFirst, solidLast) the flame covers whole. Only the coverage of the two edges is
    // kept, the rows' one after another: where a row's starts is the sum of the edges above
    // it, worked out as a frame walks down the rows. A flame's rows are mostly its solid
    // inside, and a fire keeps thousands of masks: the kept bytes are about a third of the
    // columns covered.
    struct Span {
        qint16 first = 0;
        qint16 solidFirst = 0;
        qint16 solidLast = 0;
        qint16 last = 0;
        int kept() const { return (solidFirst - first) + (last - solidLast); }
    };
    // A flame's coverage at one step: of each row only the columns it covers are kept, one
    // row after another (a flame leaves about half of its box empty). The rows' spans and
    // the coverage lie in one block: a frame reaches hundreds of masks scattered over
    // megabytes, and each is fetched from memory in one run.
    struct Mask {
        QPoint origin; // where the box's top-left lies, from the foot's device pixel
        int height = 0;
        int width = 0;
        std::unique_ptr<uchar[]> bytes; // `height` spans, then the coverage; null until drawn
        qsizetype size = 0;
    };
    struct Sheet {
        std::vector<Mask> masks; // one per step, null until first needed
        int drawn = 0;
    };
    // The sheet for a layer at the current scale and baseline fraction: a shared one for a
    // layer with a shape key, else a sheet of its own.
    std::shared_ptr<Sheet> sheetFor(const Layer& layer) const;
    // What a composed frame shows: its device rectangle, its baseline row, and per layer
    // and flame the step shown and the foot's device column.
    struct FrameKey {
        QRect target;
        int baselineRow = 0;
        double scale = 0;
        double baselineFraction = 0;
        double gradientScale = 0;
        double gradientOffset = 0;
        std::vector<int> placements;
        bool operator==(const FrameKey&) const = default;
    };

    void prepare(double deviceScale, double baselineFraction);
    int stepOf(int layer, double phase) const;
    const Mask& mask(int layer, int step);
    // Composes the frame into m_frame unless it already shows it; true when it changed.
    bool compose(const QTransform& device, const QRect& target, int baselineRow,
                 const QList<double>& footX, const std::function<double(int)>& phaseAt);
    void paintTurned(QPainter& painter, const QRectF& band, double baseline,
                     const QList<double>& footX, const std::function<double(int)>& phaseAt,
                     bool composed);
    void paintOutlines(QPainter& painter, double baseline, const QList<double>& footX,
                       const std::function<double(int)>& phaseAt) const;

    QList<Layer> m_layers;
    std::vector<std::shared_ptr<Sheet>> m_sheets; // by layer
    double m_scale = 0;
    double m_baselineFraction = -1;
    FrameKey m_frameKey;
    QImage m_frame;                           // the composed frame, premultiplied
    std::vector<std::vector<QRgb>> m_colours; // each layer's gradient, per row of the frame
    qint64 m_composed = 0;                    // frames composed so far
    DevicePixelsCache m_laidDown;
    // The moment and place the frame was last composed for.
    struct Moment {
        double moment = 0;
        QTransform device;
        QRectF band;
        double baseline = 0;
        bool operator==(const Moment&) const = default;
    };
    std::optional<Moment> m_moment;
    std::vector<const Mask*> m_laying; // the masks of the frame being composed, in order
    std::vector<uchar> m_rowCoverage;  // a row of a mask, its solid run filled in
};
