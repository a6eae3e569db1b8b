#include "kit/spring.h"

#include <QEasingCurve>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>

SpringCurve::SpringCurve(double response, double dampingFraction)
{
    if (std::isfinite(response) && response > 0)
        m_omega = 2 * std::numbers::pi / response;
    m_zeta = std::isfinite(dampingFraction) ? std::max(0.0, dampingFraction) : 1.0;
}

SpringCurve::State SpringCurve::at(double t, double u0, double v0) const
{
    if (isImmediate())
        return {0, 0};
    const double w = m_omega;
    const double z = m_zeta;
    if (z < 1) {
        const double wd = w * std::sqrt(1 - z * z);
        const double a = u0;
        const double b = (v0 + z * w * u0) / wd;
        const double e = std::exp(-z * w * t);
        const double c = std::cos(wd * t);
        const double s = std::sin(wd * t);
        const double u = e * (a * c + b * s);
        const double v = -z * w * u + e * (-a * wd * s + b * wd * c);
        return {u, v};
    }
    if (z == 1) {
        const double b = v0 + w * u0;
        const double e = std::exp(-w * t);
        const double u = e * (u0 + b * t);
        const double v = e * (b - w * (u0 + b * t));
        return {u, v};
    }
    const double root = std::sqrt(z * z - 1);
    const double r1 = -w * (z - root);
    const double r2 = -w * (z + root);
    const double c2 = (v0 - r1 * u0) / (r2 - r1);
    const double c1 = u0 - c2;
    const double e1 = std::exp(r1 * t);
    const double e2 = std::exp(r2 * t);
    return {c1 * e1 + c2 * e2, c1 * r1 * e1 + c2 * r2 * e2};
}

double SpringCurve::settlingTime(double tolerance) const
{
    if (isImmediate())
        return 0;
    // Walk forward in small steps; the last time the motion is outside the band is the
    // settling time. Springs of the room settle within seconds.
    const double step = 1.0 / 600;
    double last = 0;
    for (double t = 0; t < 60; t += step) {
        const State s = at(t, 1, 0);
        const double amplitude = std::hypot(s.displacement, s.velocity / m_omega);
        if (amplitude > tolerance)
            last = t;
        else if (t - last > 1)
            break;
    }
    return last + step;
}

double easeInOut(double fraction)
{
    static const QEasingCurve curve = [] {
        QEasingCurve c(QEasingCurve::BezierSpline);
        c.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
        return c;
    }();
    return curve.valueForProgress(std::clamp(fraction, 0.0, 1.0));
}
