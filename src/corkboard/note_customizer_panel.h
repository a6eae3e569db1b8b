#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"
#include "storage/sticky_note.h"

#include <array>
#include <functional>

class ButtonItem;

// The customiser under a note's title: the colour swatches, the fastener chips, the
// pattern chip, the tilt chips and the close button. It shows the note's current choices
// and reports the user's; the card changes the note.
class NoteCustomizerPanel : public RoomItem {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(NoteColor)> chooseColor;
        std::function<void(PinStyle)> choosePin;
        std::function<void()> cyclePattern;
        std::function<void(double)> chooseTilt;
        std::function<void()> close;
    };

    // The colours offered, in order (a note may still carry the one left out).
    static const QList<NoteColor>& swatchColors();
    static constexpr std::array<double, 3> kTilts{-4, 0, 4};
    // Whether a tilt chip shows as the note's: within half a degree.
    static bool isCurrentTilt(double rotation, double tilt);
    static QString tiltLabel(double tilt);
    static PaperPattern nextPattern(PaperPattern pattern);

    NoteCustomizerPanel(qreal width, Actions actions, QGraphicsItem* parent = nullptr);

    void show(const StickyNote& note);

    ButtonItem* swatch(NoteColor color) const;
    ButtonItem* pinChip(PinStyle style) const;
    ButtonItem* patternChip() const { return m_patternChip; }
    ButtonItem* tiltChip(int index) const { return m_tiltChips.at(size_t(index)); }
    ButtonItem* closeButton() const { return m_close; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void layout();

    qreal m_width;
    Actions m_actions;
    StickyNote m_note;
    QColor m_ink;
    QList<ButtonItem*> m_swatches;
    std::array<ShapeShadow, 9> m_swatchShadows;
    QList<ButtonItem*> m_pinChips;
    RoomItem* m_pinRow = nullptr;
    ButtonItem* m_patternChip = nullptr;
    std::array<ButtonItem*, 3> m_tiltChips{};
    ButtonItem* m_close = nullptr;
};
