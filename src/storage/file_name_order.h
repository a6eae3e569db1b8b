#pragma once

#include <QList>
#include <QString>

// The order of file names in the room's lists: by Unicode code point after canonical
// composition (NFC), case-sensitive, with no locale. A precomposed accented letter and the
// same letter with a combining accent sort alike, and capitals come before small letters.
namespace FileNameOrder {

using Key = QList<uint>;

// The comparison key of a name; compute it once per name when sorting.
Key key(const QString& name);

} // namespace FileNameOrder
