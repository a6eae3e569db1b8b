#pragma once

#include <QString>

// Alerts and panels that code without widgets asks for. The room's window side answers
// them with real dialogs; tests answer them with fakes.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A modal question with two buttons; true when the first (accepting) one was chosen.
    virtual bool confirm(const QString& message, const QString& informativeText,
                         const QString& acceptTitle, const QString& rejectTitle) = 0;
    // A modal notice with one button that dismisses it.
    virtual void inform(const QString& message, const QString& informativeText) = 0;
};
