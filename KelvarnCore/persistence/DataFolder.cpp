#include "persistence/DataFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarn {

namespace {

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return std::filesystem::current_path();
}

} // namespace

std::filesystem::path defaultDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        return std::filesystem::path(xdg) / "Kelvarn";
    }
    return homeFolder() / ".local" / "share" / "Kelvarn";
}

Result<void> createDataFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return {};
    }
    if (folder.has_parent_path()) {
        std::filesystem::create_directories(folder.parent_path(), error);
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Error{std::strerror(errno)};
    }
    return {};
}

Result<DataFolderLock> DataFolderLock::acquire(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / fileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Error{"Can't open " + path.string() + ": " + std::strerror(errno)};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return Error{"Kelvarn is already using " + folder.string()};
        }
        return Error{"Can't lock " + path.string() + ": " + std::strerror(error)};
    }
    return DataFolderLock(fd);
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

DataFolderLock::~DataFolderLock() {
    if (m_fd >= 0) {
        ::close(m_fd); // closing releases the lock
    }
}

} // namespace kelvarn
