#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"
#include "storage/sticky_note.h"

#include <QPainterPath>

#include <utility>

// The fastener that holds a note to the board: a pushpin whose head follows the note's
// colour, a strip of washi tape, a star, a heart or a paper clip. Pure drawings: the card
// handles clicks on them.

// The tape's outline with torn ends: `teethCount` teeth (at least one) sticking out 2
// points at each end of `rect`.
QPainterPath washiTapeShape(const QRectF& rect, int teethCount);

// The pushpin head's light and dark colours for a note of `noteColor`.
std::pair<QColor, QColor> pushpinHeadColors(NoteColor noteColor);

// The frame a fastener of `style` draws in.
QSizeF fastenerSize(PinStyle style);

// One fastener, drawn in its own frame and kept as a cached picture until the style or
// the note's colour changes.
class TopFastenerView : public RoomItem {
    Q_OBJECT
public:
    explicit TopFastenerView(QGraphicsItem* parent = nullptr);

    void show(PinStyle style, NoteColor noteColor);
    PinStyle style() const { return m_style; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void paintPushpin(QPainter& p);
    void paintWashiTape(QPainter& p);
    void paintSymbol(QPainter& p, const QPainterPath& shape, const QColor& fill,
                     const QColor& outline, const QPointF& shadowOffset, qreal shadowOpacity,
                     bool outlineIsStroke);

    PinStyle m_style = PinStyle::pushpin;
    NoteColor m_noteColor = NoteColor::yellow;
    bool m_shown = false;
    ShapeShadow m_shadow;
    ShapeShadow m_secondShadow;
};
