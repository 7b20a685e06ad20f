#pragma once

#include "tidy/ToolSetting.h"

#include <QCoroTask>
#include <QString>

#include <optional>
#include <stop_token>

namespace kelvarn::tidy {

// The usual install locations first, then what the user's login shell finds on its PATH
// (bash or zsh when that is the user's shell, else /bin/sh). A shell that fails to start, says
// nothing, outlasts the setting's limit or is stopped finds nothing. Never blocks the event loop.
QCoro::Task<std::optional<QString>> findClaude(ToolSetting setting, std::stop_token stop = {});

} // namespace kelvarn::tidy
