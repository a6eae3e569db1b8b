#include "kit/scroll_area.h"

#include "kit/colors.h"
#include "kit/painting.h"

#include <QGraphicsSceneWheelEvent>
#include <QPainter>

#include <algorithm>

class ScrollArea::Indicator : public RoomItem {
public:
    explicit Indicator(QGraphicsItem* parent) : RoomItem(parent) { stopTakingPointer(this); }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->setRenderHint(QPainter::Antialiasing);
        painter->fillPath(Painting::capsule(rect()), Colors::grey(0.6));
    }
};

ScrollArea::ScrollArea(QGraphicsItem* parent) : RoomItem(parent)
{
    setFlag(ItemClipsChildrenToShape);
    setFlag(ItemHasNoContents);
    m_content = new RoomItem(this);
    m_content->setFlag(ItemHasNoContents);
    m_indicator = new Indicator(this);
    m_indicator->setZValue(1);
}

void ScrollArea::setContentHeight(qreal height)
{
    m_contentHeight = std::max(height, qreal(0));
    m_content->setSize(QSizeF(size().width(), m_contentHeight));
    scrollTo(m_offset);
}

qreal ScrollArea::maximumOffset() const
{
    return std::max(m_contentHeight - size().height(), qreal(0));
}

void ScrollArea::scrollTo(qreal offset)
{
    const qreal before = m_offset;
    m_offset = std::clamp(offset, qreal(0), maximumOffset());
    place();
    if (m_offset != before)
        Q_EMIT scrolled(m_offset);
}

void ScrollArea::onSizeChanged()
{
    m_content->setSize(QSizeF(size().width(), m_contentHeight));
    scrollTo(m_offset);
}

void ScrollArea::place()
{
    m_content->setPos(0, -m_offset);
    const qreal h = size().height();
    const bool more = m_contentHeight > h + 0.5;
    m_indicator->setVisible(more);
    if (!more)
        return;
    // The thumb's share of the track is the share of the list that shows.
    const qreal track = h - 4;
    const qreal thumb = std::max(track * h / m_contentHeight, qreal(24));
    const qreal travel = track - thumb;
    const qreal y = 2 + (maximumOffset() > 0 ? travel * m_offset / maximumOffset() : 0);
    m_indicator->setSize(QSizeF(4, thumb));
    m_indicator->setPos(size().width() - 6, y);
}

void ScrollArea::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    if (event->orientation() != Qt::Vertical || maximumOffset() <= 0) {
        event->ignore();
        return;
    }
    // One notch of a wheel (120) scrolls three lines of about 16 points.
    scrollTo(m_offset - event->delta() / 120.0 * 48);
    event->accept();
}
