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

// Greedy lines of whole words: a line ends only after a space or a `breakAfter` character.
// Each line as [start, end) in `text`, spaces at its ends not counted when it is measured.
struct Span {
    qsizetype start;
    qsizetype end;
};
QList<Span> wrapWords(const QString& text, const DesignFont& font, qreal width,
                      const QString& breakAfter)
{
    QList<Span> words;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool spaceEnds = c.isSpace() && (i + 1 == text.size() || !text[i + 1].isSpace());
        if (spaceEnds || (!c.isSpace() && breakAfter.contains(c))) {
            words.append({start, i + 1});
            start = i + 1;
        }
    }
    if (start < text.size())
        words.append({start, text.size()});

    QList<Span> lines;
    for (const Span& word : std::as_const(words)) {
        if (!lines.isEmpty()) {
            Span& last = lines.last();
            const QString joined = text.mid(last.start, word.end - last.start).trimmed();
            if (font.horizontalAdvance(joined) <= width + 0.01) {
                last.end = word.end;
                continue;
            }
        }
        lines.append(word);
    }
    return lines;
}

QString spanText(const QString& text, const Span& span)
{
    return text.mid(span.start, span.end - span.start).trimmed();
}

Layout fitWords(const QString& text, const DesignFont& font, const QSizeF& box,
                const Options& options, int maxLines, qreal minimum)
{
    for (qreal scale = 1;; scale = std::max(scale - 0.04, minimum)) {
        Layout layout{font.scaled(scale), {}, 0};
        layout.lineHeight = layout.font.height();
        const QList<Span> spans = wrapWords(text, layout.font, box.width(), options.breakAfter);
        QStringList lines;
        bool fitsWidth = true;
        for (const Span& span : spans) {
            lines << spanText(text, span);
            fitsWidth =
                fitsWidth && layout.font.horizontalAdvance(lines.last()) <= box.width() + 0.01;
        }
        if (fitsWidth && lines.size() <= maxLines &&
            (lines.size() <= 1 || lines.size() * layout.lineHeight <= box.height() + 0.01)) {
            layout.lines = lines;
            return layout;
        }
        if (scale <= minimum) {
            // Even the smallest size overflows: whole words on the first lines, and the last
            // line takes the rest, elided; a word wider than the box is elided where it stands.
            const qsizetype last = std::min<qsizetype>(maxLines, spans.size()) - 1;
            for (qsizetype i = 0; i < last; ++i)
                layout.lines << elided(lines[i], layout.font, box.width(), Qt::ElideRight);
            const QString rest = text.mid(spans[last].start).trimmed();
            layout.lines << elided(rest, layout.font, box.width(), options.elide);
            return layout;
        }
    }
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
    if (options.wrap == Options::Wrap::Words && maxLines > 1 && !text.trimmed().isEmpty())
        return fitWords(text, font, box, options, maxLines, minimum);
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
