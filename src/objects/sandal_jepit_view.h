#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"

#include <QImage>
#include <QPainterPath>

#include <functional>

class AppState;

// A pair of blue flip-flops on the floor. They lift towards the pointer, and a click (or
// the first item of their menu) starts the web browser; the menu also opens the search
// engine's and the video site's home pages in the default browser.
class SandalJepitView : public RoomItem {
    Q_OBJECT
public:
    // Starts the browser chain, or opens one of the two pages (AppLauncher's targets).
    struct Openers {
        std::function<void()> browser;
        std::function<void()> searchHomePage;
        std::function<void()> videoHomePage;
    };
    static Openers standardOpeners();

    explicit SandalJepitView(AppState& appState, Openers openers = standardOpeners(),
                             QGraphicsItem* parent = nullptr);

    // The rectangle that takes hover and clicks: the two flip-flops and the gap between
    // them, whatever the tilt, lift and scale.
    static constexpr QSizeF kHitSize{63, 66};
    static constexpr QSizeF kSandalSize{28, 66};

    // How far the pair is lifted (0 at rest, 1 hovered), following the hover spring.
    qreal lift() const { return m_lift.value(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;

private:
    QRectF hitRect() const;
    QTransform tilt() const;
    void makeImages(qreal pixelRatio);

    AppState& m_appState;
    Animated<double> m_lift;
    QRectF m_area;
    qreal m_pixelRatio = 0;
    QImage m_pair;
    QImage m_shadows[2]; // at rest, hovered
};

namespace SandalDrawing {
// The sole's outline in a w x h box (a right foot, toes at the top).
QPainterPath soleOutline(QSizeF box);
// One flip-flop in (0, 0) to `box`; a left one is the right one mirrored.
void paintSandal(QPainter& painter, QSizeF box, bool isLeft);
} // namespace SandalDrawing
