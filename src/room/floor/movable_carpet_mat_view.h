#pragma once

#include "kit/animated_value.h"
#include "kit/painting.h"
#include "kit/room_item.h"

class AppState;
class CarpetMatBodyView;
class FloorInteractionState;
class QMenu;
class StorageManager;

// The rug on the grass floor that hides files: dragged within a band of the floor it
// covers what it lies on, a click lifts it (the files under it show) or lowers it, and its
// menu hides more files, centres it, tidies or spreads the files, sends them back or opens
// the carpet folder. The floor layer places it at the carpet's centre plus the live drag
// offset. The rug is drawn tilted into the floor inside its 634 x 130 frame, and the
// pointer finds the carpet where the rug is drawn.
class MovableCarpetMatView : public RoomItem {
    Q_OBJECT
public:
    MovableCarpetMatView(StorageManager& storage, FloorInteractionState& floorState,
                         AppState& appState, QGraphicsItem* parent = nullptr);

    void setCoveredCount(int count);
    int coveredCount() const { return m_coveredCount; }
    void setScreenSize(const QSizeF& size) { m_screenSize = size; }

    void handleDragChanged(const DragValue& value);
    void handleDragEnded(const DragValue& value);
    // A release without a drag, or after less than 6 points.
    void handleClick();

    void populateContextMenu(QMenu& menu);
    void toggleCarpetLifted();
    void centerCarpet();
    void spreadFilesOnFloor();
    void revealCarpetFolder();
    static void withCarpetAnimation(qreal response, qreal damping,
                                    const std::function<void()>& action);

    // The body as it is drawn now: its frame in this item's coordinates, transformed.
    QTransform bodyTransform() const;
    // The rug with its fringes as drawn now, in this item's coordinates: its hit shape.
    QPainterPath drawnRug() const;
    static QString helpText();

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QPointF base() const;
    void followLift();
    void updateBody();
    void keepPicture();

    StorageManager& m_storage;
    FloorInteractionState& m_floorState;
    AppState& m_appState;
    QSizeF m_screenSize;
    int m_coveredCount = 0;
    // 0 lying flat, 1 lifted; the lift animates with the change that made it.
    Animated<double> m_lift;
    QGraphicsObject* m_bodyHolder = nullptr;
    CarpetMatBodyView* m_body = nullptr;
    // The resting rug as one picture (see keepPicture).
    QGraphicsEffect* m_picture = nullptr;

    // The shadow of the tilted rug, blurred again only when its outline or look changes.
    ShapeShadow m_shadow;
};
