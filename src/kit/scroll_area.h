#pragma once

#include "kit/room_item.h"

// A vertical list that scrolls: the owner lays its rows out in content() (from y 0 down)
// and says how tall they are; the area shows the part that fits, clips the rest (also for
// the pointer), scrolls with the wheel and shows a thin indicator while there is more
// than fits. Nothing moves or repaints while nothing scrolls.
class ScrollArea : public RoomItem {
    Q_OBJECT
public:
    explicit ScrollArea(QGraphicsItem* parent = nullptr);

    RoomItem* content() const { return m_content; }
    void setContentHeight(qreal height);
    qreal contentHeight() const { return m_contentHeight; }

    qreal offset() const { return m_offset; }
    qreal maximumOffset() const;
    // Held between 0 and maximumOffset().
    void scrollTo(qreal offset);

Q_SIGNALS:
    // The list moved: a list that builds rows only for what shows hands them out again.
    void scrolled(qreal offset);

protected:
    void onSizeChanged() override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;

private:
    class Indicator;

    void place();

    RoomItem* m_content;
    Indicator* m_indicator;
    qreal m_contentHeight = 0;
    qreal m_offset = 0;
};
