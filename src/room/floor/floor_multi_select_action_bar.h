#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"

#include <functional>

// The bar under the floor while files are selected: how many, and the three things to do
// with them (onto the shelf, into the Trash, let go of the selection).
class FloorMultiSelectActionBar : public RoomItem {
    Q_OBJECT
public:
    explicit FloorMultiSelectActionBar(QGraphicsItem* parent = nullptr);

    void setSelectedCount(int count);
    int selectedCount() const { return m_selectedCount; }
    QString countText() const;

    std::function<void()> onAddToBookshelf;
    std::function<void()> onClearSelection;
    std::function<void()> onTrashAll;

    // The three buttons, in the bar's order.
    RoomItem* addButton() const { return m_addButton; }
    RoomItem* trashButton() const { return m_trashButton; }
    RoomItem* clearButton() const { return m_clearButton; }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void layoutRow();

    int m_selectedCount = 0;
    RoomItem* m_addButton = nullptr;
    RoomItem* m_trashButton = nullptr;
    RoomItem* m_clearButton = nullptr;
    QRectF m_countRect;
    ShapeShadow m_shadow;
};
