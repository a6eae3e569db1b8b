#pragma once

#include <QObject>

#include <concepts>

// A published field of a shared state object: a Qt property whose change signal fires when
// an assignment changes the value. A type without == announces every assignment.
#define PONDSILL_PUBLISHED(Type, name, setter)                                                     \
    Q_PROPERTY(Type name READ name WRITE setter NOTIFY name##Changed)                              \
public:                                                                                            \
    const Type& name() const                                                                       \
    {                                                                                              \
        return m_##name;                                                                           \
    }                                                                                              \
    void setter(const Type& value)                                                                 \
    {                                                                                              \
        if constexpr (std::equality_comparable<Type>) {                                            \
            if (m_##name == value)                                                                 \
                return;                                                                            \
        }                                                                                          \
        m_##name = value;                                                                          \
        Q_EMIT name##Changed();                                                                    \
    }                                                                                              \
    Q_SIGNAL void name##Changed();                                                                 \
                                                                                                   \
private:                                                                                           \
    Type m_##name
