#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace kelvarn::testing {

// Everything under a folder, by relative path: a file's bytes, a link's target, or a folder
// mark; equal snapshots mean byte-for-byte the same tree.
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder);

} // namespace kelvarn::testing
