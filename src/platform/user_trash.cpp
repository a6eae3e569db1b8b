#include "platform/user_trash.h"

#include "platform/app_launcher.h"
#include "platform/background_work.h"
#include "platform/default_application.h"
#include "platform/file_operations.h"
#include "platform/folder_watcher.h"
#include "platform/freedesktop_trash.h"

#include <QCoreApplication>
#include <QFile>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// Gives the owner read, write and search rights on the folder `name` in `dirFd` and on
// every folder below it, so that what is inside can be listed and removed. Only the
// user's own folders change, links are never followed, and files keep their modes: a
// file's mode does not stop its removal.
void openUpFolderAt(int dirFd, const char* name)
{
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid())
        return;
    if ((st.st_mode & S_IRWXU) != S_IRWXU &&
        ::fchmodat(dirFd, name, (st.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    std::vector<QByteArray> folders;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray child(entry->d_name);
        if (child != "." && child != ".." &&
            (entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN))
            folders.push_back(child);
    }
    for (const QByteArray& child : folders)
        openUpFolderAt(::dirfd(dir), child.constData());
    ::closedir(dir);
}

// openUpFolderAt for the item `name` of the Trash's files/ folder, reached without links.
void openUpForRemoval(const QString& files, const QByteArray& name)
{
    const int fd = ::open(QFile::encodeName(files).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    openUpFolderAt(fd, name.constData());
    ::close(fd);
}
} // namespace

UserTrash::UserTrash(const QString& trashPath, QObject* parent)
    : QObject(parent), m_path(trashPath.isEmpty() ? FreedesktopTrash().homeTrashPath() : trashPath),
      m_watcher(new FolderWatcher({filesPath()}, 150, this)), m_worker(new QThreadPool(this))
{
    m_worker->setMaxThreadCount(1);
    BackgroundWork::track(m_worker);
    connect(m_watcher, &FolderWatcher::changed, this, &UserTrash::refresh);
    refresh();
}

UserTrash::~UserTrash()
{
    BackgroundWork::untrack(m_worker);
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
    const bool readabilityChanged = m_listFailed == listed;
    m_listFailed = !listed;
    m_leftByEmptying = std::min(m_leftByEmptying, count);
    if (count == m_itemCount && !readabilityChanged)
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
    // A fresh home has no Trash until something is thrown away: it is made as trashing
    // makes it, so that the file manager has a folder to show.
    return FreedesktopTrash::makeFolders(m_path) && DefaultApplication::open(filesPath());
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
                for (const QString& failure : result.failures)
                    std::printf("Pondsill: tidak dapat dihapus dari tempat sampah: %s\n",
                                failure.toLocal8Bit().constData());
                std::fflush(stdout);
                m_leftByEmptying = result.failed;
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
        FileOperations::Result removed = FileOperations::removeEntryIn(files, name);
        if (!removed) {
            // Thrown away read-only or unreadable: the owner may open it up, and emptying
            // the Trash asks for exactly that.
            openUpForRemoval(files, name);
            removed = FileOperations::removeEntryIn(files, name);
        }
        if (!removed) {
            ++result.failed; // its info file stays, so it can still be restored
            result.failures.append(QFile::decodeName(name) + QStringLiteral(": ") +
                                   removed.message());
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
