#pragma once

#include <QList>
#include <QString>

#include <optional>

// The room theme. The room has one look today, but the theme is stored under the
// preference key "theme" by its raw value, so the type keeps the shape of a list.
class RoomTheme {
public:
    enum Case { Library };

    constexpr RoomTheme() = default;
    constexpr explicit RoomTheme(Case c) : m_case(c) {}

    static RoomTheme library() { return RoomTheme(Library); }
    // Exactly the raw value, case-sensitive and untrimmed; anything else is no theme.
    static std::optional<RoomTheme> fromRawValue(const QString& rawValue);
    static QList<RoomTheme> allCases();

    Case value() const { return m_case; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString displayName() const;
    QString themeDescription() const;
    QString backgroundImageName() const;

    friend bool operator==(RoomTheme a, RoomTheme b) { return a.m_case == b.m_case; }

private:
    Case m_case = Library;
};

size_t qHash(RoomTheme theme, size_t seed = 0);
