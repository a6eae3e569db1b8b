#pragma once

#include "kit/drops.h"
#include "kit/painting.h"
#include "kit/room_item.h"
#include "storage/layout_records.h"

#include <QColor>
#include <QPixmap>
#include <QUrl>

#include <optional>

class AppState;
class ButtonItem;
class QMenu;
class QMimeData;
class StorageManager;

// One picture frame of the photo wall: the board, the mat, the slot's photo (its thumbnail
// with the slot's zoom, rotation and offset) or the empty face, and the glass. A photo
// dropped on the frame is framed in its slot; dragging the photo pans it and stores the
// offset once, at the end; a click opens the frame's card, a double click the photo; on
// an empty frame a click asks for a photo. While the pointer is over a filled frame an
// eject button sends the photo to the floor.
class PhotoFrameItemView : public RoomItem {
    Q_OBJECT
public:
    struct Style {
        QSizeF size;
        bool isOval = false;
        QColor frameColor;
        QColor innerBevel;
    };

    PhotoFrameItemView(StorageManager& storage, AppState& appState, int slotIndex,
                       const Style& style, QGraphicsItem* parent = nullptr);

    int slotIndex() const { return m_slot; }
    bool isOval() const { return m_style.isOval; }

    // The photo's area inside a frame of `size`: 24 (an oval 26) narrower and lower than
    // the frame, never under 20 in either direction.
    static QSizeF photoAreaSize(const QSizeF& size, bool isOval);
    QRectF photoAreaRect() const;
    // The item that takes the photo's clicks and drags (the empty face's clicks when empty).
    RoomItem* photoArea() const { return m_photoArea; }
    ButtonItem* ejectButton() const { return m_eject; }

    // The transform the photo is shown with now: the stored one plus a pan in progress.
    PhotoTransform shownTransform() const;
    bool showsPhoto() const;
    bool isTargeted() const;

    // The pan: translations in the frame's own points. A pan that ends within 3 points of
    // its start on both axes is a click.
    void photoDragChanged(const QSizeF& translation);
    void photoDragEnded(const QSizeF& translation);
    void hoverChanged(bool inside);
    void showQuickView();
    void openPhoto();
    void choosePhoto();
    void ejectPhoto();
    void removePhoto();
    void revealAlbumFolder();
    // Frames `url` when it is a photo; anything else is left alone.
    void setPhotoIfImage(const QUrl& url);
    // Frames every photo of a drop in turn, the last one staying.
    void handleDrop(const QMimeData& data);
    void populateContextMenu(QMenu& menu);

    // Whether a drag carries at least one file the frames take.
    static bool offersImage(const QMimeData& data);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void onSizeChanged() override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    struct Look {
        qint64 image = 0; // the thumbnail's cache key, 0 for none
        PhotoTransform transform;
        bool targeted = false;
        bool hasFile = false;
        bool hovered = false;
        friend bool operator==(const Look&, const Look&) = default;
    };

    std::optional<QUrl> photoURL() const;
    Look currentLook() const;
    void refresh();
    void setTargeted(bool targeted);
    void attachGestures(bool filled);
    QPainterPath outline(const QRectF& rect, qreal radius) const;
    void paintPhoto(QPainter& painter);
    void paintEmptyFace(QPainter& painter);
    void paintGlass(QPainter& painter);

    StorageManager& m_storage;
    AppState& m_appState;
    int m_slot;
    Style m_style;
    Drops::Target m_drops;
    RoomItem* m_photoArea = nullptr;
    ButtonItem* m_eject = nullptr;
    std::optional<bool> m_gesturesFilled;
    // The transform the pan started from.
    PhotoTransform m_panStart;
    Look m_look;
    QPixmap m_photo;
    qint64 m_photoKey = 0;
    ShapeShadow m_boardShadow;
    ShapeShadow m_highlightGlow;
};
