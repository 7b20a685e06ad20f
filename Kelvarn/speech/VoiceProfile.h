#pragma once

#include "support/Result.h"

#include <array>
#include <filesystem>
#include <optional>

namespace kelvarn::speech::voiceProfile {

// What an adapted acoustic model holds; the phone definitions (mdef) stay the system model's.
inline constexpr std::array<const char*, 6> files{
    "means", "variances", "sendump", "transition_matrices", "feat.params", "noisedict"};

// Where the speaker's profile lives in a data folder.
std::filesystem::path folder(const std::filesystem::path& dataFolder);

// The data folder's profile when there is one, for SphinxSettings::voiceProfile.
std::optional<std::filesystem::path> trained(const std::filesystem::path& dataFolder);

// Whether `profile` holds every file, each parameter file the size of the system model's
// (`acousticModel`): the decoder ends the process on some malformed files instead of failing.
Result<void> check(const std::filesystem::path& profile,
                   const std::filesystem::path& acousticModel);

// Puts a finished profile in place of the data folder's in one step; `built` must be a folder
// beside it. The old profile, if any, is removed afterwards.
Result<void> install(const std::filesystem::path& built, const std::filesystem::path& dataFolder);

// Removes the data folder's profile; nothing to remove is no failure.
Result<void> forget(const std::filesystem::path& dataFolder);

} // namespace kelvarn::speech::voiceProfile
