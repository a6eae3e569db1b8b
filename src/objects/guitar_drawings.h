#pragma once

#include <QPainterPath>
#include <QSizeF>

class QPainter;

// The two guitars on their floor stands, drawn from their frame's size alone. Small parts
// keep a floor in points so that a small room still shows them; `Sizes` gives those parts'
// sizes for a frame.
namespace AcousticGuitarDrawing {
struct Sizes {
    qreal tube;         // stand tube width
    qreal marker;       // single position dot radius
    qreal doubleMarker; // radius of each dot of the twelfth fret
    qreal tunerShaft;   // tuner shaft width
    qreal postRadius;   // string post radius
    QSizeF cradle;      // the stand's cradles in front of the body
};
Sizes sizes(QSizeF frame);
// The guitar and its stand in the frame (0, 0) to `frame`, without the shadows.
void paint(QPainter& painter, QSizeF frame);
// The guitar's outline as painted: body, neck and headstock, without the stand.
QPainterPath outline(QSizeF frame);
// The stand's as painted: its tubes and feet.
QPainterPath standOutline(QSizeF frame);
} // namespace AcousticGuitarDrawing

namespace StratocasterDrawing {
struct Sizes {
    qreal tube;        // stand tube width
    qreal polePiece;   // pickup pole radius
    qreal inlay;       // single inlay radius
    qreal doubleInlay; // radius of each inlay of the twelfth fret
    qreal tremolo;     // tremolo arm width
    qreal tunerShaft;  // tuner shaft width
    qreal postRadius;  // string post radius
    QSizeF lowerArm;   // the stand's arms in front of the body
};
Sizes sizes(QSizeF frame);
void paint(QPainter& painter, QSizeF frame);
QPainterPath outline(QSizeF frame);
// With the yoke round the neck and its pins.
QPainterPath standOutline(QSizeF frame);
} // namespace StratocasterDrawing
