#include "app/item_open_panel.h"

#include "storage/storage_manager.h"

#include <QAbstractItemView>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>

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
        auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        connect(nameEdit, &QLineEdit::textEdited, this, [this] { m_typed = true; });
        // A pick in the list, by mouse or keys, is not typing. The rows typing selects
        // change while the name line has the focus. The detail view shares the list's
        // selection.
        auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, nameEdit] {
                    if (!nameEdit->hasFocus())
                        m_typed = false;
                });
        for (const char* name : {"listView", "treeView"}) {
            connect(findChild<QAbstractItemView*>(QLatin1String(name)), &QAbstractItemView::pressed,
                    this, [this] { m_typed = false; });
        }
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
    // An empty name line has Qt's panel select the folder it shows, which no row stands for:
    // that is nothing the user picked, and taking it would take the whole folder.
    const QString shown = QDir::cleanPath(directory().absolutePath());
    QStringList selected = selectedFiles();
    selected.removeIf([&shown](const QString& path) { return QDir::cleanPath(path) == shown; });
    if (m_typed && enterTypedFolder(selected))
        return;
    QStringList chosen;
    for (const QString& path : selected) {
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
            chosen.append(path);
    }
    if (chosen.isEmpty())
        return;
    m_chosen = chosen;
    QDialog::accept();
}

bool ItemOpenPanel::enterTypedFolder(const QStringList& selected)
{
    for (const QString& path : selected) {
        const QFileInfo info(path);
        if (!info.isDir())
            continue;
        setDirectory(QDir::cleanPath(info.absoluteFilePath()));
        findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->clear();
        m_typed = false;
        return true;
    }
    return false;
}
