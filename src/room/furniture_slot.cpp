#include "room/furniture_slot.h"

#include "kit/cached_shadow_effect.h"
#include "kit/colors.h"
#include "kit/transition.h"

namespace {
void stopTakingPointer(QGraphicsItem* item)
{
    item->setAcceptedMouseButtons(Qt::NoButton);
    item->setAcceptHoverEvents(false);
    item->setAcceptDrops(false);
    for (QGraphicsItem* child : item->childItems())
        stopTakingPointer(child);
}
} // namespace

FurnitureSlot::FurnitureSlot(Furniture piece, qreal fireHeight, QGraphicsItem* parent)
    : RoomItem(parent), m_piece(piece), m_fireHeight(fireHeight)
{
    setFlag(ItemHasNoContents);
}

void FurnitureSlot::setView(RoomItem* view)
{
    if (view == m_view)
        return;
    delete m_view;
    m_view = view;
    if (!m_view)
        return;
    m_view->setParentItem(this);
    m_view->setZValue(0);
    if (!m_takesPointer)
        stopTakingPointer(m_view);
    frameView();
    applyGlow();
}

void FurnitureSlot::setLayoutSize(const QSizeF& size)
{
    m_layoutSize = size;
    frameView();
}

void FurnitureSlot::setTakesPointer(bool takes)
{
    m_takesPointer = takes;
    if (!takes && m_view)
        stopTakingPointer(m_view);
}

void FurnitureSlot::onSizeChanged()
{
    frameView();
}

void FurnitureSlot::frameView()
{
    if (!m_view)
        return;
    m_view->setPos(0, 0);
    if (m_layoutSize && m_layoutSize->width() > 0 && m_layoutSize->height() > 0) {
        m_view->setSize(*m_layoutSize);
        m_view->setTransform(QTransform::fromScale(size().width() / m_layoutSize->width(),
                                                   size().height() / m_layoutSize->height()));
    } else {
        m_view->setTransform(QTransform());
        m_view->setSize(size());
    }
}

void FurnitureSlot::applyGlow()
{
    if (!m_view)
        return;
    if (m_burning && !m_view->graphicsEffect()) {
        m_view->setGraphicsEffect(
            new CachedShadowEffect(Colors::srgb(1, 0.35, 0.05, 0.65), 8, QPointF()));
    } else if (!m_burning && qobject_cast<CachedShadowEffect*>(m_view->graphicsEffect())) {
        m_view->setGraphicsEffect(nullptr);
    }
}

void FurnitureSlot::setBurning(bool burning, const FireFactory& factory)
{
    if (burning == m_burning)
        return;
    m_burning = burning;
    applyGlow();
    if (!burning) {
        if (m_fire)
            m_fire->disappear();
        m_fire = nullptr;
        return;
    }
    m_fire = new TransitionItem(Transition::opacity(), this);
    m_fire->setZValue(1);
    if (factory) {
        if (QGraphicsItem* flames = factory(*this)) {
            flames->setParentItem(m_fire);
            stopTakingPointer(flames);
        }
    }
    m_fire->appear();
}

QGraphicsItem* FurnitureSlot::fireOverlay() const
{
    return m_fire;
}
