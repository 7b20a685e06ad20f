#pragma once

#include "support/Result.h"

#include <cstdint>
#include <filesystem>

namespace kelvarn::update {

// Unpacks a zip archive into an existing folder. Refuses, before writing it, any entry with
// an absolute path or a ".." component, a link whose target is absolute or has a "..", a hard
// link to such a path, and anything but files, folders and links; nothing is ever written
// outside the folder. Stops before the files' bytes would pass `maxBytes`, by what the entries
// say and by what they hold. What was written before a refusal stays for the caller to remove.
// Blocks for as long as the writing takes; it touches nothing but the two paths, so it may run
// on any thread.
Result<void> unpackArchive(const std::filesystem::path& archive,
                           const std::filesystem::path& folder, std::int64_t maxBytes);

// Far above any bundle (its libraries are the system's); stops an archive that unpacks to fill
// the disk.
inline constexpr std::int64_t kMaxUnpackedBytes = std::int64_t{512} * 1024 * 1024;

} // namespace kelvarn::update
