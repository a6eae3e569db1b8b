#include "platform/freedesktop_trash.h"

#include "platform/file_operations.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// An info file is the entry's name followed by ".trashinfo", and both must fit NAME_MAX.
constexpr int kInfoSuffixBytes = 10;
constexpr int kMaxEntryBytes = NAME_MAX - kInfoSuffixBytes;
constexpr int kMaxAttempts = 100000;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString errnoText(int code)
{
    return FileOperations::Result{code}.message();
}

QByteArray realPath(const QByteArray& path)
{
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return {};
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

QByteArray parentOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool isWithin(const QByteArray& path, const QByteArray& folder)
{
    return path == folder || path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}

// A folder of ours: made with 0700 when missing, and then it must be a real directory
// (not a link) that the user owns. The home trash may itself be reached through a link.
bool ensurePrivateDir(const QByteArray& path, bool mayBeLink)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (mayBeLink ? ::stat(path.constData(), &st) != 0 : ::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

bool ensureTrashFolders(const QByteArray& root, bool mayBeLink)
{
    return ensurePrivateDir(root, mayBeLink) && ensurePrivateDir(root + "/files", false) &&
           ensurePrivateDir(root + "/info", false);
}

bool deviceOf(const QByteArray& path, dev_t* device)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return false;
    *device = st.st_dev;
    return true;
}

// The top folder of the mount that holds `folder`: the highest ancestor on `device`.
QByteArray mountTop(QByteArray folder, dev_t device)
{
    while (folder != "/") {
        const QByteArray up = parentOf(folder);
        dev_t upDevice = 0;
        if (!deviceOf(up, &upDevice) || upDevice != device)
            break;
        folder = up;
    }
    return folder;
}

// The trash of another mount: an administrator's $topdir/.Trash (a sticky directory, not a
// link) with a folder per user, else the user's own $topdir/.Trash-$uid.
QByteArray topdirTrash(const QByteArray& top)
{
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(uint(::getuid()));
    struct stat shared {};
    const QByteArray sharedPath = base + "/.Trash";
    if (::lstat(sharedPath.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX)) {
        const QByteArray mine = sharedPath + '/' + uid;
        if (ensureTrashFolders(mine, false))
            return mine;
    }
    const QByteArray own = base + "/.Trash-" + uid;
    if (ensureTrashFolders(own, false))
        return own;
    return {};
}

// The n-th name tried for an entry: "a.txt", "a.2.txt", "a.3.txt", ..., cut short at a
// character boundary where the info file's name would grow too long.
QByteArray candidateName(const QByteArray& name, int n)
{
    QByteArray stem = name;
    QByteArray extension;
    const int dot = name.lastIndexOf('.');
    const QByteArray number = n == 1 ? QByteArray() : '.' + QByteArray::number(n);
    // An extension too long to leave room for the rest is cut with the stem: the info
    // file keeps the whole original name.
    if (dot > 0 && number.size() + name.size() - dot < kMaxEntryBytes) {
        stem = name.left(dot);
        extension = name.mid(dot);
    }
    const QByteArray suffix = number + extension;
    if (stem.size() + suffix.size() > kMaxEntryBytes) {
        int cut = qMax(1, int(kMaxEntryBytes - suffix.size()));
        while (cut > 1 && (uchar(stem.at(cut)) & 0xC0) == 0x80)
            --cut;
        stem.truncate(cut);
    }
    return stem + suffix;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

FreedesktopTrash::FreedesktopTrash(const QString& homeTrashPath) : m_homeTrashPath(homeTrashPath) {}

FreedesktopTrash& FreedesktopTrash::shared()
{
    static FreedesktopTrash instance;
    return instance;
}

QString FreedesktopTrash::homeTrashPath() const
{
    if (!m_homeTrashPath.isEmpty())
        return m_homeTrashPath;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

bool FreedesktopTrash::makeFolders(const QString& trashPath)
{
    const QByteArray root = QFile::encodeName(trashPath);
    QDir().mkpath(QFile::decodeName(parentOf(root)));
    return ensureTrashFolders(root, true);
}

bool FreedesktopTrash::moveToTrash(const QString& path, QString* error)
{
    const QString absolute = QDir::cleanPath(
        QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path);
    const QByteArray item = QFile::encodeName(absolute);
    const QByteArray name = item.mid(item.lastIndexOf('/') + 1);
    if (path.isEmpty() || name.isEmpty() || name == "." || name == "..")
        return fail(error, QStringLiteral("not an item"));

    struct stat itemStat {};
    if (::lstat(item.constData(), &itemStat) != 0)
        return fail(error, errnoText(errno));
    // The entry's own folder, links resolved, so the recorded place can be found again.
    const QByteArray folder = realPath(parentOf(item));
    if (folder.isEmpty())
        return fail(error, errnoText(errno));
    const QByteArray original = (folder == "/" ? QByteArray() : folder) + '/' + name;
    dev_t folderDevice = 0;
    if (!deviceOf(folder, &folderDevice) || folderDevice != itemStat.st_dev)
        return fail(error, QStringLiteral("a mount point cannot go to the Trash"));

    QByteArray root;
    QByteArray recordedPath;
    const QString homePath = homeTrashPath();
    const QByteArray home = QFile::encodeName(homePath);
    dev_t homeDevice = 0;
    if (makeFolders(homePath) && deviceOf(home + "/files", &homeDevice) &&
        homeDevice == itemStat.st_dev) {
        root = home;
        recordedPath = original;
    } else {
        const QByteArray top = mountTop(folder, itemStat.st_dev);
        root = topdirTrash(top);
        dev_t rootDevice = 0;
        if (root.isEmpty() || !deviceOf(root + "/files", &rootDevice) ||
            rootDevice != itemStat.st_dev)
            return fail(error, QStringLiteral("no Trash on the item's file system"));
        recordedPath = top == "/" ? original.mid(1) : original.mid(top.size() + 1);
    }
    const QByteArray realRoot = realPath(root);
    if (realRoot.isEmpty() || isWithin(original, realRoot) || isWithin(realRoot, original))
        return fail(error, QStringLiteral("the Trash cannot hold itself"));

    const QByteArray info =
        "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() +
        '\n';
    for (int n = 1; n <= kMaxAttempts; ++n) {
        const QByteArray entry = candidateName(name, n);
        const QByteArray infoPath = root + "/info/" + entry + ".trashinfo";
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return fail(error, errnoText(errno));
        }
        const bool written = writeAll(fd, info);
        const int writeError = errno;
        if (::close(fd) != 0 || !written) {
            ::unlink(infoPath.constData());
            return fail(error, errnoText(written ? errno : writeError));
        }
        const int renameError =
            FileOperations::renameNoReplace(absolute, QFile::decodeName(root + "/files/" + entry))
                .error;
        if (renameError == 0)
            return true;
        ::unlink(infoPath.constData());
        if (renameError != EEXIST)
            return fail(error, errnoText(renameError));
    }
    return fail(error, QStringLiteral("no free name in the Trash"));
}
