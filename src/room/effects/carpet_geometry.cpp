#include "room/effects/carpet_geometry.h"

#include <algorithm>
#include <cmath>

namespace CarpetGeometry {

QList<QPointF> lumpCentres(int coveredCount, bool isLifted)
{
    static const QPointF places[] = {{-80, -6}, {15, 8}, {95, -4}};
    QList<QPointF> centres;
    if (isLifted)
        return centres;
    for (int i = 0; i < std::min(coveredCount, 3); ++i)
        centres.append(places[i]);
    return centres;
}

double bodyScale(bool isDragging)
{
    return isDragging ? 0.985 : 1.0;
}

double foldStrength(bool isDragging)
{
    return isDragging ? 0.75 : 0.14;
}

QTransform Fold::transform() const
{
    const QPointF centre = shade.united(light).center();
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(tilt);
    t.translate(-centre.x(), -centre.y());
    t.translate(shift, 0);
    return t;
}

QList<Fold> folds(const QSizeF& size, bool isDragging, double dx)
{
    const double w = size.width();
    const double h = size.height();
    const double rowWidth = 0.86 * w;
    const double rowHeight = 0.92 * h;
    const double shadeWidth = 0.038 * w;
    const double lightWidth = 0.042 * w;
    const double foldWidth = shadeWidth + lightWidth;
    // The five gaps share what the folds leave of the row.
    const double gap = std::max(0.0, (rowWidth - foldCount * foldWidth) / (foldCount - 1));
    const double left = (w - rowWidth) / 2;
    const double top = (h - rowHeight) / 2;

    QList<Fold> result;
    for (int i = 0; i < foldCount; ++i) {
        const double x = left + i * (foldWidth + gap);
        Fold fold;
        fold.shade = QRectF(x, top, shadeWidth, rowHeight);
        fold.light = QRectF(x + shadeWidth, top, lightWidth, rowHeight);
        fold.shift = isDragging ? 8 * std::sin(0.038 * dx + 1.3 * i) : 0;
        fold.tilt = (i % 2 == 0 ? 2.0 : -2.0) * (isDragging ? 1.0 : 0.3);
        result.append(fold);
    }
    return result;
}

std::optional<DragShade> dragShade(const QSizeF& size, bool isDragging, double dx)
{
    if (!isDragging)
        return std::nullopt;
    const double w = size.width();
    const bool leading = dx >= 0;
    const double width = 0.22 * w;
    const double centreX = w / 2 + (leading ? -0.38 * w : 0.38 * w);
    DragShade shade;
    shade.rect = QRectF(centreX - width / 2, 0, width, size.height());
    shade.darkOnLeft = leading;
    shade.opacity = 0.32 * foldStrength(true);
    return shade;
}

double fringeSwing(bool isLeading, bool isDragging, double dx)
{
    if (!isDragging)
        return 0;
    return (isLeading ? -5.0 : 5.0) * std::clamp(dx / 240, -1.0, 1.0);
}

FringeLayout fringeLayout(bool isLeading)
{
    constexpr double cordWidth = 1.5;
    constexpr double columnWidth = 9.5;
    constexpr double threadHeight = 1.4;
    constexpr double threadGap = 2.1;
    const double rowWidth = cordWidth + columnWidth;
    const double left = (fringeSize.width() - rowWidth) / 2;
    const double columnHeight =
        fringeThreadCount * threadHeight + (fringeThreadCount - 1) * threadGap;

    FringeLayout layout;
    // The cord always lies against the rug: right of the threads at the leading end.
    const double cordX = isLeading ? left + columnWidth : left;
    const double columnX = isLeading ? left : left + cordWidth;
    layout.cord = QRectF(cordX, 0, cordWidth, fringeSize.height());
    const double columnY = (fringeSize.height() - columnHeight) / 2;
    layout.threads = QRectF(columnX, columnY, columnWidth, columnHeight);
    layout.swingAnchor = QPointF(isLeading ? layout.threads.right() : layout.threads.left(),
                                 layout.threads.center().y());
    for (int i = 0; i < fringeThreadCount; ++i) {
        const double length = i % 3 == 0 ? 9.5 : 8;
        layout.thread.append(QRectF(columnX + (columnWidth - length) / 2,
                                    columnY + i * (threadHeight + threadGap), length,
                                    threadHeight));
    }
    return layout;
}

} // namespace CarpetGeometry
