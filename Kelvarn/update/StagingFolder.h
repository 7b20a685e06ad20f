#pragma once

#include <filesystem>
#include <optional>

namespace kelvarn::update {

// A new private folder next to a given one, on the same file system so that its contents can
// be swapped in by a rename; removed with everything in it when the object goes. While it lives
// it holds a lock on the folder, which tells the installs of other processes that it is in use.
class StagingFolder final {
public:
    // Absent when it could not be made; errno then says why.
    static std::optional<StagingFolder> createIn(const std::filesystem::path& parent);

    // Removes the staging folders in `parent` that no living install holds: those of a process
    // that quit or was killed while installing.
    static void removeAbandonedIn(const std::filesystem::path& parent);

    StagingFolder(StagingFolder&& other) noexcept;
    StagingFolder& operator=(StagingFolder&&) = delete;
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder();

    const std::filesystem::path& path() const { return m_path; }
    // Removes it now; errors are ignored, as there is nothing better to do with them.
    void remove();

private:
    StagingFolder(std::filesystem::path path, int lock) : m_path(std::move(path)), m_lock(lock) {}

    std::filesystem::path m_path;
    int m_lock = -1; // the folder's own descriptor, locked where the file system can
};

} // namespace kelvarn::update
