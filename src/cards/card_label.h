#pragma once

#include "kit/label_button.h"

// The cards' buttons: a symbol and/or a text on a rounded rectangle of `radius`.
ButtonLabel cardLabel(const QString& symbol, const QString& text, const QFont& font,
                      const QColor& foreground, const QColor& background, qreal radius = 6);
// The label's width with `horizontalPadding` on either side.
qreal widthWith(const ButtonLabel& label, qreal horizontalPadding);
