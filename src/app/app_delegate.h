#pragma once

#include <QObject>

// Starts the room once the event loop runs: the window first, then the status menu.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void applicationDidFinishLaunching();
};
