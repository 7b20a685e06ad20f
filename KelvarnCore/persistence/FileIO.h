#pragma once

#include "support/Result.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace kelvarn {

// Files in the data folder hold grades, so every file these create is readable by the user alone
// (mode 0600). Failures carry the system's description of the error.

Result<std::string> readWholeFile(const std::filesystem::path& path);

// Replaces the file as a whole: a complete, flushed temporary file beside it is renamed over it,
// so a crash leaves either the old or the new content, never half a file. Nothing on success.
Result<void> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The same for a file given as consecutive pieces.
Result<void> writeFileAtomically(const std::filesystem::path& path,
                                 std::span<const std::string_view> pieces);

// Appends to the end of the file, creating it when missing. Nothing on success.
Result<void> appendToFile(const std::filesystem::path& path, std::string_view bytes);

} // namespace kelvarn
