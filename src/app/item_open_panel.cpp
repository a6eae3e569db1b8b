#include "app/item_open_panel.h"

#include "storage/storage_manager.h"

#include <QDir>

namespace {
// The photos the frames take, as file-name patterns; the filter shows only the patterns.
// Upper case too: a camera names its photos IMG_0001.JPG, and a desktop's own panel may
// compare the patterns case by case.
QStringList imagePatterns()
{
    QStringList patterns;
    for (const QString& extension : StorageManager::photoExtensions())
        patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    return patterns;
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
        setNameFilter(imagePatterns().join(QLatin1Char(' ')));
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
