#pragma once

#include "support/Result.h"
#include "support/Time.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kelvarn {

// $XDG_DATA_HOME/Kelvarn, or ~/.local/share/Kelvarn when that is unset or not absolute.
std::filesystem::path defaultDataFolder();

// Creates the folder and any missing parents, all private (0700), because it holds grades. An
// existing folder of this user loses its group and other permissions; none are ever added, so a
// folder the user made read-only stays read-only.
Result<void> createDataFolder(const std::filesystem::path& folder);

// Moves a file that cannot be read out of the way, in its folder, as stem + "-unreadable-" + time
// stamp + extension ("session-unreadable-2026-03-05T14-07-09Z.json"; a later one in the same
// second gets "-2" and so on), never replacing an earlier one, and makes it private. Returns the
// new file name.
Result<std::string> setAsideUnreadable(const std::filesystem::path& file, TimePoint now);
// The same under a stem and extension of the caller's ("session-journal", "").
Result<std::string> setAsideUnreadableAs(const std::filesystem::path& file, std::string_view stem,
                                         std::string_view extension, TimePoint now);
// Keeps what the file holds now under the name setAsideUnreadableAs would give it, as a second
// link to the same content, and leaves the file in place to be replaced.
Result<std::string> keepUnreadableCopy(const std::filesystem::path& file, std::string_view stem,
                                       std::string_view extension, TimePoint now);

// One process at a time owns a data folder: an exclusive advisory lock on a file in it,
// held for the life of this object.
class DataFolderLock final {
public:
    static constexpr const char* fileName = "Kelvarn.lock";

    // Fails with inUseMessage when another process holds the lock.
    static Result<DataFolderLock> acquire(const std::filesystem::path& folder);
    // The same, but another process holding the lock is no failure: there is no lock then, and
    // the folder may still be read.
    static Result<std::optional<DataFolderLock>> tryAcquire(const std::filesystem::path& folder);
    // "Kelvarn is already using FOLDER"
    static std::string inUseMessage(const std::filesystem::path& folder);

    DataFolderLock(DataFolderLock&& other) noexcept;
    DataFolderLock& operator=(DataFolderLock&& other) noexcept;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;
    ~DataFolderLock();

private:
    explicit DataFolderLock(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

} // namespace kelvarn
