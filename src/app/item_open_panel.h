#pragma once

#include "platform/user_prompts.h"

#include <QFileDialog>

// The room's open panel. Where files and folders may be chosen together it is Qt's own
// dialog, whose Open button then takes a folder selected in the list instead of entering it
// (a double-click still enters it); a folder typed into the name line is entered, as in any
// panel.
class ItemOpenPanel : public QFileDialog {
    Q_OBJECT
public:
    explicit ItemOpenPanel(const UserPrompts::OpenPanel& panel, QWidget* parent = nullptr);

    // What was chosen, once the panel was accepted.
    QStringList chosenPaths() const { return m_filesAndFolders ? m_chosen : selectedFiles(); }

    void accept() override;

private:
    bool enterTypedFolder(const QStringList& selected);

    bool m_filesAndFolders = false;
    // The name line holds what the user typed since they last picked in the list. Typing
    // selects the matching rows too, so the selection alone cannot tell.
    bool m_typed = false;
    QStringList m_chosen;
};
