#pragma once

#include <QColor>

// The studio palette shared by the room's pieces: opaque sRGB colours.
namespace TOLVANEColors {
const QColor& electricBlue();
const QColor& cleanWhite();
const QColor& highlighterGreen();
const QColor& pink();
const QColor& ink();
const QColor& nightNavy();
const QColor& offWhite();
} // namespace TOLVANEColors
