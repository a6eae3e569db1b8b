#pragma once

#include "kit/painting.h"
#include "kit/room_item.h"
#include "kit/transition.h"

#include <functional>

// A sheet over the dimmed room: black at 0.4 over the whole room (a click on it dismisses
// the sheet inside the close spring) and the content centred on it, clipped to a rounded
// rectangle and lifted by a shadow. Both come and go with their own transitions; the
// backdrop deletes itself once both are gone.
class ModalBackdrop : public TransitionItem {
    Q_OBJECT
public:
    ModalBackdrop(std::function<void()> dismiss, RoomItem* content,
                  QGraphicsItem* parent = nullptr);

    void setRoomSize(const QSizeF& size);
    RoomItem* content() const { return m_content; }
    TapLayer* dimming() const { return m_dimming; }

    void appear() override;
    void disappear() override;

private:
    class Sheet;

    TransitionItem* m_dimmingLayer;
    TapLayer* m_dimming;
    TransitionItem* m_sheetLayer;
    Sheet* m_sheet;
    RoomItem* m_content;
};
