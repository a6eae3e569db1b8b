#pragma once

// Mouse input for a graphics view, as the window system sends it: a press, moves with the
// button held, a release; a double click is press, release, double-click, release. Only for
// test suites built with WIDGETS.

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMouseEvent>

class SceneInput {
public:
    explicit SceneInput(QGraphicsView& view) : m_view(view) {}

    void send(QEvent::Type type, QPointF scenePoint, Qt::MouseButtons buttons,
              Qt::MouseButton button = Qt::LeftButton)
    {
        const QPointF p = m_view.mapFromScene(scenePoint);
        const QPointF global = m_view.viewport()->mapToGlobal(p.toPoint());
        QMouseEvent event(type, p, global, type == QEvent::MouseMove ? Qt::NoButton : button,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(m_view.viewport(), &event);
    }
    void press(QPointF p) { send(QEvent::MouseButtonPress, p, Qt::LeftButton); }
    void move(QPointF p) { send(QEvent::MouseMove, p, Qt::LeftButton); }
    void hover(QPointF p) { send(QEvent::MouseMove, p, Qt::NoButton); }
    void release(QPointF p) { send(QEvent::MouseButtonRelease, p, Qt::NoButton); }
    void click(QPointF p)
    {
        press(p);
        release(p);
    }
    void doubleClick(QPointF p)
    {
        click(p);
        send(QEvent::MouseButtonDblClick, p, Qt::LeftButton);
        release(p);
    }
    void drag(QPointF from, QPointF to, int steps = 4)
    {
        press(from);
        for (int i = 1; i <= steps; ++i)
            move(from + (to - from) * (qreal(i) / steps));
        release(to);
    }

private:
    QGraphicsView& m_view;
};

// A key press sent to the scene's focus item, and text typed into it a character at a time.
inline void sendKey(QGraphicsScene& scene, int key,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&scene, &press);
}
inline void typeText(QGraphicsScene& scene, const QString& text)
{
    for (const QChar c : text)
        sendKey(scene, 0, Qt::NoModifier, QString(c));
}
