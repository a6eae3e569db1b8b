#include "kit/label_button.h"

#include "kit/painting.h"
#include "kit/symbols.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
qreal glyphSize(const ButtonLabel& l)
{
    if (l.symbol.isEmpty())
        return 0;
    if (l.symbolSize > 0)
        return l.symbolSize;
    return l.font.pixelSize() > 0 ? l.font.pixelSize() : QFontMetricsF(l.font).height() * 0.8;
}

QSizeF labelSize(const ButtonLabel& l)
{
    const QFontMetricsF m(l.font);
    const qreal glyph = glyphSize(l);
    const qreal text = l.title.isEmpty() ? 0 : m.horizontalAdvance(l.title);
    const qreal gap = glyph > 0 && text > 0 ? l.spacing : 0;
    return QSizeF(glyph + gap + text, std::max(glyph, l.title.isEmpty() ? 0 : m.height()));
}
} // namespace

QSizeF ButtonLabel::sizeHint() const
{
    if (size)
        return *size;
    const QSizeF inner = labelSize(*this);
    return QSizeF(inner.width() + padding.left() + padding.right(),
                  inner.height() + padding.top() + padding.bottom());
}

void ButtonLabel::paint(QPainter& p, const QRectF& r) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath back;
    switch (shape) {
    case Shape::None:
        break;
    case Shape::Capsule:
        back = Painting::capsule(r);
        break;
    case Shape::Circle:
        back = Painting::ellipse(r);
        break;
    case Shape::Rounded:
        back = Painting::continuousRoundedRect(r, cornerRadius);
        break;
    }
    if (!back.isEmpty()) {
        p.fillPath(back, background);
        if (border.alpha() > 0)
            p.strokePath(back, QPen(border, 1));
    }
    const QSizeF inner = labelSize(*this);
    const qreal glyph = glyphSize(*this);
    qreal x = r.center().x() - inner.width() / 2;
    if (glyph > 0) {
        Symbols::paint(p, symbol, QRectF(x, r.center().y() - glyph / 2, glyph, glyph), foreground);
        x += glyph + (title.isEmpty() ? 0 : spacing);
    }
    if (!title.isEmpty()) {
        // Plain text, never markup.
        const QFontMetricsF m(font);
        p.setFont(font);
        p.setPen(foreground);
        p.drawText(QPointF(x, r.center().y() - m.height() / 2 + m.ascent()), title);
    }
    p.restore();
}

ButtonItem* makeLabelButton(const ButtonLabel& label, std::function<void()> action,
                            QGraphicsItem* parent, const QString& toolTip)
{
    auto* button = new ButtonItem([label](QPainter& p, const QRectF& r) { label.paint(p, r); },
                                  std::move(action), parent);
    button->setSize(label.sizeHint());
    if (!toolTip.isEmpty())
        button->gestures().setToolTip(toolTip);
    return button;
}
