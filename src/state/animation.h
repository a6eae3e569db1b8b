#pragma once

#include <functional>
#include <optional>

// How a change animates: a spring given by response and damping fraction, or an
// ease-in-out curve of a fixed duration. A plain value; the kit turns it into motion.
struct Animation {
    enum class Kind { Spring, EaseInOut };

    Kind kind = Kind::Spring;
    double response = 0.55;         // seconds, springs only
    double dampingFraction = 0.825; // springs only
    double blendDuration = 0.0;     // springs only
    double duration = 0.35;         // seconds, ease-in-out only

    static constexpr Animation spring(double response, double dampingFraction,
                                      double blendDuration = 0.0)
    {
        return Animation{Kind::Spring, response, dampingFraction, blendDuration, 0.0};
    }
    static constexpr Animation easeInOut(double duration)
    {
        return Animation{Kind::EaseInOut, 0.0, 0.0, 0.0, duration};
    }

    friend bool operator==(const Animation&, const Animation&) = default;
};

// The animation of the change being made right now, if any. A model change made inside
// withAnimation() animates every view that shows it; a change made outside is immediate.
// Views read currentAnimation() in the slot that reacts to a change signal, which runs
// synchronously inside the assignment.
std::optional<Animation> currentAnimation();

void withAnimation(const Animation& animation, const std::function<void()>& change);

// Runs `change` with no animation, also inside an animated transaction.
void withoutAnimation(const std::function<void()>& change);

// Runs `change` in `animation`, or without one when it is none: a change deferred to a
// later turn of the event loop carries the animation that was current when it was asked.
void withAnimation(const std::optional<Animation>& animation, const std::function<void()>& change);
