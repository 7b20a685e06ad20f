#pragma once

namespace kelvarn::app {

// The tray icon's four looks.
enum class StatusIcon { idle, listening, paused, failed };

} // namespace kelvarn::app
