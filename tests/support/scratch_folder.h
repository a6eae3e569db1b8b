#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace ScratchFolders {

// Removes the entry `name` of the open folder `parentFd` and everything below it, on the
// names' bytes (a name that is no UTF-8 included), never following a link and never
// entering another file system. A folder is made writable and searchable before it is
// emptied, so read-only folders a test made go too. False when something stayed.
inline bool removeAt(int parentFd, const char* name, dev_t device)
{
    struct stat st {};
    if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parentFd, name, 0) == 0;
    if (st.st_dev != device)
        return false; // a mount left behind: not ours to empty
    ::fchmodat(parentFd, name, 0700, 0);
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    std::vector<QByteArray> children;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray child(entry->d_name);
        if (child != "." && child != "..")
            children.push_back(child);
    }
    bool removed = true;
    for (const QByteArray& child : children)
        removed &= removeAt(::dirfd(dir), child.constData(), device);
    ::closedir(dir);
    return ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0 && removed;
}

// Removes the folder at `path` with everything in it (see removeAt).
inline bool removeTree(const QString& path)
{
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0 || slash == native.size() - 1)
        return false;
    const QByteArray parent = slash == 0 ? QByteArray("/") : native.left(slash);
    const int parentFd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return false;
    struct stat st {};
    bool removed = false;
    if (::fstatat(parentFd, native.constData() + slash + 1, &st, AT_SYMLINK_NOFOLLOW) == 0)
        removed = removeAt(parentFd, native.constData() + slash + 1, st.st_dev);
    ::close(parentFd);
    return removed;
}

} // namespace ScratchFolders

// A temporary folder for a test, like QTemporaryDir, which it removes on the way out
// whatever the test left in it: names that are no UTF-8, read-only folders.
class ScratchFolder {
public:
    ScratchFolder() { m_dir.setAutoRemove(false); }
    ~ScratchFolder()
    {
        if (m_dir.isValid())
            ScratchFolders::removeTree(m_dir.path());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
