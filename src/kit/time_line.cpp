#include "kit/time_line.h"

#include "state/app_state.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

TimeLine::TimeLine(AppState& appState, double interval, double lowPowerInterval, QObject* parent)
    : QObject(parent), m_appState(appState), m_interval(interval),
      m_lowPowerInterval(lowPowerInterval), m_date(QDateTime::currentDateTimeUtc())
{
    m_timer.setSingleShot(true);
    // Ticks of all time lines of one rate must land in the same millisecond.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TimeLine::fire);
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
    if (!m_wanted || (!canDraw() && m_hiddenInterval <= 0)) {
        m_timer.stop();
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!m_timer.isActive())
        m_date = QDateTime::fromMSecsSinceEpoch(now, QTimeZone::utc());
    scheduleAfter(now);
}

void TimeLine::scheduleAfter(qint64 earliest)
{
    const qint64 step = stepMs();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // The next whole multiple of the step after both `earliest` and now: a late loop skips
    // frames rather than catching up, and an early wake-up never ticks twice.
    m_nextTick = (std::max(earliest, now) / step + 1) * step;
    m_timer.start(int(m_nextTick - now));
}

void TimeLine::fire()
{
    m_date = QDateTime::fromMSecsSinceEpoch(m_nextTick, QTimeZone::utc());
    scheduleAfter(m_nextTick);
    Q_EMIT tick();
}
