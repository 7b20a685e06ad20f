#pragma once

#include "support/Result.h"

#include <filesystem>

namespace kelvarn::update {

// Unpacks a zip archive into an existing folder. Refuses, before writing it, any entry with
// an absolute path or a ".." component, a link whose target is absolute or has a "..", a hard
// link to such a path, and anything but files, folders and links; nothing is ever written
// outside the folder. What was written before a refusal stays for the caller to remove.
Result<void> unpackArchive(const std::filesystem::path& archive,
                           const std::filesystem::path& folder);

} // namespace kelvarn::update
