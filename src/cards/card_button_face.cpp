#include "cards/card_button_face.h"

#include "kit/painting.h"
#include "kit/symbols.h"

#include <QFontMetricsF>
#include <QPainter>

qreal CardButtonFace::symbolSide() const
{
    // A glyph as tall as the text's capitals and a little more.
    return QFontMetricsF(font).ascent() + 1;
}

qreal CardButtonFace::naturalWidth(qreal horizontalPadding) const
{
    const qreal textWidth = text.isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(text);
    const qreal symbolWidth = symbol.isEmpty() ? 0 : symbolSide();
    const qreal gap = !text.isEmpty() && !symbol.isEmpty() ? 3 : 0;
    return textWidth + symbolWidth + gap + 2 * horizontalPadding;
}

void CardButtonFace::paint(QPainter& p, const QRectF& rect) const
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(Painting::continuousRoundedRect(rect, radius), background);
    const QFontMetricsF metrics(font);
    const qreal side = symbol.isEmpty() ? 0 : symbolSide();
    const qreal textWidth = text.isEmpty() ? 0 : metrics.horizontalAdvance(text);
    const qreal gap = side > 0 && textWidth > 0 ? 3 : 0;
    qreal x = rect.center().x() - (side + gap + textWidth) / 2;
    if (side > 0) {
        Symbols::paint(p, symbol, QRectF(x, rect.center().y() - side / 2, side, side), foreground);
        x += side + gap;
    }
    if (textWidth > 0) {
        p.setFont(font);
        p.setPen(foreground);
        p.drawText(QRectF(x, rect.top(), textWidth + 1, rect.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
}
