#include "persistence/FileIO.h"

#include "support/Uuid.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace kelvarn {

namespace {

constexpr mode_t privateFile = 0600;

Error systemError(int code) {
    return Error{std::system_category().message(code)};
}

// Resumes after partial and interrupted writes; on failure errno says why.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Hidden, unique, and in the target's folder so that the final rename stays on one file system.
std::filesystem::path temporaryPathBeside(const std::filesystem::path& path) {
    return path.parent_path() /
           ("." + path.filename().string() + "." + Uuid::generate().toString() + ".tmp");
}

// Makes the rename itself durable. Best effort: the new content is already complete on disk.
void syncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

Result<std::string> readWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return systemError(errno);
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            content.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            return systemError(error);
        }
    }
    ::close(fd);
    return content;
}

std::optional<Error> writeFileAtomically(const std::filesystem::path& path,
                                         std::string_view bytes) {
    const std::filesystem::path temporary = temporaryPathBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFile);
    if (fd < 0) {
        return systemError(errno);
    }
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return systemError(error);
    }
    syncFolder(path.parent_path());
    return std::nullopt;
}

std::optional<Error> appendToFile(const std::filesystem::path& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, privateFile);
    if (fd < 0) {
        return systemError(errno);
    }
    int error = writeAll(fd, bytes) ? 0 : errno;
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        return systemError(error);
    }
    return std::nullopt;
}

} // namespace kelvarn
