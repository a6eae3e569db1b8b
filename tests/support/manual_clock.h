#pragma once

// The room's animations on a clock the test moves by hand, for as long as this lives: a
// card, a spring or a fade is where the test put it however loaded the machine is. Only for
// suites that link the kit.

#include "kit/animation_clock.h"

class ManualClock {
public:
    ManualClock() { AnimationClock::shared().setManual(true); }
    ~ManualClock() { AnimationClock::shared().setManual(false); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    // Long enough for every transition and spring of the room to come to rest.
    static void settle(double seconds = 3) { AnimationClock::shared().advance(seconds); }
};
