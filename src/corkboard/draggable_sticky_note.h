#pragma once

#include "kit/animated_value.h"
#include "kit/room_item.h"

#include <QPointer>
#include <QUuid>

#include <functional>

class AppState;
class CorkboardNotes;
class StickyNoteCardView;
struct DragValue;

// Where a note is drawn on a board: kept 6 points inside the board's left and top edges,
// clear of its right edge by a note's width and of its bottom by 90 points, and below the
// band under the header (190 points wide, centred) where it overlaps that band.
struct NotePlacement {
    QSizeF board;
    qreal zoneBottom = 48;
    qreal noteWidth = 148;

    static constexpr qreal kMargin = 6;
    static constexpr qreal kBandHalfWidth = 95;

    qreal shownX(qreal x) const;
    qreal shownY(qreal y, qreal shownX) const;
    // The top-left corner drawn for a note stored at `stored` and dragged by `drag`.
    QPointF shown(QPointF stored, QSizeF drag = {}) const;
};

// One note on the board: the card at the note's place, turned by its tilt, dragged by
// its paper after 4 points (a drag that starts in a text field selects text instead).
// The drag lives in AppState; its end stores the place shown and saves. Holds only the
// note's id.
class DraggableStickyNote : public RoomItem {
    Q_OBJECT
public:
    DraggableStickyNote(const QUuid& id, CorkboardNotes& notes, AppState& appState,
                        std::function<void()> onDelete, QGraphicsItem* parent = nullptr);
    ~DraggableStickyNote() override;

    const QUuid& noteId() const { return m_id; }
    StickyNoteCardView* card() const { return m_card; }

    void setPlacement(const NotePlacement& placement);
    // Shows the note as the list holds it now.
    void refresh();

    // The note has left the list: the view hides at once and ends a drag of it.
    void noteRemoved();

    // The corner shown now, in board points.
    QPointF shownPosition() const { return m_shown; }

private:
    void endDrag();
    void dragChanged(const DragValue& drag);
    void dragEnded(const DragValue& drag);
    void place();
    void applyTransform();

    QUuid m_id;
    CorkboardNotes& m_notes;
    AppState& m_appState;
    // A note deleted late (deleteLater) may outlive the state it reads.
    QPointer<AppState> m_appStateAlive;
    StickyNoteCardView* m_card = nullptr;
    NotePlacement m_placement;
    QPointF m_shown;
    Animated<double> m_rotation;
};
