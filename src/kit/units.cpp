#include "kit/units.h"

#include <cmath>

namespace Units {
QFont font(const QString& family, qreal designPoints, QFont::Weight weight)
{
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(designPoints))));
    f.setWeight(weight);
    return f;
}

QFont systemFont(qreal designPoints, QFont::Weight weight)
{
    return font(QStringLiteral("DejaVu Sans"), designPoints, weight);
}
} // namespace Units
