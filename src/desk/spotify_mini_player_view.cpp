#include "desk/spotify_mini_player_view.h"

#include "kit/button_item.h"
#include "kit/colors.h"
#include "kit/painting.h"
#include "kit/panel_backdrop.h"
#include "kit/symbols.h"
#include "platform/spotify_service.h"

#include <QPainter>

namespace {
constexpr qreal kPadding = 16;
constexpr qreal kRowSpacing = 12;
constexpr qreal kArrowWidth = 16;
constexpr qreal kArrowHeight = 8;
constexpr qreal kHeaderHeight = 20;
constexpr qreal kPlayButtonSide = 36;
constexpr qreal kSkipButtonSide = 22;
constexpr qreal kTransportSpacing = 24;

QColor accentGreen(qreal opacity = 1)
{
    return Colors::srgb(0.11, 0.84, 0.38, opacity);
}

PanelSurface miniPlayerSurface()
{
    PanelSurface s;
    s.cornerRadius = 16;
    const QColor window = Colors::withOpacity(Colors::windowBackground(), 0.65);
    s.tints = {{window, window}, {Colors::white(0.22), Colors::white(0.04)}};
    s.rim = {Colors::white(0.7), Colors::white(0.22), Colors::white(0.08), Colors::white(0.35)};
    s.shadows = {ShadowStyle{Colors::black(0.2), 24, QPointF(0, 12)},
                 ShadowStyle{Colors::black(0.08), 6, QPointF(0, 2)}};
    return s;
}

// The arrow under the card: its base along the top edge, its tip at the bottom's middle.
QPainterPath downArrowPointer(const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.center().x(), r.bottom());
    path.lineTo(r.topRight());
    path.closeSubpath();
    return path;
}

ButtonItem::Painter skipLabel(const QString& symbol)
{
    return [symbol](QPainter& p, const QRectF& r) {
        Symbols::paint(p, symbol, QRectF(r.center() - QPointF(7.5, 7.5), QSizeF(15, 15)),
                       Colors::withOpacity(Colors::primaryLabel(), 0.85));
    };
}
} // namespace

SpotifyMiniPlayerView::SpotifyMiniPlayerView(SpotifyService& spotify, std::function<void()> close,
                                             QGraphicsItem* parent)
    : RoomItem(parent), m_spotify(spotify), m_statusFont(DesignFont::system(9.5, QFont::DemiBold)),
      m_titleFont(DesignFont::system(13, QFont::Bold)),
      m_artistFont(DesignFont::system(11, QFont::Medium)), m_albumFont(DesignFont::system(9.5)),
      m_headerFont(DesignFont::system(13, QFont::Bold)),
      m_openFont(DesignFont::system(11, QFont::DemiBold))
{
    m_backdrop = new PanelBackdrop(miniPlayerSurface(), this);

    m_close = new ButtonItem(
        [](QPainter& p, const QRectF& r) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Colors::withOpacity(Colors::primaryLabel(), 0.08));
            p.drawEllipse(r);
            Symbols::paint(p, QStringLiteral("xmark"),
                           QRectF(r.center() - QPointF(4.75, 4.75), QSizeF(9.5, 9.5)),
                           Colors::secondaryLabel());
        },
        std::move(close), this);
    m_close->setSize(QSizeF(20, 20));

    m_previous = new ButtonItem(
        skipLabel(QStringLiteral("backward.fill")), [this] { m_spotify.previousTrack(); }, this);
    m_next = new ButtonItem(
        skipLabel(QStringLiteral("forward.fill")), [this] { m_spotify.nextTrack(); }, this);
    m_previous->gestures().setToolTip(QStringLiteral("Lagu Sebelumnya"));
    m_next->gestures().setToolTip(QStringLiteral("Lagu Berikutnya"));
    m_previous->setSize(QSizeF(kSkipButtonSide, kSkipButtonSide));
    m_next->setSize(QSizeF(kSkipButtonSide, kSkipButtonSide));

    m_playPause = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            p.setRenderHint(QPainter::Antialiasing);
            const QRectF disc = r.adjusted(4, 2, -4, -6);
            const QPainterPath discPath = Painting::ellipse(disc);
            m_playShadow.paint(p, discPath, ShadowStyle{accentGreen(0.35), 6, QPointF(0, 2)});
            p.setPen(Qt::NoPen);
            p.setBrush(accentGreen());
            p.drawEllipse(disc);
            Symbols::paint(p, playPauseSymbol(),
                           QRectF(disc.center() - QPointF(7.5, 7.5), QSizeF(15, 15)),
                           Colors::white());
        },
        [this] { m_spotify.playPause(); }, this);
    m_playPause->setSize(QSizeF(kPlayButtonSide + 8, kPlayButtonSide + 8));

    m_open = new ButtonItem(
        [this](QPainter& p, const QRectF& r) {
            p.setRenderHint(QPainter::Antialiasing);
            p.fillPath(Painting::capsule(r), Colors::withOpacity(Colors::primaryLabel(), 0.07));
            const QString text = QStringLiteral("Buka Aplikasi Spotify");
            const qreal textWidth = m_openFont.horizontalAdvance(text);
            const QRectF glyph(r.left() + 14, r.center().y() - 5, 10, 10);
            Symbols::paint(p, QStringLiteral("arrow.up.forward.app"), glyph,
                           Colors::primaryLabel());
            p.setPen(Colors::primaryLabel());
            m_openFont.drawText(p, QRectF(glyph.right() + 5, r.top(), textWidth + 1, r.height()),
                                Qt::AlignLeft | Qt::AlignVCenter, text);
        },
        [this] { m_spotify.openSpotify(); }, this);
    m_open->setSize(QSizeF(
        14 + 10 + 5 + m_openFont.horizontalAdvance(QStringLiteral("Buka Aplikasi Spotify")) + 14,
        std::max<qreal>(10, m_openFont.height()) + 10));

    const auto changed = [this] { follow(); };
    connect(&m_spotify, &SpotifyService::trackTitleChanged, this, changed);
    connect(&m_spotify, &SpotifyService::artistNameChanged, this, changed);
    connect(&m_spotify, &SpotifyService::albumNameChanged, this, changed);
    connect(&m_spotify, &SpotifyService::isPlayingChanged, this, changed);
    connect(&m_spotify, &SpotifyService::isSpotifyRunningChanged, this, changed);
    follow();
    // Shown anew: what the player does now, not what it did when last looked at.
    m_spotify.refreshNowPlaying();
}

ButtonItem* SpotifyMiniPlayerView::button(Control control) const
{
    switch (control) {
    case Control::Close:
        return m_close;
    case Control::Previous:
        return m_previous;
    case Control::PlayPause:
        return m_playPause;
    case Control::Next:
        return m_next;
    case Control::OpenPlayer:
        return m_open;
    }
    return nullptr;
}

QString SpotifyMiniPlayerView::statusText() const
{
    if (m_spotify.isPlaying())
        return QStringLiteral("Sedang Memutar");
    return m_spotify.isSpotifyRunning() ? QStringLiteral("Jeda") : QStringLiteral("Spotify Siap");
}

QColor SpotifyMiniPlayerView::statusColor() const
{
    return m_spotify.isPlaying() ? accentGreen() : Colors::secondaryLabel();
}

std::optional<QString> SpotifyMiniPlayerView::shownAlbum() const
{
    const QString album = m_spotify.albumName();
    if (album.isEmpty() || album == m_spotify.trackTitle())
        return std::nullopt;
    return m_album.shown;
}

QString SpotifyMiniPlayerView::playPauseSymbol() const
{
    return m_spotify.isPlaying() ? QStringLiteral("pause.fill") : QStringLiteral("play.fill");
}

void SpotifyMiniPlayerView::follow()
{
    m_playPause->gestures().setToolTip(m_spotify.isPlaying() ? QStringLiteral("Jeda Lagu")
                                                             : QStringLiteral("Putar Lagu"));
    layout();
    update();
    m_playPause->update();
}

void SpotifyMiniPlayerView::layout()
{
    const qreal inner = cardWidth - 2 * kPadding;
    // The texts are cut to one line at the card's width, each only when it changed.
    const auto elide = [inner](Elided& text, const DesignFont& font, const QString& source) {
        if (text.source == source && text.valid)
            return;
        text = {source, font.elidedText(source, Qt::ElideRight, inner), true};
    };
    elide(m_title, m_titleFont, m_spotify.trackTitle());
    elide(m_artist, m_artistFont, m_spotify.artistName());
    const bool hasAlbum =
        !m_spotify.albumName().isEmpty() && m_spotify.albumName() != m_spotify.trackTitle();
    elide(m_album, m_albumFont, hasAlbum ? m_spotify.albumName() : QString());

    qreal y = kPadding;
    const qreal left = kPadding;
    m_close->setCentre(QPointF(cardWidth - kPadding - 10, y + kHeaderHeight / 2));
    y += kHeaderHeight + kRowSpacing;

    // Now playing, inset by 2 above and below.
    y += 2;
    const qreal statusHeight = std::max<qreal>(6, m_statusFont.height());
    m_statusRect = QRectF(left, y, inner, statusHeight);
    y += statusHeight + 4;
    m_titleRect = QRectF(left, y, inner, m_titleFont.height());
    y += m_titleRect.height() + 4;
    m_artistRect = QRectF(left, y, inner, m_artistFont.height());
    y += m_artistRect.height();
    if (hasAlbum) {
        y += 4;
        m_albumRect = QRectF(left, y, inner, m_albumFont.height());
        y += m_albumRect.height();
    } else {
        m_albumRect = QRectF();
    }
    y += 2 + kRowSpacing;

    // Transport, inset by 2 above and below.
    y += 2;
    const qreal middle = cardWidth / 2;
    const qreal rowCentre = y + kPlayButtonSide / 2;
    m_playPause->setCentre(QPointF(middle, rowCentre + 2));
    const qreal skipOffset = kPlayButtonSide / 2 + kTransportSpacing + kSkipButtonSide / 2;
    m_previous->setCentre(QPointF(middle - skipOffset, rowCentre));
    m_next->setCentre(QPointF(middle + skipOffset, rowCentre));
    y += kPlayButtonSide + 2 + kRowSpacing;

    m_open->setCentre(QPointF(middle, y + m_open->size().height() / 2));
    y += m_open->size().height() + kPadding;

    m_card = QRectF(0, 0, cardWidth, y);
    // The arrow overlaps the card's lower edge by one point.
    setSize(QSizeF(cardWidth, y + kArrowHeight - 1));
    m_backdrop->setCardRect(m_card);
}

void SpotifyMiniPlayerView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    QPainter& p = *painter;
    p.setRenderHint(QPainter::Antialiasing);

    // The arrow under the card.
    const QRectF arrow(cardWidth / 2 - kArrowWidth / 2, m_card.bottom() - 1, kArrowWidth,
                       kArrowHeight);
    const QPainterPath pointer = downArrowPointer(arrow);
    p.fillPath(pointer, Colors::white(0.3));
    p.fillPath(pointer, Colors::withOpacity(Colors::windowBackground(), 0.85));
    p.strokePath(pointer,
                 QPen(Painting::diagonalGradient(arrow, {Colors::white(0.6), Colors::white(0.15)}),
                      1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));

    // Header: the note and the name.
    const qreal headerMiddle = kPadding + kHeaderHeight / 2;
    Symbols::paint(p, QStringLiteral("music.note"), QRectF(kPadding, headerMiddle - 6.5, 13, 13),
                   accentGreen());
    p.setPen(Colors::primaryLabel());
    m_headerFont.drawText(
        p,
        QRectF(kPadding + 19, headerMiddle - m_headerFont.height() / 2, 120, m_headerFont.height()),
        Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Spotify"));

    // Status line: a dot and the state, centred together.
    const QString status = statusText();
    const qreal statusWidth = 6 + 5 + m_statusFont.horizontalAdvance(status);
    const qreal statusLeft = m_statusRect.center().x() - statusWidth / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(m_spotify.isPlaying() ? accentGreen()
                                     : Colors::withOpacity(Colors::secondaryLabel(), 0.5));
    p.drawEllipse(QRectF(statusLeft, m_statusRect.center().y() - 3, 6, 6));
    p.setPen(statusColor());
    m_statusFont.drawText(
        p, QRectF(statusLeft + 11, m_statusRect.top(), statusWidth, m_statusRect.height()),
        Qt::AlignLeft | Qt::AlignVCenter, status);

    p.setPen(Colors::primaryLabel());
    m_titleFont.drawText(p, m_titleRect, Qt::AlignCenter | Qt::TextSingleLine, m_title.shown);
    p.setPen(Colors::secondaryLabel());
    m_artistFont.drawText(p, m_artistRect, Qt::AlignCenter | Qt::TextSingleLine, m_artist.shown);
    if (!m_albumRect.isEmpty()) {
        p.setPen(Colors::withOpacity(Colors::secondaryLabel(), 0.75));
        m_albumFont.drawText(p, m_albumRect, Qt::AlignCenter | Qt::TextSingleLine, m_album.shown);
    }
}
