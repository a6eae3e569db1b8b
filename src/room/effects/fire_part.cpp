#include "room/effects/fire_part.h"

#include "kit/painting.h"

#include <QGraphicsScene>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
std::vector<MovingPartWatcher*>& watchers()
{
    static std::vector<MovingPartWatcher*> all;
    return all;
}
} // namespace

void MovingPartWatcher::watch(MovingPartWatcher* watcher)
{
    watchers().push_back(watcher);
}

void MovingPartWatcher::unwatch(MovingPartWatcher* watcher)
{
    std::erase(watchers(), watcher);
}

bool MovingPartWatcher::takePaint(QGraphicsItem* part, QPainter& painter)
{
    for (MovingPartWatcher* watcher : watchers()) {
        if (watcher->takesPaint(part, painter))
            return true;
    }
    return false;
}

bool MovingPartWatcher::takeStillPaint(QGraphicsItem* part, QPainter& painter)
{
    for (MovingPartWatcher* watcher : watchers()) {
        if (watcher->takesStillPaint(part, painter))
            return true;
    }
    return false;
}

void MovingPartWatcher::repaints(const QGraphicsScene* scene, const QRectF& area)
{
    for (MovingPartWatcher* watcher : watchers())
        watcher->partRepaints(scene, area);
}

void MovingPartWatcher::gone(QGraphicsItem* part)
{
    for (MovingPartWatcher* watcher : watchers())
        watcher->partGone(part);
}

void MovingPartWatcher::moves(QGraphicsItem* part, bool moving)
{
    for (MovingPartWatcher* watcher : watchers())
        watcher->partMoves(part, moving);
}

FirePart::FirePart(QGraphicsItem* parent, PaintFunction paint)
    : QGraphicsItem(parent), m_paint(std::move(paint))
{
    setAcceptedMouseButtons(Qt::NoButton);
}

FirePart::~FirePart()
{
    MovingPartWatcher::gone(this);
}

void FirePart::repaint()
{
    if (scene() && isVisible())
        MovingPartWatcher::repaints(scene(), sceneBoundingRect());
    update();
}

void FirePart::setArea(const QRectF& area)
{
    if (area == m_area)
        return;
    prepareGeometryChange();
    m_area = area;
}

void FirePart::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (MovingPartWatcher::takePaint(this, *painter))
        return;
    // Put back by hand rather than by saving the painter, which costs an allocation: the
    // part is painted once for every tile of the fire's pictures it reaches, on every frame.
    const bool antialiased = painter->testRenderHint(QPainter::Antialiasing);
    const QPen pen = painter->pen();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    m_paint(*painter);
    painter->setRenderHint(QPainter::Antialiasing, antialiased);
    painter->setPen(pen);
}

FireDots::FireDots(QGraphicsItem* parent, const QRectF& dot, const QColor& color,
                   std::function<bool()> drawsNow)
    : QGraphicsItem(parent), m_dot(dot), m_color(color), m_drawsNow(std::move(drawsNow))
{
    setAcceptedMouseButtons(Qt::NoButton);
    // The exposed area, so that a repaint elsewhere in the room draws none of the dots.
    setFlag(ItemUsesExtendedStyleOption);
}

FireDots::~FireDots()
{
    MovingPartWatcher::gone(this);
}

void FireDots::setArea(const QRectF& area)
{
    if (area == m_area)
        return;
    prepareGeometryChange();
    m_area = area;
}

void FireDots::setPlaces(const QList<QPointF>& places)
{
    if (places == m_places)
        return;
    QGraphicsScene* room = scene();
    if (room && isVisible()) {
        // The scene takes each area as it is: an update of this item would repaint one
        // rectangle round every dot at once.
        const QTransform toScene = sceneTransform();
        for (qsizetype k = 0; k < std::max(places.size(), m_places.size()); ++k) {
            const QRectF was = k < m_places.size() ? reach(m_places[k]) : QRectF();
            const QRectF is = k < places.size() ? reach(places[k]) : QRectF();
            const QRectF both = was.united(is);
            if (std::any_of(m_repaintedWithThem.begin(), m_repaintedWithThem.end(),
                            [&](const QRectF& area) { return area.contains(both); }))
                continue;
            // A dot that moved a little repaints one rectangle; one that started again far
            // away repaints two small ones.
            const auto repaint = [room](const QRectF& area) {
                MovingPartWatcher::repaints(room, area);
                room->update(area);
            };
            if (both.width() * both.height() <=
                2 * (was.width() * was.height() + is.width() * is.height())) {
                repaint(toScene.mapRect(both));
            } else {
                repaint(toScene.mapRect(was));
                repaint(toScene.mapRect(is));
            }
        }
    }
    m_places = places;
}

void FireDots::drawSprites(const QSizeF& scale)
{
    m_spriteScale = scale;
    const QSizeF size(m_dot.width() * scale.width(), m_dot.height() * scale.height());
    // A pixel clear on every side, for the edge's antialiasing.
    const QSize pixels(int(std::ceil(size.width() + 0.75)) + 2,
                       int(std::ceil(size.height() + 0.75)) + 2);
    for (int phase = 0; phase < 16; ++phase) {
        QImage& sprite = m_sprites[size_t(phase)];
        sprite = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        QPainter p(&sprite);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(m_color);
        p.drawEllipse(QRectF(QPointF(1 + (phase % 4) / 4.0, 1 + (phase / 4) / 4.0), size));
    }
}

void FireDots::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    if (MovingPartWatcher::takePaint(this, *painter))
        return;
    if (m_places.isEmpty() || !m_drawsNow())
        return;
    const QRectF exposed = option->exposedRect;
    const QTransform device = painter->deviceTransform();
    if (device.type() > QTransform::TxScale || device.m11() <= 0 || device.m22() <= 0) {
        // Turned or in perspective: every dot drawn as it is.
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(m_color);
        for (const QPointF& place : m_places) {
            if (exposed.intersects(reach(place)))
                painter->drawEllipse(m_dot.translated(place));
        }
        painter->restore();
        return;
    }
    const QSizeF scale(device.m11(), device.m22());
    if (scale != m_spriteScale)
        drawSprites(scale);
    QList<Painting::DevicePixelsImage>& dots = m_laid;
    dots.clear();
    for (const QPointF& place : m_places) {
        if (!exposed.intersects(reach(place)))
            continue;
        // The corner to the nearest quarter of a device pixel.
        const QPointF corner = device.map(place + m_dot.topLeft());
        const qint64 x = std::llround(corner.x() * 4);
        const qint64 y = std::llround(corner.y() * 4);
        dots.append(
            {QPoint(int(x >> 2) - 1, int(y >> 2) - 1), &m_sprites[size_t((x & 3) + 4 * (y & 3))]});
    }
    Painting::drawOnDevicePixels(*painter, dots);
}
