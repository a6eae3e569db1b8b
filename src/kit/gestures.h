#pragma once

#include <QPointF>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QGraphicsItem;
class QGraphicsSceneContextMenuEvent;
class QGraphicsSceneHoverEvent;
class QGraphicsSceneMouseEvent;
class QMenu;

// Where a drag is: locations in scene coordinates, which are the room's (the room fills
// the window from its top-left corner).
struct DragValue {
    QPointF startLocation;
    QPointF location;

    QPointF translation() const { return location - startLocation; }
    qreal distance() const;
};

// The pointer gestures of one item: tap, double tap, drag with a minimum distance, hover,
// a context menu built when it opens, and a plain-text tool tip. The item forwards its
// scene events here (RoomItem does).
//
// A single tap waits out the double-click interval only when a double tap is handled
// too, so that a double tap is not also two single taps. A press that moves the minimum
// distance starts a drag; its release is then no tap.
class Gestures {
public:
    explicit Gestures(QGraphicsItem& item);
    ~Gestures();
    Gestures(const Gestures&) = delete;
    Gestures& operator=(const Gestures&) = delete;

    void onTap(std::function<void()> action);
    void onDoubleTap(std::function<void()> action);
    // `changed` runs on every move once the pointer is `minimumDistance` from the press
    // (at the press itself when that is 0), `ended` on the release of a started drag.
    void onDrag(qreal minimumDistance, std::function<void(const DragValue&)> changed,
                std::function<void(const DragValue&)> ended);
    void onHover(std::function<void(bool inside)> changed);
    // `build` fills the menu each time it opens; an empty menu does not open.
    void setContextMenu(std::function<void(QMenu&)> build);
    void setToolTip(const QString& plainText);

    bool isDragging() const { return m_dragging; }

    // The menu as it would open now (for callers that show it themselves, and tests).
    std::unique_ptr<QMenu> makeContextMenu() const;
    // Adds an item whose title is shown exactly as given (no mnemonics, no tabs).
    static QAction* addMenuAction(QMenu& menu, const QString& title, std::function<void()> action);
    static QString literalMenuText(const QString& title);

    // Event entry points.
    bool mousePress(QGraphicsSceneMouseEvent* event);
    bool mouseMove(QGraphicsSceneMouseEvent* event);
    bool mouseRelease(QGraphicsSceneMouseEvent* event);
    bool mouseDoubleClick(QGraphicsSceneMouseEvent* event);
    void hoverEnter(QGraphicsSceneHoverEvent* event);
    void hoverLeave(QGraphicsSceneHoverEvent* event);
    bool contextMenu(QGraphicsSceneContextMenuEvent* event);

private:
    void updateAcceptance();
    DragValue dragValue(QGraphicsSceneMouseEvent* event) const;

    QGraphicsItem& m_item;
    std::function<void()> m_tap;
    std::function<void()> m_doubleTap;
    std::function<void(const DragValue&)> m_dragChanged;
    std::function<void(const DragValue&)> m_dragEnded;
    qreal m_dragMinimum = 0;
    std::function<void(bool)> m_hover;
    std::function<void(QMenu&)> m_menu;
    QTimer m_singleTapTimer;

    QPointF m_pressScenePos;
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_secondPress = false;
};
