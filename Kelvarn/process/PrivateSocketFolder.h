#pragma once

#include "support/Result.h"

#include <filesystem>
#include <optional>

namespace kelvarn::process {

// The folder for the instance socket: one only this user can enter, so nobody else can put a
// socket where a second launch will look for the running Kelvarn. The session's runtime folder
// when it has one (and it is this user's, mode 0700); otherwise kelvarn-UID in the temporary
// folder, made 0700 when missing. A folder that is a link, belongs to someone else or lets
// others in is refused, never used or changed.
Result<std::filesystem::path>
privateSocketFolder(const std::optional<std::filesystem::path>& runtime,
                    const std::filesystem::path& temporary);

} // namespace kelvarn::process
