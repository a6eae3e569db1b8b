#pragma once

#include "app/app_delegate.h"
#include "platform/single_instance.h"

#include <optional>

// The program's start, after its QApplication is made: the application's names, the claim on
// the storage folder (a room already running on it is asked to show itself instead), the
// session's quit signals, and the room once the event loop runs. Lives as long as the loop.
class RoomStart {
public:
    // Nothing when this process is to be the room (run the event loop next); else the code
    // the process ends with.
    std::optional<int> begin();

private:
    std::optional<SingleInstance> m_instance;
    AppDelegate m_delegate;
};
