#pragma once

#include "support/Result.h"

#include <filesystem>
#include <optional>

namespace kelvarn::update {

// The first top-level folder, in name order, of an unpacked archive that holds a bundle file.
std::optional<std::filesystem::path> findUnpackedBundle(const std::filesystem::path& unpacked);

// Swaps two folders on one file system in a single step (renameat2 with RENAME_EXCHANGE):
// either both moved or neither did.
Result<void> exchangeFolders(const std::filesystem::path& first,
                             const std::filesystem::path& second);

} // namespace kelvarn::update
