#include "kit/animation_clock.h"

#include <QCoreApplication>

#include <algorithm>

AnimationClock::AnimationClock(QObject* parent) : QObject(parent)
{
    m_elapsed.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kFrameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &AnimationClock::tickAll);
}

AnimationClock& AnimationClock::shared()
{
    static AnimationClock* instance = new AnimationClock(QCoreApplication::instance());
    return *instance;
}

double AnimationClock::now() const
{
    return m_manual ? m_manualNow : double(m_elapsed.nsecsElapsed()) / 1e9;
}

void AnimationClock::add(AnimationTicker* ticker)
{
    if (std::find(m_tickers.begin(), m_tickers.end(), ticker) == m_tickers.end())
        m_tickers.push_back(ticker);
    if (!m_manual && !m_timer.isActive())
        m_timer.start();
}

void AnimationClock::remove(AnimationTicker* ticker)
{
    // Only blanked here: the list may be walked right now.
    std::replace(m_tickers.begin(), m_tickers.end(), ticker,
                 static_cast<AnimationTicker*>(nullptr));
}

bool AnimationClock::isRunning() const
{
    return m_timer.isActive();
}

int AnimationClock::tickerCount() const
{
    return int(std::count_if(m_tickers.begin(), m_tickers.end(), [](auto* t) { return t; }));
}

void AnimationClock::setManual(bool manual)
{
    m_manual = manual;
    m_manualNow = double(m_elapsed.nsecsElapsed()) / 1e9;
    if (m_manual)
        m_timer.stop();
    else if (tickerCount() > 0)
        m_timer.start();
}

void AnimationClock::advance(double seconds)
{
    // In frame-sized steps, as the timer would.
    const double step = kFrameIntervalMs / 1000.0;
    while (seconds > 0) {
        m_manualNow += std::min(step, seconds);
        seconds -= step;
        tickAll();
    }
}

void AnimationClock::tickAll()
{
    const double t = now();
    // Tickers added during the walk are ticked in the same pass; removed ones are skipped.
    for (size_t i = 0; i < m_tickers.size(); ++i) {
        AnimationTicker* ticker = m_tickers[i];
        if (ticker && !ticker->tick(t)) {
            // tick() may have removed or re-added it.
            if (i < m_tickers.size() && m_tickers[i] == ticker)
                m_tickers[i] = nullptr;
        }
    }
    m_tickers.erase(std::remove(m_tickers.begin(), m_tickers.end(), nullptr), m_tickers.end());
    if (m_tickers.empty())
        m_timer.stop();
}
