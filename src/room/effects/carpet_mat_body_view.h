#pragma once

#include <QGraphicsObject>
#include <QList>
#include <QPointer>

class AppState;
class ArabicRugView;
class BurningFireModifier;
class CarpetLumpView;
class FloorInteractionState;
class TransitionItem;

// The body of the movable carpet: the woven rug, burning in fire mode, and while files are
// hidden under the lowered carpet, up to three bumps over them. Shrinks a little while
// dragged. A pure drawing: takes no pointer input. Its origin is the carpet's centre.
class CarpetMatBodyView : public QGraphicsObject {
    Q_OBJECT
public:
    CarpetMatBodyView(AppState& appState, FloorInteractionState& floorState,
                      QGraphicsItem* parent = nullptr);

    // The number of floor files the carpet covers.
    void setItemCount(int count);
    void setLifted(bool lifted);

    ArabicRugView* rug() const { return m_rug; }
    BurningFireModifier* fire() const { return m_fire; }
    // The bumps drawn now (bumps on their way out are not counted).
    QList<CarpetLumpView*> lumps() const;

    // The rug with its fringes; nothing is painted by the body itself.
    QRectF boundingRect() const override;
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override {}

private:
    void updateLumps();
    void followDrag();

    FloorInteractionState& m_floorState;
    int m_itemCount = 0;
    bool m_isLifted = false;
    ArabicRugView* m_rug = nullptr;
    BurningFireModifier* m_fire = nullptr;
    QPointer<TransitionItem> m_lumps;
};
