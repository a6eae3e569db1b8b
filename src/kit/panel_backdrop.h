#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

#include <QList>

class VisualEffectView;

// How a translucent panel's surface looks: its rounded outline, the colour layers laid
// over the blurred room, the rim drawn round it over everything and the shadows it casts.
struct PanelSurface {
    // A layer running from `from` at the top-leading corner to `to` at the bottom-trailing
    // corner; a plain fill where both are the same.
    struct Tint {
        QColor from;
        QColor to;
    };

    qreal cornerRadius = 12;
    QList<Tint> tints;
    // The rim's colours, evenly spaced from the top-leading to the bottom-trailing corner,
    // stroked 1 point wide on the outline; none: no rim.
    QList<QColor> rim;
    QList<ShadowStyle> shadows;

    // The quick-view cards' surface: the window background at 0.82 over the material, a
    // white rim fading from 0.7 to 0.2 and a shadow falling below.
    static PanelSurface card();
};

// The surface every panel of the room lies on: the blurred room behind it
// (VisualEffectView), the surface's colour layers and shadows behind the panel's content,
// and its rim over the content. It is made a child of the panel and follows the panel's
// frame unless given one of its own (a panel with an arrow outside its card).
class PanelBackdrop : public RoomItem {
    Q_OBJECT
public:
    PanelBackdrop(const PanelSurface& surface, RoomItem* panel);

    // The card's rectangle in the panel's coordinates; the whole panel until set.
    void setCardRect(const QRectF& rect);
    QPainterPath outline() const;
    VisualEffectView* material() const { return m_material; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;

private:
    class Rim;

    void follow();

    PanelSurface m_surface;
    RoomItem* m_panel;
    std::optional<QRectF> m_cardRect;
    VisualEffectView* m_material;
    Rim* m_rim = nullptr;
    std::vector<ShapeShadow> m_shadows;
};
