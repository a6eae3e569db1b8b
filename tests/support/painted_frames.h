#pragma once

// Frames a widget paints: what moves by itself (flames, the radio's notes) moves a frame at a
// time, and a loaded machine manages fewer frames in a given time, so tests count frames.

#include <QEvent>
#include <QObject>
#include <QTest>
#include <QWidget>

// Counts the frames a widget paints while this lives.
class PaintedFrames : public QObject {
public:
    explicit PaintedFrames(QWidget* widget) { widget->installEventFilter(this); }
    int frames = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++frames;
        return false;
    }
};

// Waits until `widget` has painted `frames` more frames; fails the test after 30 s.
inline void waitForFrames(QWidget* widget, int frames)
{
    const PaintedFrames painted(widget);
    QTRY_VERIFY_WITH_TIMEOUT(painted.frames >= frames, 30000);
}
