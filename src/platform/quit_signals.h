#pragma once

// The signals a session sends a program it wants gone (SIGTERM at logout, SIGHUP when its
// terminal closes, SIGINT for Ctrl+C) end the event loop as the menu's quit does, so
// everything that runs at QCoreApplication::aboutToQuit (notes still unsaved among it)
// runs then too. Left to their default, they end the process on the spot.
namespace QuitSignals {

// Installs the handlers; call once, after the application object is made.
void install();

} // namespace QuitSignals
