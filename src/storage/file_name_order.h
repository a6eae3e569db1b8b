#pragma once

#include <QString>

// The order of file names in the room's lists: by Unicode code point after canonical
// composition (NFC), case-sensitive, with no locale. A precomposed accented letter and the
// same letter with a combining accent sort alike, and capitals come before small letters.
namespace FileNameOrder {

// The comparison key of a name; compute it once per name when sorting.
class Key {
public:
    explicit Key(const QString& name);

    friend bool operator==(const Key& a, const Key& b) { return a.m_text == b.m_text; }
    friend bool operator<(const Key& a, const Key& b);

private:
    QString m_text; // the name in NFC
    // Whether a unit at or above U+D800 occurs: only there does the order of UTF-16 units
    // differ from that of code points.
    bool m_high = false;
};

inline Key key(const QString& name)
{
    return Key(name);
}

} // namespace FileNameOrder
