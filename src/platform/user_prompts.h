#pragma once

#include <QString>
#include <QStringList>

// Alerts and panels that code without widgets asks for. The room's window side answers
// them with real dialogs; tests answer them with fakes.
class UserPrompts {
public:
    // What an open panel lets the user choose.
    struct OpenPanel {
        QString title;
        bool files = true;
        bool folders = false;
        bool multiple = false;
        bool imagesOnly = false; // the photo types the frames take
    };

    virtual ~UserPrompts() = default;

    // A modal question with two buttons; true when the first (accepting) one was chosen.
    virtual bool confirm(const QString& message, const QString& informativeText,
                         const QString& acceptTitle, const QString& rejectTitle) = 0;
    // A modal notice with one button that dismisses it.
    virtual void inform(const QString& message, const QString& informativeText) = 0;
    // A modal open panel: the chosen paths in the panel's order, none when it was closed
    // without choosing. Where nobody can answer, nothing is chosen.
    virtual QStringList chooseItems(const OpenPanel& panel)
    {
        Q_UNUSED(panel);
        return {};
    }
};
