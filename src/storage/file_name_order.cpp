#include "storage/file_name_order.h"

namespace FileNameOrder {

Key key(const QString& name)
{
    // UTF-16 units would put characters above U+FFFF before U+E000..U+FFFF: compare code
    // points instead.
    return name.normalized(QString::NormalizationForm_C).toUcs4();
}

} // namespace FileNameOrder
