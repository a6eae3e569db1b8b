#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <vector>

// Something the clock moves on every frame while it runs.
class AnimationTicker {
public:
    virtual ~AnimationTicker() = default;
    // Advances to `now` (seconds); returns false once it has come to rest.
    virtual bool tick(double now) = 0;
};

// Drives every running animation of the room from one timer that runs only while
// something moves, so an idle room schedules nothing.
class AnimationClock : public QObject {
    Q_OBJECT
public:
    explicit AnimationClock(QObject* parent = nullptr);

    static AnimationClock& shared();

    double now() const;
    void add(AnimationTicker* ticker);
    void remove(AnimationTicker* ticker);
    bool isRunning() const;
    int tickerCount() const;

    // Tests take time into their own hands: the clock stands still until advanced.
    void setManual(bool manual);
    void advance(double seconds);

    static constexpr int kFrameIntervalMs = 16;

private:
    void tickAll();

    QElapsedTimer m_elapsed;
    QTimer m_timer;
    std::vector<AnimationTicker*> m_tickers;
    bool m_manual = false;
    double m_manualNow = 0;
};
