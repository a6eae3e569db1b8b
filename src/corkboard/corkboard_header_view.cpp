#include "corkboard/corkboard_header_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/units.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace {
constexpr qreal kRuleWidth = 24;
constexpr qreal kSpacing = 8;
constexpr char32_t kLigature = 0xFDFD;
// The header stays inside the band the notes keep clear of (190 points).
constexpr qreal kMaximumWidth = 190;
constexpr qreal kDesignSize = 24;

QColor ruleColor(qreal opacity)
{
    return Colors::srgb(0.65, 0.52, 0.35, opacity);
}

// Whether a font the text engine picks for `text` in `font` really has every glyph.
bool drawsWithoutMissingGlyphs(const QFont& font, const QString& text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.isEmpty())
        return false;
    for (const QGlyphRun& run : runs) {
        for (const quint32 glyph : run.glyphIndexes()) {
            if (glyph == 0)
                return false;
        }
    }
    return true;
}
} // namespace

QFont BismillahCalligraphyHeaderView::calligraphyFont()
{
    return Units::font(QStringLiteral("Amiri"), kDesignSize, QFont::Medium);
}

QString BismillahCalligraphyHeaderView::line(const QFont& font)
{
    const QString ligature = QString::fromUcs4(&kLigature, 1);
    if (drawsWithoutMissingGlyphs(font, ligature))
        return ligature;
    return QStringLiteral("بسم الله الرحمن الرحيم");
}

BismillahCalligraphyHeaderView::BismillahCalligraphyHeaderView(QGraphicsItem* parent)
    : RoomItem(parent), m_font(calligraphyFont().family(), kDesignSize, QFont::Medium),
      m_line(line(m_font.loadedFont()))
{
    // The ligature's width differs greatly between fonts; one that draws it wider than the
    // band is set smaller until it fits.
    m_textWidth = m_font.horizontalAdvance(m_line);
    const qreal room = kMaximumWidth - 2 * (kRuleWidth + kSpacing);
    if (m_textWidth > room) {
        m_font = DesignFont(m_font.loadedFont().family(), kDesignSize * room / m_textWidth,
                            QFont::Medium);
        m_textWidth = m_font.horizontalAdvance(m_line);
    }
    const qreal height = m_font.height();
    setSize({2 * kRuleWidth + 2 * kSpacing + m_textWidth, height});
    setPaintMargins(QMarginsF(2, 2, 2, 3));
    setCacheMode(DeviceCoordinateCache);
    gestures().setToolTip(QStringLiteral("بِسْمِ اللَّهِ الرَّحْمَٰنِ الرَّحِيمِ — Dengan nama Allah Yang "
                                         "Maha Pengasih lagi Maha Penyayang"));
    stopTakingPointer(this);
}

void BismillahCalligraphyHeaderView::paint(QPainter* painter, const QStyleOptionGraphicsItem*,
                                           QWidget*)
{
    QPainter& p = *painter;
    const QRectF r = rect();
    const qreal midY = r.center().y();
    const QRectF left(0, midY - 0.5, kRuleWidth, 1);
    const QRectF right(r.right() - kRuleWidth, midY - 0.5, kRuleWidth, 1);
    p.fillRect(left, Painting::linearGradient(left.topLeft(), left.topRight(),
                                              {Qt::transparent, ruleColor(0.4)}));
    p.fillRect(right, Painting::linearGradient(right.topLeft(), right.topRight(),
                                               {ruleColor(0.4), Qt::transparent}));
    const QRectF text(kRuleWidth + kSpacing, 0, m_textWidth, r.height());
    // A faint shadow a point below; the ligature is too fine to need a blur.
    p.setPen(Colors::black(0.18));
    m_font.drawText(p, text.translated(0, 1), Qt::AlignCenter, m_line);
    p.setPen(Colors::srgb(0.24, 0.15, 0.09));
    m_font.drawText(p, text, Qt::AlignCenter, m_line);
}
