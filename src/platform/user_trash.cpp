#include "platform/user_trash.h"

#include "platform/app_launcher.h"
#include "platform/default_application.h"
#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "platform/freedesktop_trash.h"

#include <QCoreApplication>
#include <QFile>
#include <QThreadPool>

#include <cstdio>

UserTrash::UserTrash(const QString& trashPath, QObject* parent)
    : QObject(parent), m_path(trashPath.isEmpty() ? FreedesktopTrash().homeTrashPath() : trashPath),
      m_watcher(new FolderWatcher({filesPath()}, 150, this)), m_worker(new QThreadPool(this))
{
    m_worker->setMaxThreadCount(1);
    connect(m_watcher, &FolderWatcher::changed, this, &UserTrash::refresh);
    refresh();
}

UserTrash::~UserTrash()
{
    m_worker->waitForDone();
}

UserTrash& UserTrash::shared()
{
    static UserTrash* instance = new UserTrash({}, QCoreApplication::instance());
    return *instance;
}

QString UserTrash::filesPath() const
{
    return m_path + QStringLiteral("/files");
}

int UserTrash::countItems(const QString& filesPath, bool* listed)
{
    if (listed)
        *listed = true;
    if (!FileOperations::entryExists(filesPath))
        return 0;
    const std::optional<std::vector<QByteArray>> names =
        FileOperations::listNames(filesPath, false);
    if (!names) {
        if (listed)
            *listed = false;
        return 0;
    }
    return int(names->size());
}

void UserTrash::refresh()
{
    bool listed = true;
    const int count = countItems(filesPath(), &listed);
    // Shown as empty (nothing is lost), but said once, not at every change.
    if (!listed && !m_listFailed) {
        std::printf("Pondsill: tempat sampah tidak dapat dibaca: %s\n",
                    QFile::encodeName(filesPath()).constData());
        std::fflush(stdout);
    }
    m_listFailed = !listed;
    if (count == m_itemCount)
        return;
    m_itemCount = count;
    Q_EMIT itemCountChanged(count);
}

bool UserTrash::open() const
{
    if (AppLauncher::hasSchemeHandler(QStringLiteral("trash")) &&
        AppLauncher::openWithSchemeHandler(QUrl(QStringLiteral("trash:///"))) ==
            AppLauncher::Outcome::Launched)
        return true;
    return FileOperations::exists(filesPath()) && DefaultApplication::open(filesPath());
}

void UserTrash::empty()
{
    if (m_emptying)
        return;
    m_emptying = true;
    m_worker->start([this, path = m_path] {
        const EmptyResult result = emptyFolder(path);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_emptying = false;
                refresh();
                Q_EMIT emptied(result.removed, result.failed);
            },
            Qt::QueuedConnection);
    });
}

UserTrash::EmptyResult UserTrash::emptyFolder(const QString& trashPath)
{
    EmptyResult result;
    const QString files = trashPath + QStringLiteral("/files");
    const QString info = trashPath + QStringLiteral("/info");
    // files/ must be the Trash's own folder: through a link it could be any folder at all.
    if (!FileOperations::isDirectory(files))
        return result;
    // By the names' bytes: a name that is no valid UTF-8 is an item like any other.
    const std::optional<std::vector<QByteArray>> names = FileOperations::listNames(files, true);
    if (!names)
        return result;
    for (const QByteArray& name : *names) {
        if (!FileOperations::removeEntryIn(files, name)) {
            ++result.failed; // its info file stays, so it can still be restored
            continue;
        }
        ++result.removed;
        FileOperations::removeEntryIn(info, name + ".trashinfo", false);
    }
    const QString sizes = trashPath + QStringLiteral("/directorysizes");
    if (FileOperations::entryExists(sizes) && !FileOperations::isDirectory(sizes))
        FileOperations::removeItem(sizes);
    return result;
}
