#include "room/effects/room_fire_atmosphere_view.h"

#include "room/effects/fire_geometry.h"
#include "state/app_state.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QStyleOptionGraphicsItem>

#include <algorithm>

namespace {
QColor fireColor(float r, float g, float b, float a)
{
    return QColor::fromRgbF(r, g, b, a);
}

// The still layers: the warm wash from corner to corner, the glow rising from the floor
// and the smoke under the ceiling.
void paintWash(QPainter& p, const QSizeF& size)
{
    const double w = size.width();
    const double h = size.height();
    const QRectF room(QPointF(0, 0), size);

    QLinearGradient wash(0, 0, w, h);
    wash.setColorAt(0, fireColor(0.86f, 0.18f, 0.04f, 0.34f));
    wash.setColorAt(0.5, fireColor(1, 0.4f, 0.06f, 0.36f));
    wash.setColorAt(1, fireColor(0.68f, 0.08f, 0.02f, 0.4f));
    p.fillRect(room, wash);

    const QPointF centre(0.5 * w, 0.88 * h);
    QRadialGradient glow(centre, 0.95 * std::max(w, h), centre, 70);
    glow.setColorAt(0, fireColor(1, 0.55f, 0.1f, 0.32f));
    glow.setColorAt(0.5, fireColor(0.9f, 0.22f, 0.04f, 0.25f));
    glow.setColorAt(1, fireColor(0.3f, 0.03f, 0.01f, 0.38f));
    p.fillRect(room, glow);

    const double smokeHeight = 0.25 * h;
    QLinearGradient smoke(0, 0, 0, smokeHeight);
    smoke.setColorAt(0, fireColor(0.12f, 0.04f, 0.02f, 0.55f));
    smoke.setColorAt(0.5, fireColor(0.35f, 0.1f, 0.04f, 0.3f));
    smoke.setColorAt(1, fireColor(0.35f, 0.1f, 0.04f, 0)); // fades out, not to black
    p.fillRect(QRectF(0, 0, w, smokeHeight), smoke);
}
} // namespace

RoomFireAtmosphereView::RoomFireAtmosphereView(AppState& appState, QGraphicsItem* parent)
    : QGraphicsObject(parent), m_timeLine(appState, 1.0 / 30, 0.05)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    m_time = FireGeometry::secondsSinceReferenceDate(m_timeLine.date());
    connect(&m_timeLine, &TimeLine::tick, this,
            [this] { setTime(FireGeometry::secondsSinceReferenceDate(m_timeLine.date())); });
    connect(&m_timeLine, &TimeLine::canDrawChanged, this, [this] { update(); });
}

void RoomFireAtmosphereView::setSize(const QSizeF& size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    m_wash = QImage();
    updateWanted();
}

void RoomFireAtmosphereView::setTime(double seconds)
{
    m_time = seconds;
    // Embers drift everywhere, so the whole layer repaints; the wash under them is one
    // cached image.
    update();
}

QRectF RoomFireAtmosphereView::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

const QImage& RoomFireAtmosphereView::wash(qreal devicePixelRatio)
{
    if (m_wash.isNull() || m_wash.devicePixelRatio() != devicePixelRatio) {
        m_wash = QImage((m_size * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_wash.setDevicePixelRatio(devicePixelRatio);
        m_wash.fill(Qt::transparent);
        QPainter p(&m_wash);
        paintWash(p, m_size);
    }
    return m_wash;
}

void RoomFireAtmosphereView::paint(QPainter* painter, const QStyleOptionGraphicsItem*,
                                   QWidget* widget)
{
    if (m_size.isEmpty())
        return;
    const qreal dpr = widget ? widget->devicePixelRatioF() : painter->device()->devicePixelRatioF();
    painter->drawImage(QPointF(0, 0), wash(dpr));
    if (!m_timeLine.canDraw())
        return;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const double w = m_size.width();
    const double h = m_size.height();
    QLinearGradient flames(w / 2, h, w / 2, h - FireGeometry::atmosphereFlameGradientHeight);
    flames.setColorAt(0, fireColor(0.95f, 0.2f, 0.04f, 0.85f));
    flames.setColorAt(0.5, fireColor(1, 0.58f, 0.1f, 0.8f));
    flames.setColorAt(1, fireColor(1, 0.9f, 0.4f, 0.6f));
    painter->fillPath(FireGeometry::atmosphereFlames(m_size, m_time), flames);

    painter->setBrush(fireColor(1, 0.72f, 0.2f, 0.75f));
    for (const QRectF& ember : FireGeometry::embers(m_size, m_time))
        painter->drawEllipse(ember);
    painter->restore();
}

QVariant RoomFireAtmosphereView::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged)
        updateWanted();
    return QGraphicsObject::itemChange(change, value);
}

void RoomFireAtmosphereView::updateWanted()
{
    m_timeLine.setWanted(scene() && isVisible() && !m_size.isEmpty());
}
