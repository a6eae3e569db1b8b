#include "kit/gestures.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QMenu>
#include <QStyleHints>
#include <QTextDocument>

#include <cmath>

qreal DragValue::distance() const
{
    const QPointF t = translation();
    return std::hypot(t.x(), t.y());
}

Gestures::Gestures(QGraphicsItem& item) : m_item(item)
{
    m_singleTapTimer.setSingleShot(true);
    QObject::connect(&m_singleTapTimer, &QTimer::timeout, [this] {
        if (m_tap)
            m_tap();
    });
    updateAcceptance();
}

Gestures::~Gestures() = default;

void Gestures::onTap(std::function<void()> action)
{
    m_tap = std::move(action);
    updateAcceptance();
}

void Gestures::onDoubleTap(std::function<void()> action)
{
    m_doubleTap = std::move(action);
    updateAcceptance();
}

void Gestures::onDrag(qreal minimumDistance, std::function<void(const DragValue&)> changed,
                      std::function<void(const DragValue&)> ended)
{
    m_dragMinimum = std::max(minimumDistance, qreal(0));
    m_dragChanged = std::move(changed);
    m_dragEnded = std::move(ended);
    updateAcceptance();
}

void Gestures::onHover(std::function<void(bool)> changed)
{
    m_hover = std::move(changed);
    updateAcceptance();
}

void Gestures::setContextMenu(std::function<void(QMenu&)> build)
{
    m_menu = std::move(build);
}

void Gestures::setToolTip(const QString& plainText)
{
    // Rich text would read markup in a file name; the escaped paragraph shows it as is.
    m_item.setToolTip(plainText.isEmpty()
                          ? QString()
                          : Qt::convertFromPlainText(plainText, Qt::WhiteSpaceNormal));
}

void Gestures::updateAcceptance()
{
    const bool buttons = m_tap || m_doubleTap || m_dragChanged || m_dragEnded;
    m_item.setAcceptedMouseButtons(buttons ? Qt::LeftButton : Qt::NoButton);
    if (m_hover)
        m_item.setAcceptHoverEvents(true);
}

DragValue Gestures::dragValue(QGraphicsSceneMouseEvent* event) const
{
    return DragValue{m_pressScenePos, event->scenePos()};
}

bool Gestures::mousePress(QGraphicsSceneMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !(m_tap || m_doubleTap || m_dragChanged))
        return false;
    // The view offers a press to every item its one-pixel square touches: one that lands
    // beside this item's shape (in the gap between two books) belongs to what lies under
    // the point, as its release would not count here.
    if (!m_item.contains(event->pos()))
        return false;
    m_pressed = true;
    m_dragging = false;
    m_pressScenePos = event->scenePos();
    if (m_dragChanged && m_dragMinimum <= 0) {
        m_dragging = true;
        m_dragChanged(dragValue(event));
    }
    return true;
}

bool Gestures::mouseDoubleClick(QGraphicsSceneMouseEvent* event)
{
    // The second press of a double click: a press like any other, remembered.
    if (!mousePress(event))
        return false;
    m_secondPress = true;
    return true;
}

bool Gestures::mouseMove(QGraphicsSceneMouseEvent* event)
{
    if (!m_pressed)
        return false;
    const DragValue value = dragValue(event);
    if (!m_dragging && m_dragChanged && value.distance() >= m_dragMinimum)
        m_dragging = true;
    if (m_dragging && m_dragChanged)
        m_dragChanged(value);
    return true;
}

bool Gestures::mouseRelease(QGraphicsSceneMouseEvent* event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return false;
    m_pressed = false;
    const bool second = std::exchange(m_secondPress, false);
    if (m_dragging) {
        m_dragging = false;
        if (m_dragEnded)
            m_dragEnded(dragValue(event));
        return true;
    }
    // Without a drag a tap may wander a little, but must end on the item.
    if (!m_dragChanged) {
        const qreal slop = QGuiApplication::styleHints()->startDragDistance();
        if (dragValue(event).distance() >= slop)
            return true;
    }
    if (!m_item.contains(event->pos()))
        return true;

    if (second && m_doubleTap) {
        m_singleTapTimer.stop();
        m_doubleTap();
        return true;
    }
    if (m_doubleTap) {
        if (m_tap)
            m_singleTapTimer.start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
        return true;
    }
    if (m_tap)
        m_tap();
    return true;
}

void Gestures::hoverEnter(QGraphicsSceneHoverEvent*)
{
    if (m_hover)
        m_hover(true);
}

void Gestures::hoverLeave(QGraphicsSceneHoverEvent*)
{
    if (m_hover)
        m_hover(false);
}

std::unique_ptr<QMenu> Gestures::makeContextMenu() const
{
    if (!m_menu)
        return nullptr;
    auto menu = std::make_unique<QMenu>();
    m_menu(*menu);
    return menu;
}

bool Gestures::contextMenu(QGraphicsSceneContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu = makeContextMenu();
    if (!menu || menu->isEmpty())
        return false;
    QMenu* shown = menu.release();
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->popup(event->screenPos());
    return true;
}

QString Gestures::literalMenuText(const QString& title)
{
    QString text = title;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

QAction* Gestures::addMenuAction(QMenu& menu, const QString& title, std::function<void()> action)
{
    QAction* a = menu.addAction(literalMenuText(title));
    QObject::connect(a, &QAction::triggered, &menu, [action = std::move(action)] {
        if (action)
            action();
    });
    return a;
}
