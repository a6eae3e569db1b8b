#include "cards/monitor_quick_view.h"

#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "platform/default_application.h"
#include "platform/file_manager_reveal.h"

#include <QDir>
#include <QPainter>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

MonitorQuickView::MonitorQuickView(std::function<void()> onClose, Actions actions,
                                   const QString& userName, QGraphicsItem* parent)
    : DesktopQuickViewCard(QStringLiteral("iMac / Finder"), QStringLiteral("desktopcomputer"),
                           Colors::system(Colors::System::Blue), 260, onClose, parent)
{
    if (!actions.openFolder)
        actions.openFolder = [](const QString& folder) { DefaultApplication::open(folder); };
    if (!actions.reveal)
        actions.reveal = [](const QString& path) { FileManagerReveal::shared().showItems({path}); };
    const qreal w = contentWidth();
    const QString home = QDir::homePath();

    // The name wraps onto as many lines as it needs; the home folder keeps to one line.
    const qreal textLeft = 26 + 8;
    const CardPainting::TextStack name(
        {{DesignFont::system(12, QFont::Bold), Colors::primaryLabel(),
          userName.isNull() ? currentUserName() : userName}},
        w - textLeft);
    const DesignFont pathFont = DesignFont::system(9);
    const qreal textHeight = name.height() + 1 + CardPainting::lineHeight(pathFont);
    addRow(new PaintedItem(
        QSizeF(w, std::max<qreal>(26, textHeight)), [=](QPainter& painter, const QRectF& rect) {
            Symbols::paint(painter, QStringLiteral("person.crop.circle.fill"),
                           QRectF(rect.left(), rect.center().y() - 13, 26, 26),
                           Colors::system(Colors::System::Blue));
            const qreal left = rect.left() + textLeft;
            const qreal top = rect.center().y() - textHeight / 2;
            name.draw(painter, QPointF(left, top));
            CardPainting::text(painter,
                               QRectF(left, top + name.height() + 1, rect.right() - left,
                                      CardPainting::lineHeight(pathFont)),
                               pathFont, Colors::secondaryLabel(), home);
        }));
    addRow(CardPainting::divider(w, 0.2));
    addRow(CardPainting::line(w, DesignFont::system(10, QFont::DemiBold), Colors::secondaryLabel(),
                              QStringLiteral("Akses Cepat:")));

    const QList<Tile> all = tiles();
    const DesignFont tileFont = DesignFont::system(9, QFont::Medium);
    const qreal spacing = 6;
    const qreal tileWidth = (w - spacing * (all.size() - 1)) / all.size();
    const qreal tileHeight = 6 + 17 + 3 + CardPainting::lineHeight(tileFont) + 6;
    auto* row = new RoomItem;
    row->setSize(QSizeF(w, tileHeight));
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Tile tile = all[i];
        auto* button = new ButtonItem(
            [tile, tileFont](QPainter& painter, const QRectF& rect) {
                painter.setRenderHint(QPainter::Antialiasing);
                painter.fillPath(Painting::continuousRoundedRect(rect, 6), Colors::black(0.04));
                Symbols::paint(painter, tile.icon,
                               QRectF(rect.center().x() - 8.5, rect.top() + 6, 17, 17), tile.color);
                CardPainting::text(painter,
                                   QRectF(rect.left(), rect.top() + 6 + 17 + 3, rect.width(),
                                          CardPainting::lineHeight(tileFont)),
                                   tileFont, Colors::primaryLabel(), tile.name, Qt::AlignCenter);
            },
            [actions, folder = tile.folder, onClose] {
                actions.openFolder(folder);
                if (onClose)
                    onClose();
            },
            row);
        button->setSize(QSizeF(tileWidth, tileHeight));
        button->setPos(i * (tileWidth + spacing), 0);
    }
    addRow(row);
    m_reveal = addActionFooter(
        Colors::system(Colors::System::Blue), QStringLiteral("folder.fill"),
        QStringLiteral("Buka Finder Utama"),
        [actions, home, onClose] {
            actions.reveal(home);
            if (onClose)
                onClose();
        },
        QStringLiteral("💡 Tips: Klik 2x pada layar monitor untuk langsung membuka Finder"));
}

QString MonitorQuickView::userName(const QString& accountComment, const QString& login)
{
    const QString full = accountComment.section(QLatin1Char(','), 0, 0).trimmed();
    return full.isEmpty() ? login : full;
}

QString MonitorQuickView::currentUserName()
{
    if (const passwd* account = ::getpwuid(::getuid())) {
        return userName(QString::fromLocal8Bit(account->pw_gecos ? account->pw_gecos : ""),
                        QString::fromLocal8Bit(account->pw_name));
    }
    return qEnvironmentVariable("USER");
}

QList<MonitorQuickView::Tile> MonitorQuickView::tiles()
{
    const auto folder = [](QStandardPaths::StandardLocation location) {
        return QStandardPaths::writableLocation(location);
    };
    return {
        {QStringLiteral("Dokumen"), QStringLiteral("doc.fill"),
         Colors::system(Colors::System::Blue), folder(QStandardPaths::DocumentsLocation)},
        {QStringLiteral("Unduhan"), QStringLiteral("arrow.down.circle.fill"),
         Colors::system(Colors::System::Green), folder(QStandardPaths::DownloadLocation)},
        {QStringLiteral("Desktop"), QStringLiteral("macwindow"),
         Colors::system(Colors::System::Purple), folder(QStandardPaths::DesktopLocation)},
    };
}
