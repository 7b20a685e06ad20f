#include "persistence/FileIO.h"

#include "support/Uuid.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
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

// Closes on every way out of a function.
struct FileDescriptor {
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }

    int fd;
};

std::string notARegularFile(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return std::system_category().message(EISDIR);
    case S_IFIFO:
        return "Is a named pipe, not a regular file";
    case S_IFSOCK:
        return "Is a socket, not a regular file";
    case S_IFCHR:
    case S_IFBLK:
        return "Is a device, not a regular file";
    default:
        return "Is not a regular file";
    }
}

std::string largerThan(std::size_t maxBytes) {
    return maxBytes % mebibyte == 0
               ? "Is larger than " + std::to_string(maxBytes / mebibyte) + " MiB"
               : "Is larger than " + std::to_string(maxBytes) + " bytes";
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

constexpr std::string_view temporarySuffix = ".tmp";
constexpr std::size_t uuidLength = 36;

// Hidden, unique, and in the target's folder so that the final rename stays on one file system.
std::filesystem::path temporaryPathBeside(const std::filesystem::path& path) {
    return path.parent_path() / ("." + path.filename().string() + "." +
                                 Uuid::generate().toString() + std::string(temporarySuffix));
}

// Names that temporaryPathBeside makes: "." + a name + "." + a UUID + ".tmp".
bool isTemporaryName(std::string_view name) {
    const std::size_t tail = 1 + uuidLength + temporarySuffix.size();
    if (name.size() < 2 + tail || name.front() != '.' || !name.ends_with(temporarySuffix)) {
        return false;
    }
    const std::string_view uuidAndSuffix = name.substr(name.size() - tail);
    return uuidAndSuffix.front() == '.' && Uuid::parse(uuidAndSuffix.substr(1, uuidLength));
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

// Writes a complete temporary file beside path and renames it over path. A replaced file's
// permissions and, where allowed, owner carry over; a new file is private.
Result<void> replaceAtomically(const std::filesystem::path& path,
                               std::span<const std::string_view> pieces,
                               const struct stat* replaced, const ReplacementSteps& steps = {}) {
    const std::filesystem::path temporary = temporaryPathBeside(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privateFile);
    if (fd < 0) {
        return systemError(errno);
    }
    int error = 0;
    if (replaced != nullptr) {
        // Best effort: as root, a user's file stays theirs; otherwise the owner is already us.
        if (replaced->st_uid != ::geteuid() || replaced->st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, replaced->st_uid, replaced->st_gid);
        }
        if (::fchmod(fd, replaced->st_mode & 0777) != 0) {
            error = errno;
        }
    }
    if (error == 0 && (!writeAll(fd, pieces) || ::fsync(fd) != 0)) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return systemError(error);
    }
    if (steps.beforeRename) {
        if (auto ready = steps.beforeRename(temporary); !ready) {
            ::unlink(temporary.c_str());
            return ready;
        }
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return systemError(error);
    }
    if (steps.afterRename) {
        steps.afterRename();
    }
    syncFolder(path.parent_path());
    return {};
}

// The path a chain of symbolic links ends at, whether or not a file is there yet.
Result<std::filesystem::path> resolveLinks(std::filesystem::path path) {
    constexpr int maxLinks = 40; // as the kernel allows
    for (int link = 0; link < maxLinks; ++link) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) {
            return path;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) {
            return Error{error.message()};
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return systemError(ELOOP);
}

} // namespace

Result<std::optional<std::string>> readFileIfPresent(const std::filesystem::path& path,
                                                     std::size_t maxBytes) {
    // The type is checked before opening, because opening a device can have effects of its own,
    // and again on the open file in case the path was replaced in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return std::optional<std::string>();
        }
        return systemError(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Error{notARegularFile(info.st_mode)};
    }
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        if (errno == ENOENT) {
            return std::optional<std::string>();
        }
        return systemError(errno);
    }
    if (::fstat(file.fd, &info) != 0) {
        return systemError(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Error{notARegularFile(info.st_mode)};
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        return Error{largerThan(maxBytes)};
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.fd, buffer, sizeof buffer);
        if (count > 0) {
            // The file may have grown since fstat.
            if (static_cast<std::size_t>(count) > maxBytes - content.size()) {
                return Error{largerThan(maxBytes)};
            }
            content.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            return systemError(errno);
        }
    }
    return std::optional<std::string>(std::move(content));
}

Result<std::string> readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    auto read = readFileIfPresent(path, maxBytes);
    if (!read) {
        return Error{read.error()};
    }
    if (!read.value()) {
        return systemError(ENOENT);
    }
    return std::move(*read.value());
}

Result<void> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    return writeFileAtomically(path, std::span<const std::string_view>(&bytes, 1));
}

Result<void> writeFileAtomically(const std::filesystem::path& path,
                                 std::span<const std::string_view> pieces) {
    return replaceAtomically(path, pieces, nullptr);
}

Result<void> writeFileAtomically(const std::filesystem::path& path,
                                 std::span<const std::string_view> pieces,
                                 const ReplacementSteps& steps) {
    return replaceAtomically(path, pieces, nullptr, steps);
}

Result<void> writeUserFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const auto target = resolveLinks(path);
    if (!target) {
        return Error{target.error()};
    }
    struct stat info {};
    if (::stat(target.value().c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return systemError(errno);
        }
        return replaceAtomically(target.value(), std::span<const std::string_view>(&bytes, 1),
                                 nullptr);
    }
    // Renaming over a device, pipe or socket would remove the node itself: as root, "/dev/null".
    if (!S_ISREG(info.st_mode)) {
        return Error{notARegularFile(info.st_mode)};
    }
    return replaceAtomically(target.value(), std::span<const std::string_view>(&bytes, 1), &info);
}

namespace {

// A regular file, never through a link: its last maxBytes with tail, else all of it if it is no
// larger than that.
Result<std::optional<std::string>> readNotFollowingLinks(const std::filesystem::path& path,
                                                         std::size_t maxBytes, bool tail) {
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        if (errno == ENOENT) {
            return std::optional<std::string>();
        }
        if (errno == ELOOP) {
            return Error{"Is a symbolic link, which is not followed"};
        }
        return systemError(errno);
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        return systemError(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Error{notARegularFile(info.st_mode)};
    }
    const auto size = static_cast<std::uintmax_t>(info.st_size);
    if (!tail && size > maxBytes) {
        return Error{largerThan(maxBytes)};
    }
    const auto from = static_cast<off_t>(size > maxBytes ? size - maxBytes : 0);
    // What is appended after the size was taken is left for a later read.
    std::string content(std::min<std::uintmax_t>(size, maxBytes), '\0');
    std::size_t filled = 0;
    while (filled < content.size()) {
        const ssize_t count = ::pread(file.fd, content.data() + filled, content.size() - filled,
                                      from + static_cast<off_t>(filled));
        if (count > 0) {
            filled += static_cast<std::size_t>(count);
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            return systemError(errno);
        }
    }
    content.resize(filled);
    return std::optional<std::string>(std::move(content));
}

} // namespace

Result<std::optional<std::string>> readFileTail(const std::filesystem::path& path,
                                                std::size_t maxBytes) {
    return readNotFollowingLinks(path, maxBytes, true);
}

Result<std::optional<std::string>> readFileNotFollowingLinks(const std::filesystem::path& path,
                                                             std::size_t maxBytes) {
    return readNotFollowingLinks(path, maxBytes, false);
}

Result<void> appendToFile(const std::filesystem::path& path, std::string_view bytes) {
    // Never through a link, which could point at any file the user may write, and never into a
    // pipe or device, which could block grading or swallow the log.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
               privateFile);
    if (fd < 0) {
        if (errno == ELOOP) {
            return Error{"Is a symbolic link, which is not followed"};
        }
        if (errno == ENXIO) { // a pipe nobody reads, or a socket
            return Error{"Is not a regular file"};
        }
        return systemError(errno);
    }
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : 0;
    if (error == 0 && !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Error{notARegularFile(info.st_mode)};
    }
    if (error == 0 && !writeAll(fd, std::span<const std::string_view>(&bytes, 1))) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        return systemError(error);
    }
    return {};
}

std::size_t removeLeftoverTemporaryFiles(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::size_t removed = 0;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error); !error && entry != fs::directory_iterator();
         entry.increment(error)) {
        std::error_code ignored;
        // A link is never a leftover: temporary files are created as plain files.
        if (isTemporaryName(entry->path().filename().string()) &&
            entry->symlink_status(ignored).type() == fs::file_type::regular &&
            fs::remove(entry->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

} // namespace kelvarn
