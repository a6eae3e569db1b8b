#include "app/item_open_panel.h"

#include "app/panel_words.h"
#include "storage/storage_manager.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileSystemModel>
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

// Qt's panel takes its words when it builds its widgets, so they are in place before.
QWidget* withPanelWords(QWidget* parent)
{
    PanelWords::install();
    return parent;
}
} // namespace

ItemOpenPanel::ItemOpenPanel(const UserPrompts::OpenPanel& panel, QWidget* parent)
    : QFileDialog(withPanelWords(parent))
{
    setWindowTitle(panel.title);
    setAcceptMode(QFileDialog::AcceptOpen);
    setDirectory(QDir::homePath());
    if (panel.files && panel.folders) {
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(panel.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        // Qt's panel names these children. Without them it stays Qt's own panel, which
        // enters every folder and chooses only files.
        m_nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        m_list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
        m_filesAndFolders = m_nameEdit && m_list && m_list->selectionModel();
        if (m_filesAndFolders)
            followTyping();
    } else if (panel.folders) {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly);
    } else {
        setFileMode(panel.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    if (panel.imagesOnly)
        setNameFilter(imagePatterns().join(QLatin1Char(' ')));
}

void ItemOpenPanel::followTyping()
{
    // Rows selected while the name line has the focus are the ones typing selects. A
    // pick in the list, by mouse or keys, moves the focus there first. The detail view
    // shares the list's selection.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                const bool typing = focusWidget() == m_nameEdit;
                for (const QModelIndex& index : deselected.indexes())
                    m_typedRows.remove(index.siblingAtColumn(0));
                for (const QModelIndex& index : selected.indexes()) {
                    if (typing)
                        m_typedRows.insert(index.siblingAtColumn(0));
                    else
                        m_typedRows.remove(index.siblingAtColumn(0));
                }
            });
    // A click on a row typing had already selected picks it all the same.
    for (const char* name : {"listView", "treeView"}) {
        if (auto* view = findChild<QAbstractItemView*>(QLatin1String(name))) {
            connect(view, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
                m_typedRows.remove(index.siblingAtColumn(0));
            });
        }
    }
}

QSet<QString> ItemOpenPanel::pickedRows() const
{
    QSet<QString> picked;
    for (const QModelIndex& row : m_list->selectionModel()->selectedRows()) {
        if (!m_typedRows.contains(row))
            picked.insert(QDir::cleanPath(row.data(QFileSystemModel::FilePathRole).toString()));
    }
    return picked;
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
    // A folder is taken only while its row is picked in the list. One the name line names
    // (also once the list lost the rows typing selected there) is opened instead: taking it
    // would carry the whole folder away.
    const QSet<QString> picked = pickedRows();
    for (const QString& path : selected) {
        const QFileInfo info(path);
        const QString folder = QDir::cleanPath(info.absoluteFilePath());
        if (info.isDir() && !picked.contains(folder)) {
            setDirectory(folder);
            m_nameEdit->clear();
            return;
        }
    }
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
