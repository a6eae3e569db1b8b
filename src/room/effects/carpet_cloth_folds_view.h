#pragma once

#include <QGraphicsObject>

class FloorInteractionState;

// The folds of the rug's cloth: faint at rest, rippling with the drag, with a shadow
// dragged behind the rug. Drawn afresh whenever the carpet's drag changes; takes no
// pointer input. Its frame is the rug's body, origin top-left.
class CarpetClothFoldsView : public QGraphicsObject {
    Q_OBJECT
public:
    CarpetClothFoldsView(qreal width, qreal height, FloorInteractionState& floorState,
                         QGraphicsItem* parent = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();

    QSizeF m_size;
    FloorInteractionState& m_floorState;
    bool m_wasDragging = false;
};
