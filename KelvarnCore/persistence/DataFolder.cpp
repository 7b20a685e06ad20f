#include "persistence/DataFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
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

// Best effort, and never through a link: the move has happened whatever this does. A file that
// was readable by others before it was set aside holds grades all the same.
void makePrivate(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        ::fchmod(fd, 0600);
    }
    ::close(fd);
}

} // namespace

std::filesystem::path defaultDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        return std::filesystem::path(xdg) / "Kelvarn";
    }
    return homeFolder() / ".local" / "share" / "Kelvarn";
}

Result<void> createDataFolder(const std::filesystem::path& folder) {
    // Parent by parent, so that the missing ones get 0700 rather than whatever the umask allows.
    std::filesystem::path partial;
    for (const std::filesystem::path& part : folder) {
        partial /= part;
        struct stat info {};
        if (part.empty() || ::stat(partial.c_str(), &info) == 0) {
            continue;
        }
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return Error{std::strerror(errno)};
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return Error{std::strerror(errno)};
    }
    if (!S_ISDIR(info.st_mode)) {
        return Error{std::strerror(ENOTDIR)};
    }
    if (info.st_uid == ::geteuid() && (info.st_mode & 077) != 0) {
        // Best effort: a folder that stays shared still works, and the files in it are 0600.
        ::chmod(folder.c_str(), info.st_mode & 0700);
    }
    return {};
}

namespace {

// Tries names until one is free: move says whether the file reached that name, and sets errno.
Result<std::string> underUnreadableName(const std::filesystem::path& file, std::string_view stem,
                                        std::string_view extension, TimePoint now,
                                        const std::function<bool(const char* target)>& move) {
    std::string stamp = iso8601(now);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    const std::string base = std::string(stem) + "-unreadable-" + stamp;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string name =
            base + (attempt > 1 ? "-" + std::to_string(attempt) : "") + std::string(extension);
        const std::filesystem::path target = file.parent_path() / name;
        if (move(target.c_str())) {
            makePrivate(target);
            return name;
        }
        if (errno != EEXIST) {
            return Error{std::strerror(errno)};
        }
    }
    return Error{std::strerror(EEXIST)};
}

} // namespace

Result<std::string> setAsideUnreadable(const std::filesystem::path& file, TimePoint now) {
    return setAsideUnreadableAs(file, file.stem().string(), file.extension().string(), now);
}

Result<std::string> setAsideUnreadableAs(const std::filesystem::path& file, std::string_view stem,
                                         std::string_view extension, TimePoint now) {
    return underUnreadableName(file, stem, extension, now, [&](const char* target) {
        return ::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, target, RENAME_NOREPLACE) == 0;
    });
}

Result<std::string> keepUnreadableCopy(const std::filesystem::path& file, std::string_view stem,
                                       std::string_view extension, TimePoint now) {
    return underUnreadableName(file, stem, extension, now, [&](const char* target) {
        return ::linkat(AT_FDCWD, file.c_str(), AT_FDCWD, target, 0) == 0;
    });
}

Result<DataFolderLock> DataFolderLock::acquire(const std::filesystem::path& folder) {
    auto lock = tryAcquire(folder);
    if (!lock) {
        return Error{lock.error()};
    }
    if (!lock.value()) {
        return Error{inUseMessage(folder)};
    }
    return std::move(*lock.value());
}

Result<std::optional<DataFolderLock>>
DataFolderLock::tryAcquire(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / fileName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Error{"Can't open " + path.string() + ": " + std::strerror(errno)};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return std::optional<DataFolderLock>();
        }
        return Error{"Can't lock " + path.string() + ": " + std::strerror(error)};
    }
    return std::optional(DataFolderLock(fd));
}

std::string DataFolderLock::inUseMessage(const std::filesystem::path& folder) {
    return "Kelvarn is already using " + folder.string();
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
