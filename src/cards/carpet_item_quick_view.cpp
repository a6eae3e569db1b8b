#include "cards/carpet_item_quick_view.h"

#include "cards/card_label.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/fitted_text.h"
#include "kit/formats.h"
#include "kit/units.h"
#include "platform/default_application.h"
#include "platform/file_manager_reveal.h"
#include "room/floor/file_icon_cache.h"
#include "storage/storage_manager.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

namespace {
constexpr qreal kSpacing = 8;
constexpr qreal kIconSide = 32;

const QString kTips = QStringLiteral("💡 Tips: Klik 2x pada file untuk langsung membukanya");

using Formats::indonesian;
} // namespace

CarpetItemQuickView::CarpetItemQuickView(const QUrl& url, std::function<void()> onClose,
                                         StorageManager& storage, QGraphicsItem* parent)
    : RoomItem(parent), m_url(url), m_onClose(std::move(onClose)), m_storage(storage)
{
    m_icon = FileIconCache::shared().icon(m_url);
    const qreal buttonsTop = kIconSide + kSpacing + 1 + kSpacing;
    const qreal height = QFontMetricsF(Units::systemFont(10)).height() + 10;
    const ButtonLabel open = cardLabel(
        QStringLiteral("arrow.up.forward.app.fill"), QStringLiteral("Buka File"),
        Units::systemFont(10, QFont::Bold), Colors::white(), Colors::system(Colors::System::Blue));
    const ButtonLabel back =
        cardLabel({}, QStringLiteral("Ke Desktop"), Units::systemFont(10, QFont::Medium),
                  Colors::primaryLabel(), Colors::black(0.06));
    const ButtonLabel reveal = cardLabel(QStringLiteral("folder"), {}, Units::systemFont(10),
                                         Colors::primaryLabel(), Colors::black(0.06));
    const qreal revealWidth = widthWith(reveal, 6);
    const qreal shared = (kWidth - revealWidth - 2 * 6) / 2;
    const auto add = [this, buttonsTop, height](const QString& name, const ButtonLabel& face,
                                                std::function<void()> action, qreal x, qreal w) {
        auto* b = new ButtonItem([face](QPainter& p, const QRectF& r) { face.paint(p, r); },
                                 std::move(action), this);
        b->setPos(x, buttonsTop);
        b->setSize(QSizeF(w, height));
        m_buttons.insert(name, b);
    };
    add(
        open.title, open, [this] { openFile(); }, 0, shared);
    add(
        back.title, back, [this] { returnToDesktop(); }, shared + 6, shared);
    add(
        QStringLiteral("folder"), reveal, [this] { revealInFileManager(); }, 2 * shared + 12,
        revealWidth);
    m_divider = kIconSide + kSpacing;
    m_tips = QRectF(0, buttonsTop + height + kSpacing, kWidth,
                    QFontMetricsF(Units::systemFont(9))
                        .boundingRect(QRectF(0, 0, kWidth, 1000), Qt::TextWordWrap, kTips)
                        .height());
    setSize(QSizeF(kWidth, m_tips.bottom()));

    for (auto signal :
         {&StorageManager::carpetItemsChanged, &StorageManager::floorItemPositionsChanged,
          &StorageManager::bookshelfItemsChanged})
        connect(&m_storage, signal, this, &CarpetItemQuickView::refresh);
    refresh();
}

QString CarpetItemQuickView::fileSizeText(const QUrl& url)
{
    const QFileInfo info(url.toLocalFile());
    if (!info.isFile())
        return QStringLiteral("-");
    return Formats::byteCount(info.size());
}

QString CarpetItemQuickView::modifiedDateText(const QUrl& url)
{
    const QFileInfo info(url.toLocalFile());
    if (!info.exists())
        return QStringLiteral("-");
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return QStringLiteral("-");
    return indonesian().toString(modified, QStringLiteral("d MMM yyyy HH.mm"));
}

void CarpetItemQuickView::refresh()
{
    m_info = QStringLiteral("Ukuran: ") + fileSizeText(m_url) + QStringLiteral(" • Diubah: ") +
             modifiedDateText(m_url);
    update();
}

void CarpetItemQuickView::openFile()
{
    DefaultApplication::open(m_url.toLocalFile());
    m_onClose();
}

void CarpetItemQuickView::returnToDesktop()
{
    m_storage.restoreCarpetItemToDesktop(m_url);
    m_onClose();
}

void CarpetItemQuickView::revealInFileManager()
{
    // A link is shown at the file it leads to.
    FileManagerReveal::shared().showItems({FileManagerReveal::resolvedPath(m_url.toLocalFile())});
    m_onClose();
}

ButtonItem* CarpetItemQuickView::button(const QString& title) const
{
    return m_buttons.value(title);
}

void CarpetItemQuickView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    m_icon.paint(&p, QRect(0, 0, int(kIconSide), int(kIconSide)));
    const qreal textLeft = kIconSide + 8;
    const qreal textWidth = kWidth - textLeft;
    const DesignFont nameFont = DesignFont::system(11, QFont::Bold);
    const DesignFont infoFont = DesignFont::system(9);
    const qreal top = (kIconSide - nameFont.height() - 1 - infoFont.height()) / 2;
    p.setPen(Colors::primaryLabel());
    nameFont.drawText(p, QRectF(textLeft, top, textWidth, nameFont.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      FittedText::elided(m_url.fileName(), nameFont, textWidth, Qt::ElideRight));
    p.setPen(Colors::secondaryLabel());
    infoFont.drawText(p,
                      QRectF(textLeft, top + nameFont.height() + 1, textWidth, infoFont.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      FittedText::elided(m_info, infoFont, textWidth, Qt::ElideRight));
    p.fillRect(QRectF(0, m_divider, kWidth, 1), Colors::withOpacity(Colors::primaryLabel(), 0.05));
    p.setFont(Units::systemFont(9));
    p.setPen(Colors::withOpacity(Colors::primaryLabel(), 0.3));
    p.drawText(m_tips, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kTips);
}
