#include "room/theme_picker_view.h"

#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "room/asset_loader.h"
#include "state/tolvane_colors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

namespace {
const QString kTitle = QStringLiteral("Pilih Tema Ruangan");
const QString kSubtitle = QStringLiteral("Ubah gaya visual ruangan desktop sesuai mood kamu");
const QString kDone = QStringLiteral("Selesai");

QFont titleFont()
{
    return Units::systemFont(20, QFont::Bold);
}
QFont subtitleFont()
{
    return Units::systemFont(13);
}
QFont doneFont()
{
    return Units::systemFont(13, QFont::DemiBold);
}

qreal wrappedHeight(const QFont& font, const QString& text, qreal width, int maxLines = 0)
{
    const QFontMetricsF metrics(font);
    const QRectF bounds =
        metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text);
    qreal h = bounds.height();
    if (maxLines > 0)
        h = std::min(h, maxLines * metrics.lineSpacing());
    return h;
}
} // namespace

ThemeCardView::ThemeCardView(RoomTheme theme, bool isSelected, std::function<void()> onSelect,
                             AssetLoader& assets, QGraphicsItem* parent)
    : ButtonItem([this](QPainter& p, const QRectF& r) { draw(p, r); }, std::move(onSelect), parent),
      m_theme(theme), m_selected(isSelected), m_assets(assets)
{
    setSize(kSize);
    setPaintMargins(QMarginsF(8, 8, 8, 10));
}

void ThemeCardView::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

void ThemeCardView::draw(QPainter& p, const QRectF& r)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath card = Painting::continuousRoundedRect(r, 10);
    m_shadow.paint(p, card, ShadowStyle{Colors::black(0.08), 4, QPointF(0, 2)});
    p.fillPath(card, Colors::controlBackground());
    if (m_selected)
        p.strokePath(card, QPen(TOLVANEColors::electricBlue(), 3));
    else
        p.strokePath(card, QPen(Colors::grey(0.2), 1));

    const QRectF column = r.adjusted(10, 10, -10, -10);
    const QRectF preview(column.left(), column.top(), column.width(), 130);
    const QPainterPath previewShape = Painting::continuousRoundedRect(preview, 6);
    if (const auto image = m_assets.image(m_theme.backgroundImageName())) {
        p.save();
        p.setClipPath(previewShape);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false); // nearest pixel
        p.drawImage(Painting::aspectFillRect(image->deviceIndependentSize(), preview), *image);
        p.restore();
    } else {
        p.fillPath(previewShape, Colors::grey(0.3));
    }

    qreal y = preview.bottom() + 8;
    const DesignFont nameFont = DesignFont::system(13, QFont::Bold);
    const qreal nameHeight = nameFont.height();
    p.setPen(Colors::primaryLabel());
    nameFont.drawText(
        p, QRectF(column.left(), y, column.width(), nameHeight),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        FittedText::elided(m_theme.displayName(), nameFont, column.width(), Qt::ElideRight));
    y += nameHeight + 8;

    const QFont descriptionFont = Units::systemFont(11);
    const qreal descriptionHeight =
        wrappedHeight(descriptionFont, m_theme.themeDescription(), column.width(), 3);
    p.setFont(descriptionFont);
    p.setPen(Colors::secondaryLabel());
    p.save();
    p.setClipRect(QRectF(column.left(), y, column.width(), descriptionHeight));
    p.drawText(QRectF(column.left(), y, column.width(), descriptionHeight),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_theme.themeDescription());
    p.restore();
}

ThemePickerView::ThemePickerView(Bindings bindings, AssetLoader& assets, QGraphicsItem* parent)
    : RoomItem(parent), m_bindings(std::move(bindings))
{
    const auto close = [this] {
        if (m_bindings.setPresented)
            m_bindings.setPresented(false);
    };
    m_close = new ButtonItem(
        [](QPainter& p, const QRectF& r) {
            Symbols::paint(p, QStringLiteral("xmark.circle.fill"), r, Colors::secondaryLabel());
        },
        close, this);
    m_close->setSize(QSizeF(20, 20));

    const RoomTheme current = m_bindings.currentTheme ? m_bindings.currentTheme() : RoomTheme();
    for (const RoomTheme& theme : RoomTheme::allCases()) {
        auto* card = new ThemeCardView(
            theme, theme == current,
            [this, theme] {
                if (m_bindings.setCurrentTheme)
                    m_bindings.setCurrentTheme(theme);
                refresh();
            },
            assets, this);
        m_cards.append(card);
    }

    m_done = new ButtonItem(
        [](QPainter& p, const QRectF& r) {
            p.setRenderHint(QPainter::Antialiasing);
            p.fillPath(Painting::continuousRoundedRect(r, 6), TOLVANEColors::electricBlue());
            p.setFont(doneFont());
            p.setPen(Qt::white);
            p.drawText(r, Qt::AlignCenter, kDone);
        },
        close, this);
    const QFontMetricsF doneMetrics(doneFont());
    m_done->setSize(QSizeF(doneMetrics.horizontalAdvance(kDone) + 40, doneMetrics.height() + 12));
    layout();
}

void ThemePickerView::refresh()
{
    const RoomTheme current = m_bindings.currentTheme ? m_bindings.currentTheme() : RoomTheme();
    for (ThemeCardView* card : m_cards)
        card->setSelected(card->theme() == current);
}

void ThemePickerView::layout()
{
    const qreal inner = kWidth - 48;
    qreal y = 16;
    m_headerHeight = std::max(QFontMetricsF(titleFont()).height(), qreal(20));
    m_close->setPos(kWidth - 24 - 20, y + (m_headerHeight - 20) / 2);
    y += m_headerHeight + 16;

    m_subtitleTop = y;
    m_subtitleHeight = wrappedHeight(subtitleFont(), kSubtitle, inner);
    y += m_subtitleHeight + 16;

    // The cards' row, centred, with margins of 8 above and below.
    y += 8;
    const qreal rowWidth = m_cards.size() * ThemeCardView::kSize.width() +
                           std::max<qsizetype>(m_cards.size() - 1, 0) * 16;
    qreal x = (kWidth - rowWidth) / 2;
    for (ThemeCardView* card : m_cards) {
        card->setPos(x, y);
        x += ThemeCardView::kSize.width() + 16;
    }
    y += ThemeCardView::kSize.height() + 8 + 16;

    m_dividerY = y;
    y += 1 + 16;

    m_done->setPos(kWidth - 24 - m_done->size().width(), y);
    y += m_done->size().height() + 16;
    setSize(QSizeF(kWidth, y));
}

void ThemePickerView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.fillRect(rect(), Colors::windowBackground());
    const qreal inner = kWidth - 48;
    p.setPen(Colors::primaryLabel());
    p.setFont(titleFont());
    p.drawText(QRectF(24, 16, inner - 28, m_headerHeight), Qt::AlignLeft | Qt::AlignVCenter,
               kTitle);
    p.setPen(Colors::secondaryLabel());
    p.setFont(subtitleFont());
    p.drawText(QRectF(24, m_subtitleTop, inner, m_subtitleHeight),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kSubtitle);
    p.fillRect(QRectF(24, m_dividerY, inner, 1), Colors::grey(0.3));
}
