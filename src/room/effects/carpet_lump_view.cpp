#include "room/effects/carpet_lump_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/soft_shadow.h"

#include <QPainter>

namespace {
// A blurred rounded rectangle centred on the origin: its image and where it goes.
struct SoftRect {
    QSizeF size;
    qreal blur;
    QPointF offset;
    QColor color;
};
const SoftRect kShadow{{50, 22}, 3, {0, 3}, Colors::black(0.35)};
const SoftRect kHighlight{{44, 16}, 2, {0, -2}, Colors::white(0.15)};

QRectF centredRect(const SoftRect& soft)
{
    return QRectF(soft.offset - QPointF(soft.size.width() / 2, soft.size.height() / 2), soft.size);
}

// Every bump looks the same: one image of each layer per pixel ratio, for all of them.
void paintSoft(QPainter& painter, const SoftRect& soft, qreal ratio)
{
    struct Cached {
        qreal ratio = 0;
        QImage image;
        QPointF topLeft;
    };
    static Cached shadow;
    static Cached highlight;
    Cached& cached = &soft == &kShadow ? shadow : highlight;
    if (cached.image.isNull() || cached.ratio != ratio) {
        cached.ratio = ratio;
        cached.image = SoftShadow::ofPath(Painting::continuousRoundedRect(centredRect(soft), 6),
                                          soft.blur, soft.color, ratio, &cached.topLeft);
    }
    painter.drawImage(cached.topLeft, cached.image);
}
} // namespace

CarpetLumpView::CarpetLumpView(QGraphicsItem* parent) : QGraphicsItem(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
}

QRectF CarpetLumpView::boundingRect() const
{
    const qreal s = SoftShadow::spread(kShadow.blur);
    return centredRect(kShadow)
        .adjusted(-s, -s, s, s)
        .united(centredRect(kHighlight).adjusted(-s, -s, s, s));
}

void CarpetLumpView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const qreal ratio = Painting::cachePixelRatio(*painter);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    paintSoft(*painter, kShadow, ratio);
    paintSoft(*painter, kHighlight, ratio);
    painter->restore();
}
