#include "persistence/FolderWitness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarn {

FolderWitness::FolderWitness(const std::filesystem::path& folder)
    : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}

FolderWitness::~FolderWitness() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool FolderWitness::stillAt(const std::filesystem::path& path) const {
    if (m_fd < 0) {
        return true;
    }
    struct stat held {};
    struct stat there {};
    return ::fstat(m_fd, &held) == 0 && ::lstat(path.c_str(), &there) == 0 &&
           S_ISDIR(there.st_mode) && held.st_dev == there.st_dev && held.st_ino == there.st_ino;
}

} // namespace kelvarn
