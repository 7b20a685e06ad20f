#include "update/StagingFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace kelvarn::update {

namespace {

constexpr std::string_view kPrefix = ".kelvarn-update-";

int openFolder(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void removeTree(const std::filesystem::path& path) {
    std::error_code ignored;
    // A bundle may hold read-only folders, whose entries could not be removed otherwise.
    for (auto it = std::filesystem::recursive_directory_iterator(path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        if (ignored) {
            break;
        }
    }
    std::filesystem::remove_all(path, ignored);
}

// Fails, with errno, when another process's clean-up took the new folder before the lock did.
bool lockFresh(int folder) {
    if (::flock(folder, LOCK_EX | LOCK_NB) != 0) {
        // A file system without locks: no clean-up can lock the folder to remove it either.
        return errno != EWOULDBLOCK;
    }
    struct stat status {};
    if (::fstat(folder, &status) != 0 || status.st_nlink == 0) {
        errno = ENOENT;
        return false;
    }
    return true;
}

} // namespace

std::optional<StagingFolder> StagingFolder::createIn(const std::filesystem::path& parent) {
    std::string pattern = (parent / (std::string(kPrefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return std::nullopt;
    }
    const int lock = openFolder(pattern);
    if (lock >= 0 && lockFresh(lock)) {
        return StagingFolder(std::filesystem::path(pattern), lock);
    }
    const int reason = errno;
    if (lock >= 0) {
        ::close(lock);
    }
    ::rmdir(pattern.c_str());
    errno = reason;
    return std::nullopt;
}

void StagingFolder::removeAbandonedIn(const std::filesystem::path& parent) {
    std::error_code error;
    std::vector<std::filesystem::path> folders;
    for (auto it = std::filesystem::directory_iterator(parent, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (it->path().filename().string().starts_with(kPrefix) && !it->is_symlink(error) &&
            it->is_directory(error)) {
            folders.push_back(it->path());
        }
    }
    for (const auto& folder : folders) {
        const int lock = openFolder(folder);
        if (lock < 0) {
            continue;
        }
        // Held until the folder is gone, so that no install can take it meanwhile.
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            removeTree(folder);
        }
        ::close(lock);
    }
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept
    : m_path(std::move(other.m_path)), m_lock(other.m_lock) {
    other.m_path.clear();
    other.m_lock = -1;
}

StagingFolder::~StagingFolder() {
    remove();
}

void StagingFolder::remove() {
    if (!m_path.empty()) {
        removeTree(m_path);
        m_path.clear();
    }
    if (m_lock >= 0) {
        ::close(m_lock);
        m_lock = -1;
    }
}

} // namespace kelvarn::update
