#pragma once

#include <QObject>

// Starts the room once the event loop runs: the window first, then, once its first frame
// is on screen, the status menu.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void applicationDidFinishLaunching();
    // Another start of the program asked for the room: show it, hidden or not.
    void showRoomRequested();
};
