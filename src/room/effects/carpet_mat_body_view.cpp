#include "room/effects/carpet_mat_body_view.h"

#include "kit/room_item.h"
#include "kit/transition.h"
#include "room/effects/arabic_rug_view.h"
#include "room/effects/burning_fire_modifier.h"
#include "room/effects/carpet_geometry.h"
#include "room/effects/carpet_lump_view.h"
#include "state/floor_interaction_state.h"

namespace {
constexpr qreal kRugFlameHeight = 38;
} // namespace

CarpetMatBodyView::CarpetMatBodyView(AppState& appState, FloorInteractionState& floorState,
                                     QGraphicsItem* parent)
    : QGraphicsObject(parent), m_floorState(floorState)
{
    setFlag(ItemHasNoContents);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);

    // The rug and its fire side by side, so that the bumps can lie over both.
    auto* holder = new RoomItem(this);
    holder->setFlag(ItemHasNoContents);
    m_rug = new ArabicRugView(floorState, CarpetGeometry::rugSize.width(),
                              CarpetGeometry::rugSize.height(), holder);
    m_fire = new BurningFireModifier(appState, kRugFlameHeight, true, true, holder);
    m_fire->setFrame(m_rug->frame());
    m_fire->setContent(m_rug);

    connect(&m_floorState, &FloorInteractionState::isCarpetDraggingChanged, this,
            &CarpetMatBodyView::followDrag);
    followDrag();
}

QRectF CarpetMatBodyView::boundingRect() const
{
    return m_rug->frame();
}

void CarpetMatBodyView::setItemCount(int count)
{
    m_itemCount = count;
    updateLumps();
}

void CarpetMatBodyView::setLifted(bool lifted)
{
    m_isLifted = lifted;
    updateLumps();
}

QList<CarpetLumpView*> CarpetMatBodyView::lumps() const
{
    QList<CarpetLumpView*> result;
    if (!m_lumps || m_lumps->isDisappearing())
        return result;
    for (QGraphicsItem* child : m_lumps->childItems())
        result.append(static_cast<CarpetLumpView*>(child));
    return result;
}

void CarpetMatBodyView::updateLumps()
{
    const QList<QPointF> centres = CarpetGeometry::lumpCentres(m_itemCount, m_isLifted);
    if (centres.isEmpty()) {
        // The bumps shrink away with the change that hid them.
        if (m_lumps && !m_lumps->isDisappearing())
            m_lumps->disappear();
        m_lumps = nullptr;
        return;
    }
    const bool arriving = !m_lumps;
    if (arriving) {
        m_lumps = new TransitionItem(Transition::scaled(0), this);
        const QSizeF size = CarpetGeometry::lumpSize;
        m_lumps->setAnchorRect(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size));
    }
    QList<QGraphicsItem*> have = m_lumps->childItems();
    while (have.size() > centres.size())
        delete have.takeLast();
    for (int i = 0; i < centres.size(); ++i) {
        auto* lump = i < have.size() ? have[i] : new CarpetLumpView(m_lumps);
        lump->setPos(centres[i]);
    }
    if (arriving)
        m_lumps->appear();
}

void CarpetMatBodyView::followDrag()
{
    setScale(CarpetGeometry::bodyScale(m_floorState.isCarpetDragging()));
}
