#pragma once

// The freedesktop icon theme the room draws file icons and symbols from. A desktop session
// names its theme; without one (offscreen, a bare X server) Qt knows no theme at all, so the
// room falls back to Adwaita from the usual XDG icon folders.
namespace IconTheme {
// Safe to call any number of times; only the first call changes anything.
void ensureLoaded();
} // namespace IconTheme
