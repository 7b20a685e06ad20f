#include "FolderSnapshot.h"

#include <fstream>
#include <sstream>

namespace kelvarn::testing {

std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const auto name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink()) {
            tree[name] = "link:" + std::filesystem::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            tree[name] = "folder";
        } else {
            std::ostringstream bytes;
            bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            tree[name] = "file:" + bytes.str();
        }
    }
    return tree;
}

} // namespace kelvarn::testing
