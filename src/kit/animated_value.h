#pragma once

#include "kit/animation_clock.h"
#include "kit/spring.h"
#include "state/animation.h"

#include <QColor>
#include <QPointF>
#include <QSizeF>

#include <array>
#include <cmath>
#include <functional>
#include <optional>

// How a value type splits into the numbers an animation moves.
template <typename T> struct AnimatedTraits;

template <> struct AnimatedTraits<double> {
    static constexpr int N = 1;
    static std::array<double, N> split(double v) { return {v}; }
    static double join(const std::array<double, N>& a) { return a[0]; }
};
template <> struct AnimatedTraits<QPointF> {
    static constexpr int N = 2;
    static std::array<double, N> split(QPointF v) { return {v.x(), v.y()}; }
    static QPointF join(const std::array<double, N>& a) { return {a[0], a[1]}; }
};
template <> struct AnimatedTraits<QSizeF> {
    static constexpr int N = 2;
    static std::array<double, N> split(QSizeF v) { return {v.width(), v.height()}; }
    static QSizeF join(const std::array<double, N>& a) { return {a[0], a[1]}; }
};
template <> struct AnimatedTraits<QColor> {
    static constexpr int N = 4;
    static std::array<double, N> split(const QColor& c)
    {
        const QColor s = c.toRgb();
        return {s.redF(), s.greenF(), s.blueF(), s.alphaF()};
    }
    static QColor join(const std::array<double, N>& a)
    {
        auto unit = [](double v) { return float(std::clamp(v, 0.0, 1.0)); };
        return QColor::fromRgbF(unit(a[0]), unit(a[1]), unit(a[2]), unit(a[3]));
    }
};

// A value a view shows: set() moves it to a new target with the animation of the current
// transaction (withAnimation), or at once when the change was made outside one. A spring
// that is retargeted mid-flight keeps its velocity. `onFrame` runs after every change of
// the shown value, so the view can update() or move.
template <typename T> class Animated : private AnimationTicker {
    using Traits = AnimatedTraits<T>;
    using Array = std::array<double, Traits::N>;

public:
    explicit Animated(const T& value = T{}, std::function<void()> onFrame = {},
                      AnimationClock* clock = nullptr)
        : m_clock(clock ? clock : &AnimationClock::shared()), m_onFrame(std::move(onFrame)),
          m_value(Traits::split(value)), m_target(m_value)
    {
    }
    ~Animated() override { stop(); }
    Animated(const Animated&) = delete;
    Animated& operator=(const Animated&) = delete;

    void setOnFrame(std::function<void()> onFrame) { m_onFrame = std::move(onFrame); }

    T value() const { return Traits::join(m_value); }
    T target() const { return Traits::join(m_target); }
    bool isAnimating() const { return m_running; }

    // To `target` with the animation of the current transaction, if any.
    void set(const T& target) { animateTo(target, currentAnimation()); }

    void animateTo(const T& target, const std::optional<Animation>& animation)
    {
        const Array to = Traits::split(target);
        if (!animation || isImmediate(*animation)) {
            jump(target);
            return;
        }
        if (to == m_target && m_running)
            return;
        if (to == m_value && !m_running) {
            m_target = to;
            return;
        }
        m_velocity =
            m_running && m_animation.kind == Animation::Kind::Spring ? currentVelocity() : Array{};
        m_from = m_value;
        m_target = to;
        m_animation = *animation;
        m_start = m_clock->now();
        m_spring = SpringCurve(m_animation.response, m_animation.dampingFraction);
        double range = 0;
        for (int i = 0; i < Traits::N; ++i)
            range = std::max(range, std::abs(m_from[i] - m_target[i]));
        m_tolerance = std::max(range * 5e-4, 1e-6);
        m_running = true;
        m_clock->add(this);
    }

    // Shows `value` at once and ends any motion.
    void jump(const T& value)
    {
        const Array v = Traits::split(value);
        const bool changed = v != m_value;
        stop();
        m_value = v;
        m_target = v;
        if (changed && m_onFrame)
            m_onFrame();
    }

private:
    static bool isImmediate(const Animation& a)
    {
        return a.kind == Animation::Kind::Spring ? !(a.response > 0) : !(a.duration > 0);
    }

    void stop()
    {
        if (m_running)
            m_clock->remove(this);
        m_running = false;
        m_velocity = Array{};
    }

    Array currentVelocity() const
    {
        Array v{};
        const double t = m_clock->now() - m_start;
        for (int i = 0; i < Traits::N; ++i)
            v[i] = m_spring.at(t, m_from[i] - m_target[i], m_velocity[i]).velocity;
        return v;
    }

    bool tick(double now) override
    {
        if (!m_running)
            return false;
        const double t = std::max(0.0, now - m_start);
        bool settled = true;
        if (m_animation.kind == Animation::Kind::Spring) {
            const double omega = std::sqrt(m_spring.stiffness());
            for (int i = 0; i < Traits::N; ++i) {
                const auto s = m_spring.at(t, m_from[i] - m_target[i], m_velocity[i]);
                m_value[i] = m_target[i] + s.displacement;
                if (std::hypot(s.displacement, s.velocity / omega) > m_tolerance)
                    settled = false;
            }
        } else {
            const double f = t / m_animation.duration;
            const double e = easeInOut(f);
            for (int i = 0; i < Traits::N; ++i)
                m_value[i] = m_from[i] + (m_target[i] - m_from[i]) * e;
            settled = f >= 1;
        }
        if (settled) {
            m_value = m_target;
            m_running = false;
            m_velocity = Array{};
        }
        if (m_onFrame)
            m_onFrame(); // may start a new motion
        return m_running;
    }

    AnimationClock* m_clock;
    std::function<void()> m_onFrame;
    Array m_value;
    Array m_target;
    Array m_from{};
    Array m_velocity{};
    Animation m_animation;
    SpringCurve m_spring{0, 1};
    double m_start = 0;
    double m_tolerance = 1e-6;
    bool m_running = false;
};
