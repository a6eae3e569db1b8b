#pragma once

#include "platform/user_prompts.h"

// Answers questions with `accepts` and open panels with `chosen`, and records what was
// asked, told or offered.
class FakePrompts : public UserPrompts {
public:
    bool accepts = false;
    QStringList chosen;
    QList<QStringList> questions;
    QList<QStringList> notices;
    QList<OpenPanel> panels;

    bool confirm(const QString& message, const QString& informative, const QString&,
                 const QString&) override
    {
        questions.append({message, informative});
        return accepts;
    }
    void inform(const QString& message, const QString& informative) override
    {
        notices.append({message, informative});
    }
    QStringList chooseItems(const OpenPanel& panel) override
    {
        panels.append(panel);
        return chosen;
    }
};
