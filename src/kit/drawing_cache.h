#pragma once

#include <QPixmap>
#include <QRectF>

#include <functional>
#include <map>

class QPainter;

// A still drawing kept as pixmaps: one per look (`state`, any number the view chooses) at
// the current area and pixel ratio. A look is drawn once and blitted afterwards; a new
// area or pixel ratio (a resize, another screen, a scaled parent) drops them all.
class DrawingCache {
public:
    // Paints `area` (item coordinates, shadows and overhang included) for `state`, calling
    // `draw` with a painter in item coordinates when the pixmap is missing.
    void paint(QPainter& painter, const QRectF& area, int state,
               const std::function<void(QPainter&)>& draw);
    void clear();

    // How many pixmaps were drawn, for tests.
    int renderCount() const { return m_renders; }

private:
    QRectF m_area;
    qreal m_pixelRatio = 0;
    std::map<int, QPixmap> m_pixmaps;
    int m_renders = 0;
};
