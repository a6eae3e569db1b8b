#include "platform/desktop_icons.h"

namespace {
constexpr int kColumnX = 1250;
constexpr int kFirstRowY = 100;
constexpr int kRowStep = 95;
} // namespace

bool DesktopIcons::isCovered(const QPoint& position)
{
    return position.x() < 420 || (position.y() >= 451 && position.x() < 850);
}

QList<DesktopIconMove> DesktopIcons::coveredIconMoves(const QList<DesktopIcon>& icons)
{
    QList<DesktopIconMove> moves;
    int y = kFirstRowY;
    for (const DesktopIcon& icon : icons) {
        if (!isCovered(icon.position))
            continue;
        moves.append({icon.name, QPoint(kColumnX, y)});
        y += kRowStep;
    }
    return moves;
}
