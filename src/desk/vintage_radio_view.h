#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

#include <functional>

class AppState;
class FloatingNotesView;
class QMenu;
class SpotifyService;

// The small dark radio on the desk, the room's way to the music player: its signal lamps
// glow and music notes rise over it while music plays; a click opens or closes the mini
// player, a double click opens the player, and its menu holds the transport. It draws
// itself from shapes, once per look, and its notes move on their own.
class VintageRadioView : public RoomItem {
    Q_OBJECT
public:
    static constexpr QSizeF contentSize{96, 42};

    // `action` is kept and never called, as the room hands the radio one that does nothing.
    VintageRadioView(SpotifyService& spotify, AppState& appState, std::function<void()> action = {},
                     QGraphicsItem* parent = nullptr);

    // The radio's 96 x 42 drawing, centred in the frame the room gives it; all of it takes
    // clicks.
    QRectF contentRect() const;
    QString helpText() const;
    FloatingNotesView* notes() const { return m_notes; }

    // A click: opens the mini player (closing a card and a shelf popover with it) or closes it.
    void toggleMiniPlayer();
    // The menu's "Buka Pemutar Mini": flips the mini player alone.
    void toggleMiniPlayerFromMenu();
    void populateContextMenu(QMenu& menu);

protected:
    void onSizeChanged() override;

private:
    class Drawing;

    void follow();

    SpotifyService& m_spotify;
    AppState& m_appState;
    std::function<void()> m_action;
    Drawing* m_drawing = nullptr;
    FloatingNotesView* m_notes = nullptr;
};
