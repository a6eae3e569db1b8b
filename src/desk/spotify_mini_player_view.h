#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"
#include "kit/units.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class ButtonItem;
class PanelBackdrop;
class SpotifyService;

// The small glass card over the radio that shows what the music player plays and drives
// it: a header with a close button, the play state, title, artist and album, previous,
// play/pause and next, and a button that opens the player. A small arrow under the card
// points down at the desk. It asks the service for a fresh status each time it is shown
// (the room makes a new one for every showing).
class SpotifyMiniPlayerView : public RoomItem {
    Q_OBJECT
public:
    // `close` hides it at once, without an animation (the card's own close button).
    SpotifyMiniPlayerView(SpotifyService& spotify, std::function<void()> close,
                          QGraphicsItem* parent = nullptr);

    static constexpr qreal cardWidth = 255;

    enum class Control { Close, Previous, PlayPause, Next, OpenPlayer };
    ButtonItem* button(Control control) const;

    // What the card shows now.
    QString statusText() const;
    QColor statusColor() const;
    QString shownTitle() const { return m_title.shown; }
    QString shownArtist() const { return m_artist.shown; }
    std::optional<QString> shownAlbum() const;
    QString playPauseSymbol() const;
    QRectF cardRect() const { return m_card; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();
    void layout();

    SpotifyService& m_spotify;
    PanelBackdrop* m_backdrop = nullptr;
    ButtonItem* m_close = nullptr;
    ButtonItem* m_previous = nullptr;
    ButtonItem* m_playPause = nullptr;
    ButtonItem* m_next = nullptr;
    ButtonItem* m_open = nullptr;

    ShapeShadow m_playShadow;
    DesignFont m_statusFont;
    DesignFont m_titleFont;
    DesignFont m_artistFont;
    DesignFont m_albumFont;
    DesignFont m_headerFont;
    DesignFont m_openFont;

    // The texts as drawn (elided to one line), what they were cut from, and where each goes.
    struct Elided {
        QString source;
        QString shown;
        bool valid = false;
    };
    Elided m_title;
    Elided m_artist;
    Elided m_album;
    QRectF m_card;
    QRectF m_statusRect;
    QRectF m_titleRect;
    QRectF m_artistRect;
    QRectF m_albumRect;
};
