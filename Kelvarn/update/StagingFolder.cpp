#include "update/StagingFolder.h"

#include <cstdlib>

namespace kelvarn::update {

std::optional<StagingFolder> StagingFolder::createIn(const std::filesystem::path& parent) {
    std::string pattern = (parent / ".kelvarn-update-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return std::nullopt;
    }
    return StagingFolder(std::filesystem::path(pattern));
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept : m_path(std::move(other.m_path)) {
    other.m_path.clear();
}

StagingFolder::~StagingFolder() {
    remove();
}

void StagingFolder::remove() {
    if (m_path.empty()) {
        return;
    }
    std::error_code ignored;
    // A bundle may hold read-only folders, whose entries could not be removed otherwise.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        if (ignored) {
            break;
        }
    }
    std::filesystem::remove_all(m_path, ignored);
    m_path.clear();
}

} // namespace kelvarn::update
