#pragma once

#include <QString>

// Short event sounds of the desktop's sound theme. Behind an interface so that tests can
// count what would have played.
class EventSounds {
public:
    virtual ~EventSounds() = default;

    // The sound theme's name for the sound of an item reaching the Trash.
    static QString trashSound() { return QStringLiteral("trash-empty"); }

    // Plays the named sound and returns at once; silent when there is no sound device.
    virtual void play(const QString& eventId) = 0;
    // Plays the named sound when the theme has it and a device can play it; false when not,
    // so the caller can try another.
    virtual bool tryPlay(const QString& eventId)
    {
        play(eventId);
        return true;
    }
};
