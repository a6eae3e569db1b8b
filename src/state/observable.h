#pragma once

#include <QObject>

// A published field of a shared state object: a Qt property whose change signal fires on
// every assignment, also of an equal value. Code that runs at pointer rate compares
// before it assigns.
#define PONDSILL_PUBLISHED(Type, name, setter)                                                    \
    Q_PROPERTY(Type name READ name WRITE setter NOTIFY name##Changed)                             \
public:                                                                                           \
    const Type& name() const { return m_##name; }                                                 \
    void setter(const Type& value)                                                                \
    {                                                                                             \
        m_##name = value;                                                                         \
        Q_EMIT name##Changed();                                                                   \
    }                                                                                             \
    Q_SIGNAL void name##Changed();                                                                \
                                                                                                  \
private:                                                                                          \
    Type m_##name
