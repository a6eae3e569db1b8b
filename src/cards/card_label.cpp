#include "cards/card_label.h"

ButtonLabel cardLabel(const QString& symbol, const QString& text, const QFont& font,
                      const QColor& foreground, const QColor& background, qreal radius)
{
    ButtonLabel label;
    label.symbol = symbol;
    label.title = text;
    label.font = font;
    label.foreground = foreground;
    label.background = background;
    label.shape = ButtonLabel::Shape::Rounded;
    label.cornerRadius = radius;
    label.spacing = 3;
    return label;
}

qreal widthWith(const ButtonLabel& label, qreal horizontalPadding)
{
    return label.sizeHint().width() + 2 * horizontalPadding;
}
