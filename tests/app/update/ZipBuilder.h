#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelvarn::testing {

// Writes zip archives entry by entry, including the hostile ones no honest tool would make.
struct ZipEntry {
    enum class Kind { file, folder, symlink };
    std::string path;
    std::string content; // a file's bytes, or a link's target
    Kind kind = Kind::file;
    unsigned permissions = 0755; // a file's
};

void writeZip(const std::filesystem::path& archive, const std::vector<ZipEntry>& entries);

} // namespace kelvarn::testing
