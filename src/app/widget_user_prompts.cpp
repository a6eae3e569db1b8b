#include "app/widget_user_prompts.h"

#include "app/item_open_panel.h"

#include <QMessageBox>
#include <QPushButton>

WidgetUserPrompts& WidgetUserPrompts::shared()
{
    static WidgetUserPrompts instance;
    return instance;
}

bool WidgetUserPrompts::confirm(const QString& message, const QString& informativeText,
                                const QString& acceptTitle, const QString& rejectTitle)
{
    QMessageBox box;
    box.setTextFormat(Qt::PlainText);
    box.setText(message);
    box.setInformativeText(informativeText);
    QPushButton* accept = box.addButton(acceptTitle, QMessageBox::AcceptRole);
    QPushButton* reject = box.addButton(rejectTitle, QMessageBox::RejectRole);
    box.setDefaultButton(accept);
    box.setEscapeButton(reject);
    box.exec();
    return box.clickedButton() == accept;
}

void WidgetUserPrompts::inform(const QString& message, const QString& informativeText)
{
    QMessageBox box;
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Information);
    box.setText(message);
    box.setInformativeText(informativeText);
    box.exec();
}

QStringList WidgetUserPrompts::chooseItems(const OpenPanel& panel)
{
    ItemOpenPanel dialog(panel);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosenPaths();
}
