#include "kit/fitted_text.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace FittedText {
namespace {
QStringList wrap(const QString& text, const QFont& font, qreal width)
{
    QStringList lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, qreal(1)));
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

template <class Fn>
void forEachLine(const Layout& layout, const QRectF& box, Qt::Alignment align, Fn fn)
{
    const qreal total = layout.lineHeight * layout.lines.size();
    qreal top = box.top();
    if (align & Qt::AlignVCenter)
        top = box.center().y() - total / 2;
    else if (align & Qt::AlignBottom)
        top = box.bottom() - total;
    for (int i = 0; i < layout.lines.size(); ++i) {
        const QString& line = layout.lines[i];
        const qreal w = layout.font.horizontalAdvance(line);
        qreal x = box.left();
        if (align & Qt::AlignHCenter)
            x = box.center().x() - w / 2;
        else if (align & Qt::AlignRight)
            x = box.right() - w;
        fn(QPointF(x, top + i * layout.lineHeight + layout.font.ascent()), line);
    }
}
} // namespace

Layout fit(const QString& text, const DesignFont& font, const QSizeF& box, const Options& options)
{
    const int maxLines = std::max(options.maxLines, 1);
    const qreal minimum = std::clamp(options.minimumScale, qreal(0.05), qreal(1));
    for (qreal scale = 1;; scale = std::max(scale - 0.04, minimum)) {
        Layout layout{font.scaled(scale), {}, 0};
        layout.lineHeight = layout.font.height();
        // Wrapped with the face the text is drawn from, in a box scaled up to match it.
        const QStringList lines =
            maxLines == 1 ? QStringList{text}
                          : wrap(text, layout.font.loadedFont(), box.width() / layout.font.scale());
        const bool fitsWidth = maxLines > 1 || layout.font.horizontalAdvance(text) <= box.width();
        if (fitsWidth && lines.size() <= maxLines &&
            (lines.size() == 1 || lines.size() * layout.lineHeight <= box.height() + 0.01)) {
            layout.lines = lines;
            return layout;
        }
        if (scale <= minimum) {
            // Even the smallest size overflows: keep the first lines and elide the rest.
            const int kept = std::min<int>(maxLines, int(lines.size())) - 1;
            layout.lines = lines.mid(0, kept);
            const QString rest = QStringList(lines.mid(kept)).join(QLatin1Char(' '));
            layout.lines << elided(maxLines == 1 ? text : rest, layout.font, box.width(),
                                   options.elide);
            return layout;
        }
    }
}

QString elided(const QString& text, const DesignFont& font, qreal width, Qt::TextElideMode mode)
{
    return font.elidedText(text, mode, std::max(width, qreal(0)));
}

QPainterPath path(const Layout& layout, const QRectF& box, Qt::Alignment alignment)
{
    QPainterPath outline;
    const qreal scale = layout.font.scale();
    forEachLine(layout, box, alignment, [&](QPointF at, const QString& line) {
        QPainterPath glyphs;
        glyphs.addText(QPointF(0, 0), layout.font.loadedFont(), line);
        outline.addPath(QTransform::fromTranslate(at.x(), at.y()).scale(scale, scale).map(glyphs));
    });
    return outline;
}

void draw(QPainter& painter, const Layout& layout, const QRectF& box, Qt::Alignment alignment,
          const QColor& color)
{
    painter.save();
    painter.setPen(color);
    forEachLine(layout, box, alignment,
                [&](QPointF at, const QString& line) { layout.font.drawText(painter, at, line); });
    painter.restore();
}

} // namespace FittedText
