#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Byte counts and relative times in the room's Indonesian, as the panels and cards show
// them: decimal units with Indonesian digits ("0 byte", "999 byte", "1 KB", "1,5 MB",
// "2,3 GB") and short relative phrases ("5 dtk lalu", "3 mnt lalu", "dalam 3 mnt").
namespace Formats {

// The room speaks Indonesian whatever the system's language: dates and numbers use this.
const QLocale& indonesian();

QString byteCount(qint64 bytes);

// `when` seen from `now`: the largest whole unit of seconds, minutes, hours, days, weeks,
// months (30 days) or years (365 days), "lalu" after a past time and "dalam" before a
// future one.
QString relativeTime(const QDateTime& when, const QDateTime& now);

// What a folder or the Trash shows in place of its count when it cannot be listed
// ("Isi tidak dapat dibaca"): it is never shown as empty.
QString unreadableContents();

} // namespace Formats
