#pragma once

#include <QColor>
#include <QRectF>

#include <functional>

class QPainter;

namespace Painting {
// Draws what `draw` paints inside `area` (painter coordinates) so that it stays smooth on a
// turned piece (a tilted note): glyphs drawn at a turn land on whole pixels one by one and
// step the baseline, so under a turn the drawing is made upright at the device's
// resolution and laid at the turn with smooth resampling. Without a turn, or for an area
// too large for one picture, `draw` paints straight through `painter`.
//
// Qt draws a text caret by inverting the pixels under it, and in the upright picture
// nothing lies under it: inverted clear pixels are colour without coverage, which laying
// the picture down turns into stray marks that change with the pixels it falls on. What
// was drawn so is given `inverted` (a caret in the text's colour); clear by default.
void drawUpright(QPainter& painter, const QRectF& area, const std::function<void(QPainter&)>& draw,
                 const QColor& inverted = Qt::transparent);
} // namespace Painting
