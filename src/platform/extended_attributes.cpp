#include "platform/extended_attributes.h"

#include <QFile>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ExtendedAttributes {

namespace {
// A value can grow between asking for its size and reading it: try again a few times.
constexpr int kReadAttempts = 4;

template <typename SizeFn, typename ReadFn>
std::optional<QByteArray> readSized(SizeFn sizeOf, ReadFn readInto)
{
    // Most values (a date, a folder) fit here: one call reads them, none asks for the size.
    char small[512];
    const ssize_t length = readInto(small, sizeof small);
    if (length >= 0)
        return length == 0 ? QByteArray() : QByteArray(small, qsizetype(length));
    if (errno != ERANGE)
        return std::nullopt;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const ssize_t size = sizeOf();
        if (size < 0)
            return std::nullopt;
        if (size == 0)
            return QByteArray();
        QByteArray buffer(qsizetype(size), Qt::Uninitialized);
        const ssize_t got = readInto(buffer.data(), size_t(size));
        if (got >= 0) {
            buffer.truncate(qsizetype(got));
            return buffer;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}
} // namespace

std::optional<QByteArray> read(const QString& path, const char* name)
{
    const QByteArray native = QFile::encodeName(path);
    return readSized(
        [&] { return ::getxattr(native.constData(), name, nullptr, 0); },
        [&](char* data, size_t size) { return ::getxattr(native.constData(), name, data, size); });
}

bool write(const QString& path, const char* name, const QByteArray& value)
{
    const QByteArray native = QFile::encodeName(path);
    return ::setxattr(native.constData(), name, value.constData(), size_t(value.size()), 0) == 0;
}

bool writeEvenReadOnly(const QString& path, const char* name, const QByteArray& value)
{
    if (write(path, name, value))
        return true;
    if (errno != EACCES && errno != EPERM)
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & S_IWUSR))
        return false;
    if (::chmod(native.constData(), (st.st_mode & 07777) | S_IWUSR) != 0)
        return false;
    const bool written = write(path, name, value);
    ::chmod(native.constData(), st.st_mode & 07777);
    return written;
}

bool copyUserAttributes(const QString& from, const QString& to)
{
    return copyUserAttributes(QFile::encodeName(from), QFile::encodeName(to));
}

bool copyUserAttributes(const QByteArray& source, const QByteArray& target)
{
    const std::optional<QByteArray> names = readSized(
        [&] { return ::llistxattr(source.constData(), nullptr, 0); },
        [&](char* data, size_t size) { return ::llistxattr(source.constData(), data, size); });
    if (!names)
        return errno == ENOTSUP;
    bool allCopied = true;
    for (const QByteArray& attribute : names->split('\0')) {
        if (!attribute.startsWith("user."))
            continue;
        const char* name = attribute.constData();
        const std::optional<QByteArray> value =
            readSized([&] { return ::lgetxattr(source.constData(), name, nullptr, 0); },
                      [&](char* data, size_t size) {
                          return ::lgetxattr(source.constData(), name, data, size);
                      });
        if (!value)
            allCopied = false;
        else if (::lsetxattr(target.constData(), name, value->constData(), size_t(value->size()),
                             0) != 0 &&
                 errno != ENOTSUP)
            allCopied = false;
    }
    return allCopied;
}

} // namespace ExtendedAttributes
