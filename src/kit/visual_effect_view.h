#pragma once

#include "kit/room_item.h"

#include <QImage>

// The translucent material behind a panel: what lies behind the panel in the room,
// blurred. The picture is taken once, when the view first lies in its place in a scene
// (and again only when its resting place or size changes), and drawn from then on: nothing
// is blurred per frame, so the room behind may move on under the panel without cost.
//
// The picture is of the room at the view's resting place: a panel that is still scaling
// or sliding in (TransitionItem) shows the part of the picture that lies behind it at each
// moment. The layer the view belongs to (its ancestor among the room's layers) and every
// layer stacked above that are left out of the picture.
class VisualEffectView : public RoomItem {
    Q_OBJECT
public:
    // The room's panels all use the popover material, blended within the window and
    // always active; the three are kept as the panels give them.
    enum class Material { Popover };
    enum class BlendingMode { WithinWindow };
    enum class State { Active };

    explicit VisualEffectView(Material material = Material::Popover,
                              BlendingMode blending = BlendingMode::WithinWindow,
                              State state = State::Active, QGraphicsItem* parent = nullptr);

    // The outline the material fills, in the view's coordinates (its frame unless set).
    void setClipShape(const QPainterPath& shape);

    // Takes the picture now; otherwise it is taken on the event loop after a change.
    void capture();
    // How many pictures were taken, for tests.
    int captureCount() const { return m_captures; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // How strongly the material blurs, in design points.
    static constexpr qreal kBlurRadius = 24;

protected:
    void onSizeChanged() override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    QRectF restingSceneRect() const;
    void scheduleCapture();

    Material m_material;
    BlendingMode m_blending;
    State m_state;
    std::optional<QPainterPath> m_clip;
    QImage m_picture;
    QRectF m_pictureSceneRect; // what the picture shows, in scene coordinates
    QRectF m_capturedFor;      // the resting rectangle it was taken for
    bool m_capturePending = false;
    int m_captures = 0;
};
