#pragma once

#include "kit/room_item.h"
#include "kit/time_line.h"

#include <QColor>
#include <QDateTime>
#include <QImage>

#include <array>
#include <optional>

class AppState;

// One hand of the wall clock: a capsule from the pivot to the tip, an optional tail behind
// the pivot with a small counterweight ring, turned clockwise from 12 o'clock.
struct ModernClockHand {
    qreal length = 0;
    qreal width = 0;
    QColor color;
    double angle = 0; // degrees
    qreal tail = 0;
    bool hasCounterRing = false;

    // The hand pointing at 12 o'clock, its pivot at (0, 0), filled.
    QPainterPath fillShape() const;
    // The counterweight ring, to be stroked, or an empty path.
    QPainterPath ringShape() const;
    qreal ringLineWidth() const { return 1.1 * width; }
};

// The round wall clock: a drawn face with hour, minute and seconds hands. It redraws once
// a second while the room can be seen, is active and is not saving power, else once a
// minute, on whole seconds or minutes; the seconds hand is left out while the window is
// hidden. A click opens the clock card, a double click a clock program. Only the circle
// takes the pointer.
class AnalogWallClockView : public RoomItem {
    Q_OBJECT
public:
    struct Angles {
        double hour = 0;
        double minute = 0;
        double second = 0;
    };

    explicit AnalogWallClockView(AppState& appState,
                                 std::optional<QDateTime> overrideDate = std::nullopt,
                                 QGraphicsItem* parent = nullptr);

    // The hands' angles for a time of day, in degrees clockwise from 12 o'clock; whole
    // seconds only, so the hands step.
    static Angles angles(const QTime& time);
    // The instant the face shows now.
    QDateTime shownDate() const;
    // The face's circle in the view's frame.
    QRectF faceRect() const;
    bool showsSecondsHand() const;
    const TimeLine& timeLine() const { return m_timeLine; }

    void showQuickView();
    static void openClockApp();
    void populateContextMenu(QMenu& menu);

    // The three hands for a face of radius `r` at `angles`.
    static std::array<ModernClockHand, 3> hands(qreal r, const Angles& angles);

protected:
    void onSizeChanged() override;

private:
    class Face;
    class Hands;

    AppState& m_appState;
    std::optional<QDateTime> m_overrideDate;
    TimeLine m_timeLine;
    Face* m_face = nullptr;
    Hands* m_hands = nullptr;
};
