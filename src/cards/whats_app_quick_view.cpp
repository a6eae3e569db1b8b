#include "cards/whats_app_quick_view.h"

#include "kit/colors.h"
#include "platform/app_launcher.h"

#include <QPainter>

WhatsAppQuickView::WhatsAppQuickView(std::function<void()> onClose, QGraphicsItem* parent)
    : DesktopQuickViewCard(QStringLiteral("WhatsApp"), QStringLiteral("phone.bubble.fill"),
                           Colors::srgb(0.15, 0.83, 0.40), 260, onClose, parent)
{
    const qreal w = contentWidth();
    addRow(CardPainting::line(w, DesignFont::system(11, QFont::Medium), Colors::secondaryLabel(),
                              QStringLiteral("Aplikasi Pesan & Panggilan WhatsApp")));
    const qreal half = (w - 8) / 2;
    const auto then = [onClose](AppLauncher::Target target) {
        return [onClose, target] {
            AppLauncher::launch(target);
            if (onClose)
                onClose();
        };
    };
    RoomItem* web =
        cardButton(half, Colors::black(0.06), Colors::primaryLabel(), QStringLiteral("safari"),
                   QStringLiteral("WhatsApp Web"), DesignFont::system(10, QFont::DemiBold),
                   then(AppLauncher::Target::MessagingWeb));
    m_app =
        cardButton(half, Colors::srgb(0.15, 0.78, 0.38), Colors::white(),
                   QStringLiteral("arrow.up.forward.app.fill"), QStringLiteral("Buka WhatsApp"),
                   DesignFont::system(10, QFont::Bold), then(AppLauncher::Target::MessagingApp));
    addRow(cardRow(w, 8, {web, m_app}));
    addRow(CardPainting::paragraph(w, DesignFont::system(9), Colors::tertiaryLabel(),
                                   QStringLiteral("💡 Tips: Klik 2x pada kartu meja untuk langsung "
                                                  "membuka WhatsApp")));
}
