#include "room/floor/floor_multi_select_action_bar.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "kit/units.h"
#include "state/tolvane_colors.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
constexpr qreal spacing = 12;
constexpr qreal padH = 14;
constexpr qreal padV = 7;
const QString addTitle = QStringLiteral("Simpan ke Rak Buku");

QFont countFont()
{
    return Units::systemFont(12, QFont::Bold);
}
QFont addFont()
{
    return Units::systemFont(11, QFont::DemiBold);
}

RoomItem* makeButton(QGraphicsItem* parent, const QString& tip, std::function<void()> action)
{
    auto* button = new RoomItem(parent);
    button->gestures().onTap(std::move(action));
    button->gestures().setToolTip(tip);
    return button;
}
} // namespace

FloorMultiSelectActionBar::FloorMultiSelectActionBar(QGraphicsItem* parent) : RoomItem(parent)
{
    setPaintMargins(QMarginsF(12, 8, 12, 18));
    m_addButton =
        makeButton(this, QStringLiteral("Pindahkan semua file yang diblok ke rak buku"), [this] {
            if (onAddToBookshelf)
                onAddToBookshelf();
        });
    m_trashButton =
        makeButton(this, QStringLiteral("Buang semua file yang diblok ke tong sampah"), [this] {
            if (onTrashAll)
                onTrashAll();
        });
    m_clearButton = makeButton(this, QStringLiteral("Lepas pilihan blok"), [this] {
        if (onClearSelection)
            onClearSelection();
    });
    layoutRow();
}

QString FloorMultiSelectActionBar::countText() const
{
    return QString::number(m_selectedCount) + QStringLiteral(" File Dipilih");
}

void FloorMultiSelectActionBar::setSelectedCount(int count)
{
    if (count == m_selectedCount)
        return;
    m_selectedCount = count;
    layoutRow();
    update();
}

void FloorMultiSelectActionBar::layoutRow()
{
    const qreal countWidth = 16 + 6 + QFontMetricsF(countFont()).horizontalAdvance(countText()) + 4;
    const QFontMetricsF addMetrics(addFont());
    const QSizeF add(10 + 13 + 5 + addMetrics.horizontalAdvance(addTitle) + 10,
                     addMetrics.height() + 10);
    const QSizeF trash(24, 24);
    const QSizeF clear(22, 22);
    const qreal rowHeight = std::max({add.height(), trash.height(), clear.height(), qreal(18)});
    const qreal width = padH + countWidth + spacing + add.width() + spacing + trash.width() +
                        spacing + clear.width() + padH;
    const QPointF oldCentre = centre();
    setSize(QSizeF(width, rowHeight + 2 * padV));
    setCentre(oldCentre);

    qreal x = padH;
    const qreal mid = padV + rowHeight / 2;
    m_countRect = QRectF(x, mid - 9, countWidth, 18);
    x += countWidth + spacing;
    m_addButton->setSize(add);
    m_addButton->setCentre(QPointF(x + add.width() / 2, mid));
    x += add.width() + spacing;
    m_trashButton->setSize(trash);
    m_trashButton->setCentre(QPointF(x + trash.width() / 2, mid));
    x += trash.width() + spacing;
    m_clearButton->setSize(clear);
    m_clearButton->setCentre(QPointF(x + clear.width() / 2, mid));
}

void FloorMultiSelectActionBar::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor green = TOLVANEColors::highlighterGreen();
    const QPainterPath body = Painting::capsule(rect());
    m_shadow.paint(*painter, body, ShadowStyle{Colors::black(0.55), 10, QPointF(0, 5)});
    painter->fillPath(body, Colors::srgb(0.12, 0.14, 0.18, 0.95));
    painter->setPen(QPen(Colors::withOpacity(green, 0.6), 1.2));
    painter->drawPath(body);

    // The count.
    Symbols::paint(*painter, QStringLiteral("checkmark.circle.fill"),
                   QRectF(m_countRect.left(), m_countRect.center().y() - 8, 16, 16), green);
    painter->setPen(Colors::white());
    painter->setFont(countFont());
    painter->drawText(m_countRect.adjusted(22, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      countText());

    // "Simpan ke Rak Buku" on its green capsule.
    const QRectF add = m_addButton->mapRectToParent(m_addButton->rect());
    painter->fillPath(Painting::capsule(add), green);
    Symbols::paint(*painter, QStringLiteral("books.vertical.fill"),
                   QRectF(add.left() + 10, add.center().y() - 6.5, 13, 13), Colors::black());
    painter->setPen(Colors::black());
    painter->setFont(addFont());
    painter->drawText(add.adjusted(10 + 13 + 5, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      addTitle);

    // The trash on a faint circle, and the plain cross.
    const QRectF trash = m_trashButton->mapRectToParent(m_trashButton->rect());
    painter->setPen(Qt::NoPen);
    painter->setBrush(Colors::white(0.12));
    painter->drawEllipse(trash);
    Symbols::paint(*painter, QStringLiteral("trash.fill"), trash.adjusted(5, 5, -5, -5),
                   Colors::withOpacity(QColor(Qt::red), 0.9));
    const QRectF clear = m_clearButton->mapRectToParent(m_clearButton->rect());
    Symbols::paint(*painter, QStringLiteral("xmark"), clear.adjusted(5, 5, -5, -5),
                   Colors::white(0.7));
}
