#include "kit/formats.h"

#include <QLocale>

#include <array>
#include <cmath>
#include <cstdlib>

namespace Formats {
const QLocale& indonesian()
{
    static const QLocale locale(QLocale::Indonesian, QLocale::Indonesia);
    return locale;
}

QString byteCount(qint64 bytes)
{
    if (bytes < 0)
        bytes = 0;
    if (bytes < 1000)
        return indonesian().toString(bytes) + QStringLiteral(" byte");
    static const std::array<const char*, 6> units = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1000;
    size_t unit = 0;
    // Kilobytes in whole numbers, larger units to one decimal; a value that rounds up to
    // 1000 moves on to the next unit.
    const auto rounded = [](double v, size_t u) {
        const double scale = u == 0 ? 1 : 10;
        return std::round(v * scale) / scale;
    };
    while (unit + 1 < units.size() && rounded(value, unit) >= 1000) {
        value /= 1000;
        ++unit;
    }
    const double shown = rounded(value, unit);
    const bool whole = shown == std::floor(shown);
    return indonesian().toString(shown, 'f', whole ? 0 : 1) + QLatin1Char(' ') +
           QLatin1String(units[unit]);
}

QString relativeTime(const QDateTime& when, const QDateTime& now)
{
    const qint64 seconds = when.secsTo(now);
    const bool future = seconds < 0;
    const qint64 s = std::llabs(seconds);
    struct Unit {
        qint64 seconds;
        const char* name;
    };
    static const std::array<Unit, 7> units = {{{365 * 86400LL, "thn"},
                                               {30 * 86400LL, "bln"},
                                               {7 * 86400LL, "mgg"},
                                               {86400, "hr"},
                                               {3600, "jam"},
                                               {60, "mnt"},
                                               {1, "dtk"}}};
    for (const Unit& u : units) {
        if (s >= u.seconds || u.seconds == 1) {
            const QString phrase =
                indonesian().toString(s / u.seconds) + QLatin1Char(' ') + QLatin1String(u.name);
            return future ? QStringLiteral("dalam ") + phrase : phrase + QStringLiteral(" lalu");
        }
    }
    return {};
}

QString unreadableContents()
{
    return QStringLiteral("Isi tidak dapat dibaca");
}

} // namespace Formats
