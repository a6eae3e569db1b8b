#pragma once

#include <QFont>

// One point of the room's design is one device-independent pixel, text sizes included.
namespace Units {
// A font whose size is given in design points (a pixel size, never a typographic point).
QFont font(const QString& family, qreal designPoints, QFont::Weight weight = QFont::Normal);
// The room's system face at a size in design points.
QFont systemFont(qreal designPoints, QFont::Weight weight = QFont::Normal);
} // namespace Units
