#pragma once

// The application object the interactive benchmarks run in, and the room's storage folder
// in a scratch home.

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>

inline QString storageFolder(const QString& home)
{
    return home + QStringLiteral("/Documents/RidezozEvar/");
}

// Times every event the application delivers from its loop (not those sent from inside a
// handler) and keeps the longest: the longest the GUI thread was kept from its events.
class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;

    QWidget* viewport = nullptr;
    std::function<void(const QRegion&)> afterPaint;
    double longestStall = 0;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool outermost = m_depth == 0;
        ++m_depth;
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        if (outermost && timer.nsecsElapsed() / 1e6 > longestStall) {
            longestStall = timer.nsecsElapsed() / 1e6;
            if (std::getenv("BENCH_WHY"))
                std::fprintf(stderr, "stall %.1f ms: %s event %d\n", longestStall,
                             receiver->metaObject()->className(), int(event->type()));
        }
        --m_depth;
        if (event->type() == QEvent::Paint && receiver == viewport && afterPaint)
            afterPaint(static_cast<QPaintEvent*>(event)->region());
        return result;
    }

    // The longest the GUI thread left a 10 ms timer waiting past its time since the last
    // `resetAnswer()`: what a person meets, where `longestStall` sees one event at a time.
    // Many short events back to back (repaints that never stop, slices that leave no room)
    // starve input as surely as one long one, and this counts them too.
    double longestUnanswered() const { return m_longestLate; }
    void resetAnswer()
    {
        longestStall = 0;
        m_longestLate = 0;
        m_beat.restart();
        if (!m_heartbeat.isActive()) {
            m_heartbeat.setTimerType(Qt::PreciseTimer);
            m_heartbeat.setInterval(kBeatMs);
            QObject::connect(&m_heartbeat, &QTimer::timeout, [this] {
                const double late = m_beat.nsecsElapsed() / 1e6 - kBeatMs;
                if (late > m_longestLate)
                    m_longestLate = late;
                m_beat.restart();
            });
            m_heartbeat.start();
        }
    }

private:
    static constexpr int kBeatMs = 10;
    int m_depth = 0;
    QTimer m_heartbeat;
    QElapsedTimer m_beat;
    double m_longestLate = 0;
};

inline BenchApplication& app()
{
    return *static_cast<BenchApplication*>(qApp);
}
