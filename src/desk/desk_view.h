#pragma once

#include "kit/room_item.h"
#include "state/room_theme.h"

#include <functional>

class LetterEnvelopeView;

// A two-way link to a flag its owner keeps.
struct BoolBinding {
    std::function<bool()> get;
    std::function<void(bool)> set;
};

// The alternative desk, 680 points wide: a lamp, the letter envelope and a radio standing
// on a light tabletop over a cabinet of two drawer pedestals. The room does not place it;
// whoever does owns the two flags. The lamp and the radio come from `lamp` and `radio`
// (the desk's own lamp and radio views), made with the action the desk gives each.
class DeskView : public RoomItem {
    Q_OBJECT
public:
    using LampFactory = std::function<RoomItem*(bool isOn, std::function<void()> action)>;
    using RadioFactory = std::function<RoomItem*(std::function<void()> action)>;

    static constexpr qreal kWidth = 680;

    DeskView(const RoomTheme& theme, BoolBinding isNightMode, BoolBinding showSpotifyPopup,
             LampFactory lamp, RadioFactory radio, QGraphicsItem* parent = nullptr);

    // Shows the lamp as the night-mode flag is now (after its owner changed it).
    void refresh();

    RoomItem* lamp() const { return m_lamp; }
    RoomItem* radio() const { return m_radio; }
    LetterEnvelopeView* envelope() const { return m_envelope; }

private:
    void layout();

    RoomTheme m_theme;
    BoolBinding m_isNightMode;
    BoolBinding m_showSpotifyPopup;
    LampFactory m_makeLamp;
    RoomItem* m_lamp = nullptr;
    RoomItem* m_radio = nullptr;
    LetterEnvelopeView* m_envelope = nullptr;
    RoomItem* m_surface = nullptr;
};
