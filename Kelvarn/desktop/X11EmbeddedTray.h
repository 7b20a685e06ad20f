#pragma once

namespace kelvarn::desktop {

// Whether an X11 system tray (the older embedded kind) is running; false away from X11.
bool x11EmbeddedTrayRunning();

} // namespace kelvarn::desktop
