#include "cards/award_plaque_quick_view.h"

#include "cards/card_label.h"
#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/units.h"
#include "platform/default_application.h"
#include "platform/file_manager_reveal.h"
#include "room/asset_loader.h"
#include "wall/plaque_logo.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
constexpr qreal kSpacing = 10;
constexpr qreal kPictureHeight = 75;

const QString kTips = QStringLiteral("💡 Tips: Klik 2x pada plakat untuk langsung membuka file SVG");

QFont subtitleFont()
{
    return Units::systemFont(11);
}
} // namespace

AwardPlaqueQuickView::AwardPlaqueQuickView(const QString& title, const QString& subtitle,
                                           const QString& imageName, const QString& svgFileName,
                                           std::function<void()> onClose, AssetLoader& assets,
                                           QGraphicsItem* parent)
    : RoomItem(parent), m_title(title), m_subtitle(subtitle), m_svgFileName(svgFileName),
      m_onClose(std::move(onClose))
{
    qreal y = 0;
    if (const std::optional<QImage> picture = assets.image(imageName);
        picture && !picture->isNull()) {
        m_picture = *picture;
        const QSizeF size = m_picture.deviceIndependentSize().scaled(QSizeF(kWidth, kPictureHeight),
                                                                     Qt::KeepAspectRatio);
        m_pictureRect = QRectF(QPointF((kWidth - size.width()) / 2, 4), size);
        y = m_pictureRect.bottom() + 4 + kSpacing;
    }
    const QRectF textBox = QFontMetricsF(subtitleFont())
                               .boundingRect(QRectF(0, 0, kWidth, 1000),
                                             Qt::AlignHCenter | Qt::TextWordWrap, m_subtitle);
    m_subtitleRect = QRectF(0, y, kWidth, textBox.height());
    y = m_subtitleRect.bottom() + kSpacing;

    const ButtonLabel open = cardLabel(
        QStringLiteral("arrow.up.forward.app.fill"), QStringLiteral("Buka SVG"),
        Units::systemFont(10, QFont::Bold), Colors::white(), Colors::system(Colors::System::Blue));
    const ButtonLabel reveal =
        cardLabel(QStringLiteral("folder.fill"), QStringLiteral("Finder"),
                  Units::systemFont(10, QFont::DemiBold), Colors::primaryLabel(),
                  Colors::withOpacity(Colors::primaryLabel(), 0.06));
    const qreal height = QFontMetricsF(open.font).height() + 12;
    const qreal half = (kWidth - 8) / 2;
    m_open = new ButtonItem([open](QPainter& p, const QRectF& r) { open.paint(p, r); },
                            [this] { openLogoFile(); }, this);
    m_open->setPos(0, y);
    m_open->setSize(QSizeF(half, height));
    m_reveal = new ButtonItem([reveal](QPainter& p, const QRectF& r) { reveal.paint(p, r); },
                              [this] { revealLogoFile(); }, this);
    m_reveal->setPos(half + 8, y);
    m_reveal->setSize(QSizeF(half, height));
    y += height + kSpacing;

    m_tipsRect = QRectF(0, y, kWidth,
                        QFontMetricsF(Units::systemFont(9))
                            .boundingRect(QRectF(0, 0, kWidth, 1000), Qt::TextWordWrap, kTips)
                            .height());
    setSize(QSizeF(kWidth, m_tipsRect.bottom()));
}

void AwardPlaqueQuickView::openLogoFile()
{
    if (const std::optional<QString> logo = PlaqueLogo::find(m_svgFileName))
        DefaultApplication::open(*logo);
    m_onClose();
}

void AwardPlaqueQuickView::revealLogoFile()
{
    // The logo itself is selected in its folder.
    if (const std::optional<QString> logo = PlaqueLogo::find(m_svgFileName))
        FileManagerReveal::shared().showItems({*logo});
    m_onClose();
}

void AwardPlaqueQuickView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_picture.isNull())
        p.drawImage(m_pictureRect, m_picture);
    p.setFont(subtitleFont());
    p.setPen(Colors::secondaryLabel());
    p.drawText(m_subtitleRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_subtitle);
    p.setFont(Units::systemFont(9));
    p.setPen(Colors::withOpacity(Colors::primaryLabel(), 0.3));
    p.drawText(m_tipsRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kTips);
}
