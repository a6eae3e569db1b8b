#pragma once

#include "kit/units.h"

#include <QPainterPath>
#include <QRectF>
#include <QStringList>

class QPainter;

// Plain text (never markup) laid into a box as the room's labels want it: wrapped onto at
// most `maxLines` lines, shrunk down to `minimumScale` of its size when it does not fit,
// and elided on its last line only when even that is not enough. Sizes are design sizes,
// fractions kept: a label shrunk to 7.3 points is drawn at 7.3, not rounded.
namespace FittedText {

struct Options {
    // Where a wrapped line may end. Anywhere: at a space, else inside a word too wide for
    // the box. Words: only after a space or after one of `breakAfter` (a file name's "_",
    // "-", "."); a word still too wide once shrunk is elided, never split.
    enum class Wrap { Anywhere, Words };

    int maxLines = 1;
    Wrap wrap = Wrap::Anywhere;
    QString breakAfter;
    qreal minimumScale = 1;
    Qt::TextElideMode elide = Qt::ElideRight;
    Qt::Alignment alignment = Qt::AlignCenter;
};

struct Layout {
    DesignFont font;
    QStringList lines;
    qreal lineHeight = 0;
};

Layout fit(const QString& text, const DesignFont& font, const QSizeF& box, const Options& options);
// One line elided to `width` at `mode`.
QString elided(const QString& text, const DesignFont& font, qreal width, Qt::TextElideMode mode);

// The lines as outlines in `box`, aligned as asked (for a shadow of the text).
QPainterPath path(const Layout& layout, const QRectF& box, Qt::Alignment alignment);
void draw(QPainter& painter, const Layout& layout, const QRectF& box, Qt::Alignment alignment,
          const QColor& color);

} // namespace FittedText
