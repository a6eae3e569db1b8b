#pragma once

#include "platform/user_prompts.h"

#include <QFileDialog>

// The room's open panel. Where files and folders may be chosen together it is Qt's own
// dialog, whose Open button then takes a selected folder instead of entering it (a
// double-click still enters it).
class ItemOpenPanel : public QFileDialog {
    Q_OBJECT
public:
    explicit ItemOpenPanel(const UserPrompts::OpenPanel& panel, QWidget* parent = nullptr);

    // What was chosen, once the panel was accepted.
    QStringList chosenPaths() const { return m_filesAndFolders ? m_chosen : selectedFiles(); }

    void accept() override;

private:
    bool m_filesAndFolders = false;
    QStringList m_chosen;
};
