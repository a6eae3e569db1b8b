#include "room/effects/carpet_cloth_folds_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/carpet_geometry.h"
#include "state/floor_interaction_state.h"

#include <QPainter>

using Colors::black;
using Colors::white;

CarpetClothFoldsView::CarpetClothFoldsView(qreal width, qreal height,
                                           FloorInteractionState& floorState, QGraphicsItem* parent)
    : QGraphicsObject(parent), m_size(width, height), m_floorState(floorState)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    m_wasDragging = m_floorState.isCarpetDragging();
    connect(&m_floorState, &FloorInteractionState::isCarpetDraggingChanged, this,
            &CarpetClothFoldsView::follow);
    connect(&m_floorState, &FloorInteractionState::carpetDragOffsetChanged, this,
            &CarpetClothFoldsView::follow);
}

void CarpetClothFoldsView::follow()
{
    // At rest the folds do not move with the offset: nothing to repaint.
    const bool dragging = m_floorState.isCarpetDragging();
    if (dragging || m_wasDragging)
        update();
    m_wasDragging = dragging;
}

QRectF CarpetClothFoldsView::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

void CarpetClothFoldsView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const bool dragging = m_floorState.isCarpetDragging();
    const double dx = m_floorState.carpetDragOffset().width();
    const double k = CarpetGeometry::foldStrength(dragging);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setClipPath(Painting::continuousRoundedRect(boundingRect(), 3), Qt::IntersectClip);

    // The folds darken the weave under them.
    painter->setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const CarpetGeometry::Fold& fold : CarpetGeometry::folds(m_size, dragging, dx)) {
        painter->save();
        painter->setTransform(fold.transform(), true);
        const QRectF& s = fold.shade;
        painter->fillRect(s,
                          Painting::linearGradient(s.topLeft(), s.topRight(),
                                                   {black(0), black(0.32 * k), black(0.08 * k)}));
        const QRectF& l = fold.light;
        painter->fillRect(l,
                          Painting::linearGradient(l.topLeft(), l.topRight(),
                                                   {white(0.22 * k), white(0.06 * k), white(0)}));
        painter->restore();
    }
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);

    if (const auto shade = CarpetGeometry::dragShade(m_size, dragging, dx)) {
        const QRectF& r = shade->rect;
        const QPointF dark = shade->darkOnLeft ? r.topLeft() : r.topRight();
        const QPointF clear = shade->darkOnLeft ? r.topRight() : r.topLeft();
        painter->fillRect(r,
                          Painting::linearGradient(dark, clear, {black(shade->opacity), black(0)}));
    }
    painter->restore();
}
