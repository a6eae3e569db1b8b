#include "state/tolvane_colors.h"

namespace TOLVANEColors {
namespace {
QColor fromHex(QRgb rgb)
{
    return QColor::fromRgb(rgb);
}
} // namespace

const QColor& electricBlue()
{
    static const QColor c = fromHex(0x120CD6);
    return c;
}
const QColor& cleanWhite()
{
    static const QColor c = fromHex(0xFFFFFF);
    return c;
}
const QColor& highlighterGreen()
{
    static const QColor c = fromHex(0xE5FD5F);
    return c;
}
const QColor& pink()
{
    static const QColor c = fromHex(0xF908E0);
    return c;
}
const QColor& ink()
{
    static const QColor c = fromHex(0x111111);
    return c;
}
const QColor& nightNavy()
{
    static const QColor c = fromHex(0x0D0B18);
    return c;
}
const QColor& offWhite()
{
    static const QColor c = fromHex(0xF5F5F5);
    return c;
}
} // namespace TOLVANEColors
