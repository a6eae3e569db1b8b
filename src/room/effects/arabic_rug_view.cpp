#include "room/effects/arabic_rug_view.h"

#include "kit/colors.h"
#include "kit/drawing_cache.h"
#include "kit/painting.h"
#include "kit/soft_shadow.h"
#include "room/effects/carpet_cloth_folds_view.h"
#include "room/effects/carpet_geometry.h"
#include "room/effects/rug_fringe_edge.h"
#include "room/effects/rug_ornaments.h"

#include <QPainter>

using Colors::srgb;

namespace {
const ShadowStyle kBaseShadow{Colors::black(0.38), 6, QPointF(0, 5)};

QColor borderGold(qreal opacity = 1)
{
    return srgb(0.88, 0.74, 0.4, opacity);
}

QPainterPath inset(const QRectF& body, double by, double radius)
{
    return Painting::continuousRoundedRect(body.adjusted(by, by, -by, -by), radius);
}

void stroke(QPainter& p, const QPainterPath& path, const QColor& color, double width)
{
    p.strokePath(path, QPen(color, width));
}

// The still layers of the body, from the base up to the medallion.
void paintWeave(QPainter& p, const QRectF& body)
{
    const QPainterPath base = Painting::continuousRoundedRect(body, 3);
    ShapeShadow shadow;
    shadow.paint(p, base, kBaseShadow);
    p.fillPath(base, srgb(0.1, 0.12, 0.18));

    p.fillPath(inset(body, 1, 3),
               Painting::linearGradient(
                   body.topLeft(), body.bottomRight(),
                   {srgb(0.56, 0.11, 0.15), srgb(0.46, 0.08, 0.12), srgb(0.52, 0.1, 0.14)}));
    stroke(p, inset(body, 5, 2), borderGold(0.85), 1.2);
    stroke(p, inset(body, 10, 2), srgb(0.1, 0.15, 0.25), 8);
    // The band's gold edge runs just inside the band's outline.
    stroke(p, inset(body, 10 + 0.75, 2 - 0.75), srgb(0.9, 0.78, 0.48, 0.9), 1.5);
    stroke(p, inset(body, 16, 2), borderGold(), 1.2);
    const QRectF field = body.adjusted(17, 17, -17, -17);
    p.fillPath(Painting::continuousRoundedRect(field, 2),
               Painting::linearGradient(field.topLeft(), field.bottomLeft(),
                                        {srgb(0.62, 0.12, 0.16), srgb(0.5, 0.08, 0.12)}));

    // The ornaments keep their size on any rug; they sit about its centre.
    const QPointF centre = body.center();
    for (const RugLayout::Placement& corner : RugLayout::corners()) {
        p.save();
        p.translate(centre + corner.centre);
        p.rotate(corner.rotation);
        ArabicCornerSpandrel::paint(p);
        p.restore();
    }
    p.save();
    p.setOpacity(RugLayout::fieldStarOpacity);
    for (const QPointF& star : RugLayout::fieldStars()) {
        p.save();
        p.translate(centre + star);
        ArabicFieldStar::paint(p);
        p.restore();
    }
    p.restore();
    p.save();
    p.translate(centre);
    ArabicCentralMedallion::paint(p);
    p.restore();
}

// The faint sheen over the folds: a still image of its own, since it lies above them.
class RugSheen : public QGraphicsItem {
public:
    RugSheen(const QRectF& body, QGraphicsItem* parent) : QGraphicsItem(parent), m_body(body)
    {
        setAcceptedMouseButtons(Qt::NoButton);
    }
    QRectF boundingRect() const override { return m_body; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        const qreal ratio = Painting::cachePixelRatio(*painter);
        if (m_image.isNull() || m_image.devicePixelRatio() != ratio) {
            m_image = QImage((m_body.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
            m_image.setDevicePixelRatio(ratio);
            m_image.fill(Qt::transparent);
            QPainter p(&m_image);
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF r(QPointF(0, 0), m_body.size());
            p.fillPath(Painting::continuousRoundedRect(r, 3),
                       Painting::linearGradient(
                           r.topLeft(), r.bottomRight(),
                           {Colors::white(0.08), Colors::white(0), Colors::white(0.04)}));
        }
        painter->drawImage(m_body.topLeft(), m_image);
    }

private:
    QRectF m_body;
    QImage m_image;
};
} // namespace

ArabicRugView::ArabicRugView(FloorInteractionState& floorState, qreal rugWidth, qreal rugHeight,
                             QGraphicsItem* parent)
    : QGraphicsObject(parent), m_bodySize(rugWidth, rugHeight)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);

    const QRectF body = bodyRect();
    m_folds = new CarpetClothFoldsView(rugWidth, rugHeight, floorState, this);
    m_folds->setPos(body.topLeft());
    new RugSheen(body, this);

    const QSizeF fringe = CarpetGeometry::fringeSize;
    m_leadingFringe = new RugFringeEdge(true, floorState, this);
    m_leadingFringe->setPos(frame().left(), -fringe.height() / 2);
    m_trailingFringe = new RugFringeEdge(false, floorState, this);
    m_trailingFringe->setPos(body.right(), -fringe.height() / 2);
}

QRectF ArabicRugView::frame() const
{
    const double fringes = 2 * CarpetGeometry::fringeWidth;
    return QRectF(-(m_bodySize.width() + fringes) / 2, -m_bodySize.height() / 2,
                  m_bodySize.width() + fringes, m_bodySize.height());
}

QRectF ArabicRugView::bodyRect() const
{
    return QRectF(QPointF(-m_bodySize.width() / 2, -m_bodySize.height() / 2), m_bodySize);
}

QRectF ArabicRugView::boundingRect() const
{
    // The base's shadow falls round the body.
    const qreal s = SoftShadow::spread(kBaseShadow.radius);
    return frame().united(bodyRect().translated(kBaseShadow.offset).adjusted(-s, -s, s, s));
}

void ArabicRugView::renderCache(qreal pixelRatio)
{
    m_cacheRect = boundingRect().toAlignedRect();
    m_cache =
        QImage((m_cacheRect.size() * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_cache.setDevicePixelRatio(pixelRatio);
    m_cache.fill(Qt::transparent);
    const QRectF body = bodyRect();
    drawOnPaintingHelper([&] {
        QPainter p(&m_cache);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-m_cacheRect.topLeft());
        paintWeave(p, body);
    });
    ++m_cacheRenders;
}

void ArabicRugView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const qreal ratio = Painting::cachePixelRatio(*painter);
    if (m_cache.isNull() || m_cache.devicePixelRatio() != ratio)
        renderCache(ratio);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(m_cacheRect.topLeft(), m_cache);
    painter->restore();
}
