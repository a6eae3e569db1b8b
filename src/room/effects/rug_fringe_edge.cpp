#include "room/effects/rug_fringe_edge.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "room/effects/carpet_geometry.h"
#include "state/floor_interaction_state.h"

#include <QPainter>

using Colors::srgb;

RugFringeEdge::RugFringeEdge(bool isLeading, FloorInteractionState& floorState,
                             QGraphicsItem* parent)
    : QGraphicsObject(parent), m_isLeading(isLeading), m_floorState(floorState)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    m_paintedSwing = swing();
    connect(&m_floorState, &FloorInteractionState::isCarpetDraggingChanged, this,
            &RugFringeEdge::follow);
    connect(&m_floorState, &FloorInteractionState::carpetDragOffsetChanged, this,
            &RugFringeEdge::follow);
}

double RugFringeEdge::swing() const
{
    return CarpetGeometry::fringeSwing(m_isLeading, m_floorState.isCarpetDragging(),
                                       m_floorState.carpetDragOffset().width());
}

void RugFringeEdge::follow()
{
    // Beyond a drag of 240 points the fringe hangs at its full swing: no repaint.
    const double now = swing();
    if (now != m_paintedSwing) {
        m_paintedSwing = now;
        update();
    }
}

QRectF RugFringeEdge::boundingRect() const
{
    // A swing of 5 degrees moves the ends of the 145-point column about 6.3 points
    // sideways; the threads' shadow reaches a little further.
    return QRectF(QPointF(0, 0), CarpetGeometry::fringeSize).adjusted(-9, -3, 9, 3);
}

const QImage& RugFringeEdge::threads(qreal pixelRatio)
{
    if (!m_threads.isNull() && m_threads.devicePixelRatio() == pixelRatio)
        return m_threads;
    const CarpetGeometry::FringeLayout layout = CarpetGeometry::fringeLayout(m_isLeading);
    QPainterPath all;
    for (const QRectF& thread : layout.thread)
        all.addRect(thread);
    const QRectF area = layout.threads.adjusted(-3, -3, 3, 3);
    m_threadsTopLeft = area.topLeft();
    m_threads = QImage((area.size() * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_threads.setDevicePixelRatio(pixelRatio);
    m_threads.fill(Qt::transparent);
    QPainter p(&m_threads);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-area.topLeft());
    ShapeShadow shadow;
    shadow.paint(p, all, ShadowStyle{Colors::black(0.12), 0.5, QPointF(0, 0.5)});
    for (int i = 0; i < layout.thread.size(); ++i) {
        p.fillRect(layout.thread[i], i % 2 == 0 ? srgb(0.96, 0.94, 0.89) : srgb(0.86, 0.82, 0.74));
    }
    return m_threads;
}

void RugFringeEdge::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const CarpetGeometry::FringeLayout layout = CarpetGeometry::fringeLayout(m_isLeading);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->fillRect(layout.cord, srgb(0.85, 0.72, 0.42));
    const QImage& image = threads(Painting::cachePixelRatio(*painter));
    const QPointF anchor = layout.swingAnchor;
    painter->translate(anchor);
    painter->rotate(m_paintedSwing);
    painter->translate(-anchor);
    painter->drawImage(m_threadsTopLeft, image);
    painter->restore();
}
