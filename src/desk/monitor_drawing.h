#pragma once

#include "kit/painting.h"

#include <QGraphicsItem>
#include <QImage>

#include <array>
#include <optional>

// The monitor's drawing in its 175 x 170 design box, in still layers that the view stacks
// and fades: the body (bezel, screen base, chin, stand), the desktop shown while the
// screen is on, the fire alert and the glass. Each layer is an item kept as a picture by
// the scene, so a fade costs no repainting.
namespace MonitorDrawing {
constexpr QSizeF kSize{175, 170};
// The screen inside the bezel, in the design box.
constexpr QRectF kScreen{4, 5, 167, 104};
constexpr qreal kScreenRadius = 7;

// The six dock icons' colours, in order.
const std::array<QColor, 6>& dockColors();
// The dock's capsule in screen coordinates (49 x 8 for six icons).
QRectF dockRect();

// The wallpaper as the screen shows it: brightness -0.06, contrast 1.03, saturation 0.97.
QImage adjustedWallpaper(const QImage& wallpaper);
} // namespace MonitorDrawing

// One still layer of the monitor: `paint` draws it in the item's coordinates.
class MonitorLayer : public QGraphicsItem {
public:
    enum class Kind { Body, Desktop, FireAlert, Glass };

    MonitorLayer(Kind kind, QGraphicsItem* parent);

    // The desktop's wallpaper (nothing: the gradient).
    void setWallpaper(const std::optional<QImage>& wallpaper);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void paintBody(QPainter& p);
    void paintDesktop(QPainter& p);
    void paintFireAlert(QPainter& p);
    void paintGlass(QPainter& p);

    Kind m_kind;
    std::optional<QImage> m_wallpaper;
    ShapeShadow m_headShadow;
    ShapeShadow m_bezelShadow;
    ShapeShadow m_neckShadow;
    ShapeShadow m_footShadow;
    ShapeShadow m_dockShadow;
    QImage m_streaks;
};
