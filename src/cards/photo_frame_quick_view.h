#pragma once

#include "kit/room_item.h"
#include "storage/layout_records.h"

#include <functional>

class ButtonItem;
class QGraphicsProxyWidget;
class QSlider;
class StorageManager;

// The card of one photo frame: a preview with the frame's zoom, rotation and offset, two
// sliders, a quarter turn, four nudges and a reset, each stored at once through the storage
// service, so the frame on the wall follows; then buttons that open, replace, send to the
// floor or remove the photo and close the card. A frame without a thumbnail only offers to
// choose a photo.
class PhotoFrameQuickView : public RoomItem {
    Q_OBJECT
public:
    static constexpr qreal kWidth = 232; // inside the card's 260 and its padding of 14
    static constexpr QSizeF kPreviewSize{215, 105};
    static constexpr qreal kPreviewOffsetScale = 0.45;

    PhotoFrameQuickView(int slotIndex, std::function<void()> onClose, StorageManager& storage,
                        QGraphicsItem* parent = nullptr);

    int slotIndex() const { return m_slot; }
    // "Bingkai Foto #" and the slot counted from 1.
    static QString title(int slotIndex);
    bool showsPhoto() const;

    // The controls' transforms, each from the one stored when it was pressed.
    static double quarterTurn(double rotation);
    // The zoom slider's steps: 0.5 + k * 0.05 for k from 0 to 50.
    static double zoomForStep(int step);
    static int stepForZoom(double scale);
    static int stepForRotation(double rotation);
    static QString zoomText(double scale);

    void saveTransform(const PhotoTransform& transform);
    void rotateQuarterTurn();
    void nudge(double dx, double dy);
    void resetTransform();
    void openPhoto();
    void replacePhoto();
    void moveToFloor();
    void removePhoto();

    QSlider* zoomSlider() const { return m_zoom; }
    QSlider* rotationSlider() const { return m_rotation; }
    // The button whose label is `title` ("Preview", "Ganti", "Ke Lantai", "◀", ...), or null.
    ButtonItem* button(const QString& title) const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void rebuild();
    void showValues();
    PhotoTransform transform() const;
    ButtonItem* addButton(const QString& title, std::function<void(QPainter&, const QRectF&)> look,
                          std::function<void()> action, const QRectF& frame);
    QSlider* addSlider(int minimum, int maximum, const QRectF& frame,
                       std::function<void(int)> changed, QGraphicsProxyWidget** proxy);

    int m_slot;
    std::function<void()> m_onClose;
    StorageManager& m_storage;
    std::optional<bool> m_builtWithPhoto;
    QList<QGraphicsItem*> m_children;
    QHash<QString, ButtonItem*> m_buttons;
    QSlider* m_zoom = nullptr;
    QSlider* m_rotation = nullptr;
    // Where the painted parts lie; set by rebuild().
    QRectF m_preview;
    QRectF m_controls;
    QRectF m_zoomText;
    QRectF m_tips;
    qreal m_divider = 0;
    QRectF m_emptyText;
};
