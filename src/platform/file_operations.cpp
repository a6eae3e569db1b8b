#include "platform/file_operations.h"

#include "platform/extended_attributes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace FileOperations {

namespace {

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

Result lastError()
{
    return Result{errno != 0 ? errno : EIO};
}

// Closes a descriptor when it goes out of scope.
struct FdGuard {
    int fd = -1;
    ~FdGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

Result copyTimes(const QByteArray& to, const struct stat& st, bool isLink)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::utimensat(AT_FDCWD, to.constData(), times, isLink ? AT_SYMLINK_NOFOLLOW : 0) != 0)
        return lastError();
    return {};
}

Result copyRegularFile(const QByteArray& from, const QByteArray& to, bool* created)
{
    FdGuard in{::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)};
    if (in.fd < 0)
        return lastError();
    FdGuard out{::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
    if (out.fd < 0)
        return lastError();
    *created = true;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in.fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        if (got == 0)
            break;
        ssize_t written = 0;
        while (written < got) {
            const ssize_t n = ::write(out.fd, buffer.data() + written, size_t(got - written));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return lastError();
            }
            written += n;
        }
    }
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (closed != 0)
        return lastError();
    return {};
}

// Hands each entry of an open folder but "." and ".." to `take`. False, with errno set,
// when the folder could not be read to its end.
template <typename Take> bool readEntries(DIR* dir, Take take)
{
    for (;;) {
        errno = 0; // `take` may leave an error of its own behind
        const dirent* entry = ::readdir(dir);
        if (!entry)
            return errno == 0;
        const char* raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        take(*entry);
    }
}

// The names in a folder as the bytes on disk: a name that is no valid UTF-8 would not
// survive a trip through QString.
std::optional<std::vector<QByteArray>> rawNames(DIR* dir)
{
    std::vector<QByteArray> names;
    if (!readEntries(dir, [&names](const dirent& entry) { names.emplace_back(entry.d_name); }))
        return std::nullopt;
    return names;
}

// A name from a folder as text; nothing for one that is no valid UTF-8 (a path made of
// it would name another entry).
std::optional<QString> decodedName(const char* raw)
{
    const qsizetype length = qsizetype(std::strlen(raw));
    QString name = QFile::decodeName(QByteArray::fromRawData(raw, length));
    // Plain ASCII always comes back as it went.
    for (qsizetype i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(raw[i]) >= 0x80) {
            if (QFile::encodeName(name) != QByteArrayView(raw, length))
                return std::nullopt;
            break;
        }
    }
    return name;
}

// The entries of `dir`, with their types when `withTypes`.
// With `linksOnly`, only the symbolic links are kept, and no other name is decoded.
std::optional<std::vector<FolderEntry>> readFolder(const QString& dir, bool includeHidden,
                                                   bool withTypes, bool linksOnly = false)
{
    DIR* handle = ::opendir(native(dir).constData());
    if (!handle)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    const bool complete = readEntries(handle, [&](const dirent& entry) {
        const char* raw = entry.d_name;
        if (raw[0] == '.' && !includeHidden)
            return;
        unsigned char type = entry.d_type;
        if (withTypes && type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(::dirfd(handle), raw, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (linksOnly && type != DT_LNK)
            return;
        const std::optional<QString> name = decodedName(raw);
        if (!name)
            return;
        entries.push_back({*name, type == DT_LNK, type == DT_DIR});
    });
    ::closedir(handle);
    if (!complete)
        return std::nullopt;
    return entries;
}

// The destination text of the link at `path` as its bytes, however long; nothing when the
// entry is no link. `sizeHint` is the length lstat gave, when known.
std::optional<QByteArray> rawLinkDestination(const QByteArray& path, size_t sizeHint)
{
    std::vector<char> buffer(sizeHint + 1);
    for (;;) {
        const ssize_t got = ::readlink(path.constData(), buffer.data(), buffer.size());
        if (got < 0)
            return std::nullopt;
        if (size_t(got) < buffer.size())
            return QByteArray(buffer.data(), qsizetype(got));
        buffer.resize(buffer.size() * 2);
    }
}

// A copied folder's mode and times, applied once the whole copy stands: a read-only
// folder made earlier would keep a failed copy from being removed again.
struct CopiedFolder {
    QByteArray path;
    struct stat source;
};

// Copies one entry, on the paths' bytes. `created` turns true once `to` is an entry this
// copy made, so a failure removes only what the copy itself put there.
Result copyEntry(const QByteArray& from, const QByteArray& to, bool* created,
                 std::vector<CopiedFolder>* folders)
{
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0)
        return lastError();

    if (S_ISLNK(st.st_mode)) {
        const std::optional<QByteArray> destination =
            rawLinkDestination(from, size_t(st.st_size > 0 ? st.st_size : 255));
        if (!destination)
            return lastError();
        if (::symlink(destination->constData(), to.constData()) != 0)
            return lastError();
        *created = true;
        copyTimes(to, st, true);
        return {};
    }

    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.constData(), 0700) != 0)
            return lastError();
        *created = true;
        DIR* dir = ::opendir(from.constData());
        if (!dir)
            return lastError();
        const std::optional<std::vector<QByteArray>> names = rawNames(dir);
        const int listError = errno;
        ::closedir(dir);
        if (!names)
            return Result{listError != 0 ? listError : EIO};
        for (const QByteArray& name : *names) {
            bool childCreated = false;
            const Result copied =
                copyEntry(from + '/' + name, to + '/' + name, &childCreated, folders);
            if (!copied)
                return copied;
        }
        if (!ExtendedAttributes::copyUserAttributes(from, to))
            return Result{ENOTSUP};
        folders->push_back({to, st}); // after its sub-folders: the deepest are finished first
        return {};
    }

    if (S_ISREG(st.st_mode)) {
        if (const Result copied = copyRegularFile(from, to, created); !copied)
            return copied;
        // Attributes before the mode: a read-only file takes no new user attributes.
        if (!ExtendedAttributes::copyUserAttributes(from, to))
            return Result{ENOTSUP};
        if (::chmod(to.constData(), st.st_mode & 07777) != 0)
            return lastError();
        copyTimes(to, st, false);
        return {};
    }

    // Sockets, pipes and device nodes are not people's documents.
    return Result{ENOTSUP};
}

int removeAt(int dirFd, const char* name)
{
    struct stat st {};
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(dirFd, name, 0) == 0 ? 0 : errno;

    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int firstError = 0;
    const std::vector<QByteArray> children = rawNames(dir).value_or(std::vector<QByteArray>());
    for (const QByteArray& child : children) {
        const int error = removeAt(fd, child.constData());
        if (error != 0 && firstError == 0)
            firstError = error;
    }
    ::closedir(dir);
    if (firstError != 0)
        return firstError;
    return ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0 ? 0 : errno;
}

} // namespace

QString Result::message() const
{
    return QString::fromLocal8Bit(std::strerror(error));
}

EntryStatus statusOf(const struct stat& st)
{
    EntryStatus status;
    status.device = st.st_dev;
    status.inode = st.st_ino;
    status.isSymbolicLink = S_ISLNK(st.st_mode);
    status.isDirectory = S_ISDIR(st.st_mode);
    status.isRegularFile = S_ISREG(st.st_mode);
    status.changeTime = double(st.st_ctim.tv_sec) + double(st.st_ctim.tv_nsec) / 1e9;
    status.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + qint64(st.st_ctim.tv_nsec);
    status.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    status.size = qint64(st.st_size);
    return status;
}

std::optional<EntryStatus> entryStatus(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::lstat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return statusOf(st);
}

std::optional<EntryStatus> resolvedStatus(const QString& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(native(path).constData(), &st) != 0)
        return std::nullopt;
    return statusOf(st);
}

int openRegularFile(const QString& path, struct stat* st)
{
    const QByteArray name = native(path);
    if (path.isEmpty() || ::stat(name.constData(), st) != 0)
        return -1;
    if (!S_ISREG(st->st_mode)) {
        errno = ENOTSUP;
        return -1;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    // The entry may have been swapped since the look above (a pipe opened so does not wait).
    const int error = ::fstat(fd, st) != 0 ? errno : S_ISREG(st->st_mode) ? 0 : ENOTSUP;
    if (error == 0)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

bool exists(const QString& path)
{
    return resolvedStatus(path).has_value();
}

bool entryExists(const QString& path)
{
    return entryStatus(path).has_value();
}

bool isSymbolicLink(const QString& path)
{
    const auto status = entryStatus(path);
    return status && status->isSymbolicLink;
}

bool isDirectory(const QString& path)
{
    const auto status = entryStatus(path);
    return status && status->isDirectory;
}

bool isSameFile(const QString& a, const QString& b)
{
    const auto first = resolvedStatus(a);
    const auto second = resolvedStatus(b);
    return first && second && first->device == second->device && first->inode == second->inode;
}

std::optional<QByteArray> readLinkBytes(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return rawLinkDestination(native(path), 255);
}

std::optional<QString> readLink(const QString& path)
{
    const std::optional<QByteArray> destination = readLinkBytes(path);
    if (!destination)
        return std::nullopt;
    QString text = QFile::decodeName(*destination);
    if (native(text) != *destination)
        return std::nullopt;
    return text;
}

std::optional<QString> resolvedLinkTarget(const QString& linkPath)
{
    const std::optional<QString> destination = readLink(linkPath);
    if (!destination || destination->isEmpty())
        return destination;
    if (QDir::isAbsolutePath(*destination))
        return QDir::cleanPath(*destination);
    return QDir::cleanPath(QFileInfo(linkPath).absolutePath() + QLatin1Char('/') + *destination);
}

std::optional<std::vector<QByteArray>> listNames(const QString& dir, bool includeHidden)
{
    DIR* handle = ::opendir(native(dir).constData());
    if (!handle)
        return std::nullopt;
    std::optional<std::vector<QByteArray>> names = rawNames(handle);
    ::closedir(handle);
    if (names && !includeHidden)
        std::erase_if(*names, [](const QByteArray& name) { return name.startsWith('.'); });
    return names;
}

namespace {
std::optional<QStringList> namesOf(std::optional<std::vector<FolderEntry>> entries)
{
    if (!entries)
        return std::nullopt;
    QStringList names;
    names.reserve(qsizetype(entries->size()));
    for (FolderEntry& entry : *entries)
        names.append(std::move(entry.name));
    return names;
}
} // namespace

std::optional<QStringList> listEntries(const QString& dir, bool includeHidden)
{
    return namesOf(readFolder(dir, includeHidden, false));
}

std::optional<std::vector<FolderEntry>> listFolder(const QString& dir, bool includeHidden)
{
    return readFolder(dir, includeHidden, true);
}

std::optional<QStringList> listLinks(const QString& dir, bool includeHidden)
{
    return namesOf(readFolder(dir, includeHidden, true, true));
}

bool linkTargetIsGone(const QString& linkPath)
{
    // Judged on the destination's bytes, as the kernel follows them: a name that is no
    // valid UTF-8 would turn into another name as text, one that is not there.
    const std::optional<QByteArray> destination = readLinkBytes(linkPath);
    if (!destination || destination->isEmpty())
        return false;
    QByteArray target = *destination;
    if (!target.startsWith('/'))
        target = native(QFileInfo(QDir::cleanPath(linkPath)).absolutePath()) + '/' + target;
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 || errno != ENOENT)
        return false;
    // ENOENT also comes from a missing folder on the way: only a folder that is there
    // tells that the entry itself is gone. A last step of "." or ".." names no entry of
    // its own.
    while (target.size() > 1 && target.endsWith('/'))
        target.chop(1);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray last = target.mid(slash + 1);
    if (slash < 0 || last == "." || last == "..")
        return false;
    const QByteArray folder = slash == 0 ? QByteArray("/") : target.left(slash);
    return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {
int removableAt(int dirFd, const char* name, const struct stat& st)
{
    if (!S_ISDIR(st.st_mode))
        return 0;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    if (::faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    const std::optional<std::vector<QByteArray>> children = rawNames(dir);
    int error = children ? 0 : EIO;
    for (const QByteArray& child : children.value_or(std::vector<QByteArray>())) {
        struct stat childStat {};
        if (::fstatat(::dirfd(dir), child.constData(), &childStat, AT_SYMLINK_NOFOLLOW) != 0)
            error = errno;
        else
            error = removableAt(::dirfd(dir), child.constData(), childStat);
        if (error != 0)
            break;
    }
    ::closedir(dir);
    return error;
}
} // namespace

Result checkRemovable(const QString& path)
{
    const QFileInfo info(QDir::cleanPath(path));
    const QByteArray folder = native(info.absolutePath());
    struct stat st {};
    if (::lstat(native(info.absoluteFilePath()).constData(), &st) != 0)
        return lastError();
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return lastError();
    struct stat folderStat {};
    if (::stat(folder.constData(), &folderStat) != 0)
        return lastError();
    // A sticky folder lets only an entry's owner (or the folder's) remove it.
    const uid_t me = ::geteuid();
    if ((folderStat.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && folderStat.st_uid != me)
        return Result{EPERM};
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return lastError();
    const int error = removableAt(dirFd, native(info.fileName()).constData(), st);
    ::close(dirFd);
    return Result{error};
}

bool isWithin(const QString& path, const QString& folder)
{
    const QString p = QDir::cleanPath(path);
    const QString f = QDir::cleanPath(folder);
    if (p.isEmpty() || f.isEmpty())
        return false;
    if (p == f)
        return true;
    const QString prefix = f.endsWith(QLatin1Char('/')) ? f : f + QLatin1Char('/');
    return p.startsWith(prefix);
}

Result makeDirectory(const QString& path)
{
    if (QDir().mkpath(path))
        return {};
    return Result{isDirectory(path) ? 0 : (entryExists(path) ? EEXIST : EACCES)};
}

Result createSymbolicLink(const QString& destination, const QString& linkPath)
{
    if (::symlink(native(destination).constData(), native(linkPath).constData()) != 0)
        return lastError();
    return {};
}

Result createSymbolicLink(const QByteArray& destination, const QString& linkPath)
{
    if (::symlink(destination.constData(), native(linkPath).constData()) != 0)
        return lastError();
    return {};
}

Result renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = native(from);
    const QByteArray target = native(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return lastError();
    // A file system without the flag: check, then rename. The window between the two is
    // as small as the check.
    if (entryExists(to))
        return Result{EEXIST};
    if (::rename(source.constData(), target.constData()) != 0)
        return lastError();
    return {};
}

Result renameReplacingLink(const QString& from, const QString& to)
{
    const auto existing = entryStatus(to);
    if (existing && !existing->isSymbolicLink)
        return Result{EEXIST};
    if (existing && isDirectory(from)) {
        // rename() will not put a folder over a link: drop the link first.
        if (::unlink(native(to).constData()) != 0)
            return lastError();
        return renameNoReplace(from, to);
    }
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        return lastError();
    return {};
}

Result copyItem(const QString& from, const QString& to)
{
    const auto source = entryStatus(from);
    if (!source)
        return Result{ENOENT};
    if (entryExists(to))
        return Result{EEXIST};
    if (source->isDirectory) {
        // A folder copied into itself would never end.
        const QString sourceDir = QFileInfo(from).canonicalFilePath();
        const QString targetParent = QFileInfo(QFileInfo(to).absolutePath()).canonicalFilePath();
        if (!targetParent.isEmpty() && isWithin(targetParent, sourceDir))
            return Result{EINVAL};
    }
    bool created = false;
    std::vector<CopiedFolder> folders;
    Result copied = copyEntry(native(from), native(to), &created, &folders);
    for (const CopiedFolder& folder : folders) {
        if (!copied)
            break;
        if (::chmod(folder.path.constData(), folder.source.st_mode & 07777) != 0)
            copied = lastError();
        else
            copyTimes(folder.path, folder.source, false);
    }
    // Only what this copy made goes: an entry that appeared at `to` meanwhile is not ours.
    if (!copied && created)
        removeItem(to);
    return copied;
}

namespace {
// Removes the entry `name` (one path component) of the folder `dir`, opened with `openFlags`
// besides the usual ones; a folder only when `folders`.
Result removeNamed(const QByteArray& dir, int openFlags, const QByteArray& name, bool folders)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0'))
        return Result{EINVAL};
    const int parent = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | openFlags);
    if (parent < 0)
        return lastError();
    int error = 0;
    if (!folders) {
        struct stat st {};
        if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            error = errno;
        else if (S_ISDIR(st.st_mode))
            error = EISDIR;
    }
    if (error == 0)
        error = removeAt(parent, name.constData());
    ::close(parent);
    return Result{error};
}
} // namespace

Result removeItem(const QString& path)
{
    // The folder that holds the entry may be reached through a link.
    const QFileInfo info(QDir::cleanPath(path));
    return removeNamed(native(info.absolutePath()), 0, native(info.fileName()), true);
}

Result removeEntryIn(const QString& dir, const QByteArray& name, bool folders)
{
    return removeNamed(native(dir), O_NOFOLLOW, name, folders);
}

} // namespace FileOperations
