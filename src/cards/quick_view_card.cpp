#include "cards/quick_view_card.h"

#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/painting.h"
#include "kit/panel_backdrop.h"
#include "kit/symbols.h"
#include "state/animation.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPainter>

#include <cmath>

PaintedItem::PaintedItem(const QSizeF& size, Painter paint, QGraphicsItem* parent)
    : RoomItem(parent), m_paint(std::move(paint))
{
    setSize(size);
}

void PaintedItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!m_paint)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    m_paint(*painter, rect());
}

AppleScaleButtonStyle::AppleScaleButtonStyle(const QSizeF& size, Painter paint,
                                             std::function<void()> action, QGraphicsItem* parent)
    : PaintedItem(size, std::move(paint), parent)
{
    gestures().onTap(std::move(action));
    m_press.setOnFrame([this] {
        const qreal p = m_press.value();
        setTransformOriginPoint(rect().center());
        setScale(1 - 0.06 * p);
        setOpacity(1 - 0.18 * p);
    });
}

void AppleScaleButtonStyle::setHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    withAnimation(Animation::spring(0.22, 0.7), [&] { m_press.set(held ? 1.0 : 0.0); });
}

void AppleScaleButtonStyle::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    PaintedItem::mousePressEvent(event);
    setHeld(event->isAccepted());
}

void AppleScaleButtonStyle::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    PaintedItem::mouseMoveEvent(event);
    setHeld(rect().contains(event->pos()));
}

void AppleScaleButtonStyle::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    setHeld(false);
    PaintedItem::mouseReleaseEvent(event);
}

namespace {
const DesignFont& titleFont()
{
    static const DesignFont font = DesignFont::system(13, QFont::Bold);
    return font;
}
constexpr qreal kHeaderTop = 12;
constexpr qreal kHeaderBottom = 10;
constexpr qreal kSymbolSize = 17; // the 14-point symbol's box
constexpr qreal kCloseSize = 18;  // the 15-point close symbol's box
constexpr qreal kHeaderSpacing = 8;
} // namespace

DesktopQuickViewCard::DesktopQuickViewCard(const QString& title, const QString& iconName,
                                           const QColor& iconColor, qreal width,
                                           std::function<void()> onClose, QGraphicsItem* parent)
    : RoomItem(parent), m_title(title), m_iconName(iconName), m_iconColor(iconColor),
      m_onClose(std::move(onClose))
{
    setFlag(ItemIsFocusable);
    // Clicks on the card stay on the card; its buttons take their own.
    gestures().onTap([] {});
    new PanelBackdrop(PanelSurface::card(), this);
    m_close = new AppleScaleButtonStyle(
        QSizeF(kCloseSize, kCloseSize),
        [](QPainter& painter, const QRectF& rect) {
            Symbols::paint(painter, QStringLiteral("xmark.circle.fill"), rect,
                           Colors::tertiaryLabel());
        },
        [this] {
            if (m_onClose)
                m_onClose();
        },
        this);
    m_close->gestures().setToolTip(QStringLiteral("Tutup (Escape)"));
    setSize(QSizeF(width, 0));
    relayout();
}

qreal DesktopQuickViewCard::contentWidth() const
{
    return size().width() - 2 * kPadding;
}

void DesktopQuickViewCard::setRowSpacing(qreal spacing)
{
    m_spacing = spacing;
    relayout();
}

void DesktopQuickViewCard::addRow(RoomItem* row)
{
    row->setParentItem(this);
    m_rows.push_back(row);
    connect(row, &RoomItem::sizeChanged, this, &DesktopQuickViewCard::relayout);
    relayout();
}

qreal DesktopQuickViewCard::headerHeight() const
{
    return std::max({CardPainting::lineHeight(titleFont()), kSymbolSize, kCloseSize});
}

QRectF DesktopQuickViewCard::titleRect() const
{
    const qreal left = kPadding + kSymbolSize + kHeaderSpacing;
    const qreal right = size().width() - kPadding - kCloseSize - kHeaderSpacing;
    return QRectF(left, kHeaderTop, std::max<qreal>(0, right - left), headerHeight());
}

QString DesktopQuickViewCard::shownTitle() const
{
    return titleFont().elidedText(m_title, Qt::ElideRight, titleRect().width());
}

RoomItem* DesktopQuickViewCard::addActionFooter(const QColor& tint, const QString& symbol,
                                                const QString& label, std::function<void()> action,
                                                const QString& tips)
{
    const qreal w = contentWidth();
    addRow(CardPainting::divider(w, 0.2));
    RoomItem* button = quickViewActionLabel(w, tint, symbol, label, std::move(action));
    addRow(button);
    addRow(CardPainting::paragraph(w, DesignFont::system(9), Colors::tertiaryLabel(), tips));
    return button;
}

void DesktopQuickViewCard::relayout()
{
    const qreal header = kHeaderTop + headerHeight() + kHeaderBottom;
    m_close->setPos(size().width() - kPadding - kCloseSize,
                    kHeaderTop + (headerHeight() - kCloseSize) / 2);
    qreal y = header + 1 + kPadding; // under the divider
    bool first = true;
    for (RoomItem* row : m_rows) {
        if (!first)
            y += m_spacing;
        first = false;
        row->setPos(kPadding, y);
        y += row->size().height();
    }
    setSize(QSizeF(size().width(), y + kPadding));
    setHitShape(Painting::continuousRoundedRect(rect(), 12));
    update();
}

void DesktopQuickViewCard::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const qreal h = headerHeight();
    Symbols::paint(*painter, m_iconName,
                   QRectF(kPadding, kHeaderTop + (h - kSymbolSize) / 2, kSymbolSize, kSymbolSize),
                   m_iconColor);
    CardPainting::text(*painter, titleRect(), titleFont(), Colors::primaryLabel(), m_title);
    const qreal divider = kHeaderTop + h + kHeaderBottom;
    painter->fillRect(QRectF(0, divider, size().width(), 1),
                      Colors::withOpacity(Colors::primaryLabel(), 0.12 * 0.3));
}

void DesktopQuickViewCard::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_onClose) {
        event->accept();
        m_onClose();
        return;
    }
    RoomItem::keyPressEvent(event);
}

QVariant DesktopQuickViewCard::itemChange(GraphicsItemChange change, const QVariant& value)
{
    // The open card takes the keys, so Escape reaches it.
    if (change == ItemSceneHasChanged && scene())
        setFocus();
    return RoomItem::itemChange(change, value);
}

namespace CardPainting {

qreal lineHeight(const DesignFont& font)
{
    return std::ceil(font.height());
}

void text(QPainter& painter, const QRectF& rect, const DesignFont& font, const QColor& color,
          const QString& text, Qt::Alignment alignment)
{
    painter.setPen(color);
    font.drawText(painter, rect, int(alignment),
                  font.elidedText(text, Qt::ElideRight, rect.width()));
}

void symbolAndText(QPainter& painter, const QRectF& rect, const QString& symbol,
                   const DesignFont& font, const QColor& color, const QString& text, qreal spacing)
{
    const qreal glyph = std::round(font.designPoints() * 1.15);
    const qreal textWidth = std::min(font.horizontalAdvance(text), rect.width() - glyph - spacing);
    const qreal left = rect.center().x() - (glyph + spacing + textWidth) / 2;
    Symbols::paint(painter, symbol, QRectF(left, rect.center().y() - glyph / 2, glyph, glyph),
                   color);
    CardPainting::text(painter,
                       QRectF(left + glyph + spacing, rect.top(), textWidth + 1, rect.height()),
                       font, color, text);
}

RoomItem* divider(qreal width, qreal opacity)
{
    return new PaintedItem(QSizeF(width, 1), [opacity](QPainter& painter, const QRectF& rect) {
        painter.fillRect(rect, Colors::withOpacity(Colors::primaryLabel(), 0.12 * opacity));
    });
}

RoomItem* line(qreal width, const DesignFont& font, const QColor& color, const QString& text)
{
    return new PaintedItem(QSizeF(width, lineHeight(font)),
                           [font, color, text](QPainter& painter, const QRectF& rect) {
                               CardPainting::text(painter, rect, font, color, text);
                           });
}

RoomItem* paragraph(qreal width, const DesignFont& font, const QColor& color, const QString& text)
{
    const QFontMetricsF metrics(font.loadedFont());
    const qreal height = metrics
                             .boundingRect(QRectF(0, 0, width / font.scale(), 1e6),
                                           Qt::AlignLeft | Qt::TextWordWrap, text)
                             .height() *
                         font.scale();
    return new PaintedItem(QSizeF(width, std::ceil(height)),
                           [font, color, text](QPainter& painter, const QRectF& rect) {
                               painter.setPen(color);
                               font.drawText(painter, rect, Qt::AlignLeft | Qt::TextWordWrap, text);
                           });
}

TextStack::TextStack(const QList<StackedText>& texts, qreal width) : m_width(width)
{
    FittedText::Options options;
    options.maxLines = 1000; // as many as it takes
    options.wrap = FittedText::Options::Wrap::Words;
    qreal top = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const StackedText& text = texts[i];
        if (i > 0)
            top += text.spacingAbove;
        QStringList lines =
            FittedText::fit(text.text, text.font, QSizeF(width, 1e6), options).lines;
        if (lines.isEmpty())
            lines << QString();
        m_laid.append({text, lines, top});
        top += qreal(lines.size()) * lineHeight(text.font);
    }
    m_height = top;
}

void TextStack::draw(QPainter& painter, const QPointF& topLeft) const
{
    painter.save();
    for (const Laid& laid : m_laid) {
        painter.setPen(laid.text.color);
        const qreal line = lineHeight(laid.text.font);
        for (qsizetype i = 0; i < laid.lines.size(); ++i) {
            const QRectF rect(topLeft.x(), topLeft.y() + laid.top + qreal(i) * line, m_width, line);
            laid.text.font.drawText(painter, rect, Qt::AlignLeft | Qt::AlignVCenter, laid.lines[i]);
        }
    }
    painter.restore();
}

} // namespace CardPainting

RoomItem* cardButton(qreal width, const QColor& fill, const QColor& ink, const QString& symbol,
                     const QString& label, const DesignFont& font, std::function<void()> action)
{
    auto* button = new ButtonItem(
        [=](QPainter& painter, const QRectF& rect) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillPath(Painting::continuousRoundedRect(rect, 6), fill);
            if (symbol.isEmpty())
                CardPainting::text(painter, rect, font, ink, label, Qt::AlignCenter);
            else
                CardPainting::symbolAndText(painter, rect, symbol, font, ink, label, 4);
        },
        std::move(action));
    button->setSize(QSizeF(width, CardPainting::lineHeight(font) + 12));
    return button;
}

RoomItem* cardRow(qreal width, qreal spacing, const QList<RoomItem*>& items)
{
    auto* row = new RoomItem;
    const qreal each = (width - spacing * qreal(items.size() - 1)) / qreal(items.size());
    qreal height = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        RoomItem* item = items[i];
        item->setParentItem(row);
        item->setSize(QSizeF(each, item->size().height()));
        item->setPos(qreal(i) * (each + spacing), 0);
        height = std::max(height, item->size().height());
    }
    row->setSize(QSizeF(width, height));
    return row;
}

RoomItem* quickViewActionLabel(qreal width, const QColor& tint, const QString& symbol,
                               const QString& label, std::function<void()> action)
{
    return cardButton(width, tint, Colors::white(), symbol, label,
                      DesignFont::system(11, QFont::DemiBold), std::move(action));
}
