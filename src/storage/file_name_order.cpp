#include "storage/file_name_order.h"

#include <algorithm>

namespace FileNameOrder {

Key key(const QString& name)
{
    // UTF-16 units would put characters above U+FFFF before U+E000..U+FFFF: compare code
    // points instead.
    return name.normalized(QString::NormalizationForm_C).toUcs4();
}

bool lessThan(const QString& a, const QString& b)
{
    const Key ka = key(a);
    const Key kb = key(b);
    return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end());
}

} // namespace FileNameOrder
