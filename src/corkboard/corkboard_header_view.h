#pragma once

#include "kit/units.h"

#include "kit/room_item.h"

#include <QFont>

// The calligraphic heading at the top of the corkboard: the basmala as its one ligature
// between two short rules that fade outwards. Pure decoration that takes no pointer, so a
// click on it reaches the board below. Drawn once per size and pixel ratio.
class BismillahCalligraphyHeaderView : public RoomItem {
    Q_OBJECT
public:
    explicit BismillahCalligraphyHeaderView(QGraphicsItem* parent = nullptr);

    // The line it shows: the ligature when the font has it, else the words spelled out.
    static QString line(const QFont& font);
    static QFont calligraphyFont();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    DesignFont m_font;
    QString m_line;
    qreal m_textWidth = 0;
};
