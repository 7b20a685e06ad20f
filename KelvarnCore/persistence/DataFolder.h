#pragma once

#include "support/Result.h"

#include <filesystem>

namespace kelvarn {

// $XDG_DATA_HOME/Kelvarn, or ~/.local/share/Kelvarn when that is unset or not absolute.
std::filesystem::path defaultDataFolder();

// Creates the folder and any missing parents; the folder itself is made private (0700)
// because it holds grades. An existing folder is left as it is.
Result<void> createDataFolder(const std::filesystem::path& folder);

// One process at a time owns a data folder: an exclusive advisory lock on a file in it,
// held for the life of this object.
class DataFolderLock final {
public:
    static constexpr const char* fileName = "Kelvarn.lock";

    // Fails with "Kelvarn is already using FOLDER" when another process holds the lock.
    static Result<DataFolderLock> acquire(const std::filesystem::path& folder);

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
