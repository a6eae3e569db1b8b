#pragma once

#include "platform/file_operations.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The room's three JSON files: read whole, written whole and atomically, and never
// written over while they hold something that could not be read back.
namespace JsonFile {

// Compact text as the room has always written it (a slash in a string as "\/").
QByteArray compact(const QJsonDocument& document);

// The largest file the room reads; anything bigger is no file of the room's.
inline constexpr qint64 kMaxBytes = 64 * 1024 * 1024;

// Missing: no entry. Unreadable: there, but reading it failed (it is left alone).
// Refused: no regular file (a pipe, a device, a folder, a link to one of them) or larger
// than kMaxBytes; it is set aside like a damaged file before the room writes its own.
enum class ReadStatus { Missing, Unreadable, Refused, Read };
struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    QByteArray bytes;
    // The file the bytes came from, when read.
    std::optional<FileOperations::EntryStatus> version;
};
// Never blocks on a pipe and never reads past kMaxBytes.
ReadResult read(const QString& path);

// The file's version when the file at `path` holds exactly `bytes`, read a piece at a time
// (a large file costs no copy of its own); nothing when it holds anything else or cannot
// be read.
std::optional<FileOperations::EntryStatus> holding(const QString& path, const QByteArray& bytes);

// The file at `path` as it stands now (links followed), when it is a regular file.
std::optional<FileOperations::EntryStatus> version(const QString& path);
// Whether `now` shows the file unchanged since `seen`: only where the file system keeps
// times finer than a second.
bool sameVersion(const std::optional<FileOperations::EntryStatus>& seen,
                 const std::optional<FileOperations::EntryStatus>& now);

// Whether some bytes decode as the file's content.
using Validator = std::function<bool(const QByteArray&)>;

// Replaces the file at `path` with `bytes` in one step; the bytes are flushed, synced and
// checked before the old file is replaced, so a full disk leaves the old file whole. When
// the file there now holds something `decodes` refuses, it is first copied aside
// (setAside); a refused entry is moved aside; if that fails, nothing is written. Without
// `decodes` the file is not read first (the caller knows it as its own). False when the
// file was not written; `written` then gets the new file's version.
// `stillSo`, when given, is asked once the new bytes are on disk, just before they
// replace the file: false cancels the write (the file changed meanwhile).
// With `displaced`, a file another program put there after the last look is never lost:
// the new file and the old one change places in one step, or, where the file system cannot
// exchange, the old one is first moved aside and the new one linked in only where no file
// is. Each replaced file that is not `displaced->expected` is kept beside the file as a
// conflict copy and its bytes are handed back.
struct Displaced {
    // In: the file the write means to replace (nothing: no file).
    std::optional<FileOperations::EntryStatus> expected;
    // Out: the other files replaced, oldest first: their bytes when they could be read, and
    // where each is kept.
    struct File {
        QString keptAt;
        QByteArray bytes;
    };
    QList<File> files;
    bool happened() const { return !files.isEmpty(); }
};
bool write(const QString& path, const QByteArray& bytes, const Validator& decodes,
           std::optional<FileOperations::EntryStatus>* written = nullptr,
           const std::function<bool()>& stillSo = {}, Displaced* displaced = nullptr);

// Copies the file to a name beside it that carries `why` and the time, such as
// "notes.damaged-20240501-093000.json"; an entry that is no regular file, or too large to
// copy, is moved there instead. The copy's path, or nothing on failure (no partial copy
// is left).
std::optional<QString> setAside(const QString& path,
                                const QString& why = QStringLiteral("damaged"));

// Writes `bytes` to a new file under such a name beside `path`; its path, or nothing.
std::optional<QString> keepAside(const QString& path, const QByteArray& bytes, const QString& why);

// A save cut short between moving the old file aside and linking the new one in leaves
// the old one under a hidden name: put back when the file is missing, else kept beside it
// as a conflict copy. Run before the file is first read.
void recoverHeld(const QString& path);

// For tests: behave as a file system that cannot exchange two files, and run `beforeReplace`
// just before a written file takes the place of the old one.
struct TestHooks {
    bool noExchange = false;
    std::function<void(const QString& path)> beforeReplace;
};
TestHooks& testHooks();

} // namespace JsonFile
