#include "room/floor/floor_drop_highlight_overlay.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
QFont labelFont()
{
    return Units::systemFont(12, QFont::Bold);
}
} // namespace

FloorDropHighlightOverlay::FloorDropHighlightOverlay(QGraphicsItem* parent) : RoomItem(parent)
{
    setAcceptedMouseButtons(Qt::NoButton);
}

QString FloorDropHighlightOverlay::labelText()
{
    return QStringLiteral("Taruh File / Folder di Desktop");
}

void FloorDropHighlightOverlay::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor line = Colors::srgb(0.4, 0.9, 0.5, 0.85);

    // The dashed frame, its stroke inside the shape.
    const QRectF frame = rect().adjusted(14, 14, -14, -14);
    painter->fillPath(Painting::continuousRoundedRect(frame, 16),
                      Colors::srgb(0.2, 0.8, 0.4, 0.12));
    QPen dashed(line, 2.5);
    dashed.setDashPattern({8 / 2.5, 6 / 2.5});
    painter->setPen(dashed);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(
        Painting::continuousRoundedRect(frame.adjusted(1.25, 1.25, -1.25, -1.25), 16 - 1.25));

    // The label in the middle.
    const QFontMetricsF metrics(labelFont());
    const qreal symbol = 17;
    const QSizeF content(symbol + 8 + metrics.horizontalAdvance(labelText()),
                         std::max(symbol, metrics.height()));
    const QSizeF pill(content.width() + 32, content.height() + 16);
    const QRectF label(rect().center() - QPointF(pill.width(), pill.height()) / 2, pill);
    const QPainterPath capsule = Painting::capsule(label);
    m_labelShadow.paint(*painter, capsule, ShadowStyle{Colors::black(0.4), 6, QPointF(0, 3)});
    painter->fillPath(capsule, Colors::black(0.78));
    painter->setPen(QPen(line, 1.5));
    painter->drawPath(capsule);

    const QRectF inner = label.adjusted(16, 8, -16, -8);
    Symbols::paint(*painter, QStringLiteral("tray.and.arrow.down.fill"),
                   QRectF(inner.left(), inner.center().y() - symbol / 2, symbol, symbol),
                   Colors::white());
    painter->setPen(Colors::white());
    painter->setFont(labelFont());
    painter->drawText(inner.adjusted(symbol + 8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      labelText());
}
