#pragma once

class QWindow;

// Asks an X11 window manager to keep the room on every workspace and out of the task
// bar, the pager and window cycling. Does nothing on other platforms or where the window
// manager ignores the request.
void applyDesktopWindowHints(QWindow* window);
