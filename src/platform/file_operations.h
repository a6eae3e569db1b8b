#pragma once

#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <vector>

// The file operations the storage service needs, with the Linux rules spelt out: nothing
// here replaces an existing entry, follows a symbolic link it was not asked to follow, or
// leaves half a copy behind.
namespace FileOperations {

// The outcome of an operation: 0 or the errno value that stopped it.
struct Result {
    int error = 0;

    bool ok() const { return error == 0; }
    explicit operator bool() const { return ok(); }
    // The system's description of the error, for the few lines the program prints.
    QString message() const;
};

// What lstat says about an entry itself.
struct EntryStatus {
    dev_t device = 0;
    ino_t inode = 0;
    bool isSymbolicLink = false;
    bool isDirectory = false;
    bool isRegularFile = false;
    // Status-change time, seconds since 1970 with the nanoseconds as the fraction.
    double changeTime = 0;
    // The same in nanoseconds since 1970, exact.
    qint64 changedNs = 0;
    // Modification time in nanoseconds since 1970, and the size in bytes.
    qint64 modifiedNs = 0;
    qint64 size = 0;

    // The same entry, unchanged since: a folder with an entry added, removed or renamed,
    // or a file written, has a new modification time (or is a new entry).
    bool sameVersion(const EntryStatus& other) const
    {
        return device == other.device && inode == other.inode && modifiedNs == other.modifiedNs &&
               size == other.size;
    }
};

// What a stat call said, as an entry's status.
EntryStatus statusOf(const struct stat& st);
// The entry at `path` itself (lstat), or nothing when there is none.
std::optional<EntryStatus> entryStatus(const QString& path);
// What `path` resolves to (stat, links followed), or nothing when it does not resolve.
std::optional<EntryStatus> resolvedStatus(const QString& path);

// Opens for reading the regular file `path` resolves to, and fills `st` with what it is.
// Anything else (a pipe, a device, a folder that only bears a file's name) is refused with
// ENOTSUP, never opened: opening a pipe to read waits for a writer, perhaps for good. The
// caller closes the descriptor; -1 with errno set when there is none.
int openRegularFile(const QString& path, struct stat* st);

// Something is there once links are followed (a dangling link does not count).
bool exists(const QString& path);
// An entry stands there, a dangling symbolic link included.
bool entryExists(const QString& path);
bool isSymbolicLink(const QString& path);
bool isDirectory(const QString& path); // a real directory, not a link to one
// Both paths resolve to one file (same device and inode).
bool isSameFile(const QString& a, const QString& b);

// The destination of the symbolic link at `path` as the bytes it holds, not followed;
// nothing when the entry is not a link. A destination is bytes: one that is no valid UTF-8
// (a Latin-1 name, say) is read, judged and made again only as bytes.
std::optional<QByteArray> readLinkBytes(const QString& path);
// The destination as text, when that text names the very same bytes again; nothing when
// the entry is not a link or its destination does not survive the trip through text (ask
// isSymbolicLink or readLinkBytes to tell the two apart).
std::optional<QString> readLink(const QString& path);
// A link's destination as a path: a relative destination counts from the link's folder.
// Nothing where readLink gives nothing.
std::optional<QString> resolvedLinkTarget(const QString& linkPath);

// The names in `dir` (no recursion, "." and ".." left out), dangling links included;
// names beginning with a dot only when `includeHidden`. A name whose bytes do not survive
// the trip through text (one that is no valid UTF-8) is left out: a path made of it would
// name another entry. Nothing when the folder cannot be read.
std::optional<QStringList> listEntries(const QString& dir, bool includeHidden);
// The names in `dir` as the bytes the file system holds, every name kept (one that is no
// valid UTF-8 too), for work that must reach every entry; see removeEntryIn.
std::optional<std::vector<QByteArray>> listNames(const QString& dir, bool includeHidden);

// An entry of a folder and its type, as the listing itself gives it.
struct FolderEntry {
    QString name;
    bool isSymbolicLink = false;
    bool isDirectory = false;
};
// The same entries as listEntries with their types, read from the folder itself: an entry
// is examined (lstat) only on a file system that keeps no types in its folders.
std::optional<std::vector<FolderEntry>> listFolder(const QString& dir, bool includeHidden);
// The names of the symbolic links among listFolder's entries. The other entries' names are
// not even decoded: a folder of thousands of files costs little more than reading it.
std::optional<QStringList> listLinks(const QString& dir, bool includeHidden);

// A symbolic link whose destination is known to be gone: nothing stands there while the
// folder that would hold it exists. A destination behind a missing folder (a drive that is
// not mounted) or a folder that cannot be searched is not known to be gone.
bool linkTargetIsGone(const QString& linkPath);

// Whether removeItem could take the entry away: its folder (and for a folder, every folder
// inside it) can be written and lies on a writable file system. 0, or the errno value
// that would stop the removal.
Result checkRemovable(const QString& path);

// True when `path` is `folder` itself or lies below it, compared by whole path components.
bool isWithin(const QString& path, const QString& folder);

Result makeDirectory(const QString& path); // with the missing parent folders
Result createSymbolicLink(const QString& destination, const QString& linkPath);
// The same with the destination's exact bytes.
Result createSymbolicLink(const QByteArray& destination, const QString& linkPath);

// Renames within one file system; fails with EEXIST rather than replace anything.
Result renameNoReplace(const QString& from, const QString& to);
// Renames over `to`, which the caller knows to be a symbolic link or nothing at all.
Result renameReplacingLink(const QString& from, const QString& to);

// Copies a file, a folder tree or a symbolic link (as a link) to `to`, which must not
// exist, keeping permissions, times and user.* attributes. On failure nothing of the copy
// is left behind.
Result copyItem(const QString& from, const QString& to);

// Removes an entry; a folder with its content. Never follows a symbolic link: a link is
// removed itself, its target stays.
Result removeItem(const QString& path);
// removeItem for the entry named by the bytes `name` (one path component) in the folder
// `dir`, which must be a real folder, not a link to one. A folder is left standing
// (EISDIR) unless `folders`.
Result removeEntryIn(const QString& dir, const QByteArray& name, bool folders = true);

} // namespace FileOperations
