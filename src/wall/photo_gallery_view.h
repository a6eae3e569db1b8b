#pragma once

#include "kit/room_item.h"

#include <array>

class AppState;
class PhotoFrameItemView;
class StorageManager;

// The photo wall: the six frames of the album's slots in three rows of two, wide and narrow
// frames alternating from row to row. The frames keep their sizes whatever the wall's
// rectangle is, centred on it; only a room too small to hold them within the wall's drop
// target shrinks them, so the frames and the floor's slot mapping never part.
class PhotoGalleryView : public RoomItem {
    Q_OBJECT
public:
    static constexpr int kFrameCount = 6;
    // The frames with their spacing and padding.
    static constexpr QSizeF kContentSize{316, 436};

    PhotoGalleryView(StorageManager& storage, AppState& appState, QGraphicsItem* parent = nullptr);

    PhotoFrameItemView* frame(int slot) const { return m_frames[size_t(slot)]; }
    // The frames' scale: 1 unless the room is too small for them.
    qreal contentScale() const;

protected:
    void onSizeChanged() override;

private:
    RoomItem* m_content = nullptr;
    std::array<PhotoFrameItemView*, kFrameCount> m_frames{};
};
