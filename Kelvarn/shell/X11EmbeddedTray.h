#pragma once

namespace kelvarn::app {

// Whether an X11 system tray (the older embedded kind) is running; false away from X11.
bool x11EmbeddedTrayRunning();

} // namespace kelvarn::app
