#pragma once

#include "platform/user_prompts.h"

#include <QFileDialog>
#include <QPersistentModelIndex>
#include <QSet>

class QAbstractItemView;
class QLineEdit;

// The room's open panel. Where files and folders may be chosen together it is Qt's own
// dialog, whose Open button then takes a folder whose row the user picked in the list
// instead of entering it (a double-click still enters it); a folder named in the name line
// is entered, as in any panel.
class ItemOpenPanel : public QFileDialog {
    Q_OBJECT
public:
    explicit ItemOpenPanel(const UserPrompts::OpenPanel& panel, QWidget* parent = nullptr);

    // What was chosen, once the panel was accepted.
    QStringList chosenPaths() const { return m_filesAndFolders ? m_chosen : selectedFiles(); }

    void accept() override;

private:
    void followTyping();
    QSet<QString> pickedRows() const;

    bool m_filesAndFolders = false;
    QLineEdit* m_nameEdit = nullptr;
    QAbstractItemView* m_list = nullptr;
    // The rows that typing into the name line selected: it selects the rows it names, and
    // the user never picked those in the list.
    QSet<QPersistentModelIndex> m_typedRows;
    QStringList m_chosen;
};
