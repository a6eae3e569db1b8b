#include "corkboard/note_customizer_panel.h"

#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "kit/upright_drawing.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr qreal kSwatch = 10.5;
constexpr qreal kSwatchSpacing = 3.5;
constexpr qreal kSide = 6;

DesignFont chipFont(bool current)
{
    return DesignFont::system(6.5, current ? QFont::Bold : QFont::Medium);
}

DesignFont tiltFont(bool current)
{
    return DesignFont::system(6, current ? QFont::Bold : QFont::Normal);
}

DesignFont labelFont()
{
    return DesignFont::system(7, QFont::Bold);
}

const QString& fastenerLabel()
{
    static const QString label = QStringLiteral("Tempelan:");
    return label;
}
} // namespace

const QList<NoteColor>& NoteCustomizerPanel::swatchColors()
{
    static const QList<NoteColor> colors = {NoteColor::lime, NoteColor::pink,     NoteColor::yellow,
                                            NoteColor::mint, NoteColor::lavender, NoteColor::peach,
                                            NoteColor::blue, NoteColor::white,    NoteColor::dark};
    return colors;
}

bool NoteCustomizerPanel::isCurrentTilt(double rotation, double tilt)
{
    return std::abs(rotation - tilt) < 0.5;
}

QString NoteCustomizerPanel::tiltLabel(double tilt)
{
    if (tilt > 0)
        return QStringLiteral("+4°");
    if (tilt < 0)
        return QStringLiteral("-4°");
    return QStringLiteral("0°");
}

PaperPattern NoteCustomizerPanel::nextPattern(PaperPattern pattern)
{
    const QList<PaperPattern>& all = allPaperPatterns();
    return all.at((all.indexOf(pattern) + 1) % all.size());
}

NoteCustomizerPanel::NoteCustomizerPanel(qreal width, Actions actions, QGraphicsItem* parent)
    : RoomItem(parent), m_width(width), m_actions(std::move(actions))
{
    const QList<NoteColor>& colors = swatchColors();
    for (int i = 0; i < colors.size(); ++i) {
        const NoteColor c = colors.at(i);
        auto* swatch = new ButtonItem(
            [this, c, i](QPainter& p, const QRectF& r) {
                const bool current = m_note.color == c;
                p.setRenderHint(QPainter::Antialiasing);
                m_swatchShadows.at(size_t(i)).paint(p, Painting::ellipse(r),
                                                    {Colors::black(current ? 0.35 : 0.08), 1, {}});
                p.setPen(Qt::NoPen);
                p.setBrush(color(c));
                p.drawEllipse(r);
                p.setBrush(Qt::NoBrush);
                if (current)
                    p.setPen(QPen(Colors::white(), 1.5));
                else
                    p.setPen(QPen(Colors::black(0.18), 0.6));
                p.drawEllipse(r);
            },
            [this, c] { m_actions.chooseColor(c); }, this);
        swatch->setSize({kSwatch, kSwatch});
        swatch->setPaintMargins(QMarginsF(3, 3, 3, 3));
        swatch->gestures().setToolTip(QStringLiteral("Warna ") + displayName(c));
        m_swatches.append(swatch);
    }

    m_pinRow = new RoomItem(this);
    for (const PinStyle style : allPinStyles()) {
        auto* chip = new ButtonItem(
            [this, style](QPainter& p, const QRectF& r) {
                const bool current = m_note.pinStyle == style;
                p.setRenderHint(QPainter::Antialiasing);
                p.setPen(Qt::NoPen);
                if (current) {
                    p.setBrush(Colors::withOpacity(m_ink, 0.12));
                    p.drawPath(Painting::continuousRoundedRect(r, 2));
                }
                p.setPen(Colors::withOpacity(m_ink, current ? 1 : 0.55));
                Painting::drawUpright(p, r, [&](QPainter& q) {
                    chipFont(current).drawText(q, r, Qt::AlignCenter, displayName(style));
                });
            },
            [this, style] { m_actions.choosePin(style); }, m_pinRow);
        m_pinChips.append(chip);
    }

    m_patternChip = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Colors::withOpacity(m_ink, 0.12));
            p.drawPath(Painting::capsule(r));
            p.setPen(m_ink);
            Painting::drawUpright(p, r, [&](QPainter& q) {
                chipFont(true).drawText(q, r, Qt::AlignCenter, displayName(m_note.pattern));
            });
        },
        [this] { m_actions.cyclePattern(); }, this);
    m_patternChip->gestures().setToolTip(QStringLiteral("Pola Kertas: Polos, Garis, atau Titik"));

    for (size_t i = 0; i < kTilts.size(); ++i) {
        const double tilt = kTilts.at(i);
        m_tiltChips.at(i) = new ButtonItem(
            [this, tilt](QPainter& p, const QRectF& r) {
                const bool current = isCurrentTilt(m_note.rotation, tilt);
                p.setPen(Colors::withOpacity(m_ink, current ? 1 : 0.45));
                Painting::drawUpright(p, r, [&](QPainter& q) {
                    tiltFont(current).drawText(q, r, Qt::AlignCenter, tiltLabel(tilt));
                });
            },
            [this, tilt] { m_actions.chooseTilt(tilt); }, this);
    }

    m_close = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            Symbols::paint(p, QStringLiteral("checkmark.circle.fill"), r,
                           Colors::withOpacity(m_ink, 0.75));
        },
        [this] { m_actions.close(); }, this);
    m_close->gestures().setToolTip(QStringLiteral("Tutup Kustomisasi"));
}

ButtonItem* NoteCustomizerPanel::swatch(NoteColor color) const
{
    const qsizetype i = swatchColors().indexOf(color);
    return i < 0 ? nullptr : m_swatches.at(i);
}

ButtonItem* NoteCustomizerPanel::pinChip(PinStyle style) const
{
    return m_pinChips.at(allPinStyles().indexOf(style));
}

void NoteCustomizerPanel::show(const StickyNote& note)
{
    m_note = note;
    m_ink = textColor(note.color);
    layout();
    update();
    for (QGraphicsItem* child : childItems())
        child->update();
    for (ButtonItem* chip : std::as_const(m_pinChips))
        chip->update();
}

void NoteCustomizerPanel::layout()
{
    // Row 1: the swatches.
    qreal y = 4;
    for (int i = 0; i < m_swatches.size(); ++i)
        m_swatches.at(i)->setPos(kSide + i * (kSwatch + kSwatchSpacing), y);
    y += kSwatch + 4;

    // Row 2: the label and the fastener chips, squeezed sideways when the names are too
    // wide for the card.
    const qreal chipHeight = chipFont(true).height() + 3;
    const qreal labelWidth = labelFont().horizontalAdvance(fastenerLabel());
    const qreal rowHeight = std::max(chipHeight, labelFont().height());
    qreal x = labelWidth + 4;
    const QList<PinStyle>& styles = allPinStyles();
    for (int i = 0; i < m_pinChips.size(); ++i) {
        const bool current = styles.at(i) == m_note.pinStyle;
        const qreal w = chipFont(current).horizontalAdvance(displayName(styles.at(i))) + 5;
        m_pinChips.at(i)->setSize({w, chipHeight});
        m_pinChips.at(i)->setPos(x, (rowHeight - chipHeight) / 2);
        x += w + 4;
    }
    const qreal natural = x - 4;
    const qreal available = m_width - 2 * kSide;
    const qreal squeeze = natural > available ? available / natural : 1;
    m_pinRow->setSize({natural, rowHeight});
    m_pinRow->setTransform(QTransform::fromScale(squeeze, 1));
    m_pinRow->setPos(kSide, y);
    y += rowHeight + 4;

    // Row 3: pattern, tilts, close.
    const DesignFont patternFont = chipFont(true);
    const qreal patternHeight = patternFont.height() + 3;
    const qreal row3 = std::max(patternHeight, qreal(10));
    const qreal patternWidth = patternFont.horizontalAdvance(displayName(m_note.pattern)) + 7;
    m_patternChip->setSize({patternWidth, patternHeight});
    m_patternChip->setPos(kSide, y + (row3 - patternHeight) / 2);
    x = kSide + patternWidth + 3;
    for (size_t i = 0; i < kTilts.size(); ++i) {
        const DesignFont font = tiltFont(isCurrentTilt(m_note.rotation, kTilts.at(i)));
        const qreal w = font.horizontalAdvance(tiltLabel(kTilts.at(i))) + 2;
        m_tiltChips.at(i)->setSize({w, row3});
        m_tiltChips.at(i)->setPos(x, y);
        x += w + 3;
    }
    m_close->setSize({10, 10});
    m_close->setPos(m_width - kSide - 10, y + (row3 - 10) / 2);
    y += row3 + 4;
    setSize({m_width, y});
}

void NoteCustomizerPanel::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->fillRect(rect(), Colors::withOpacity(m_ink, 0.05));
    painter->setPen(Colors::withOpacity(m_ink, 0.6));
    // The label belongs to the fastener row and is squeezed with it.
    painter->save();
    painter->translate(m_pinRow->pos());
    painter->setTransform(m_pinRow->transform(), true);
    const QRectF label(0, 0, 60, m_pinRow->size().height());
    Painting::drawUpright(*painter, label, [&](QPainter& q) {
        labelFont().drawText(q, label, Qt::AlignLeft | Qt::AlignVCenter, fastenerLabel());
    });
    painter->restore();
}
