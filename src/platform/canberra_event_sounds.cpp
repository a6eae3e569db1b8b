#include "platform/canberra_event_sounds.h"

#include <canberra.h>

CanberraEventSounds::~CanberraEventSounds()
{
    if (m_context)
        ca_context_destroy(m_context);
}

CanberraEventSounds& CanberraEventSounds::shared()
{
    static CanberraEventSounds instance;
    return instance;
}

void CanberraEventSounds::play(const QString& eventId)
{
    tryPlay(eventId);
}

bool CanberraEventSounds::tryPlay(const QString& eventId)
{
    // The context is opened on first use only, and never again once it could not be: a
    // machine without sound should not pay for a retry at every event.
    if (m_unavailable)
        return false;
    if (!m_context) {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            m_unavailable = true;
            return false;
        }
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Pondsill",
                                CA_PROP_APPLICATION_ID, "pondsill", nullptr);
        if (ca_context_open(m_context) != CA_SUCCESS) {
            ca_context_destroy(m_context);
            m_context = nullptr;
            m_unavailable = true;
            return false;
        }
    }
    // The theme is looked up before this returns: a name it lacks is an error here.
    return ca_context_play(m_context, 0, CA_PROP_EVENT_ID, eventId.toUtf8().constData(), nullptr) ==
           CA_SUCCESS;
}
