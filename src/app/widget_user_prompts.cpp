#include "app/widget_user_prompts.h"

#include "app/interactive_desktop_window.h"
#include "app/item_open_panel.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
// A dialog of the room, modal; when it closes the room has the keyboard again.
int runForRoom(QDialog& dialog)
{
    const int result = dialog.exec();
    InteractiveDesktopWindow::giveKeyboardBackToRoom();
    return result;
}
} // namespace

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
    runForRoom(box);
    return box.clickedButton() == accept;
}

void WidgetUserPrompts::inform(const QString& message, const QString& informativeText)
{
    QMessageBox box;
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::Information);
    box.setText(message);
    box.setInformativeText(informativeText);
    runForRoom(box);
}

QStringList WidgetUserPrompts::chooseItems(const OpenPanel& panel)
{
    ItemOpenPanel dialog(panel);
    if (runForRoom(dialog) != QDialog::Accepted)
        return {};
    return dialog.chosenPaths();
}
