#pragma once

#include "cards/quick_view_card.h"

// The messaging card, for both the mail and the WhatsApp case: a button that opens the
// web client and one that opens the messaging program (else the handler of its links, else
// the web client). Both close the card afterwards.
class WhatsAppQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    explicit WhatsAppQuickView(std::function<void()> onClose, QGraphicsItem* parent = nullptr);

    RoomItem* appButton() const { return m_app; }

private:
    RoomItem* m_app = nullptr;
};
