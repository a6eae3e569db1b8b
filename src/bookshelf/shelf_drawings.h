#pragma once

#include <QColor>
#include <QPainterPath>
#include <QString>
#include <QStringList>

#include <cstdint>

class QPainter;

// The faces of shelf items, drawn in their own frame (0, 0) to (width, height): a book seen
// from its spine in one of five styles, an archive box in one of four. Pure drawings: the
// same inputs always give the same picture, and nothing here reads the disk.
namespace ShelfDrawings {

struct BookFace {
    qreal width = 0;
    qreal height = 0;
    QColor color;
    int style = 0; // 0 classic gilt, 1 modern ribbon, 2 vintage shield, 3 fine line, 4 pocket star
    std::uint64_t hash = 0;
    QString title;
};

struct BoxFace {
    qreal width = 0;
    qreal height = 0;
    QString label;
    int count = 0;
    bool readable = true; // false: the folder cannot be listed, and the box says so
    int style = 0;        // 0 banker's box, 1 metal box, 2 two-tone lid, 3 brass corners
    int seed = 0;         // the two-tone lid's colour: navy when even, green when odd
};

// Clipped to the book's rectangle.
void paintBook(QPainter& painter, const BookFace& face);
void paintBox(QPainter& painter, const BoxFace& face);

// Pieces the faces are made of, at their place in the face.
void paintHeadband(QPainter& painter, qreal top, qreal width);
// How many stripes a headband of `width` has (none below 2.5).
int headbandStripes(qreal width);
QColor ribbonColor(std::uint64_t seed);
QColor twoToneLidColor(int seed);
// Plate width and height of a box (the metal box's plate is a little wider).
qreal plateWidth(const BoxFace& face);
qreal plateHeight(qreal boxHeight);
// The folder's name as laid on the box's label, line by line.
QStringList labelLines(const BoxFace& face);
// The line under the name: "4 file", or that the folder cannot be read.
QString countLine(const BoxFace& face);

} // namespace ShelfDrawings
