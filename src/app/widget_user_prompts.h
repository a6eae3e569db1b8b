#pragma once

#include "platform/user_prompts.h"

// Alerts and panels as the room's dialogs: modal message boxes and open panels.
class WidgetUserPrompts : public UserPrompts {
public:
    static WidgetUserPrompts& shared();

    bool confirm(const QString& message, const QString& informativeText, const QString& acceptTitle,
                 const QString& rejectTitle) override;
    void inform(const QString& message, const QString& informativeText) override;
    QStringList chooseItems(const OpenPanel& panel) override;
};
