#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

#include <QIcon>
#include <QImage>
#include <QUrl>

#include <functional>

class AppState;
class FloorInteractionState;
class QMenu;
class StorageManager;

// One file of the carpet folder lying on the grass floor: its icon, its name on a capsule
// and its badges. Dragged onto the shelf, a photo frame, the trash can or elsewhere on the
// floor it is moved there (with the rest of the selection when it is part of one); a short
// drag toggles its selection, a double click opens it. The floor layer places it by its
// centre and stacks it.
class FloorItemView : public RoomItem {
    Q_OBJECT
public:
    FloorItemView(const QUrl& itemURL, StorageManager& storage, FloorInteractionState& floorState,
                  AppState& appState, QGraphicsItem* parent = nullptr);

    const QUrl& itemURL() const { return m_itemURL; }
    void setCovered(bool covered);
    bool isCovered() const { return m_isCovered; }
    void setScreenSize(const QSizeF& size) { m_screenSize = size; }
    void setIconImage(const QIcon& icon);

    // While the file rests in the floor's picture (FloorFileLayer) it draws nothing itself.
    void setInLayer(bool inLayer);
    bool isInLayer() const { return m_inLayer; }
    // Out of the floor's picture for good, hidden on its way out: it goes on drawing nothing, so
    // the scene has nothing of it to repaint (a crowd of thousands leaving is that many files).
    void leaveLayerHidden() { m_inLayer = false; }
    // Takes up the file's look after its selection, drag or hover changed. The floor layer
    // calls it for the files a change concerns: a floor of thousands would otherwise hear
    // every step of a marquee in every file.
    void refresh();
    // The look the file shows: dragged 1, selected 2, hovered 4; 0 while it rests.
    int look() const;
    // Draws the file as it looks now, in its own coordinates, from an image of its look made
    // once per look (dropSprite lets the image go).
    void paintLook(QPainter& painter);
    void dropSprite();
    bool holdsSprite() const { return !m_sprite.isNull(); }
    // How many looks were drawn from scratch rather than copied from another file's of the
    // same icon, label size and look (all but the name).
    static int lookBaseDrawCount();

    // The drag gesture's two handlers.
    void handleDragChanged(const DragValue& value);
    void handleDragEnded(const DragValue& value);
    void hoverChanged(bool inside);

    // Fills `menu` with the file's entries as the selection stands now.
    void populateContextMenu(QMenu& menu);

    // The whole-degree tilt a resting file lies at, from a hash of its name.
    static int restingTilt(const QString& name);
    static QString helpText(const QString& name);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

Q_SIGNALS:
    // Its hover, selection, drag, covering or icon changed.
    void lookChanged();

private:
    QImage renderLook(qreal dpr) const;
    // The look without the name.
    QImage renderBase(qreal dpr) const;
    bool isDragged() const;
    bool isSelected() const;
    bool isHovered() const;
    void layoutStack();
    QRectF iconRect() const;
    QRectF labelRect() const;
    QPointF newCentre(const QPointF& translation) const;
    // Takes the floor file away once its photo is framed.
    std::function<void(bool framed)> framingDone() const;
    void moveOnFloor(const QStringList& names, const QPointF& translation);
    void openFile();
    void revealFile();

    QUrl m_itemURL;
    QString m_name;
    StorageManager& m_storage;
    FloorInteractionState& m_floorState;
    AppState& m_appState;
    QSizeF m_screenSize;
    QIcon m_icon;
    bool m_isCovered = false;
    int m_tilt = 0;
    int m_paintedLook = -1;
    QString m_elidedName;
    QSizeF m_labelSize;
    // Shown while the pointer is over an unselected file; made the first time it is.
    RoomItem* restoreButton();
    // Where the restore button lies (this item's coordinates).
    QRectF restoreRect() const;
    RoomItem* m_restoreButton = nullptr;

    bool m_inLayer = false;
    QImage m_sprite;
    int m_spriteLook = -1;
};
