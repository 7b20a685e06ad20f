#include "update/BundleSwap.h"

#include "update/BundleFile.h"

#include <fcntl.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace kelvarn::update {

std::optional<std::filesystem::path> findUnpackedBundle(const std::filesystem::path& unpacked) {
    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(unpacked, error)) {
        entries.push_back(entry.path());
    }
    std::sort(entries.begin(), entries.end());
    for (const auto& entry : entries) {
        const auto status = std::filesystem::symlink_status(entry, error);
        if (!error && std::filesystem::is_directory(status) &&
            std::filesystem::is_regular_file(entry / kBundleFileName, error)) {
            return entry;
        }
    }
    return std::nullopt;
}

Result<void> exchangeFolders(const std::filesystem::path& first,
                             const std::filesystem::path& second) {
    if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) != 0) {
        return Error{std::strerror(errno)};
    }
    return {};
}

} // namespace kelvarn::update
