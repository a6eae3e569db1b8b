#include "cards/trash_quick_view.h"

#include "kit/colors.h"
#include "kit/formats.h"
#include "kit/symbols.h"
#include "platform/user_trash.h"

#include <QPainter>

#include <memory>

namespace {
// The card tells what the Trash holds when it is shown, not what was last seen.
int freshCount(UserTrash& trash)
{
    trash.refresh();
    return trash.itemCount();
}
} // namespace

TrashQuickView::TrashQuickView(UserTrash& trash, std::function<void()> onClose,
                               QGraphicsItem* parent)
    : DesktopQuickViewCard(QStringLiteral("Tempat Sampah"), QStringLiteral("trash.fill"),
                           Colors::srgb(0.4, 0.4, 0.4), 250, onClose, parent),
      m_count(freshCount(trash)),
      m_countLine(trash.isReadable() ? countText(m_count) : unreadableText()),
      m_hintLine(trash.leftByEmptying() > 0
                     ? leftText(trash.leftByEmptying())
                     : QStringLiteral("Seret file ke tong sampah untuk membuang"))
{
    const qreal w = contentWidth();
    const int count = m_count;
    const QString countLine = m_countLine;
    const QString hintLine = m_hintLine;
    const QColor hintColor =
        trash.leftByEmptying() > 0 ? Colors::system(Colors::System::Red) : Colors::secondaryLabel();
    // The texts share the row with the 28-point symbol, 8 apart, and wrap at what is left.
    const auto texts = std::make_shared<const CardPainting::TextStack>(
        QList<CardPainting::StackedText>{
            {DesignFont::system(11, QFont::Bold), Colors::primaryLabel(), countLine},
            {DesignFont::system(9), hintColor, hintLine, 1}},
        w - 28 - 8);
    addRow(
        new PaintedItem(QSizeF(w, std::max<qreal>(28, texts->height())), [=](QPainter& painter,
                                                                             const QRectF& rect) {
            Symbols::paint(painter, symbolName(count),
                           QRectF(rect.left(), rect.center().y() - 14, 28, 28), symbolColor(count));
            texts->draw(painter,
                        QPointF(rect.left() + 28 + 8, rect.center().y() - texts->height() / 2));
        }));
    addRow(CardPainting::divider(w, 0.2));

    QList<RoomItem*> buttons;
    if (count >= 1) {
        m_empty =
            cardButton(w, Colors::system(Colors::System::Red, 0.12),
                       Colors::system(Colors::System::Red), QString(), QStringLiteral("Kosongkan"),
                       DesignFont::system(10, QFont::DemiBold), [&trash, onClose] {
                           trash.empty();
                           if (onClose)
                               onClose();
                       });
        buttons.append(m_empty);
    }
    m_open = cardButton(w, Colors::system(Colors::System::Blue), Colors::white(),
                        QStringLiteral("folder.fill"), QStringLiteral("Buka di Finder"),
                        DesignFont::system(10, QFont::Bold), [&trash, onClose] {
                            trash.open();
                            if (onClose)
                                onClose();
                        });
    buttons.append(m_open);
    addRow(cardRow(w, 6, buttons));
    addRow(
        CardPainting::paragraph(w, DesignFont::system(9), Colors::tertiaryLabel(),
                                QStringLiteral("💡 Tips: Klik 2x pada tempat sampah untuk langsung "
                                               "membuka di Finder")));
}

QString TrashQuickView::countText(int count)
{
    if (count < 1)
        return QStringLiteral("Tempat sampah kosong");
    return QString::number(count) + QStringLiteral(" item di tempat sampah");
}

QString TrashQuickView::unreadableText()
{
    return Formats::unreadableContents();
}

QString TrashQuickView::leftText(int left)
{
    return QString::number(left) + QStringLiteral(" item tidak dapat dihapus");
}

QString TrashQuickView::symbolName(int count)
{
    return count > 0 ? QStringLiteral("trash.fill") : QStringLiteral("trash");
}

QColor TrashQuickView::symbolColor(int count)
{
    return count > 0 ? Colors::system(Colors::System::Orange) : Colors::secondaryLabel();
}
