#include "storage/json_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace JsonFile {

TestHooks& testHooks()
{
    static TestHooks hooks;
    return hooks;
}

namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// A name beside `path` carrying the time, free at the moment; empty when none is.
QString asideName(const QString& path, const QString& why, int n)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString stem =
        info.completeBaseName() + QLatin1Char('.') + why + QLatin1Char('-') + stamp;
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.absolutePath() + QLatin1Char('/') + stem +
           (n == 0 ? QString() : QStringLiteral("-%1").arg(n)) + suffix;
}

} // namespace

QByteArray compact(const QJsonDocument& document)
{
    // In compact JSON a slash can only stand inside a string.
    QByteArray text = document.toJson(QJsonDocument::Compact);
    text.replace("/", "\\/");
    return text;
}

ReadResult read(const QString& path)
{
    // A pipe would never end, a device may never end either: neither is opened.
    struct stat st {};
    Descriptor file{FileOperations::openRegularFile(path, &st)};
    if (file.fd < 0) {
        if (errno == ENOTSUP)
            return {ReadStatus::Refused, {}, {}};
        if (errno != ENOENT)
            return {ReadStatus::Unreadable, {}, {}};
        // A link that leads nowhere is left as it is.
        return {FileOperations::entryExists(path) ? ReadStatus::Unreadable : ReadStatus::Missing,
                {},
                {}};
    }
    if (st.st_size > kMaxBytes)
        return {ReadStatus::Refused, {}, {}};
    const FileOperations::EntryStatus version = FileOperations::statusOf(st);
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype total = 0;
    for (;;) {
        if (total == bytes.size()) {
            // The file grew while it was read.
            if (total > kMaxBytes)
                return {ReadStatus::Refused, {}, {}};
            bytes.resize(std::min<qsizetype>(total * 2 + 4096, kMaxBytes + 1));
        }
        const ssize_t got = ::read(file.fd, bytes.data() + total, size_t(bytes.size() - total));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {ReadStatus::Unreadable, {}, {}};
        }
        if (got == 0)
            break;
        total += got;
    }
    if (total > kMaxBytes)
        return {ReadStatus::Refused, {}, {}};
    bytes.truncate(total);
    return {ReadStatus::Read, bytes, version};
}

std::optional<FileOperations::EntryStatus> holding(const QString& path, const QByteArray& bytes)
{
    struct stat st {};
    Descriptor file{FileOperations::openRegularFile(path, &st)};
    if (file.fd < 0 || st.st_size != bytes.size())
        return std::nullopt;
    char piece[65536];
    qsizetype total = 0;
    for (;;) {
        const ssize_t got = ::read(file.fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || total + got > bytes.size() ||
            QByteArrayView(piece, got) != QByteArrayView(bytes).sliced(total, got))
            return std::nullopt;
        if (got == 0)
            break;
        total += got;
    }
    if (total != bytes.size())
        return std::nullopt;
    return FileOperations::statusOf(st);
}

std::optional<FileOperations::EntryStatus> version(const QString& path)
{
    std::optional<FileOperations::EntryStatus> status = FileOperations::resolvedStatus(path);
    if (!status || !status->isRegularFile)
        return std::nullopt;
    return status;
}

bool sameVersion(const std::optional<FileOperations::EntryStatus>& seen,
                 const std::optional<FileOperations::EntryStatus>& now)
{
    // Whole seconds cannot tell two writes in the same second apart.
    return seen && now && seen->modifiedNs % 1000000000 != 0 && seen->sameVersion(*now);
}

namespace {

// Writes `bytes` to a new hidden file beside `path`, with the mode the file there has,
// synced and measured. Its path, or nothing (and no file left) when any step failed.
std::optional<QByteArray> writeBeside(const QString& path, const QByteArray& bytes,
                                      struct stat* after)
{
    const QFileInfo info(path);
    QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat old {};
    const mode_t mode = ::stat(QFile::encodeName(path).constData(), &old) == 0
                            ? (old.st_mode & 07777)
                            : (S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    bool ok = ::fchmod(fd, mode) == 0;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += n > 0 ? n : 0;
    }
    ok = ok && ::fsync(fd) == 0 && ::fstat(fd, after) == 0 && after->st_size == bytes.size();
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(name.constData());
        return std::nullopt;
    }
    return name;
}

// A new hidden name beside `path` for a file moved out of its way.
QByteArray heldName(const QString& path)
{
    const QFileInfo info(path);
    QByteArray name = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                        info.fileName() + QStringLiteral(".held-XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return {};
    ::close(fd);
    return name;
}

// Where a written file went, and the files that stood at its path before, each now under
// another name beside it.
struct Placed {
    bool placed = false;
    QList<QByteArray> others;
};

// For a file system that cannot exchange: whatever stands at `path` is moved aside first,
// and the new file is linked in only where no file is, so a file another program renames
// there at any moment is moved aside too rather than replaced unseen. Readers may find no
// file for that moment; the room's own reads wait for it.
Placed placeWithoutExchange(const QByteArray& fresh, const QString& path)
{
    const QByteArray target = QFile::encodeName(path);
    Placed result;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QByteArray held = heldName(path);
        if (held.isEmpty())
            break;
        if (::rename(target.constData(), held.constData()) == 0) {
            result.others.append(held);
        } else {
            const int error = errno;
            ::unlink(held.constData());
            if (error != ENOENT)
                break;
        }
        if (::link(fresh.constData(), target.constData()) == 0) {
            ::unlink(fresh.constData());
            result.placed = true;
            return result;
        }
        if (errno == EEXIST)
            continue; // another came meanwhile: moved aside in turn
        if (errno == EPERM || errno == ENOTSUP || errno == EMLINK || errno == ENOSYS) {
            // No hard links here: the name was free a moment ago.
            result.placed = ::rename(fresh.constData(), target.constData()) == 0;
            return result;
        }
        break;
    }
    // Failed: the file last moved aside goes back unless another took its place meanwhile.
    if (!result.others.isEmpty() &&
        ::link(result.others.last().constData(), target.constData()) == 0) {
        ::unlink(result.others.last().constData());
        result.others.removeLast();
    }
    return result;
}

// Puts the file at `fresh` in the place of `path`, and `path`'s old file at `fresh`, in
// one step where the file system can.
Placed place(const QByteArray& fresh, const QString& path)
{
    const QByteArray target = QFile::encodeName(path);
    if (!testHooks().noExchange) {
        if (::renameat2(AT_FDCWD, fresh.constData(), AT_FDCWD, target.constData(),
                        RENAME_EXCHANGE) == 0)
            return {true, {fresh}};
        if (errno == ENOENT) {
            // No file there yet: the new one takes the name unless one came meanwhile.
            if (::renameat2(AT_FDCWD, fresh.constData(), AT_FDCWD, target.constData(),
                            RENAME_NOREPLACE) == 0)
                return {true, {}};
            if (errno == EEXIST)
                return place(fresh, path);
        }
        if (errno != EINVAL && errno != ENOSYS)
            return {};
    }
    return placeWithoutExchange(fresh, path);
}

// Keeps a file another program had put at `path` beside it as a conflict copy, and hands
// its bytes back; the file the write meant to replace goes.
void keepDisplaced(const QString& path, const QByteArray& at, Displaced& displaced)
{
    const QString old = QFile::decodeName(at);
    const std::optional<FileOperations::EntryStatus> was = version(old);
    if (displaced.expected && was && displaced.expected->sameVersion(*was)) {
        ::unlink(at.constData());
        return;
    }
    Displaced::File file{old, {}};
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = asideName(path, QStringLiteral("conflict"), n);
        const FileOperations::Result moved = FileOperations::renameNoReplace(old, candidate);
        if (moved) {
            file.keptAt = candidate;
            break;
        }
        if (moved.error != EEXIST)
            break;
    }
    const ReadResult read = JsonFile::read(file.keptAt);
    if (read.status == ReadStatus::Read)
        file.bytes = read.bytes;
    displaced.files.append(file);
}

} // namespace

bool write(const QString& path, const QByteArray& bytes, const Validator& decodes,
           std::optional<FileOperations::EntryStatus>* written,
           const std::function<bool()>& stillSo, Displaced* displaced)
{
    struct stat st {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || st.st_size > kMaxBytes)) {
        if (!setAside(path))
            return false;
    } else if (exists && decodes) {
        const ReadResult current = read(path);
        if (current.status == ReadStatus::Unreadable)
            return false;
        // An empty file holds nothing to keep.
        if ((current.status == ReadStatus::Refused ||
             (current.status == ReadStatus::Read && !current.bytes.isEmpty() &&
              !decodes(current.bytes))) &&
            !setAside(path))
            return false;
    } else if (!exists && FileOperations::entryExists(path)) {
        return false; // a link that leads nowhere is left alone
    }

    const auto link = FileOperations::entryStatus(path);
    if (displaced && !(link && link->isSymbolicLink)) {
        struct stat after {};
        const std::optional<QByteArray> fresh = writeBeside(path, bytes, &after);
        if (!fresh)
            return false;
        if (stillSo && !stillSo()) {
            ::unlink(fresh->constData());
            return false;
        }
        if (testHooks().beforeReplace)
            testHooks().beforeReplace(path);
        const Placed placed = place(*fresh, path);
        if (!placed.placed && !placed.others.contains(*fresh))
            ::unlink(fresh->constData());
        if (placed.placed && written)
            *written = FileOperations::statusOf(after);
        // Someone else's file: kept whole beside ours, under a name that says why.
        for (const QByteArray& other : placed.others)
            keepDisplaced(path, other, *displaced);
        return placed.placed;
    }

    // Unbuffered, and synced and measured before the commit: a write that failed (a full
    // disk) must never replace the old file, whatever commit() would say.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // The temporary file goes with `file` when it is not committed.
    const auto fail = [&file] {
        file.cancelWriting();
        return false;
    };
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        return fail();
    const int fd = file.handle();
    struct stat after {};
    if (fd < 0 || ::fsync(fd) != 0 || ::fstat(fd, &after) != 0 || after.st_size != bytes.size())
        return fail();
    if (stillSo && !stillSo())
        return fail();
    if (!file.commit())
        return false;
    if (written)
        *written = FileOperations::statusOf(after);
    return true;
}

std::optional<QString> keepAside(const QString& path, const QByteArray& bytes, const QString& why)
{
    struct stat after {};
    const std::optional<QByteArray> fresh = writeBeside(path, bytes, &after);
    if (!fresh)
        return std::nullopt;
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = asideName(path, why, n);
        const FileOperations::Result moved =
            FileOperations::renameNoReplace(QFile::decodeName(*fresh), candidate);
        if (moved)
            return candidate;
        if (moved.error != EEXIST)
            break;
    }
    ::unlink(fresh->constData());
    return std::nullopt;
}

void recoverHeld(const QString& path)
{
    const QFileInfo info(path);
    const QString prefix = QLatin1Char('.') + info.fileName() + QStringLiteral(".held-");
    for (const QString& name :
         FileOperations::listEntries(info.absolutePath(), true).value_or(QStringList())) {
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6)
            continue;
        const QString held = info.absolutePath() + QLatin1Char('/') + name;
        const std::optional<FileOperations::EntryStatus> status = FileOperations::entryStatus(held);
        if (!status || !status->isRegularFile)
            continue;
        if (status->size == 0) {
            FileOperations::removeItem(held); // a name taken for a move that never came
            continue;
        }
        if (!FileOperations::entryExists(path) && FileOperations::renameNoReplace(held, path))
            continue;
        for (int n = 0; n < 1000; ++n) {
            const FileOperations::Result moved = FileOperations::renameNoReplace(
                held, asideName(path, QStringLiteral("conflict"), n));
            if (moved || moved.error != EEXIST)
                break;
        }
    }
}

std::optional<QString> setAside(const QString& path, const QString& why)
{
    struct stat st {};
    const bool regular = ::stat(QFile::encodeName(path).constData(), &st) == 0 &&
                         S_ISREG(st.st_mode) && st.st_size <= kMaxBytes;
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = asideName(path, why, n);
        if (FileOperations::entryExists(candidate))
            continue;
        if (!regular) {
            // The entry itself moves: its content is not read.
            const FileOperations::Result moved = FileOperations::renameNoReplace(path, candidate);
            if (moved)
                return candidate;
            if (moved.error == EEXIST)
                continue;
            return std::nullopt;
        }
        if (!QFile::copy(path, candidate))
            return std::nullopt;
        const std::optional<FileOperations::EntryStatus> copy = version(candidate);
        if (!copy || copy->size != st.st_size) {
            // A copy cut short (a full disk) is no copy.
            FileOperations::removeItem(candidate);
            return std::nullopt;
        }
        return candidate;
    }
    return std::nullopt;
}

} // namespace JsonFile
