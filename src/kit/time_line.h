#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>

class AppState;

// The clock of an animated drawing: ticks at most once per interval (a longer interval in
// low-power mode) while its owner wants frames, the room window can be seen and the
// application is active; otherwise nothing is scheduled at all. Ticks fall on whole
// multiples of the interval on the wall clock, and every time line of one rate ticks from
// one shared timer, in the same pass of the event loop: the room repaints once for all.
class TimeLine : public QObject {
    Q_OBJECT
public:
    // Intervals in seconds, e.g. 1.0 / 30 and 0.05 for 30 and 20 frames a second.
    TimeLine(AppState& appState, double interval, double lowPowerInterval,
             QObject* parent = nullptr);
    ~TimeLine() override;

    // Whether the owner wants frames (it is shown and has something to animate).
    void setWanted(bool wanted);
    // Keeps ticking at this interval while the room cannot be drawn, rather than stopping
    // (a clock that must be right the moment the room shows again); 0 stops, the default.
    void setIntervalWhileHidden(double interval);

    // A drawing may be drawn at all: the window can be seen and the application is active.
    bool canDraw() const;
    // A tick is scheduled.
    bool isRunning() const { return m_pulse != nullptr; }
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
    void fire(qint64 dateMs);

    AppState& m_appState;
    double m_interval;
    double m_lowPowerInterval;
    double m_hiddenInterval = 0;
    bool m_wanted = false;
    bool m_couldDraw = false;
    QPointer<QObject> m_pulse; // the shared timer of this time line's step, while running
    QMetaObject::Connection m_pulseConnection;
    QDateTime m_date;
};
