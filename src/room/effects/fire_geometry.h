#pragma once

#include <QDateTime>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// The shapes of the fire, as pure functions of the size, the flame height and the time, so
// that every frame can be rebuilt from scratch and tested without painting. Coordinates are
// those of the burning piece's frame: (0, 0) at its top-left corner, y down.
namespace FireGeometry {

// The time the flames move by: seconds since 1 January 2001, 00:00 UTC.
double secondsSinceReferenceDate(const QDateTime& when);

// A piece narrower or lower than this (or exactly this) burns with nothing drawn.
bool drawsAnything(const QSizeF& size);

// The row of flames along one edge of a piece `width` points wide.
struct FlameRow {
    double spacing = 0;    // between flame centres, 16 to 26
    int count = 0;         // at least 2
    double flameWidth = 0; // 1.1 spacing: neighbours overlap a little

    double centreX(int i) const { return spacing / 2 + i * spacing; }
};
FlameRow flameRow(double width);

enum class Edge { Base, Top };

// One flame's outline about its foot at (0, 0): two cubic halves that meet at the tip,
// each leaving the foot straight up.
struct FlameShape {
    double halfWidth = 0;
    double height = 0;
    double tipSway = 0;
    double controlSway = 0;
    double shoulder = 0; // height fraction of the controls beside the foot
    double neck = 0;     // height fraction of the controls below the tip
};
void addFlame(QPainterPath& path, QPointF foot, const FlameShape& shape);

// Every flame flickers with sin(phase) and sin(0.75 phase): its outline repeats after this.
constexpr double flickerPeriod = 8 * 3.14159265358979323846;

// The phase of flame i of a row at time t, and its outer and inner outlines at a phase.
double rowFlamePhase(Edge edge, int i, double t);
FlameShape rowFlameOuter(Edge edge, const FlameRow& row, double flameHeight, double phase);
FlameShape rowFlameInner(Edge edge, const FlameRow& row, double flameHeight, double phase);

// One flame at one instant: its centre on the baseline, height and the sway of its tip.
struct Flame {
    double centreX = 0;
    double height = 0;
    double sway = 0;
};

// Where the row of one edge stands: its flames, the first one's centre and their feet's y.
struct Ledge {
    FlameRow row;
    double firstX = 0;
    double baseline = 0;

    double footX(int i) const { return firstX + i * row.spacing; }
};
// Along the frame's edge: the first flame half a spacing in from the left edge, the feet 2
// points inside the top edge or 1 point below the bottom one.
Ledge frameLedge(Edge edge, const QSizeF& size);
// Along the top or the bottom of a drawn outline (a guitar's, not its frame's): centred on
// what the outline spans `outlineLedgeDepth` points inside that edge, the feet there, and no
// foot beyond that span.
constexpr double outlineLedgeDepth = 4;
Ledge outlineLedge(Edge edge, const QPainterPath& outline);

// The flames of one edge, their outline paths and where their colours run.
struct FlameLayer {
    QList<Flame> flames;
    QPainterPath outer;
    QPainterPath inner;
    double baseline = 0;        // y of the flames' feet
    double outerGradientTo = 0; // y where the outer gradient ends (its start is the baseline)
    double innerGradientTo = 0; // y where the inner gradient ends
};
FlameLayer flameLayer(Edge edge, const Ledge& ledge, double flameHeight, double t);
FlameLayer flameLayer(Edge edge, const QSizeF& size, double flameHeight, double t);
// Everything the flames of one edge can cover at any time.
QRectF flameBand(Edge edge, const Ledge& ledge, double flameHeight);
QRectF flameBand(Edge edge, const QSizeF& size, double flameHeight);

// Sparks rise from the bottom edge to flameHeight + 15 above the top edge, then restart.
int sparkCount(double width);
QList<QRectF> sparks(const QSizeF& size, double flameHeight, double t);

// The glow behind the flames: a rounded rectangle 4 points larger than the piece all round.
QRectF glowRect(const QSizeF& size);
constexpr double glowReach = 4;
constexpr double glowCornerRadius = 6;

// Everything the fire of a piece can paint at any time, so that repainting this rectangle
// wipes the previous frame completely.
QRectF paintBounds(const QSizeF& size, double flameHeight);

// The atmosphere over the whole room: flames along the floor and embers drifting up.
int atmosphereFlameCount(double roomWidth);
constexpr double atmosphereFlameSpacing = 36;
double atmosphereFlamePhase(int i, double t);
FlameShape atmosphereFlame(double phase);
QPainterPath atmosphereFlames(const QSizeF& room, double t);
constexpr double atmosphereFlameGradientHeight = 75;
constexpr int emberCount = 25;
QList<QRectF> embers(const QSizeF& room, double t);
// The band along the bottom edge that the floor flames can reach.
QRectF atmosphereFlameBand(const QSizeF& room);

} // namespace FireGeometry
