#include "process/PrivateSocketFolder.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvarn::process {

namespace {

// Nothing when the folder is one only this user can enter; else why it is not.
std::optional<std::string> notPrivate(const std::filesystem::path& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        return std::string(std::strerror(errno));
    }
    if (S_ISLNK(info.st_mode)) {
        return std::string("it is a symbolic link");
    }
    if (!S_ISDIR(info.st_mode)) {
        return std::string("it is not a folder");
    }
    if (info.st_uid != ::getuid()) {
        return "it belongs to user " + std::to_string(info.st_uid);
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        return std::string("other users may enter it");
    }
    return std::nullopt;
}

Result<std::filesystem::path> checked(const std::filesystem::path& folder) {
    if (const auto problem = notPrivate(folder)) {
        return Error{folder.string() + " cannot hold Kelvarn's socket: " + *problem};
    }
    return folder;
}

} // namespace

Result<std::filesystem::path>
privateSocketFolder(const std::optional<std::filesystem::path>& runtime,
                    const std::filesystem::path& temporary) {
    if (runtime && !runtime->empty()) {
        return checked(*runtime);
    }
    const auto folder = temporary / ("kelvarn-" + std::to_string(::getuid()));
    // Made private from the start; one that exists already is checked, whoever made it.
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return Error{folder.string() + " cannot hold Kelvarn's socket: " + std::strerror(errno)};
    }
    return checked(folder);
}

} // namespace kelvarn::process
