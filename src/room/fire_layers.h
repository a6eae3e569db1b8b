#pragma once

#include "room/effects/fire_part.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QRegion>
#include <QStyleOptionGraphicsItem>
#include <QTimer>
#include <QTransform>

#include <functional>
#include <vector>

class QGraphicsView;

// The burning room kept as still pictures between the fire's moving parts. While the fire
// burns, nothing in the room but its flames, sparks and embers changes from one frame to the
// next; drawing every piece under and over them again on each frame is most of what fire
// mode would cost. The view is cut into tiles; for each tile a fire frame has repainted,
// the room is drawn once with the moving parts left out, and what lies under the first
// part, between two parts and over the last is kept as a picture of its own. A frame then
// lays the lowest picture down with one plain copy, draws each part on its current frame
// and lays each picture above it over it, in the order the room stacks them. (The smoky
// wash over the whole room is laid down like a part, from the one picture its view keeps,
// rather than kept again tile by tile; where nothing moves under it, it lies in the lowest
// picture, which is kept anyway.)
//
// A tile is drawn again as soon as anything in it but the moving parts changes: the scene
// names every area it repaints while the fire burns, and each area no part asked for drops
// the tiles it touches. A tile that changes often (a piece fading in) is painted as the view
// paints it until it has been quiet for a while.
//
// The same holds round a part that moves on every frame outside a fire (the radio's notes
// while music plays, `MovingPartWatcher::moves`): the layers are on while it moves, and a
// tile is made only where such a part has repainted, not wherever the room repaints.
class FireLayers : public QObject, public MovingPartWatcher {
    Q_OBJECT
public:
    explicit FireLayers(QGraphicsView& view);
    ~FireLayers() override;

    // On while the fire burns or a part moves by itself (the radio's notes); off, everything
    // kept is let go.
    void setActive(bool active);
    bool isActive() const { return m_active; }
    // Whether a part of the view's scene moves on every frame outside a fire.
    bool hasMovingParts() const { return !m_moving.empty(); }
    // Tiles made only where a moving part has repainted (round the radio's notes), not
    // wherever the room repaints (the burning room, whose embers roam all of it). A change
    // lets go of what was kept: the burning room's pictures go with the fire.
    void setKeptOnlyRoundParts(bool only);
    // True while a tile's pictures are being made: the view then paints as it always does.
    bool isMaking() const { return m_making != nullptr; }

    // Lays down what the kept tiles hold of `region` (viewport coordinates), the parts on
    // their current frame, on the view's viewport; `clipTo` limits each painter opened on it
    // to an area (the paint event's clip is the whole region). Returns what is left for the
    // view to paint itself.
    QRegion paint(const QRegion& region, const std::function<void(const QRect&)>& clipTo);

    // Tiles whose pictures are kept, and the bytes the pictures take.
    int keptTiles() const;
    qint64 keptBytes() const;
    // Tiles whose pictures have been made since the fire was lit.
    int madeTiles() const { return m_made; }

    static constexpr int tileSize = 128;

    bool takesPaint(QGraphicsItem* part, QPainter& painter) override;
    bool takesStillPaint(QGraphicsItem* part, QPainter& painter) override;
    void partRepaints(const QGraphicsScene* scene, const QRectF& area) override;
    void partGone(QGraphicsItem* part) override;
    void partMoves(QGraphicsItem* part, bool moving) override;

Q_SIGNALS:
    void movingPartsChanged();

private:
    // A picture in viewport coordinates.
    struct Picture {
        QImage image;
        QPoint at;
    };
    // A moving part as the room draws it in the tile, then the still picture over it.
    struct Step {
        QGraphicsItem* part = nullptr;
        QTransform transform; // from the part's coordinates to the viewport's
        QTransform inverse;
        QRectF bounds; // the part's
        QRect reach;   // in the viewport
        qreal opacity = 1;
        bool clipped = false;
        QPainterPath clip; // viewport coordinates
        Picture over;
        // Where the picture over the part lies, kept beside it: a frame asks of every step
        // whether its picture reaches the area laid, and reading the picture's own size each
        // time fetched its header from memory for every tile of every frame.
        QRect overReach;
    };
    struct Tile {
        bool wanted = false;
        qint64 changedAt = 0;
        qint64 keptAt = 0;
        int quiet = 0;               // frames it must go unchanged before it is made
        qint64 restlessAt = -1;      // when something in it last changed after it was made
        bool reachedByParts = false; // a part has repainted in it since the layers went on
        Picture under;               // none until the tile is made
        std::vector<Step> steps;
        bool kept() const { return !under.image.isNull(); }
    };
    struct Making;

    void sceneChanged(const QList<QRectF>& areas);
    void drop(const QRect& area);
    // Each tile `area` (viewport coordinates) reaches.
    void forTilesIn(const QRect& area, const std::function<void(Tile&)>& visit);
    void forget(Tile& tile);
    void makeWanted();
    void letStillPicturesGo();
    void make(int index);
    bool stillHolds(const Tile& tile);
    void compose(QPainter& painter, const Tile& tile, const QRect& area) const;
    QRect tileRect(int index) const;
    void fitGrid();

    QGraphicsView& m_view;
    bool m_active = false;
    bool m_onlyRoundParts = false;
    int m_made = 0;
    bool m_viewCut = false; // the scene's own hand-over of its areas to the view
    qint64 m_frame = 0;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<Tile> m_tiles;
    std::vector<QList<QRect>> m_pieces; // by tile: its part of the repaint in hand
    std::vector<int> m_touched;         // the tiles the repaint in hand reaches
    // Parts asked this frame whether they are unchanged, and the answer (a few dozen).
    std::vector<std::pair<QGraphicsItem*, bool>> m_holding;
    QList<QRectF> m_partAreas; // asked for by the parts since the scene last named its areas
    std::vector<QGraphicsItem*> m_moving; // parts moving by themselves, outside a fire
    QTimer m_makeTimer;
    mutable QStyleOptionGraphicsItem m_option;
    QImage m_canvas; // what tiles are drawn on, while any is being made
    Making* m_making = nullptr;
};
