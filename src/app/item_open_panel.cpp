#include "app/item_open_panel.h"

#include "storage/storage_manager.h"

#include <QDir>

namespace {
// The photos the frames take, as file-name patterns; the filter shows only the patterns.
QString imagePatterns()
{
    QStringList patterns;
    for (const QString& extension : StorageManager::photoExtensions())
        patterns.append(QStringLiteral("*.") + extension);
    return patterns.join(QLatin1Char(' '));
}
} // namespace

ItemOpenPanel::ItemOpenPanel(const UserPrompts::OpenPanel& panel, QWidget* parent)
    : QFileDialog(parent), m_filesAndFolders(panel.files && panel.folders)
{
    setWindowTitle(panel.title);
    setAcceptMode(QFileDialog::AcceptOpen);
    setDirectory(QDir::homePath());
    if (m_filesAndFolders) {
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(panel.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    } else if (panel.folders) {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
    } else {
        setFileMode(panel.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (panel.imagesOnly)
        setNameFilter(imagePatterns());
}

void ItemOpenPanel::accept()
{
    if (!m_filesAndFolders) {
        QFileDialog::accept();
        return;
    }
    QStringList chosen;
    for (const QString& path : selectedFiles()) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            chosen.append(path);
    }
    if (chosen.isEmpty())
        return;
    m_chosen = chosen;
    QDialog::accept();
}
