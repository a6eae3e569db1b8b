#include "kit/transition.h"

#include "kit/room_item.h"

TransitionItem::TransitionItem(const Transition& in, const Transition& out, QGraphicsItem* parent)
    : QGraphicsObject(parent), m_in(in), m_out(out), m_progress(0.0)
{
    setFlag(ItemHasNoContents);
    m_progress.setOnFrame([this] { applyLook(); });
    applyLook();
}

TransitionItem::TransitionItem(const Transition& both, QGraphicsItem* parent)
    : TransitionItem(both, both, parent)
{
}

void TransitionItem::setAnchorRect(const QRectF& rect)
{
    m_anchorRect = rect;
    applyLook();
}

void TransitionItem::appear()
{
    m_disappearing = false;
    m_progress.jump(0.0);
    m_progress.set(1.0);
    applyLook();
}

void TransitionItem::disappear()
{
    if (m_disappearing)
        return;
    m_disappearing = true;
    // The pointer passes through an item that is on its way out.
    stopTakingPointer(this);
    m_progress.set(0.0);
    applyLook();
}

void TransitionItem::applyLook()
{
    const Transition& t = m_disappearing ? m_out : m_in;
    const qreal p = m_progress.value();
    const QRectF anchorRect = m_anchorRect.isNull() ? childrenBoundingRect() : m_anchorRect;
    const QPointF anchor = t.anchor.in(anchorRect);
    const qreal s = t.scaleAt(p);
    const QPointF offset = t.offsetAt(p);
    QTransform transform;
    transform.translate(anchor.x() + offset.x(), anchor.y() + offset.y());
    transform.scale(s, s);
    transform.translate(-anchor.x(), -anchor.y());
    setTransform(transform);
    setOpacity(t.opacityAt(p));

    if (m_disappearing && !m_progress.isAnimating() && p <= 0) {
        hide();
        if (!m_removed) {
            m_removed = true;
            Q_EMIT removed();
            deleteLater();
        }
    }
}
