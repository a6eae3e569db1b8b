#include "kit/time_line.h"

#include "state/app_state.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTimeZone>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {
// One timer for every time line of one step: it ticks on whole multiples of the step while
// any of them runs.
class Pulse : public QObject {
    Q_OBJECT
public:
    static Pulse* forStep(qint64 stepMs)
    {
        static QHash<qint64, QPointer<Pulse>> pulses;
        QPointer<Pulse>& pulse = pulses[stepMs];
        if (!pulse)
            pulse = new Pulse(stepMs, QCoreApplication::instance());
        return pulse;
    }

    void join()
    {
        if (++m_lines == 1)
            scheduleAfter(QDateTime::currentMSecsSinceEpoch());
    }
    void leave()
    {
        if (--m_lines == 0)
            m_timer.stop();
    }

Q_SIGNALS:
    void tick(qint64 dateMs);

private:
    Pulse(qint64 stepMs, QObject* parent) : QObject(parent), m_step(stepMs)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 date = m_nextTick;
            scheduleAfter(m_nextTick);
            Q_EMIT tick(date);
        });
    }

    void scheduleAfter(qint64 earliest)
    {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        // The next whole multiple of the step after both `earliest` and now: a late loop
        // skips frames rather than catching up, and an early wake-up never ticks twice.
        m_nextTick = (std::max(earliest, now) / m_step + 1) * m_step;
        m_timer.start(int(m_nextTick - now));
    }

    qint64 m_step;
    int m_lines = 0;
    qint64 m_nextTick = 0;
    QTimer m_timer;
};
} // namespace

TimeLine::TimeLine(AppState& appState, double interval, double lowPowerInterval, QObject* parent)
    : QObject(parent), m_appState(appState), m_interval(interval),
      m_lowPowerInterval(lowPowerInterval), m_date(QDateTime::currentDateTimeUtc())
{
    m_couldDraw = canDraw();
    for (auto signal : {&AppState::isWindowVisibleChanged, &AppState::isAppActiveChanged,
                        &AppState::isLowPowerChanged}) {
        connect(&m_appState, signal, this, [this] {
            const bool can = canDraw();
            reschedule();
            if (can != m_couldDraw) {
                m_couldDraw = can;
                Q_EMIT canDrawChanged();
            }
        });
    }
}

TimeLine::~TimeLine()
{
    if (m_pulse)
        static_cast<Pulse*>(m_pulse.data())->leave();
}

void TimeLine::setWanted(bool wanted)
{
    if (wanted == m_wanted)
        return;
    m_wanted = wanted;
    reschedule();
}

void TimeLine::setIntervalWhileHidden(double interval)
{
    m_hiddenInterval = std::max(interval, 0.0);
    reschedule();
}

bool TimeLine::canDraw() const
{
    return m_appState.isWindowVisible() && m_appState.isAppActive();
}

double TimeLine::interval() const
{
    if (m_hiddenInterval > 0 && !canDraw())
        return m_hiddenInterval;
    return m_appState.isLowPower() ? m_lowPowerInterval : m_interval;
}

qint64 TimeLine::stepMs() const
{
    // Rounded up: 1/30 s is 34 ms, never 33 (which would tick 30.3 times a second).
    return std::max<qint64>(1, qint64(std::ceil(interval() * 1000 - 1e-6)));
}

void TimeLine::reschedule()
{
    const bool running = m_wanted && (canDraw() || m_hiddenInterval > 0);
    Pulse* pulse = running ? Pulse::forStep(stepMs()) : nullptr;
    if (pulse == m_pulse)
        return;
    if (m_pulse) {
        disconnect(m_pulseConnection);
        static_cast<Pulse*>(m_pulse.data())->leave();
    } else {
        m_date = QDateTime::currentDateTimeUtc();
    }
    m_pulse = pulse;
    if (pulse) {
        m_pulseConnection = connect(pulse, &Pulse::tick, this, &TimeLine::fire);
        pulse->join();
    }
}

void TimeLine::fire(qint64 dateMs)
{
    m_date = QDateTime::fromMSecsSinceEpoch(dateMs, QTimeZone::utc());
    Q_EMIT tick();
}

#include "time_line.moc"
