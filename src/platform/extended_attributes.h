#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// User extended attributes on Linux. Reads and writes follow symbolic links, so through a
// link they act on its target (a link itself cannot carry user attributes).
namespace ExtendedAttributes {

// Where a stored item came from, and when it was stored.
inline constexpr char originName[] = "user.id.marrowick.origin";
inline constexpr char addedName[] = "user.id.marrowick.added";

// The whole value, however long; nothing when the attribute is absent, the file system
// has no user attributes, or the item cannot be read.
std::optional<QByteArray> read(const QString& path, const char* name);
bool write(const QString& path, const char* name, const QByteArray& value);
// The same, also on a read-only file or folder the user owns: a user attribute needs write
// permission, so the owner's write bit is lifted for the write and put back.
bool writeEvenReadOnly(const QString& path, const char* name, const QByteArray& value);

// Carries every user.* attribute of `from` over to `to`, neither of them followed when
// it is a symbolic link. Returns false when one could not be copied; a `to` on a file
// system without user attributes (a memory stick, say) simply gets none.
bool copyUserAttributes(const QString& from, const QString& to);
// The same on the paths' bytes as they stand on disk.
bool copyUserAttributes(const QByteArray& from, const QByteArray& to);

} // namespace ExtendedAttributes
