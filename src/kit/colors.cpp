#include "kit/colors.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace Colors {
namespace {
float unit(qreal v)
{
    return float(std::clamp(v, qreal(0), qreal(1)));
}
QPalette palette()
{
    return QGuiApplication::palette();
}
} // namespace

QColor srgb(qreal red, qreal green, qreal blue, qreal opacity)
{
    return QColor::fromRgbF(unit(red), unit(green), unit(blue), unit(opacity));
}

QColor withOpacity(const QColor& color, qreal opacity)
{
    QColor c = color;
    c.setAlphaF(unit(color.alphaF() * opacity));
    return c;
}

QColor black(qreal opacity)
{
    return srgb(0, 0, 0, opacity);
}

QColor white(qreal opacity)
{
    return srgb(1, 1, 1, opacity);
}

QColor windowBackground()
{
    return palette().color(QPalette::Window);
}

QColor controlBackground()
{
    return palette().color(QPalette::Base);
}

QColor selectedControl()
{
    return palette().color(QPalette::Highlight);
}

QColor controlAccent()
{
    return palette().color(QPalette::Highlight);
}

QColor primaryLabel()
{
    return palette().color(QPalette::WindowText);
}

QColor secondaryLabel()
{
    return withOpacity(palette().color(QPalette::WindowText), 0.55);
}

QColor grey(qreal opacity)
{
    return srgb(0.557, 0.557, 0.576, opacity);
}
QColor tertiaryLabel()
{
    return withOpacity(palette().color(QPalette::WindowText), 0.26);
}

QColor greyLevel(qreal level, qreal opacity)
{
    return srgb(level, level, level, opacity);
}
} // namespace Colors

namespace Colors {
QColor system(System name, qreal opacity)
{
    switch (name) {
    case System::Blue:
        return srgb(0.0, 0.478, 1.0, opacity);
    case System::Green:
        return srgb(0.204, 0.780, 0.349, opacity);
    case System::Purple:
        return srgb(0.686, 0.322, 0.871, opacity);
    case System::Indigo:
        return srgb(0.345, 0.337, 0.839, opacity);
    case System::Teal:
        return srgb(0.188, 0.690, 0.780, opacity);
    case System::Pink:
        return srgb(1.0, 0.176, 0.333, opacity);
    case System::Orange:
        return srgb(1.0, 0.584, 0.0, opacity);
    case System::Red:
        return srgb(1.0, 0.231, 0.188, opacity);
    case System::Cyan:
        return srgb(0.196, 0.678, 0.902, opacity);
    case System::Yellow:
        return srgb(1.0, 0.8, 0.0, opacity);
    }
    return black(opacity);
}
} // namespace Colors
