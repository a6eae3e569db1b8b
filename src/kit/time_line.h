#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

class AppState;

// The clock of an animated drawing: ticks at most once per interval (a longer interval in
// low-power mode) while its owner wants frames, the room window can be seen and the
// application is active; otherwise nothing is scheduled at all. Ticks fall on whole
// multiples of the interval on the wall clock, so every time line of one rate ticks in the
// same pass of the event loop and the room repaints once for all of them.
class TimeLine : public QObject {
    Q_OBJECT
public:
    // Intervals in seconds, e.g. 1.0 / 30 and 0.05 for 30 and 20 frames a second.
    TimeLine(AppState& appState, double interval, double lowPowerInterval,
             QObject* parent = nullptr);

    // Whether the owner wants frames (it is shown and has something to animate).
    void setWanted(bool wanted);
    // Keeps ticking at this interval while the room cannot be drawn, rather than stopping
    // (a clock that must be right the moment the room shows again); 0 stops, the default.
    void setIntervalWhileHidden(double interval);

    // A drawing may be drawn at all: the window can be seen and the application is active.
    bool canDraw() const;
    // A tick is scheduled.
    bool isRunning() const { return m_timer.isActive(); }
    // The interval now in force, in seconds.
    double interval() const;
    // The date of the latest tick, or of the moment the time line last started.
    const QDateTime& date() const { return m_date; }

Q_SIGNALS:
    // A new frame is due at date().
    void tick();
    // canDraw() changed: drawings that show nothing while hidden repaint once.
    void canDrawChanged();

private:
    qint64 stepMs() const;
    void reschedule();
    void scheduleAfter(qint64 earliestMs);
    void fire();

    AppState& m_appState;
    double m_interval;
    double m_lowPowerInterval;
    double m_hiddenInterval = 0;
    bool m_wanted = false;
    bool m_couldDraw = false;
    QTimer m_timer;
    QDateTime m_date;
    qint64 m_nextTick = 0;
};
