#pragma once

#include "app/GlobalHotkeys.h"

#include <memory>

namespace kelvarn::desktop {

// What the display system offers: X11 key grabs, the desktop portal on Wayland, or nothing (the
// desktop's own shortcut settings can run `kelvarn --toggle-panel` and `kelvarn --toggle-listening`
// instead).
std::unique_ptr<app::GlobalHotkeys> makeGlobalHotkeys();

} // namespace kelvarn::desktop
