#include "cards/trash_quick_view.h"

#include "kit/colors.h"
#include "kit/formats.h"
#include "kit/symbols.h"
#include "platform/user_trash.h"

#include <QPainter>

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
    const DesignFont countFont = DesignFont::system(11, QFont::Bold);
    const DesignFont hintFont = DesignFont::system(9);
    const qreal textHeight =
        CardPainting::lineHeight(countFont) + 1 + CardPainting::lineHeight(hintFont);
    addRow(new PaintedItem(QSizeF(w, std::max<qreal>(28, textHeight)), [=](QPainter& painter,
                                                                           const QRectF& rect) {
        Symbols::paint(painter, symbolName(count),
                       QRectF(rect.left(), rect.center().y() - 14, 28, 28), symbolColor(count));
        const qreal left = rect.left() + 28 + 8;
        const qreal top = rect.center().y() - textHeight / 2;
        CardPainting::text(
            painter, QRectF(left, top, rect.right() - left, CardPainting::lineHeight(countFont)),
            countFont, Colors::primaryLabel(), countLine);
        CardPainting::text(painter,
                           QRectF(left, top + CardPainting::lineHeight(countFont) + 1,
                                  rect.right() - left, CardPainting::lineHeight(hintFont)),
                           hintFont, hintColor, hintLine);
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
