#pragma once

#include "kit/room_item.h"
#include "kit/time_line.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>

class AppState;

// One music note that rises over the radio.
struct NoteParticle {
    QString symbol;
    QColor color;
    qreal size = 0;       // font size, points
    qreal baseX = 0;      // rest position from the view's centre, points
    double delay = 0;     // phase lead, seconds
    double swaySpeed = 0; // radians per second
    qreal floatDistance = 0;
};

// Where a note is at a moment: its offset from the view's centre, scale, tilt (degrees)
// and opacity. A pure function of the clock and the particle.
struct NotePose {
    QPointF offset;
    qreal scale = 1;
    qreal rotation = 0;
    qreal opacity = 0;
};

namespace FloatingNotes {
constexpr double cycleSeconds = 2.2;
const QList<NoteParticle>& defaultParticles();
// Seconds since 1 January 2001, 00:00 UTC: the clock the notes move by.
double clockSeconds(const QDateTime& date);
// The particle's place in its cycle, 0 to 1.
double phase(const NoteParticle& particle, double t);
// The pose of particle `index` at phase `p` and time `t`.
NotePose pose(const NoteParticle& particle, int index, double p, double t);
} // namespace FloatingNotes

// Four coloured notes rising, swaying, tilting and fading over the radio while music
// plays, 30 frames a second. Each note's glyph and its glow are drawn once, the first time
// the notes show, and only moved per frame; nothing ticks while the notes are not playing,
// the room cannot be seen, the program is inactive or the machine saves power.
class FloatingNotesView : public RoomItem {
    Q_OBJECT
public:
    static constexpr QSizeF viewSize{48, 42};

    explicit FloatingNotesView(AppState& appState, QGraphicsItem* parent = nullptr);

    void setPlaying(bool playing);
    bool isShowingNotes() const;
    const TimeLine& timeLine() const { return m_timeLine; }
    // Poses the notes for `date` (the time line does this on every tick).
    void showAt(const QDateTime& date);

private:
    class Glyph;
    class Notes;

    void follow();

    AppState& m_appState;
    TimeLine m_timeLine;
    Notes* m_notes = nullptr;
    bool m_playing = false;
};
