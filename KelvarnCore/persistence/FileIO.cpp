#include "persistence/FileIO.h"

#include "support/Uuid.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/uio.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kelvarn {

namespace {

constexpr mode_t privateFile = 0600;

Error systemError(int code) {
    return Error{std::system_category().message(code)};
}

// Writes the pieces in order, resuming after partial and interrupted writes; on failure errno
// says why. Gathering the pieces lets a large file be written without first joining it.
bool writeAll(int fd, std::span<const std::string_view> pieces) {
    std::size_t piece = 0;
    std::size_t offset = 0;
    while (piece < pieces.size()) {
        std::vector<iovec> chunk;
        for (std::size_t i = piece; i < pieces.size() && chunk.size() < IOV_MAX; ++i) {
            const std::size_t skip = i == piece ? offset : 0;
            chunk.push_back(
                iovec{const_cast<char*>(pieces[i].data()) + skip, pieces[i].size() - skip});
        }
        const ssize_t written = ::writev(fd, chunk.data(), static_cast<int>(chunk.size()));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        auto remaining = static_cast<std::size_t>(written);
        while (piece < pieces.size() && remaining >= pieces[piece].size() - offset) {
            remaining -= pieces[piece].size() - offset;
            offset = 0;
            ++piece;
        }
        offset += remaining;
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

Result<void> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    return writeFileAtomically(path, std::span<const std::string_view>(&bytes, 1));
}

Result<void> writeFileAtomically(const std::filesystem::path& path,
                                 std::span<const std::string_view> pieces) {
    const std::filesystem::path temporary = temporaryPathBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFile);
    if (fd < 0) {
        return systemError(errno);
    }
    int error = 0;
    if (!writeAll(fd, pieces) || ::fsync(fd) != 0) {
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
    return {};
}

Result<void> appendToFile(const std::filesystem::path& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, privateFile);
    if (fd < 0) {
        return systemError(errno);
    }
    int error = writeAll(fd, std::span<const std::string_view>(&bytes, 1)) ? 0 : errno;
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        return systemError(error);
    }
    return {};
}

} // namespace kelvarn
