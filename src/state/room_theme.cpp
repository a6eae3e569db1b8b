#include "state/room_theme.h"

#include <QHashFunctions>

std::optional<RoomTheme> RoomTheme::fromRawValue(const QString& rawValue)
{
    for (const RoomTheme& theme : allCases()) {
        if (theme.rawValue() == rawValue)
            return theme;
    }
    return std::nullopt;
}

QList<RoomTheme> RoomTheme::allCases()
{
    return {RoomTheme(Library)};
}

QString RoomTheme::rawValue() const
{
    switch (m_case) {
    case Library:
        return QStringLiteral("library");
    }
    return {};
}

QString RoomTheme::displayName() const
{
    switch (m_case) {
    case Library:
        return QStringLiteral("TOLVANE Creative Studio");
    }
    return {};
}

QString RoomTheme::themeDescription() const
{
    switch (m_case) {
    case Library:
        return QStringLiteral("100% Flat & Kontras Tinggi. Electric Blue (#120CD6), Clean White, "
                              "Hijau Stabilo, dan Pink.");
    }
    return {};
}

QString RoomTheme::backgroundImageName() const
{
    switch (m_case) {
    case Library:
        return QStringLiteral("background");
    }
    return {};
}

size_t qHash(RoomTheme theme, size_t seed)
{
    return qHash(theme.rawValue(), seed);
}
