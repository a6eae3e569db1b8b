#include "storage/file_name_order.h"

#include <algorithm>

namespace FileNameOrder {

namespace {
// A UTF-16 unit moved so that units compare as the code points they belong to: a surrogate
// (part of a code point above U+FFFF) after every unit of U+E000..U+FFFF.
char16_t inCodePointOrder(char16_t unit)
{
    if (unit >= 0xE000)
        return char16_t(unit - 0x800);
    if (unit >= 0xD800)
        return char16_t(unit + 0x2000);
    return unit;
}
} // namespace

Key::Key(const QString& name) : m_text(name.normalized(QString::NormalizationForm_C))
{
    m_high =
        std::any_of(m_text.cbegin(), m_text.cend(), [](QChar c) { return c.unicode() >= 0xD800; });
}

bool operator<(const Key& a, const Key& b)
{
    if (!a.m_high && !b.m_high)
        return a.m_text < b.m_text;
    const auto [left, right] =
        std::mismatch(a.m_text.cbegin(), a.m_text.cend(), b.m_text.cbegin(), b.m_text.cend());
    if (right == b.m_text.cend())
        return false;
    if (left == a.m_text.cend())
        return true;
    return inCodePointOrder(left->unicode()) < inCodePointOrder(right->unicode());
}

} // namespace FileNameOrder
