#pragma once

#include <QGraphicsObject>
#include <QImage>

class CarpetClothFoldsView;
class FloorInteractionState;
class RugFringeEdge;

// The movable carpet drawn as a woven rug: a dark base with its shadow, a red field in gold
// and navy borders, corner pieces, a row of stars and a central medallion, then the cloth's
// folds and a faint sheen, with a fringe at each short end. Everything that never moves is
// drawn once per size into an image; only the folds and the fringes redraw while the carpet
// is dragged. Takes no pointer input: clicks go to the carpet. Its origin is the rug's
// centre; it spans (rugWidth + 24) x rugHeight.
class ArabicRugView : public QGraphicsObject {
    Q_OBJECT
public:
    ArabicRugView(FloorInteractionState& floorState, qreal rugWidth, qreal rugHeight,
                  QGraphicsItem* parent = nullptr);

    // The rug with its fringes, in its own coordinates.
    QRectF frame() const;
    // The woven body alone.
    QRectF bodyRect() const;

    CarpetClothFoldsView* folds() const { return m_folds; }
    RugFringeEdge* leadingFringe() const { return m_leadingFringe; }
    RugFringeEdge* trailingFringe() const { return m_trailingFringe; }
    // How many times the still layers were drawn into their image.
    int cacheRenderCount() const { return m_cacheRenders; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void renderCache(qreal pixelRatio);

    QSizeF m_bodySize;
    CarpetClothFoldsView* m_folds = nullptr;
    RugFringeEdge* m_leadingFringe = nullptr;
    RugFringeEdge* m_trailingFringe = nullptr;
    QImage m_cache;
    QRectF m_cacheRect;
    int m_cacheRenders = 0;
};
