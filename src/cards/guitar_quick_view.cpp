#include "cards/guitar_quick_view.h"

#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/symbols.h"
#include "platform/event_sounds.h"

#include <QApplication>
#include <QPainter>

#include <memory>

namespace {
struct Look {
    QString title;
    QColor iconColor;
    QList<QColor> tile; // one colour, or a gradient from the top-leading corner
    QColor rim;
    QString symbol;
    QColor symbolColor;
    QString model;
    QString specification;
    QString strumText;
    QColor musicFill;
    QString tips;
};

Look lookOf(GuitarQuickView::Model model)
{
    if (model == GuitarQuickView::Model::Electric) {
        return {QStringLiteral("Fender Stratocaster"),
                Colors::srgb(0.95, 0.70, 0.20),
                {Colors::black()},
                Colors::white(0.15),
                QStringLiteral("music.quarternote.3"),
                Colors::srgb(0.96, 0.84, 0.52),
                QStringLiteral("Stratocaster® Black Gloss"),
                QStringLiteral("Maple Neck • 3 Single-Coil • Tremolo"),
                QStringLiteral("Petik Senar (Strum)"),
                Colors::system(Colors::System::Red),
                QStringLiteral("💡 Tips: Klik 2x pada gitar untuk langsung membuka aplikasi "
                               "audio / GarageBand")};
    }
    return {QStringLiteral("Gitar Akustik Dreadnought"),
            Colors::srgb(0.92, 0.65, 0.32),
            {Colors::srgb(0.88, 0.72, 0.48), Colors::srgb(0.60, 0.42, 0.24)},
            Colors::white(0.25),
            QStringLiteral("music.note"),
            Colors::white(),
            QStringLiteral("Dreadnought Natural Spruce"),
            QStringLiteral("Solid Sitka • Rosewood • Phosphor Bronze"),
            QStringLiteral("Petik Akustik"),
            Colors::srgb(0.88, 0.55, 0.22),
            QStringLiteral("💡 Tips: Klik 2x pada gitar akustik untuk langsung membuka "
                           "GarageBand / Musik")};
}
} // namespace

GuitarQuickView::GuitarQuickView(Model model, EventSounds& sounds, std::function<void()> openMusic,
                                 std::function<void()> onClose, QGraphicsItem* parent)
    : DesktopQuickViewCard(lookOf(model).title, QStringLiteral("guitars.fill"),
                           lookOf(model).iconColor, 260, onClose, parent)
{
    setRowSpacing(10);
    const Look look = lookOf(model);
    const qreal w = contentWidth();
    // The model over its specification, beside the 38-point tile, wrapped at what it leaves.
    const auto texts = std::make_shared<const CardPainting::TextStack>(
        QList<CardPainting::StackedText>{
            {DesignFont::system(11, QFont::Bold), Colors::primaryLabel(), look.model},
            {DesignFont::system(9.5), Colors::secondaryLabel(), look.specification, 2}},
        w - 38 - 8);
    addRow(
        new PaintedItem(QSizeF(w, std::max<qreal>(38, texts->height())), [=](QPainter& painter,
                                                                             const QRectF& rect) {
            const QRectF tile(rect.left(), rect.center().y() - 19, 38, 38);
            const QPainterPath outline = Painting::continuousRoundedRect(tile, 8);
            if (look.tile.size() == 1)
                painter.fillPath(outline, look.tile.front());
            else
                painter.fillPath(outline,
                                 Painting::diagonalGradient(tile, {look.tile[0], look.tile[1]}));
            painter.strokePath(outline, QPen(look.rim, 1));
            Symbols::paint(painter, look.symbol, tile.adjusted(10, 10, -10, -10), look.symbolColor);
            texts->draw(painter,
                        QPointF(tile.right() + 8, rect.center().y() - texts->height() / 2));
        }));
    addRow(CardPainting::divider(w, 0.3));
    const QStringList names = strumSounds(model);
    RoomItem* strumButton =
        cardButton(w, Colors::withOpacity(Colors::primaryLabel(), 0.06), Colors::primaryLabel(),
                   QStringLiteral("speaker.wave.2.fill"), look.strumText,
                   DesignFont::system(10, QFont::Medium),
                   [&sounds, names] { strum(sounds, names, [] { QApplication::beep(); }); });
    RoomItem* musicButton = cardButton(
        w, look.musicFill, Colors::white(), QStringLiteral("arrow.up.forward.app.fill"),
        QStringLiteral("Buka Musik"), DesignFont::system(10, QFont::Bold), [openMusic, onClose] {
            if (openMusic)
                openMusic();
            if (onClose)
                onClose();
        });
    addRow(cardRow(w, 6, {strumButton, musicButton}));
    addRow(CardPainting::paragraph(w, DesignFont::system(9), Colors::tertiaryLabel(), look.tips));
}

QStringList GuitarQuickView::strumSounds(Model model)
{
    if (model == Model::Electric)
        return {QStringLiteral("bell")};
    return {QStringLiteral("complete"), QStringLiteral("bell")};
}

void GuitarQuickView::strum(EventSounds& sounds, const QStringList& names,
                            const std::function<void()>& beep)
{
    for (const QString& name : names) {
        if (sounds.tryPlay(name))
            return;
    }
    if (beep)
        beep();
}
