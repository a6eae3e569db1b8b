#pragma once

#include "platform/event_sounds.h"

struct ca_context;

// Event sounds through libcanberra and the freedesktop sound naming. Without a sound
// device (or a sound theme) nothing plays and nothing is reported.
class CanberraEventSounds : public EventSounds {
public:
    CanberraEventSounds() = default;
    ~CanberraEventSounds() override;
    CanberraEventSounds(const CanberraEventSounds&) = delete;
    CanberraEventSounds& operator=(const CanberraEventSounds&) = delete;

    static CanberraEventSounds& shared();

    void play(const QString& eventId) override;
    bool tryPlay(const QString& eventId) override;

private:
    ca_context* m_context = nullptr;
    bool m_unavailable = false;
};
