#pragma once

#include "cards/quick_view_card.h"

class EventSounds;

// The two guitars' cards: the instrument's tile, model and specification, a strum button
// that plays a sound of the desktop's theme (the card stays open) and "Buka Musik", which
// starts a music program and closes the card.
class GuitarQuickView : public DesktopQuickViewCard {
    Q_OBJECT
public:
    enum class Model { Electric, Acoustic };

    GuitarQuickView(Model model, EventSounds& sounds, std::function<void()> openMusic,
                    std::function<void()> onClose, QGraphicsItem* parent = nullptr);

    // The sound names a strum tries, in order, before the beep.
    static QStringList strumSounds(Model model);
    // Plays the first of `names` the theme has, else `beep`.
    static void strum(EventSounds& sounds, const QStringList& names,
                      const std::function<void()>& beep);
};
