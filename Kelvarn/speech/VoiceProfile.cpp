#include "speech/VoiceProfile.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace kelvarn::speech::voiceProfile {

namespace {

// Text files whose size differs from the system's without anything being wrong.
bool sizeMayDiffer(std::string_view file) {
    return file == "feat.params" || file == "noisedict";
}

} // namespace

std::filesystem::path folder(const std::filesystem::path& dataFolder) {
    return dataFolder / "voice";
}

std::optional<std::filesystem::path> trained(const std::filesystem::path& dataFolder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder(dataFolder), error)) {
        return folder(dataFolder);
    }
    return std::nullopt;
}

Result<void> check(const std::filesystem::path& profile,
                   const std::filesystem::path& acousticModel) {
    for (const char* file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(profile / file, error);
        if (error) {
            return Error{"The voice profile in " + profile.string() + " has no " + file + "."};
        }
        if (!sizeMayDiffer(file) &&
            size != std::filesystem::file_size(acousticModel / file, error)) {
            return Error{"The voice profile in " + profile.string() +
                         " does not fit the speech "
                         "model: its " +
                         file + " is damaged or from another model."};
        }
    }
    return {};
}

Result<void> install(const std::filesystem::path& built, const std::filesystem::path& dataFolder) {
    const std::filesystem::path target = folder(dataFolder);
    std::error_code error;
    const bool replacing = std::filesystem::exists(target, error);
    const int moved = renameat2(AT_FDCWD, built.c_str(), AT_FDCWD, target.c_str(),
                                replacing ? RENAME_EXCHANGE : RENAME_NOREPLACE);
    if (moved != 0) {
        return Error{"The voice profile could not be put in place: " +
                     std::string(std::strerror(errno))};
    }
    // After the exchange `built` holds the old profile.
    if (replacing) {
        std::filesystem::remove_all(built, error);
    }
    return {};
}

Result<void> forget(const std::filesystem::path& dataFolder) {
    std::error_code error;
    std::filesystem::remove_all(folder(dataFolder), error);
    if (error) {
        return Error{"The voice profile could not be removed: " + error.message()};
    }
    return {};
}

} // namespace kelvarn::speech::voiceProfile
