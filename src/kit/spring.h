#pragma once

// A damped harmonic oscillator of mass 1, given as the room's animations give it: a
// response (the period of the undamped spring, seconds) and a damping fraction (1 is
// critical damping, below 1 overshoots). Stiffness (2 pi / response)^2, damping
// 4 pi zeta / response.
class SpringCurve {
public:
    SpringCurve(double response, double dampingFraction);

    double stiffness() const { return m_omega * m_omega; }

    struct State {
        double displacement; // from the target
        double velocity;
    };
    // Where a spring released at displacement `u0` with velocity `v0` is after `t` seconds.
    State at(double t, double u0, double v0 = 0) const;

    // The time after which a spring released from rest at displacement 1 stays within
    // `tolerance` of its target.
    double settlingTime(double tolerance = 1e-3) const;

    // A response of zero or less: the value jumps.
    bool isImmediate() const { return m_omega <= 0; }

private:
    double m_omega = 0; // undamped angular frequency
    double m_zeta = 1;
};

// The standard ease-in-out timing curve (cubic Bezier 0.42, 0, 0.58, 1) at a fraction of
// its duration, 0 to 1.
double easeInOut(double fraction);
